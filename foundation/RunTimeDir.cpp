#include "RunTimeDir.h"
#include "Files.h"
#include "U_DEBUG0.h"
#include "UtilPlus.h"
#include "ZMsgBox.h"

namespace zk {

namespace {

const Text Unresolved = "*";

struct RunTimeDirState {
    Text defs[3];
    Text cache[3] = {Unresolved, Unresolved, Unresolved};
    bool abortRequested = false;
    NotFoundBox box;
} state;

// Definition fields.
enum Field {
    UseAppPaths = 0,
    AppPathsName = 1,
    UseRegistry = 2,
    RegistryAddress = 3,
    UseFileSearch = 4,
    FileName = 5,
    FileOnFixed = 6,
    FileOnNetwork = 7,
    UseFolderSearch = 8,
    FolderTail = 9,
    FolderOnFixed = 10,
    FolderOnNetwork = 11,
    UseDefault = 12,
    DefaultPath = 13,
    ShowBox = 16,
    RaiseAbort = 17,
};

const unsigned FixedDrive = 3, NetworkDrive = 4;

bool IsOn(const Text& def, Field f) {
    return ListItem(def, f) == "1";
}

Text FolderPartOf(const Text& path) {
    size_t cut = LastCharOf(path, "\\");
    if (cut == Text::npos) return {};
    if (cut == 2 && path[1] == ':') return path.substr(0, 3); // a file in a drive's root
    return path.substr(0, cut);
}

void ShowNotFound(const Text& text) {
    if (state.box) return state.box(text);
    ShowErrorBox(nullptr, text, "Error", "|OK|Cancel|Yes|No|Abort|Retry|Ignore|", 0);
}

Text Resolve(int n) {
    if (state.cache[n] == Unresolved) state.cache[n] = ResolveRunTimeDir(state.defs[n]);
    return state.cache[n];
}

} // namespace

void SetRunTimeDirDef(int n, const Text& def) {
    if (n < 1 || n > 3) return;
    state.defs[n - 1] = def;
    state.cache[n - 1] = Unresolved;
}

void SetRunTimeDirDefs(const Text& def1, const Text& def2, const Text& def3) {
    SetRunTimeDirDef(1, def1);
    SetRunTimeDirDef(2, def2);
    SetRunTimeDirDef(3, def3);
}

Text GetRunTimeDir1() {
    return Resolve(0);
}
Text GetRunTimeDir2() {
    return Resolve(1);
}
Text GetRunTimeDir3() {
    return Resolve(2);
}

bool RunTimeDirAbortRequested() {
    return state.abortRequested;
}

void SetRunTimeDirBox(NotFoundBox box) {
    state.box = std::move(box);
}

Text ReadAppPathsFolder(const Text& programName) {
    Text value = RegPathReadString(
        "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\" +
            programName,
        "", "");
    // "C:\Program Files\X\x.exe" in quotes: the quotes are not part of the folder.
    if (!value.empty() && value[0] == '"') value = TextBefore(value.substr(1) + "\"", "\"");
    size_t cut = LastCharOf(value, "\\");
    return cut == Text::npos ? Text() : value.substr(0, cut);
}

Text ReadRegistryPathValue(const Text& address) {
    Text value = RegPathReadString(address, "", "");
    size_t cut = LastCharOf(address, "\\");
    if (value.empty() && cut != Text::npos)
        value = RegPathReadString(address.substr(0, cut), address.substr(cut + 1), "");
    return value;
}

Text ResolveRunTimeDir(const Text& def) {
    TraceLine("Def=>" + def + "<");
    Text result, name;
    if (IsOn(def, UseAppPaths)) {
        name = ListItem(def, AppPathsName);
        result = FixSlash(ReadAppPathsFolder(name), false);
    }
    if (IsOn(def, UseRegistry)) {
        name = ListItem(def, RegistryAddress);
        result = FixSlash(ReadRegistryPathValue(name), false);
    }
    if (IsOn(def, UseFileSearch)) {
        Text file = ListItem(def, FileName);
        if (name.empty()) name = file;
        if (result.empty() && IsOn(def, FileOnFixed)) result = FindFileOnDrives(file, FixedDrive);
        if (result.empty() && IsOn(def, FileOnNetwork))
            result = FindFileOnDrives(file, NetworkDrive);
        result = FolderPartOf(result);
    }
    if (IsOn(def, UseFolderSearch)) {
        Text tail = ListItem(def, FolderTail);
        if (name.empty()) name = tail;
        if (result.empty() && IsOn(def, FolderOnFixed))
            result = FindFolderOnDrives(tail, FixedDrive);
        if (result.empty() && IsOn(def, FolderOnNetwork))
            result = FindFolderOnDrives(tail, NetworkDrive);
    }
    if (IsOn(def, UseDefault) && result.empty()) result = ListItem(def, DefaultPath);
    if (result.empty()) {
        if (IsOn(def, ShowBox)) ShowNotFound("RunTimeDir(" + name + ")\\\\n\\\\nNot Found!");
        if (IsOn(def, RaiseAbort)) state.abortRequested = true;
    }
    TraceLine("Result=>" + result + "<");
    return result;
}

} // namespace zk
