// Execute conditions and operations on the registry, App Paths, services, COM servers and the
// environment, each family in a key, folder or service of the test's own.
#include <windows.h>

#include <gtest/gtest.h>

#include "ExecCond.h"
#include "ExecOp.h"
#include "Handles.h"
#include "Process.h"
#include "RegOp.h"
#include "ConditionCases.h"
#include "TestEnv.h"
#include "UtilPlus.h"

using namespace zk;

namespace {

bool Perform(int id, const Text& p1, const Text& p2 = "", const Text& p3 = "") {
    bool exitRequest = false;
    return PerformOperationId(id, p1, p2, p3, exitRequest);
}

const Text kAppPaths =
    "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\";

// An App Paths entry of the test's own, removed again when the test ends.
struct AppEntry {
    AppEntry(const Text& file, const Text& program) : key(kAppPaths + file) {
        RegPathWriteString(key, "", program);
    }
    ~AppEntry() { DeleteRegKey(key); }
    Text key;
};

Text ReadValue(const Text& path, const Text& name) {
    bool isNumber = false;
    return ReadRegValueAsText(path, name, isNumber);
}

} // namespace

TEST(ExecMachine, RegistryConditions) {
    const Text key = zktest::ScratchKey("ExecCondReg");
    WriteRegValue(key, "Count", "9", true);
    WriteRegValue(key, "Text", "9", false);
    WriteRegValue(key, "", "default", false);
    const zktest::ConditionCase cases[] = {
        {41, key, "", "", true},
        {41, key + "\\Missing", "", "", false},
        {42, key, "", "Count", true},
        {42, key, "", "count", true}, // value names have no letter case
        {42, key, "", "None", false},
        {42, key + "\\Missing", "", "Count", false},
        {43, key + "\\Count", "<", "10", true}, // a number: 009 against 010
        {43, key + "\\Text", "<", "10", false}, // a text: "9" sorts after "10"
        {43, key + "\\Count", "=", "9", true},
        {43, key + "\\(Default)", "=", "default", true},
        {43, key + "\\(default)", "!=", "other", true},
        {43, key + "\\None", "=", "", true}, // a missing value reads as empty
        {43, "NoBackslash", "=", "", false},
        {43, key + "\\Count", "~", "9", false},
    };
    zktest::ExpectConditions(cases);
    DeleteRegKey(key);
}

TEST(ExecMachine, RegistryOperations) {
    const Text key = zktest::ScratchKey("ExecOpReg");
    const Text made = key + "\\Made", kept = key + "\\Kept";
    WriteRegValue(kept, "", "keep me", false);
    EXPECT_TRUE(Perform(61, made));
    EXPECT_TRUE(RegKeyExists(made));
    EXPECT_TRUE(RegValueExists(made, "")); // a new key gets an empty default value
    EXPECT_TRUE(Perform(61, kept));
    EXPECT_EQ(ReadValue(kept, ""), "keep me"); // an existing one keeps its own

    EXPECT_TRUE(Perform(63, made, "Name", "Ann"));
    EXPECT_TRUE(Perform(64, made, "Count", "12"));
    EXPECT_TRUE(Perform(64, made, "Zero", "twelve"));
    EXPECT_TRUE(Perform(65, made, "Bytes", "FF,00,3A"));
    bool isNumber = false;
    EXPECT_EQ(ReadRegValueAsText(made, "Count", isNumber), "12");
    EXPECT_TRUE(isNumber);
    EXPECT_EQ(ReadValue(made, "Zero"), "0");
    EXPECT_EQ(ReadValue(made, "Name"), "Ann");
    BYTE bytes[8] = {};
    DWORD type = 0, size = sizeof bytes;
    EXPECT_EQ(RegGetValueA(HKEY_CURRENT_USER, "Software\\ZkTest\\ExecOpReg\\Made", "Bytes",
                           RRF_RT_ANY, &type, bytes, &size),
              ERROR_SUCCESS);
    EXPECT_EQ(type, static_cast<DWORD>(REG_BINARY));
    EXPECT_EQ(Text(reinterpret_cast<char*>(bytes), size), Text("\xFF\x00\x3A", 3));

    EXPECT_TRUE(Perform(66, made, "Name"));
    EXPECT_FALSE(RegValueExists(made, "Name"));
    EXPECT_TRUE(Perform(62, made));
    EXPECT_FALSE(RegKeyExists(made));
    EXPECT_TRUE(RegKeyExists(kept));
    EXPECT_FALSE(Perform(62, "HKEY_CURRENT_USER\\")); // never a whole root
    EXPECT_TRUE(RegKeyExists("HKEY_CURRENT_USER\\Software"));
    DeleteRegKey(key);
}

TEST(ExecMachine, ApplicationConditionsAndOperations) {
    const Text dir = zktest::ScratchDir("ExecApp");
    const Text appDir = dir + "\\App";
    CreateDirectoryA(appDir.c_str(), nullptr);
    const Text program = appDir + "\\zkexecapp.exe";
    CopyFileA((zktest::BinDir() + "\\zkver_comma.dll").c_str(), program.c_str(), FALSE);
    zktest::WriteBytes(appDir + "\\data.txt", "x");
    AppEntry app("zkexecapp.exe", program);
    AppEntry none("zkexecnone.exe", "");
    struct Case {
        int id;
        const char* p;
        const char* r;
        const char* v;
        bool result;
    };
    const Case conditions[] = {
        {21, "zkexecapp.exe", "", "", true},         {21, "ZKEXECAPP.EXE", "", "", true},
        {21, "zkexecnone.exe", "", "", false},       {21, "zkexecmissing.exe", "", "", false},
        {22, "zkexecapp.exe", "", "", true},         {22, "zkexecnone.exe", "", "", false},
        {23, "zkexecapp.exe", "=", "1.2.3.4", true}, {23, "zkexecapp.exe", ">", "1.2.3", true},
        {23, "zkexecapp.exe", "<", "1.2", false},    {23, "zkexecmissing.exe", "<", "0.1", true},
    };
    for (const Case& c : conditions)
        EXPECT_EQ(TestCondition(c.id, c.p, c.r, c.v), c.result) << c.id << " " << c.p << c.r << c.v;

    EXPECT_FALSE(Perform(31, "zkexecmissing.exe"));
    EXPECT_TRUE(Perform(31, "zkexecapp.exe"));
    EXPECT_FALSE(zktest::Exists(program));
    EXPECT_FALSE(Perform(31, "zkexecapp.exe")); // the file is gone now
    EXPECT_TRUE(zktest::Exists(appDir + "\\data.txt"));

    EXPECT_FALSE(Perform(32, "zkexecmissing.exe"));
    EXPECT_TRUE(Perform(32, "zkexecapp.exe"));
    EXPECT_FALSE(zktest::Exists(appDir));
    EXPECT_TRUE(zktest::Exists(dir));
    EXPECT_FALSE(Perform(32, "zkexecapp.exe")); // its folder is gone
    zktest::RemoveScratch(dir);
}

TEST(ExecMachine, TreeDeletionsRefuseRootsAndWindowsFolders) {
    const Text dir = zktest::ScratchDir("ExecTrees");
    CreateDirectoryA((dir + "\\Tree").c_str(), nullptr);
    CreateDirectoryA((dir + "\\Tree\\Sub").c_str(), nullptr);
    zktest::WriteBytes(dir + "\\Tree\\Sub\\f.txt", "x");
    zktest::WriteBytes(dir + "\\canary.txt", "alive");
    const Text windows = GetWindowsDir(false);
    // Entries whose folder is a root or Windows' own, as a real registration can leave them.
    AppEntry atRoot("zkexecroot.exe", "C:\\zkexecroot.exe");
    AppEntry inWindows("zkexecwin.exe", windows + "\\notepad.exe");
    AppEntry inSystem("zkexecsys.exe", GetSystemDir(true) + "zkexecsys.exe");
    EXPECT_FALSE(Perform(32, "zkexecroot.exe"));
    EXPECT_FALSE(Perform(32, "zkexecwin.exe"));
    EXPECT_FALSE(Perform(32, "zkexecsys.exe"));
    const Text refused[] = {"",
                            "C:\\",
                            "C:",
                            "zktest",
                            "\\",
                            windows,
                            GetSystemDir(false),
                            "C:\\zktest\\..",
                            GetTempDir(false)};
    for (const Text& p : refused) EXPECT_FALSE(Perform(22, p)) << p;
    EXPECT_TRUE(zktest::Exists(windows + "\\notepad.exe") ||
                zktest::Exists(windows + "\\system32"));
    EXPECT_TRUE(zktest::Exists(GetSystemDir(true) + "kernel32.dll"));
    EXPECT_EQ(zktest::ReadBytes(dir + "\\canary.txt"), "alive");

    EXPECT_TRUE(Perform(22, dir + "\\Tree"));
    EXPECT_FALSE(zktest::Exists(dir + "\\Tree"));
    EXPECT_FALSE(Perform(22, dir + "\\Tree")); // it has to exist first
    EXPECT_EQ(zktest::ReadBytes(dir + "\\canary.txt"), "alive");
    zktest::RemoveScratch(dir);
}

TEST(ExecMachine, EnvironmentVariables) {
    SetEnvironmentVariableA("ZK_EXEC_PART", "abc");
    const Text name = "ZK_EXEC_MACHINE_VAR";
    const Text user = "HKEY_CURRENT_USER\\Environment";
    const Text system = GetEnvironmentKeyPath(true);
    struct Case {
        const char* scope;
        const Text& key;
    };
    const Case cases[] = {{"User", user}, {"user", user}, {"", system}, {"Machine", system}};
    for (const Case& c : cases) {
        ASSERT_TRUE(Perform(73, name, "x%ZK_EXEC_PART%y", c.scope)) << c.scope;
        EXPECT_EQ(ReadValue(c.key, name), "xabcy") << c.scope;
        EXPECT_TRUE(Perform(74, name, c.scope)) << c.scope;
        EXPECT_FALSE(RegValueExists(c.key, name)) << c.scope;
    }
    SetEnvironmentVariableA("ZK_EXEC_PART", nullptr);
}

TEST(ExecMachine, ServicesAndTheirCondition) {
    const Text key = "ZkTestExecSvc";
    Perform(54, key); // left over from a broken run
    const Text dir = zktest::ScratchDir("ExecSvc");
    const Text exe = dir + "\\zksvc.exe";
    CopyFileA((zktest::BinDir() + "\\zksvc.exe").c_str(), exe.c_str(), FALSE);
    EXPECT_FALSE(TestCondition(32, key, "", ""));
    ASSERT_TRUE(Perform(53, exe, key, "ZkTest execute service"));
    EXPECT_FALSE(Perform(53, exe, key, "ZkTest execute service")); // exists already
    EXPECT_FALSE(TestCondition(32, key, "", ""));
    EXPECT_TRUE(Perform(51, key));
    EXPECT_TRUE(TestCondition(32, key, "", ""));
    EXPECT_TRUE(Perform(52, key));
    EXPECT_FALSE(TestCondition(32, key, "", ""));
    EXPECT_TRUE(Perform(51, key));
    EXPECT_TRUE(Perform(54, key)); // stops it first
    EXPECT_FALSE(TestCondition(32, key, "", ""));
    EXPECT_FALSE(Perform(54, key));
    EXPECT_FALSE(Perform(51, key));
    zktest::RemoveScratch(dir);
}

TEST(ExecMachine, ComServers) {
    const Text bin = zktest::BinDir();
    const Text serverKey = "HKEY_CURRENT_USER\\Software\\ZkTest\\ComServer";
    EXPECT_TRUE(Perform(55, bin + "\\zkcom_ok.dll"));
    EXPECT_NE(RegPathReadString(serverKey, "Server", "<none>"), "<none>");
    EXPECT_TRUE(Perform(56, bin + "\\zkcom_ok.dll"));
    EXPECT_EQ(RegPathReadString(serverKey, "Server", "<none>"), "<none>");
    EXPECT_FALSE(Perform(55, bin + "\\zkcom_fail.dll"));
    EXPECT_FALSE(Perform(56, bin + "\\zkcom_fail.dll"));
    EXPECT_FALSE(Perform(55, "zkcom_ok.dll")); // relative: never loaded
}

namespace {

// Start marks of the sleeper fixture, one "program|command line" line per start.
struct SleeperMarks {
    explicit SleeperMarks(const Text& dir) : file(dir + "\\marks.txt") {
        SetEnvironmentVariableA("ZK_MARK", file.c_str());
    }
    ~SleeperMarks() { SetEnvironmentVariableA("ZK_MARK", nullptr); }
    Text Take() {
        Text t = zktest::ReadBytes(file);
        DeleteFileA(file.c_str());
        return t;
    }
    // Waits until a start was noted (a start without wait returns before the program runs).
    Text TakeWhenThere() {
        zktest::WaitLines(file);
        return Take();
    }
    Text file;
};

DWORD MsSince(DWORD start) {
    return GetTickCount() - start;
}

void EndProgram(const Text& path) {
    UniqueHandle process(
        OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, FindProcessNT(path, false)));
    if (!process) return;
    TerminateProcess(process.get(), 0);
    WaitForSingleObject(process.get(), 10000);
}

} // namespace

TEST(ExecMachine, ProgramsStartedDirectlyThroughAppPathsAndTheShell) {
    const Text dir = zktest::ScratchDir("ExecRun");
    const Text sleeper = dir + "\\zkexecsleep.exe";
    CopyFileA((zktest::BinDir() + "\\zksleeper.exe").c_str(), sleeper.c_str(), FALSE);
    SleeperMarks marks(dir);
    AppEntry app("zkexecsleep.exe", sleeper);

    // Started and waited for: the call returns after the program's end.
    struct Wait {
        int id;
        Text p1;
    };
    const Wait waits[] = {{42, sleeper}, {35, "zkexecsleep.exe"}};
    for (const Wait& w : waits) {
        const DWORD start = GetTickCount();
        EXPECT_TRUE(Perform(w.id, w.p1, "400", "SW_HIDE")) << w.id;
        EXPECT_GE(MsSince(start), 350u) << w.id;
        EXPECT_FALSE(TestCondition(31, sleeper, "", "")) << w.id;
        EXPECT_NE(marks.Take().find(sleeper + "|" + sleeper + " 400"), Text::npos) << w.id;
    }

    // Started without waiting: the program runs while the item goes on. It would run a minute,
    // so a busy machine cannot blur the difference.
    struct NoWait {
        int id;
        Text p1;
        const char* show;
    };
    const NoWait starts[] = {{41, sleeper, "SW_SHOWNORMAL"},
                             {34, "zkexecsleep.exe", ""},
                             {43, sleeper, "SW_HIDE"},
                             {44, sleeper, "SW_SHOW"}};
    for (const NoWait& s : starts) {
        const DWORD start = GetTickCount();
        ASSERT_TRUE(Perform(s.id, s.p1, "60000", s.show)) << s.id;
        EXPECT_LT(MsSince(start), 30000u) << s.id;
        EXPECT_NE(marks.TakeWhenThere().find(sleeper + "|"), Text::npos) << s.id;
        EXPECT_TRUE(TestCondition(31, sleeper, "", "")) << s.id;
        EXPECT_TRUE(TestCondition(31, "zkexecsleep.exe", "", "")) << s.id;
        EndProgram(sleeper);
    }
    EXPECT_FALSE(TestCondition(31, "zkexecsleep.exe", "", ""));

    // Nothing to start.
    EXPECT_FALSE(Perform(41, dir + "\\missing.exe", "", ""));
    EXPECT_FALSE(Perform(42, dir + "\\missing.exe", "", ""));
    EXPECT_FALSE(Perform(34, "zkexecmissing.exe", "", ""));
    EXPECT_FALSE(Perform(43, dir + "\\missing.exe", "", ""));
    EXPECT_EQ(marks.Take(), "");
    zktest::RemoveScratch(dir);
}

TEST(ExecMachine, UninstallApplicationRunsTheEntrysCommand) {
    const Text dir = zktest::ScratchDir("ExecUninst");
    const Text sleeper = dir + "\\zkexecuninst.exe";
    CopyFileA((zktest::BinDir() + "\\zksleeper.exe").c_str(), sleeper.c_str(), FALSE);
    SleeperMarks marks(dir);
    const Text entries =
        "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\UnInstall\\";
    const Text plain = entries + "ZkTestExecUninst", withArgs = entries + "ZkTestExecUninstArgs";
    RegPathWriteString(plain, "DisplayName", "ZkTest Exec Product");
    RegPathWriteString(plain, "UninstallString", sleeper);
    RegPathWriteString(withArgs, "DisplayName", "ZkTest Exec Args");
    RegPathWriteString(withArgs, "UninstallString", sleeper + " /x");
    EXPECT_TRUE(Perform(33, "ZkTest Exec Product"));
    EXPECT_FALSE(TestCondition(31, sleeper, "", "")); // it was waited for
    EXPECT_NE(marks.Take().find(sleeper + "|"), Text::npos);
    EXPECT_FALSE(Perform(33, "ZkTest Exec Args")); // no file of exactly that name
    EXPECT_FALSE(Perform(33, "ZkTest No Such Product"));
    EXPECT_EQ(marks.Take(), "");
    DeleteRegKey(plain);
    DeleteRegKey(withArgs);
    zktest::RemoveScratch(dir);
}
