#include "SDialog.h"

#include "AboutDlg.h"
#include "CheckList.h"
#include "Common.h"
#include "ControlIds.h"
#include "CopyBar.h"
#include "ExecHost.h"
#include "ExitSetup.h"
#include "FileFlags.h"
#include "Files.h"
#include "Global.h"
#include "MsgMarkup.h"
#include "Process.h"
#include "RegOp.h"
#include "RichEd.h"
#include "Music.h"
#include "RunTimeDir.h"
#include "SLists.h"
#include "SLang.h"
#include "SLayout.h"
#include "SMain.h"
#include "Slider.h"
#include "SliderDlg.h"
#include "SetupText.h"
#include "SysLibs.h"
#include "U_DEBUG0.h"
#include "UtilPlus.h"
#include "UtilPlusText.h"

#include <commctrl.h>
#include <richedit.h>

#include <algorithm>
#include <ostream>

namespace zk {

// --- WizardSharedState ---

namespace {

struct SharedState {
    bool abortRequested = false;
    Text applicationFolder, commonFolder, auxiliaryFolder;
    Text launchProgram, launchWorkDir, postSetupCommand;
    bool restartRequested = false;
} gShared;

} // namespace

void SetAbortRequested(bool requested) {
    gShared.abortRequested = requested;
}
bool GetAbortRequested() {
    return gShared.abortRequested;
}
void SetApplicationFolderOverride(const Text& folder) {
    gShared.applicationFolder = folder;
}
Text GetApplicationFolderOverride() {
    return gShared.applicationFolder;
}
void SetCommonFolderOverride(const Text& folder) {
    gShared.commonFolder = folder;
}
Text GetCommonFolderOverride() {
    return gShared.commonFolder;
}
void SetAuxiliaryFolderOverride(const Text& folder) {
    gShared.auxiliaryFolder = folder;
}
Text GetAuxiliaryFolderOverride() {
    return gShared.auxiliaryFolder;
}
void SetLaunchProgram(const Text& program) {
    gShared.launchProgram = program;
}
Text GetLaunchProgram() {
    return gShared.launchProgram;
}
void SetLaunchWorkDir(const Text& folder) {
    gShared.launchWorkDir = folder;
}
Text GetLaunchWorkDir() {
    return gShared.launchWorkDir;
}
void SetPostSetupCommand(const Text& command) {
    gShared.postSetupCommand = command;
}
Text GetPostSetupCommand() {
    return gShared.postSetupCommand;
}
void RequestRestart() {
    gShared.restartRequested = true;
}
bool IsRestartRequested() {
    return gShared.restartRequested;
}

Text GetSourceDirPath(bool withBackslash) {
    return GetExeDir(withBackslash);
}

// --- The window design ---

namespace {

using F = TSDialogForm;
constexpr const char* kAboutCaption = "About Zelkon";
constexpr DWORD kStyle =
    WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | DS_MODALFRAME | WS_CLIPCHILDREN;
constexpr DWORD kExStyle = WS_EX_DLGMODALFRAME | WS_EX_APPWINDOW | WS_EX_CONTROLPARENT;
constexpr COLORREF kWhite = RGB(255, 255, 255);

constexpr DWORD kLabel = SS_LEFT | SS_NOPREFIX;
// The label of the control after it: its mnemonic is underlined and moves the focus there.
constexpr DWORD kFieldLabel = SS_LEFT;
constexpr DWORD kBlock = ES_MULTILINE | ES_READONLY;
constexpr DWORD kTextBox = ES_MULTILINE | ES_READONLY | WS_BORDER | WS_VSCROLL | WS_TABSTOP;
constexpr DWORD kEdit = WS_BORDER | ES_AUTOHSCROLL | WS_TABSTOP;
constexpr DWORD kRadioFirst = BS_AUTORADIOBUTTON | WS_GROUP | WS_TABSTOP;
constexpr DWORD kRadio = BS_AUTORADIOBUTTON;
constexpr DWORD kCheck = BS_AUTOCHECKBOX | WS_TABSTOP;
constexpr DWORD kCheckList = LBS_OWNERDRAWFIXED | LBS_HASSTRINGS | LBS_NOTIFY | WS_VSCROLL |
                             WS_BORDER | WS_TABSTOP | LBS_NOINTEGRALHEIGHT;
constexpr DWORD kMemo = ES_MULTILINE | ES_READONLY | WS_BORDER | WS_VSCROLL | WS_TABSTOP;
constexpr const char* kRich = RichEditClass;

// Stacking order is the table's: the picture and title lie over Panel1, the sheet controls
// over Panel0 (both clip their siblings), and the tab order runs through the page, then the
// buttons.
const ControlDef<F> kControls[] = {
    {&F::Image1, ids::Image1, "STATIC", "", 8, 14, 0, 0, SS_BITMAP},
    {&F::Label2, ids::Label2, "STATIC", "", 35, 23, 400, 16, kLabel, 0, 0, true},
    {&F::Panel1, ids::Panel1, "STATIC", "", 8, 14, 123, 260, WS_BORDER | WS_CLIPSIBLINGS},
    {&F::Bevel2, ids::Bevel2, "STATIC", "", 0, 60, 515, 2, SS_ETCHEDHORZ, 0, 0, true},
    {&F::Label21, ids::Label21, "STATIC", " Zelkon ", 16, 300, 52, 13, kLabel | WS_DISABLED},
    {&F::Bevel1, ids::Bevel1, "STATIC", "", 8, 307, 499, 2, SS_ETCHEDHORZ | WS_CLIPSIBLINGS},
    {&F::CompanyUrlLabel, ids::CompanyUrlLabel, "STATIC", "", 21, 336, 220, 13, kLabel | SS_NOTIFY,
     0, 0, true},
    // Welcome
    {&F::RichEdit1, ids::RichEdit1, kRich, "", 8, 8, 354, 259, kBlock, 0, 1},
    // License
    {&F::Label1, ids::Label1, "STATIC", "", 8, 8, 354, 26, kLabel, 0, 2},
    {&F::RichEdit11, ids::RichEdit11, kRich, "", 8, 34, 354, 140, kTextBox, 0, 2},
    {&F::Label3, ids::Label3, "STATIC", "", 8, 176, 354, 46, kLabel, 0, 2},
    {&F::YesRadioButton, ids::YesRadioButton, "BUTTON", "YES - I Accept", 8, 226, 354, 17,
     kRadioFirst, 0, 2},
    {&F::NoRadioButton, ids::NoRadioButton, "BUTTON", "NO  - I Decline", 8, 246, 354, 17, kRadio, 0,
     2},
    // Readme
    {&F::Label10, ids::Label10, "STATIC", "", 8, 8, 354, 26, kLabel | WS_GROUP, 0, 3},
    {&F::RichEdit12, ids::RichEdit12, kRich, "", 8, 36, 354, 229, kTextBox, 0, 3},
    // User information
    {&F::RichEdit9, ids::RichEdit9, kRich, "", 8, 8, 354, 60, kBlock, 0, 4},
    {&F::Label11, ids::Label11, "STATIC", "Name:", 16, 96, 72, 13, kFieldLabel, 0, 4},
    {&F::NameEdit, ids::NameEdit, "EDIT", "", 90, 94, 180, 21, kEdit, 0, 4},
    {&F::Label12, ids::Label12, "STATIC", "Company:", 16, 133, 72, 13, kFieldLabel, 0, 4},
    {&F::CompanyEdit, ids::CompanyEdit, "EDIT", "", 90, 131, 180, 21, kEdit, 0, 4},
    // Destination: the group box's contents above it
    {&F::RichEdit2, ids::RichEdit2, kRich, "", 8, 8, 354, 100, kBlock, 0, 5},
    {&F::BrowseButton, ids::BrowseButton, "BUTTON", "&Browse...", 276, 133, 71, 19, WS_TABSTOP, 0,
     5},
    {&F::TargetDirEdit, ids::TargetDirEdit, "EDIT", "", 18, 156, 329, 21, kEdit, 0, 5},
    {&F::GroupBox1, ids::GroupBox1, "BUTTON", " Destination Directory ", 8, 114, 350, 73,
     BS_GROUPBOX | WS_CLIPSIBLINGS, 0, 5},
    {&F::Label22, ids::Label22, "STATIC", "", 16, 201, 169, 13, kLabel, 0, 5},
    {&F::Label23, ids::Label23, "STATIC", "", 16, 217, 169, 13, kLabel, 0, 5},
    {&F::Label24, ids::Label24, "STATIC", "", 190, 201, 158, 13, kLabel | SS_RIGHT, 0, 5},
    {&F::Label25, ids::Label25, "STATIC", "", 190, 217, 158, 13, kLabel | SS_RIGHT, 0, 5},
    // Setup type: the descriptions end where the prompt does, so right to left mirrors them
    {&F::RichEdit7, ids::RichEdit7, kRich, "", 8, 8, 354, 50, kBlock, 0, 6},
    {&F::TypicalRadioButton, ids::TypicalRadioButton, "BUTTON", "Typical", 8, 64, 94, 17,
     kRadioFirst, 0, 6},
    {&F::CompactRadioButton, ids::CompactRadioButton, "BUTTON", "Compact", 8, 119, 94, 17, kRadio,
     0, 6},
    {&F::CustomRadioButton, ids::CustomRadioButton, "BUTTON", "Custom", 8, 174, 94, 17, kRadio, 0,
     6},
    {&F::Label17, ids::Label17, "STATIC", "", 113, 65, 249, 52, kLabel | WS_GROUP, 0, 6},
    {&F::Label18, ids::Label18, "STATIC", "", 113, 120, 249, 52, kLabel, 0, 6},
    {&F::Label19, ids::Label19, "STATIC", "", 113, 175, 249, 52, kLabel, 0, 6},
    // Components
    {&F::RichEdit8, ids::RichEdit8, kRich, "", 8, 8, 354, 42, kBlock, 0, 7},
    {&F::Label16, ids::Label16, "STATIC", "Components:", 8, 53, 350, 13, kFieldLabel, 0, 7},
    {&F::CheckListBox1, ids::CheckListBox1, "LISTBOX", "", 8, 68, 350, 121, kCheckList, 0, 7},
    {&F::Label20, ids::Label20, "STATIC", "Description:", 8, 197, 350, 13, kFieldLabel, 0, 7},
    {&F::Memo4, ids::Memo4, "EDIT", "", 8, 211, 350, 54, kMemo, 0, 7},
    // Shortcuts
    {&F::RichEdit3, ids::RichEdit3, kRich, "", 8, 8, 354, 100, kBlock, 0, 8},
    {&F::StartMenuCheckBox, ids::StartMenuCheckBox, "BUTTON", "", 24, 112, 330, 17, kCheck, 0, 8},
    {&F::DesktopCheckBox, ids::DesktopCheckBox, "BUTTON", "", 24, 136, 330, 17, kCheck, 0, 8},
    {&F::SendToCheckBox, ids::SendToCheckBox, "BUTTON", "", 24, 160, 330, 17, kCheck, 0, 8},
    {&F::StartUpCheckBox, ids::StartUpCheckBox, "BUTTON", "", 24, 184, 330, 17, kCheck, 0, 8},
    {&F::QuickLaunchCheckBox, ids::QuickLaunchCheckBox, "BUTTON", "", 24, 208, 330, 17, kCheck, 0,
     8},
    {&F::Label9, ids::Label9, "STATIC", "", 8, 232, 350, 13, kFieldLabel, 0, 8},
    {&F::ProgramShortCutEdit, ids::ProgramShortCutEdit, "EDIT", "", 8, 247, 350, 21, kEdit, 0, 8},
    // Confirm
    {&F::RichEdit4, ids::RichEdit4, kRich, "", 8, 8, 354, 54, kBlock, 0, 9},
    {&F::Memo1, ids::Memo1, "EDIT", "", 8, 64, 354, 180, kMemo, 0, 9},
    {&F::Panel4, ids::Panel4, "STATIC", "", 8, 250, 354, 17, kLabel, 0, 9},
    // Copy
    {&F::Label5, ids::Label5, "STATIC", "", 8, 24, 354, 13, kLabel | SS_PATHELLIPSIS, 0, 10},
    {&F::Label7, ids::Label7, "STATIC", "", 8, 42, 354, 13, kLabel | SS_PATHELLIPSIS, 0, 10},
    {&F::ProgressBar1, ids::ProgressBar1, PROGRESS_CLASSA, "", 8, 64, 354, 17, PBS_SMOOTH, 0, 10},
    {&F::ProgressBar2, ids::ProgressBar2, PROGRESS_CLASSA, "", 8, 90, 354, 17, PBS_SMOOTH, 0, 10},
    // Complete: the restart box's choices above it; the text ends where a restart moves the
    // readme box (the launch box's top - 30)
    {&F::RichEdit5, ids::RichEdit5, kRich, "", 8, 8, 354, 82, kBlock, 0, 11},
    {&F::DisplayReadmeCheckBox, ids::DisplayReadmeCheckBox, "BUTTON", "Display Readme", 35, 97, 320,
     17, kCheck, 0, 11},
    {&F::LaunchCheckBox, ids::LaunchCheckBox, "BUTTON", "Launch", 35, 120, 320, 17, kCheck, 0, 11},
    {&F::RadioButton1, ids::RadioButton1, "BUTTON", "Yes, I want to restart my computer now.", 40,
     154, 290, 17, kRadioFirst, 0, 11},
    {&F::RadioButton2, ids::RadioButton2, "BUTTON", "No, I will restart my computer later.", 40,
     173, 290, 17, kRadio, 0, 11},
    {&F::GroupBox2, ids::GroupBox2, "BUTTON", " Restart ", 26, 136, 314, 60, BS_GROUPBOX | WS_GROUP,
     0, 11},
    {&F::RichEdit10, ids::RichEdit10, kRich, "", 8, 236, 354, 32, kBlock, 0, 11},
    // Associate
    {&F::RichEdit6, ids::RichEdit6, kRich, "", 8, 8, 354, 50, kBlock, 0, 12},
    {&F::Label14, ids::Label14, "STATIC", "File Types:", 8, 64, 350, 13, kFieldLabel, 0, 12},
    {&F::CheckListBox2, ids::CheckListBox2, "LISTBOX", "", 8, 80, 350, 145, kCheckList, 0, 12},
    // The page area under the sheets, then the buttons
    {&F::Panel0, ids::Panel0, "STATIC", "", 132, 0, 382, 306, WS_CLIPSIBLINGS},
    {&F::BackButton, ids::BackButton, "BUTTON", "< &Back", 258, 318, 78, 25, WS_TABSTOP | WS_GROUP},
    {&F::NextButton, ids::NextButton, "BUTTON", "&Next >", 336, 318, 78, 25,
     WS_TABSTOP | BS_DEFPUSHBUTTON},
    {&F::CancelButton, ids::CancelButton, "BUTTON", "&Cancel", 428, 318, 78, 25, WS_TABSTOP},
};

// Sheet controls that take the page area's extra width.
const int kStretchIds[] = {ids::RichEdit1,    ids::Label1,       ids::RichEdit11, ids::Label3,
                           ids::Label10,      ids::RichEdit12,   ids::RichEdit9,  ids::RichEdit2,
                           ids::RichEdit7,    ids::RichEdit8,    ids::RichEdit3,  ids::RichEdit4,
                           ids::Memo1,        ids::Panel4,       ids::Label5,     ids::Label7,
                           ids::ProgressBar1, ids::ProgressBar2, ids::RichEdit5,  ids::RichEdit10,
                           ids::RichEdit6};

// The sheet controls with their design boxes and whether the page logic shows them.
struct SheetControl {
    HWND F::*member;
    int sheet;
    Box design;
    bool stretch;
};

std::vector<SheetControl> MakeSheetControls() {
    std::vector<SheetControl> list;
    for (const ControlDef<F>& d : kControls) {
        if (d.page == 0) continue;
        const bool stretch = std::find(std::begin(kStretchIds), std::end(kStretchIds), d.id) !=
                             std::end(kStretchIds);
        list.push_back({d.member, d.page, {d.x, d.y, d.width, d.height}, stretch});
    }
    return list;
}

const std::vector<SheetControl>& SheetControls() {
    static const std::vector<SheetControl> list = MakeSheetControls();
    return list;
}

const SheetControl* FindSheetControl(const F& form, HWND control) {
    for (const SheetControl& c : SheetControls())
        if (form.*c.member == control) return &c;
    return nullptr;
}

// Where a caption may widen its sheet control (sheet design coordinates): the room's edges,
// whether the control is anchored at its right edge (else it grows towards its reading end:
// right, or left in a right-to-left layout), and the description beside it that gives way.
struct CaptionRoom {
    HWND F::*control;
    int left, right;
    bool anchoredRight = false;
    HWND F::*yields = nullptr;
};
constexpr int kPageLeft = 8, kPageRight = SheetDesignWidth - 8;
const CaptionRoom kCaptionRooms[] = {
    {&F::YesRadioButton, kPageLeft, kPageRight},
    {&F::NoRadioButton, kPageLeft, kPageRight},
    {&F::BrowseButton, 16, 350, true}, // inside the group box, right-aligned with the edit
    {&F::TypicalRadioButton, kPageLeft, kPageRight, false, &F::Label17},
    {&F::CompactRadioButton, kPageLeft, kPageRight, false, &F::Label18},
    {&F::CustomRadioButton, kPageLeft, kPageRight, false, &F::Label19},
    {&F::StartMenuCheckBox, kPageLeft, kPageRight},
    {&F::DesktopCheckBox, kPageLeft, kPageRight},
    {&F::SendToCheckBox, kPageLeft, kPageRight},
    {&F::StartUpCheckBox, kPageLeft, kPageRight},
    {&F::QuickLaunchCheckBox, kPageLeft, kPageRight},
    {&F::DisplayReadmeCheckBox, kPageLeft, kPageRight},
    {&F::LaunchCheckBox, kPageLeft, kPageRight},
    {&F::RadioButton1, 34, 332}, // inside the restart group box
    {&F::RadioButton2, 34, 332},
};
constexpr int kDescriptionGap = 8, kLeastDescription = 120;

// The design box of a control of the table (frame controls keep theirs).
Box DesignBoxOf(int id) {
    for (const ControlDef<F>& d : kControls)
        if (d.id == id) return {d.x, d.y, d.width, d.height};
    return {};
}

bool HasVisibleStyle(HWND control) {
    return GetWindowLongPtrA(control, GWL_STYLE) & WS_VISIBLE;
}

char LocaleDecimalSeparator() {
    char sep[8] = {};
    return GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, sep, sizeof sep) > 1 ? sep[0] : '.';
}

Text LocalDateTimeText() {
    char date[64] = {}, time[64] = {};
    GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, nullptr, nullptr, date, sizeof date);
    GetTimeFormatA(LOCALE_USER_DEFAULT, 0, nullptr, nullptr, time, sizeof time);
    return Text(date) + " " + time;
}

InstallationRoutine gInstallationRoutine = nullptr;

constexpr const char* kGroupBoxSlot = "ZkWizardGroupBox";

// A group box paints only its frame; its inside is filled first with the colour around it,
// so nothing of an earlier sheet stays there.
LRESULT CALLBACK GroupBoxProc(HWND box, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_PAINT) {
        RECT client;
        GetClientRect(box, &client);
        HDC dc = GetDC(box);
        // The controls standing in the box are its siblings above it: left as they are.
        for (HWND above = GetWindow(box, GW_HWNDPREV); above;
             above = GetWindow(above, GW_HWNDPREV)) {
            if (!IsWindowVisible(above)) continue;
            RECT r;
            GetWindowRect(above, &r);
            MapWindowPoints(HWND_DESKTOP, box, reinterpret_cast<POINT*>(&r), 2);
            ExcludeClipRect(dc, r.left, r.top, r.right, r.bottom);
        }
        const auto brush = reinterpret_cast<HBRUSH>(SendMessageA(GetParent(box), WM_CTLCOLORSTATIC,
                                                                 reinterpret_cast<WPARAM>(dc),
                                                                 reinterpret_cast<LPARAM>(box)));
        FillRect(dc, &client, brush ? brush : GetSysColorBrush(COLOR_BTNFACE));
        ReleaseDC(box, dc);
    }
    return CallPreviousProc(box, kGroupBoxSlot, msg, wp, lp);
}

} // namespace

void SetInstallationRoutine(InstallationRoutine routine) {
    gInstallationRoutine = routine;
}

InstallationRoutine InstallationRoutineOverride() {
    return gInstallationRoutine;
}

TSDialogForm::TSDialogForm() = default;

TSDialogForm::~TSDialogForm() {
    SetExecHostCallbacks(nullptr, nullptr);
    SetBusyChangedHook({});
}

bool TSDialogForm::Make(HWND owner) {
    static const HMODULE richEdit = LoadSystemLibrary(RichEditLibrary); // for the whole run
    (void)richEdit;
    RECT r{0, 0, WizardClientWidth, WizardClientHeight};
    AdjustWindowRectEx(&r, kStyle, FALSE, kExStyle);
    return Create({ids::WizardClass}, owner, "Setup", kStyle, kExStyle, 0, 0, r.right - r.left,
                  r.bottom - r.top);
}

void TSDialogForm::FormCreate() {
    if (HasMusicPlayer()) StopMusic(500); // with none, the stop would only pause 200 ms
    CopyBarWindow.reset();
    HiddenPlacement = Busy = CopyRunning = RestartNeeded = false;
    ShortcutsFirstShow = FirstShow = true;
    targetDirShown_ = false;
    hiddenControls_.clear();
    designMoves_.clear();
    CreateControls(*this, kControls);
    FontDesc font{"Tahoma", -11};
    font.charset = GetLangCharset();
    SetFormFont(SharedFont(font));
    ChangeControlFont(NextButton, [](FontDesc& d) { d.weight = FW_BOLD; });
    ChangeControlFont(Label2, [](FontDesc& d) { d.weight = FW_BOLD; });
    ChangeControlFont(Panel4, [](FontDesc& d) { d.weight = FW_BOLD; });
    ChangeControlFont(CompanyUrlLabel, [](FontDesc& d) { d.underline = true; });
    SendMessageA(Label21, WM_SETFONT,
                 reinterpret_cast<WPARAM>(SharedFont({"MS Sans Serif", -11, FW_BOLD})), FALSE);
    whiteBrush_.reset(CreateSolidBrush(kWhite));
    UninstallLines.clear();
    ComFiles.clear();
    FontFiles.clear();
    SetupLogLinesCopy = SetupLogLines();
    StartMenuLinkName.clear();
    DesktopLinkName.clear();
    SendToLinkName.clear();
    StartUpLinkName.clear();
    QuickLaunchLinkName.clear();
    SourceDirList.clear();
    StagesRun.clear();
    SetWindowTextTo(Label5, "");
    SetWindowTextTo(Label7, "");
    SetSheetControlVisible(GroupBox2, false);
    SetSheetControlVisible(RadioButton1, false);
    SetSheetControlVisible(RadioButton2, false);
    SendMessageA(NoRadioButton, BM_SETCHECK, BST_CHECKED, 0);
    SendMessageA(TypicalRadioButton, BM_SETCHECK, BST_CHECKED, 0);
    for (HWND list : {CheckListBox1, CheckListBox2}) SendMessageA(list, LB_SETITEMHEIGHT, 0, 16);
    for (HWND box : {GroupBox1, GroupBox2}) SubclassControl(box, kGroupBoxSlot, GroupBoxProc);
    HookFocusUnderline(Handle());
    CreateFixedSlider();
    StartTimer(SliderTimer, 100);
    LayoutClassic();
    // Every step that pumps checks the user's exit after its pumps.
    SetStopRequestTest(zk::GetAbortRequested);
    SetBusyChangedHook([this](bool busy) { BusyChanged(busy); });
}

bool TSDialogForm::IsBusy() const {
    return Busy || PumpScope::Active();
}

// The buttons follow the page again once no step pumps; a focus on what went away moves on.
void TSDialogForm::BusyChanged(bool busy) {
    if (!Exists()) return;
    ApplyButtonStates();
    if (!busy) KeepFocusUsable();
}

void TSDialogForm::SetSheetControlVisible(HWND control, bool visible) {
    auto it = std::find(hiddenControls_.begin(), hiddenControls_.end(), control);
    if (visible && it != hiddenControls_.end()) hiddenControls_.erase(it);
    if (!visible && it == hiddenControls_.end()) hiddenControls_.push_back(control);
    for (const SheetControl& c : SheetControls())
        if (this->*c.member == control) {
            ShowWindow(control, visible && c.sheet == activeSheet_ ? SW_SHOW : SW_HIDE);
            return;
        }
    ShowWindow(control, visible ? SW_SHOW : SW_HIDE);
}

bool TSDialogForm::IsSheetControlVisible(HWND control) const {
    return std::find(hiddenControls_.begin(), hiddenControls_.end(), control) ==
           hiddenControls_.end();
}

void TSDialogForm::ShowSheet(int sheet) {
    activeSheet_ = sheet;
    for (const SheetControl& c : SheetControls()) {
        HWND h = this->*c.member;
        ShowWindow(h, c.sheet == sheet && IsSheetControlVisible(h) ? SW_SHOW : SW_HIDE);
    }
    RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

Box TSDialogForm::SheetDesignBox(HWND control) const {
    for (const auto& [moved, box] : designMoves_)
        if (moved == control) return box;
    for (const SheetControl& c : SheetControls())
        if (this->*c.member == control) return c.design;
    return {};
}

void TSDialogForm::MoveSheetControl(HWND control, int left, int top) {
    Box design = SheetDesignBox(control);
    design.left = left;
    design.top = top;
    auto it = std::find_if(designMoves_.begin(), designMoves_.end(),
                           [control](const auto& m) { return m.first == control; });
    if (it != designMoves_.end())
        it->second = design;
    else
        designMoves_.push_back({control, design});
    for (const SheetControl& c : SheetControls())
        if (this->*c.member == control)
            SetControlBox(control, SheetControlBox(design, pageArea_, c.stretch));
}

bool TSDialogForm::IsPageAreaControl(HWND control) const {
    if (control == Panel0) return true;
    for (const SheetControl& c : SheetControls())
        if (this->*c.member == control) return true;
    return false;
}

// --- Script ---

bool TSDialogForm::IsModernStyle() const {
    return Script && Script->GetDialogStyleModern();
}

bool TSDialogForm::IsSilentSetup() const {
    return Script && Script->GetSilentSetup();
}

void TSDialogForm::SetRunTimeDirs() {
    SetRunTimeDirDefs(Script->GetRunTimeDir1(), Script->GetRunTimeDir2(), Script->GetRunTimeDir3());
}

void TSDialogForm::InitFromScript() {
    SetRunTimeDirs();
    ExtensionBinding = std::make_unique<TExecDll>(Handle());
    const Text dllName = Script->GetExecutionDllName();
    if (!IsPlainDllName(dllName))
        TraceLine(ExpandEscapes(DllNotFoundText(dllName)) + " (refused: not a plain file name)");
    else if (!dllName.empty())
        ExtensionBinding->LoadDllAliases(GetSourceDirPath(true) + dllName, false, false);
    WriteSetupLogHeader();
    FillPageTexts(0);
    ShowTargetDir();
    SetWindowTextTo(ProgramShortCutEdit, Script->GetStartProgramLinkFolder());
    InitLinkNames();
    InitUserFields();
    InitSetupTypeButtons();
    FillComponentSelection(*Script, Components); // once: the user's choices stay from here on
    FillComponentList();
    FillAssociationList();
}

void TSDialogForm::ShowTargetDir() {
    const Text override = GetApplicationFolderOverride();
    SetWindowTextTo(TargetDirEdit,
                    override.empty() ? ExpandFolderMacros(Script->GetTargetDir(), "\\") : override);
    // The folder that will be used, not one the user could type in vain.
    SendMessageA(TargetDirEdit, EM_SETREADONLY, override.empty() ? FALSE : TRUE, 0);
    EnableWindow(BrowseButton, override.empty());
}

void TSDialogForm::InitLinkNames() {
    struct Link {
        Text (TScript::*setting)() const;
        Text F::*name;
        HWND F::*box;
    };
    static const Link links[] = {
        {&TScript::GetStartMenuLinkName, &F::StartMenuLinkName, &F::StartMenuCheckBox},
        {&TScript::GetDesktopLinkName, &F::DesktopLinkName, &F::DesktopCheckBox},
        {&TScript::GetSendToLinkName, &F::SendToLinkName, &F::SendToCheckBox},
        {&TScript::GetStartupLinkName, &F::StartUpLinkName, &F::StartUpCheckBox},
        {&TScript::GetQuickLaunchLinkName, &F::QuickLaunchLinkName, &F::QuickLaunchCheckBox},
    };
    for (const Link& link : links) {
        Text name = (Script->*link.setting)();
        if (!name.empty() && name[0] == '^') {
            SendMessageA(this->*link.box, BM_SETCHECK, BST_CHECKED, 0);
            name.erase(0, 1);
        }
        this->*link.name = name;
    }
}

void TSDialogForm::InitUserFields() {
    SetWindowTextTo(NameEdit, "");
    SetWindowTextTo(CompanyEdit, "");
    const bool name = Script->GetRequestUserName(), company = Script->GetRequestCompanyName();
    SetSheetControlVisible(NameEdit, name);
    SetSheetControlVisible(Label11, name);
    if (name) SetWindowTextTo(NameEdit, GetRegisteredOwner());
    SetSheetControlVisible(CompanyEdit, company);
    SetSheetControlVisible(Label12, company);
    if (company) SetWindowTextTo(CompanyEdit, GetRegisteredOrganization());
    if (!name) // the company row moves up to the first row
        for (HWND h : {CompanyEdit, Label12})
            MoveSheetControl(h, SheetDesignBox(h).left,
                             SheetDesignBox(h == CompanyEdit ? NameEdit : Label11).top);
}

// --- Show ---

void TSDialogForm::ShowWizard() {
    if (FirstShow)
        FormShow();
    else
        SetExecHostCallbacks([this](const Text& a, const Text& b, const Text& c,
                                    const Text& d) { return DllSetValue(a, b, c, d); },
                             [this](const Text& name) { return DllGetValue(name); });
    ShowWindow(Handle(), SW_SHOW);
    SetForegroundWindow(Handle());
    if (IsWindowEnabled(NextButton)) SetFocus(NextButton);
}

void TSDialogForm::FormShow() {
    SetExecHostCallbacks([this](const Text& a, const Text& b, const Text& c,
                                const Text& d) { return DllSetValue(a, b, c, d); },
                         [this](const Text& name) { return DllGetValue(name); });
    if (!FirstShow) return;
    FirstShow = false;
    SetDialogLocation();
    SetSpaceRequired(Script->GetSpaceReqOnDrive(), 2, LocaleDecimalSeparator());
    SetSheetControlVisible(ProgressBar2, Script->GetShowProgBar2());
    ShowCompanyUrlLabel();
    Script->SetPageIndex(0);
    if (IsSilentSetup()) Script->SelectPage("CopyFilesDlg");
    if (IsSilentSetup() && Script->GetAddBillboard()) {
        Box box = ControlBox(Handle());
        SetControlBox(Handle(), {-30, box.top, 20, box.height});
    }
    ShowCurrentPage();
}

// --- Placement ---

void TSDialogForm::PlaceWindowByLocation(HWND window, const Text& location) const {
    RECT area{};
    if (BackgroundWindow && IsWindow(BackgroundWindow)) {
        GetClientRect(BackgroundWindow, &area);
        MapWindowPoints(BackgroundWindow, HWND_DESKTOP, reinterpret_cast<POINT*>(&area), 2);
    } else {
        SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
    }
    const Box box = ControlBox(window);
    const int freeWidth = area.right - area.left - box.width;
    const int freeHeight = area.bottom - area.top - box.height;
    const int dx = StrToIntDef(ListItem(location, 1), 0);
    const int dy = StrToIntDef(ListItem(location, 2), 0);
    const Text name = window == Handle() && HiddenPlacement ? Text("Hide") : ListItem(location, 0);
    PlaceControl(window, name, freeHeight, 0, area.top + dy, area.left + dx, freeWidth);
}

void TSDialogForm::SetDialogLocation() {
    PlaceWindowByLocation(Handle(), Script->GetDialogLocation());
}

void TSDialogForm::SetSliderLocation(HWND slider) const {
    PlaceWindowByLocation(slider, Script->GetBgWaveLocation());
}

// --- Layouts ---

void TSDialogForm::PlacePageArea(int left, int top, int width, int height) {
    const Box area{left, top, width, height};
    pageArea_ = area;
    SetControlBox(Panel0, area);
    for (const SheetControl& c : SheetControls())
        SetControlBox(this->*c.member,
                      SheetControlBox(SheetDesignBox(this->*c.member), area, c.stretch));
    RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void TSDialogForm::LayoutClassic() {
    pageAreaWhite_ = false;
    ShowWindow(Label21, SW_SHOW);
    ShowWindow(Label2, SW_HIDE);
    ShowWindow(Bevel2, SW_HIDE);
    SetWindowTextTo(Panel1, "");
    const Box area = ClassicPageArea(WizardClientWidth);
    PlacePageArea(area.left, area.top, area.width, area.height);
    const bool frame = Script && Script->GetDialogBitmap3DFrame();
    SetWindowLongPtrA(Panel1, GWL_STYLE,
                      (GetWindowLongPtrA(Panel1, GWL_STYLE) & ~WS_BORDER) |
                          (frame ? WS_BORDER : 0));
    SetControlBox(Panel1, {8, 14, 123, 260});
    const Box image = ControlBox(Image1);
    SetControlBox(Image1, {8 + (frame ? 1 : 0), 14 + (frame ? 1 : 0), image.width, image.height});
    SetWindowPos(Panel1, nullptr, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_FRAMECHANGED);
}

void TSDialogForm::StretchBevels() {
    const Box b1 = ControlBox(Bevel1), b2 = ControlBox(Bevel2);
    SetControlBox(Bevel1, {-1, b1.top, WizardClientWidth + 2, b1.height});
    SetControlBox(Bevel2, {-1, b2.top, WizardClientWidth + 2, b2.height});
    SetWindowLongPtrA(Panel1, GWL_STYLE, GetWindowLongPtrA(Panel1, GWL_STYLE) & ~WS_BORDER);
    SetWindowPos(Panel1, nullptr, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_FRAMECHANGED);
    SetWindowTextTo(Panel1, "");
}

void TSDialogForm::LayoutModernBigPicture() {
    StretchBevels();
    ShowWindow(Label21, SW_HIDE);
    ShowWindow(Label2, SW_HIDE);
    ShowWindow(Bevel2, SW_HIDE);
    const Box image = ControlBox(Image1);
    const int width = BigPicturePanelWidth(pageBitmap_ ? image.width : 0);
    SetControlBox(Panel1, {0, 0, width, Bevel1Top});
    const Box placed = CenteredImage(width, Bevel1Top, image.width, image.height);
    SetControlBox(Image1, placed);
    pageAreaWhite_ = true;
    const Box area = BigPicturePageArea(WizardClientWidth, width);
    PlacePageArea(area.left, area.top, area.width, area.height);
    headerWhite_ = false;
}

void TSDialogForm::LayoutModernHeader() {
    StretchBevels();
    ShowWindow(Label21, SW_SHOW);
    ShowWindow(Label2, SW_SHOW);
    SetControlBox(Panel1, {0, 0, WizardClientWidth, HeaderHeight});
    const Box b2 = ControlBox(Bevel2);
    SetControlBox(Bevel2, {b2.left, HeaderHeight, b2.width, Bevel2Height});
    ShowWindow(Bevel2, SW_SHOW);
    const Box image = ControlBox(Image1);
    SetControlBox(Image1, HeaderImage(WizardClientWidth, image.width, image.height));
    SetControlBox(Label2, {35, 23, std::max(0, WizardClientWidth - 35 - image.width - 20), 16});
    pageAreaWhite_ = false;
    headerWhite_ = true;
    const Box area = ModernHeaderPageArea(WizardClientWidth);
    PlacePageArea(area.left, area.top, area.width, area.height);
}

// --- Captions wider than their controls ---

Box TSDialogForm::PlacedSheetBox(HWND control) const {
    const SheetControl* c = FindSheetControl(*this, control);
    return c ? SheetControlBox(SheetDesignBox(control), pageArea_, c->stretch)
             : ControlBox(control);
}

void TSDialogForm::FitCaptions() {
    FitSheetCaptions();
    FitFrameButtons();
}

// From the boxes the layout gave, so fitting again changes nothing. The setup type buttons
// share the widest caption's width: their descriptions start in one column.
void TSDialogForm::FitSheetCaptions() {
    const bool rtl = IsRtlCharset(GetLangCharset());
    auto onPage = [this](HWND control) {
        const SheetControl* c = FindSheetControl(*this, control);
        return c && c->sheet == activeSheet_ && IsSheetControlVisible(control);
    };
    int column = 0;
    for (const CaptionRoom& r : kCaptionRooms)
        if (r.yields && onPage(this->*r.control))
            column = std::max(column, CaptionWidth(this->*r.control));
    for (const CaptionRoom& r : kCaptionRooms) {
        const HWND control = this->*r.control;
        if (!onPage(control)) continue;
        const bool growLeft = r.anchoredRight || rtl;
        // The page's own edge follows the layout's page area; a group box's does not.
        int limit =
            pageArea_.left +
            (growLeft ? r.left
                      : r.right + (r.right == kPageRight ? pageArea_.width - SheetDesignWidth : 0));
        Box description;
        if (r.yields) {
            description = PlacedSheetBox(this->*r.yields);
            limit = growLeft
                        ? std::max(limit, description.left + kLeastDescription + kDescriptionGap)
                        : std::min(limit, description.left + description.width - kLeastDescription -
                                              kDescriptionGap);
        }
        const Box placed = PlacedSheetBox(control);
        const Box fitted =
            WidenTowards(placed, r.yields ? column : CaptionWidth(control), limit, growLeft);
        if (!(fitted == ControlBox(control))) SetControlBox(control, fitted);
        if (!r.yields || fitted == placed) continue;
        const int right = description.left + description.width;
        if (growLeft)
            description.width = std::min(right, fitted.left - kDescriptionGap) - description.left;
        else {
            description.left =
                std::max(description.left, fitted.left + fitted.width + kDescriptionGap);
            description.width = right - description.left;
        }
        SetControlBox(this->*r.yields, description);
    }
}

// Back, Next and Cancel keep their right edge and gaps; a longer caption pushes the buttons to
// its left, as far as the end of the company link's text, which gives up its empty rest.
void TSDialogForm::FitFrameButtons() {
    std::vector<HWND> row;
    std::vector<Box> design;
    for (HWND F::*button : {&F::BackButton, &F::NextButton, &F::CancelButton}) {
        if (!HasVisibleStyle(this->*button)) continue;
        row.push_back(this->*button);
        design.push_back(DesignBoxOf(GetDlgCtrlID(this->*button)));
    }
    FitButtonRowBesideLabel(row, design, CompanyUrlLabel, DesignBoxOf(ids::CompanyUrlLabel).width);
}

// --- Company link ---

void TSDialogForm::ShowCompanyUrlLabel() {
    const Box back = ControlBox(BackButton), label = ControlBox(CompanyUrlLabel);
    SetControlBox(CompanyUrlLabel, {label.left, back.top + 3, label.width, label.height});
    companyHint_ = Script->GetCompanyUrl();
    SetWindowTextTo(CompanyUrlLabel, companyHint_);
    ShowCompanyHint();
    ShowWindow(CompanyUrlLabel, SW_SHOW);
}

// The label's hint: a tool tip with the address.
void TSDialogForm::ShowCompanyHint() {
    if (!hintWindow_)
        hintWindow_ =
            CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_NOPREFIX, 0, 0,
                            0, 0, Handle(), nullptr, GetModuleHandleA(nullptr), nullptr);
    TOOLINFOA tip{};
    tip.cbSize = TTTOOLINFOA_V1_SIZE;
    tip.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tip.hwnd = Handle();
    tip.uId = reinterpret_cast<UINT_PTR>(CompanyUrlLabel);
    tip.lpszText = companyHint_.data();
    SendMessageA(hintWindow_, TTM_DELTOOLA, 0, reinterpret_cast<LPARAM>(&tip));
    if (!companyHint_.empty())
        SendMessageA(hintWindow_, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tip));
}

void TSDialogForm::CompanyUrlLabelClick() {
    if (TextEquals(companyHint_, kAboutCaption))
        ShowAboutBox(Handle(), Script->GetProgName(), 0, 0);
    else if (!companyHint_.empty())
        ShellOpen(companyHint_, "", SW_SHOW);
}

// --- Folders and names ---

Text TSDialogForm::GetTargetDir(bool withBackslash) const {
    const Text override = GetApplicationFolderOverride();
    return FixSlash(override.empty() ? WindowText(TargetDirEdit) : override, withBackslash);
}

Text TSDialogForm::GetCommonDir(bool withBackslash) const {
    const Text override = GetCommonFolderOverride();
    return FixSlash(override.empty() ? ExpandFolderMacros(Script->GetCommonDir(), "\\") : override,
                    withBackslash);
}

Text TSDialogForm::GetAuxiliaryDir(bool withBackslash) const {
    const Text override = GetAuxiliaryFolderOverride();
    return FixSlash(override.empty() ? ExpandFolderMacros(Script->GetAuxDir(), "\\") : override,
                    withBackslash);
}

Text TSDialogForm::GetProgramGroup() const {
    return WindowText(ProgramShortCutEdit);
}

bool TSDialogForm::HasOptionalLinks() const {
    return !(StartMenuLinkName.empty() && DesktopLinkName.empty() && SendToLinkName.empty() &&
             StartUpLinkName.empty() && QuickLaunchLinkName.empty());
}

// --- Host callbacks ---

bool TSDialogForm::DllSetValue(const Text& action, const Text& arg1, const Text& arg2,
                               const Text&) {
    if (TextEquals(action, "SetFolderTo")) {
        static const struct {
            const char* kind;
            void (*set)(const Text&);
        } folders[] = {{"Application Folder", SetApplicationFolderOverride},
                       {"Common Folder", SetCommonFolderOverride},
                       {"Auxiliary Folder", SetAuxiliaryFolderOverride}};
        for (const auto& f : folders)
            if (TextEquals(arg1, f.kind)) {
                f.set(arg2);
                if (f.set == SetApplicationFolderOverride) ShowTargetDir();
                return true;
            }
        return false;
    }
    if (TextEquals(action, "SetStupType")) {
        static const struct {
            const char* name;
            HWND F::*button;
        } types[] = {{"Typical", &F::TypicalRadioButton},
                     {"Complete", &F::TypicalRadioButton},
                     {"Compact", &F::CompactRadioButton},
                     {"Partial", &F::CompactRadioButton},
                     {"Custom", &F::CustomRadioButton}};
        for (const auto& t : types)
            if (TextEquals(arg1, t.name)) {
                for (HWND b : {TypicalRadioButton, CompactRadioButton, CustomRadioButton})
                    SendMessageA(b, BM_SETCHECK, b == this->*t.button ? BST_CHECKED : BST_UNCHECKED,
                                 0);
                return true;
            }
        return false;
    }
    return false;
}

Text TSDialogForm::DllGetValue(const Text& name) {
    if (TextEquals(name, "UserName")) return WindowText(NameEdit);
    if (TextEquals(name, "CompanyName")) return WindowText(CompanyEdit);
    if (TextEquals(name, "GroupNameString")) return GetGroupNames();
    if (TextEquals(name, "SetupType")) return GetSetupTypeName();
    return {};
}

// --- Setup.log ---

Text TSDialogForm::GetSetupLogPath() const {
    return GetTargetDir(true) + GetSetupLogName(false);
}

void TSDialogForm::AddSetupLogLine(const char* markup, const Text& data) {
    if (!Script || !Script->GetCreateSetupLog()) return;
    SetupLogLinesCopy.Add(markup, data);
    if (!GetTargetDir(false).empty() && !logWithdrawn_) WriteSetupLogFile();
}

bool TSDialogForm::SetupLogExistedBefore() const {
    const Text path = GetSetupLogPath();
    if (TextEquals(path, logPath_)) return !logCreated_;
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

void TSDialogForm::WithdrawSetupLog() {
    TakeBackSetupLog();
    logWithdrawn_ = true;
}

namespace {

bool WriteAt(HANDLE file, unsigned long long offset, const Text& bytes) {
    LARGE_INTEGER at;
    at.QuadPart = static_cast<LONGLONG>(offset);
    DWORD written = 0;
    // A continued line is the old one and more, so the file never has to shrink.
    return SetFilePointerEx(file, at, nullptr, FILE_BEGIN) &&
           WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
           written == bytes.size();
}

// The last byte of a file of `size` bytes; '\n' for an empty or unreadable one.
char LastByteOf(const Text& path, unsigned long long size) {
    if (size == 0) return '\n';
    UniqueFile file(CreateFileA(path.c_str(), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER at;
    at.QuadPart = static_cast<LONGLONG>(size - 1);
    char c = '\n';
    DWORD read = 0;
    if (file && SetFilePointerEx(file.get(), at, nullptr, FILE_BEGIN))
        ReadFile(file.get(), &c, 1, &read, nullptr);
    return read == 1 ? c : '\n';
}

} // namespace

// What this run wrote into a folder it no longer logs to goes again: a file it made is
// removed, one that was there is cut back to its own bytes.
void TSDialogForm::TakeBackSetupLog() {
    logFile_.reset();
    if (logPath_.empty()) return;
    if (logCreated_) {
        DeleteFileA(logPath_.c_str());
    } else {
        UniqueFile file(CreateFileA(logPath_.c_str(), GENERIC_WRITE,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        LARGE_INTEGER at;
        at.QuadPart = static_cast<LONGLONG>(logOriginalSize_);
        if (file && SetFilePointerEx(file.get(), at, nullptr, FILE_BEGIN)) SetEndOfFile(file.get());
    }
    logPath_.clear();
}

// The file grows by the new line, or its last line is written again when continued; a new
// path (the target folder changed) gets the whole working copy after the file's own bytes,
// and the old path gets its file back as it was.
void TSDialogForm::WriteSetupLogFile() {
    const Text path = GetSetupLogPath();
    if (!TextEquals(path, logPath_)) {
        TakeBackSetupLog();
        logPath_ = path;
        logLead_.clear();
        logOriginalSize_ = 0;
        WIN32_FILE_ATTRIBUTE_DATA data;
        logCreated_ = !GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data);
        if (!logCreated_) {
            logOriginalSize_ =
                (static_cast<unsigned long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
            if (LastByteOf(path, logOriginalSize_) != '\n') logLead_ = "\r\n";
        }
    }
    const Text last = SetupLogLinesCopy.Lines().back() + "\r\n";
    bool ok;
    if (!logFile_) {
        logFile_.reset(CreateFileA(path.c_str(), GENERIC_WRITE,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                   OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        const Text all = logLead_ + SetupLogLinesCopy.Bytes();
        ok = logFile_ && WriteAt(logFile_.get(), logOriginalSize_, all);
        logSize_ = logOriginalSize_ + all.size();
        logLastLineStart_ = logSize_ - last.size();
    } else {
        const unsigned long long at =
            SetupLogLinesCopy.LastContinued() ? logLastLineStart_ : logSize_;
        ok = WriteAt(logFile_.get(), at, last);
        logLastLineStart_ = at;
        logSize_ = at + last.size();
    }
    if (ok) return;
    // The next line writes the whole copy again.
    TraceLine("Setup.log not written: " + path + " (error " + IntToStr(GetLastError()) + ")");
    logFile_.reset();
}

void TSDialogForm::WriteSetupLogHeader() {
    AddSetupLogLine("Setup Log of: ", Script->GetProgName());
    AddSetupLogLine("Version: ", Script->GetProgVersion());
    AddSetupLogLine("");
    AddSetupLogLine("Date: ", LocalDateTimeText());
    AddSetupLogLine("Operating System: ", GetWindowsVersionText());
    AddSetupLogLine("Composer Version: ", Script->GetComposerBuild());
    AddSetupLogLine("");
    AddSetupLogLine("WinTempDir: ", GetTempDir(false));
    AddSetupLogLine("SourceDir:  ", GetSourceDirPath(false));
    AddSetupLogLine("");
}

// --- Developer aid (DVR): copies the engine's temporary folder aside ---

namespace {

constexpr const char* kDevKey = "HKEY_CURRENT_USER\\Software\\Morvane\\Zelkon";
constexpr const char* kDevValue = "CopyAllSetupFilesFromTempDir";

void CreateFolderWithParents(const Text& folder) {
    for (size_t at = NextCharOf(folder, "\\", 3); at != Text::npos;
         at = NextCharOf(folder, "\\", at + 1))
        CreateDirectoryA(folder.substr(0, at).c_str(), nullptr);
    CreateDirectoryA(folder.c_str(), nullptr);
}

} // namespace

void TSDialogForm::FormClick() {
    if (IsDevSwitchDVR()) DebugCopyTempDir();
}

void TSDialogForm::DebugCopyTempDirOnClose() {
    if (!IsDevSwitchDVR() || RegPathReadString(kDevKey, kDevValue, "0") != "1") return;
    RegPathDeleteValue(kDevKey, kDevValue);
    DebugCopyTempDir();
}

void TSDialogForm::DebugCopyTempDir() {
    std::ostream& out = DebugStream();
    const Text source = GetSourceDirPath(false);
    if (Pos("SETUP_", source) == 0) {
        out << "\r\n" << source << "\r\nNot a SETUP_NNNNN directory!\r\n" << std::flush;
        return;
    }
    const Text target = source + "_XXX";
    CreateFolderWithParents(target);
    const Text names = ListFiles(source + "\\*.*", true);
    for (int i = 0, n = ListCount(names); i < n; ++i) {
        const Text name = ListItem(names, i);
        out << name << "\r\n";
        CopyFileA((source + "\\" + name).c_str(),
                  (target + "\\" + StripFileNumberPrefix(name)).c_str(), FALSE);
    }
    out << "TargetDir = " << target << "\r\n" << std::flush;
}

// --- Close protocol ---

// Asked at once; while a step pumps, the step sees the abort after its pump and winds down,
// and the window closes once it has returned.
bool TSDialogForm::FormCloseQuery() {
    if (IsExitDialogShowing()) return false; // the question on screen answers this request too
    bool mayClose = ConfirmExitSetup(Handle());
    SetAbortRequested(mayClose);
    if (mayClose && IsBusy()) {
        mayClose = false;
        StartTimer(StopTimer, 100);
    }
    return mayClose;
}

// A confirmed exit is never lost: the timer keeps coming until no step is busy, then closes
// without a question.
void TSDialogForm::StopTimerTimer() {
    if (IsBusy()) return;
    KillTimer(Handle(), StopTimer);
    Close();
}

void TSDialogForm::FormClose() {
    FreeCopyBar();
    VolumeWindow.reset();
    for (UINT_PTR t : {SliderTimer, SpaceReqTimer, CopyFilesTimer, StopTimer})
        KillTimer(Handle(), t);
    SetExecHostCallbacks(nullptr, nullptr);
    UninstallLines.clear();
    ComFiles.clear();
    FontFiles.clear();
    logFile_.reset();
    DebugCopyTempDirOnClose();
    if (BackgroundWindow && IsWindow(BackgroundWindow) && !IsBackgroundClosing())
        PostMessageA(BackgroundWindow, WM_CLOSE, 0, 0);
}

void TSDialogForm::CloseWizard() {
    SetExitConfirmed(true);
    Close();
}

// --- Messages ---

void TSDialogForm::Command(int id, int code, HWND) {
    static const CommandRoute<F> routes[] = {
        {ids::NextButton, BN_CLICKED, &F::NextButtonClick},
        {ids::BackButton, BN_CLICKED, &F::BackButtonClick},
        {ids::CancelButton, BN_CLICKED, &F::CancelButtonClick},
        {IDCANCEL, BN_CLICKED, &F::CancelButtonClick},
        {ids::YesRadioButton, BN_CLICKED, &F::YesRadioButtonClick},
        {ids::NoRadioButton, BN_CLICKED, &F::YesRadioButtonClick},
        {ids::CompanyUrlLabel, STN_CLICKED, &F::CompanyUrlLabelClick},
        {ids::CheckListBox1, LBN_SELCHANGE, &F::CheckListBox1Click},
        {ids::CheckListBox1, CheckListToggled, &F::CheckListBox1Toggled},
        {ids::TargetDirEdit, EN_CHANGE, &F::TargetDirEditChange},
        {ids::BrowseButton, BN_CLICKED, &F::BrowseButtonClick},
    };
    // Escape on the Complete page is Finish: Cancel and its question are gone there.
    if (id == IDCANCEL && OnCompletePage()) id = ids::NextButton;
    // One click, one step: what starts a step does nothing while one pumps (the second click
    // of a double click lands there) or on a disabled button (Enter on a disabled Next).
    const bool startsStep = id == ids::NextButton || id == ids::BackButton ||
                            id == ids::BrowseButton || id == ids::CompanyUrlLabel;
    if (startsStep && (PumpScope::Active() || !IsWindowEnabled(GetDlgItem(Handle(), id)))) return;
    Route(*this, routes, id, code);
}

void TSDialogForm::Timer(UINT_PTR id) {
    static const TimerRoute<F> routes[] = {
        {StopTimer, &F::StopTimerTimer},
        {CopyFilesTimer, &F::CopyFilesTimerTimer},
        {SpaceReqTimer, &F::SpaceReqTimerTimer},
        {SliderTimer, &F::SliderTimerTimer},
    };
    Route(*this, routes, id);
}

bool TSDialogForm::Message(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    switch (msg) {
    case WM_ERASEBKGND:
        EraseBackground(reinterpret_cast<HDC>(wp));
        result = 1;
        return true;
    case WM_LBUTTONDOWN: // on the form itself, not on a control
        FormClick();
        return false;
    // As in a dialog: the focus comes back to the control that had it (a box closing gives
    // the focus to the window itself).
    case WM_ACTIVATE:
        if (LOWORD(wp) == WA_INACTIVE) {
            HWND focus = GetFocus();
            if (focus && IsChild(Handle(), focus)) lastFocus_ = focus;
        }
        return false;
    case WM_SETFOCUS:
        if (!lastFocus_ || !IsChild(Handle(), lastFocus_) || !IsWindowVisible(lastFocus_) ||
            !IsWindowEnabled(lastFocus_))
            return false;
        SetFocus(lastFocus_);
        result = 0;
        return true;
    // The dialog keys give a label's mnemonic as "focus the label, then the next control".
    case WM_NEXTDLGCTL: {
        HWND to = LOWORD(lp) ? reinterpret_cast<HWND>(wp)
                             : GetNextDlgTabItem(Handle(), GetFocus(), wp != 0);
        if (to && IsChild(Handle(), to)) SetFocus(to);
        result = 0;
        return true;
    }
    case DM_GETDEFID: // Enter presses Next
        result = MAKELRESULT(ids::NextButton, DC_HASDEFID);
        return true;
    case WM_SETCURSOR:
        if (reinterpret_cast<HWND>(wp) != CompanyUrlLabel) return false;
        SetCursor(LoadCursorA(nullptr, IDC_HAND));
        result = TRUE;
        return true;
    case WM_CTLCOLORSTATIC: {
        const auto control = reinterpret_cast<HWND>(lp);
        const auto dc = reinterpret_cast<HDC>(wp);
        if (control == CompanyUrlLabel) {
            SetTextColor(dc, RGB(0, 0, 255));
            SetBkMode(dc, TRANSPARENT);
            result = reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
            return true;
        }
        const bool white = ((control == Panel1 || control == Label2) && headerWhite_) ||
                           (pageAreaWhite_ && IsPageAreaControl(control));
        if (!white) return false;
        SetBkColor(dc, kWhite);
        result = reinterpret_cast<LRESULT>(whiteBrush_.get());
        return true;
    }
    case WM_DRAWITEM: {
        const auto& item = *reinterpret_cast<const DRAWITEMSTRUCT*>(lp);
        if (item.CtlType != ODT_LISTBOX) return false;
        DrawCheckListItem(item);
        result = TRUE;
        return true;
    }
    }
    return false;
}

void TSDialogForm::EraseBackground(HDC dc) {
    RECT client;
    GetClientRect(Handle(), &client);
    FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
    for (HWND white : {pageAreaWhite_ ? Panel0 : nullptr, headerWhite_ ? Panel1 : nullptr}) {
        if (!white) continue;
        const Box b = ControlBox(white);
        RECT r{b.left, b.top, b.left + b.width, b.top + b.height};
        FillRect(dc, &r, whiteBrush_.get());
    }
}

// A check list item: the box from the item data, then the list's own text part.
void TSDialogForm::DrawCheckListItem(const DRAWITEMSTRUCT& item) {
    const HWND list = item.hwndItem;
    zk::DrawCheckListItem(item, [list, this](HDC dc, const RECT& r, int index) {
        const Text row = CheckListItemText(list, index);
        if (list == CheckListBox1)
            DrawComponentText(dc, r, row);
        else
            DrawAssociationText(dc, r, row);
    });
}

} // namespace zk
