// The owner-drawn components list read and driven from outside: texts and check state in the
// items, a click on a box, the space bar, greyed items that do not change, and the selection
// rules following every toggle.
#include "CheckList.h"
#include "TestEnv.h"
#include "UiDriver.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

using namespace zk;

namespace {

const int ListId = 100, StateId = 101, DescriptionId = 102, AssocListId = 103, AssocStateId = 104,
          ItemHeight = 16;

struct Host {
    zkui::Program program;
    HWND window = nullptr, list = nullptr, state = nullptr;
};

Host StartHost(const std::string& args) {
    Host h;
    h.program = zkui::Start(zktest::BinDir() + "\\checklisthost.exe", args);
    h.window = zkui::FindTopWindow("ZkCheckListHost", "Components", h.program.Pid());
    if (h.window) {
        h.list = zkui::ChildById(h.window, ListId);
        h.state = zkui::ChildById(h.window, StateId);
    }
    return h;
}

std::vector<LPARAM> ItemData(HWND list) {
    std::vector<LPARAM> data;
    LRESULT count = SendMessageW(list, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) data.push_back(SendMessageW(list, LB_GETITEMDATA, i, 0));
    return data;
}

// Waits until the label reads `text` (the host updates the state label after each toggle,
// the description after the click's release); gives what it reads.
std::string WaitForState(HWND label, const std::string& text) {
    std::string now;
    zkui::WaitFor([&] { return (now = zkui::TextOf(label)) == text; }, 5000);
    return now;
}

// Posted clicks come after sent characters: wait until the click has selected its item.
bool WaitForCurrent(HWND list, int index) {
    return zkui::WaitFor([&] { return SendMessageW(list, LB_GETCURSEL, 0, 0) == index; }, 5000);
}

void ClickBox(HWND list, int index) {
    zkui::ClickAt(list, ItemHeight / 2, index * ItemHeight + ItemHeight / 2);
}

const LPARAM Checked = CheckListCheckedBit, Greyed = CheckListDisabledBit;

} // namespace

TEST(CheckList, ItemsToggledByBoxAndSpace) {
    Host h = StartHost("");
    ASSERT_TRUE(h.window && h.list && h.state);
    EXPECT_EQ(zkui::ListItems(h.list),
              (std::vector<std::string>{"|Program|The program\\\\nand its help|100|3|40||1|0|1|0|",
                                        "|Samples|Sample files|200|5|60||0|1|0|0|",
                                        "|Runtime|Needed by every part|300|2|70||0|0|0|1|"}));
    EXPECT_EQ(ItemData(h.list), (std::vector<LPARAM>{Checked, 0, Checked | Greyed}));
    EXPECT_EQ(zkui::TextOf(h.state), "101 0.391");

    ClickBox(h.list, 1);
    EXPECT_EQ(WaitForState(h.state, "111 0.586"), "111 0.586");
    EXPECT_EQ(ItemData(h.list), (std::vector<LPARAM>{Checked, Checked, Checked | Greyed}));
    // The required group does not change, neither by its box nor by the space bar.
    ClickBox(h.list, 2);
    ASSERT_TRUE(WaitForCurrent(h.list, 2));
    zkui::TypeChars(h.list, " ");
    // A click on the text selects without toggling; the space bar then toggles.
    zkui::ClickAt(h.list, 120, ItemHeight / 2);
    ASSERT_TRUE(WaitForCurrent(h.list, 0));
    zkui::TypeChars(h.list, " ");
    EXPECT_EQ(WaitForState(h.state, "011 0.488"), "011 0.488");
    EXPECT_EQ(ItemData(h.list), (std::vector<LPARAM>{0, Checked, Checked | Greyed}));
    // The selection's own notice comes with the release, after the sent space.
    EXPECT_EQ(WaitForState(zkui::ChildById(h.window, DescriptionId), "The program\r\nand its help"),
              "The program\r\nand its help");
    zkui::PostClose(h.window);
    EXPECT_EQ(h.program.Wait(), 0);
}

TEST(CheckList, SingleGroupCheckedAndGreyed) {
    Host h = StartHost("one");
    ASSERT_TRUE(h.window && h.list && h.state);
    EXPECT_EQ(ItemData(h.list), (std::vector<LPARAM>{Checked | Greyed}));
    ClickBox(h.list, 0);
    ASSERT_TRUE(WaitForCurrent(h.list, 0));
    zkui::TypeChars(h.list, " ");
    Sleep(200);
    EXPECT_EQ(ItemData(h.list), (std::vector<LPARAM>{Checked | Greyed}));
    EXPECT_EQ(zkui::TextOf(h.state), "1 0.195");
    zkui::PostClose(h.window);
    EXPECT_EQ(h.program.Wait(), 0);
}

namespace {

// The colours the screen shows in a rectangle of the list's client area.
std::set<COLORREF> ColoursIn(HWND list, const RECT& part) {
    POINT origin{0, 0};
    ClientToScreen(list, &origin);
    std::set<COLORREF> colours;
    for (LONG y = part.top; y < part.bottom; ++y)
        for (LONG x = part.left; x < part.right; ++x)
            colours.insert(zkui::ScreenPixel(origin.x + x, origin.y + y));
    return colours;
}

} // namespace

// The required group selected: its text in the selection's text colour like any other, its
// greyed box saying that it cannot change.
TEST(CheckList, GreyedItemReadableOnTheSelection) {
    Host h = StartHost("");
    ASSERT_TRUE(h.window && h.list);
    zkui::ClickAt(h.list, 120, 2 * ItemHeight + ItemHeight / 2);
    ASSERT_TRUE(WaitForCurrent(h.list, 2));
    SetWindowPos(h.window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE); // over other tests
    const COLORREF text = GetSysColor(COLOR_HIGHLIGHTTEXT), grey = GetSysColor(COLOR_GRAYTEXT);
    const RECT words{ItemHeight + 3, 2 * ItemHeight + 2, ItemHeight + 60, 3 * ItemHeight - 2};
    std::set<COLORREF> shown;
    EXPECT_TRUE(zkui::WaitFor(
        [&] {
            shown = ColoursIn(h.list, words);
            return shown.count(text) && !shown.count(grey);
        },
        3000))
        << "grey text on the selection: " << shown.count(grey);
    const COLORREF mark = GetSysColor(COLOR_WINDOWTEXT);
    const RECT greyedBox{3, 2 * ItemHeight + 3, ItemHeight - 3, 3 * ItemHeight - 3};
    const RECT firstBox{3, 3, ItemHeight - 3, ItemHeight - 3};
    EXPECT_FALSE(ColoursIn(h.list, greyedBox).count(mark)) << "the required group's mark is grey";
    EXPECT_TRUE(ColoursIn(h.list, firstBox).count(mark)) << "a changeable group's is not";
    zkui::PostClose(h.window);
    EXPECT_EQ(h.program.Wait(), 0);
}

TEST(CheckList, RightToLeftBoxOnTheRight) {
    Host h = StartHost("rtl");
    ASSERT_TRUE(h.window && h.list && h.state);
    RECT client = zkui::ClientBox(h.list);
    // The left end is text now; the box sits at the right.
    zkui::ClickAt(h.list, ItemHeight / 2, ItemHeight + ItemHeight / 2);
    ASSERT_TRUE(WaitForCurrent(h.list, 1));
    EXPECT_EQ(zkui::TextOf(h.state), "101 0.391");
    zkui::ClickAt(h.list, client.right - ItemHeight / 2, ItemHeight + ItemHeight / 2);
    EXPECT_EQ(WaitForState(h.state, "111 0.586"), "111 0.586");
    zkui::PostClose(h.window);
    EXPECT_EQ(h.program.Wait(), 0);
}

TEST(CheckList, AssociationsAllCheckedAndUntickable) {
    Host h = StartHost("");
    ASSERT_TRUE(h.window);
    HWND list = zkui::ChildById(h.window, AssocListId);
    HWND state = zkui::ChildById(h.window, AssocStateId);
    ASSERT_TRUE(list && state);
    EXPECT_EQ(zkui::ListItems(list),
              (std::vector<std::string>{"|zk.doc|Zk Document|.zkd||notepad %1|||Create|Remove|",
                                        "#zk.log#Zk Log#.zkl#"}));
    EXPECT_EQ(ItemData(list), (std::vector<LPARAM>{Checked, Checked}));
    EXPECT_EQ(zkui::TextOf(state), "11");
    ClickBox(list, 1);
    EXPECT_EQ(WaitForState(state, "10"), "10");
    EXPECT_EQ(ItemData(list), (std::vector<LPARAM>{Checked, 0}));
    zkui::PostClose(h.window);
    EXPECT_EQ(h.program.Wait(), 0);
}
