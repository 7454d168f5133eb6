// The About box end to end: a host program shows it, the UI driver reads and clicks it from
// outside. Its link goes through the real shell to Wine's browser launcher, whose browser is
// set to a recorder script for the test.
#include "ControlIds.h"
#include "RichEd.h"
#include "Layout.h"
#include "TestEnv.h"
#include "UiDriver.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <string_view>

namespace ids = zk::ids;

namespace {

constexpr const char* BrowserKey = "Software\\Wine\\WineBrowser";
// Wine's launcher reads at most this much of the "Browsers" value; a longer one it drops
// without a word and tries its built-in browsers instead.
constexpr size_t BrowsersLimit = 254;
// The recorder appends to a file of the Unix home that Wine gives every process of the
// sandbox, so the command names no path of the checkout and stays far below the limit.
constexpr std::string_view RecorderCommand =
    "/bin/sh -c \"printf '%s\\n' \\\"$0\\\" >> \\\"$HOME/zk-browser-urls.txt\\\"\"";
static_assert(RecorderCommand.size() < BrowsersLimit / 2,
              "Wine's browser launcher would drop the recorder command");

// The same file seen from Windows: Wine names the Unix home in WINEHOMEDIR, an NT path
// ("\??\T:\..." or "\??\unix\..." when no drive holds it).
std::string RecordedUrlsFile() {
    char home[1024];
    DWORD n = GetEnvironmentVariableA("WINEHOMEDIR", home, sizeof home);
    if (n == 0 || n >= sizeof home) return {};
    std::string dir(home, n);
    if (dir.rfind("\\??\\", 0) != 0) return {};
    dir[1] = '\\'; // "\\?\" opens the same path through the Win32 calls
    return dir + "\\zk-browser-urls.txt";
}

// Sets Wine's browser to the recorder for the test's lifetime; the earlier value comes back
// at the end.
class BrowserRecorder {
  public:
    BrowserRecorder() {
        urls_ = RecordedUrlsFile();
        if (urls_.empty()) {
            problem_ = "Wine names no home folder (WINEHOMEDIR)";
            return;
        }
        DeleteFileA(urls_.c_str());
        if (RegCreateKeyExA(HKEY_CURRENT_USER, BrowserKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                            &key_, nullptr) != ERROR_SUCCESS) {
            problem_ = "cannot open HKCU\\" + std::string(BrowserKey);
            return;
        }
        char old[1024];
        DWORD size = sizeof old, type = 0;
        if (RegQueryValueExA(key_, "Browsers", nullptr, &type, reinterpret_cast<BYTE*>(old),
                             &size) == ERROR_SUCCESS)
            old_.assign(old, size), hadOld_ = true, oldType_ = type;
        const std::string command(RecorderCommand);
        RegSetValueExA(key_, "Browsers", 0, REG_SZ, reinterpret_cast<const BYTE*>(command.c_str()),
                       static_cast<DWORD>(command.size() + 1));
    }
    ~BrowserRecorder() {
        if (!urls_.empty()) DeleteFileA(urls_.c_str());
        if (!key_) return;
        if (hadOld_)
            RegSetValueExA(key_, "Browsers", 0, oldType_,
                           reinterpret_cast<const BYTE*>(old_.data()),
                           static_cast<DWORD>(old_.size()));
        else
            RegDeleteValueA(key_, "Browsers");
        RegCloseKey(key_);
    }
    // Why the recorder cannot record, or "".
    const std::string& Problem() const { return problem_; }
    // What was opened, waiting up to `ms` for a first whole line.
    std::string Urls(DWORD ms) const { return zktest::WaitLines(urls_, ms); }

  private:
    HKEY key_ = nullptr;
    std::string urls_, old_, problem_;
    bool hadOld_ = false;
    DWORD oldType_ = REG_SZ;
};

struct About {
    zkui::Program host;
    HWND window = nullptr;
    HWND text = nullptr;
};

About OpenAbout(const std::string& name) {
    About a;
    a.host = zkui::Start(zktest::BinDir() + "\\uihost.exe", "about " + zkui::Quote(name));
    a.window = zkui::FindTopWindow(ids::AboutClass, "About Zelkon", a.host.Pid());
    if (a.window) a.text = zkui::ChildById(a.window, ids::AboutText);
    return a;
}

// The side panel's first row on the screen: the form is painted.
bool WaitPainted(const About& a) {
    const RECT outer = zkui::WindowBox(a.window);
    return zkui::WaitPixel(outer.left + 20, outer.top + 1, RGB(68, 119, 170));
}

// The link's blue in the column of a client point of the text, as the control looks for it.
bool WaitLinkPainted(const About& a, POINT at) {
    return zkui::WaitFor(
        [&] {
            for (int row = at.y - 1; row <= at.y + 10; ++row) {
                POINT p{at.x, row};
                ClientToScreen(a.text, &p);
                if (zkui::ScreenPixel(p.x, p.y) == RGB(0, 0, 255)) return true;
            }
            return false;
        },
        10000);
}

using Edges = std::array<LONG, 4>; // left, top, right, bottom

Edges EdgesOf(const RECT& r) {
    return {r.left, r.top, r.right, r.bottom};
}

void CloseByImage(About& a) {
    zkui::ClickAt(zkui::ChildById(a.window, ids::AboutCloseImage), 10, 10);
    EXPECT_EQ(a.host.Wait(), 0);
    EXPECT_FALSE(IsWindow(a.window));
}

} // namespace

TEST(AboutBox, LayoutOfTheBorderlessForm) {
    About a = OpenAbout("Demo Product");
    ASSERT_TRUE(a.window && a.text);
    ASSERT_TRUE(WaitPainted(a));
    RECT outer = zkui::WindowBox(a.window);
    EXPECT_EQ(outer.right - outer.left, 591) << "no frame: the window is its client area";
    EXPECT_EQ(outer.bottom - outer.top, 449);
    EXPECT_EQ(outer.left, (GetSystemMetrics(SM_CXSCREEN) - 591) / 2);
    EXPECT_EQ(outer.top, (GetSystemMetrics(SM_CYSCREEN) - 449) / 2);
    EXPECT_FALSE(GetWindowLongPtrA(a.window, GWL_STYLE) & WS_CAPTION) << "no title bar";
    struct Part {
        int id;
        Edges box;
    } parts[] = {
        {ids::AboutSidePanel, {1, 1, 58, 448}},
        {ids::AboutTitleStrip, {58, 1, 590, 26}},
        {ids::AboutCloseImage, {567, 3, 587, 23}},
        {ids::AboutText, {58, 26, 590, 448}},
    };
    for (const Part& p : parts)
        EXPECT_EQ(EdgesOf(zkui::ChildBox(zkui::ChildById(a.window, p.id))), p.box) << p.id;
    // The host passes red and green: the side panel keeps its own blue gradient.
    HDC screen = GetDC(nullptr);
    COLORREF top = GetPixel(screen, outer.left + 20, outer.top + 1);
    COLORREF bottom = GetPixel(screen, outer.left + 20, outer.bottom - 2);
    ReleaseDC(nullptr, screen);
    EXPECT_EQ(top, RGB(68, 119, 170));
    zk::Rgb last = zk::GradientRow({68, 119, 170}, {34, 85, 136}, 447, 446);
    EXPECT_EQ(bottom, RGB(last.red, last.green, last.blue)) << "one step short of the end";
    CloseByImage(a);
}

TEST(AboutBox, ProgramNameIsTheFirstLineAsTyped) {
    for (std::string name : {"Demo Product", "", "A {b} \\c \\par d", "Caf\xe9 \xc4pfel"}) {
        About a = OpenAbout(name);
        ASSERT_TRUE(a.text) << name;
        std::string text = zkui::TextOf(a.text);
        EXPECT_EQ(text.substr(0, text.find("\r\n")), name);
        EXPECT_NE(text.find(zk::ProductLinkTexts[0]), std::string::npos) << "the rest is there";
        CloseByImage(a);
    }
}

TEST(AboutBox, OnlyTheLinkOpensTheBuiltInAddress) {
    BrowserRecorder browser;
    ASSERT_EQ(browser.Problem(), "");
    About a = OpenAbout("Demo Product");
    ASSERT_TRUE(a.text);
    std::string text = zkui::TextOf(a.text);
    size_t link = text.find(zk::ProductLinkTexts[0]);
    size_t plain = text.find("is delivered");
    ASSERT_NE(link, std::string::npos);
    // A point inside the text run, a few pixels down from the top of its line.
    auto inside = [&](size_t index) {
        POINT p = zkui::CharPosition(a.text, static_cast<int>(index));
        return POINT{p.x + 30, p.y + 3};
    };
    POINT off = inside(plain), on = inside(link);
    ASSERT_GE(on.x, 30) << "no position for the link";
    ASSERT_TRUE(WaitLinkPainted(a, on)) << "the control finds the link by its pixels";
    zkui::ClickAt(a.text, off.x, off.y);
    EXPECT_EQ(browser.Urls(1500), "") << "plain text opens nothing";
    // Over the link, then pressed in plain text without moving there: the caret's text is
    // not the link's blue underline, nothing opens either.
    zkui::MouseMove(a.text, on.x, on.y);
    PostMessageA(a.text, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(off.x, off.y));
    PostMessageA(a.text, WM_LBUTTONUP, 0, MAKELPARAM(off.x, off.y));
    EXPECT_EQ(browser.Urls(1500), "") << "the caret decides, not the last hover alone";
    zkui::ClickAt(a.text, on.x, on.y);
    EXPECT_EQ(browser.Urls(10000), std::string(zk::ProductAddress) + "\n");
    CloseByImage(a);
}
