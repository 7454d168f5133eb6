// The presentation during the copy, end to end: a host program shows the billboard slide show,
// the floating volume window and the background music; the UI driver watches them from
// outside and closes them mid-way. Music plays on the sandbox's null sound device, whose
// position runs to the end: no test waits for the music itself to end.
#include "ControlIds.h"
#include "MediaFiles.h"
#include "TestEnv.h"
#include "UiDriver.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdint>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace ids = zk::ids;

namespace {

using zktest::Bmp;
using zktest::FadeAndStopMs;
using zktest::Midi;
using zktest::Png;
using zktest::Row;
using zktest::Wav;
using zkui::WaitFor;
using zkui::WorkArea;

struct Files {
    std::string dir = zktest::ScratchDir("presentation");
    std::string text = dir + "\\page.TXT", bmp = dir + "\\checks.bmp", png = dir + "\\green.png",
                missing = dir + "\\missing.bmp", wav = dir + "\\tone.wav", mid = dir + "\\tune.MID";
    Files() {
        zktest::WriteBytes(text,
                           "Welcome\r\n~Big line\r\nA longer line that wraps in the window\r\n");
        zktest::WriteBytes(bmp, Bmp(160, 100, [](int x, int y) {
                               return (x / 20 + y / 20) % 2 ? RGB(255, 0, 0) : RGB(255, 255, 0);
                           }));
        zktest::WriteBytes(png, Png(90, 60, [](int, int) { return RGB(0, 200, 0); }));
        zktest::WriteBytes(wav, Wav());
        zktest::WriteBytes(mid, Midi());
    }
};

std::string Host() {
    return zktest::BinDir() + "\\presenthost.exe";
}

zkui::Program StartHost(const std::string& cmd, const std::vector<std::string>& args) {
    std::string line = cmd;
    for (const std::string& a : args) line += " " + zkui::Quote(a);
    return zkui::Start(Host(), line);
}

std::map<std::string, std::string> ReadReport(const std::string& path) {
    std::map<std::string, std::string> values;
    std::istringstream in(zktest::ReadBytes(path));
    std::string line;
    while (std::getline(in, line))
        if (size_t eq = line.find('='); eq != std::string::npos)
            values[line.substr(0, eq)] = line.substr(eq + 1);
    return values;
}

int Num(std::map<std::string, std::string>& r, const std::string& key) {
    return std::atoi(r[key].c_str());
}

// The text lines on the window's client area as the screen shows it: runs of rows that hold
// the ink colour.
int InkedLines(HWND window, COLORREF ink) {
    const RECT client = zkui::ClientBox(window);
    POINT origin{0, 0};
    ClientToScreen(window, &origin);
    HDC screen = GetDC(nullptr);
    HDC copy = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, client.right, client.bottom);
    HGDIOBJ old = SelectObject(copy, bitmap);
    BitBlt(copy, 0, 0, client.right, client.bottom, screen, origin.x, origin.y, SRCCOPY);
    int lines = 0;
    bool inLine = false;
    for (int y = 0; y < client.bottom; ++y) {
        bool inked = false;
        for (int x = 0; x < client.right && !inked; ++x) inked = GetPixel(copy, x, y) == ink;
        lines += inked && !inLine;
        inLine = inked;
    }
    SelectObject(copy, old);
    DeleteObject(bitmap);
    DeleteDC(copy);
    ReleaseDC(nullptr, screen);
    return lines;
}

} // namespace

TEST(Presentation, SlideShowStepsThroughTextPicturesAndAMissingFile) {
    Files f;
    // Blue to black over 400 x 300 in the middle of the work area, a tick every half second.
    std::string row = Row({{3, "1"},
                           {5, "Center"},
                           {8, "16711680"},
                           {9, "0"},
                           {11, "16"},
                           {15, "400"},
                           {16, "300"},
                           {17, "10"},
                           {18, "1"}});
    zkui::Program host = StartHost("billboard", {row, f.text, f.bmp, f.png, f.missing});
    HWND show = zkui::FindTopWindow(ids::BillboardClass, "Billboard", host.Pid());
    ASSERT_TRUE(show);
    RECT work = WorkArea();
    const int left = work.left + (work.right - work.left - 400) / 2;
    const int top = work.top + (work.bottom - work.top - 300) / 2;
    ASSERT_TRUE(WaitFor([&] { return zkui::WindowBox(show).left == left; }, 10000))
        << "placed at the first layout";
    RECT box = zkui::WindowBox(show);
    EXPECT_EQ(box.top, top);
    EXPECT_EQ(box.right - box.left, 400);
    EXPECT_EQ(box.bottom - box.top, 300);
    EXPECT_FALSE(GetWindowLongA(show, GWL_STYLE) & WS_CAPTION) << "borderless";
    EXPECT_NE(GetForegroundWindow(), show) << "the show takes no activation";

    HWND image = zkui::ChildById(show, ids::BillboardImage);
    EXPECT_FALSE(IsWindowVisible(image)) << "the text page first";
    EXPECT_TRUE(zkui::WaitPixel(left + 390, top, RGB(0, 0, 255), 10000)) << "gradient from blue";
    EXPECT_TRUE(zkui::WaitPixel(
        left + 390, top + 299, [](COLORREF c) { return GetBValue(c) < 10; }, 3000))
        << "towards black";

    // The bitmap page, centred in the fixed size.
    ASSERT_TRUE(WaitFor([&] { return IsWindowVisible(image); }, 10000));
    RECT picture = zkui::ChildBox(image);
    EXPECT_EQ(picture.left, 120);
    EXPECT_EQ(picture.top, 100);
    EXPECT_EQ(picture.right - picture.left, 160);
    // The PNG page.
    ASSERT_TRUE(WaitFor(
        [&] { return zkui::ChildBox(image).right - zkui::ChildBox(image).left == 90; }, 3000));
    EXPECT_EQ(zkui::ChildBox(image).top, 120);
    EXPECT_TRUE(zkui::WaitPixel(left + 200, top + 150, RGB(0, 200, 0), 10000)) << "painted";
    // The missing file: a text page again, and the show ends by itself.
    ASSERT_TRUE(WaitFor([&] { return !IsWindowVisible(image); }, 10000));
    EXPECT_EQ(host.Wait(8000), 0);
}

// A text page's charset line is taken once: a line that starts with a digit is text, and so is
// a second list line; every paint draws the whole page.
TEST(Presentation, TextPagesKeepTheirLinesThroughRepaints) {
    const struct {
        const char* text;
        int lines;
    } cases[] = {
        {"2024 Product News\r\n2023 Highlights\r\nThird line\r\n", 3},
        {"|0|\r\n|1|\r\nThird line\r\n", 2},
    };
    Files f;
    const COLORREF white = RGB(255, 255, 255);
    for (const auto& c : cases) {
        const std::string page = f.dir + "\\news.txt";
        zktest::WriteBytes(page, c.text);
        // White on solid black, a tick every ten seconds: the page stays.
        const std::string row = Row({{15, "400"}, {16, "200"}, {17, "10"}, {18, "20"}});
        zkui::Program host = StartHost("billboard", {row, page});
        HWND show = zkui::FindTopWindow(ids::BillboardClass, "Billboard", host.Pid());
        ASSERT_TRUE(show);
        const RECT work = WorkArea();
        ASSERT_TRUE(WaitFor([&] { return zkui::WindowBox(show).left > work.left; }, 10000));
        EXPECT_TRUE(WaitFor([&] { return InkedLines(show, white) == c.lines; }, 10000))
            << c.text << InkedLines(show, white);
        for (int paint = 0; paint < 3; ++paint)
            RedrawWindow(show, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        EXPECT_FALSE(WaitFor([&] { return InkedLines(show, white) != c.lines; }, 500))
            << c.text << "after repaints: " << InkedLines(show, white);
    }
}

TEST(Presentation, AutoSizeWithFramePlacedByTheRow) {
    Files f;
    std::string row =
        Row({{1, "1"}, {2, "1"}, {5, "Top/Left"}, {6, "5"}, {7, "7"}, {17, "10"}, {18, "20"}});
    zkui::Program host = StartHost("billboard", {row, f.bmp});
    HWND show = zkui::FindTopWindow(ids::BillboardClass, "Billboard", host.Pid());
    ASSERT_TRUE(show);
    RECT work = WorkArea();
    ASSERT_TRUE(WaitFor([&] { return zkui::WindowBox(show).left == work.left + 5; }, 10000));
    EXPECT_EQ(zkui::WindowBox(show).top, work.top + 7);
    RECT client = zkui::ClientBox(show);
    EXPECT_EQ(client.right, 180) << "picture plus twice the margin";
    EXPECT_EQ(client.bottom, 120);
    EXPECT_TRUE(GetWindowLongA(show, GWL_EXSTYLE) & WS_EX_DLGMODALFRAME);
    EXPECT_EQ(zkui::ChildBox(zkui::ChildById(show, ids::BillboardImage)).left, 10);
    // Closed mid-way by its owner's window: the host ends at once.
    zkui::PostClose(FindWindowA("ZkPresentHost", nullptr));
    EXPECT_EQ(host.Wait(10000), 3);
}

TEST(Presentation, WaitForTheEndShowsCloseAndCloseEndsIt) {
    Files f;
    std::string row = Row({{15, "300"}, {16, "200"}, {18, "20"}}); // ten seconds a tick
    zkui::Program host = StartHost("billboard-wait", {row, f.text, f.bmp});
    HWND show = zkui::FindTopWindow(ids::BillboardClass, "Billboard", host.Pid());
    ASSERT_TRUE(show);
    HWND close = zkui::ChildById(show, ids::BillboardCloseButton);
    ASSERT_TRUE(WaitFor([&] { return IsWindowVisible(close) != 0; }, 10000));
    ASSERT_TRUE(WaitFor([&] { return zkui::ChildBox(close).left == 300 - 41 - 8; }, 10000))
        << "bottom-right corner";
    EXPECT_EQ(zkui::ChildBox(close).top, 200 - 19 - 8);
    EXPECT_EQ(zkui::TextOf(close), "Close");
    zkui::Click(close);
    EXPECT_EQ(host.Wait(10000), 0);
    EXPECT_FALSE(IsWindow(show));
}

TEST(Presentation, FloatingVolumeWindowPlacedByItsRow) {
    zkui::Program host = zkui::Start(Host(), "slider " + zkui::Quote("|Bottom/Left|5|-5|"));
    HWND form = zkui::FindTopWindow(ids::SliderFormClass, "Volume", host.Pid());
    ASSERT_TRUE(form);
    RECT work = WorkArea();
    RECT box = zkui::WindowBox(form);
    EXPECT_EQ(box.left, work.left + 5);
    EXPECT_EQ(box.bottom, work.bottom - 5);
    EXPECT_EQ(zkui::ClientBox(form).right, 45);
    EXPECT_TRUE(GetWindowLongA(form, GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_NE(GetForegroundWindow(), form) << "shown without activation";
    HWND slider = zkui::ChildById(form, ids::SliderFormSlider);
    ASSERT_TRUE(slider);
    RECT s = zkui::ChildBox(slider);
    EXPECT_EQ(s.left, 8);
    EXPECT_EQ(s.top, 6);
    EXPECT_EQ(s.right - s.left, 30);
    EXPECT_EQ(s.bottom - s.top, 130);
    zkui::PostClose(form);
    EXPECT_EQ(host.Wait(10000), 0);
}

TEST(Presentation, MusicPlaysOnTheNullDeviceAndStopsAfterItsFade) {
    Files f;
    std::string report = f.dir + "\\music.txt";
    zkui::Program host =
        zkui::Start(Host(), "music " + zkui::Quote(f.wav) + " 0 " + zkui::Quote(report));
    ASSERT_EQ(host.Wait(20000), 0);
    auto r = ReadReport(report);
    EXPECT_EQ(Num(r, "opens"), 1) << zktest::ReadBytes(report);
    EXPECT_GE(Num(r, "plays"), 1);
    EXPECT_EQ(Num(r, "playing"), 1);
    EXPECT_EQ(Num(r, "length"), 3000);
    EXPECT_GT(Num(r, "max_position"), 0) << "the null device plays";
    EXPECT_LT(Num(r, "stop_ms"), FadeAndStopMs);
    EXPECT_GE(Num(r, "open_while_playing"), 1);
    EXPECT_EQ(Num(r, "open_after"), 0) << "the device is closed";
    EXPECT_LE(Num(r, "threads_round2"), Num(r, "threads_round1")) << "no player left behind";
    EXPECT_EQ(r["last_error"], "");
}

TEST(Presentation, MusicThatCannotPlayLeavesThePlayerIdle) {
    Files f;
    for (const std::string& file : {f.dir + "\\absent.wav", f.mid}) {
        std::string report = f.dir + "\\music.txt";
        zkui::Program host =
            zkui::Start(Host(), "music " + zkui::Quote(file) + " 0 " + zkui::Quote(report));
        ASSERT_EQ(host.Wait(20000), 0) << file;
        auto r = ReadReport(report);
        EXPECT_LT(Num(r, "stop_ms"), FadeAndStopMs) << file;
        EXPECT_EQ(Num(r, "open_after"), 0) << file;
        EXPECT_LE(Num(r, "threads_round2"), Num(r, "threads_round1")) << file;
        if (file.find("absent") != std::string::npos) {
            EXPECT_EQ(Num(r, "opens"), 0);
            EXPECT_NE(r["last_error"], "") << "kept as the player's last error";
        }
    }
}

TEST(Presentation, EverythingClosedMidWayLeavesNothingBehind) {
    Files f;
    std::string row = Row({{3, "1"}, {8, "255"}, {15, "300"}, {16, "200"}, {18, "1"}});
    zkui::Program host = StartHost("all", {f.wav, row, f.text, f.bmp});
    HWND show = zkui::FindTopWindow(ids::BillboardClass, "Billboard", host.Pid());
    HWND volume = zkui::FindTopWindow(ids::SliderFormClass, "Volume", host.Pid());
    ASSERT_TRUE(show && volume);
    Sleep(1500);
    DWORD start = GetTickCount();
    zkui::PostClose(FindWindowA("ZkPresentHost", nullptr));
    EXPECT_EQ(host.Wait(5000), 0);
    EXPECT_LT(GetTickCount() - start, DWORD(FadeAndStopMs)) << "the fade and the stop, no more";
    EXPECT_FALSE(IsWindow(show));
    EXPECT_FALSE(IsWindow(volume));
}
