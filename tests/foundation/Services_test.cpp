// Services through the real service manager with the zksvc fixture: the whole cycle from a
// folder with a blank, the bounded waits, the bar around each operation, nothing on 9x.
#include "ControlIds.h"
#include "Ctrls.h"
#include "Services.h"
#include "TestEnv.h"
#include "UtilPlus.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

using namespace zk;

namespace {

// Actions and names the bar showed while a call ran, sampled by a thread timer.
struct BarWatch {
    BarWatch() : timer_(SetTimer(nullptr, 0, 100, &Sample)) { seen.clear(); }
    ~BarWatch() { KillTimer(nullptr, timer_); }
    static inline std::set<std::string> seen;

  private:
    static void CALLBACK Sample(HWND, UINT, UINT_PTR, DWORD) {
        HWND bar = FindWindowA(zk::ids::SrvBarClass, nullptr);
        if (!bar || !IsWindowVisible(bar)) return;
        seen.insert(WindowText(GetDlgItem(bar, zk::ids::SrvBarAction)) + " " +
                    WindowText(GetDlgItem(bar, zk::ids::SrvBarName)));
    }
    UINT_PTR timer_;
};

std::string StoredBinaryPath(const std::string& name) {
    UniqueService manager, service;
    if (!OpenServiceByName(name, manager, service)) return "";
    std::vector<char> buf(8192);
    DWORD needed = 0;
    auto* config = reinterpret_cast<QUERY_SERVICE_CONFIGA*>(buf.data());
    if (!QueryServiceConfigA(service.get(), config, buf.size(), &needed)) return "";
    return config->lpBinaryPathName;
}

bool Exists(const std::string& name) {
    UniqueService manager, service;
    return OpenServiceByName(name, manager, service, SC_MANAGER_CONNECT, SERVICE_QUERY_STATUS);
}

// The fixture copied below a folder whose name holds a blank.
std::string ServiceExe(const std::string& scratch) {
    std::string dir = zktest::ScratchDir(scratch) + "\\svc dir";
    CreateDirectoryA(dir.c_str(), nullptr);
    std::string exe = dir + "\\zksvc.exe";
    CopyFileA((zktest::BinDir() + "\\zksvc.exe").c_str(), exe.c_str(), FALSE);
    return exe;
}

DWORD MsSince(DWORD start) {
    return GetTickCount() - start;
}

} // namespace

TEST(Services, WholeCycleByKeyAndDisplayName) {
    const std::string key = "ZkTestSvcCycle", display = "ZkTest cycle service";
    RemoveServiceByName(key, false); // left over from a broken run
    std::string exe = ServiceExe("ServicesCycle");

    ASSERT_TRUE(CreateServiceByName(exe, key, display, false));
    EXPECT_EQ(StoredBinaryPath(key), "\"" + exe + "\"");
    EXPECT_FALSE(CreateServiceByName(exe, key, display, false)) << "exists already";

    struct Step {
        const char* what;
        bool (*call)(const Text&, bool);
        const std::string& name;
        bool result, runningAfter;
    } steps[] = {
        {"start by display name", StartServiceByName, display, true, true},
        {"second start", StartServiceByName, key, false, true},
        {"stop by key name", StopServiceByName, key, true, false},
        {"second stop", StopServiceByName, display, false, false},
        {"start again", StartServiceByName, key, true, true},
        {"remove a running one", RemoveServiceByName, display, true, false},
        {"second remove", RemoveServiceByName, key, false, false},
    };
    for (const Step& s : steps) {
        EXPECT_EQ(s.call(s.name, false), s.result) << s.what;
        EXPECT_EQ(IsServiceRunning(key), s.runningAfter) << s.what;
        EXPECT_EQ(IsServiceRunning(display), s.runningAfter) << s.what;
    }
    EXPECT_FALSE(Exists(key));
    zktest::RemoveScratch("C:\\zktest\\ServicesCycle");
}

TEST(Services, ProgramPathWithABlankIsQuoted) {
    std::string exe = ServiceExe("ServicesQuote");
    struct Case {
        std::string path, stored;
    } cases[] = {
        {exe, "\"" + exe + "\""},
        {"C:\\Program Files\\Tool\\svc.EXE", "\"C:\\Program Files\\Tool\\svc.EXE\""},
        {"\"" + exe + "\" -run", "\"" + exe + "\" -run"},
        {"C:\\Tool\\svc.exe -run now", "C:\\Tool\\svc.exe -run now"},
        {"C:\\Tool\\svc.exe", "C:\\Tool\\svc.exe"},
    };
    for (const Case& c : cases) EXPECT_EQ(QuotedServicePath(c.path), c.stored) << c.path;
    zktest::RemoveScratch("C:\\zktest\\ServicesQuote");
}

TEST(Services, UnknownServiceGivesFalseEverywhere) {
    const std::string name = "ZkTestSvcNoSuchService";
    EXPECT_FALSE(StartServiceByName(name, false));
    EXPECT_FALSE(StopServiceByName(name, false));
    EXPECT_FALSE(RemoveServiceByName(name, false));
    EXPECT_FALSE(IsServiceRunning(name));
    EXPECT_EQ(GetServiceState(nullptr), 0u);
}

TEST(Services, KeyNameOfDisplayNameAndOfKeyName) {
    const std::string key = "ZkTestSvcNames", display = "ZkTest names service";
    RemoveServiceByName(key, false);
    ASSERT_TRUE(CreateServiceByName(ServiceExe("ServicesNames"), key, display, false));
    UniqueService manager(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT));
    EXPECT_EQ(GetServiceKeyNameOf(manager.get(), display), key);
    EXPECT_EQ(GetServiceKeyNameOf(manager.get(), key), key);
    EXPECT_EQ(GetServiceKeyNameOf(manager.get(), "ZkTest unknown"), "ZkTest unknown");
    EXPECT_TRUE(RemoveServiceByName(key, false)) << "stopped: deleted without a stop request";
    zktest::RemoveScratch("C:\\zktest\\ServicesNames");
}

TEST(Services, WaitsEndWhenTheStateSettlesTheOtherWay) {
    const std::string dying = "ZkTestSvcDying", stubborn = "ZkTestSvcStubborn";
    RemoveServiceByName(dying, false);
    RemoveServiceByName(stubborn, false);
    std::string exe = "\"" + ServiceExe("ServicesWaits") + "\"";
    ASSERT_TRUE(CreateServiceByName(exe + " die", dying, dying, false));
    ASSERT_TRUE(CreateServiceByName(exe + " stubborn", stubborn, stubborn, false));

    // Ends while starting: the start wait sees STOPPED settle instead of waiting 30 s.
    DWORD t = GetTickCount();
    EXPECT_FALSE(StartServiceByName(dying, false));
    EXPECT_LT(MsSince(t), 7000u);
    EXPECT_EQ(ServiceStateText(SERVICE_STOPPED), "The service is not running.");

    // Takes the stop request and runs on for 8 s: the stop wait gives up while it runs.
    ASSERT_TRUE(StartServiceByName(stubborn, false));
    t = GetTickCount();
    EXPECT_FALSE(StopServiceByName(stubborn, false));
    EXPECT_LT(MsSince(t), 7000u);
    EXPECT_TRUE(IsServiceRunning(stubborn));

    EXPECT_TRUE(RemoveServiceByName(dying, false));
    EXPECT_TRUE(RemoveServiceByName(stubborn, false));
    for (DWORD wait = GetTickCount(); Exists(stubborn) && MsSince(wait) < 15000;) Sleep(200);
    EXPECT_FALSE(Exists(stubborn)) << "deleted once its process ended";
    zktest::RemoveScratch("C:\\zktest\\ServicesWaits");
}

TEST(Services, BarShowsEachOperationAndIsFreedAfter) {
    const std::string key = "ZkTestSvcBar", display = "ZkTest bar service";
    RemoveServiceByName(key, false);
    std::string exe = ServiceExe("ServicesBar");
    struct Case {
        bool (*call)(const std::string&, const std::string&);
        bool result;
        const char* shown;
    } cases[] = {
        {[](const std::string& exe, const std::string&) {
             return CreateServiceByName(exe, "ZkTestSvcBar", "ZkTest bar service", true);
         },
         true, "CREATING Service: ZkTest bar service"},
        {[](const std::string&, const std::string& n) { return StartServiceByName(n, true); }, true,
         "STARTING Service: ZkTestSvcBar"},
        // Already running: no wait, but the bar is still shown and freed.
        {[](const std::string&, const std::string& n) { return StartServiceByName(n, true); },
         false, "STARTING Service: ZkTestSvcBar"},
        {[](const std::string&, const std::string& n) { return StopServiceByName(n, true); }, true,
         "STOPPING Service: ZkTestSvcBar"},
        {[](const std::string&, const std::string& n) { return RemoveServiceByName(n, true); },
         true, "REMOVING Service: ZkTestSvcBar"},
    };
    for (const Case& c : cases) {
        BarWatch watch;
        EXPECT_EQ(c.call(exe, key), c.result) << c.shown;
        EXPECT_EQ(BarWatch::seen, std::set<std::string>{c.shown});
        EXPECT_EQ(FindWindowA(zk::ids::SrvBarClass, nullptr), nullptr) << c.shown;
    }
    zktest::RemoveScratch("C:\\zktest\\ServicesBar");
}

// The outer run (XP) starts a copy of this exe that Wine reports as Windows 98; there every
// function must leave the running service alone, make none and show no bar.
TEST(Services, NothingHappensOn9x) {
    const std::string running = "ZkTestSvc9x", fresh = "ZkTestSvc9xNew";
    if (!IsWinNT()) {
        BarWatch watch;
        EXPECT_FALSE(CreateServiceByName(ServiceExe("Services9xInner"), fresh, fresh, true));
        EXPECT_FALSE(IsServiceRunning(running));
        EXPECT_FALSE(StartServiceByName(running, true));
        EXPECT_FALSE(StopServiceByName(running, true));
        EXPECT_FALSE(RemoveServiceByName(running, true));
        EXPECT_TRUE(BarWatch::seen.empty());
        return;
    }
    RemoveServiceByName(running, false);
    RemoveServiceByName(fresh, false);
    ASSERT_TRUE(CreateServiceByName(ServiceExe("Services9x"), running, running, false));
    ASSERT_TRUE(StartServiceByName(running, false));

    std::string copy = "C:\\zktest\\Services9x\\zksvctest98.exe";
    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    ASSERT_TRUE(CopyFileA(self, copy.c_str(), FALSE));
    const std::string appKey = "HKEY_CURRENT_USER\\Software\\Wine\\AppDefaults\\zksvctest98.exe";
    ASSERT_TRUE(RegPathWriteString(appKey, "Version", "win98"));
    std::string cmd = "\"" + copy + "\" --gtest_filter=Services.NothingHappensOn9x";
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    ASSERT_TRUE(CreateProcessA(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                               &si, &pi));
    WaitForSingleObject(pi.hProcess, 60000);
    DWORD code = 1;
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\Wine\\AppDefaults\\zksvctest98.exe");

    EXPECT_EQ(code, 0u) << "the 9x run failed";
    EXPECT_TRUE(IsServiceRunning(running));
    EXPECT_FALSE(Exists(fresh));
    EXPECT_TRUE(RemoveServiceByName(running, false));
    zktest::RemoveScratch("C:\\zktest\\Services9x");
    zktest::RemoveScratch("C:\\zktest\\Services9xInner");
}
