#include "UtilPlus.h"
#include "Handles.h"
#include "TestEnv.h"

#include <windows.h>
#include <shlwapi.h>

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <sstream>
#include <vector>

using namespace zk;

namespace {

// The "name=value" lines of the sysinfo fixture.
std::map<std::string, std::string> SysInfo(const std::string& exe, const std::string& args = "",
                                           const char* commandLine = nullptr) {
    std::map<std::string, std::string> info;
    std::istringstream in(commandLine ? zktest::RunCapture(commandLine, exe.c_str())
                                      : zktest::RunCapture("\"" + exe + "\" " + args));
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        size_t eq = line.find('=', 1);
        if (eq != std::string::npos) info[line.substr(0, eq)] = line.substr(eq + 1);
    }
    return info;
}

const std::string AppDefaults = "HKEY_CURRENT_USER\\Software\\Wine\\AppDefaults\\";

std::string Fixture(const char* name) {
    return zktest::BinDir() + "\\" + name;
}

} // namespace

TEST(Windows, EachVersionThePlatformReportsMapsToItsNameMaskAndText) {
    struct Case {
        const char* version;
        const char* name;
        const char* mask;
        const char* text;
        const char* family; // IsWin9x, IsWinNT, IsWinXP
    };
    const Case cases[] = {
        {"win95", "95", "1", "Win95  4.0  950", "100"},
        {"win98", "98", "2", "Win98  4.10  2222 (A)", "100"},
        {"winme", "ME", "4", "WinME  4.90  3000", "100"},
        {"nt40", "NT", "8", "WinNT  4.0  1381 (Service Pack 6a)", "010"},
        {"win2k", "2000", "16", "Win2000  5.0  2195 (Service Pack 4)", "010"},
        {"winxp", "XP", "32", "WinXP  5.1  2600 (Service Pack 3)", "011"},
        {"win7", "6.1", "0", "Win6.1  6.1  7601 (Service Pack 1)", "010"}, // later than XP
    };
    std::string dir = zktest::ScratchDir("UtilPlusVersions");
    for (const Case& c : cases) {
        std::string exeName = std::string("zkwin_") + c.version + ".exe";
        std::string exe = dir + "\\" + exeName;
        ASSERT_TRUE(CopyFileA(Fixture("zksysinfo.exe").c_str(), exe.c_str(), FALSE))
            << GetLastError();
        ASSERT_TRUE(RegPathWriteString(AppDefaults + exeName, "Version", c.version));
        auto info = SysInfo(exe);
        SHDeleteKeyA(HKEY_CURRENT_USER, ("Software\\Wine\\AppDefaults\\" + exeName).c_str());
        EXPECT_EQ(info["name"], c.name) << c.version;
        EXPECT_EQ(info["mask"], c.mask) << c.version;
        EXPECT_EQ(info["version"], c.text) << c.version;
        EXPECT_EQ(info["family"], c.family) << c.version;
    }
    zktest::RemoveScratch(dir);
    // This process runs as the sandbox's XP.
    EXPECT_TRUE(IsWinXP() && IsWinNT() && !IsWin9x());
    EXPECT_EQ(GetWindowsMask(), 32);
}

TEST(CommandLine, TailAndSwitchesOfARealCommandLine) {
    struct Case {
        const char* args;
        const char* bareLine;
        const char* tail;
        const char* x;
        const char* y;
    };
    const Case cases[] = {
        {"/X=\"C:\\My Files\\a.info\" /Y", nullptr, "/X=\"C:\\My Files\\a.info\" /Y",
         "C:\\My Files\\a.info", "TRUE"},
        {"/X=a b /Yes", nullptr, "/X=a b /Yes", "a", "es"},
        {"", nullptr, "", "", ""},
        // Started by a bare name the full path is not in the command line.
        {nullptr, "zksysinfo /Y", "/Y", "", "TRUE"},
        {nullptr, "zksysinfo.exe /X=1", "/X=1", "1", ""},
    };
    for (const Case& c : cases) {
        auto info = c.args ? SysInfo(Fixture("zksysinfo.exe"), c.args)
                           : SysInfo(Fixture("zksysinfo.exe"), "", c.bareLine);
        const char* what = c.args ? c.args : c.bareLine;
        EXPECT_EQ(info["tail"], c.tail) << what;
        EXPECT_EQ(info["switchX"], c.x) << what;
        EXPECT_EQ(info["switchY"], c.y) << what;
    }
}

TEST(DevSwitches, OnOnlyForTheAccessCode) {
    struct Case {
        const char* dvr;
        const char* dvx;
        const char* on;
    };
    const Case cases[] = {
        {nullptr, nullptr, "00"}, {"947", nullptr, "10"}, {"947", "947", "11"},
        {nullptr, "947", "01"},   {"947 ", "0947", "00"}, {"9470000000000000000000", "", "00"},
    };
    for (const Case& c : cases) {
        SetEnvironmentVariableA("DVR", c.dvr);
        SetEnvironmentVariableA("DVX", c.dvx);
        auto info = SysInfo(Fixture("zksysinfo.exe"));
        EXPECT_EQ(info["dev"], c.on) << (c.dvr ? c.dvr : "-") << " " << (c.dvx ? c.dvx : "-");
    }
    SetEnvironmentVariableA("DVR", nullptr);
    SetEnvironmentVariableA("DVX", nullptr);
}

TEST(Themes, OnlyWithAManifestAndOnlyOnXP) {
    auto plain = SysInfo(Fixture("zksysinfo.exe"));
    EXPECT_EQ(plain["manifest"], "0");
    EXPECT_EQ(plain["themes"], "0");
    auto themed = SysInfo(Fixture("zksysinfo_themed.exe"));
    EXPECT_EQ(themed["manifest"], "1");
    EXPECT_EQ(themed["themes"], themed["appthemed"]);

    std::string dir = zktest::ScratchDir("UtilPlusThemes");
    std::string exe = dir + "\\zkthemed_win2k.exe";
    ASSERT_TRUE(CopyFileA(Fixture("zksysinfo_themed.exe").c_str(), exe.c_str(), FALSE));
    ASSERT_TRUE(RegPathWriteString(AppDefaults + "zkthemed_win2k.exe", "Version", "win2k"));
    auto win2k = SysInfo(exe);
    SHDeleteKeyA(HKEY_CURRENT_USER, "Software\\Wine\\AppDefaults\\zkthemed_win2k.exe");
    zktest::RemoveScratch(dir);
    EXPECT_EQ(win2k["manifest"], "1");
    EXPECT_EQ(win2k["themes"], "0");
    EXPECT_FALSE(HasManifest()); // the test program itself has none
}

TEST(Folders, StandardFoldersWithAndWithoutBackslash) {
    EXPECT_TRUE(TextEquals(GetExeName(), zktest::BinDir() + "\\foundation_UtilPlus_test.exe"))
        << GetExeName();
    EXPECT_EQ(GetExeDir(false), zktest::BinDir());
    EXPECT_EQ(GetExeDir(true), zktest::BinDir() + "\\");
    EXPECT_TRUE(TextEquals(GetWindowsDir(false), "C:\\windows")) << GetWindowsDir(false);
    EXPECT_TRUE(TextEquals(GetSystemDir(true), GetWindowsDir(true) + "system32\\"))
        << GetSystemDir(true);
    Text temp = GetTempDir(false);
    EXPECT_TRUE(zktest::IsDir(temp)) << temp;
    EXPECT_NE(temp.back(), '\\');
    EXPECT_EQ(GetTempDir(true), temp + "\\");
    EXPECT_FALSE(GetWinUserName().empty());
}

TEST(Registry, RootNamesAndPaths) {
    struct Case {
        const char* path;
        HKEY root;
        const char* sub;
    };
    const Case cases[] = {
        {"HKEY_CLASSES_ROOT\\.txt", HKEY_CLASSES_ROOT, ".txt"},
        {"hkey_local_machine\\Software", HKEY_LOCAL_MACHINE, "Software"},
        {"HKEY_USERS\\.DEFAULT", HKEY_USERS, ".DEFAULT"},
        {"HKEY_CURRENT_CONFIG\\System", HKEY_CURRENT_CONFIG, "System"},
        {"HKEY_DYN_DATA\\X", HKEY_DYN_DATA, "X"},
        {"HKEY_PERFORMANCE_DATA\\X", HKEY_CURRENT_USER, "X"},
        {"Software\\X", HKEY_CURRENT_USER, "Software\\X"},
        {"HKEY_LOCAL_MACHINE", HKEY_CURRENT_USER, "HKEY_LOCAL_MACHINE"},
    };
    for (const Case& c : cases) {
        HKEY root = nullptr;
        Text sub;
        SplitRegPath(c.path, root, sub);
        EXPECT_EQ(root, c.root) << c.path;
        EXPECT_EQ(sub, c.sub) << c.path;
    }
}

TEST(Registry, WriteReadDeleteAndValuesOfEveryShape) {
    const std::string path = zktest::ScratchKey("UtilPlus");
    const std::string shortPath = path.substr(strlen("HKEY_CURRENT_USER\\"));
    ASSERT_TRUE(RegPathWriteString(path + "\\Deep\\Er", "Name", "value 1"));
    EXPECT_EQ(RegPathReadString(shortPath + "\\Deep\\Er", "Name", "def"), "value 1");
    ASSERT_TRUE(RegPathWriteString(path, "", "default value"));
    EXPECT_EQ(RegPathReadString(path, "", "def"), "default value");
    std::string longText(5000, 'L');
    ASSERT_TRUE(RegPathWriteString(path, "Long", longText));
    EXPECT_EQ(RegPathReadString(path, "Long", "def"), longText);

    UniqueKey key;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, shortPath.c_str(), 0, KEY_SET_VALUE, key.put()),
              ERROR_SUCCESS);
    struct Raw {
        const char* name;
        DWORD type;
        std::string data;
        const char* text;
    };
    const Raw raws[] = {
        {"Dword", REG_DWORD, std::string("\xFF\xFF\xFF\xFF", 4), "4294967295"},
        {"Binary", REG_BINARY, "abc", "abc"},
        {"Unterminated", REG_SZ, "abc", "abc"},
        {"Expand", REG_EXPAND_SZ, std::string("%TEMP%\\x\0", 8), "%TEMP%\\x"},
        {"Multi", REG_MULTI_SZ, std::string("one\0two\0\0", 9), "one"},
    };
    for (const Raw& r : raws) {
        ASSERT_EQ(RegSetValueExA(key.get(), r.name, 0, r.type,
                                 reinterpret_cast<const BYTE*>(r.data.data()),
                                 DWORD(r.data.size())),
                  ERROR_SUCCESS);
        EXPECT_EQ(RegPathReadString(path, r.name, "def"), r.text) << r.name;
    }

    EXPECT_EQ(RegPathReadString(path, "Missing", "def"), "def");
    EXPECT_EQ(RegPathReadString(path + "\\NoSuchKey", "Name", "def"), "def");
    EXPECT_TRUE(RegPathDeleteValue(path, "Dword"));
    EXPECT_EQ(RegPathReadString(path, "Dword", "gone"), "gone");
    EXPECT_FALSE(RegPathDeleteValue(path, "Dword"));
    EXPECT_FALSE(RegPathDeleteValue(path + "\\NoSuchKey", "Name"));
    SHDeleteKeyA(HKEY_CURRENT_USER, shortPath.c_str());
}

TEST(Ini, WriteReadDeleteAndNoLineBreakInjection) {
    std::string dir = zktest::ScratchDir("UtilPlusIni");
    std::string ini = dir + "\\test.ini";
    ASSERT_TRUE(IniWriteString(ini, "S", "Key", "value"));
    ASSERT_TRUE(IniWriteString(ini, "S", "Other", "kept"));
    EXPECT_EQ(IniReadString(ini, "S", "Key", "def"), "value");
    EXPECT_EQ(IniReadString(ini, "S", "Missing", "def"), "def");
    EXPECT_EQ(IniReadString(ini, "NoSection", "Key", "def"), "def");

    ASSERT_TRUE(IniWriteString(ini, "S", "Evil", "a\r\n[Injected]\r\nx=1"));
    EXPECT_EQ(IniReadString(ini, "S", "Evil", "def"), "a[Injected]x=1");
    EXPECT_EQ(IniReadString(ini, "Injected", "x", "def"), "def");

    std::string longValue(10000, 'v');
    ASSERT_TRUE(IniWriteString(ini, "S", "Long", longValue));
    EXPECT_EQ(IniReadString(ini, "S", "Long", ""), longValue);

    EXPECT_TRUE(IniDeleteKey(ini, "S", "Key"));
    EXPECT_EQ(IniReadString(ini, "S", "Key", "def"), "def");
    EXPECT_EQ(IniReadString(ini, "S", "Other", "def"), "kept");
    EXPECT_FALSE(IniWriteString(dir + "\\no such dir\\x.ini", "S", "Key", "v"));
    zktest::RemoveScratch(dir);
}

namespace {

// Points this program's import of user32!ExitWindowsEx somewhere else, so the restart
// request can be observed without restarting: under Wine a real request ends the session of
// every program in the prefix and runs its pending renames and RunOnce entries.
void* RedirectImport(const char* dll, const char* function, void* replacement) {
    auto* base = reinterpret_cast<BYTE*>(GetModuleHandleA(nullptr));
    auto* dos = reinterpret_cast<IMAGE_DOS_HEADER*>(base);
    auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    auto& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    for (auto* imp = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + dir.VirtualAddress);
         imp->Name; ++imp) {
        if (_stricmp(reinterpret_cast<char*>(base + imp->Name), dll) != 0) continue;
        auto* names = reinterpret_cast<IMAGE_THUNK_DATA*>(base + imp->OriginalFirstThunk);
        auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + imp->FirstThunk);
        for (; names->u1.AddressOfData; ++names, ++slots) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
            auto* byName = reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
            if (strcmp(reinterpret_cast<char*>(byName->Name), function) != 0) continue;
            DWORD old;
            VirtualProtect(&slots->u1.Function, sizeof(void*), PAGE_READWRITE, &old);
            void* previous = reinterpret_cast<void*>(slots->u1.Function);
            slots->u1.Function = reinterpret_cast<ULONG_PTR>(replacement);
            VirtualProtect(&slots->u1.Function, sizeof(void*), old, &old);
            return previous;
        }
    }
    return nullptr;
}

std::vector<UINT> exitRequests;
BOOL WINAPI RecordExit(UINT flags, DWORD) {
    exitRequests.push_back(flags);
    return TRUE;
}

bool ShutdownPrivilege(DWORD attributes, bool check) {
    UniqueHandle token;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, token.put()))
        return false;
    LUID luid;
    LookupPrivilegeValueA(nullptr, "SeShutdownPrivilege", &luid);
    if (check) {
        PRIVILEGE_SET set{1, PRIVILEGE_SET_ALL_NECESSARY, {{luid, SE_PRIVILEGE_ENABLED}}};
        BOOL held = FALSE;
        return PrivilegeCheck(token.get(), &set, &held) && held;
    }
    TOKEN_PRIVILEGES tp{1, {{luid, attributes}}};
    SetLastError(0);
    return AdjustTokenPrivileges(token.get(), FALSE, &tp, 0, nullptr, nullptr) &&
           GetLastError() == ERROR_SUCCESS;
}

} // namespace

TEST(Reboot, EnablesTheShutdownPrivilegeThenAsksForAnUnforcedRestart) {
    void* real = RedirectImport("user32.dll", "ExitWindowsEx", reinterpret_cast<void*>(RecordExit));
    ASSERT_NE(real, nullptr);
    ASSERT_TRUE(ShutdownPrivilege(0, false)); // disabled to start with
    ASSERT_FALSE(ShutdownPrivilege(0, true));
    RebootWindows();
    EXPECT_TRUE(ShutdownPrivilege(0, true));
    EXPECT_EQ(exitRequests, std::vector<UINT>{EWX_REBOOT});

    // Without the privilege in the token nothing is asked for.
    exitRequests.clear();
    if (ShutdownPrivilege(SE_PRIVILEGE_REMOVED, false)) {
        RebootWindows();
        EXPECT_TRUE(exitRequests.empty());
    }
    RedirectImport("user32.dll", "ExitWindowsEx", real);
}
