#include "Common.h"
#include "RunTimeDir.h"
#include "UtilPlus.h"

#include <windows.h>

#include <vector>

namespace zk {

namespace {

Text application, common, auxiliary;

const char ShellFoldersKey[] =
    "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
const char CommonShellFoldersKey[] =
    "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
const char CurrentVersionKey[] = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion";

Text InExeFolder(const char* name, bool withFolder) {
    return withFolder ? GetExeDir(true) + name : Text(name);
}

Text ParentWithBackslash(const Text& path) {
    size_t cut = LastCharOf(path, "\\");
    return cut == Text::npos ? Text() : path.substr(0, cut + 1);
}

} // namespace

Text GetSetupTextName(bool withFolder) {
    return InExeFolder("Setup.txt", withFolder);
}
Text GetUninstallTextName(bool withFolder) {
    return InExeFolder("UnInstall.txt", withFolder);
}
Text GetSetupLogName(bool withFolder) {
    return InExeFolder("Setup.log", withFolder);
}

void SetInstallFolders(const Text& app, const Text& com, const Text& aux) {
    application = app, common = com, auxiliary = aux;
}
Text GetApplicationFolder() {
    return application;
}
Text GetCommonFolder() {
    return common;
}
Text GetAuxiliaryFolder() {
    return auxiliary;
}

bool IsExistingDir(const Text& path) {
    if (path.empty()) return false;
    DWORD a = GetFileAttributesA(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

Text GetSystem16Dir() {
    Text system = GetSystemDir(false);
    size_t at = system.rfind("32");
    if (at != Text::npos) {
        Text without = system.substr(0, at) + system.substr(at + 2);
        if (IsExistingDir(without)) return FixSlash(without, false);
    }
    Text legacy = GetWindowsDir(true) + "System";
    return IsExistingDir(legacy) ? legacy : system;
}

Text GetFontsDir() {
    Text fonts = RegPathReadString(ShellFoldersKey, "Fonts", "");
    return IsExistingDir(fonts) ? fonts : GetWindowsDir(true) + "Fonts";
}

Text GetStartMenuDir() {
    return RegPathReadString(ShellFoldersKey, "Start Menu", "");
}
Text GetProgramFilesDir() {
    return RegPathReadString(CurrentVersionKey, "ProgramFilesDir", "");
}
Text GetCommonFilesDir() {
    return RegPathReadString(CurrentVersionKey, "CommonFilesDir", "");
}

Text GetOriginDir() {
    Text dir = RegPathReadString(DynDataKey, "OriginDir", "");
    return dir.empty() ? GetExeDir(false) : dir;
}

Text GetOriginExe() {
    Text exe = RegPathReadString(DynDataKey, "OriginExe", "");
    return exe.empty() ? GetExeName() : exe;
}

namespace {

Text FindUserDir() {
    Text candidate;
    if (IsWinNT()) {
        Text personal = RegPathReadString(ShellFoldersKey, "Personal", "");
        if (IsExistingDir(personal)) candidate = ParentWithBackslash(personal);
        if (!IsExistingDir(candidate)) {
            const char volatileKey[] = "HKEY_CURRENT_USER\\Volatile Environment";
            candidate = RegPathReadString(volatileKey, "HOMEDRIVE", "") +
                        RegPathReadString(volatileKey, "HOMEPATH", "");
        }
    }
    if (!IsExistingDir(candidate))
        candidate = GetWindowsDir(true) + "Profiles\\" + GetWinUserName();
    if (!IsExistingDir(candidate)) candidate = GetWindowsDir(false);
    return FixSlash(candidate, false);
}

} // namespace

Text GetUserDir() {
    static const Text user = FindUserDir();
    return user;
}

namespace {

DateFields TodayFields() {
    SYSTEMTIME now;
    GetLocalTime(&now);
    DateFields d;
    d.year = now.wYear, d.month = now.wMonth, d.day = now.wDay;
    SYSTEMTIME start{};
    start.wYear = 2000, start.wMonth = 1, start.wDay = 1;
    FILETIME a, b;
    SystemTimeToFileTime(&now, &a);
    SystemTimeToFileTime(&start, &b);
    auto ticks = [](const FILETIME& f) {
        return (static_cast<long long>(f.dwHighDateTime) << 32) | f.dwLowDateTime;
    };
    d.daysSince2000 = static_cast<long>((ticks(a) - ticks(b)) / 864000000000LL);
    char buf[128];
    if (GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SMONTHNAME1 + now.wMonth - 1, buf, sizeof buf))
        d.monthName = buf;
    if (GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SDATE, buf, sizeof buf)) d.dateSeparator = buf;
    return d;
}

Text FolderOf(FolderSource source) {
    switch (source) {
    case FolderSource::RunTime1:
        return GetRunTimeDir1();
    case FolderSource::RunTime2:
        return GetRunTimeDir2();
    case FolderSource::RunTime3:
        return GetRunTimeDir3();
    case FolderSource::Application:
        return application;
    case FolderSource::Common:
        return common;
    case FolderSource::Auxiliary:
        return auxiliary;
    case FolderSource::WindowsSlash:
        return GetWindowsDir(true);
    case FolderSource::SystemSlash:
        return GetSystemDir(true);
    case FolderSource::System16:
        return GetSystem16Dir();
    case FolderSource::ProgramFiles:
        return GetProgramFilesDir();
    case FolderSource::CommonFiles:
        return GetCommonFilesDir();
    case FolderSource::StartMenu:
        return GetStartMenuDir();
    case FolderSource::Fonts:
        return GetFontsDir();
    case FolderSource::Exe:
        return GetExeDir(false);
    case FolderSource::Origin:
        return GetOriginDir();
    case FolderSource::Temp:
        return GetTempDir(false);
    case FolderSource::User:
        return GetUserDir();
    }
    return {};
}

} // namespace

Text FormatDateCode(char code) {
    return FormatDateCodeOf(code, TodayFields());
}

Text ExpandDateMacro(const Text& text) {
    return ExpandDateMacroWith(text, TodayFields());
}

Text ExpandFolderMacros(const Text& text, const Text& suffix) {
    Text t = PosText("<Date=", text) ? ExpandDateMacro(text) : text;
    t = ReplaceEachText(t, "<UserName>", GetWinUserName());
    return ExpandFolderMacrosWith(t, suffix, FolderOf);
}

Text FullPathName(const Text& path) {
    std::vector<char> buf(MAX_PATH + 1);
    for (int tries = 0; tries < 3; ++tries) {
        DWORD n =
            GetFullPathNameA(path.c_str(), static_cast<DWORD>(buf.size()), buf.data(), nullptr);
        if (n == 0) return {};
        if (n < buf.size()) return Text(buf.data(), n);
        buf.resize(n + 1);
    }
    return {};
}

namespace {

// Not in the kernel of Windows 95 and NT 4: looked up, and paths stay as they are without it.
using LongPathNameProc = DWORD(WINAPI*)(LPCSTR, LPSTR, DWORD);
LongPathNameProc LongPathNameFunction() {
    static const auto proc = reinterpret_cast<LongPathNameProc>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("kernel32.dll"), "GetLongPathNameA")));
    return proc;
}

Text LongPathName(const Text& path) {
    LongPathNameProc longPath = LongPathNameFunction();
    if (!longPath) return {};
    std::vector<char> buf(MAX_PATH + 1);
    for (int tries = 0; tries < 3; ++tries) {
        DWORD n = longPath(path.c_str(), buf.data(), static_cast<DWORD>(buf.size()));
        if (n == 0) return {};
        if (n < buf.size()) return Text(buf.data(), n);
        buf.resize(n + 1);
    }
    return {};
}

// The long form of the longest part of the path that exists; the rest is kept. Short names
// carry a '~' (Windows and Wine make them so): without one the long form could differ only
// in case, which no comparison of paths heeds, and its lookup per component costs more than
// the removal of a file.
Text LongFormOfExistingHead(const Text& full) {
    if (full.find('~') == Text::npos) return full;
    for (size_t end = full.size(); end > 3;) {
        Text head = full.substr(0, end), longHead = LongPathName(head);
        if (!longHead.empty()) return longHead + full.substr(end);
        size_t cut = LastCharOf(full.substr(0, end), "\\");
        if (cut == Text::npos || cut < 3) break;
        end = cut;
    }
    return full;
}

Text WithoutDevicePrefix(const Text& path) {
    if (StartsText("\\\\?\\UNC\\", path)) return "\\\\" + path.substr(8);
    if (StartsText("\\\\?\\", path)) return path.substr(4);
    return path;
}

Text WithoutTrailingBackslashes(Text path) {
    while (path.size() > 1 && EndsWithChar(path, '\\') && !IsRootPath(path)) path.pop_back();
    return path;
}

} // namespace

std::string CanonicalizePath(const std::string& path) {
    Text p = path;
    for (char& c : p)
        if (c == '/') c = '\\';
    p = WithoutDevicePrefix(p);
    if (!IsAbsolutePath(p)) return {};
    Text full = WithoutDevicePrefix(FullPathName(p));
    if (!IsAbsolutePath(full)) return {};
    full = WithoutTrailingBackslashes(WithoutDevicePrefix(LongFormOfExistingHead(full)));
    return IsAbsolutePath(full) || IsRootPath(full) ? full : Text();
}

namespace {

Text ExpandedEnvironment(const Text& text) {
    char buf[2048];
    DWORD n = ExpandEnvironmentStringsA(text.c_str(), buf, sizeof buf);
    return n > 0 && n <= sizeof buf ? Text(buf) : Text();
}

Text EnvironmentValue(const char* name) {
    char buf[2048];
    DWORD n = GetEnvironmentVariableA(name, buf, sizeof buf);
    return n > 0 && n < sizeof buf ? Text(buf, n) : Text();
}

struct RegFolder {
    const char* key;
    const char* value;
};

const RegFolder ProtectedRegFolders[] = {
    {CurrentVersionKey, "ProgramFilesDir"},
    {CurrentVersionKey, "CommonFilesDir"},
    {CurrentVersionKey, "ProgramFilesDir (x86)"},
    {CurrentVersionKey, "CommonFilesDir (x86)"},
    {CurrentVersionKey, "ProgramW6432Dir"},
    {CurrentVersionKey, "CommonW6432Dir"},
    {ShellFoldersKey, "Personal"},
    {ShellFoldersKey, "Desktop"},
    {ShellFoldersKey, "Start Menu"},
    {ShellFoldersKey, "Programs"},
    {ShellFoldersKey, "Startup"},
    {ShellFoldersKey, "AppData"},
    {ShellFoldersKey, "Favorites"},
    {ShellFoldersKey, "SendTo"},
    {ShellFoldersKey, "Templates"},
    {ShellFoldersKey, "Fonts"},
    {CommonShellFoldersKey, "Common Documents"},
    {CommonShellFoldersKey, "Common Desktop"},
    {CommonShellFoldersKey, "Common Start Menu"},
    {CommonShellFoldersKey, "Common Programs"},
    {CommonShellFoldersKey, "Common Startup"},
    {CommonShellFoldersKey, "Common AppData"},
    {CommonShellFoldersKey, "Common Favorites"},
    {CommonShellFoldersKey, "Common Templates"},
};

std::vector<Text> ProtectedFolders() {
    const Text profile = EnvironmentValue("USERPROFILE");
    std::vector<Text> folders = {
        GetWindowsDir(false),
        GetSystemDir(false),
        GetSystem16Dir(),
        GetTempDir(false),
        GetFontsDir(),
        GetUserDir(),
        profile,
        ParentWithBackslash(FixSlash(profile, false)),
        EnvironmentValue("ALLUSERSPROFILE"),
        ExpandedEnvironment(RegPathReadString(
            "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList",
            "ProfilesDirectory", "")),
    };
    for (const RegFolder& f : ProtectedRegFolders)
        folders.push_back(RegPathReadString(f.key, f.value, ""));
    return folders;
}

} // namespace

namespace {

// The canonical forms of the protected folders, computed on the first question of a run (a
// score of registry reads and path lookups, far more than one removal costs): Windows does
// not move these folders while a program runs.
const std::vector<Text>& CanonicalProtectedFolders() {
    static const std::vector<Text> folders = [] {
        std::vector<Text> canonical;
        for (const Text& f : ProtectedFolders()) {
            Text known = CanonicalizePath(f);
            if (!known.empty()) canonical.push_back(std::move(known));
        }
        return canonical;
    }();
    return folders;
}

} // namespace

bool IsSystemFolder(const std::string& path) {
    Text folder = CanonicalizePath(path);
    if (folder.empty() || IsRootPath(folder)) return true;
    for (const Text& known : CanonicalProtectedFolders())
        if (IsSameOrAncestor(folder, known)) return true;
    return false;
}

} // namespace zk
