// Subclassed controls: each hook sees a message once and passes it down to the control's own
// procedure, whatever the hooks stacked on it, and the control's end still reaches that
// procedure.
#include "Ctrls.h"

#include <gtest/gtest.h>

#include <vector>

using namespace zk;

namespace {

constexpr UINT Probe = WM_APP + 7;
constexpr LRESULT OwnAnswer = 42;
const char SlotA[] = "zk.test.HookA";
const char SlotB[] = "zk.test.HookB";

struct Seen {
    int hookA = 0, hookB = 0, own = 0, ownEnd = 0;
} seen;

LRESULT CALLBACK OwnProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == Probe) {
        ++seen.own;
        return OwnAnswer;
    }
    if (msg == WM_NCDESTROY) ++seen.ownEnd;
    return DefWindowProcA(h, msg, wp, lp);
}

LRESULT CALLBACK HookA(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == Probe) ++seen.hookA;
    return CallPreviousProc(h, SlotA, msg, wp, lp);
}

LRESULT CALLBACK HookB(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == Probe) ++seen.hookB;
    return CallPreviousProc(h, SlotB, msg, wp, lp);
}

HWND MakeControl() {
    static const bool registered = [] {
        WNDCLASSA wc{};
        wc.lpfnWndProc = OwnProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "ZkCtrlsTestControl";
        return RegisterClassA(&wc) != 0;
    }();
    EXPECT_TRUE(registered);
    return CreateWindowExA(0, "ZkCtrlsTestControl", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                           GetModuleHandleA(nullptr), nullptr);
}

} // namespace

TEST(Subclass, EachHookOnceThenTheControlsOwnProcedure) {
    struct Hook {
        const char* slot;
        WNDPROC proc;
    };
    struct Case {
        const char* what;
        std::vector<Hook> installs;
        int hookA, hookB;
    } cases[] = {
        {"one hook", {{SlotA, HookA}}, 1, 0},
        {"the same hook twice", {{SlotA, HookA}, {SlotA, HookA}}, 1, 0},
        {"two kinds of hook", {{SlotA, HookA}, {SlotB, HookB}}, 1, 1},
        {"two kinds, the first again on top",
         {{SlotA, HookA}, {SlotB, HookB}, {SlotA, HookA}},
         1,
         1},
    };
    for (const Case& c : cases) {
        HWND control = MakeControl();
        ASSERT_TRUE(control) << c.what;
        for (const Hook& h : c.installs) SubclassControl(control, h.slot, h.proc);
        seen = {};
        EXPECT_EQ(SendMessageA(control, Probe, 0, 0), OwnAnswer) << c.what;
        EXPECT_EQ(seen.hookA, c.hookA) << c.what;
        EXPECT_EQ(seen.hookB, c.hookB) << c.what;
        EXPECT_EQ(seen.own, 1) << c.what;
        DestroyWindow(control);
        EXPECT_EQ(seen.ownEnd, 1) << c.what << ": the control's end reaches its own procedure";
    }
}

TEST(Subclass, ControlsKeepTheirOwnHooks) {
    HWND hooked = MakeControl(), plain = MakeControl();
    ASSERT_TRUE(hooked && plain);
    SubclassControl(hooked, SlotA, HookA);
    seen = {};
    SendMessageA(plain, Probe, 0, 0);
    EXPECT_EQ(seen.hookA, 0);
    SendMessageA(hooked, Probe, 0, 0);
    EXPECT_EQ(seen.hookA, 1);
    EXPECT_EQ(seen.own, 2);
    DestroyWindow(hooked);
    DestroyWindow(plain);
}
