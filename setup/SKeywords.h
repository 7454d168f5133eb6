// The keywords of the setup script: one row per keyword names the TScript member it feeds and
// how; the dispatch follows from the row. Pure text code.
#pragma once
#include <span>

#include "SScript.h"

namespace zk {

enum class KeywordKind {
    Text,          // the argument replaces the setting
    Flag,          // the setting becomes true; the argument is ignored
    Integer,       // a number in lo..hi replaces the setting; other text stores notNumber
    Append,        // the argument is added to a list
    UninstallLine, // prefix + argument + suffix goes to the uninstall lines
    Structural,    // a TScript operation builds groups, copy rows or the page list
};

struct KeywordRow {
    const char* name;
    KeywordKind kind;
    Text TScript::*text = nullptr;
    bool TScript::*flag = nullptr;
    int TScript::*number = nullptr;
    int lo = 0, hi = 0, notNumber = 0; // a notNumber outside lo..hi leaves the setting alone
    TextList TScript::*list = nullptr;
    const char* prefix = "";
    const char* suffix = "";
    bool takesArgument = true;
    bool (TScript::*op)(const Text&) = nullptr;
};

enum class KeywordResult {
    Stored,
    Unknown,  // no such keyword
    Rejected, // known, but the line could not be stored (a copy row before any group)
};

class KeywordTable {
  public:
    static std::span<const KeywordRow> Rows();
    // keyword: upper case and trimmed, matched exactly.
    static KeywordResult Apply(TScript& script, const Text& keyword, const Text& argument);
};

} // namespace zk
