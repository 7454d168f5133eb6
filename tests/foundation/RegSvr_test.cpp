// Self-registration with the comsrv fixtures: a server that writes and removes its own key,
// one that fails, and the files that must not be loaded at all.
#include "RegSvr.h"
#include "TestEnv.h"
#include "UtilPlus.h"

#include <shlwapi.h>
#include <gtest/gtest.h>

using namespace zk;

namespace {

const char ServerKey[] = "HKEY_CURRENT_USER\\Software\\ZkTest\\ComServer";

std::string RegisteredServer() {
    return RegPathReadString(ServerKey, "Server", "<none>");
}

struct MtaRun {
    std::string file;
    bool result = true;
    HRESULT apartment = E_FAIL;
};

DWORD WINAPI RegisterInMultithreadedApartment(void* p) {
    auto* r = static_cast<MtaRun*>(p);
    r->apartment = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    r->result = RegisterServerFile(r->file, true);
    CoUninitialize();
    return 0;
}

std::string CopyTo(const std::string& from, const std::string& to) {
    CopyFileA(from.c_str(), to.c_str(), FALSE);
    return to;
}

} // namespace

TEST(RegSvr, RegistersAndUnregistersThroughTheExports) {
    SHDeleteKeyA(HKEY_CURRENT_USER, "Software\\ZkTest\\ComServer");
    std::string dir = zktest::ScratchDir("RegSvr") + "\\com dir";
    CreateDirectoryA(dir.c_str(), nullptr);
    std::string bin = zktest::BinDir();
    const std::string ok = CopyTo(bin + "\\zkcom_ok.dll", dir + "\\zkcom_ok.dll");
    const std::string ocx = CopyTo(ok, dir + "\\server.OCX");
    struct Case {
        std::string file;
        bool doRegister, result;
        const char* after; // the key's value afterwards
    } cases[] = {
        {ok, true, true, ok.c_str()},
        {ok, false, true, "<none>"},
        {ocx, true, true, ocx.c_str()},
        {ocx, false, true, "<none>"},
        {bin + "\\zkcom_fail.dll", true, false, "<none>"},
        {bin + "\\zkcom_fail.dll", false, false, "<none>"},
        {bin + "\\zk_execdll.dll", true, false, "<none>"}, // loads, has no export
        {dir + "\\missing.dll", true, false, "<none>"},
        // Never loaded: not a server file name, or not an absolute path.
        {CopyTo(ok, dir + "\\server.exe"), true, false, "<none>"},
        {"zkcom_ok.dll", true, false, "<none>"},
        {"com dir\\zkcom_ok.dll", true, false, "<none>"},
        {"C:zkcom_ok.dll", true, false, "<none>"},
    };
    // Relative names would resolve here if they were loaded.
    SetCurrentDirectoryA(bin.c_str());
    for (const Case& c : cases) {
        EXPECT_EQ(RegisterServerFile(c.file, c.doRegister), c.result) << c.file;
        EXPECT_EQ(RegisteredServer(), c.after) << c.file;
    }
    for (const char* module : {"zkcom_ok.dll", "zkcom_fail.dll", "zk_execdll.dll", "server.ocx"})
        EXPECT_EQ(GetModuleHandleA(module), nullptr) << module << " still loaded";
    SetCurrentDirectoryA("C:\\");
    SHDeleteKeyA(HKEY_CURRENT_USER, "Software\\ZkTest\\ComServer");
    zktest::RemoveScratch("C:\\zktest\\RegSvr");
}

// A thread of the multithreaded apartment cannot have OLE: false, nothing loaded.
TEST(RegSvr, FailingOleInitialisationGivesFalse) {
    SHDeleteKeyA(HKEY_CURRENT_USER, "Software\\ZkTest\\ComServer");
    MtaRun run{zktest::BinDir() + "\\zkcom_ok.dll"};
    HANDLE thread = CreateThread(nullptr, 0, RegisterInMultithreadedApartment, &run, 0, nullptr);
    ASSERT_NE(thread, nullptr);
    WaitForSingleObject(thread, 20000);
    CloseHandle(thread);
    ASSERT_EQ(run.apartment, S_OK);
    EXPECT_FALSE(run.result);
    EXPECT_EQ(RegisteredServer(), "<none>");
}

TEST(RegSvr, OleStaysUsableForTheCaller) {
    ASSERT_EQ(OleInitialize(nullptr), S_OK);
    std::string ok = zktest::BinDir() + "\\zkcom_ok.dll";
    EXPECT_TRUE(RegisterServerFile(ok, true));
    EXPECT_TRUE(RegisterServerFile(ok, false));
    EXPECT_EQ(OleInitialize(nullptr), S_FALSE) << "still initialised after the balanced calls";
    OleUninitialize();
    OleUninitialize();
}
