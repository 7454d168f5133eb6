// The background window end to end: a host shows it for a setup script with a stand-in
// wizard (the host copied into a scratch folder beside the script and the picture, as the
// engine sits beside its files); the UI driver reads its place, z-order and pixels, and
// answers the exit question.
#include "ControlIds.h"
#include "Layout.h"
#include "MediaFiles.h"
#include "TestEnv.h"
#include "UiDriver.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace ids = zk::ids;

namespace {

using zktest::Le;
using zkui::WaitFor;
using zkui::WorkArea;

constexpr const char* DynDataSubkey = "Software\\Zelkon_Dyn_Data";

// A 24-bit BMP, red and yellow squares.
std::string Checks(int w, int h) {
    int row = (w * 3 + 3) / 4 * 4;
    std::string data;
    for (int y = h - 1; y >= 0; --y) {
        std::string line;
        for (int x = 0; x < w; ++x)
            line += (x / 20 + y / 20) % 2 ? std::string("\x00\x00\xff", 3)
                                          : std::string("\x00\xff\xff", 3);
        data += line + std::string(static_cast<size_t>(row - w * 3), '\0');
    }
    return "BM" + Le(static_cast<uint32_t>(54 + data.size()), 4) + Le(0, 4) + Le(54, 4) +
           Le(40, 4) + Le(static_cast<uint32_t>(w), 4) + Le(static_cast<uint32_t>(h), 4) +
           Le(1, 2) + Le(24, 2) + Le(0, 4) + Le(static_cast<uint32_t>(data.size()), 4) +
           Le(2835, 4) + Le(2835, 4) + Le(0, 4) + Le(0, 4) + data;
}

COLORREF ClientPixel(HWND w, int x, int y) {
    POINT p{x, y};
    ClientToScreen(w, &p);
    return zkui::ScreenPixel(p.x, p.y);
}

bool PaintedAs(HWND w, int x, int y, COLORREF colour) {
    POINT p{x, y};
    ClientToScreen(w, &p);
    return zkui::WaitPixel(p.x, p.y, colour);
}

struct Background {
    zkui::Program host;
    HWND window = nullptr, wizard = nullptr;

    Background(const std::string& script, const std::string& mode = "") {
        std::string dir = zktest::ScratchDir("background");
        CopyFileA((zktest::BinDir() + "\\presenthost.exe").c_str(),
                  (dir + "\\presenthost.exe").c_str(), FALSE);
        zktest::WriteBytes(dir + "\\pic.bmp", Checks(160, 100));
        zktest::WriteBytes(dir + "\\Setup.txt", script);
        host = zkui::Start(dir + "\\presenthost.exe",
                           "main " + zkui::Quote(dir + "\\Setup.txt") + " " + mode);
        window = zkui::FindTopWindow(ids::SetupMainClass, "", host.Pid(), 5000);
    }
    void FindWizard() { wizard = zkui::FindTopWindow("ZkStandInWizard", "", host.Pid(), 5000); }
    HWND ExitQuestion() { return zkui::FindTopWindow(ids::MsgBoxClass, "Exit Setup", host.Pid()); }
};

} // namespace

TEST(Background, BlueByDefaultOverTheWorkAreaAndKeptBehindTheWizard) {
    Background b("SET_SETUP_BACKGROUND\r\nSET_PROG_NAME(Demo Writer)\r\n");
    ASSERT_TRUE(b.window);
    RECT work = WorkArea(), box = zkui::WindowBox(b.window);
    EXPECT_EQ(box.left, work.left);
    EXPECT_EQ(box.top, work.top);
    EXPECT_EQ(box.right, work.right);
    EXPECT_EQ(box.bottom, work.bottom);
    EXPECT_EQ(zkui::TextOf(b.window), "Demo Writer");
    b.FindWizard();
    ASSERT_TRUE(b.wizard);
    RECT client = zkui::ClientBox(b.window);
    EXPECT_TRUE(PaintedAs(b.window, 5, 5, RGB(0, 0, 255))) << "solid blue";
    EXPECT_TRUE(PaintedAs(b.window, 5, client.bottom - 1, RGB(0, 0, 255)));
    EXPECT_EQ(GetWindow(b.wizard, GW_HWNDNEXT), b.window) << "directly behind the wizard";
    // Centred in the client area on the screen (the host's wizard places itself so).
    POINT origin{0, 0};
    ClientToScreen(b.window, &origin);
    RECT wizard = zkui::WindowBox(b.wizard);
    EXPECT_EQ(wizard.left, origin.x + (client.right - (wizard.right - wizard.left)) / 2);
    EXPECT_EQ(wizard.top, origin.y + (client.bottom - (wizard.bottom - wizard.top)) / 2);
    // Brought to the front by someone else: within a few ticks it is behind again.
    SetWindowPos(b.window, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    EXPECT_TRUE(WaitFor([&] { return GetWindow(b.wizard, GW_HWNDNEXT) == b.window; }, 5000));
    zkui::PostClose(b.window);
    HWND box1 = b.ExitQuestion();
    ASSERT_TRUE(box1);
    zkui::Click(zkui::ChildById(box1, ids::MsgBoxButton1));
    EXPECT_EQ(b.host.Wait(5000), 0);
}

TEST(Background, ExitQuestionOnCloseAndTheDynDataKeyGoesWithTheWindow) {
    HKEY key = nullptr;
    RegCreateKeyExA(HKEY_CURRENT_USER, DynDataSubkey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                    nullptr);
    RegSetValueExA(key, "OriginDir", 0, REG_SZ, reinterpret_cast<const BYTE*>("C:\\x"), 5);
    RegCloseKey(key);
    Background b("SET_SETUP_BACKGROUND\r\n");
    ASSERT_TRUE(b.window);
    b.FindWizard();
    ASSERT_TRUE(b.wizard);
    zkui::PostClose(b.window);
    HWND question = b.ExitQuestion();
    ASSERT_TRUE(question);
    zkui::Click(zkui::ChildById(question, ids::MsgBoxButton2)); // No: both windows stay
    ASSERT_TRUE(zkui::WaitGone(question, 10000));
    Sleep(300);
    EXPECT_TRUE(IsWindowVisible(b.window));
    EXPECT_TRUE(IsWindowVisible(b.wizard));
    EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, DynDataSubkey, 0, KEY_READ, &key), ERROR_SUCCESS);
    RegCloseKey(key);
    EXPECT_TRUE(WaitFor([&] { return GetWindow(b.wizard, GW_HWNDNEXT) == b.window; }, 5000))
        << "kept behind again";
    // The wizard's own close closes the background, which asks once more.
    zkui::PostClose(b.wizard);
    question = b.ExitQuestion();
    ASSERT_TRUE(question);
    zkui::Click(zkui::ChildById(question, ids::MsgBoxButton1));
    EXPECT_EQ(b.host.Wait(5000), 0);
    EXPECT_NE(RegOpenKeyExA(HKEY_CURRENT_USER, DynDataSubkey, 0, KEY_READ, &key), ERROR_SUCCESS)
        << "deleted when the window closed";
}

TEST(Background, GradientTitlesAndPicture) {
    Background b("SET_SETUP_BACKGROUND\r\nSET_BOTTOM_BG_COLOR_REQ\r\nSET_PROG_VERSION(2.1)\r\n"
                 "SET_TOP_LABEL_TEXT(Demo Writer)\r\nSET_TOP_LABEL_VER\r\n"
                 "SET_TOP_LABEL_FONT(|Arial|28|65535|0|1|)\r\n"
                 "SET_BOTTOM_LABEL_TEXT(Demo Soft)\r\nSET_BOTTOM_LABEL_SIDE(Right)\r\n"
                 "SET_BG_BITMAP_FILE_NAME(D:\\art\\pic.bmp)\r\n"
                 "SET_BG_BITMAP_LOCATION(|Bottom/Left|10|-10|)\r\n");
    ASSERT_TRUE(b.window);
    b.FindWizard();
    RECT client = zkui::ClientBox(b.window);
    EXPECT_TRUE(PaintedAs(b.window, client.right / 2, 0, RGB(0, 0, 255))) << "blue at the top";
    zk::Rgb last = zk::GradientRow({0, 0, 255}, {0, 0, 0}, client.bottom, client.bottom - 1);
    EXPECT_TRUE(PaintedAs(b.window, client.right / 2, client.bottom - 1,
                          RGB(last.red, last.green, last.blue)))
        << "to black at the bottom";
    RECT picture = zkui::ChildBox(zkui::ChildById(b.window, ids::SetupMainImage));
    EXPECT_EQ(picture.left, 10);
    EXPECT_EQ(picture.top, client.bottom - 100 - 10);
    EXPECT_EQ(picture.right - picture.left, 160);
    EXPECT_TRUE(PaintedAs(b.window, 15, client.bottom - 105, RGB(255, 255, 0))) << "painted";
    // The title in yellow with its black shadow, from (20, 10).
    int yellow = 0, black = 0;
    auto title = [&] {
        yellow = black = 0;
        for (int y = 10; y < 60; ++y)
            for (int x = 20; x < 300; ++x) {
                COLORREF c = ClientPixel(b.window, x, y);
                yellow += c == RGB(255, 255, 0);
                black += c == RGB(0, 0, 0);
            }
        return yellow > 100 && black > 50;
    };
    EXPECT_TRUE(WaitFor(title, 10000)) << yellow << " yellow, " << black << " black";
    zk::Rgb row = zk::GradientRow({0, 0, 255}, {0, 0, 0}, client.bottom, 30);
    EXPECT_EQ(ClientPixel(b.window, 19, 30), RGB(row.red, row.green, row.blue))
        << "nothing left of the margin";
    zkui::PostClose(b.window);
    HWND question = b.ExitQuestion();
    ASSERT_TRUE(question);
    zkui::Click(zkui::ChildById(question, ids::MsgBoxButton1));
    EXPECT_EQ(b.host.Wait(5000), 0);
}

TEST(Background, EntireScreenPictureSpansTheClientArea) {
    Background b("SET_SETUP_BACKGROUND\r\nSET_BG_BITMAP_FILE_NAME(pic.bmp)\r\n"
                 "SET_BG_BITMAP_LOCATION(|Entire Screen|)\r\n");
    ASSERT_TRUE(b.window);
    b.FindWizard();
    RECT client = zkui::ClientBox(b.window);
    HWND image = zkui::ChildById(b.window, ids::SetupMainImage);
    RECT picture = zkui::ChildBox(image);
    EXPECT_EQ(picture.left, 0);
    EXPECT_EQ(picture.top, 0);
    EXPECT_EQ(picture.right, client.right);
    EXPECT_EQ(picture.bottom, client.bottom);
    EXPECT_FALSE(IsWindowVisible(image));
    EXPECT_TRUE(WaitFor(
        [&] {
            const COLORREF corner = ClientPixel(b.window, 2, 2);
            return corner == RGB(255, 255, 0) || corner == RGB(255, 0, 0);
        },
        10000))
        << "stretched over all";
    zkui::PostClose(b.window);
    HWND question = b.ExitQuestion();
    ASSERT_TRUE(question);
    zkui::Click(zkui::ChildById(question, ids::MsgBoxButton1));
    EXPECT_EQ(b.host.Wait(5000), 0);
}

TEST(Background, AbortAtTheStartClosesWithoutAQuestion) {
    Background b("SET_SETUP_BACKGROUND\r\n", "abort");
    ASSERT_TRUE(b.window);
    EXPECT_EQ(b.host.Wait(5000), 11) << "closed with the exit confirmed by the program";
}
