#include "Process.h"
#include "Handles.h"
#include "TestEnv.h"
#include "UtilPlus.h"

#include <windows.h>
#include <shlwapi.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

using namespace zk;

namespace {

std::string Fixture(const char* name) {
    return zktest::BinDir() + "\\" + name;
}

std::string ShortPath(const std::string& path) {
    char buf[MAX_PATH];
    DWORD n = GetShortPathNameA(path.c_str(), buf, MAX_PATH);
    return n && n < MAX_PATH ? std::string(buf, n) : std::string();
}

// A started program, ended at the latest when the owner goes.
struct Started {
    UniqueHandle process, thread;
    DWORD id = 0;
    explicit Started(const std::string& commandLine) {
        STARTUPINFOA si{};
        si.cb = sizeof si;
        PROCESS_INFORMATION pi{};
        std::string cmd = commandLine;
        if (!CreateProcessA(nullptr, cmd.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                            nullptr, &si, &pi))
            return;
        process.reset(pi.hProcess), thread.reset(pi.hThread), id = pi.dwProcessId;
    }
    ~Started() {
        if (!process) return;
        TerminateProcess(process.get(), 0);
        WaitForSingleObject(process.get(), 5000);
    }
    DWORD Finish() {
        WaitForSingleObject(process.get(), 60000);
        DWORD code = 0;
        GetExitCodeProcess(process.get(), &code);
        return code;
    }
};

// The sleeper under the names the running tests look for, and the planted C:\...\Prog.exe.
struct Programs {
    std::string dir = zktest::ScratchDir("Process");
    std::string progDir = dir + "\\Prog Dir";
    std::string sleeper = progDir + "\\sleep er.exe";
    std::string planted = dir + "\\Prog.exe";
    std::string mark = dir + "\\mark.txt";
    Programs() {
        CreateDirectoryA(progDir.c_str(), nullptr);
        CopyFileA(Fixture("zksleeper.exe").c_str(), sleeper.c_str(), FALSE);
        CopyFileA(Fixture("zksleeper.exe").c_str(), planted.c_str(), FALSE);
        SetEnvironmentVariableA("ZK_MARK", mark.c_str());
    }
    ~Programs() {
        SetEnvironmentVariableA("ZK_MARK", nullptr);
        zktest::RemoveScratch(dir);
    }
    std::string Marks() {
        std::string m = zktest::ReadBytes(mark);
        DeleteFileA(mark.c_str());
        return m;
    }
};

DWORD Elapsed(DWORD start) {
    return GetTickCount() - start;
}

} // namespace

TEST(RunningPrograms, FoundByNameFullPathAndShortPath) {
    Programs p;
    Started sleeper("\"" + p.sleeper + "\" 30000");
    ASSERT_NE(sleeper.id, 0u);
    std::string shortPath = ShortPath(p.sleeper);
    ASSERT_NE(shortPath, p.sleeper);
    struct Case {
        std::string text;
        bool found, foundWithoutName;
    };
    const Case cases[] = {
        {"sleep er.exe", true, false},
        {"SLEEP ER.EXE", true, false},
        {p.sleeper, true, true},
        {shortPath, true, true},
        {"C:\\nowhere\\sleep er.exe", false, false},
        {"sleep", false, false},
        {"", false, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(IsProgramRunning(c.text), c.found) << c.text;
        DWORD id = FindProcessNT(c.text, false);
        EXPECT_EQ(id, c.found ? sleeper.id : 0u) << c.text;
        EXPECT_EQ(FindProcessNT(c.text, true), c.foundWithoutName ? sleeper.id : 0u) << c.text;
    }
    std::vector<DWORD> ids = GetProcessIdList();
    EXPECT_NE(std::find(ids.begin(), ids.end(), sleeper.id), ids.end());
    EXPECT_NE(std::find(ids.begin(), ids.end(), GetCurrentProcessId()), ids.end());
    EXPECT_TRUE(IsProcessIdRunning(sleeper.id));
    TerminateProcess(sleeper.process.get(), 0);
    WaitForSingleObject(sleeper.process.get(), 5000);
    EXPECT_FALSE(IsProgramRunning(p.sleeper));
}

TEST(RunningPrograms, TheNinetyEightSearchInAProcessOfItsOwn) {
    Programs p;
    const std::string probe = p.dir + "\\zkproc_win98.exe";
    ASSERT_TRUE(CopyFileA(Fixture("zkproc.exe").c_str(), probe.c_str(), FALSE));
    const std::string appDefaults = "Software\\Wine\\AppDefaults\\zkproc_win98.exe";
    ASSERT_TRUE(RegPathWriteString("HKEY_CURRENT_USER\\" + appDefaults, "Version", "win98"));
    auto ask = [&](const std::string& question, const std::string& text) {
        return Started("\"" + probe + "\" " + question + " \"" + text + "\"").Finish();
    };
    {
        Started sleeper("\"" + p.sleeper + "\" 30000");
        // ToolHelp lists base names here, so the name is what can be found.
        EXPECT_EQ(ask("running", "sleep er.exe"), 1u);
        EXPECT_EQ(ask("running", "Sleep Er.exe"), 1u);
        EXPECT_EQ(ask("running", "nosuch.exe"), 0u);
    }
    // The probe adds GaveUp when its 10 s bound ended the wait.
    const DWORD GaveUp = 100000;
    DWORD notRunning = ask("wait", "nosuch.exe");
    EXPECT_GE(notRunning, 900u); // the first round always happens
    EXPECT_LT(notRunning, GaveUp);
    Started sleeper("\"" + p.sleeper + "\" 1500");
    DWORD waited = ask("wait", "sleep er.exe");
    EXPECT_GE(waited, 900u);
    EXPECT_LT(waited, GaveUp);
    EXPECT_EQ(WaitForSingleObject(sleeper.process.get(), 0), WAIT_OBJECT_0) << "waited for its end";
    SHDeleteKeyA(HKEY_CURRENT_USER, appDefaults.c_str());
}

// Judged by the programs' own state, not by the clock: listing processes is slow on a busy
// machine.
TEST(RunningPrograms, WaitEndsWithTheProgramOrAtTheBound) {
    Programs p;
    // Every round of the wait pumps the queue, so a message posted before survives only a wait
    // that took no round.
    MSG msg;
    PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);
    ASSERT_TRUE(PostThreadMessageA(GetCurrentThreadId(), WM_APP, 0, 0));
    EXPECT_TRUE(WaitForProgramExit(p.sleeper));
    EXPECT_TRUE(PeekMessageA(&msg, nullptr, WM_APP, WM_APP, PM_REMOVE)) << "not running: at once";

    Started brief("\"" + p.sleeper + "\" 1200");
    EXPECT_TRUE(WaitForProgramExit("sleep er.exe"));
    EXPECT_EQ(WaitForSingleObject(brief.process.get(), 0), WAIT_OBJECT_0) << "waited for its end";

    Started longer("\"" + p.sleeper + "\" 30000");
    DWORD start = GetTickCount();
    EXPECT_FALSE(WaitForProgramExit(p.sleeper, 1500));
    EXPECT_GE(Elapsed(start), 1500u);
    EXPECT_EQ(WaitForSingleObject(longer.process.get(), 0), WAIT_TIMEOUT) << "ended at the bound";
}

TEST(RunProgram, StartsThePathItNamesNotAProgramAlongItsBlanks) {
    Programs p;
    struct Case {
        std::string path, parameters, commandLine;
    };
    const Case lines[] = {
        {p.sleeper, "10", "\"" + p.sleeper + "\" 10"},
        {p.progDir + "\\sleep er", "", "\"" + p.progDir + "\\sleep er\" "},
        {"\"" + p.sleeper + "\"", "1", "\"" + p.sleeper + "\" 1"},
        {"zksleeper.exe", "", "zksleeper.exe "},
        {"C:\\no such\\x.exe", "a", "C:\\no such\\x.exe a"},
    };
    for (const Case& c : lines) EXPECT_EQ(ProgramCommandLine(c.path, c.parameters), c.commandLine);

    DWORD start = GetTickCount();
    ASSERT_TRUE(RunProgram(p.sleeper, "400", true, SW_HIDE)) << GetLastError();
    EXPECT_GE(Elapsed(start), 400u); // waited for the end of the process it started
    std::string marks = p.Marks();
    EXPECT_NE(marks.find(p.sleeper + "|"), std::string::npos) << marks;
    EXPECT_EQ(marks.find("Prog.exe"), std::string::npos) << marks;
    EXPECT_EQ(std::count(marks.begin(), marks.end(), '\n'), 1);

    ASSERT_TRUE(RunProgram(p.sleeper, "", true, SW_HIDE)); // ends at once
    std::string m = p.Marks();
    EXPECT_NE(m.find("\"" + p.sleeper + "\" \n"), std::string::npos) << m;

    EXPECT_FALSE(RunProgram(p.dir + "\\missing.exe", "", true, SW_HIDE));
    EXPECT_FALSE(RunProgram("", "", false, SW_HIDE));

    char before[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, before);
    ASSERT_TRUE(RunProgram(p.sleeper, "0", false, SW_HIDE));
    char after[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, after);
    EXPECT_STREQ(before, after);
}

TEST(RunProgram, ThroughAppPathsAndTheShell) {
    Programs p;
    const std::string key =
        "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\zkSleeperTest.exe";
    ASSERT_TRUE(RegPathWriteString("HKEY_LOCAL_MACHINE\\" + key, "", p.sleeper));
    EXPECT_TRUE(RunRegisteredApp("zkSleeperTest.exe", "5", true, SW_HIDE));
    EXPECT_NE(p.Marks().find(p.sleeper + "|"), std::string::npos);
    SHDeleteKeyA(HKEY_LOCAL_MACHINE, key.c_str());
    EXPECT_FALSE(RunRegisteredApp("zkSleeperTest.exe", "5", true, SW_HIDE));

    EXPECT_TRUE(ShellOpen(p.sleeper, "5", SW_HIDE));
    zktest::WaitLines(p.mark); // the shell starts it without a wait
    EXPECT_NE(p.Marks().find("sleep er.exe|"), std::string::npos);
    EXPECT_FALSE(ShellOpen(p.dir + "\\missing.exe", "", SW_HIDE));
    WaitForProgramExit(p.sleeper, 5000);
}

TEST(Machine, AdministratorsGroupAndTheDotNetRuntime) {
    EXPECT_TRUE(IsUserAdmin()); // the sandbox's user always is one

    SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
    PSID admins = nullptr, users = nullptr, world = nullptr;
    ASSERT_TRUE(AllocateAndInitializeSid(&nt, 2, SECURITY_BUILTIN_DOMAIN_RID,
                                         DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0, 0, &admins));
    ASSERT_TRUE(AllocateAndInitializeSid(&nt, 2, SECURITY_BUILTIN_DOMAIN_RID,
                                         DOMAIN_ALIAS_RID_USERS, 0, 0, 0, 0, 0, 0, &users));
    SID_IDENTIFIER_AUTHORITY everyone = SECURITY_WORLD_SID_AUTHORITY;
    ASSERT_TRUE(
        AllocateAndInitializeSid(&everyone, 1, SECURITY_WORLD_RID, 0, 0, 0, 0, 0, 0, 0, &world));
    // Groups of many entries (past 1024 bytes), the Administrators group last.
    const DWORD count = 200;
    std::vector<BYTE> buf(sizeof(TOKEN_GROUPS) + count * sizeof(SID_AND_ATTRIBUTES));
    auto* groups = reinterpret_cast<TOKEN_GROUPS*>(buf.data());
    groups->GroupCount = count;
    for (DWORD i = 0; i < count; ++i) groups->Groups[i] = {i % 2 ? users : world, SE_GROUP_ENABLED};
    EXPECT_FALSE(GroupsHoldAdministrators(*groups));
    groups->Groups[count - 1] = {admins, SE_GROUP_USE_FOR_DENY_ONLY}; // deny-only counts too
    EXPECT_TRUE(GroupsHoldAdministrators(*groups));
    groups->GroupCount = 0;
    EXPECT_FALSE(GroupsHoldAdministrators(*groups));
    FreeSid(admins), FreeSid(users), FreeSid(world);

    EXPECT_TRUE(IsDotNetInstalled()); // present in the sandbox's system folder
    std::string dir = zktest::ScratchDir("ProcessDotNet");
    EXPECT_FALSE(HasDotNetRuntimeIn(dir + "\\"));
    ASSERT_TRUE(zktest::WriteBytes(dir + "\\mscoree.dll", "x"));
    EXPECT_TRUE(HasDotNetRuntimeIn(dir + "\\"));
    zktest::RemoveScratch(dir);
}
