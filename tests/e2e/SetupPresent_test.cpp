// What the user sees around the installation, end to end with the engine: the background
// window with the real wizard in front of it, and the copy bar, billboards, music and volume
// sliders around a stub copy (the test host's installation, which runs the presentation steps
// in the installation's order and reports what it saw).
#include "ControlIds.h"
#include "ExecItemBuilder.h"
#include "MediaFiles.h"
#include "RegOp.h"
#include "TestEnv.h"
#include "UiDriver.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>
#include <tlhelp32.h>

#include <cstdlib>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace ids = zk::ids;

namespace {

using zktest::Bmp;
using zktest::FadeAndStopMs;
using zktest::Row;
using zktest::Wav;
using zkui::WaitFor;
using zkui::WaitPixel;
using zkui::WorkArea;

constexpr const char* DynDataSubkey = "Software\\Zelkon_Dyn_Data";

std::string Line(const std::string& command, const std::string& argument = "") {
    return command + "(" + argument + ")\r\n";
}

int ProcessesNamed(const std::string& exe) {
    HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32 p{};
    p.dwSize = sizeof p;
    int n = 0;
    for (BOOL ok = Process32First(snap, &p); ok; ok = Process32Next(snap, &p))
        n += lstrcmpiA(p.szExeFile, exe.c_str()) == 0;
    CloseHandle(snap);
    return n;
}

// The wizard's Next and Cancel, the exit question's buttons.
struct EngineRun {
    std::string dir, report;
    zkui::Program program;
    HWND wizard = nullptr;

    // The engine (or the test host as "SetupP.exe") beside the script and the files.
    EngineRun(const std::string& name, const std::string& script, bool stub,
              const std::map<std::string, std::string>& files = {}) {
        dir = zktest::ScratchDir(name);
        report = dir + "\\report.txt";
        const std::string exe = dir + "\\" + Exe();
        CopyFileA((zktest::BinDir() + (stub ? "\\setuphost.exe" : "\\Setup.exe")).c_str(),
                  exe.c_str(), FALSE);
        CopyFileA((zktest::BinDir() + "\\UnInstall.exe").c_str(), (dir + "\\UnInstall.exe").c_str(),
                  FALSE);
        zktest::WriteBytes(dir + "\\Setup.txt", script);
        for (auto& [file, bytes] : files) zktest::WriteBytes(dir + "\\" + file, bytes);
        const std::string copyFlag = Flag("copy"), postFlag = Flag("post");
        SetEnvironmentVariableA("ZK_STUB_INSTALL", stub ? "1" : nullptr);
        SetEnvironmentVariableA("ZK_STUB_REPORT", report.c_str());
        SetEnvironmentVariableA("ZK_COPY_FLAG", copyFlag.c_str());
        SetEnvironmentVariableA("ZK_POST_FLAG", postFlag.c_str());
        program = zkui::Start(exe, "", dir);
        for (const char* v : {"ZK_STUB_INSTALL", "ZK_STUB_REPORT", "ZK_COPY_FLAG", "ZK_POST_FLAG"})
            SetEnvironmentVariableA(v, nullptr);
    }
    ~EngineRun() {
        program.Kill();
        zktest::RemoveScratch(dir);
    }
    static std::string Exe() { return "SetupP.exe"; }
    std::string Flag(const std::string& which) const { return dir + "\\" + which + ".flag"; }
    void Release(const std::string& which) const { zktest::WriteBytes(Flag(which), "go"); }

    HWND Top(const std::string& cls, DWORD ms = 10000) const {
        return zkui::FindTopWindow(cls, "", program.Pid(), ms);
    }
    bool FindWizard() { return (wizard = Top(ids::WizardClass)) != nullptr; }
    HWND Control(int id) const { return zkui::ChildById(wizard, id); }
    bool WaitTitle(const std::string& title) const {
        return WaitFor([&] { return zkui::TextOf(wizard) == title; }, 10000);
    }
    // Answers the exit question now on screen.
    bool Answer(int button) const {
        HWND dialog = Top(ids::ExitSetupClass);
        if (!dialog) return false;
        zkui::Click(zkui::ChildById(dialog, button));
        return zkui::WaitGone(dialog, 5000);
    }
    std::map<std::string, std::string> Report() const {
        std::map<std::string, std::string> values;
        std::istringstream in(zktest::ReadBytes(report));
        for (std::string line; std::getline(in, line);)
            if (size_t eq = line.find('='); eq != std::string::npos)
                values[line.substr(0, eq)] = line.substr(eq + 1);
        return values;
    }
    // The host reports as it goes: what a test checks before it releases a step is awaited.
    bool WaitReported(const std::string& key, const std::string& value, DWORD ms = 10000) const {
        return WaitFor([&] { return Report()[key] == value; }, ms);
    }
};

std::string Script(const std::string& name, const std::string& pages) {
    return Line("SET_PROG_NAME", "Demo") + Line("SET_TARGET_DIR", "C:\\zktest\\" + name + "\\App") +
           Line("SET_DIALOGS", pages);
}

std::string BillboardLines(const std::string& row) {
    return Line("SET_ADD_BILLBOARD") + Line("SET_BILLBOARD_DATA", row) +
           Line("SET_BILLBOARD_FILE", "D:\\cd\\one.txt") + Line("SET_BILLBOARD_FILE", "two.txt");
}

const std::map<std::string, std::string> kPages = {{"one.txt", "First page\r\n"},
                                                   {"two.txt", "Second page\r\n"}};

const std::string kShowRow = Row({{3, "1"}, {8, "255"}, {15, "300"}, {16, "200"}, {18, "1"}});

} // namespace

// ---------------------------------------------------------------------------------------------
// The copy bar

TEST(CopyBar, ShowsTheBillboardsAtTheBottomCentreAndCancelStopsTheInstallation) {
    EngineRun r("present_copybar",
                Script("present_copybar", "WelcomeDlg,CopyFilesDlg,CompleteDlg") +
                    BillboardLines(kShowRow),
                true, kPages);
    ASSERT_TRUE(r.FindWizard());
    zkui::Click(r.Control(ids::NextButton));
    HWND bar = r.Top(ids::CopyBarClass);
    ASSERT_TRUE(bar);
    EXPECT_FALSE(IsWindowVisible(r.wizard)) << "the wizard hides while billboards run";
    EXPECT_EQ(GetWindow(bar, GW_OWNER), r.wizard);
    RECT work = WorkArea(), box = zkui::WindowBox(bar);
    EXPECT_EQ(zkui::ClientBox(bar).right, 324);
    EXPECT_EQ(zkui::ClientBox(bar).bottom, 42);
    EXPECT_EQ(box.bottom, work.bottom - 10);
    EXPECT_EQ(box.left, work.left + (work.right - work.left - (box.right - box.left)) / 2);
    EXPECT_EQ(GetWindowLongA(bar, GWL_STYLE) & WS_CAPTION, 0) << "no caption";
    HWND show = r.Top(ids::BillboardClass);
    ASSERT_TRUE(show);
    EXPECT_EQ(GetWindow(show, GW_OWNER), bar) << "the copy bar owns the billboards";
    HWND progress = zkui::ChildById(bar, ids::CopyBarProgress);
    EXPECT_TRUE(WaitFor([&] { return SendMessageA(progress, PBM_GETPOS, 0, 0) > 5; }, 5000))
        << "the copy steps the copy bar's own bar";

    // Resume: nothing changes.
    zkui::Click(zkui::ChildById(bar, ids::CopyBarCancel));
    ASSERT_TRUE(r.Answer(ids::ExitSetupResume));
    Sleep(300);
    EXPECT_TRUE(IsWindow(show));
    // Exit: the billboards go at once, the installation stops and the wizard closes.
    zkui::Click(zkui::ChildById(bar, ids::CopyBarCancel));
    ASSERT_TRUE(r.Answer(ids::ExitSetupExit));
    EXPECT_TRUE(zkui::WaitGone(show, 1000));
    EXPECT_EQ(r.program.Wait(10000), 0);
    auto rep = r.Report();
    EXPECT_EQ(rep["copy_bar_progress"], "1");
    EXPECT_EQ(rep["abort_after_copy"], "1") << "Exit on the copy bar is the abort request";
    EXPECT_EQ(rep["cancelled"], "1");
}

TEST(CopyBar, CancelAfterTheCopyAsksNothingAndTheWizardGoesOn) {
    EngineRun r("present_postcopy",
                Script("present_postcopy", "WelcomeDlg,CopyFilesDlg,CompleteDlg") +
                    BillboardLines(kShowRow),
                true, kPages);
    ASSERT_TRUE(r.FindWizard());
    zkui::Click(r.Control(ids::NextButton));
    HWND bar = r.Top(ids::CopyBarClass);
    HWND show = r.Top(ids::BillboardClass);
    ASSERT_TRUE(bar && show);
    r.Release("copy");
    ASSERT_TRUE(r.WaitReported("abort_after_copy", "0")) << "the copy ended";
    zkui::Click(zkui::ChildById(bar, ids::CopyBarCancel));
    EXPECT_TRUE(zkui::WaitGone(show, 5000)) << "the billboards stop";
    EXPECT_EQ(r.Top(ids::ExitSetupClass, 300), nullptr) << "no question outside the copy";
    r.Release("post");
    ASSERT_TRUE(r.WaitTitle("Setup Complete"));
    EXPECT_TRUE(IsWindowVisible(r.wizard));
    EXPECT_FALSE(IsWindowVisible(bar)) << "hidden at the end";
    zkui::PostClose(r.wizard);
    EXPECT_EQ(r.program.Wait(5000), 0);
    EXPECT_FALSE(IsWindow(bar)) << "freed with the wizard";
    EXPECT_EQ(r.Report()["cancelled"], "0");
}

TEST(CopyBar, SilentInstallAwaitsTheSlideShowsEnd) {
    // Two pages, one tick each (half a second): the show ends after about 3 s.
    const std::string row = Row({{0, "1"}, {8, "255"}, {15, "300"}, {16, "200"}, {18, "1"}});
    EngineRun r("present_silent",
                Script("present_silent", "WelcomeDlg,CopyFilesDlg,CompleteDlg") +
                    Line("SET_SILENT_SETUP") + BillboardLines(row),
                true, kPages);
    ASSERT_TRUE(r.FindWizard());
    RECT wizard = zkui::WindowBox(r.wizard);
    EXPECT_EQ(wizard.left, -30);
    EXPECT_EQ(wizard.right - wizard.left, 20);
    HWND show = r.Top(ids::BillboardClass);
    ASSERT_TRUE(show);
    r.Release("copy");
    r.Release("post");
    HWND close = zkui::ChildById(show, ids::BillboardCloseButton);
    EXPECT_TRUE(WaitFor([&] { return IsWindowVisible(close) != FALSE; }, 10000))
        << "waiting for the end shows the Close button";
    EXPECT_EQ(r.program.Wait(15000), 0);
    const int waited = std::atoi(r.Report()["close_bar_ms"].c_str());
    EXPECT_GT(waited, 500) << "the end of the show was awaited";
    EXPECT_LT(waited, 8000);
}

// ---------------------------------------------------------------------------------------------
// Music and the volume sliders

TEST(Music, FixedSliderOnTheCopyPageWhileTheMusicPlays) {
    EngineRun r("present_fixed",
                Script("present_fixed", "WelcomeDlg,CopyFilesDlg,CompleteDlg") +
                    Line("SET_BG_WAVE_FILE_NAME", "E:\\media\\tone.wav") +
                    Line("SET_BG_WAVE_SLIDER", "Fixed") + Line("SET_SHOW_PROG_BAR_2"),
                true, {{"tone.wav", Wav()}});
    ASSERT_TRUE(r.FindWizard());
    const RECT before = zkui::ChildBox(r.Control(ids::ProgressBar1));
    zkui::Click(r.Control(ids::NextButton));
    ASSERT_TRUE(r.WaitTitle("Installing"));
    HWND slider = r.Control(ids::Slider1), speaker = r.Control(ids::Image2);
    ASSERT_TRUE(slider && speaker);
    EXPECT_TRUE(WaitFor([&] { return IsWindowVisible(slider) != FALSE; }, 10000));
    EXPECT_TRUE(IsWindowVisible(speaker));
    const RECT bar1 = zkui::ChildBox(r.Control(ids::ProgressBar1)),
               bar2 = zkui::ChildBox(r.Control(ids::ProgressBar2)), s = zkui::ChildBox(slider);
    EXPECT_EQ(bar1.right - bar1.left, before.right - before.left + 6);
    EXPECT_EQ(bar2.right - bar2.left, bar1.right - bar1.left);
    EXPECT_EQ(s.right - s.left, 30);
    EXPECT_EQ(s.bottom - s.top, 130);
    EXPECT_EQ(s.right, bar2.right) << "under the bars, at their end";
    EXPECT_GT(s.top, bar2.bottom);
    const RECT onScreen = zkui::WindowBox(slider);
    EXPECT_EQ(WindowFromPoint({onScreen.left + 15, onScreen.top + 65}), slider)
        << "over the page area";
    EXPECT_TRUE(r.WaitReported("played_during_copy", "1")) << "the device opened with the copy";
    r.Release("copy");
    r.Release("post");
    ASSERT_TRUE(r.WaitTitle("Setup Complete"));
    EXPECT_FALSE(IsWindowVisible(slider));
    const RECT after = zkui::ChildBox(r.Control(ids::ProgressBar1));
    EXPECT_EQ(after.right - after.left, before.right - before.left) << "back to its width";
    auto rep = r.Report();
    EXPECT_EQ(rep["music"], r.dir + "\\tone.wav") << "its file name in the engine's folder";
    EXPECT_LT(std::atoi(rep["stop_ms"].c_str()), FadeAndStopMs) << "the fade and the stop";
    zkui::PostClose(r.wizard);
    EXPECT_EQ(r.program.Wait(5000), 0);
}

struct FloatingCase {
    const char* location;
    std::function<bool(const RECT& box, const RECT& work)> placed;
};

TEST(Music, FloatingVolumeWindowPlacedByItsLocationWithoutTheFocus) {
    const FloatingCase cases[] = {
        {"|Top/Right|-5|7|",
         [](const RECT& b, const RECT& w) { return b.right == w.right - 5 && b.top == w.top + 7; }},
        {"|Bottom/Left|",
         [](const RECT& b, const RECT& w) { return b.left == w.left && b.bottom == w.bottom; }},
    };
    for (const FloatingCase& c : cases) {
        EngineRun r("present_floating",
                    Script("present_floating", "WelcomeDlg,CopyFilesDlg,CompleteDlg") +
                        Line("SET_BG_WAVE_FILE_NAME", "tone.wav") +
                        Line("SET_BG_WAVE_SLIDER", "Floating") +
                        Line("SET_BG_WAVE_LOCATION", c.location),
                    true, {{"tone.wav", Wav()}});
        ASSERT_TRUE(r.FindWizard());
        zkui::Click(r.Control(ids::NextButton));
        HWND volume = r.Top(ids::SliderFormClass);
        ASSERT_TRUE(volume) << c.location;
        const RECT box = zkui::WindowBox(volume);
        EXPECT_TRUE(c.placed(box, WorkArea())) << c.location << ": " << box.left << "," << box.top
                                               << "," << box.right << "," << box.bottom;
        EXPECT_TRUE(GetWindowLongA(volume, GWL_EXSTYLE) & WS_EX_TOPMOST);
        EXPECT_EQ(GetWindow(volume, GW_OWNER), r.wizard);
        EXPECT_EQ(GetForegroundWindow(), r.wizard) << "the wizard keeps the focus";
        r.Release("copy");
        r.Release("post");
        ASSERT_TRUE(r.WaitTitle("Setup Complete"));
        EXPECT_FALSE(IsWindow(volume)) << "freed when the music stops";
        zkui::PostClose(r.wizard);
        EXPECT_EQ(r.program.Wait(5000), 0);
    }
}

TEST(Music, MissingMusicFileShowsNoSliderAndPlaysNothing) {
    EngineRun r("present_nomusic",
                Script("present_nomusic", "WelcomeDlg,CopyFilesDlg,CompleteDlg") +
                    Line("SET_BG_WAVE_FILE_NAME", "absent.wav") +
                    Line("SET_BG_WAVE_SLIDER", "Floating"),
                true);
    ASSERT_TRUE(r.FindWizard());
    zkui::Click(r.Control(ids::NextButton));
    ASSERT_TRUE(r.WaitTitle("Installing"));
    EXPECT_EQ(r.Top(ids::SliderFormClass, 800), nullptr);
    r.Release("copy");
    r.Release("post");
    ASSERT_TRUE(r.WaitTitle("Setup Complete"));
    auto rep = r.Report();
    EXPECT_EQ(rep["music"], "");
    EXPECT_EQ(rep.count("stop_ms"), 0u) << "no stop step";
    zkui::PostClose(r.wizard);
    EXPECT_EQ(r.program.Wait(5000), 0);
}

// ---------------------------------------------------------------------------------------------
// The background window with the engine's wizard

TEST(SetupBackground, CoversTheWorkAreaBehindTheWizardAndAsksOnClose) {
    HKEY key = nullptr;
    RegCreateKeyExA(HKEY_CURRENT_USER, DynDataSubkey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                    nullptr);
    RegCloseKey(key);
    EngineRun r("present_background",
                Script("present_background", "WelcomeDlg,LicenseDlg,CompleteDlg") +
                    Line("SET_SETUP_BACKGROUND"),
                false);
    HWND background = r.Top(ids::SetupMainClass);
    ASSERT_TRUE(background);
    ASSERT_TRUE(r.FindWizard());
    const RECT work = WorkArea(), box = zkui::WindowBox(background);
    EXPECT_EQ(box.left, work.left);
    EXPECT_EQ(box.top, work.top);
    EXPECT_EQ(box.right, work.right);
    EXPECT_EQ(box.bottom, work.bottom);
    EXPECT_EQ(zkui::TextOf(background), "Demo");
    // Centred in the background's client area.
    POINT origin{0, 0};
    ClientToScreen(background, &origin);
    const RECT client = zkui::ClientBox(background), wizard = zkui::WindowBox(r.wizard);
    EXPECT_EQ(wizard.left, origin.x + (client.right - (wizard.right - wizard.left)) / 2);
    EXPECT_EQ(wizard.top, origin.y + (client.bottom - (wizard.bottom - wizard.top)) / 2);
    zkui::Click(r.Control(ids::NextButton));
    ASSERT_TRUE(r.WaitTitle("License Agreement"));
    EXPECT_TRUE(WaitFor([&] { return GetWindow(r.wizard, GW_HWNDNEXT) == background; }, 5000))
        << "directly behind the wizard after a page change";
    EXPECT_TRUE(WaitPixel(origin.x + 5, origin.y + 5, RGB(0, 0, 255))) << "solid blue";
    EXPECT_TRUE(WaitPixel(origin.x + 5, origin.y + client.bottom - 2, RGB(0, 0, 255)));

    // Its close asks; Resume keeps both windows.
    zkui::PostClose(background);
    ASSERT_TRUE(r.Answer(ids::ExitSetupResume));
    Sleep(300);
    EXPECT_TRUE(IsWindowVisible(background));
    EXPECT_TRUE(IsWindowVisible(r.wizard));
    EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, DynDataSubkey, 0, KEY_READ, &key), ERROR_SUCCESS)
        << "kept while the background stays";
    RegCloseKey(key);
    // Exit: both go, the run ends, the key with the background.
    zkui::PostClose(background);
    ASSERT_TRUE(r.Answer(ids::ExitSetupExit));
    EXPECT_EQ(r.program.Wait(5000), 0);
    EXPECT_NE(RegOpenKeyExA(HKEY_CURRENT_USER, DynDataSubkey, 0, KEY_READ, &key), ERROR_SUCCESS);
}

TEST(SetupBackground, GradientAndTheWizardsCancelClosingBoth) {
    EngineRun r("present_gradient",
                Script("present_gradient", "WelcomeDlg,CompleteDlg") +
                    Line("SET_SETUP_BACKGROUND") + Line("SET_BOTTOM_BG_COLOR_REQ") +
                    Line("SET_TOP_LABEL_TEXT", "Demo Writer"),
                false);
    HWND background = r.Top(ids::SetupMainClass);
    ASSERT_TRUE(background && r.FindWizard());
    POINT origin{0, 0};
    ClientToScreen(background, &origin);
    const RECT client = zkui::ClientBox(background);
    const int x = origin.x + client.right - 3;
    EXPECT_TRUE(WaitPixel(x, origin.y, RGB(0, 0, 255)));
    EXPECT_TRUE(WaitPixel(x, origin.y + client.bottom - 1, [](COLORREF c) {
        return GetBValue(c) < 8;
    })) << "to black at the bottom";
    EXPECT_TRUE(WaitPixel(x, origin.y + client.bottom / 2, [](COLORREF c) {
        return GetBValue(c) > 100 && GetBValue(c) < 160;
    })) << "half way";
    // The background's close while the wizard asks: no second question, the answer holds.
    zkui::Click(r.Control(ids::CancelButton));
    HWND question = r.Top(ids::ExitSetupClass);
    ASSERT_TRUE(question);
    zkui::PostClose(background);
    Sleep(300);
    EXPECT_EQ(zkui::TopWindows(r.program.Pid()).size(), 3u) << "background, wizard, question";
    zkui::Click(zkui::ChildById(question, ids::ExitSetupResume));
    ASSERT_TRUE(zkui::WaitGone(question, 10000));
    Sleep(200);
    EXPECT_TRUE(IsWindowVisible(background));
    zkui::Click(r.Control(ids::CancelButton));
    ASSERT_TRUE(r.Answer(ids::ExitSetupExit));
    EXPECT_EQ(r.program.Wait(5000), 0) << "the wizard's close closes the background";
    EXPECT_EQ(r.Top(ids::ExitSetupClass, 200), nullptr) << "asked once";
}

TEST(SetupBackground, SetupStartExitClosesWithoutAQuestionOrAWindow) {
    zktest::ExecItemDef exit;
    exit.kind = "UnConditional";
    exit.slot[0] = {"1", "Exit", "", "", ""};
    EngineRun r("present_startexit",
                Script("present_startexit", "WelcomeDlg") + Line("SET_SETUP_BACKGROUND") +
                    Line("SET_PERFORM_EXECUTE_OP", zktest::BuildExecItem(exit)),
                false);
    EXPECT_EQ(r.program.Wait(5000), 0);
    EXPECT_EQ(r.Top(ids::ExitSetupClass, 200), nullptr);
    EXPECT_EQ(r.Top(ids::WizardClass, 200), nullptr) << "the wizard was never shown";
}

// Every window closed in the middle of a run with billboards and music: the program ends
// within the fade and the stop, and nothing of it stays.
TEST(SetupBackground, ClosingEachWindowMidWayLeavesNoProcess) {
    const std::string base = Script("present_midway", "WelcomeDlg,CopyFilesDlg,CompleteDlg") +
                             Line("SET_SETUP_BACKGROUND") +
                             Line("SET_BG_WAVE_FILE_NAME", "tone.wav") +
                             Line("SET_BG_WAVE_SLIDER", "Floating");
    auto files = kPages;
    files["tone.wav"] = Wav();
    // The wizard shows during the copy only without billboards.
    for (const std::string which : {"background", "copy bar", "wizard"}) {
        const bool billboards = which != "wizard";
        EngineRun r("present_midway", base + (billboards ? BillboardLines(kShowRow) : ""), true,
                    files);
        ASSERT_TRUE(r.FindWizard()) << which;
        zkui::Click(r.Control(ids::NextButton));
        HWND bar = billboards ? r.Top(ids::CopyBarClass) : nullptr;
        HWND volume = r.Top(ids::SliderFormClass);
        ASSERT_TRUE(volume && (bar || !billboards)) << which;
        ASSERT_TRUE(r.WaitReported("played_during_copy", "1")) << which << ": mid-way, music on";
        if (which == "background")
            zkui::PostClose(r.Top(ids::SetupMainClass));
        else if (which == "copy bar")
            zkui::Click(zkui::ChildById(bar, ids::CopyBarCancel));
        else
            zkui::Click(r.Control(ids::CancelButton));
        ASSERT_TRUE(r.Answer(ids::ExitSetupExit)) << which;
        EXPECT_EQ(r.program.Wait(5000), 0) << which;
        EXPECT_EQ(r.Report()["abort_after_copy"], "1") << which << ": the copy stopped";
        EXPECT_TRUE(WaitFor([] { return ProcessesNamed(EngineRun::Exe()) == 0; }, 10000)) << which;
    }
}

// ---------------------------------------------------------------------------------------------
// With the installation

constexpr const char* kWindowsKey =
    "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\";

// What a real installation of "Demo" registers, taken away again after the test.
struct RegistrationCleanup {
    ~RegistrationCleanup() {
        for (const char* key : {"UnInstall\\Demo", "App Management\\ARPCache\\Demo"})
            zk::DeleteRegKey(std::string(kWindowsKey) + key);
        zk::DeleteRegKey("HKEY_LOCAL_MACHINE\\Software\\Demo");
    }
};

// `count` product files and the rows that install them into the target folder.
std::string ProductFiles(int count, std::map<std::string, std::string>& files) {
    std::string names;
    for (int i = 0; i < count; ++i) {
        const std::string name = "file" + std::to_string(i) + ".txt";
        files[name] = "content of " + name + "\r\n";
        names += (names.empty() ? "" : "|") + name;
    }
    return Line("SET_GROUP_DATA", "|Main|Main|0|0|0|1|1|1|0|") +
           Line("SET_SUB_DIR", "<Application Folder>") + Line("SET_COPY_FILES", names);
}

TEST(InstallPresent, SilentInstallWithBillboardsSteppingAndItsEndAwaited) {
    RegistrationCleanup cleanup;
    std::map<std::string, std::string> files = {{"big.bmp", Bmp(160, 100, RGB(255, 0, 0))},
                                                {"small.bmp", Bmp(90, 60, RGB(0, 200, 0))}};
    const std::string rows = ProductFiles(20, files);
    // Waits for the end; one tick (half a second) per step.
    const std::string row = Row({{0, "1"}, {8, "255"}, {15, "300"}, {16, "200"}, {18, "1"}});
    EngineRun r("present_install",
                Script("present_install", "WelcomeDlg,CopyFilesDlg,CompleteDlg") +
                    Line("SET_SILENT_SETUP") + Line("SET_ADD_BILLBOARD") +
                    Line("SET_BILLBOARD_DATA", row) + Line("SET_BILLBOARD_FILE", "big.bmp") +
                    Line("SET_BILLBOARD_FILE", "small.bmp") + rows,
                false, files);
    ASSERT_TRUE(r.FindWizard());
    const RECT wizard = zkui::WindowBox(r.wizard);
    EXPECT_EQ(wizard.left, -30);
    EXPECT_EQ(wizard.right - wizard.left, 20);
    HWND show = r.Top(ids::BillboardClass);
    ASSERT_TRUE(show);
    EXPECT_TRUE(r.Top(ids::CopyBarClass, 2000));
    HWND picture = zkui::ChildById(show, ids::BillboardImage);
    auto width = [&] {
        const RECT b = zkui::ChildBox(picture);
        return IsWindowVisible(picture) ? b.right - b.left : 0;
    };
    EXPECT_TRUE(WaitFor([&] { return width() == 160; }, 10000)) << "the first page";
    EXPECT_TRUE(WaitFor([&] { return width() == 90; }, 10000)) << "stepped to the second";
    HWND close = zkui::ChildById(show, ids::BillboardCloseButton);
    EXPECT_TRUE(WaitFor([&] { return IsWindowVisible(close) != FALSE; }, 5000))
        << "the driver waits for the end";
    EXPECT_EQ(r.program.Wait(10000), 0);
    EXPECT_EQ(zktest::ReadBytes("C:\\zktest\\present_install\\App\\file19.txt"),
              "content of file19.txt\r\n");
}

TEST(InstallPresent, MusicStartsWithTheCopyAndStopsWithinASecond) {
    RegistrationCleanup cleanup;
    std::map<std::string, std::string> files = {{"tone.wav", Wav()}};
    // A pause after each file while the music plays makes the copy last about 2 s.
    const std::string rows = ProductFiles(100, files);
    EngineRun r("present_music",
                Script("present_music", "WelcomeDlg,CopyFilesDlg,CompleteDlg") +
                    Line("SET_SILENT_SETUP") + Line("SET_BG_WAVE_FILE_NAME", "tone.wav") +
                    Line("SET_BG_WAVE_SLIDER", "Floating") +
                    Line("SET_BG_WAVE_LOCATION", "|Bottom/Right|-4|-6|") +
                    Line("SET_BG_WAVE_DELAY", "20") + rows,
                false, files);
    HWND volume = r.Top(ids::SliderFormClass);
    ASSERT_TRUE(volume) << "shown with the copy";
    const RECT work = WorkArea(), box = zkui::WindowBox(volume);
    EXPECT_EQ(box.right, work.right - 4);
    EXPECT_EQ(box.bottom, work.bottom - 6);
    const std::string first = "C:\\zktest\\present_music\\App\\file0.txt";
    EXPECT_TRUE(WaitFor(
        [&] { return GetFileAttributesA(first.c_str()) != INVALID_FILE_ATTRIBUTES; }, 10000))
        << "the copy runs";
    const std::string last = "C:\\zktest\\present_music\\App\\file99.txt";
    EXPECT_EQ(GetFileAttributesA(last.c_str()), INVALID_FILE_ATTRIBUTES) << "not yet done";
    ASSERT_TRUE(zkui::WaitGone(volume, 20000));
    const DWORD gone = GetTickCount();
    EXPECT_NE(GetFileAttributesA(last.c_str()), INVALID_FILE_ATTRIBUTES) << "after the copy";
    EXPECT_EQ(r.program.Wait(5000), 0);
    EXPECT_LT(GetTickCount() - gone, DWORD(FadeAndStopMs)) << "the fade, the stop and the end";
}

TEST(InstallPresent, ClosingAWindowMidCopyEndsTheRunWithNothingLeft) {
    RegistrationCleanup cleanup;
    std::map<std::string, std::string> files = kPages;
    files["tone.wav"] = Wav();
    const std::string rows = ProductFiles(200, files);
    const std::string script = Script("present_midcopy", "WelcomeDlg,CopyFilesDlg,CompleteDlg") +
                               Line("SET_SETUP_BACKGROUND") + BillboardLines(kShowRow) +
                               Line("SET_BG_WAVE_FILE_NAME", "tone.wav") +
                               Line("SET_BG_WAVE_SLIDER", "Floating") +
                               Line("SET_BG_WAVE_DELAY", "20") + rows;
    for (const char* which : {"background", "copy bar"}) {
        EngineRun r("present_midcopy", script, false, files);
        ASSERT_TRUE(r.FindWizard()) << which;
        zkui::Click(r.Control(ids::NextButton));
        HWND bar = r.Top(ids::CopyBarClass);
        ASSERT_TRUE(bar && r.Top(ids::SliderFormClass)) << which;
        const std::string first = "C:\\zktest\\present_midcopy\\App\\file0.txt";
        ASSERT_TRUE(WaitFor(
            [&] { return GetFileAttributesA(first.c_str()) != INVALID_FILE_ATTRIBUTES; }, 3000));
        if (std::string(which) == "background")
            zkui::PostClose(r.Top(ids::SetupMainClass));
        else
            zkui::Click(zkui::ChildById(bar, ids::CopyBarCancel));
        ASSERT_TRUE(r.Answer(ids::ExitSetupExit)) << which;
        EXPECT_EQ(r.program.Wait(5000), 0) << which;
        const std::string last = "C:\\zktest\\present_midcopy\\App\\file199.txt";
        EXPECT_EQ(GetFileAttributesA(last.c_str()), INVALID_FILE_ATTRIBUTES)
            << which << ": the copy stopped";
        EXPECT_TRUE(WaitFor([] { return ProcessesNamed(EngineRun::Exe()) == 0; }, 10000)) << which;
    }
}
