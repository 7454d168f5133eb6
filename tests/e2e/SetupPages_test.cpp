// The wizard's pages end to end: the order of the pages with their execute stages and the
// skipped components page, the licence gate, the user-information checks, setup type and
// components against the space figures, Back and Next keeping the user's input, the shortcut
// boxes and the program group, Browse, and what Finish does. A language file gives every
// page a caption of its own, so the tests follow the pages by the window title.
#include "ControlIds.h"
#include "ExecItemBuilder.h"
#include "TestEnv.h"
#include "UiDriver.h"
#include "WineDrive.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <string>
#include <tuple>
#include <vector>

namespace ids = zk::ids;

namespace {

constexpr int kExitDone = 0;

std::string Line(const std::string& command, const std::string& argument = "") {
    return command + "(" + argument + ")\r\n";
}

const char kLanguage[] = "[General]\r\nLangID=9\r\nCharset=0\r\n"
                         "[Welcome]\r\nCaption=P-Welcome\r\n"
                         "[License]\r\nCaption=P-License\r\n"
                         "[UserInfo]\r\nCaption=P-User\r\n"
                         "[Destination]\r\nCaption=P-Destination\r\n"
                         "[SetupType]\r\nCaption=P-Type\r\n"
                         "[Components]\r\nCaption=P-Custom\r\n"
                         "[Associate]\r\nCaption=P-Associate\r\n"
                         "[Shortcuts]\r\nCaption=P-Shortcuts\r\n"
                         "[Confirm]\r\nCaption=P-Confirm\r\n"
                         "[Complete]\r\nCaption=P-Complete\r\n";

struct Wizard {
    std::string root;
    zkui::Program program;
    HWND window = nullptr;

    std::string Path(const std::string& name) const { return root + "\\" + name; }
    HWND Control(int id) const { return zkui::ChildById(window, id); }
    std::string Title() const { return zkui::TextOf(window); }
    std::string Text(int id) const { return zkui::TextOf(Control(id)); }
    bool WaitTitle(const std::string& title, DWORD ms = 10000) const {
        for (DWORD start = GetTickCount(); GetTickCount() - start < ms; Sleep(30))
            if (Title() == title) return true;
        return false;
    }
    bool WaitText(int id, const std::string& text, DWORD ms) const {
        for (DWORD start = GetTickCount(); GetTickCount() - start < ms; Sleep(20))
            if (Text(id) == text) return true;
        return false;
    }
    void Next() const { zkui::Click(Control(ids::NextButton)); }
    void Back() const { zkui::Click(Control(ids::BackButton)); }
    // Next, then the title that comes.
    std::string NextTo(const std::string& title) const {
        Next();
        WaitTitle(title);
        return Title();
    }
    std::string BackTo(const std::string& title) const {
        Back();
        WaitTitle(title);
        return Title();
    }
    HWND Box(DWORD ms = 10000) const {
        return zkui::FindTopWindow(ids::MsgBoxClass, "", program.Pid(), ms);
    }
    // Presses the box of a page check; the check's step ends a moment after the box (until
    // then Next stands disabled and takes no click).
    std::string PressBox() const {
        HWND box = Box();
        if (!box) return "<no box>";
        const std::string text = zkui::TextOf(zkui::ChildById(box, ids::MsgBoxBody));
        zkui::Click(zkui::ChildById(box, ids::MsgBoxButton1));
        zkui::WaitGone(box);
        zkui::WaitFor([&] { return IsWindowEnabled(Control(ids::NextButton)) != FALSE; }, 10000);
        return text;
    }
    // The focus once it is on `expected` (a page sets it after its first focus lands
    // elsewhere); where it is after the timeout otherwise.
    HWND Focus(HWND expected) const {
        return WaitFocus([&](HWND focus) { return focus == expected; });
    }
    // The focus once the wizard has one.
    HWND Focus() const {
        return WaitFocus([](HWND focus) { return focus != nullptr; });
    }
    // A window of another program that took the activation (a test beside this one) leaves
    // the wizard without a focus: the wizard is brought back, as its user would click on it,
    // and shows the focus it keeps for its return.
    HWND WaitFocus(const std::function<bool(HWND)>& done) const {
        GUITHREADINFO info{};
        info.cbSize = sizeof info;
        const DWORD thread = GetWindowThreadProcessId(window, nullptr);
        zkui::WaitFor(
            [&] {
                if (GetGUIThreadInfo(thread, &info) && done(info.hwndFocus)) return true;
                DWORD owner = 0;
                HWND front = GetForegroundWindow();
                if (front) GetWindowThreadProcessId(front, &owner);
                if (owner != program.Pid()) SetForegroundWindow(window);
                return false;
            },
            5000);
        return info.hwndFocus;
    }
    bool Exit() const {
        zkui::Click(Control(ids::CancelButton));
        HWND dialog = zkui::FindTopWindow(ids::ExitSetupClass, "", program.Pid(), 10000);
        if (!dialog) return false;
        zkui::Click(zkui::ChildById(dialog, ids::ExitSetupExit));
        return zkui::WaitGone(dialog);
    }
    std::vector<std::string> Log() const {
        const std::string text = zktest::ReadBytes(Path("App\\Setup.log"));
        std::vector<std::string> lines;
        size_t start = 0;
        for (size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
            lines.push_back(text.substr(start, end - start));
        return lines;
    }
    ~Wizard() {
        program.Kill();
        zktest::RemoveScratch(root);
    }
};

// Lays out Setup.exe and the language file in a fresh folder with an App folder in it.
void LayOut(Wizard& w, const std::string& name) {
    w.root = zktest::ScratchDir(name);
    CopyFileA((zktest::BinDir() + "\\Setup.exe").c_str(), w.Path("Setup.exe").c_str(), FALSE);
    CreateDirectoryA(w.Path("LANG").c_str(), nullptr);
    CreateDirectoryA(w.Path("App").c_str(), nullptr);
    zktest::WriteBytes(w.Path("LANG\\English.lng"), kLanguage);
}

// Writes the script (target: root\App unless given) and starts the engine with the language
// file LANG\<language>.lng.
void RunEngine(Wizard& w, const std::string& pages, const std::string& more,
               const std::string& target = "", const std::string& language = "English") {
    zktest::WriteBytes(w.Path("Setup.txt"),
                       Line("SET_PROG_NAME", "Demo") +
                           Line("SET_TARGET_DIR", target.empty() ? w.Path("App") : target) +
                           Line("SET_DIALOGS", pages) + Line("SET_CREATE_SETUP_LOG") +
                           Line("SET_LANG_FLAG", "2") +
                           Line("SET_LANG_NAMES", "|" + language + "|") + more);
    w.program = zkui::Start(w.Path("Setup.exe"), "", w.root);
    w.window = zkui::FindTopWindow(ids::WizardClass, "", w.program.Pid(), 15000);
}

void StartWizard(Wizard& w, const std::string& name, const std::string& pages,
                 const std::string& more, const std::string& target = "") {
    LayOut(w, name);
    RunEngine(w, pages, more, target);
}

// An execute item that does nothing but write its name to Setup.log at its stage.
std::string StageItem(const std::string& name, const std::string& stage,
                      const std::string& op = "") {
    zktest::ExecItemDef item;
    item.name = name;
    item.stage = stage;
    item.kind = "UnConditional";
    if (!op.empty()) item.slot[0] = {"1", op, "", "", ""};
    return Line("SET_PERFORM_EXECUTE_OP", zktest::BuildExecItem(item));
}

std::string StageItems() {
    const char* stages[] = {"Before Setup Type", "After Setup Type",   "Before Custom",
                            "After Custom",      "Before Destination", "After Destination"};
    std::string lines;
    for (int i = 0; i < 6; ++i) lines += StageItem("S" + std::to_string(7 + i), stages[i]);
    return lines;
}

// The screens and stage items of Setup.log in order.
std::string Trail(const std::vector<std::string>& log) {
    std::string trail;
    for (const std::string& line : log) {
        if (line.rfind("Show Screen: P-", 0) == 0) trail += line.substr(15) + " ";
        if (line.size() >= 4 && line.rfind("  S", 0) == 0 && isdigit(line[3]))
            trail += line.substr(2) + " ";
    }
    return trail;
}

// Check list item data: bit 0 checked, bit 1 greyed.
LRESULT ItemData(HWND list, int index) {
    return SendMessageW(list, LB_GETITEMDATA, index, 0);
}

} // namespace

TEST(SetupPages, OrderStagesAndTheSkippedComponentsPage) {
    Wizard w;
    StartWizard(w, "pages_order", "WelcomeDlg,SetupTypeDlg,CustomDlg,DestinationDlg,CompleteDlg",
                StageItems());
    ASSERT_TRUE(w.window);
    EXPECT_FALSE(IsWindowEnabled(w.Control(ids::BackButton))) << "first page";
    EXPECT_EQ(w.NextTo("P-Type"), "P-Type");
    EXPECT_EQ(w.NextTo("P-Destination"), "P-Destination") << "Typical skips the components";
    EXPECT_EQ(w.BackTo("P-Type"), "P-Type");
    zkui::Click(w.Control(ids::CustomRadioButton));
    EXPECT_EQ(w.NextTo("P-Custom"), "P-Custom");
    EXPECT_EQ(w.NextTo("P-Destination"), "P-Destination");
    EXPECT_EQ(w.BackTo("P-Custom"), "P-Custom");
    ASSERT_TRUE(w.Exit());
    EXPECT_EQ(w.program.Wait(), kExitDone);
    EXPECT_EQ(Trail(w.Log()), "Welcome S7 Type S8 S11 Destination S7 Type S8 S9 Custom S10 S11 "
                              "Destination S9 Custom ")
        << "no stage on Back leaving a page; Back enters with its stage";
}

TEST(SetupPages, LowerCaseComponentsPageIsShownWithoutStagesOrSkip) {
    Wizard w;
    StartWizard(w, "pages_lower", "SetupTypeDlg,customdlg,DestinationDlg", StageItems());
    ASSERT_TRUE(w.window);
    EXPECT_EQ(w.Title(), "P-Type");
    EXPECT_EQ(w.NextTo("P-Custom"), "P-Custom") << "shown by name, not skipped";
    EXPECT_EQ(w.NextTo("P-Destination"), "P-Destination");
    ASSERT_TRUE(w.Exit());
    EXPECT_EQ(w.program.Wait(), kExitDone);
    EXPECT_EQ(Trail(w.Log()), "Type S8 Custom S11 Destination ")
        << "no stage for the first page nor for the lower-case name";
}

TEST(SetupPages, LicenceGatesNext) {
    Wizard w;
    StartWizard(w, "pages_licence", "WelcomeDlg,LicenseDlg,CompleteDlg", "");
    ASSERT_TRUE(w.window);
    ASSERT_EQ(w.NextTo("P-License"), "P-License");
    auto nextEnabled = [&](bool want) {
        for (DWORD t = GetTickCount(); GetTickCount() - t < 3000; Sleep(20))
            if ((IsWindowEnabled(w.Control(ids::NextButton)) != 0) == want) return true;
        return false;
    };
    EXPECT_TRUE(nextEnabled(false));
    zkui::Click(w.Control(ids::YesRadioButton));
    EXPECT_TRUE(nextEnabled(true));
    zkui::Click(w.Control(ids::NoRadioButton));
    EXPECT_TRUE(nextEnabled(false)) << "declining closes the gate again";
    w.Next();
    Sleep(300);
    EXPECT_EQ(w.Title(), "P-License");
    zkui::Click(w.Control(ids::YesRadioButton));
    EXPECT_TRUE(nextEnabled(true));
    EXPECT_EQ(w.NextTo("P-Complete"), "P-Complete");
    w.Next();
    EXPECT_EQ(w.program.Wait(), kExitDone);
}

TEST(SetupPages, UserInformationAsksForEachEmptyFieldInOrder) {
    Wizard w;
    StartWizard(w, "pages_user", "WelcomeDlg,UserInformationDlg,CompleteDlg",
                Line("SET_REQUEST_USER_NAME") + Line("SET_REQUEST_COMPANY_NAME"));
    ASSERT_TRUE(w.window);
    ASSERT_EQ(w.NextTo("P-User"), "P-User");
    EXPECT_EQ(w.Focus(w.Control(ids::NameEdit)), w.Control(ids::NameEdit))
        << "the first empty field";
    zkui::SetEditText(w.Control(ids::NameEdit), "   ");
    w.Next();
    // Boxes without an owner: their caption as a first line, then an empty one.
    EXPECT_EQ(w.PressBox(), "ERROR\r\n\r\nPlease enter your name.\r\n");
    EXPECT_EQ(w.Focus(w.Control(ids::NameEdit)), w.Control(ids::NameEdit));
    EXPECT_EQ(w.Title(), "P-User");
    zkui::SetEditText(w.Control(ids::NameEdit), "Ann");
    w.Next();
    EXPECT_EQ(w.PressBox(), "ERROR\r\n\r\nPlease enter your company name.\r\n");
    EXPECT_EQ(w.Focus(w.Control(ids::CompanyEdit)), w.Control(ids::CompanyEdit));
    zkui::SetEditText(w.Control(ids::CompanyEdit), "Acme");
    EXPECT_EQ(w.NextTo("P-Complete"), "P-Complete");
    EXPECT_EQ(w.Box(300), nullptr);
    w.Next();
    EXPECT_EQ(w.program.Wait(), kExitDone);
}

// Groups: A required, in Typical and Compact; B in Typical; C checked by default.
const char kGroups[] = "SET_GROUP_DATA(|A|First\\\\nline two|512|3|100||1|1|1|1|)\r\n"
                       "SET_GROUP_DATA(|B|Second|512|5|200||1|0|0|0|)\r\n"
                       "SET_GROUP_DATA(|C|Third|300|2|300||0|0|1|0|)\r\n";

TEST(SetupPages, SetupTypeComponentsAndRequiredSpace) {
    Wizard w;
    StartWizard(w, "pages_space", "SetupTypeDlg,CustomDlg,DestinationDlg,CompleteDlg",
                Line("SET_SHOW_COMPACT_SETUP") + kGroups, "Q:\\App");
    ASSERT_TRUE(w.window);
    struct Case {
        int button;
        const char* required;
    } cases[] = {
        {ids::TypicalRadioButton, "1.00 MB"},  // A + B
        {ids::CompactRadioButton, "0.500 MB"}, // A
        {ids::CustomRadioButton, "0.793 MB"},  // A (required) + C (default)
    };
    for (const Case& c : cases) {
        zkui::Click(w.Control(c.button));
        const bool custom = c.button == ids::CustomRadioButton;
        ASSERT_EQ(w.NextTo(custom ? "P-Custom" : "P-Destination"),
                  custom ? "P-Custom" : "P-Destination");
        if (custom) {
            HWND list = w.Control(ids::CheckListBox1);
            EXPECT_EQ(zkui::ListItems(list).size(), 3u);
            EXPECT_EQ(ItemData(list, 0), 3) << "required: checked and greyed";
            EXPECT_EQ(ItemData(list, 1), 0);
            EXPECT_EQ(ItemData(list, 2), 1);
            EXPECT_EQ(w.Text(ids::Memo4), "First\r\nline two") << "item 0's description";
            EXPECT_EQ(w.Focus(list), list);
            ASSERT_EQ(w.NextTo("P-Destination"), "P-Destination");
        }
        EXPECT_EQ(w.Text(ids::Label24), c.required) << c.button;
        EXPECT_EQ(w.Text(ids::Label25), "0.000 MB") << "Q: is no drive";
        w.Back();
        if (custom) {
            w.BackTo("P-Custom");
            w.Back();
        }
        ASSERT_TRUE(w.WaitTitle("P-Type"));
    }
    ASSERT_TRUE(w.Exit());
}

// A CD setup installs every group: Complete counts their sizes, Partial their partial sizes;
// there is no Custom button, and Compact shows as Partial without being asked for.
TEST(SetupPages, CdSetupCompleteAndPartial) {
    Wizard w;
    StartWizard(w, "pages_cd", "SetupTypeDlg,CustomDlg,DestinationDlg",
                Line("SET_CD_SETUP") + kGroups, "Q:\\App");
    ASSERT_TRUE(w.window);
    EXPECT_EQ(w.Text(ids::TypicalRadioButton), "C&omplete");
    EXPECT_EQ(w.Text(ids::CompactRadioButton), "&Partial");
    EXPECT_TRUE(IsWindowVisible(w.Control(ids::CompactRadioButton)));
    EXPECT_FALSE(IsWindowVisible(w.Control(ids::CustomRadioButton)));
    struct Case {
        int button;
        const char* required;
    } cases[] = {{ids::TypicalRadioButton, "1.29 MB"}, {ids::CompactRadioButton, "0.586 MB"}};
    for (const Case& c : cases) {
        zkui::Click(w.Control(c.button));
        ASSERT_EQ(w.NextTo("P-Destination"), "P-Destination") << "no components page";
        EXPECT_EQ(w.Text(ids::Label24), c.required) << c.button;
        ASSERT_EQ(w.BackTo("P-Type"), "P-Type");
    }
    ASSERT_TRUE(w.Exit());
}

TEST(SetupPages, AnnouncedSpaceWinsAndTheOnlyComponentIsGreyed) {
    Wizard w;
    StartWizard(w, "pages_announced", "CustomDlg,DestinationDlg",
                Line("SET_SPACE_REQ_ON_DRIVE", "12") +
                    "SET_GROUP_DATA(|Only|One|100|1|10||0|0|0|0|)\r\n",
                "Q:\\App");
    ASSERT_TRUE(w.window);
    ASSERT_EQ(w.Title(), "P-Custom");
    EXPECT_EQ(ItemData(w.Control(ids::CheckListBox1), 0), 3) << "installed anyway: shown so";
    ASSERT_EQ(w.NextTo("P-Destination"), "P-Destination");
    EXPECT_EQ(w.Text(ids::Label24), "12.0 MB");
    ASSERT_TRUE(w.Exit());
}

TEST(SetupPages, BackAndNextKeepTheTypedFolderAndTheUntickedComponent) {
    Wizard w;
    StartWizard(w, "pages_keep",
                "WelcomeDlg,CustomDlg,UserInformationDlg,DestinationDlg,CompleteDlg",
                Line("SET_REQUEST_USER_NAME") + kGroups, "Q:\\App");
    ASSERT_TRUE(w.window);
    ASSERT_EQ(w.NextTo("P-Custom"), "P-Custom");
    HWND list = w.Control(ids::CheckListBox1);
    EXPECT_EQ(ItemData(list, 2), 1);
    const RECT client = zkui::ClientBox(list);
    (void)client;
    zkui::ClickAt(list, 8, 2 * 16 + 8); // C's box
    for (DWORD t = GetTickCount(); ItemData(list, 2) != 0 && GetTickCount() - t < 3000;) Sleep(20);
    EXPECT_EQ(ItemData(list, 2), 0) << "unticked";
    zkui::ClickAt(list, 8, 8); // A is required
    Sleep(200);
    EXPECT_EQ(ItemData(list, 0), 3);
    ASSERT_EQ(w.NextTo("P-User"), "P-User");
    zkui::SetEditText(w.Control(ids::NameEdit), "Ann");
    ASSERT_EQ(w.NextTo("P-Destination"), "P-Destination");
    EXPECT_EQ(w.Text(ids::Label24), "0.500 MB") << "C stays out after the user page";
    // The available figure follows an edit a second after it.
    const std::string typed = w.Path("Typed");
    zkui::SetEditText(w.Control(ids::TargetDirEdit), "");
    const DWORD start = GetTickCount();
    EXPECT_TRUE(w.WaitText(ids::Label25, "0.0 MB", 5000));
    EXPECT_GE(GetTickCount() - start, 700u) << "refreshed after the pause, not at once";
    zkui::SetEditText(w.Control(ids::TargetDirEdit), typed);
    EXPECT_EQ(w.BackTo("P-User"), "P-User");
    EXPECT_EQ(w.BackTo("P-Custom"), "P-Custom");
    EXPECT_EQ(ItemData(list, 2), 0) << "still unticked";
    EXPECT_EQ(w.NextTo("P-User"), "P-User");
    EXPECT_EQ(w.NextTo("P-Destination"), "P-Destination");
    EXPECT_EQ(w.Text(ids::TargetDirEdit), typed) << "the typed folder survives";
    ASSERT_TRUE(w.Exit());
}

TEST(SetupPages, ShortcutBoxesPackedAndAHostileGroupRefused) {
    Wizard w;
    StartWizard(w, "pages_links", "WelcomeDlg,ShortcutsDlg,ConfirmSetupDlg,CompleteDlg",
                Line("SET_SENDTO_LINK_NAME", "^Demo SendTo") +
                    Line("SET_QUICK_LAUNCH_LINK_NAME", "Demo Quick") +
                    Line("SET_START_PROGRAM_LINK_FOLDER", "Demo Group"));
    ASSERT_TRUE(w.window);
    for (int round = 0; round < 2; ++round) { // packed once, kept when shown again
        ASSERT_EQ(w.NextTo("P-Shortcuts"), "P-Shortcuts");
        for (int id : {ids::StartMenuCheckBox, ids::DesktopCheckBox, ids::StartUpCheckBox})
            EXPECT_FALSE(IsWindowVisible(w.Control(id))) << id;
        const RECT sendTo = zkui::ChildBox(w.Control(ids::SendToCheckBox));
        const RECT quick = zkui::ChildBox(w.Control(ids::QuickLaunchCheckBox));
        EXPECT_EQ(sendTo.top, 6 + 112) << round;
        EXPECT_EQ(quick.top - sendTo.top, 24) << round;
        EXPECT_EQ(zkui::CheckState(w.Control(ids::SendToCheckBox)), BST_CHECKED);
        if (round == 0) {
            ASSERT_EQ(w.BackTo("P-Welcome"), "P-Welcome");
        }
    }
    const char* hostile[] = {"..\\..\\..", "C:\\Windows", "\\\\server\\share", "Bad\tName"};
    for (const char* group : hostile) {
        zkui::SetEditText(w.Control(ids::ProgramShortCutEdit), group);
        w.Next();
        EXPECT_EQ(w.PressBox(),
                  "ERROR\r\n\r\nThis program folder name cannot be used.\r\nType a name "
                  "without \"..\", a drive such as \"C:\", a leading \"\\\\\", control "
                  "characters, a device name such as \"CON\" or any of < > \" | ? *\r\n")
            << group;
        EXPECT_EQ(w.Focus(w.Control(ids::ProgramShortCutEdit)), w.Control(ids::ProgramShortCutEdit))
            << group;
        EXPECT_EQ(w.Title(), "P-Shortcuts") << group;
    }
    zkui::SetEditText(w.Control(ids::ProgramShortCutEdit), "Tools\\Demo");
    ASSERT_EQ(w.NextTo("P-Confirm"), "P-Confirm");
    EXPECT_EQ(w.Text(ids::Memo1), "Target Directory:\r\n   " + w.Path("App") +
                                      "\r\n\r\nProgram Folder:\r\n   Tools\\Demo\r\n\r\n"
                                      "Send To Shortcut:\r\n   Demo SendTo");
    ASSERT_TRUE(w.Exit());
}

// Every association offered checked; a click on the box or the space bar on the selected item
// clears it.
TEST(SetupPages, AssociationsListedCheckedAndToggledByMouseAndKey) {
    Wizard w;
    StartWizard(w, "pages_assoc", "AssociateDlg,CompleteDlg",
                Line("SET_ADD_ASSOCIATION_ITEM", "|dmo|Demo document|.dmo|") +
                    Line("SET_ADD_ASSOCIATION_ITEM", "|dmt|Demo template|.dmt|"));
    ASSERT_TRUE(w.window);
    ASSERT_EQ(w.Title(), "P-Associate");
    HWND list = w.Control(ids::CheckListBox2);
    EXPECT_EQ(zkui::ListItems(list),
              (std::vector<std::string>{"|dmo|Demo document|.dmo|", "|dmt|Demo template|.dmt|"}));
    EXPECT_EQ(ItemData(list, 0), 1);
    EXPECT_EQ(ItemData(list, 1), 1);
    zkui::ClickAt(list, 8, 8);
    for (DWORD t = GetTickCount(); ItemData(list, 0) != 0 && GetTickCount() - t < 3000;) Sleep(20);
    EXPECT_EQ(ItemData(list, 0), 0) << "box clicked";
    SendMessageW(list, LB_SETCURSEL, 1, 0);
    PostMessageW(list, WM_CHAR, ' ', 0);
    for (DWORD t = GetTickCount(); ItemData(list, 1) != 0 && GetTickCount() - t < 3000;) Sleep(20);
    EXPECT_EQ(ItemData(list, 1), 0) << "space";
    ASSERT_TRUE(w.Exit());
}

// ---------------------------------------------------------------------------------------------
// Finish

namespace {

// A program that notes the folder it runs in.
std::string WriteLauncher(const Wizard& w) {
    const std::string bat = w.Path("App\\launch.bat");
    zktest::WriteBytes(bat, "@cd > \"" + w.Path("launched.txt") + "\"\r\n");
    return bat;
}

std::string WaitLaunched(const Wizard& w, DWORD ms) {
    return zktest::WaitLines(w.Path("launched.txt"), ms);
}

// The debug viewer's window (hidden, so looked for by its class), up before anything traces.
bool WaitDebugViewer(DWORD pid) {
    for (DWORD start = GetTickCount(); GetTickCount() - start < 15000; Sleep(20))
        for (HWND v = nullptr; (v = FindWindowExA(nullptr, v, ".ZDebug.", nullptr));) {
            DWORD owner = 0;
            GetWindowThreadProcessId(v, &owner);
            if (owner == pid) return true;
        }
    return false;
}

std::string LaunchLines(const Wizard& w, const std::string& bat) {
    CreateDirectoryA(w.Path("Work").c_str(), nullptr);
    return Line("SET_PROG_EXE_NAME", bat) + Line("SET_START_PROGRAM_LINK_WORKDIR", w.Path("Work")) +
           Line("SET_PROPOSE_LAUNCH_CHECKED");
}

} // namespace

TEST(SetupFinish, LaunchInTheWorkingFolder) {
    Wizard w;
    LayOut(w, "pages_launch");
    const std::string bat = WriteLauncher(w);
    // Hidden but checked: launched all the same.
    RunEngine(w, "WelcomeDlg,CompleteDlg", LaunchLines(w, bat));
    ASSERT_TRUE(w.window);
    ASSERT_EQ(w.NextTo("P-Complete"), "P-Complete");
    EXPECT_FALSE(IsWindowVisible(w.Control(ids::LaunchCheckBox)));
    w.Next();
    EXPECT_EQ(w.program.Wait(), kExitDone);
    EXPECT_EQ(WaitLaunched(w, 10000), w.Path("Work") + "\r\n");
}

// Escape on the Complete page, where Cancel is gone, finishes as the Finish button does: the
// Setup End stage runs and the ticked program starts.
TEST(SetupFinish, EscapeOnTheCompletePageIsFinish) {
    Wizard w;
    LayOut(w, "pages_escape");
    const std::string bat = WriteLauncher(w);
    RunEngine(w, "WelcomeDlg,CompleteDlg", LaunchLines(w, bat) + StageItem("End", "Setup End"));
    ASSERT_TRUE(w.window);
    ASSERT_EQ(w.NextTo("P-Complete"), "P-Complete");
    PostMessageA(w.Control(ids::NextButton), WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_EQ(w.program.Wait(), kExitDone);
    EXPECT_EQ(WaitLaunched(w, 10000), w.Path("Work") + "\r\n");
    const std::vector<std::string> log = w.Log();
    EXPECT_NE(std::find(log.begin(), log.end(), "Execute After Dialogs"), log.end());
    EXPECT_NE(std::find(log.begin(), log.end(), "  End"), log.end()) << "the stage's item ran";
}

TEST(SetupFinish, NoCompletePageOrAStageFourExitLaunchesNothing) {
    struct Case {
        const char* name;
        const char* pages;
        bool exitAtEnd;
    } cases[] = {{"no complete page", "WelcomeDlg", false},
                 {"stage 4 exit", "WelcomeDlg,CompleteDlg", true}};
    for (const Case& c : cases) {
        Wizard w;
        LayOut(w, "pages_nolaunch");
        const std::string bat = WriteLauncher(w);
        zktest::WriteBytes(w.Path("ReadMe.txt"), "read me");
        std::string more = LaunchLines(w, bat) + Line("SET_PROPOSE_LAUNCH") +
                           Line("SET_README_FILE_NAME_2", "ReadMe.txt") +
                           Line("SET_PROPOSE_README") + Line("SET_PROPOSE_README_CHECKED");
        if (c.exitAtEnd) more += StageItem("End", "Setup End", "Exit");
        RunEngine(w, c.pages, more);
        ASSERT_TRUE(w.window) << c.name;
        if (c.exitAtEnd) {
            ASSERT_EQ(w.NextTo("P-Complete"), "P-Complete");
        }
        w.Next();
        EXPECT_EQ(zkui::FindTopWindow(ids::ReadmeClass, "", w.program.Pid(), 1500), nullptr)
            << c.name;
        EXPECT_EQ(w.program.Wait(), kExitDone) << c.name;
        EXPECT_EQ(WaitLaunched(w, 1500), "") << c.name;
    }
}

TEST(SetupFinish, RestartAgainstLaunch) {
    for (const bool restart : {true, false}) {
        Wizard w;
        LayOut(w, "pages_restart");
        const std::string bat = WriteLauncher(w);
        const std::string trace = w.Path("trace.txt");
        zkui::Program viewer =
            zkui::Start(zktest::BinDir() + "\\zdebugviewer.exe", zkui::Quote(trace));
        ASSERT_TRUE(WaitDebugViewer(viewer.Pid()));
        RunEngine(w, "WelcomeDlg,CompleteDlg",
                  LaunchLines(w, bat) + Line("SET_PROPOSE_LAUNCH") + Line("SET_PROPOSE_RESTART"));
        ASSERT_TRUE(w.window);
        ASSERT_EQ(w.NextTo("P-Complete"), "P-Complete");
        EXPECT_TRUE(IsWindowVisible(w.Control(ids::GroupBox2)));
        EXPECT_FALSE(IsWindowVisible(w.Control(ids::LaunchCheckBox))) << "restart takes its row";
        EXPECT_EQ(zkui::CheckState(w.Control(ids::RadioButton1)), BST_CHECKED);
        if (!restart) zkui::Click(w.Control(ids::RadioButton2));
        Sleep(100);
        w.Next();
        EXPECT_EQ(w.program.Wait(), kExitDone);
        const std::string launched = WaitLaunched(w, restart ? 1500 : 10000);
        const bool traced = zktest::ReadBytes(trace).find("Restart Windows") != std::string::npos;
        EXPECT_EQ(traced, restart) << restart;
        EXPECT_EQ(launched.empty(), restart) << "the hidden launch box is checked";
        viewer.Kill();
    }
}

// ---------------------------------------------------------------------------------------------
// Browse

namespace {

HWND WaitBrowser(DWORD pid) {
    return zkui::FindTopWindow("#32770", "Browse for Folder", pid, 30000);
}

} // namespace

TEST(SetupPages, BrowseTakesTheChosenFolderCancelKeepsTheText) {
    Wizard w;
    StartWizard(w, "pages_browse", "DestinationDlg,CompleteDlg", "");
    ASSERT_TRUE(w.window);
    const std::string start = w.Path("App");
    // OK on the preselected start folder.
    zkui::SettleFolderTimes(start);
    zkui::Click(w.Control(ids::BrowseButton));
    HWND browser = WaitBrowser(w.program.Pid());
    ASSERT_TRUE(browser);
    ASSERT_TRUE(zkui::WaitFolderSelected(browser, 30000, "App"))
        << "the start folder is preselected";
    PostMessageA(browser, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    ASSERT_TRUE(zkui::WaitGone(browser));
    EXPECT_TRUE(w.WaitText(ids::TargetDirEdit, start, 10000)) << w.Text(ids::TargetDirEdit);
    // Cancel keeps what is there, also when no parent of it exists.
    for (const std::string& typed :
         {w.Path("Typed"), std::string("Q:\\a\\b\\c\\d\\e\\f\\g\\h\\i\\j\\k\\l")}) {
        zkui::SetEditText(w.Control(ids::TargetDirEdit), typed);
        zkui::Click(w.Control(ids::BrowseButton));
        browser = WaitBrowser(w.program.Pid());
        ASSERT_TRUE(browser) << typed;
        PostMessageA(browser, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        ASSERT_TRUE(zkui::WaitGone(browser));
        Sleep(200);
        EXPECT_EQ(w.Text(ids::TargetDirEdit), typed);
    }
    ASSERT_TRUE(w.Exit());
}

// The demo's licence and readme are paragraphs that their box wraps: no paragraph is broken by
// hand, and a list item fits on one line of the box, so no wrapped rest of an item starts at
// the box's left edge under the bullets.
TEST(SetupPages, DemoLicenceAndReadmeWrapInTheirBoxes) {
    Wizard w;
    LayOut(w, "pages_demo_texts");
    for (const char* file : {"License.txt", "ReadMe.txt"})
        CopyFileA((zktest::BinDir() + "\\demo\\" + file).c_str(), w.Path(file).c_str(), FALSE);
    RunEngine(w, "LicenseDlg,ReadmeDlg",
              Line("SET_LICENSE_FILE_NAME", "License.txt") +
                  Line("SET_README_FILE_NAME", "ReadMe.txt"));
    ASSERT_TRUE(w.window);
    const struct {
        const char* file;
        int box;
        const char* title;
    } pages[] = {{"License.txt", ids::RichEdit11, "P-License"},
                 {"ReadMe.txt", ids::RichEdit12, "Readme"}};
    for (const auto& page : pages) {
        ASSERT_TRUE(w.WaitTitle(page.title)) << w.Title();
        const HWND box = w.Control(page.box);
        const std::string text = zkui::TextOf(box);
        ASSERT_FALSE(text.empty()) << page.file;
        bool afterText = false;
        for (size_t start = 0, end; start < text.size();
             start = end + (text.compare(end, 2, "\r\n") == 0 ? 2 : 1)) {
            end = std::min(text.find_first_of("\r\n", start), text.size());
            const std::string line = text.substr(start, end - start);
            const size_t first = line.find_first_not_of(' ');
            const bool item = first != std::string::npos &&
                              (line[first] == '-' ||
                               (isdigit(line[first]) && line.find(". ", first) < first + 4));
            EXPECT_TRUE(line.empty() || item || !afterText)
                << page.file << ": a paragraph broken by hand before \"" << line << "\"";
            afterText = !line.empty();
            if (!item) continue;
            const int y = zkui::CharPosition(box, static_cast<int>(start + first)).y;
            EXPECT_EQ(zkui::CharPosition(box, static_cast<int>(end - 1)).y, y)
                << page.file << ": the item wraps: " << line;
        }
        if (page.box == ids::RichEdit11) zkui::Click(w.Control(ids::YesRadioButton));
        w.Next();
    }
    ASSERT_TRUE(w.Exit());
}

// A target on a drive without its medium (an empty card reader) or on a network share: the
// figures, Browse and the installation go on without a system box.
TEST(SetupPages, EmptyDriveAndShareTargetsGiveFiguresAndTheEnginesOwnBox) {
    const std::string share = zktest::ScratchDir("unc_share"); // \\zkserver\share
    const zktest::WineDrive empty("", DRIVE_CDROM);
    ASSERT_FALSE(empty.Root().empty()) << "no drive without its medium could be defined";
    const std::string onEmpty = empty.Root() + "\\App";
    Wizard w;
    StartWizard(w, "pages_drives", "DestinationDlg,CopyFilesDlg,CompleteDlg", "", onEmpty);
    ASSERT_TRUE(w.window);
    EXPECT_EQ(w.Text(ids::Label25), "0.000 MB");
    zkui::Click(w.Control(ids::BrowseButton));
    HWND browser = WaitBrowser(w.program.Pid());
    ASSERT_TRUE(browser);
    EXPECT_EQ(zkui::TopWindows(w.program.Pid()).size(), 2u) << "the wizard and the dialog";
    PostMessageA(browser, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    ASSERT_TRUE(zkui::WaitGone(browser));

    zkui::SetEditText(w.Control(ids::TargetDirEdit), "\\\\zkserver\\share\\App");
    EXPECT_TRUE(zkui::WaitFor([&] { return w.Text(ids::Label25) != "0.000 MB"; }, 10000));
    EXPECT_GT(std::atof(w.Text(ids::Label25).c_str()), 1.0)
        << w.Text(ids::Label25) << ": the share's free space";

    zkui::SetEditText(w.Control(ids::TargetDirEdit), onEmpty);
    EXPECT_TRUE(w.WaitText(ids::Label25, "0.000 MB", 10000));
    w.Next();
    const std::string box = w.PressBox();
    EXPECT_NE(box.find("Unable to create directory:\r\n" + onEmpty + "\r\n"), std::string::npos)
        << box;
    EXPECT_EQ(w.program.Wait(), kExitDone);
    zktest::RemoveScratch(share);
}

// ---------------------------------------------------------------------------------------------
// Every text whole and readable

namespace {

// Captions longer than their controls' design widths, in German and in Hebrew (right to left).
const char kGerman[] =
    "[General]\r\nLangID=7\r\nCharset=0\r\n"
    "[Buttons]\r\nBack=< &Zur\xFC"
    "ck\r\nNext=&Weiter >\r\nCancel=&Abbrechen\r\n"
    "Finish=&Fertig stellen\r\nBrowse=&Durchsuchen...\r\nResume=&Fortsetzen\r\n"
    "ExitSetup=Setup &beenden\r\n"
    "[Welcome]\r\nCaption=T-Welcome\r\n"
    "[License]\r\nCaption=T-License\r\ns3=&Ja, ich nehme die Vereinbarung an\r\n"
    "s4=&Nein, ich lehne die Vereinbarung ab\r\n"
    "[Readme]\r\nCaption=T-Readme\r\n"
    "[UserInfo]\r\nCaption=T-User\r\ns11=&Name:\r\ns12=&Firma:\r\n"
    "[Destination]\r\nCaption=T-Destination\r\ns2=Zielordner\r\n"
    "[SetupType]\r\nCaption=T-Type\r\ns11=&Standard\r\ns12=&Minimal\r\n"
    "s13=Ben&utzerdefiniert\r\n"
    "[Components]\r\nCaption=T-Custom\r\ns2=&Komponenten:\r\ns3=&Beschreibung:\r\n"
    "[Associate]\r\nCaption=T-Associate\r\ns2=Datei&typen:\r\n"
    "[Shortcuts]\r\nCaption=T-Shortcuts\r\ns3=&Programmordner:\r\n"
    "s11=Eine Verkn\xFCpfung im &Startmen\xFC\r\ns12=Eine Verkn\xFCpfung auf dem &Desktop\r\n"
    "s13=Eine Verkn\xFCpfung in \"Senden an\"\r\ns14=Eine Verkn\xFCpfung im Autostart\r\n"
    "s15=Eine Schnellstart-Verkn\xFCpfung\r\n"
    "[Confirm]\r\nCaption=T-Confirm\r\n"
    "[Complete]\r\nCaption=T-Complete\r\ns3=Das Programm &starten\r\n"
    "s8=Die Liesmich-Datei &anzeigen\r\n";
const char kHebrew[] =
    "[General]\r\nLangID=13\r\nCharset=177\r\n"
    "[Buttons]\r\nBack=< &\xE4\xF7\xE5\xE3\xED\r\nNext=&\xE4\xE1\xE0 >\r\n"
    "Cancel=&\xE1\xE9\xE8\xE5\xEC\r\n"
    "Finish=&\xF1\xE9\xE5\xED \xE4\xE4\xFA\xF7\xF0\xE4 \xF2\xEB\xF9\xE9\xE5\r\n"
    "Browse=&\xF2\xE9\xE5\xEF \xE1\xFA\xE9\xF7\xE9\xE5\xFA...\r\nResume=&\xE4\xEE\xF9\xEA\r\n"
    "ExitSetup=&\xE9\xF6\xE9\xE0\xE4 \xEE\xE4\xE4\xFA\xF7\xF0\xE4\r\n"
    "[Welcome]\r\nCaption=T-Welcome\r\n[License]\r\nCaption=T-License\r\n"
    "[Readme]\r\nCaption=T-Readme\r\n[UserInfo]\r\nCaption=T-User\r\n"
    "[Destination]\r\nCaption=T-Destination\r\n"
    "[SetupType]\r\nCaption=T-Type\r\ns11=&\xF8\xE2\xE9\xEC\xE4\r\n"
    "s12=&\xEE\xE9\xF0\xE9\xEE\xEC\xE9\xFA\r\n"
    "s13=\xEE\xE5\xFA\xE0\xEE\xFA &\xE0\xE9\xF9\xE9\xFA \xEC\xE2\xEE\xF8\xE9\r\n"
    "[Components]\r\nCaption=T-Custom\r\n[Associate]\r\nCaption=T-Associate\r\n"
    "[Shortcuts]\r\nCaption=T-Shortcuts\r\n[Confirm]\r\nCaption=T-Confirm\r\n"
    "[Complete]\r\nCaption=T-Complete\r\ns3=&\xE4\xF4\xF2\xEC \xE0\xFA "
    "\xE4\xFA\xE5\xEB\xF0\xE9\xFA\r\n"
    "s8=&\xE4\xF6\xE2 \xE0\xFA \xF7\xE5\xE1\xF5 \xE4\xE4\xF1\xE1\xF8\r\n";

const char kEveryPage[] = "WelcomeDlg,LicenseDlg,ReadmeDlg,UserInformationDlg,DestinationDlg,"
                          "SetupTypeDlg,CustomDlg,AssociateDlg,ShortcutsDlg,ConfirmSetupDlg,"
                          "CompleteDlg";

// Every control those pages have: both user fields, three setup types, the components, a
// file type, the five shortcuts, the readme and launch boxes.
std::string EveryControl() {
    return Line("SET_LICENSE_FILE_NAME", "License.txt") +
           Line("SET_README_FILE_NAME", "ReadMe.txt") +
           Line("SET_README_FILE_NAME_2", "ReadMe.txt") + Line("SET_PROPOSE_README") +
           Line("SET_PROPOSE_LAUNCH") + Line("SET_REQUEST_USER_NAME") +
           Line("SET_REQUEST_COMPANY_NAME") + Line("SET_SHOW_COMPACT_SETUP") + kGroups +
           Line("SET_ADD_ASSOCIATION_ITEM", "|dmo|Demo document|.dmo|") +
           Line("SET_START_PROGRAM_LINK_FOLDER", "Demo Group") +
           Line("SET_START_MENU_LINK_NAME", "Demo") + Line("SET_DESKTOP_LINK_NAME", "Demo") +
           Line("SET_SENDTO_LINK_NAME", "Demo") + Line("SET_STARTUP_LINK_NAME", "Demo") +
           Line("SET_QUICK_LAUNCH_LINK_NAME", "Demo");
}

std::string ClassName(HWND window) {
    return zkui::ClassOf(window);
}

bool IsCaptioned(HWND control) {
    if (!IsWindowVisible(control) || ClassName(control) != "Button" ||
        zkui::TextOf(control).empty())
        return false;
    const LONG type = GetWindowLongW(control, GWL_STYLE) & BS_TYPEMASK;
    return type != BS_GROUPBOX && type != BS_OWNERDRAW;
}

bool HasMnemonic(const std::string& text) {
    for (size_t i = 0; i + 1 < text.size(); ++i)
        if (text[i] == '&') {
            if (text[i + 1] != '&') return true;
            ++i;
        }
    return false;
}

// The wizard's bold controls.
const std::vector<int> kBoldIds = {ids::NextButton, ids::Panel4, ids::Label2};

bool Inside(const RECT& inner, const RECT& outer) {
    return inner.left >= outer.left && inner.right <= outer.right && inner.top >= outer.top &&
           inner.bottom <= outer.bottom;
}

bool IsTextBlock(HWND control) {
    const LONG style = GetWindowLongW(control, GWL_STYLE);
    return _stricmp(ClassName(control).c_str(), "RichEdit") == 0 && (style & ES_READONLY) &&
           !(style & WS_BORDER);
}

// A rule across the window: the brand label stands on one.
bool IsLine(HWND control) {
    return ClassName(control) == "Static" &&
           (GetWindowLongW(control, GWL_STYLE) & SS_TYPEMASK) == SS_ETCHEDHORZ;
}

// Labels that cut their text on purpose (a long path in a short line).
bool ShortensItsText(HWND label) {
    return (GetWindowLongW(label, GWL_STYLE) & SS_ELLIPSISMASK) != 0;
}

// The font of a control of the window: Tahoma 8 pt, bold for `boldIds`; the brand label's own.
struct FontOf {
    const char* face;
    int weight;
};
FontOf ControlFont(HWND c, const std::vector<int>& boldIds) {
    const int id = GetDlgCtrlID(c);
    if (id == ids::Label21) return {"MS Sans Serif", FW_BOLD};
    const bool bold = std::find(boldIds.begin(), boldIds.end(), id) != boldIds.end();
    return {"Tahoma", bold ? FW_BOLD : FW_NORMAL};
}

// On the window as it is now: every button, radio button and check box shows its caption
// whole and lies over no other control but the ones that hold it; every label shows all the
// lines of its text, and every text block its last line inside its box and under no other
// control; a label with a mnemonic shows it.
void ExpectTextsWhole(HWND window, int charset, const std::vector<int>& boldIds,
                      const std::string& where) {
    const std::vector<HWND> children = zkui::Children(window);
    auto expectUncovered = [&](HWND c, const RECT& r, const std::string& what) {
        for (HWND other : children) {
            if (other == c || !IsWindowVisible(other)) continue;
            const RECT o = zkui::ChildBox(other);
            RECT both;
            if (Inside(r, o) || IsLine(other)) continue; // the page, a group box; a rule
            EXPECT_FALSE(IntersectRect(&both, &r, &o))
                << where << ": " << what << " under " << ClassName(other) << " "
                << GetDlgCtrlID(other) << " \"" << zkui::TextOf(other) << "\" at " << o.left << ","
                << o.top << "-" << o.right << "," << o.bottom;
        }
    };
    for (HWND c : children) {
        if (!IsCaptioned(c)) continue;
        const std::string text = zkui::TextOf(c);
        const FontOf font = ControlFont(c, boldIds);
        const int extent = zkui::CaptionExtent(c, font.face, -11, font.weight, charset);
        const RECT r = zkui::ChildBox(c);
        EXPECT_GE(r.right - r.left, zkui::LeastCaptionWidth(c, extent)) << where << ": " << text;
        expectUncovered(c, r, text);
    }
    for (HWND c : children) {
        const std::string text = zkui::TextOf(c);
        if (!IsWindowVisible(c) || text.empty()) continue;
        const RECT r = zkui::ChildBox(c);
        if (ClassName(c) == "Static" && !ShortensItsText(c)) {
            const FontOf font = ControlFont(c, boldIds);
            EXPECT_LE(
                zkui::WrappedTextHeight(c, r.right - r.left, font.face, -11, font.weight, charset),
                r.bottom - r.top)
                << where << ": label \"" << text << "\" cut";
            expectUncovered(c, r, "label \"" + text + "\"");
        }
        if (IsTextBlock(c)) {
            const size_t last = text.find_last_not_of(" \r\n\t");
            if (last == std::string::npos) continue;
            const int bottom = r.top + zkui::CharPosition(c, static_cast<int>(last)).y +
                               zkui::LineHeight("Tahoma", -11, FW_NORMAL, charset);
            EXPECT_LE(bottom, r.bottom) << where << ": text block cut: " << text;
            expectUncovered(c, {r.left, r.top, r.right, bottom}, "text \"" + text + "\"");
        }
    }
    for (HWND c : children) {
        if (!IsWindowVisible(c) || ClassName(c) != "Static" || !HasMnemonic(zkui::TextOf(c)))
            continue;
        EXPECT_FALSE(GetWindowLongW(c, GWL_STYLE) & SS_NOPREFIX)
            << where << ": label " << zkui::TextOf(c) << " hides its mnemonic";
    }
}

// Alt and a letter, as the keyboard gives it to the control with the focus.
void PressAlt(HWND focus, char letter) {
    PostMessageA(focus, WM_SYSCHAR, static_cast<unsigned char>(letter), 1 << 29);
}

// The page's work is done once the wizard answers a message again.
void Settle(HWND window) {
    DWORD_PTR ignored = 0;
    SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &ignored);
}

} // namespace

// The demo's German file as it ships.
std::string DemoGerman() {
    return zktest::ReadBytes(zktest::BinDir() + "\\demo\\LANG\\German.lng");
}

TEST(SetupPages, CaptionsWholeAndMnemonicsShownOnEveryPage) {
    struct Language {
        const char* name;
        std::string file;
        int charset;
        // Alt and a label's letter on a page move the focus to the control the label names.
        std::vector<std::tuple<const char*, char, int>> mnemonics;
        bool ownCaptions = false; // the pages' captions of the file, not "T-" and the page
    } languages[] = {
        {"German",
         kGerman,
         0,
         {{"User", 'f', ids::CompanyEdit},
          {"User", 'n', ids::NameEdit},
          {"Custom", 'b', ids::Memo4},
          {"Custom", 'k', ids::CheckListBox1},
          {"Associate", 't', ids::CheckListBox2},
          {"Shortcuts", 'p', ids::ProgramShortCutEdit}}},
        {"Hebrew", kHebrew, 177, {}},
        {"Demo", DemoGerman(), 0, {{"User", 'f', ids::CompanyEdit}}, true},
    };
    const struct {
        const char* name;
        const char* section;
    } pages[] = {
        {"Welcome", "Welcome"},   {"License", "License"},         {"Readme", "Readme"},
        {"User", "UserInfo"},     {"Destination", "Destination"}, {"Type", "SetupType"},
        {"Custom", "Components"}, {"Associate", "Associate"},     {"Shortcuts", "Shortcuts"},
        {"Confirm", "Confirm"},   {"Complete", "Complete"}};
    for (const Language& language : languages) {
        SCOPED_TRACE(language.name);
        ASSERT_FALSE(language.file.empty());
        const bool rtl = language.charset == 177;
        Wizard w;
        LayOut(w, std::string("pages_captions_") + language.name);
        const std::string file = w.Path(std::string("LANG\\") + language.name + ".lng");
        zktest::WriteBytes(file, language.file);
        RunEngine(w, kEveryPage, EveryControl(), "", language.name);
        ASSERT_TRUE(w.window);
        for (const auto& [page, section] : pages) {
            std::string title = std::string("T-") + page;
            if (language.ownCaptions) {
                char caption[256] = "";
                GetPrivateProfileStringA(section, "Caption", "", caption, sizeof caption,
                                         file.c_str());
                title = caption;
            }
            const std::string on = page;
            ASSERT_TRUE(w.WaitTitle(title)) << "at " << w.Title() << ", not " << title;
            Settle(w.window);
            ExpectTextsWhole(w.window, language.charset, kBoldIds, title);
            for (const auto& [where, letter, target] : language.mnemonics) {
                if (on != where) continue;
                const HWND from = w.Focus();
                EXPECT_NE(from, w.Control(target)) << title << ": Alt+" << letter;
                PressAlt(from, letter);
                EXPECT_EQ(w.Focus(w.Control(target)), w.Control(target))
                    << title << ": Alt+" << letter;
            }
            if (on == "Type" || on == "Destination") {
                // A widened control keeps the edge it reads from, in line with the page.
                const int edge = on == "Type" ? ids::RichEdit7 : ids::TargetDirEdit;
                const RECT line = zkui::ChildBox(w.Control(edge));
                for (int id : {ids::TypicalRadioButton, ids::CompactRadioButton,
                               ids::CustomRadioButton, ids::BrowseButton}) {
                    if (!IsWindowVisible(w.Control(id))) continue;
                    const RECT r = zkui::ChildBox(w.Control(id));
                    if (id == ids::BrowseButton || rtl)
                        EXPECT_EQ(r.right, line.right) << title << " " << w.Text(id);
                    else
                        EXPECT_EQ(r.left, line.left) << title << " " << w.Text(id);
                }
            }
            if (on == "License") zkui::Click(w.Control(ids::YesRadioButton));
            if (on == "User") {
                zkui::SetEditText(w.Control(ids::NameEdit), "Ann");
                zkui::SetEditText(w.Control(ids::CompanyEdit), "Acme");
            }
            if (on == "Type") zkui::Click(w.Control(ids::CustomRadioButton));
            if (on == "Confirm") { // the exit question's buttons too
                zkui::Click(w.Control(ids::CancelButton));
                HWND exit = zkui::FindTopWindow(ids::ExitSetupClass, "", w.program.Pid(), 10000);
                ASSERT_TRUE(exit);
                ExpectTextsWhole(exit, language.charset, {}, "exit question");
                zkui::Click(zkui::ChildById(exit, ids::ExitSetupResume));
                ASSERT_TRUE(zkui::WaitGone(exit));
            }
            // Clicks are posted: Next comes after the page's own.
            Settle(w.window);
            w.Next();
        }
        EXPECT_EQ(w.program.Wait(), kExitDone) << "Finish";
    }
}

// A restart moves the readme box up into the launch box's place above the restart choice:
// the longer restart text stays whole above it, left to right and right to left.
TEST(SetupPages, RestartTextWholeAboveTheReadmeBox) {
    const struct {
        const char* name;
        const char* file;
        int charset;
        const char* complete;
    } languages[] = {{"English", kLanguage, 0, "P-Complete"},
                     {"Hebrew", kHebrew, 177, "T-Complete"}};
    for (const auto& language : languages) {
        SCOPED_TRACE(language.name);
        Wizard w;
        LayOut(w, std::string("pages_restart_text_") + language.name);
        zktest::WriteBytes(w.Path(std::string("LANG\\") + language.name + ".lng"), language.file);
        RunEngine(w, "WelcomeDlg,CompleteDlg",
                  Line("SET_README_FILE_NAME_2", "ReadMe.txt") + Line("SET_PROPOSE_README") +
                      Line("SET_PROPOSE_LAUNCH") + Line("SET_PROPOSE_RESTART"),
                  "", language.name);
        ASSERT_TRUE(w.window);
        ASSERT_EQ(w.NextTo(language.complete), language.complete);
        Settle(w.window);
        ASSERT_TRUE(IsWindowVisible(w.Control(ids::GroupBox2)));
        ASSERT_TRUE(IsWindowVisible(w.Control(ids::DisplayReadmeCheckBox)));
        ExpectTextsWhole(w.window, language.charset, kBoldIds, language.complete);
        zkui::Click(w.Control(ids::RadioButton2)); // no restart of the sandbox
        Settle(w.window);
        w.Next();
        EXPECT_EQ(w.program.Wait(), kExitDone);
    }
}

// The description boxes of the components and confirm pages: a scroll bar only for a text
// that does not fit.
TEST(SetupPages, DescriptionBoxesScrollOnlyWhenTheTextNeedsIt) {
    Wizard w;
    StartWizard(
        w, "pages_scroll", "CustomDlg,ShortcutsDlg,ConfirmSetupDlg,CompleteDlg",
        "SET_GROUP_DATA(|Short|One line|10|1|10||1|1|1|0|)\r\n"
        "SET_GROUP_DATA(|Long|" +
            std::string(6, 'x') + std::string("\\\\nline\\\\nby\\\\nline\\\\nto\\\\nseven") +
            "|10|1|10||1|1|1|0|)\r\n" + Line("SET_START_MENU_LINK_NAME", "Demo") +
            Line("SET_DESKTOP_LINK_NAME", "Demo") + Line("SET_SENDTO_LINK_NAME", "Demo") +
            Line("SET_STARTUP_LINK_NAME", "Demo") + Line("SET_QUICK_LAUNCH_LINK_NAME", "Demo"));
    ASSERT_TRUE(w.window);
    ASSERT_EQ(w.Title(), "P-Custom");
    auto scrolls = [](HWND box) { return (GetWindowLongW(box, GWL_STYLE) & WS_VSCROLL) != 0; };
    // Without its bar the box keeps its frame: its right edge drawn as its left one. The left
    // edge is read once painted (it differs from the inside next to it): a page just shown,
    // or a window of another test passing over it, may not show it yet.
    auto framed = [](HWND box) {
        const RECT r = zkui::WindowBox(box);
        const int y = (r.top + r.bottom) / 2;
        COLORREF frame = 0;
        const bool painted = zkui::WaitFor(
            [&] {
                frame = zkui::ScreenPixel(r.left, y);
                return frame != zkui::ScreenPixel(r.left + 1, y);
            },
            10000);
        return painted && zkui::WaitPixel(r.right - 1, y, frame, 10000);
    };
    HWND memo = w.Control(ids::Memo4), list = w.Control(ids::CheckListBox1);
    struct Case {
        int item;
        const char* text;
        bool scroll;
    } items[] = {{1, "xxxxxx\r\nline\r\nby\r\nline\r\nto\r\nseven", true}, {0, "One line", false}};
    for (const Case& c : items) {
        zkui::ClickAt(list, 120, c.item * 16 + 8);
        ASSERT_TRUE(w.WaitText(ids::Memo4, c.text, 10000)) << w.Text(ids::Memo4);
        EXPECT_EQ(scrolls(memo), c.scroll) << c.text;
        if (!c.scroll) {
            EXPECT_TRUE(framed(memo)) << c.text;
        }
    }
    // Confirm: five lines without shortcuts; each ticked one adds three.
    ASSERT_EQ(w.NextTo("P-Shortcuts"), "P-Shortcuts");
    ASSERT_EQ(w.NextTo("P-Confirm"), "P-Confirm");
    EXPECT_FALSE(scrolls(w.Control(ids::Memo1))) << w.Text(ids::Memo1);
    EXPECT_TRUE(framed(w.Control(ids::Memo1)));
    ASSERT_EQ(w.BackTo("P-Shortcuts"), "P-Shortcuts");
    for (int id : {ids::StartMenuCheckBox, ids::DesktopCheckBox, ids::SendToCheckBox,
                   ids::StartUpCheckBox, ids::QuickLaunchCheckBox})
        zkui::Click(w.Control(id));
    Settle(w.window);
    ASSERT_EQ(w.NextTo("P-Confirm"), "P-Confirm");
    EXPECT_TRUE(scrolls(w.Control(ids::Memo1))) << w.Text(ids::Memo1);
    ASSERT_TRUE(w.Exit());
}
