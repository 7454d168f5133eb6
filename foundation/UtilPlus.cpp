#include "UtilPlus.h"

#include "Handles.h"
#include "SysLibs.h"

#include <vector>

namespace zk {

WindowsFacts GetWindowsFacts() {
    OSVERSIONINFOA v{};
    v.dwOSVersionInfoSize = sizeof v;
    WindowsFacts w;
    if (!GetVersionExA(&v)) return w;
    w.platform = v.dwPlatformId;
    w.major = v.dwMajorVersion;
    w.minor = v.dwMinorVersion;
    w.build = v.dwBuildNumber;
    w.servicePack = v.szCSDVersion;
    return w;
}

bool IsWin9x() {
    return GetWindowsFacts().platform == VER_PLATFORM_WIN32_WINDOWS;
}
bool IsWinNT() {
    return GetWindowsFacts().platform == VER_PLATFORM_WIN32_NT;
}

bool IsWinXP() {
    WindowsFacts w = GetWindowsFacts();
    return w.platform == VER_PLATFORM_WIN32_NT && w.major == 5 && w.minor == 1;
}

Text GetWindowsName() {
    return WindowsNameOf(GetWindowsFacts());
}
int GetWindowsMask() {
    return WindowsMaskOf(GetWindowsFacts());
}
Text GetWindowsVersionText() {
    return WindowsVersionTextOf(GetWindowsFacts());
}

namespace {
BOOL CALLBACK NoteResource(HMODULE, LPCSTR, LPSTR, LONG_PTR found) {
    *reinterpret_cast<bool*>(found) = true;
    return FALSE;
}
} // namespace

bool HasManifest() {
    static const bool has = [] {
        bool found = false;
        EnumResourceNamesA(GetModuleHandleA(nullptr), RT_MANIFEST, NoteResource,
                           reinterpret_cast<LONG_PTR>(&found));
        return found;
    }();
    return has;
}

bool VisualThemesActive() {
    enum { Unknown, Probed, Themed };
    static int answer = Unknown;
    if (!HasManifest()) return false;
    if (answer == Unknown && IsWinXP()) {
        answer = Probed;
        // Stays loaded: the theme code is used for as long as the windows live.
        HMODULE uxtheme = LoadSystemLibrary("uxtheme.dll");
        using IsAppThemedFn = BOOL(WINAPI*)();
        auto isAppThemed = uxtheme ? reinterpret_cast<IsAppThemedFn>(reinterpret_cast<void*>(
                                         GetProcAddress(uxtheme, "IsAppThemed")))
                                   : nullptr;
        if (isAppThemed && isAppThemed()) answer = Themed;
    }
    return answer == Themed;
}

namespace {
bool EnableShutdownPrivilege() {
    UniqueHandle token;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, token.put()))
        return false;
    TOKEN_PRIVILEGES tp{};
    tp.PrivilegeCount = 1;
    tp.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    if (!LookupPrivilegeValueA(nullptr, "SeShutdownPrivilege", &tp.Privileges[0].Luid))
        return false;
    SetLastError(ERROR_SUCCESS);
    AdjustTokenPrivileges(token.get(), FALSE, &tp, 0, nullptr, nullptr);
    return GetLastError() == ERROR_SUCCESS; // ERROR_NOT_ALL_ASSIGNED: not granted
}
} // namespace

void RebootWindows() {
    if (IsWinNT() && !EnableShutdownPrivilege()) return;
    ExitWindowsEx(EWX_REBOOT, 0);
}

namespace {
// Reads a text of unknown length from a platform call that returns the length written, or
// the size needed when the buffer is too small.
template <typename Read> Text ReadSized(Read read) {
    std::vector<char> buf(MAX_PATH + 1);
    for (int tries = 0; tries < 4; ++tries) {
        DWORD n = read(buf.data(), static_cast<DWORD>(buf.size()));
        if (n < buf.size()) return Text(buf.data(), n);
        buf.resize(n + 1);
    }
    return Text();
}
} // namespace

Text GetExeName() {
    std::vector<char> buf(MAX_PATH + 1);
    for (;;) {
        DWORD n = GetModuleFileNameA(nullptr, buf.data(), static_cast<DWORD>(buf.size()));
        if (n < buf.size()) return Text(buf.data(), n);
        buf.resize(buf.size() * 2);
    }
}

Text GetExeDir(bool withBackslash) {
    Text exe = GetExeName();
    return FixSlash(exe.substr(0, LastCharOf(exe, "\\") + 1), withBackslash);
}

Text GetWindowsDir(bool withBackslash) {
    return FixSlash(ReadSized([](char* b, DWORD n) { return GetWindowsDirectoryA(b, n); }),
                    withBackslash);
}

Text GetSystemDir(bool withBackslash) {
    return FixSlash(ReadSized([](char* b, DWORD n) { return GetSystemDirectoryA(b, n); }),
                    withBackslash);
}

Text GetTempDir(bool withBackslash) {
    return FixSlash(ReadSized([](char* b, DWORD n) { return GetTempPathA(n, b); }), withBackslash);
}

Text GetCommandTail() {
    return CommandTailOf(GetCommandLineA(), GetExeName());
}

Text GetSwitchValue(const Text& switchName) {
    return SwitchValueOf(GetCommandTail(), switchName);
}

Text GetWinUserName() {
    char name[257];
    DWORD n = sizeof name;
    return GetUserNameA(name, &n) ? Text(name) : Text();
}

HKEY RootKeyFromName(const Text& name) {
    static const HKEY roots[] = {HKEY_CLASSES_ROOT, HKEY_CURRENT_USER,   HKEY_LOCAL_MACHINE,
                                 HKEY_USERS,        HKEY_CURRENT_CONFIG, HKEY_DYN_DATA};
    int i = RootIndexOfName(name);
    return i < 0 ? HKEY_CURRENT_USER : roots[i];
}

void SplitRegPath(const Text& path, HKEY& root, Text& subkey) {
    Text rootName;
    SplitRegPathText(path, rootName, subkey);
    root = rootName.empty() ? HKEY_CURRENT_USER : RootKeyFromName(rootName);
}

UniqueKey OpenRegPath(const Text& path, REGSAM access) {
    HKEY root;
    Text subkey;
    SplitRegPath(path, root, subkey);
    UniqueKey key;
    if (RegOpenKeyExA(root, subkey.c_str(), 0, access, key.put()) != ERROR_SUCCESS) key.release();
    return key;
}

UniqueKey CreateRegPath(const Text& path, REGSAM access) {
    HKEY root;
    Text subkey;
    SplitRegPath(path, root, subkey);
    UniqueKey key;
    if (RegCreateKeyExA(root, subkey.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, access, nullptr,
                        key.put(), nullptr) != ERROR_SUCCESS)
        key.release();
    return key;
}

bool RegReadRaw(HKEY key, const Text& valueName, DWORD& type, std::string& data) {
    data.resize(2048);
    for (int tries = 0; tries < 4; ++tries) {
        DWORD size = static_cast<DWORD>(data.size());
        LONG rc = RegQueryValueExA(key, valueName.c_str(), nullptr, &type,
                                   reinterpret_cast<BYTE*>(data.data()), &size);
        if (rc == ERROR_SUCCESS) {
            data.resize(size);
            return true;
        }
        if (rc != ERROR_MORE_DATA) break;
        data.resize(size + 1);
    }
    data.clear();
    return false;
}

bool RegPathWriteString(const Text& path, const Text& valueName, const Text& text) {
    UniqueKey key = CreateRegPath(path, KEY_READ | KEY_CREATE_SUB_KEY | KEY_SET_VALUE);
    return key && RegSetValueExA(key.get(), valueName.c_str(), 0, REG_SZ,
                                 reinterpret_cast<const BYTE*>(text.c_str()),
                                 static_cast<DWORD>(text.size() + 1)) == ERROR_SUCCESS;
}

Text RegPathReadString(const Text& path, const Text& valueName, const Text& def) {
    UniqueKey key = OpenRegPath(path, KEY_QUERY_VALUE);
    if (!key) return def;
    DWORD type = 0;
    std::string data;
    if (!RegReadRaw(key.get(), valueName, type, data)) return def;
    return RegDataToText(type, data.data(), data.size());
}

bool RegPathDeleteValue(const Text& path, const Text& valueName) {
    UniqueKey key = OpenRegPath(path, KEY_SET_VALUE);
    return key && RegDeleteValueA(key.get(), valueName.c_str()) == ERROR_SUCCESS;
}

bool IniWriteString(const Text& file, const Text& section, const Text& key, const Text& value) {
    return WritePrivateProfileStringA(StripLineBreaks(section).c_str(),
                                      StripLineBreaks(key).c_str(), StripLineBreaks(value).c_str(),
                                      file.c_str()) != FALSE;
}

Text IniReadString(const Text& file, const Text& section, const Text& key, const Text& def) {
    std::vector<char> buf(10241);
    DWORD n = GetPrivateProfileStringA(section.c_str(), key.c_str(), def.c_str(), buf.data(),
                                       static_cast<DWORD>(buf.size()), file.c_str());
    return Text(buf.data(), n);
}

bool IniDeleteKey(const Text& file, const Text& section, const Text& key) {
    return WritePrivateProfileStringA(StripLineBreaks(section).c_str(),
                                      StripLineBreaks(key).c_str(), nullptr, file.c_str()) != FALSE;
}

namespace {
bool DevSwitchOn(const char* variable) {
    char value[20];
    DWORD n = GetEnvironmentVariableA(variable, value, sizeof value);
    return n > 0 && n < sizeof value && IsDevAccessCode(Text(value, n));
}
} // namespace

bool IsDevSwitchDVR() {
    static const bool on = DevSwitchOn("DVR");
    return on;
}

bool IsDevSwitchDVX() {
    static const bool on = DevSwitchOn("DVX");
    return on;
}

} // namespace zk
