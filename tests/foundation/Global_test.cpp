#include "Global.h"
#include "Handles.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <vector>

using namespace zk;

namespace {

const UINT TestMsg = WM_APP + 1;

// A hidden window that counts what reaches its procedure.
struct Counter {
    int testMsgs = 0;
    int timers = 0;
};

LRESULT CALLBACK CountingProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    auto* c = reinterpret_cast<Counter*>(GetWindowLongPtrA(w, GWLP_USERDATA));
    if (c && msg == TestMsg) ++c->testMsgs;
    if (c && msg == WM_TIMER) ++c->timers;
    return DefWindowProcA(w, msg, wp, lp);
}

UniqueWindow MakeCountingWindow(Counter& c) {
    WNDCLASSA wc{};
    wc.lpfnWndProc = CountingProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "ZkGlobalTest";
    RegisterClassA(&wc);
    UniqueWindow w(CreateWindowA("ZkGlobalTest", "", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr,
                                 wc.hInstance, nullptr));
    SetWindowLongPtrA(w.get(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&c));
    return w;
}

void DrainQueue() {
    MSG m;
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
    }
}

struct Wait {
    const char* name;
    void (*run)();
};
const Wait Waits[] = {
    {"ProcessOneMessage x3",
     [] {
         for (int i = 0; i < 3; ++i) ProcessOneMessage();
     }},
    {"WaitWithMessages", [] { WaitWithMessages(30); }},
    {"WaitWithMessagesSleep", [] { WaitWithMessagesSleep(200); }},
    {"ProcessAppMessages", [] { ProcessAppMessages(); }},
    {"WaitWithAppMessages", [] { WaitWithAppMessages(30); }},
};

} // namespace

TEST(Pumping, TickComparisonSurvivesTheWrap) {
    struct Case {
        DWORD start, now, ms;
        bool passed;
    };
    const Case cases[] = {
        {1000, 1100, 100, false},
        {1000, 1101, 100, true},
        {0xFFFFFFF0u, 0x10, 100, false},
        {0xFFFFFFF0u, 0x60, 100, true},
        {0xFFFFFF00u, 0xFFFFFF00u, 0, false},
        {0xFFFFFFFFu, 0, 0, true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(TicksPassed(c.start, c.now, c.ms), c.passed) << c.start << " " << c.now;
}

TEST(Pumping, EveryWaitDispatchesAndKeepsWmQuitForTheCallersLoop) {
    Counter c;
    UniqueWindow w = MakeCountingWindow(c);
    for (const Wait& wait : Waits) {
        DrainQueue();
        c.testMsgs = 0;
        PostQuitMessage(7);
        PostMessageA(w.get(), TestMsg, 0, 0);
        PostMessageA(w.get(), TestMsg, 0, 0);
        wait.run();
        EXPECT_EQ(c.testMsgs, 2) << wait.name;
        MSG m;
        ASSERT_TRUE(PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) << wait.name;
        EXPECT_EQ(m.message, UINT(WM_QUIT)) << wait.name;
        EXPECT_EQ(m.wParam, WPARAM(7)) << wait.name;
    }
}

TEST(Pumping, WaitsLastTheirTimeAndKeepTimersRunning) {
    Counter c;
    UniqueWindow w = MakeCountingWindow(c);
    DrainQueue();
    SetTimer(w.get(), 1, 10, nullptr);
    for (void (*wait)(DWORD) : {WaitWithMessages, WaitWithAppMessages, WaitWithMessagesSleep}) {
        c.timers = 0;
        DWORD start = GetTickCount();
        wait(200);
        DWORD took = GetTickCount() - start;
        EXPECT_GT(took, 200u);
        EXPECT_LT(took, 5000u); // generous: the machine may be loaded by parallel tests
        EXPECT_GE(c.timers, 1);
    }
    KillTimer(w.get(), 1);
    DWORD start = GetTickCount();
    WaitWithMessages(0); // at least one pass, ends once the tick moved
    EXPECT_LT(GetTickCount() - start, 2000u);
}

TEST(Pumping, AppMessageFilterTakesMessagesBeforeDispatch) {
    Counter c;
    UniqueWindow w = MakeCountingWindow(c);
    DrainQueue();
    static int filtered = 0;
    filtered = 0;
    SetAppMessageFilter([](MSG& m) {
        if (m.message != TestMsg || m.wParam != 1) return false;
        ++filtered;
        return true;
    });
    PostMessageA(w.get(), TestMsg, 1, 0);
    PostMessageA(w.get(), TestMsg, 2, 0);
    ProcessAppMessages();
    SetAppMessageFilter(nullptr);
    EXPECT_EQ(filtered, 1);
    EXPECT_EQ(c.testMsgs, 1);
}

namespace {
bool stopAsked = false;
bool StopAsked() {
    return stopAsked;
}
} // namespace

// Every wait and every scope marks the thread busy, the hook sees only the outermost edges,
// and a step's wait ends once the run's stop is asked for or its window went.
TEST(Pumping, ScopesMarkTheThreadBusyAndAStepsWaitEndsWithItsStop) {
    std::vector<bool> edges;
    SetBusyChangedHook([&](bool busy) { edges.push_back(busy); });
    SetStopRequestTest(StopAsked);
    EXPECT_FALSE(PumpScope::Active());
    {
        PumpScope step;
        WaitWithMessages(10);
        EXPECT_TRUE(PumpScope::Active());
    }
    EXPECT_FALSE(PumpScope::Active());
    EXPECT_EQ(edges, (std::vector<bool>{true, false})) << "the inner wait is no edge";

    Counter c;
    UniqueWindow w = MakeCountingWindow(c);
    PumpScope step(w.get());
    EXPECT_TRUE(step.Continue());
    stopAsked = true;
    DWORD start = GetTickCount();
    EXPECT_FALSE(step.Wait(60000));
    EXPECT_LT(GetTickCount() - start, 30000u) << "ends with the stop";
    stopAsked = false;
    EXPECT_TRUE(step.Wait(10));
    w.reset();
    EXPECT_FALSE(step.Continue()) << "its window went";
    SetStopRequestTest(nullptr);
    SetBusyChangedHook({});
}

namespace {
std::vector<std::string> calls;
HANDLE done;
DWORD callbackThread;
void RecordProc() {
    calls.push_back("Proc");
    callbackThread = GetCurrentThreadId();
}
void RecordProcData(intptr_t d) {
    calls.push_back("ProcData " + std::to_string(d));
}
} // namespace

TEST(CallbackThread, RunsTheSetCallbacksInOrderOnItsOwnThread) {
    calls.clear();
    UniqueHandle ev(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    done = ev.get();
    DWORD id = RunInThread(
        RecordProc, RecordProcData, 42, [] { calls.push_back("Method"); },
        [](intptr_t d) {
            calls.push_back("MethodData " + std::to_string(d));
            SetEvent(done);
        });
    ASSERT_NE(id, 0u);
    ASSERT_EQ(WaitForSingleObject(ev.get(), 5000), WAIT_OBJECT_0);
    EXPECT_EQ(calls, (std::vector<std::string>{"Proc", "Method", "ProcData 42", "MethodData 42"}));
    EXPECT_EQ(callbackThread, id);
    EXPECT_NE(callbackThread, GetCurrentThreadId());

    static std::atomic<intptr_t> seen{0};
    ASSERT_NE(RunProcInThread([](intptr_t d) { seen = d; }, -5), 0u);
    for (int i = 0; i < 500 && seen == 0; ++i) Sleep(10);
    EXPECT_EQ(seen, -5);
}

TEST(CallbackThread, WithoutCallbacksEndsAtOnce) {
    DWORD id = RunInThread(nullptr, nullptr, 0);
    ASSERT_NE(id, 0u);
    UniqueHandle t(OpenThread(SYNCHRONIZE, FALSE, id));
    if (t) {
        EXPECT_EQ(WaitForSingleObject(t.get(), 5000), WAIT_OBJECT_0);
    }
}
