// The billboard window in this process: replacing and freeing it, a layout that arrives after
// the window went, the pause while the exit question shows. The windows sit in the "Hide"
// place (a 5-pixel corner), out of the way of other tests' windows.
#include "Billboard.h"
#include "ControlIds.h"
#include "Global.h"
#include "TestEnv.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <vector>

using namespace zk;

namespace {

// Hidden corner, 200 x 100, a tick every half second.
const Text Row = "||||||Hide||||||||||200|100||1|";

std::vector<Text> Pages() {
    std::string dir = zktest::ScratchDir("billboard_unit");
    std::vector<Text> pages;
    for (int i = 1; i <= 3; ++i) {
        Text page = dir + "\\page" + std::to_string(i) + ".txt";
        zktest::WriteBytes(page, "Page " + std::to_string(i) + "\r\n");
        pages.push_back(page);
    }
    return pages;
}

BOOL CALLBACK CountBillboard(HWND w, LPARAM count) {
    char cls[64] = {};
    GetClassNameA(w, cls, sizeof cls);
    if (std::string(cls) == ids::BillboardClass) ++*reinterpret_cast<int*>(count);
    return TRUE;
}

int BillboardWindowsOfThisThread() {
    int n = 0;
    EnumThreadWindows(GetCurrentThreadId(), CountBillboard, reinterpret_cast<LPARAM>(&n));
    return n;
}

} // namespace

TEST(Billboard, ASecondShowFreesTheFirst) {
    std::vector<Text> pages = Pages();
    ShowBillboard(nullptr, Row, pages, false, false);
    HWND first = BillboardWindow();
    ASSERT_TRUE(IsWindow(first));
    ShowBillboard(nullptr, Row, pages, false, false);
    HWND second = BillboardWindow();
    EXPECT_FALSE(IsWindow(first)) << "freed, its timer with it";
    EXPECT_TRUE(IsWindow(second));
    EXPECT_EQ(BillboardWindowsOfThisThread(), 1);
    WaitWithMessages(300);
    FreeBillboard();
    EXPECT_EQ(BillboardWindowsOfThisThread(), 0);
    EXPECT_EQ(BillboardWindow(), nullptr);
    EXPECT_FALSE(IsBillboardActive());
}

TEST(Billboard, LayoutPostedBeforeTheFreeIsDropped) {
    // The show step posts the first page's layout; the window goes before it is served.
    ShowBillboard(nullptr, Row, Pages(), false, false);
    HWND window = BillboardWindow();
    FreeBillboard();
    WaitWithMessages(200);
    EXPECT_FALSE(IsWindow(window));
}

TEST(Billboard, RunsToItsEndAndTheWaitReturns) {
    ShowBillboard(nullptr, Row, Pages(), false, false);
    HWND close = GetDlgItem(BillboardWindow(), ids::BillboardCloseButton);
    EXPECT_FALSE(IsWindowVisible(close));
    EXPECT_TRUE(IsBillboardActive());
    DWORD start = GetTickCount();
    WaitForBillboardEnd();
    DWORD took = GetTickCount() - start;
    EXPECT_TRUE(IsWindowVisible(close)) << "the wait shows Close";
    EXPECT_FALSE(IsBillboardActive());
    // The first page at once, the next two after two half-second ticks each, and two ticks
    // after the last.
    EXPECT_GE(took, 2900u);
    EXPECT_LT(took, 6000u) << "not many ticks more";
    EXPECT_TRUE(IsWindow(BillboardWindow())) << "the last page stays until freed";
    FreeBillboard();
}

TEST(Billboard, PausesWhileTheExitQuestionShows) {
    std::atomic<bool> question{true};
    ShowBillboard(nullptr, Row, Pages(), false, true, [&] { return question.load(); });
    EXPECT_TRUE(IsWindowVisible(GetDlgItem(BillboardWindow(), ids::BillboardCloseButton)))
        << "Close shown from the start when asked";
    WaitWithMessages(4500); // longer than the whole show
    EXPECT_TRUE(IsBillboardActive()) << "no step while the question is open";
    question = false;
    DWORD start = GetTickCount();
    WaitForBillboardEnd();
    // Six more ticks from the second page on, the first of them at most one tick away.
    EXPECT_GE(GetTickCount() - start, 2400u) << "the show goes on where it stood";
    EXPECT_FALSE(IsBillboardActive());
    FreeBillboard();
}

TEST(Billboard, StoppedByTheOwnerAndFreedDuringTheWait) {
    ShowBillboard(nullptr, Row, Pages(), false, false);
    SetBillboardActive(false);
    EXPECT_FALSE(IsBillboardActive());
    DWORD start = GetTickCount();
    WaitForBillboardEnd();
    EXPECT_LT(GetTickCount() - start, 2000u) << "well short of the show's three seconds";
    FreeBillboard();
    WaitForBillboardEnd();    // nothing to wait for
    SetBillboardActive(true); // nothing to start
    EXPECT_FALSE(IsBillboardActive());
}
