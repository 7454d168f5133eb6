#include "SLang.h"

#include <windows.h>

#include <optional>

#include "Files.h"
#include "UtilPlus.h"

namespace zk {

// ---------------------------------------------------------------- language state

namespace {

struct LanguageState {
    bool initialized = false;
    TLangTable builtIn;
    std::optional<TLangTable> chosen;
    int charset = 0;
};

LanguageState& State() {
    static LanguageState state;
    if (!state.initialized) {
        state.initialized = true;
        InitializeLanguage();
    }
    return state;
}

Text BuiltInText() {
    HMODULE module = GetModuleHandleA(nullptr);
    HRSRC info = FindResourceA(module, "ENGLISH", "TEXT");
    HGLOBAL data = info ? LoadResource(module, info) : nullptr;
    const char* bytes = data ? static_cast<const char*>(LockResource(data)) : nullptr;
    return bytes ? Text(bytes, SizeofResource(module, info)) : Text();
}

int CharsetOf(const TLangTable& table) {
    Text value;
    return table.Find("General", "Charset", value) ? StrToIntDef(value, 0) : 0;
}

bool IsFolder(const Text& path) {
    DWORD a = GetFileAttributesA(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

bool IsFile(const Text& path) {
    DWORD a = GetFileAttributesA(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

int LangIdOf(const Text& file) {
    return StrToIntDef(ReadIniFileString(file, "General", "LangID", ""), -1);
}

// The name of the chosen file without ".lng", or empty when the built-in text stays.
Text ChooseLanguage(const TScript& script, const Text& folder, int userLanguage) {
    if (script.GetLangFlag() != 2) return {};
    const Text names = script.GetLangNames();
    const bool single = ListCount(names) == 1;
    int cursor = 0;
    Text name;
    do {
        ListNextItem(names, cursor, name);
        if (cursor == 0) break;
        if (single || LangIdOf(folder + name + ".lng") == userLanguage) return name;
    } while (true);
    return IsFile(folder + "English.lng") ? Text("English") : Text();
}

} // namespace

void InitializeLanguage() {
    LanguageState& state = State();
    state.builtIn = TLangTable(BuiltInText());
    state.chosen.reset();
    state.charset = CharsetOf(state.builtIn);
}

void SelectLanguageFileIn(const TScript& script, const Text& engineDir, int userLanguage) {
    LanguageState& state = State();
    state.chosen.reset();
    state.charset = 0;
    const Text folder = IsFolder(engineDir + "LANG") ? engineDir + "LANG\\" : engineDir;
    const Text name = ChooseLanguage(script, folder, userLanguage);
    if (name.empty()) return;
    state.chosen = TLangTable(LoadFile(folder + name + ".lng")); // missing: an empty table
    state.charset = CharsetOf(*state.chosen);
}

void SelectLanguageFile(const TScript& script) {
    SelectLanguageFileIn(script, GetExeDir(true), UserPrimaryLanguage());
}

Text LangString(const Text& section, const Text& key, const Text& def) {
    const LanguageState& state = State();
    Text value, fallback = def;
    if (!state.chosen) return state.builtIn.Find(section, key, value) ? value : def;
    // A file's missing key falls back to the caller's default, else to the built-in English;
    // a key present with an empty value stays empty.
    if (fallback.empty()) state.builtIn.Find(section, key, fallback);
    return state.chosen->Find(section, key, value) ? value : fallback;
}

int GetLangCharset() {
    return State().charset;
}

void FinalizeLanguage() {
    LanguageState& state = State();
    state.builtIn = TLangTable();
    state.chosen.reset();
    state.charset = 0;
}

int UserPrimaryLanguage() {
    return static_cast<int>(GetUserDefaultLCID() & 0x3FF);
}

Text ReadIniFileString(const Text& file, const Text& section, const Text& key, const Text& def) {
    char buffer[2048];
    DWORD n = GetPrivateProfileStringA(section.c_str(), key.c_str(), def.c_str(), buffer,
                                       sizeof buffer, file.c_str());
    return Text(buffer, n);
}

Text FillTemplate(const Text& pattern, const Text& value) {
    Text out;
    size_t from = 0;
    for (size_t at; (at = pattern.find("%s", from)) != Text::npos; from = at + 2)
        out.append(pattern, from, at - from).append(value);
    return out.append(pattern, from, Text::npos);
}

} // namespace zk
