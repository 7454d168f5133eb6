// A click or a close that arrives while a step of the install engine pumps messages, end to
// end with the engine: Exit answered at each moment of an installation, Resume as the Copy page
// opens, an early close of the background window, a double click on Next while a page's stage
// runs. Checked by the windows, Setup.log, the target folder and the Add/Remove entry.
#include "ControlIds.h"
#include "ExecItemBuilder.h"
#include "MediaFiles.h"
#include "RegOp.h"
#include "TestEnv.h"
#include "UiDriver.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace ids = zk::ids;

namespace {

using zkui::WaitFor;

constexpr const char* kWindowsKey =
    "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\";
constexpr int kFiles = 20;

std::string Line(const std::string& command, const std::string& argument = "") {
    return command + "(" + argument + ")\r\n";
}

// Setup.exe and UnInstall.exe in C:\zktest\<name> beside the script, a product of small files
// and `files`; the target folder is <name>\App. The product is named after the folder, so its
// Add/Remove entry is the test's own.
struct Engine {
    std::string name, dir, app;
    zkui::Program program;
    HWND wizard = nullptr;

    Engine(const std::string& n, const std::string& pages, const std::string& more,
           const std::map<std::string, std::string>& files = {})
        : name(n) {
        dir = zktest::ScratchDir(n);
        app = dir + "\\App";
        for (const char* exe : {"Setup.exe", "UnInstall.exe"})
            CopyFileA((zktest::BinDir() + "\\" + exe).c_str(), (dir + "\\" + exe).c_str(), FALSE);
        std::string names;
        for (int i = 0; i < kFiles; ++i) {
            const std::string file = "file" + std::to_string(i) + ".txt";
            zktest::WriteBytes(dir + "\\" + file, "content of " + file);
            names += (i ? "|" : "") + file;
        }
        for (const auto& [file, bytes] : files) zktest::WriteBytes(dir + "\\" + file, bytes);
        zktest::WriteBytes(
            dir + "\\Setup.txt",
            Line("SET_PROG_NAME", name) + Line("SET_TARGET_DIR", app) + Line("SET_DIALOGS", pages) +
                Line("SET_CREATE_SETUP_LOG") + Line("SET_CREATE_UNINSTALL") +
                Line("SET_GROUP_DATA", "|Main|Main|0|0|0|1|1|1|0|") +
                Line("SET_SUB_DIR", "<Application Folder>") + Line("SET_COPY_FILES", names) + more);
        program = zkui::Start(dir + "\\Setup.exe", "", dir);
    }
    ~Engine() {
        program.Kill();
        for (const char* key : {"UnInstall\\", "App Management\\ARPCache\\"})
            zk::DeleteRegKey(kWindowsKey + std::string(key) + name);
        zktest::RemoveScratch(dir);
    }

    HWND Top(const std::string& cls, DWORD ms = 10000) const {
        return zkui::FindTopWindow(cls, "", program.Pid(), ms);
    }
    bool FindWizard() { return (wizard = Top(ids::WizardClass, 15000)) != nullptr; }
    HWND Control(int id) const { return zkui::ChildById(wizard, id); }
    void Click(int id) const { zkui::Click(Control(id)); }
    std::string Title() const { return zkui::TextOf(wizard); }
    bool WaitTitle(const std::string& title, DWORD ms = 10000) const {
        return WaitFor([&] { return Title() == title; }, ms);
    }
    // Answers the exit question on screen.
    bool Answer(int button) const {
        HWND question = Top(ids::ExitSetupClass);
        if (!question) return false;
        zkui::Click(zkui::ChildById(question, button));
        return zkui::WaitGone(question, 5000);
    }
    std::vector<std::string> Log() const { return zktest::ReadLines(app + "\\Setup.log"); }
    int LogCount(const std::string& line) const {
        int n = 0;
        for (const std::string& l : Log()) n += l == line;
        return n;
    }
    bool Installed(const std::string& file) const { return zktest::Exists(app + "\\" + file); }
    bool Registered() const {
        HKEY key;
        const std::string sub = "Software\\Microsoft\\Windows\\CurrentVersion\\UnInstall\\" + name;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, sub.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
            return false;
        RegCloseKey(key);
        return true;
    }
};

std::string ExecLine(const zktest::ExecItemDef& item) {
    return Line("SET_PERFORM_EXECUTE_OP", zktest::BuildExecItem(item));
}

// An item of the stage that waits, then writes a value: a value there means the stage went on
// after the wait.
std::string WaitingItem(const std::string& stage, const std::string& ms,
                        const std::string& key = "") {
    zktest::ExecItemDef item;
    item.name = "Slow";
    item.stage = stage;
    item.kind = "UnConditional";
    item.slot[0] = {"1", "Wait (MS)", ms, "", ""};
    if (!key.empty()) item.slot[1] = {"1", "Create Registry Value (String)", key, "After", "1"};
    return ExecLine(item);
}

std::string ReadUserValue(const std::string& key, const std::string& value) {
    const std::string sub = key.substr(std::string("HKEY_CURRENT_USER\\").size());
    char data[256] = {};
    DWORD size = sizeof data;
    if (RegGetValueA(HKEY_CURRENT_USER, sub.c_str(), value.c_str(), RRF_RT_REG_SZ, nullptr, data,
                     &size) != ERROR_SUCCESS)
        return "<none>";
    return data;
}

const std::map<std::string, std::string> kPages = {{"one.txt", "First page\r\n"},
                                                   {"two.txt", "Second page\r\n"}};

std::string Billboards(const std::string& row) {
    return Line("SET_SETUP_BACKGROUND") + Line("SET_ADD_BILLBOARD") +
           Line("SET_BILLBOARD_DATA", row) + Line("SET_BILLBOARD_FILE", "one.txt") +
           Line("SET_BILLBOARD_FILE", "two.txt");
}

const char kCopyPages[] = "WelcomeDlg,CopyFilesDlg,CompleteDlg";

} // namespace

// Exit at each moment of the installation: the answer holds at once, the program ends, and
// from the moment on nothing more is made.
TEST(MidStepExit, EachMomentOfTheInstallationEndsTheRunAndMakesNothingMore) {
    // What stands when the run has ended. A run stopped before its uninstaller was in place
    // takes back what it made: nothing could remove it later.
    enum class Left { Nothing, Product };
    const std::string key = zktest::ScratchKey("midstep_exit");
    struct Moment {
        const char* name;
        std::string more;
        std::function<bool(Engine&)> closeAt; // on to the moment, then the close that asks
        Left left;
    } moments[] = {
        {"as the Copy page opens", "",
         [](Engine& r) {
             r.Click(ids::NextButton);
             r.Click(ids::CancelButton);
             return true;
         },
         Left::Nothing},
        // The wizard hides, 200 ms later the copy bar comes and pumps for another 500 ms.
        {"while the copy bar comes up",
         Billboards(zktest::Row({{8, "255"}, {15, "300"}, {16, "200"}})),
         [](Engine& r) {
             r.Click(ids::NextButton);
             if (!WaitFor([&] { return !IsWindowVisible(r.wizard); }, 10000)) return false;
             zkui::PostClose(r.Top(ids::SetupMainClass));
             return true;
         },
         Left::Nothing},
        {"in a busy Before Copy stage", WaitingItem("Before Copy", "3000", key),
         [](Engine& r) {
             r.Click(ids::NextButton);
             if (!WaitFor([&] { return r.LogCount("Execute Before Copy") == 1; }, 10000))
                 return false;
             r.Click(ids::CancelButton);
             return true;
         },
         Left::Nothing},
        // Two pages of two 4 s ticks each, awaited to their end.
        {"while the end of the slide show is awaited",
         Billboards(zktest::Row({{0, "1"}, {8, "255"}, {15, "300"}, {16, "200"}, {18, "8"}})),
         [](Engine& r) {
             r.Click(ids::NextButton);
             HWND show = r.Top(ids::BillboardClass);
             if (!show) return false;
             HWND close = zkui::ChildById(show, ids::BillboardCloseButton);
             if (!WaitFor([&] { return IsWindowVisible(close) != FALSE; }, 10000)) return false;
             zkui::PostClose(r.Top(ids::SetupMainClass));
             return true;
         },
         Left::Product},
    };
    for (const Moment& m : moments) {
        Engine r("midstep_exit", kCopyPages, m.more, kPages);
        ASSERT_TRUE(r.FindWizard()) << m.name;
        ASSERT_TRUE(m.closeAt(r)) << m.name;
        ASSERT_TRUE(r.Answer(ids::ExitSetupExit)) << m.name;
        EXPECT_EQ(r.program.Wait(5000), 0) << m.name << ": ends at once, without a box";
        EXPECT_EQ(r.Top(ids::MsgBoxClass, 100), nullptr) << m.name;
        EXPECT_EQ(zktest::IsDir(r.app), m.left != Left::Nothing) << m.name;
        EXPECT_EQ(r.Installed("file19.txt"), m.left == Left::Product) << m.name;
        EXPECT_EQ(r.Installed("UnInstall.exe"), m.left == Left::Product) << m.name;
        EXPECT_EQ(r.Registered(), m.left == Left::Product) << m.name;
        EXPECT_EQ(ReadUserValue(key, "After"), "<none>") << m.name << ": the stage went on";
    }
}

// The Copy page's start waits for the answer: nothing is made while the question is open, and
// after Resume the installation runs as it would have.
TEST(MidStepExit, ResumeAsTheCopyPageOpensInstallsAfterTheAnswer) {
    Engine r("midstep_resume", kCopyPages, "");
    ASSERT_TRUE(r.FindWizard());
    r.Click(ids::NextButton);
    r.Click(ids::CancelButton);
    ASSERT_TRUE(r.Top(ids::ExitSetupClass));
    EXPECT_FALSE(WaitFor([&] { return zktest::IsDir(r.app); }, 500))
        << "the installation started inside the question";
    ASSERT_TRUE(r.Answer(ids::ExitSetupResume));
    ASSERT_TRUE(r.WaitTitle("Setup Complete", 20000)) << r.Title();
    for (int i = 0; i < kFiles; ++i) EXPECT_TRUE(r.Installed("file" + std::to_string(i) + ".txt"));
    EXPECT_TRUE(r.Registered());
    ASSERT_TRUE(
        WaitFor([&] { return IsWindowEnabled(r.Control(ids::NextButton)) != FALSE; }, 5000));
    r.Click(ids::NextButton); // Finish
    EXPECT_EQ(r.program.Wait(), 0);
}

// Closed before its start-up timer: the wizard waits for the answer instead of coming up over
// the question, and after Resume it comes up in front and stays there.
TEST(MidStepExit, EarlyCloseOfTheBackgroundWindowThenResumeKeepsTheWizardInFront) {
    Engine r("midstep_early", "WelcomeDlg,CompleteDlg", Line("SET_SETUP_BACKGROUND"));
    HWND background = r.Top(ids::SetupMainClass);
    ASSERT_TRUE(background);
    zkui::PostClose(background);
    HWND question = r.Top(ids::ExitSetupClass);
    ASSERT_TRUE(question);
    // Shown already (a late close) or not at all, the wizard stays under the question.
    auto covered = [&] {
        HWND wizard = r.Top(ids::WizardClass, 0);
        for (HWND above = question; wizard && (above = GetWindow(above, GW_HWNDPREV));)
            if (above == wizard) return true;
        return false;
    };
    EXPECT_FALSE(WaitFor(covered, 1000)) << "the wizard came up over the question";
    ASSERT_TRUE(r.Answer(ids::ExitSetupResume));
    ASSERT_TRUE(r.FindWizard());
    auto behind = [&] { return GetWindow(r.wizard, GW_HWNDNEXT) == background; };
    EXPECT_TRUE(WaitFor(behind, 5000)) << "directly behind the wizard";
    SetWindowPos(background, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    EXPECT_TRUE(WaitFor(behind, 5000)) << "and kept there";
    r.Click(ids::CancelButton);
    ASSERT_TRUE(r.Answer(ids::ExitSetupExit));
    EXPECT_EQ(r.program.Wait(5000), 0);
}

// One click, one step: the second click of a double click on Next lands while the page's
// leave stage waits; the stage runs once and the next page is the Confirm page, not the copy.
TEST(MidStepClick, DoubleClickOnNextWhileAStageRunsMovesOnePage) {
    Engine r("midstep_double", "WelcomeDlg,DestinationDlg,ConfirmSetupDlg,CopyFilesDlg,CompleteDlg",
             WaitingItem("After Destination", "1500"));
    ASSERT_TRUE(r.FindWizard());
    r.Click(ids::NextButton);
    ASSERT_TRUE(r.WaitTitle("Choose Destination Location"));
    r.Click(ids::NextButton);
    r.Click(ids::NextButton);
    EXPECT_TRUE(WaitFor(
        [&] {
            return !IsWindowEnabled(r.Control(ids::NextButton)) &&
                   !IsWindowEnabled(r.Control(ids::BackButton));
        },
        1000))
        << "Back and Next wait for the stage";
    ASSERT_TRUE(r.WaitTitle("Start Copying Files"));
    EXPECT_FALSE(WaitFor([&] { return r.Title() != "Start Copying Files"; }, 1000))
        << "went on to " << r.Title();
    EXPECT_FALSE(r.Installed("file0.txt")) << "installed without the user's confirmation";
    ASSERT_TRUE(
        WaitFor([&] { return IsWindowEnabled(r.Control(ids::NextButton)) != FALSE; }, 5000));
    r.Click(ids::NextButton);
    ASSERT_TRUE(r.WaitTitle("Setup Complete", 20000));
    EXPECT_TRUE(r.Installed("file19.txt"));
    EXPECT_EQ(r.LogCount("  Slow"), 1) << "the stage ran once"; // the log came with the folder
    ASSERT_TRUE(
        WaitFor([&] { return IsWindowEnabled(r.Control(ids::NextButton)) != FALSE; }, 5000));
    r.Click(ids::NextButton);
    EXPECT_EQ(r.program.Wait(), 0);
}
