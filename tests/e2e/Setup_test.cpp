// The install engine end to end: a copy of Setup.exe (or of the test host with its seams)
// beside a hand-written Setup.txt in a scratch folder, driven through its boxes, the wizard and
// the exit confirmation; checked by window texts, Setup.log and exit codes.
#include "ControlIds.h"
#include "ExecItemBuilder.h"
#include "Process.h"
#include "TestEnv.h"
#include "UiDriver.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

namespace ids = zk::ids;

namespace {

constexpr int kExitDone = 0, kExitRefused = 1;

std::string Line(const std::string& command, const std::string& argument = "") {
    return command + "(" + argument + ")\r\n";
}

// A setup folder: the engine under `exeName` and its script.
struct SetupFolder {
    std::string root;
    std::string exe;
    std::string Path(const std::string& name) const { return root + "\\" + name; }
};

SetupFolder MakeSetup(const std::string& name, const std::string& script,
                      const std::string& exeName = "Setup.exe",
                      const std::string& engine = "Setup.exe") {
    SetupFolder f{zktest::ScratchDir(name), ""};
    f.exe = f.Path(exeName);
    CopyFileA((zktest::BinDir() + "\\" + engine).c_str(), f.exe.c_str(), FALSE);
    if (!script.empty()) zktest::WriteBytes(f.Path("Setup.txt"), script);
    return f;
}

std::string BaseScript(const std::string& target, const std::string& pages) {
    return Line("SET_PROG_NAME", "Demo") + Line("SET_PROG_VERSION", "2.1") +
           Line("SET_COMPOSER_BUILD", "77") + Line("SET_TARGET_DIR", target) +
           Line("SET_DIALOGS", pages) + Line("SET_CREATE_SETUP_LOG");
}

std::string BoxText(HWND box) {
    return zkui::TextOf(zkui::ChildById(box, ids::MsgBoxBody));
}

struct SetupRun {
    zkui::Program program;
    HWND wizard = nullptr;

    HWND Control(int id) const { return zkui::ChildById(wizard, id); }
    std::string Title() const { return zkui::TextOf(wizard); }
    bool FindWizard(DWORD ms = 15000) {
        wizard = zkui::FindTopWindow(ids::WizardClass, "", program.Pid(), ms);
        return wizard != nullptr;
    }
    HWND Box(DWORD ms = 15000) const {
        return zkui::FindTopWindow(ids::MsgBoxClass, "", program.Pid(), ms);
    }
    // Presses the first button of the box shown now and gives back its text.
    std::string PressBox() const {
        HWND box = Box();
        if (!box) return "<no box>";
        const std::string text = BoxText(box);
        zkui::Click(zkui::ChildById(box, ids::MsgBoxButton1));
        zkui::WaitGone(box);
        return text;
    }
    void Next() const { zkui::Click(Control(ids::NextButton)); }
    // Waits until the window title reads `title`.
    bool WaitTitle(const std::string& title, DWORD ms = 10000) const {
        for (DWORD start = GetTickCount(); GetTickCount() - start < ms; Sleep(30))
            if (Title() == title) return true;
        return false;
    }
    HWND ExitDialog(DWORD ms = 10000) const {
        return zkui::FindTopWindow(ids::ExitSetupClass, "", program.Pid(), ms);
    }
    // Cancel, then answers the exit question with the button (ExitSetupExit/Resume).
    bool CancelAndAnswer(int button) const {
        zkui::Click(Control(ids::CancelButton));
        HWND dialog = ExitDialog();
        if (!dialog) return false;
        zkui::Click(zkui::ChildById(dialog, button));
        return zkui::WaitGone(dialog);
    }
};

// Started in the setup folder, or in `dir`.
SetupRun StartSetup(const SetupFolder& f, const std::string& args = "",
                    const std::string& dir = "") {
    SetupRun r;
    r.program = zkui::Start(f.exe, args, dir.empty() ? f.root : dir);
    return r;
}

// Runs one exe name as another Windows version for the test's length.
struct WindowsVersionFor {
    std::string key;
    WindowsVersionFor(const std::string& exeName, const std::string& version)
        : key("Software\\Wine\\AppDefaults\\" + exeName) {
        zktest::SetUserValue(key, "Version", version);
    }
    ~WindowsVersionFor() { RegDeleteKeyA(HKEY_CURRENT_USER, key.c_str()); }
};

// ---------------------------------------------------------------------------------------------
// Start checks

TEST(SetupStart, MissingScriptShowsItsBoxAndEndsRefused) {
    const SetupFolder f = MakeSetup("setup_noscript", "");
    SetupRun r = StartSetup(f);
    HWND box = r.Box();
    ASSERT_TRUE(box);
    EXPECT_EQ(zkui::TextOf(box), "Error");
    EXPECT_EQ(BoxText(box), "ERROR\r\n\r\n" + f.Path("Setup.txt") +
                                "\r\nScript file not found.\r\n\r\nSetup Aborted!\r\n");
    EXPECT_EQ(r.PressBox().empty(), false);
    EXPECT_EQ(r.program.Wait(), kExitRefused);
    EXPECT_FALSE(r.FindWizard(500)) << "no window after the box";
    zktest::RemoveScratch(f.root);
}

TEST(SetupStart, UnknownLinesAndCommentsGiveTheirBoxesInOrderThenTheWizard) {
    const SetupFolder f =
        MakeSetup("setup_unknown", "/* a comment */\r\nFOO(1) // note\r\n; remark\r\n" +
                                       BaseScript("C:\\zktest\\setup_unknown\\App", "WelcomeDlg") +
                                       "Bar_Baz\r\n");
    SetupRun r = StartSetup(f);
    for (const char* line : {"FOO(1)", "Bar_Baz"})
        EXPECT_EQ(r.PressBox(), std::string("ERROR\r\n\r\n") + line +
                                    "\r\n\r\nUnrecognized command in Script file\r\n");
    ASSERT_TRUE(r.FindWizard());
    EXPECT_EQ(r.Title(), "Welcome");
    ASSERT_TRUE(r.CancelAndAnswer(ids::ExitSetupExit));
    EXPECT_EQ(r.program.Wait(), kExitDone);
    zktest::RemoveScratch(f.root);
}

struct OsCase {
    const char* allowed; // nullptr: no SET_ALLOWED_OS line
    const char* wineVersion;
    const char* windowsName;
    bool allowed_;
};

TEST(SetupStart, AllowedWindowsListAsWritten) {
    const OsCase cases[] = {
        {"XP,2000", "winxp", "XP", true},     {"XP,2000", "win2k", "2000", true},
        {"XP, 2000", "win2k", "2000", false}, {"XP, 2000", "winxp", "XP", true},
        {"xp", "winxp", "XP", false},         {nullptr, "win2k", "2000", true},
    };
    int n = 0;
    for (const OsCase& c : cases) {
        const std::string exeName = "SetupOs" + std::to_string(n++) + ".exe";
        WindowsVersionFor version(exeName, c.wineVersion);
        const std::string script = BaseScript("C:\\zktest\\setup_os\\App", "WelcomeDlg") +
                                   (c.allowed ? Line("SET_ALLOWED_OS", c.allowed) : "");
        const SetupFolder f = MakeSetup("setup_os", script, exeName);
        SetupRun r = StartSetup(f);
        const std::string label =
            std::string(c.allowed ? c.allowed : "(unset)") + " on " + c.windowsName;
        if (c.allowed_) {
            ASSERT_TRUE(r.FindWizard()) << label;
            EXPECT_TRUE(r.CancelAndAnswer(ids::ExitSetupExit)) << label;
            EXPECT_EQ(r.program.Wait(), kExitDone) << label;
        } else {
            EXPECT_EQ(r.PressBox(),
                      std::string("ERROR\r\n\r\n\"Demo\" is not allowed to run on Win") +
                          c.windowsName + ". --- Setup Aborted!\r\n")
                << label;
            EXPECT_EQ(r.program.Wait(), kExitRefused) << label;
        }
        zktest::RemoveScratch(f.root);
    }
}

// The .NET runtime of the sandbox is taken away for a moment (other tests that need it hold
// the same lock).
struct DotNetRemoved {
    std::string dll, parked;
    DotNetRemoved() {
        char system[MAX_PATH];
        GetSystemDirectoryA(system, MAX_PATH);
        dll = std::string(system) + "\\mscoree.dll";
        parked = dll + ".zkparked";
        MoveFileA(dll.c_str(), parked.c_str());
    }
    ~DotNetRemoved() { MoveFileA(parked.c_str(), dll.c_str()); }
};

TEST(SetupStart, OnlyTheFirstFailingCheckIsReported) {
    const std::string dotNet = Line("SET_TEST_FOR_DOT_NET_FRAMEWORK");
    const std::string admin = Line("SET_TEST_ADMIN_RIGHTS");
    const std::string osRefused = Line("SET_ALLOWED_OS", "2000");
    const std::string noAdmin = "ERROR\r\n\r\nUnable to install the program\r\nMake sure you have "
                                "ADMINISTRATOR Rights on this PC!\r\n";
    const std::string noDotNet = "ERROR\r\n\r\n\"Demo\" requires .NET Framework\r\n\r\nPlease "
                                 "install .NET Framework and run this setup program again\r\n";
    const std::string osText =
        "ERROR\r\n\r\n\"Demo\" is not allowed to run on WinXP. --- Setup Aborted!\r\n";
    struct Case {
        std::string lines;
        bool notAdmin, removeDotNet;
        std::string box; // empty: the wizard opens
    } cases[] = {
        {dotNet, false, false, ""},
        {dotNet, false, true, noDotNet},
        {admin + dotNet, true, true, noAdmin},
        {osRefused + admin + dotNet, true, true, osText},
        {admin, false, false, ""},
    };
    for (const Case& c : cases) {
        std::unique_ptr<DotNetRemoved> removed;
        if (c.removeDotNet) removed = std::make_unique<DotNetRemoved>();
        SetEnvironmentVariableA("ZK_NOT_ADMIN", c.notAdmin ? "1" : nullptr);
        const SetupFolder f = MakeSetup(
            "setup_checks", BaseScript("C:\\zktest\\setup_checks\\App", "WelcomeDlg") + c.lines,
            "Setup.exe", "setuphost.exe");
        SetupRun r = StartSetup(f);
        if (c.box.empty()) {
            ASSERT_TRUE(r.FindWizard()) << c.lines;
            EXPECT_TRUE(r.CancelAndAnswer(ids::ExitSetupExit));
            EXPECT_EQ(r.program.Wait(), kExitDone);
        } else {
            EXPECT_EQ(r.PressBox(), c.box) << c.lines;
            EXPECT_EQ(r.program.Wait(), kExitRefused) << c.lines;
            EXPECT_EQ(r.Box(300), nullptr) << "one box only";
        }
        SetEnvironmentVariableA("ZK_NOT_ADMIN", nullptr);
        zktest::RemoveScratch(f.root);
    }
}

TEST(SetupStart, RunningProductIsWarnedOfThenTheWizardOpens) {
    const std::string app = "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\"
                            "App Paths\\ZkRunningDemo.exe";
    const SetupFolder f = MakeSetup(
        "setup_running", BaseScript("C:\\zktest\\setup_running\\App", "WelcomeDlg") +
                             Line("SET_PROG_EXE_NAME", "<TARGET_DIR>\\ZkRunningDemo.exe") +
                             Line("SET_TEST_EXE_BEFORE_INSTALL"));
    const std::string product = f.Path("ZkRunningDemo.exe");
    CopyFileA((zktest::BinDir() + "\\zksleeper.exe").c_str(), product.c_str(), FALSE);
    HKEY key;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE,
                              "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\"
                              "ZkRunningDemo.exe",
                              0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegSetValueExA(key, "", 0, REG_SZ, reinterpret_cast<const BYTE*>(product.c_str()),
                   static_cast<DWORD>(product.size() + 1));
    RegCloseKey(key);
    zkui::Program running = zkui::Start(product, "60000", f.root);
    // Found by its modules, which a process lists only once its loader has run.
    ASSERT_TRUE(zkui::WaitFor([&] { return zk::IsProgramRunning(product); }, 10000));
    SetupRun r = StartSetup(f);
    HWND box = r.Box();
    ASSERT_TRUE(box);
    EXPECT_EQ(zkui::TextOf(box), "Attention");
    EXPECT_EQ(r.PressBox(), "ATTENTION\r\n\r\nDemo --- is running!\r\n\r\nPlease close the program "
                            "and then click OK to continue with Installation.\r\n");
    ASSERT_TRUE(r.FindWizard());
    EXPECT_EQ(r.Title(), "Welcome");
    EXPECT_TRUE(r.CancelAndAnswer(ids::ExitSetupExit));
    EXPECT_EQ(r.program.Wait(), kExitDone);
    running.Kill();
    RegDeleteKeyA(HKEY_LOCAL_MACHINE,
                  "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\ZkRunningDemo.exe");
    (void)app;
    zktest::RemoveScratch(f.root);
}

// ---------------------------------------------------------------------------------------------
// Setup Start stage and Setup.log

TEST(SetupLog, SetupStartExitEndsTheRunWithNoWindowAndLogsTheHeader) {
    zktest::ExecItemDef exit;
    exit.kind = "UnConditional";
    exit.slot[0] = {"1", "Exit", "", "", ""};
    const std::string root = "C:\\zktest\\setup_startexit";
    const SetupFolder f = MakeSetup(
        "setup_startexit", BaseScript(root + "\\App", "WelcomeDlg") +
                               Line("SET_PERFORM_EXECUTE_OP", zktest::BuildExecItem(exit)));
    CreateDirectoryA(f.Path("App").c_str(), nullptr);
    zktest::WriteBytes(f.Path("App\\Setup.log"), "an earlier run\r\n");
    SetupRun r = StartSetup(f);
    EXPECT_EQ(r.program.Wait(), kExitDone);
    EXPECT_FALSE(r.FindWizard(300));
    EXPECT_EQ(r.Box(300), nullptr);
    // A log that is there is continued, never cut: it is not this run's.
    const std::vector<std::string> log = zktest::ReadLines(f.Path("App\\Setup.log"));
    ASSERT_GE(log.size(), 12u);
    EXPECT_EQ(log[0], "an earlier run");
    EXPECT_EQ(log[1], "Setup Log of: Demo");
    EXPECT_EQ(log[2], "Version: 2.1");
    EXPECT_EQ(log[3], "");
    EXPECT_EQ(log[4].rfind("Date: ", 0), 0u) << log[4];
    EXPECT_EQ(log[5].rfind("Operating System: WinXP", 0), 0u) << log[5];
    EXPECT_EQ(log[6], "Composer Version: 77");
    EXPECT_EQ(log[7], "");
    EXPECT_EQ(log[8].rfind("WinTempDir: ", 0), 0u);
    EXPECT_NE(log[8].back(), '\\');
    EXPECT_EQ(log[9], "SourceDir:  " + f.root);
    EXPECT_EQ(log[10], "");
    EXPECT_EQ(log[11], "Execute Before Dialogs");
    zktest::RemoveScratch(f.root);
}

TEST(SetupLog, ShownPagesAreLoggedAndLinesEndInCrLf) {
    const SetupFolder f = MakeSetup(
        "setup_logpages", BaseScript("C:\\zktest\\setup_logpages\\App",
                                     "WelcomeDlg,LicenseDlg,CopyFilesDlg,CompleteDlg") +
                              Line("SET_LICENSE_FILE_NAME", "C:\\elsewhere\\License.txt"));
    CreateDirectoryA(f.Path("App").c_str(), nullptr);
    zktest::WriteBytes(f.Path("License.txt"), "The terms.");
    SetupRun r = StartSetup(f);
    ASSERT_TRUE(r.FindWizard());
    r.Next();
    ASSERT_TRUE(r.WaitTitle("License Agreement"));
    EXPECT_FALSE(IsWindowEnabled(r.Control(ids::NextButton))) << "gated by the answer";
    EXPECT_EQ(zkui::TextOf(r.Control(ids::RichEdit11)), "The terms.")
        << "taken from the engine's folder";
    zkui::Click(r.Control(ids::YesRadioButton));
    for (DWORD t = GetTickCount();
         !IsWindowEnabled(r.Control(ids::NextButton)) && GetTickCount() - t < 5000;)
        Sleep(20);
    r.Next();
    ASSERT_TRUE(r.WaitTitle("Setup Complete"));
    EXPECT_FALSE(IsWindowVisible(r.Control(ids::CancelButton)));
    EXPECT_EQ(zkui::TextOf(r.Control(ids::NextButton)), "&Finish");
    r.Next();
    EXPECT_EQ(r.program.Wait(), kExitDone);
    const std::string bytes = zktest::ReadBytes(f.Path("App\\Setup.log"));
    const std::string tail = bytes.substr(bytes.find("Execute Before Dialogs"));
    EXPECT_EQ(tail, "Execute Before Dialogs\r\n"
                    "Show Screen: Welcome\r\n"
                    "Show Screen: License Agreement\r\n"
                    "Create Target Directory: C:\\zktest\\setup_logpages\\App ... TRUE\r\n"
                    "Show Screen: Installing\r\n"
                    "Execute Before Copy\r\n"
                    "Handle First UnInstall Data\r\n"
                    "\r\n"
                    "Execute After Copy\r\n"
                    "Create Start/Program Link(s):\r\n"
                    "Show Screen: Setup Complete\r\n"
                    "Execute After Dialogs\r\n");
    zktest::RemoveScratch(f.root);
}

// A folder the user typed and then left gets its Setup.log back as it was: none when it had
// none, its own when it had one. The folder finally chosen gets the whole log.
TEST(SetupLog, ANewTargetFolderGetsTheWholeLogTheEarlierItsOwnBack) {
    for (const bool firstHadLog : {false, true}) {
        SCOPED_TRACE(firstHadLog ? "with a log of its own" : "without a log");
        const SetupFolder f =
            MakeSetup("setup_logmove", BaseScript("C:\\zktest\\setup_logmove\\First",
                                                  "WelcomeDlg,DestinationDlg,CompleteDlg"));
        for (const char* dir : {"First", "Second"}) CreateDirectoryA(f.Path(dir).c_str(), nullptr);
        const std::string own = "the folder's own log\r\n";
        if (firstHadLog) zktest::WriteBytes(f.Path("First\\Setup.log"), own);
        SetupRun r = StartSetup(f);
        ASSERT_TRUE(r.FindWizard());
        r.Next();
        ASSERT_TRUE(r.WaitTitle("Choose Destination Location"));
        const std::string early = zktest::ReadBytes(f.Path("First\\Setup.log"));
        EXPECT_NE(early.find("Show Screen: Welcome"), std::string::npos) << "logged as it goes";
        zkui::SetEditText(r.Control(ids::TargetDirEdit), f.Path("Second"));
        r.Next();
        ASSERT_TRUE(r.WaitTitle("Setup Complete"));
        r.Next();
        EXPECT_EQ(r.program.Wait(), kExitDone);
        const std::string second = zktest::ReadBytes(f.Path("Second\\Setup.log"));
        EXPECT_EQ(second.rfind("Setup Log of: Demo\r\n", 0), 0u) << "the header came along";
        EXPECT_EQ(second.substr(second.find("Execute Before")),
                  "Execute Before Dialogs\r\n"
                  "Show Screen: Welcome\r\n"
                  "Show Screen: Choose Destination Location\r\n"
                  "Show Screen: Setup Complete\r\n"
                  "Execute After Dialogs\r\n");
        EXPECT_EQ(zktest::Exists(f.Path("First\\Setup.log")), firstHadLog);
        if (firstHadLog) {
            EXPECT_EQ(zktest::ReadBytes(f.Path("First\\Setup.log")), own);
        }
        zktest::RemoveScratch(f.root);
    }
}

// ---------------------------------------------------------------------------------------------
// Companion files

TEST(SetupStart, CompanionFilesOverrideFoldersAndSwitchBackgroundUpdate) {
    const std::string root = "C:\\zktest\\setup_companion";
    struct Case {
        const char* args; // %s: the companion base
        const char* backgroundUpdate;
        bool silent;
        bool relative = false; // %s: "update.dat", started in the companions' folder
    } cases[] = {
        {"/OriginalInfoFile=%s", "1", true},        {"\"/OriginalInfoFile=%s\"", "true", false},
        {"/OriginalInfoFile=%s", "yes", false},     {"/OriginalInfoFile=", "1", false},
        {"/OriginalInfoFile", "1", false},          {"/OriginalInfoFile=%s", "1", true, true},
        {"/OriginalInfoFile=%s", "0", false, true},
    };
    for (const Case& c : cases) {
        const SetupFolder f = MakeSetup(
            "setup_companion",
            BaseScript(root + "\\Script", "WelcomeDlg,DestinationDlg,CopyFilesDlg,CompleteDlg"));
        // Unquoted, a path has no blanks; quoted, it keeps them.
        const bool quoted = c.args[0] == '"';
        const std::string dir = quoted ? "a b" : "ab";
        const std::string base = f.Path(dir + "\\update.dat");
        CreateDirectoryA(f.Path(dir).c_str(), nullptr);
        CreateDirectoryA(f.Path("Over").c_str(), nullptr);
        zktest::WriteBytes(f.Path(dir + "\\update.original"),
                           "[Directories]\r\nTargetDir=" + f.Path("Over") + "\r\n");
        zktest::WriteBytes(f.Path(dir + "\\update.info"),
                           std::string("[NewSetup]\r\nBackgroundUpdate=") + c.backgroundUpdate +
                               "\r\n");
        std::string args = c.args;
        const size_t at = args.find("%s");
        const bool named = at != std::string::npos;
        if (named) args.replace(at, 2, c.relative ? "update.dat" : base);
        SetupRun r = StartSetup(f, args, c.relative ? f.Path(dir) : "");
        if (c.silent) {
            EXPECT_EQ(r.program.Wait(), kExitDone) << args;
            const std::string log = zktest::ReadBytes(f.Path("Over\\Setup.log"));
            EXPECT_NE(log.find("Show Screen: Installing"), std::string::npos) << log;
        } else {
            ASSERT_TRUE(r.FindWizard()) << args;
            r.Next();
            ASSERT_TRUE(r.WaitTitle("Choose Destination Location")) << args;
            HWND edit = r.Control(ids::TargetDirEdit);
            const LONG style = GetWindowLongA(edit, GWL_STYLE);
            if (named) {
                EXPECT_EQ(zkui::TextOf(edit), f.Path("Over")) << args;
                EXPECT_TRUE(style & ES_READONLY) << "the override is the folder used";
            } else {
                EXPECT_EQ(zkui::TextOf(edit), root + "\\Script") << args;
                EXPECT_FALSE(style & ES_READONLY);
            }
            EXPECT_TRUE(r.CancelAndAnswer(ids::ExitSetupExit));
            EXPECT_EQ(r.program.Wait(), kExitDone);
        }
        zktest::RemoveScratch(f.root);
    }
}

// ---------------------------------------------------------------------------------------------
// Placement

TEST(SetupWizard, PlacementByDialogLocation) {
    const int sw = GetSystemMetrics(SM_CXSCREEN), sh = GetSystemMetrics(SM_CYSCREEN);
    struct Case {
        const char* location;
        int expect; // 0 centred, 1 bottom/right, 2 top/left + (10, 20)
    } cases[] = {{"|Bottom/Right|", 1}, {"|Top/Left|10|20|", 2}, {"", 0}};
    for (const Case& c : cases) {
        const SetupFolder f = MakeSetup(
            "setup_place", BaseScript("C:\\zktest\\setup_place\\App", "WelcomeDlg") +
                               (*c.location ? Line("SET_DIALOG_LOCATION", c.location) : ""));
        SetupRun r = StartSetup(f);
        ASSERT_TRUE(r.FindWizard());
        const RECT box = zkui::WindowBox(r.wizard);
        const RECT client = zkui::ClientBox(r.wizard);
        EXPECT_EQ(client.right, 515);
        EXPECT_EQ(client.bottom, 351);
        const int w = box.right - box.left, h = box.bottom - box.top;
        if (c.expect == 1) {
            EXPECT_EQ(box.right, sw);
            EXPECT_EQ(box.bottom, sh);
        } else if (c.expect == 2) {
            EXPECT_EQ(box.left, 10);
            EXPECT_EQ(box.top, 20);
        } else {
            EXPECT_EQ(box.left, (sw - w) / 2);
            EXPECT_EQ(box.top, (sh - h) / 2);
        }
        EXPECT_TRUE(r.CancelAndAnswer(ids::ExitSetupExit));
        EXPECT_EQ(r.program.Wait(), kExitDone);
        zktest::RemoveScratch(f.root);
    }
}

// A 24-bit bitmap file of that size.
std::string BitmapBytes(int width, int height) {
    const int row = (width * 3 + 3) / 4 * 4, size = 54 + row * height;
    std::string b(static_cast<size_t>(size), '\x80');
    auto put = [&b](size_t at, uint32_t v, int n) {
        for (int i = 0; i < n; ++i) b[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
    };
    b[0] = 'B', b[1] = 'M';
    put(2, size, 4), put(6, 0, 4), put(10, 54, 4), put(14, 40, 4), put(18, width, 4);
    put(22, height, 4), put(26, 1, 2), put(28, 24, 2), put(30, 0, 4), put(34, row * height, 4);
    put(38, 2835, 4), put(42, 2835, 4), put(46, 0, 4), put(50, 0, 4);
    return b;
}

bool SameBox(const RECT& r, int left, int top, int width, int height) {
    return r.left == left && r.top == top && r.right - r.left == width &&
           r.bottom - r.top == height;
}

std::string BoxOf(const RECT& r) {
    return std::to_string(r.left) + "," + std::to_string(r.top) + " " +
           std::to_string(r.right - r.left) + "x" + std::to_string(r.bottom - r.top);
}

TEST(SetupWizard, ClassicAndModernLayouts) {
    for (const bool modern : {false, true}) {
        const SetupFolder f =
            MakeSetup("setup_layout", BaseScript("C:\\zktest\\setup_layout\\App",
                                                 "WelcomeDlg,SetupTypeDlg,CustomDlg") +
                                          (modern ? Line("SET_DIALOG_STYLE_MODERN") : ""));
        zktest::WriteBytes(f.Path("Modern_Setup.bmp"), BitmapBytes(100, 50));
        zktest::WriteBytes(f.Path("Modern_Icon.bmp"), BitmapBytes(40, 30));
        SetupRun r = StartSetup(f);
        ASSERT_TRUE(r.FindWizard());
        const RECT page = zkui::ChildBox(r.Control(ids::Panel0));
        const RECT picture = zkui::ChildBox(r.Control(ids::Panel1));
        const RECT image = zkui::ChildBox(r.Control(ids::Image1));
        if (!modern) {
            EXPECT_TRUE(SameBox(page, 141, 6, 370, 275)) << BoxOf(page);
            EXPECT_TRUE(IsWindowVisible(r.Control(ids::Label21)));
        } else {
            EXPECT_TRUE(SameBox(picture, 0, 0, 120, 307)) << BoxOf(picture);
            EXPECT_TRUE(SameBox(image, 10, 128, 100, 50)) << "centred: " << BoxOf(image);
            EXPECT_TRUE(SameBox(page, 120, 0, 395, 307)) << BoxOf(page);
            EXPECT_FALSE(IsWindowVisible(r.Control(ids::Label2)));
        }
        r.Next();
        ASSERT_TRUE(r.WaitTitle("Setup Type"));
        const RECT typePage = zkui::ChildBox(r.Control(ids::Panel0));
        if (modern) {
            EXPECT_TRUE(SameBox(typePage, 50, 60, 415, 241)) << BoxOf(typePage);
            EXPECT_TRUE(IsWindowVisible(r.Control(ids::Label2)));
            EXPECT_EQ(zkui::TextOf(r.Control(ids::Label2)), "Setup Type");
            EXPECT_TRUE(IsWindowVisible(r.Control(ids::Bevel2)));
            const RECT icon = zkui::ChildBox(r.Control(ids::Image1));
            EXPECT_TRUE(SameBox(icon, 515 - 40 - 14, 14, 40, 30)) << BoxOf(icon);
        } else {
            EXPECT_TRUE(SameBox(typePage, 141, 6, 370, 275)) << BoxOf(typePage);
            EXPECT_FALSE(IsWindowVisible(r.Control(ids::Label2)));
        }
        // Every control of the shown sheet lies inside the page area.
        for (int id :
             {ids::RichEdit7, ids::TypicalRadioButton, ids::CustomRadioButton, ids::Label19}) {
            const RECT c = zkui::ChildBox(r.Control(id));
            EXPECT_TRUE(IsWindowVisible(r.Control(id))) << id;
            EXPECT_GE(c.left, typePage.left) << id;
            EXPECT_GE(c.top, typePage.top) << id;
            EXPECT_LE(c.bottom, typePage.bottom) << id;
        }
        EXPECT_TRUE(r.CancelAndAnswer(ids::ExitSetupExit));
        EXPECT_EQ(r.program.Wait(), kExitDone);
        zktest::RemoveScratch(f.root);
    }
}

// ---------------------------------------------------------------------------------------------
// Close protocol

TEST(SetupWizard, ResumeKeepsThePageAndAsksAgainExitEnds) {
    const SetupFolder f =
        MakeSetup("setup_close", BaseScript("C:\\zktest\\setup_close\\App",
                                            "WelcomeDlg,SetupTypeDlg,CompleteDlg"));
    SetupRun r = StartSetup(f);
    ASSERT_TRUE(r.FindWizard());
    r.Next();
    ASSERT_TRUE(r.WaitTitle("Setup Type"));
    HWND dialog;
    {
        zkui::Click(r.Control(ids::CancelButton));
        dialog = r.ExitDialog();
        ASSERT_TRUE(dialog);
        EXPECT_EQ(zkui::TextOf(dialog), "Exit Setup");
        EXPECT_EQ(zkui::TextOf(zkui::ChildById(dialog, ids::ExitSetupResume)), "&Resume");
        EXPECT_EQ(zkui::TextOf(zkui::ChildById(dialog, ids::ExitSetupExit)), "&Exit Setup");
        EXPECT_EQ(zkui::TextOf(zkui::ChildById(dialog, ids::ExitSetupMemo)),
                  "Setup is not complete. If you exit now, the program will not be "
                  "installed.\r\n\r\nYou may run Setup again at another time to complete the "
                  "installation.\r\n\r\nExit Setup?");
        zkui::Click(zkui::ChildById(dialog, ids::ExitSetupResume));
        ASSERT_TRUE(zkui::WaitGone(dialog));
    }
    EXPECT_EQ(r.Title(), "Setup Type") << "Resume keeps the page";
    // The close box of the wizard asks too; the dialog's own close box counts as Resume.
    zkui::PostClose(r.wizard);
    dialog = r.ExitDialog();
    ASSERT_TRUE(dialog) << "asked again";
    zkui::PostClose(dialog);
    ASSERT_TRUE(zkui::WaitGone(dialog));
    EXPECT_TRUE(r.program.Running());
    // Escape in the dialog is Resume as well.
    zkui::Click(r.Control(ids::CancelButton));
    dialog = r.ExitDialog();
    ASSERT_TRUE(dialog);
    PostMessageA(zkui::ChildById(dialog, ids::ExitSetupResume), WM_KEYDOWN, VK_ESCAPE, 0);
    ASSERT_TRUE(zkui::WaitGone(dialog));
    EXPECT_EQ(r.Title(), "Setup Type");
    EXPECT_TRUE(r.CancelAndAnswer(ids::ExitSetupExit));
    EXPECT_EQ(r.program.Wait(), kExitDone);
    zktest::RemoveScratch(f.root);
}

TEST(SetupWizard, AfterTheCompletePageNoQuestion) {
    const SetupFolder f = MakeSetup(
        "setup_complete", BaseScript("C:\\zktest\\setup_complete\\App", "WelcomeDlg,CompleteDlg"));
    SetupRun r = StartSetup(f);
    ASSERT_TRUE(r.FindWizard());
    r.Next();
    ASSERT_TRUE(r.WaitTitle("Setup Complete"));
    zkui::PostClose(r.wizard);
    EXPECT_EQ(r.program.Wait(), kExitDone);
    EXPECT_EQ(r.ExitDialog(200), nullptr);
    zktest::RemoveScratch(f.root);
}

TEST(SetupWizard, ExitWhileBusyClosesOnceBusyClears) {
    const SetupFolder f =
        MakeSetup("setup_busy",
                  BaseScript("C:\\zktest\\setup_busy\\App", "WelcomeDlg,CopyFilesDlg,CompleteDlg"),
                  "Setup.exe", "setuphost.exe");
    const std::string flag = f.Path("release.flag");
    SetEnvironmentVariableA("ZK_BUSY_FLAG", flag.c_str());
    SetupRun r = StartSetup(f);
    SetEnvironmentVariableA("ZK_BUSY_FLAG", nullptr);
    ASSERT_TRUE(r.FindWizard());
    r.Next();
    ASSERT_TRUE(r.WaitTitle("Installing"));
    for (DWORD t = GetTickCount();
         IsWindowEnabled(r.Control(ids::NextButton)) && GetTickCount() - t < 5000;)
        Sleep(20); // the installation starts 10 ms after the page
    EXPECT_FALSE(IsWindowEnabled(r.Control(ids::NextButton)));
    EXPECT_FALSE(IsWindowEnabled(r.Control(ids::BackButton)));
    ASSERT_TRUE(r.CancelAndAnswer(ids::ExitSetupExit));
    Sleep(600); // several deferred-close ticks while the installation is still busy
    EXPECT_TRUE(IsWindow(r.wizard)) << "not closed while busy";
    EXPECT_EQ(r.ExitDialog(100), nullptr) << "no second question";
    zktest::WriteBytes(flag, "go");
    EXPECT_TRUE(zkui::WaitGone(r.wizard, 10000)) << "closed once busy cleared";
    EXPECT_EQ(r.program.Wait(), kExitDone);
    zktest::RemoveScratch(f.root);
}

// ---------------------------------------------------------------------------------------------
// Follow-up command

TEST(SetupEnd, FollowUpCommandRunsInItsFolderThroughItsQuotedPath) {
    const SetupFolder f = MakeSetup(
        "setup_followup", BaseScript("C:\\zktest\\setup_followup\\App", "WelcomeDlg,CopyFilesDlg"),
        "Setup.exe", "setuphost.exe");
    CreateDirectoryA(f.Path("Program Files").c_str(), nullptr);
    const std::string tool = f.Path("Program Files\\tool.exe");
    const std::string planted = f.Path("Program.exe");
    CopyFileA((zktest::BinDir() + "\\setuphost.exe").c_str(), tool.c_str(), FALSE);
    CopyFileA((zktest::BinDir() + "\\setuphost.exe").c_str(), planted.c_str(), FALSE);
    const std::string mark = f.Path("mark.txt");
    const std::string command = tool + " note " + mark;
    SetEnvironmentVariableA("ZK_POST_COMMAND", command.c_str());
    SetupRun r = StartSetup(f);
    SetEnvironmentVariableA("ZK_POST_COMMAND", nullptr);
    ASSERT_TRUE(r.FindWizard());
    r.Next(); // Copy: the installation leaves the command; the page list ends there
    EXPECT_EQ(r.program.Wait(), kExitDone);
    EXPECT_EQ(zktest::WaitLines(mark),
              f.Path("Program Files") + "|\"" + tool + "\" note " + mark + "\n");
    zktest::RemoveScratch(f.root);
}

// ---------------------------------------------------------------------------------------------
// Readme window

TEST(SetupEnd, ReadmeWindowShowsTextAndRichText) {
    struct Case {
        const char* file;
        std::string content;
        std::string shown;
    } cases[] = {
        {"ReadMe.TXT", "Plain {\\b not rtf}", "Plain {\\b not rtf}"},
        {"readme.rtf", "{\\rtf1\\ansi Rich {\\b bold} text}", "Rich bold text"},
    };
    for (const Case& c : cases) {
        const SetupFolder f = MakeSetup(
            "setup_readme", BaseScript("C:\\zktest\\setup_readme\\App", "WelcomeDlg,CompleteDlg") +
                                Line("SET_README_FILE_NAME_2", std::string("D:\\x\\") + c.file) +
                                Line("SET_PROPOSE_README") + Line("SET_PROPOSE_README_CHECKED"));
        zktest::WriteBytes(f.Path(c.file), c.content);
        SetupRun r = StartSetup(f);
        ASSERT_TRUE(r.FindWizard());
        r.Next();
        ASSERT_TRUE(r.WaitTitle("Setup Complete"));
        EXPECT_EQ(zkui::CheckState(r.Control(ids::DisplayReadmeCheckBox)), BST_CHECKED);
        r.Next(); // Finish
        HWND readme = zkui::FindTopWindow(ids::ReadmeClass, "", r.program.Pid());
        ASSERT_TRUE(readme) << c.file;
        EXPECT_EQ(zkui::TextOf(readme), "Readme");
        EXPECT_EQ(zkui::TextOf(zkui::ChildById(readme, ids::ReadmeText)), c.shown) << c.file;
        zkui::PostClose(readme);
        EXPECT_EQ(r.program.Wait(), kExitDone);
        zktest::RemoveScratch(f.root);
    }
}

// ---------------------------------------------------------------------------------------------
// Page texts

TEST(SetupWizard, PageTextsOfTheLanguageFile) {
    const SetupFolder f = MakeSetup(
        "setup_texts",
        BaseScript("C:\\zktest\\setup_texts\\App",
                   "WelcomeDlg,UserInformationDlg,ShortcutsDlg,ConfirmSetupDlg,CompleteDlg") +
            Line("SET_REQUEST_USER_NAME") + Line("SET_DESKTOP_LINK_NAME", "^Demo Link") +
            Line("SET_START_PROGRAM_LINK_FOLDER", "Demo Group"));
    SetupRun r = StartSetup(f);
    ASSERT_TRUE(r.FindWizard());
    EXPECT_EQ(
        zkui::TextOf(r.Control(ids::RichEdit1)).rfind("Welcome to the Demo Setup program.", 0), 0u);
    r.Next();
    ASSERT_TRUE(r.WaitTitle("User Information"));
    EXPECT_EQ(zkui::TextOf(r.Control(ids::RichEdit9)), "Please enter your name.");
    EXPECT_TRUE(IsWindowVisible(r.Control(ids::NameEdit)));
    EXPECT_FALSE(IsWindowVisible(r.Control(ids::CompanyEdit)));
    zkui::SetEditText(r.Control(ids::NameEdit), "Ann");
    r.Next();
    ASSERT_TRUE(r.WaitTitle("Select Program Folder"));
    EXPECT_EQ(zkui::TextOf(r.Control(ids::RichEdit3)),
              "Setup will add program icons to the Program Folder named below. You may type a "
              "new folder name.\r\n\r\nSelect the additional shortcuts you want Setup to create.")
        << "the page has a folder field and no list of folders";
    EXPECT_TRUE(IsWindowVisible(r.Control(ids::DesktopCheckBox)));
    EXPECT_FALSE(IsWindowVisible(r.Control(ids::StartMenuCheckBox)));
    EXPECT_EQ(zkui::ChildBox(r.Control(ids::DesktopCheckBox)).top, 6 + 112)
        << "the one offered link takes the first row";
    r.Next();
    ASSERT_TRUE(r.WaitTitle("Start Copying Files"));
    EXPECT_EQ(zkui::TextOf(r.Control(ids::Memo1)), "Target Directory:\r\n"
                                                   "   C:\\zktest\\setup_texts\\App\r\n"
                                                   "\r\n"
                                                   "Program Folder:\r\n"
                                                   "   Demo Group\r\n"
                                                   "\r\n"
                                                   "Desktop Shortcut:\r\n"
                                                   "   Demo Link\r\n"
                                                   "\r\n"
                                                   "User Information:\r\n"
                                                   "   Name:     \tAnn");
    // The bold line under the summary says what comes next (a heading would stand under what
    // it heads).
    EXPECT_EQ(zkui::TextOf(r.Control(ids::Panel4)), "Click Next to begin copying files.");
    EXPECT_TRUE(r.CancelAndAnswer(ids::ExitSetupExit));
    EXPECT_EQ(r.program.Wait(), kExitDone);
    zktest::RemoveScratch(f.root);
}

// A Hebrew language file chosen by the user's language: right-to-left texts. Wine fixes the
// locale when the test starts, so this runs in its own entry under LC_ALL=he_IL.
TEST(SetupWizard, LanguageFileByLangIdAndRightToLeft) {
    if (PRIMARYLANGID(LANGIDFROMLCID(GetUserDefaultLCID())) != LANG_HEBREW)
        GTEST_SKIP() << "runs under the Hebrew locale entry";
    const SetupFolder f = MakeSetup(
        "setup_hebrew", BaseScript("C:\\zktest\\setup_hebrew\\App", "WelcomeDlg") +
                            Line("SET_LANG_FLAG", "2") + Line("SET_LANG_NAMES", "|German|Hebrew|"));
    CreateDirectoryA(f.Path("LANG").c_str(), nullptr);
    zktest::WriteBytes(f.Path("LANG\\German.lng"),
                       "[General]\r\nLangID=7\r\nCharset=0\r\n[Welcome]\r\nCaption=Willkommen\r\n");
    zktest::WriteBytes(
        f.Path("LANG\\Hebrew.lng"),
        "[General]\r\nLangID=13\r\nCharset=177\r\n[Welcome]\r\nCaption=\xE1\xF8\xE5\xEA\r\n"
        "s1=\xF9\xEC\xE5\xED PROG_NAME\r\n");
    SetupRun r = StartSetup(f);
    ASSERT_TRUE(r.FindWizard());
    EXPECT_EQ(r.Title(), "\xE1\xF8\xE5\xEA");
    HWND text = r.Control(ids::RichEdit1);
    EXPECT_TRUE(GetWindowLongA(text, GWL_EXSTYLE) & WS_EX_RTLREADING);
    EXPECT_TRUE(r.CancelAndAnswer(ids::ExitSetupExit));
    EXPECT_EQ(r.program.Wait(), kExitDone);
    zktest::RemoveScratch(f.root);
}

} // namespace
