// Language texts of the install engine: the built-in English text (resource "ENGLISH" of type
// "TEXT") and the ".lng" file chosen from the "LANG" folder by the user's language.
#pragma once
#include "SLangTable.h"
#include "SScript.h"

namespace zk {

// Built-in table from the resource; LangString and GetLangCharset call it on first use.
void InitializeLanguage();
// Chooses the ".lng" file by SET_LANG_FLAG and SET_LANG_NAMES from the engine's "LANG" folder
// (or the engine's folder) for the user's language; each call starts afresh.
void SelectLanguageFile(const TScript& script);
// The same from engineDir + "LANG\" (or engineDir itself) for the given primary language.
void SelectLanguageFileIn(const TScript& script, const Text& engineDir, int userLanguage);
// Chosen file, else built-in English, else the default (rules in SLang.cpp).
Text LangString(const Text& section, const Text& key, const Text& def);
// Font charset of the active language: 177 Hebrew and 178 Arabic read right to left.
int GetLangCharset();
void FinalizeLanguage();

// Primary language of the user's locale (low 10 bits of the LCID): 9 English, 7 German.
int UserPrimaryLanguage();
// Private-profile string with a 2048-character buffer.
Text ReadIniFileString(const Text& file, const Text& section, const Text& key, const Text& def);
// Fills the "%s" of a hand-written template such as [Messages] "s1" with the value, literally:
// a language text never reaches a printf-style formatter.
Text FillTemplate(const Text& pattern, const Text& value);

} // namespace zk
