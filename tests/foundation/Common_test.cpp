#include "Common.h"
#include "RunTimeDir.h"
#include "TestEnv.h"
#include "UtilPlus.h"

#include <windows.h>
#include <shlwapi.h>

#include <gtest/gtest.h>

using namespace zk;

namespace {

std::string ShortPath(const std::string& path) {
    char buf[MAX_PATH];
    DWORD n = GetShortPathNameA(path.c_str(), buf, MAX_PATH);
    return n && n < MAX_PATH ? std::string(buf, n) : std::string();
}

std::string ShellFolder(const char* root, const char* name) {
    return RegPathReadString(std::string(root) +
                                 "\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\"
                                 "Shell Folders",
                             name, "");
}

} // namespace

TEST(PathShape, AbsoluteIsADriveOrAShare) {
    struct Case {
        const char* path;
        bool absolute;
    };
    const Case cases[] = {
        {"C:\\x", true},
        {"c:/x", true},
        {"C:\\", true},
        {"\\\\srv\\share", true},
        {"\\\\srv\\share\\x", true},
        {"//srv/share", true},
        {"", false},
        {"x", false},
        {"\\x", false}, // an unset folder's result
        {"C:x", false},
        {"C:", false},
        {"1:\\x", false},
        {"\\\\srv", false},
        {"\\\\srv\\", false},
        {"\\\\.\\C:\\x", false},
        {"\\\\?\\C:\\x", false},
    };
    for (const Case& c : cases) EXPECT_EQ(IsAbsolutePath(c.path), c.absolute) << c.path;
}

TEST(CanonicalizePath, ResolvesEveryFormOfOneFolderToOneText) {
    std::string dir = zktest::ScratchDir("CommonCanon");
    std::string longDir = dir + "\\A Long Folder Name";
    ASSERT_TRUE(CreateDirectoryA(longDir.c_str(), nullptr));
    std::string shortDir = ShortPath(longDir);
    ASSERT_FALSE(shortDir.empty());
    ASSERT_NE(shortDir, longDir);
    const std::string win = GetWindowsDir(false);
    struct Case {
        std::string path, canonical;
    };
    const Case cases[] = {
        {"", ""},
        {"relative\\x", ""},
        {"\\x", ""},
        {"C:x", ""},
        {"C:/windows", win},
        {"C:\\windows\\.", win},
        {"C:\\windows\\x\\..", win},
        {"C:\\windows\\\\", win},
        {"\\\\?\\C:\\windows", win},
        {"C:\\", "C:\\"},
        {"C:\\..\\..", "C:\\"},
        {"c:/", "C:\\"},
        {shortDir, longDir},
        {shortDir + "\\not yet\\", longDir + "\\not yet"},
        {"\\\\srv\\share\\dir\\", "\\\\srv\\share\\dir"},
        {"\\\\srv\\share", "\\\\srv\\share"},
    };
    for (const Case& c : cases) {
        std::string got = CanonicalizePath(c.path);
        EXPECT_TRUE(TextEquals(got, c.canonical)) << c.path << " gave " << got;
    }
    zktest::RemoveScratch(dir);
}

TEST(IsSystemFolder, RefusesSystemFoldersTheirAncestorsAndEveryOtherFormOfThem) {
    std::string dir = zktest::ScratchDir("CommonSystemFolder");
    const std::string win = GetWindowsDir(false),
                      personal = ShellFolder("HKEY_CURRENT_USER", "Personal");
    const std::string commonDesktop = ShellFolder("HKEY_LOCAL_MACHINE", "Common Desktop");
    ASSERT_FALSE(personal.empty());
    ASSERT_FALSE(commonDesktop.empty());
    char profile[MAX_PATH] = "";
    GetEnvironmentVariableA("USERPROFILE", profile, MAX_PATH);
    const std::string refused[] = {
        "",
        "relative",
        "\\windows",
        "C:\\",
        "C:",
        "C:\\.",
        "\\\\srv\\share",
        "\\\\srv\\share\\",
        win,
        win + "\\.",
        "C:/windows",
        win + "\\x\\..",
        ShortPath(GetProgramFilesDir()),
        GetSystemDir(true),
        GetSystem16Dir(),
        GetTempDir(false),
        GetFontsDir(),
        GetProgramFilesDir(),
        GetCommonFilesDir(),
        GetUserDir(),
        profile,
        personal,
        ShellFolder("HKEY_CURRENT_USER", "Desktop"),
        ShellFolder("HKEY_CURRENT_USER", "Startup"),
        ShellFolder("HKEY_CURRENT_USER", "AppData"),
        ShellFolder("HKEY_CURRENT_USER", "SendTo"),
        GetStartMenuDir(),
        commonDesktop,
        commonDesktop.substr(0, commonDesktop.rfind('\\')),               // the All Users profile
        std::string(profile).substr(0, std::string(profile).rfind('\\')), // the profiles
    };
    for (const std::string& path : refused) EXPECT_TRUE(IsSystemFolder(path)) << path;

    const std::string allowed[] = {
        dir,
        dir + "\\App",
        win + "\\ZkApp",
        GetProgramFilesDir() + "\\ZkApp",
        personal + "\\ZkApp",
        GetTempDir(true) + "ZkApp",
        "\\\\srv\\share\\dir",
    };
    for (const std::string& path : allowed) EXPECT_FALSE(IsSystemFolder(path)) << path;
    zktest::RemoveScratch(dir);
}

TEST(FolderMacros, ExpandOnThisMachine) {
    SetInstallFolders("C:\\App", "C:\\Shared", "C:\\Aux");
    const std::string user = GetWinUserName(), exeDir = zktest::BinDir();
    const std::string win = GetWindowsDir(false), sys = GetSystemDir(false);
    struct Case {
        std::string text, expanded;
    };
    const Case cases[] = {
        {"<InstallDir>\\bin", "C:\\App\\bin"},
        {"<InstallCommonDir>x", "C:\\Shared\\x"},
        {"<Auxiliary Folder>x", "C:\\Aux\\x"},
        {"<WINSYSDIR>x", sys + "\\x"},
        {"<WinSys16Dir>x", win + "\\system\\x"},
        {"<FontDir>x", win + "\\Fonts\\x"},
        {"<SrcDir>x", exeDir + "\\x"},
        {"<TempDir>x", GetTempDir(true) + "x"},
        {"<UserDir>", GetUserDir() + "\\"},
        {"<WinDrive>\\x", win.substr(0, 2) + "\\x"},
        // Only "<UserName>" or a date: the doubled backslash stays.
        {"a\\\\<UserName>", "a\\\\" + user},
        {"<UserName>\\\\x<Date=9>", user + "\\\\x<Date=9>"},
        {"<UserName>\\<InstallDir>", user + "\\C:\\App\\"},
    };
    for (const Case& c : cases) {
        std::string got = ExpandFolderMacros(c.text, "\\");
        EXPECT_TRUE(TextEquals(got, c.expanded)) << c.text << " gave " << got;
    }
    EXPECT_EQ(ExpandFolderMacros("<Date=6>", "\\"), FormatDateCode('6'));
    EXPECT_EQ(FormatDateCode('6').size(), 10u);
    EXPECT_GT(std::stol(FormatDateCode('0')), 9400); // days since 2000
    EXPECT_TRUE(TextEquals(
        GetUserDir(), ShellFolder("HKEY_CURRENT_USER", "Personal")
                          .substr(0, ShellFolder("HKEY_CURRENT_USER", "Personal").rfind('\\'))));
    SetInstallFolders("", "", "");
}

TEST(FolderMacros, OriginFolderFromTheLauncherKeyOrTheProgram) {
    const char sub[] = "Software\\Zelkon_Dyn_Data";
    SHDeleteKeyA(HKEY_CURRENT_USER, sub);
    EXPECT_EQ(GetOriginDir(), zktest::BinDir());
    EXPECT_TRUE(TextEquals(GetOriginExe(), GetExeName()));
    EXPECT_EQ(ExpandFolderMacros("<OriginDir>x", "\\"), ExpandFolderMacros("<SrcDir>x", "\\"));

    ASSERT_TRUE(RegPathWriteString(DynDataKey, "OriginDir", "E:\\Setup Disk"));
    ASSERT_TRUE(RegPathWriteString(DynDataKey, "OriginExe", "E:\\Setup Disk\\Launch.exe"));
    EXPECT_EQ(ExpandFolderMacros("<OriginDir>\\x", "\\"), "E:\\Setup Disk\\x");
    EXPECT_EQ(ExpandFolderMacros("<OriginDrive>x", "\\"), "E:\\x");
    EXPECT_EQ(GetOriginExe(), "E:\\Setup Disk\\Launch.exe");
    SHDeleteKeyA(HKEY_CURRENT_USER, sub);
}

TEST(FolderMacros, WellKnownNames) {
    EXPECT_EQ(GetSetupTextName(false), "Setup.txt");
    EXPECT_EQ(GetUninstallTextName(false), "UnInstall.txt");
    EXPECT_EQ(GetSetupLogName(true), zktest::BinDir() + "\\Setup.log");
    EXPECT_FALSE(IsExistingDir(""));
    EXPECT_TRUE(IsExistingDir(zktest::BinDir()));
    EXPECT_FALSE(IsExistingDir(GetExeName()));
}
