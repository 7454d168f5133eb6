// The message box end to end: a host program shows it from its command line and exits with
// the result code; the UI driver reads and presses it from outside.
#include "ControlIds.h"
#include "TestEnv.h"
#include "UiDriver.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace ids = zk::ids;

namespace {

struct Box {
    zkui::Program host;
    HWND window = nullptr;
};

// uihost MODE FLAGS CHARSET OWNER CAPTION TEXT [BUTTONS]; the box is not looked for yet.
Box StartBox(unsigned flags, const std::string& text = "Short text", int charset = 0,
             const std::string& owner = "1", const std::string& caption = "Caption",
             const std::string& buttons = "", const std::string& mode = "msgbox") {
    Box b;
    std::string args = mode + " " + std::to_string(flags) + " " + std::to_string(charset) + " " +
                       owner + " " + zkui::Quote(caption) + " " + zkui::Quote(text);
    if (!buttons.empty()) args += " " + zkui::Quote(buttons);
    b.host = zkui::Start(zktest::BinDir() + "\\uihost.exe", args);
    return b;
}

HWND FindBox(Box& b) {
    return b.window = zkui::FindTopWindow(ids::MsgBoxClass, "", b.host.Pid());
}

Box OpenBox(unsigned flags, const std::string& text = "Short text", int charset = 0,
            const std::string& owner = "1", const std::string& caption = "Caption",
            const std::string& buttons = "") {
    Box b = StartBox(flags, text, charset, owner, caption, buttons);
    FindBox(b);
    return b;
}

std::vector<HWND> Buttons(HWND box) {
    std::vector<HWND> r;
    for (int id = ids::MsgBoxButton1; id <= ids::MsgBoxButton3; ++id)
        if (HWND b = zkui::ChildById(box, id)) r.push_back(b);
    return r;
}

std::vector<std::string> Captions(HWND box) {
    std::vector<std::string> r;
    for (HWND b : Buttons(box)) r.push_back(zkui::TextOf(b));
    return r;
}

int Width(const RECT& r) {
    return r.right - r.left;
}
int Height(const RECT& r) {
    return r.bottom - r.top;
}

} // namespace

TEST(MsgBox, ButtonSetsGiveTheirResultCodes) {
    struct Case {
        unsigned set;
        std::vector<std::string> captions;
        std::vector<long> results;
    } cases[] = {
        {0, {"OK"}, {1}},
        {1, {"OK", "Cancel"}, {1, 2}},
        {2, {"Abort", "Retry", "Ignore"}, {3, 4, 5}},
        {3, {"Yes", "No", "Cancel"}, {6, 7, 2}},
        {4, {"Yes", "No"}, {6, 7}},
        {5, {"Retry", "Cancel"}, {4, 2}},
    };
    // All boxes open at once: one host each, every button pressed once.
    struct Run {
        const Case* c;
        size_t pressed;
        Box box;
    };
    std::vector<Run> runs;
    for (const Case& c : cases)
        for (size_t pressed = 0; pressed < c.results.size(); ++pressed)
            runs.push_back({&c, pressed, StartBox(c.set)});
    for (Run& r : runs) {
        ASSERT_TRUE(FindBox(r.box)) << "set " << r.c->set;
        EXPECT_EQ(Captions(r.box.window), r.c->captions) << "set " << r.c->set;
        zkui::Click(Buttons(r.box.window).at(r.pressed));
    }
    for (Run& r : runs)
        EXPECT_EQ(r.box.host.Wait(), r.c->results[r.pressed])
            << "set " << r.c->set << " button " << r.pressed;
}

TEST(MsgBox, ClosingWithoutAButtonGivesZero) {
    for (unsigned set : {4u, 6u}) {
        Box b = OpenBox(set);
        ASSERT_TRUE(b.window);
        if (set == 6) {
            EXPECT_TRUE(Buttons(b.window).empty()) << "sets above 5 have no buttons";
        }
        zkui::PostClose(b.window);
        EXPECT_EQ(b.host.Wait(), 0) << "set " << set;
    }
}

TEST(MsgBox, EnterAndEscapeDoNothing) {
    Box b = OpenBox(1);
    ASSERT_TRUE(b.window);
    HWND ok = Buttons(b.window).at(0);
    for (WPARAM key : {VK_RETURN, VK_ESCAPE}) {
        PostMessageA(ok, WM_KEYDOWN, key, 0);
        PostMessageA(ok, WM_KEYUP, key, 0);
    }
    EXPECT_EQ(b.host.Wait(500), -1) << "the box must stay open";
    zkui::Click(Buttons(b.window).at(1));
    EXPECT_EQ(b.host.Wait(), 2);
}

TEST(MsgBox, GeometryOfAShortText) {
    Box b = OpenBox(3);
    ASSERT_TRUE(b.window);
    RECT outer = zkui::WindowBox(b.window), client = zkui::ClientBox(b.window);
    EXPECT_EQ(Width(outer), 360) << "a short text gives the minimum width";
    EXPECT_EQ(outer.left, (GetSystemMetrics(SM_CXSCREEN) - Width(outer)) / 2);
    EXPECT_EQ(outer.top, (GetSystemMetrics(SM_CYSCREEN) - Height(outer)) / 2);
    std::vector<HWND> buttons = Buttons(b.window);
    ASSERT_EQ(buttons.size(), 3u);
    for (size_t i = 0; i < buttons.size(); ++i) {
        RECT r = zkui::ChildBox(buttons[i]);
        EXPECT_EQ(Width(r), 70);
        EXPECT_EQ(Height(r), 23);
        EXPECT_EQ(r.top, client.bottom - 29);
        EXPECT_EQ(r.left, client.right - 80 - 83 * (2 - static_cast<int>(i)))
            << "right-aligned, 13 pixels apart";
    }
    RECT body = zkui::ChildBox(zkui::ChildById(b.window, ids::MsgBoxBody));
    EXPECT_EQ(body.left, 54 + (client.right - Width(body) - 54) / 2);
    EXPECT_EQ(body.top, (client.bottom - Height(body) - 36) / 2);
    zkui::PostClose(b.window);
    EXPECT_EQ(b.host.Wait(), 0);
}

TEST(MsgBox, WideTextIsFittedFrom400Pixels) {
    Box b = OpenBox(0, std::string(30, 'W') + " " + std::string(30, 'M') + " end of a long line");
    ASSERT_TRUE(b.window);
    RECT body = zkui::ChildBox(zkui::ChildById(b.window, ids::MsgBoxBody));
    EXPECT_GE(Width(body), 400);
    EXPECT_LE(Width(body), 610);
    RECT outer = zkui::WindowBox(b.window);
    EXPECT_EQ(Width(outer), Width(body) + 54 + 2 * 32 + 2 * GetSystemMetrics(SM_CXSIZEFRAME));
    RECT last = zkui::ChildBox(Buttons(b.window).at(0));
    EXPECT_EQ(last.left, zkui::ClientBox(b.window).right - 80);
    zkui::Click(Buttons(b.window).at(0));
    EXPECT_EQ(b.host.Wait(), 1);
}

TEST(MsgBox, DefaultButtonBitsChooseTheFocus) {
    struct Case {
        unsigned flags;
        int focused; // index, -1 none
    } cases[] = {{0x2, 0}, {0x102, 1}, {0x202, 2}, {0x302, -1}};
    for (const Case& c : cases) {
        Box b = OpenBox(c.flags);
        ASSERT_TRUE(b.window);
        std::vector<HWND> buttons = Buttons(b.window);
        HWND expected = c.focused < 0 ? nullptr : buttons.at(c.focused);
        // The focus moves to the button right after the box is shown.
        GUITHREADINFO info{};
        info.cbSize = sizeof info;
        for (int i = 0; i < 100; ++i) { // up to 5 s on a loaded machine
            ASSERT_TRUE(GetGUIThreadInfo(GetWindowThreadProcessId(b.window, nullptr), &info));
            if (expected ? info.hwndFocus == expected : i >= 5) break;
            Sleep(50);
        }
        if (expected) {
            EXPECT_EQ(info.hwndFocus, expected) << std::hex << c.flags;
        }
        for (size_t i = 0; i < buttons.size(); ++i) {
            bool isDefault = (GetWindowLongPtrA(buttons[i], GWL_STYLE) & 0xF) == BS_DEFPUSHBUTTON;
            EXPECT_EQ(isDefault, static_cast<int>(i) == c.focused)
                << std::hex << c.flags << " " << i;
            if (c.focused < 0) {
                EXPECT_NE(info.hwndFocus, buttons[i]);
            }
        }
        zkui::PostClose(b.window);
        EXPECT_EQ(b.host.Wait(), 0);
    }
}

TEST(MsgBox, RightToLeftForHebrewAndArabic) {
    for (int charset : {0, 177, 178}) {
        Box b = OpenBox(0x40, "Right to left text", charset);
        ASSERT_TRUE(b.window);
        HWND body = zkui::ChildById(b.window, ids::MsgBoxBody);
        bool rtl = charset != 0;
        EXPECT_EQ((GetWindowLongPtrA(body, GWL_STYLE) & ES_RIGHT) != 0, rtl) << charset;
        EXPECT_EQ((GetWindowLongPtrA(body, GWL_EXSTYLE) & WS_EX_RTLREADING) != 0, rtl) << charset;
        EXPECT_GE(zkui::ChildBox(body).left, 54) << "the band stays on the left";
        zkui::Click(Buttons(b.window).at(0));
        EXPECT_EQ(b.host.Wait(), 1);
    }
}

TEST(MsgBox, CaptionLineOnlyWithoutOwner) {
    struct Case {
        const char* owner;
        const char* caption;
        const char* body;
    } cases[] = {
        {"0", "Error", "ERROR\r\n\r\nFile\r\n\r\nmissing\r\n"},
        {"1", "Error", "File\r\n\r\nmissing"},
        {"w", "Error", "File\r\n\r\nmissing"},
        // Upper case by the system's rules, not a-z only.
        {"0", "Best\xE4tigen", "BEST\xC4TIGEN\r\n\r\nFile\r\n\r\nmissing\r\n"},
    };
    for (const Case& c : cases) {
        Box b = OpenBox(0x10, "File\\\\n\\\\nmissing", 0, c.owner, c.caption);
        ASSERT_TRUE(b.window) << c.owner;
        EXPECT_EQ(zkui::TextOf(b.window), c.caption);
        EXPECT_EQ(zkui::TextOf(zkui::ChildById(b.window, ids::MsgBoxBody)), c.body) << c.owner;
        zkui::Click(Buttons(b.window).at(0));
        EXPECT_EQ(b.host.Wait(), 1) << c.owner;
    }
}

TEST(MsgBox, OwnerIsDisabledWhileTheBoxIsOpen) {
    Box b = OpenBox(4, "Question", 0, "w0");
    ASSERT_TRUE(b.window);
    HWND host = zkui::FindTopWindow("ZkUiHost", "", b.host.Pid());
    ASSERT_TRUE(host);
    EXPECT_FALSE(IsWindowEnabled(host));
    zkui::Click(Buttons(b.window).at(1));
    EXPECT_EQ(b.host.Wait(), 7) << "99: the host window stayed disabled";
}

TEST(MsgBox, CaptionsComeFromTheList) {
    Box b = OpenBox(3, "Frage", 0, "1", "Caption", "|Okay|Abbrechen|Ja|Nein|A|R|I|");
    ASSERT_TRUE(b.window);
    EXPECT_EQ(Captions(b.window), (std::vector<std::string>{"Ja", "Nein", "Abbrechen"}));
    zkui::Click(Buttons(b.window).at(2));
    EXPECT_EQ(b.host.Wait(), 2);
    Box s = OpenBox(1, "Short list", 0, "1", "Caption", "|OK|");
    ASSERT_TRUE(s.window);
    EXPECT_EQ(Captions(s.window), (std::vector<std::string>{"OK", ""}));
    zkui::Click(Buttons(s.window).at(1));
    EXPECT_EQ(s.host.Wait(), 2);
}

// Captions longer than the buttons widen them; the row stays right-aligned with its gaps,
// and a box too narrow for it grows.
TEST(MsgBox, LongCaptionsWidenTheirButtons) {
    struct Case {
        unsigned set;
        const char* captions;
    } cases[] = {
        {2, "|OK|Abbrechen|Ja|Nein|Abbrechen der Installation|Wiederholen des Schritts|"
            "Ignorieren und fortfahren|"},
        {4, "|OK|Cancel|Ja, entfernen|Nein, behalten|A|R|I|"},
    };
    for (const Case& c : cases) {
        Box b = OpenBox(c.set, "Frage", 0, "1", "Caption", c.captions);
        ASSERT_TRUE(b.window) << c.captions;
        const RECT client = zkui::ClientBox(b.window);
        std::vector<HWND> buttons = Buttons(b.window);
        for (size_t i = 0; i < buttons.size(); ++i) {
            const RECT r = zkui::ChildBox(buttons[i]);
            const int extent = zkui::CaptionExtent(buttons[i], "Tahoma", 13);
            EXPECT_GE(Width(r), std::max(70, zkui::LeastCaptionWidth(buttons[i], extent)))
                << zkui::TextOf(buttons[i]);
            if (i + 1 < buttons.size())
                EXPECT_EQ(zkui::ChildBox(buttons[i + 1]).left - r.right, 13) << i;
            else
                EXPECT_EQ(r.right, client.right - 10) << "the row ends where it did";
        }
        EXPECT_GE(zkui::ChildBox(buttons.front()).left, 10) << "the box holds the whole row";
        zkui::PostClose(b.window);
        EXPECT_EQ(b.host.Wait(), 0);
    }
}

TEST(MsgBox, QuitEndsTheBoxAndReachesTheCallersLoop) {
    Box b = StartBox(1, "Quit comes", 0, "1", "Caption", "", "quit");
    EXPECT_EQ(b.host.Wait(), 100) << "result 0, and WM_QUIT still pending for the caller";
}

TEST(MsgBox, BoxesStack) {
    zkui::Program host = zkui::Start(zktest::BinDir() + "\\uihost.exe", "stacked");
    HWND first = zkui::FindTopWindow(ids::MsgBoxClass, "First", host.Pid());
    HWND second = zkui::FindTopWindow(ids::MsgBoxClass, "Second", host.Pid());
    ASSERT_TRUE(first && second);
    EXPECT_FALSE(IsWindowEnabled(first)) << "the open box is disabled under the new one";
    zkui::Click(Buttons(second).at(1)); // No
    ASSERT_TRUE(zkui::WaitGone(second));
    EXPECT_TRUE(IsWindowEnabled(first));
    zkui::Click(Buttons(first).at(1)); // Cancel
    EXPECT_EQ(host.Wait(), 27);
}

TEST(MsgBox, ProgramsCarryTheIconOfOtherIconBits) {
    // Icon bits outside 0x10-0x40 draw "MainIcon" of the program: the resources bring it.
    HMODULE host = LoadLibraryExA((zktest::BinDir() + "\\uihost.exe").c_str(), nullptr,
                                  LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_TRUE(host);
    EXPECT_TRUE(FindResourceA(host, "MainIcon", RT_GROUP_ICON));
    FreeLibrary(host);
}
