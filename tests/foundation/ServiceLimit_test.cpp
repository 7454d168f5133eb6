// The time limit of the service waits: a service that stays "starting" holds the caller for
// about 30 s, not until it ends. Its own exe, so the long wait runs beside the other tests.
#include "Services.h"
#include "TestEnv.h"

#include <gtest/gtest.h>

using namespace zk;

TEST(ServiceLimit, StartWaitGivesUpOnAServiceThatStaysPending) {
    const std::string name = "ZkTestSvcPending";
    RemoveServiceByName(name, false);
    std::string exe = zktest::ScratchDir("ServiceLimit") + "\\zksvc.exe";
    ASSERT_TRUE(CopyFileA((zktest::BinDir() + "\\zksvc.exe").c_str(), exe.c_str(), FALSE));
    ASSERT_TRUE(CreateServiceByName("\"" + exe + "\" hang", name, name, false));

    DWORD start = GetTickCount();
    EXPECT_FALSE(StartServiceByName(name, false));
    DWORD took = GetTickCount() - start;
    EXPECT_GE(took, ServiceWaitMs - 500);
    EXPECT_LT(took, ServiceWaitMs + 4000) << "the service itself ends after 36 s";
    UniqueService manager, service;
    ASSERT_TRUE(OpenServiceByName(name, manager, service));
    EXPECT_EQ(GetServiceState(service.get()), DWORD(SERVICE_START_PENDING));
    CloseServiceHandles(manager, service);

    EXPECT_TRUE(RemoveServiceByName(name, false)) << "marked; gone once its process ends";
    for (DWORD wait = GetTickCount(); GetTickCount() - wait < 15000; Sleep(200))
        if (!OpenServiceByName(name, manager, service)) break;
    EXPECT_FALSE(service) << "deleted after the process ended";
    zktest::RemoveScratch("C:\\zktest\\ServiceLimit");
}
