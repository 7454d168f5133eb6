// The service bar in this process: its window design, reuse by a second call, the endless
// sweep, the timer stopped while hidden, the window gone once freed.
#include "ControlIds.h"
#include "Ctrls.h"
#include "Global.h"
#include "SrvBar.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <vector>

using namespace zk;

namespace {

HWND Bar() {
    return FindWindowA(zk::ids::SrvBarClass, nullptr);
}
HWND Item(int id) {
    return GetDlgItem(Bar(), id);
}
int Position() {
    return static_cast<int>(SendMessageA(Item(zk::ids::SrvBarProgress), PBM_GETPOS, 0, 0));
}
void SetPosition(int pos) {
    SendMessageA(Item(zk::ids::SrvBarProgress), PBM_SETPOS, pos, 0);
}

// Positions the bar takes from `from` on, until it wrapped to 0 (at most 5 s).
std::vector<int> SweepFrom(int from) {
    SetPosition(from);
    std::vector<int> seen{from};
    for (DWORD start = GetTickCount(); GetTickCount() - start < 5000 && seen.back() != 0;) {
        WaitWithAppMessages(20);
        if (Position() != seen.back()) seen.push_back(Position());
    }
    return seen;
}

} // namespace

TEST(SrvBar, WindowAsDesigned) {
    ShowServiceBar("STARTING Service:", "ZkSvc");
    HWND bar = Bar();
    ASSERT_NE(bar, nullptr);
    EXPECT_TRUE(IsWindowVisible(bar));
    EXPECT_EQ(WindowText(bar), "Start/Stop NT-Service");
    EXPECT_TRUE(GetWindowLongA(bar, GWL_EXSTYLE) & WS_EX_TOPMOST);
    RECT client, box;
    GetClientRect(bar, &client);
    GetWindowRect(bar, &box);
    EXPECT_EQ(client.right, 352);
    EXPECT_EQ(client.bottom, 107);
    EXPECT_NEAR((box.left + box.right) / 2, GetSystemMetrics(SM_CXSCREEN) / 2, 1);
    EXPECT_NEAR((box.top + box.bottom) / 2, GetSystemMetrics(SM_CYSCREEN) / 2, 1);

    struct Control {
        int id;
        const char* text;
        RECT at; // in the client area
    } controls[] = {
        {zk::ids::SrvBarAction, "STARTING Service:", {32, 16, 0, 0}},
        {zk::ids::SrvBarName, "ZkSvc", {32, 40, 0, 0}},
        {zk::ids::SrvBarProgress, "", {32, 67, 32 + 289, 67 + 13}},
    };
    for (const Control& c : controls) {
        HWND h = Item(c.id);
        ASSERT_NE(h, nullptr) << c.id;
        EXPECT_EQ(WindowText(h), c.text);
        RECT r;
        GetWindowRect(h, &r);
        MapWindowPoints(nullptr, bar, reinterpret_cast<POINT*>(&r), 2);
        EXPECT_EQ(r.left, c.at.left) << c.id;
        EXPECT_EQ(r.top, c.at.top) << c.id;
        if (c.at.right) {
            EXPECT_EQ(r.right, c.at.right) << c.id;
            EXPECT_EQ(r.bottom, c.at.bottom) << c.id;
        }
    }
    PBRANGE range{};
    SendMessageA(Item(zk::ids::SrvBarProgress), PBM_GETRANGE, FALSE,
                 reinterpret_cast<LPARAM>(&range));
    EXPECT_EQ(range.iLow, 0);
    EXPECT_EQ(range.iHigh, 20);
    EXPECT_GE(Position(), 1) << "one step per 500 ms during the second shown";
    EXPECT_LE(Position(), 3);
    FreeServiceBar();
    EXPECT_FALSE(IsWindow(bar));
}

TEST(SrvBar, SecondShowReusesTheWindowAndRestartsTheSweep) {
    ShowServiceBar("STOPPING Service:", "One");
    HWND first = Bar();
    SetPosition(15);
    ShowServiceBar("REMOVING Service:", "Two");
    EXPECT_EQ(Bar(), first);
    EXPECT_EQ(WindowText(Item(zk::ids::SrvBarAction)), "REMOVING Service:");
    EXPECT_EQ(WindowText(Item(zk::ids::SrvBarName)), "Two");
    EXPECT_LE(Position(), 3);
    FreeServiceBar();
    EXPECT_EQ(Bar(), nullptr);
    FreeServiceBar(); // nothing to free
}

TEST(SrvBar, SweepWrapsBeforeTheEndAndStopsWhileHidden) {
    ShowServiceBar("CREATING Service:", "Sweep");
    EXPECT_EQ(SweepFrom(18), (std::vector<int>{18, 19, 0}));

    ShowWindow(Bar(), SW_HIDE);
    SetPosition(5);
    WaitWithAppMessages(1200);
    EXPECT_EQ(Position(), 5) << "hidden: the timer is off";
    FreeServiceBar();
}
