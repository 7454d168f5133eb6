// The wizard's page show methods, the page picture and style, the buttons and the moves
// between pages, the execute stages, and the end of the wizard.
#include "SDialog.h"

#include "CheckList.h"
#include "Common.h"
#include "ControlIds.h"
#include "Exec.h"
#include "FileFlags.h"
#include "Files.h"
#include "LinkText.h"
#include "ExitSetup.h"
#include "Global.h"
#include "Grafics.h"
#include "Process.h"
#include "ReadMe.h"
#include "RunTimeDir.h"
#include "SLang.h"
#include "SLists.h"
#include "SelFolder.h"
#include "SetupText.h"
#include "U_DEBUG0.h"
#include "UtilPlus.h"
#include "ZMsgBox.h"

namespace zk {

namespace {

using F = TSDialogForm;

constexpr int kSetupStartStage = 1, kSetupEndStage = 4;
constexpr int kUserSheet = 4, kDestinationSheet = 5, kComponentsSheet = 7, kShortcutsSheet = 8,
              kConfirmSheet = 9, kCopySheet = 10, kCompleteSheet = 11;
constexpr UINT kSpaceRefreshMs = 1000;
constexpr const char* kButtonTexts = "|OK|Cancel|Yes|No|Abort|Retry|Ignore|";

// The pages whose entering and leaving run an execute stage; names compared exactly.
struct PageStage {
    const char* page;
    int enter, leave;
};
const PageStage kPageStages[] = {
    {"SetupTypeDlg", 7, 8},
    {"CustomDlg", 9, 10},
    {"DestinationDlg", 11, 12},
};

const PageStage* StageOfPage(const Text& page) {
    for (const PageStage& s : kPageStages)
        if (page == s.page) return &s;
    return nullptr;
}

const WizardPageDef kPages[] = {
    {"WelcomeDlg", 1, "Welcome", "Welcome"},
    {"LicenseDlg", 2, "License", "License"},
    {"ReadmeDlg", 3, "Readme", "Readme"},
    {"UserInformationDlg", 4, "User Information", "UserInfo"},
    {"DestinationDlg", 5, "Destination", "Destination"},
    {"SetupTypeDlg", 6, "Setup Type", "SetupType"},
    {"CustomDlg", 7, "Custom", "Components"},
    {"AssociateDlg", 12, "Associate", "Associate"},
    {"ShortcutsDlg", 8, "Shortcuts", "Shortcuts"},
    {"ConfirmSetupDlg", 9, "Confirm Setup", "Confirm"},
    {"CopyFilesDlg", kCopySheet, "Copy Files", "CopyFiles"},
    {"CopyFilesDlgHide", 0, nullptr, nullptr},
    {"CompleteDlg", kCompleteSheet, "Complete", "Complete"},
};

bool IsChecked(HWND button) {
    return SendMessageA(button, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void SetChecked(HWND button, bool checked) {
    SendMessageA(button, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

bool FileExists(const Text& path) {
    const DWORD a = GetFileAttributesA(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

bool IsBigPictureSection(const Text& section) {
    return TextEquals(section, "Welcome") || TextEquals(section, "Complete");
}

// The value of the first "key=file" line whose key matches.
Text PageImageFor(const TextList& lines, const Text& key) {
    for (const Text& line : lines) {
        const size_t eq = line.find('=');
        if (eq != Text::npos && TextEquals(Trim(line.substr(0, eq)), key))
            return Trim(line.substr(eq + 1));
    }
    return {};
}

} // namespace

const WizardPageDef* FindWizardPage(const Text& name) {
    for (const WizardPageDef& page : kPages)
        if (TextEquals(name, page.name)) return &page;
    return nullptr;
}

bool TSDialogForm::ShowPageByName(const Text& name) {
    const WizardPageDef* page = FindWizardPage(name);
    if (!page) return false;
    if (page->sheet == 0) { // the installation runs under the page shown before
        StartTimer(CopyFilesTimer, 10);
        return true;
    }
    LoadPageBitmap(page->bitmapKey);
    ApplyPageStyle(page->section);
    if (page->sheet == kCopySheet) { // the installation writes its own screen line
        ShowSheet(kCopySheet);
        StartTimer(CopyFilesTimer, 10);
        return true;
    }
    if (page->sheet == kCompleteSheet) ShowCompletePageSteps();
    AddSetupLogLine("Show Screen: ", WindowText(Handle()));
    if (page->sheet == kDestinationSheet) {
        // The script's folder the first time only: what the user typed survives Back and Next.
        if (!targetDirShown_ || !GetApplicationFolderOverride().empty()) ShowTargetDir();
        targetDirShown_ = true;
    }
    if (page->sheet == kShortcutsSheet) {
        if (ShortcutsFirstShow) PackShortcutBoxes();
        ShortcutsFirstShow = false;
        FillPageTexts(2);
    }
    ShowSheet(page->sheet);
    if (page->sheet == kDestinationSheet) TabSheet5Show();
    if (page->sheet == kComponentsSheet) {
        if (SendMessageA(CheckListBox1, LB_GETCOUNT, 0, 0) > 0)
            SendMessageA(CheckListBox1, LB_SETCURSEL, 0, 0);
        CheckListBox1Click();
        SetFocus(CheckListBox1);
    }
    UpdateButtons();
    KeepFocusUsable();
    switch (page->sheet) {
    case kUserSheet:
        if (IsSheetControlVisible(NameEdit) && WindowText(NameEdit).empty())
            SetFocus(NameEdit);
        else if (IsSheetControlVisible(CompanyEdit) && WindowText(CompanyEdit).empty())
            SetFocus(CompanyEdit);
        break;
    case kConfirmSheet:
        FillConfirmSummary();
        ApplyCharset(Panel4, GetLangCharset());
        SetWindowTextTo(Panel4, LangString("Confirm", "s2", ""));
        break;
    case kCompleteSheet:
        SetSheetControlVisible(CancelButton, false);
        SetWindowTextTo(NextButton, LangString("Buttons", "Finish", "&Finish"));
        SetExitConfirmed(true);
        break;
    }
    FitCaptions();
    return true;
}

// Check boxes of links the script does not name are hidden; the rest move up in their order.
void TSDialogForm::PackShortcutBoxes() {
    const Text names[5] = {StartMenuLinkName, DesktopLinkName, SendToLinkName, StartUpLinkName,
                           QuickLaunchLinkName};
    HWND boxes[5] = {StartMenuCheckBox, DesktopCheckBox, SendToCheckBox, StartUpCheckBox,
                     QuickLaunchCheckBox};
    int tops[5];
    for (int i = 0; i < 5; ++i) tops[i] = SheetDesignBox(boxes[i]).top;
    int row = 0;
    for (int i = 0; i < 5; ++i) {
        if (names[i].empty()) {
            SetSheetControlVisible(boxes[i], false);
            continue;
        }
        MoveSheetControl(boxes[i], SheetDesignBox(boxes[i]).left, tops[row++]);
    }
}

void TSDialogForm::ShowCompletePageSteps() {
    FillPageTexts(3);
    const int charset = GetLangCharset();
    for (HWND h : {DisplayReadmeCheckBox, LaunchCheckBox, GroupBox2, RadioButton1, RadioButton2})
        ApplyCharset(h, charset);
    SetWindowTextTo(DisplayReadmeCheckBox, LangString("Complete", "s8", ""));
    SetWindowTextTo(LaunchCheckBox, LangString("Complete", "s3", ""));
    SetWindowTextTo(GroupBox2, " " + LangString("Complete", "s4", "") + " ");
    SetWindowTextTo(RadioButton1, LangString("Complete", "s5", ""));
    SetWindowTextTo(RadioButton2, LangString("Complete", "s6", ""));
    SetChecked(DisplayReadmeCheckBox, Script->GetProposeReadmeChecked());
    SetChecked(LaunchCheckBox, Script->GetProposeLaunchChecked());
    SetSheetControlVisible(DisplayReadmeCheckBox, Script->GetProposeReadme());
    SetSheetControlVisible(LaunchCheckBox, Script->GetProposeLaunch());
    if (Script->GetProposeRestart()) RestartNeeded = true;
    if (!RestartNeeded) return;
    // Placed from the design boxes, so showing the page again moves nothing further.
    static const Box groupDesign{26, 136, 314, 60}, yesDesign{40, 154, 290, 17},
        noDesign{40, 173, 290, 17};
    const int launchTop = SheetDesignBox(LaunchCheckBox).top, shift = launchTop - groupDesign.top;
    MoveSheetControl(GroupBox2, groupDesign.left, launchTop);
    MoveSheetControl(RadioButton1, yesDesign.left, yesDesign.top + shift);
    MoveSheetControl(RadioButton2, noDesign.left, noDesign.top + shift);
    MoveSheetControl(DisplayReadmeCheckBox, SheetDesignBox(DisplayReadmeCheckBox).left,
                     launchTop - 30);
    SetSheetControlVisible(LaunchCheckBox, false);
    for (HWND h : {GroupBox2, RadioButton1, RadioButton2}) SetSheetControlVisible(h, true);
    SetChecked(RadioButton1, true);
    SetChecked(RadioButton2, false);
    FillPageTexts(1);
}

void TSDialogForm::LoadPageBitmap(const Text& key) {
    const Text dir = GetSourceDirPath(true);
    Text path = dir + (!IsModernStyle()           ? "Classic_Setup.bmp"
                       : IsBigPictureSection(key) ? "Modern_Setup.bmp"
                                                  : "Modern_Icon.bmp");
    const Text setting = Script->GetDialogBitmapFileName();
    if (!setting.empty() && FileExists(dir + FileNamePartOf(setting)))
        path = dir + FileNamePartOf(setting);
    const Text image = PageImageFor(Script->GetPageImages(), key);
    if (!image.empty() && FileExists(dir + FileNamePartOf(image)))
        path = dir + FileNamePartOf(image);
    if (pageBitmap_ && TextEquals(path, lastBitmapPath_)) return;
    UniqueBitmap picture = LoadPictureFile(path);
    if (!picture) {
        TraceLine(path + " --- Image Load Error!");
        return;
    }
    pageBitmap_ = std::move(picture);
    lastBitmapPath_ = path;
    ShowPicture(Image1, pageBitmap_.get());
}

void TSDialogForm::ApplyPageStyle(const Text& section) {
    if (!IsModernStyle())
        LayoutClassic();
    else if (IsBigPictureSection(section))
        LayoutModernBigPicture();
    else
        LayoutModernHeader();
    SetCaptionFromSection(section);
}

void TSDialogForm::SetCaptionFromSection(const Text& section) {
    const Text caption = LangString(section, "Caption", "");
    SetWindowTextTo(Handle(), caption);
    SetWindowTextTo(Label2, caption);
}

// A focus left on a control of the previous sheet, on a button just disabled or on the window
// itself goes to Next (or Cancel), so the keyboard keeps working. While a step pumps Next may
// stand disabled for the step only: the step's end looks again.
void TSDialogForm::KeepFocusUsable() {
    if (PumpScope::Active()) return;
    HWND focus = GetFocus();
    if (focus && focus != Handle() && IsWindowVisible(focus) && IsWindowEnabled(focus)) return;
    if (!IsWindowVisible(Handle())) return;
    if (IsWindowEnabled(NextButton))
        SetFocus(NextButton);
    else if (IsWindowVisible(CancelButton))
        SetFocus(CancelButton);
}

void TSDialogForm::UpdateButtons() {
    const Text page = Script->GetCurrentPage();
    const bool copying = TextEquals(page, "CopyFilesDlg") || TextEquals(page, "CopyFilesDlgHide");
    backWanted_ = Script->GetPageIndex() > 0 && !copying && !TextEquals(page, "CompleteDlg");
    nextWanted_ = !copying && !(TextEquals(page, "LicenseDlg") && !IsChecked(YesRadioButton));
    ApplyButtonStates();
    if (copying) KeepFocusUsable();
    SetWindowTextTo(BackButton, LangString("Buttons", "Back", "< &Back"));
    if (!TextEquals(page, "CompleteDlg"))
        SetWindowTextTo(NextButton, LangString("Buttons", "Next", "&Next >"));
    SetWindowTextTo(CancelButton, LangString("Buttons", "Cancel", "&Cancel"));
    SetWindowTextTo(Panel4, "");
    FitFrameButtons();
}

void TSDialogForm::ApplyButtonStates() {
    const bool busy = PumpScope::Active();
    EnableWindow(BackButton, backWanted_ && !busy);
    EnableWindow(NextButton, nextWanted_ && !busy);
}

bool TSDialogForm::OnCompletePage() const {
    return activeSheet_ == kCompleteSheet;
}

// The checks' boxes and the stages pump: after each the step goes on only while no exit came
// (the close that follows ends the wizard) and an exit of the stage closes it.
void TSDialogForm::NextButtonClick() {
    PumpScope step(Handle());
    if (!ValidateUserInfo() || !ValidateProgramGroup()) return;
    const bool leaveExit = RunPageLeaveStage();
    if (!step.Continue()) return;
    if (leaveExit) return CloseWizard();
    Script->NextPage();
    if (Script->GetCurrentPage() == "CustomDlg" && !IsChecked(CustomRadioButton))
        Script->NextPage();
    const bool enterExit = RunPageEnterStage();
    if (!step.Continue()) return;
    if (enterExit) return CloseWizard();
    if (!ShowCurrentPage()) FinishSetup();
}

// No leave stage on Back.
void TSDialogForm::BackButtonClick() {
    if (Script->GetPageIndex() <= 0) return;
    PumpScope step(Handle());
    Script->PrevPage();
    if (Script->GetCurrentPage() == "CustomDlg" && !IsChecked(CustomRadioButton))
        Script->PrevPage();
    const bool enterExit = RunPageEnterStage();
    if (!step.Continue()) return;
    if (enterExit) return CloseWizard();
    ShowCurrentPage();
}

bool TSDialogForm::RunPageEnterStage() {
    const PageStage* stage = StageOfPage(Script->GetCurrentPage());
    bool exitRequested = false;
    if (stage) RunExecuteOps(stage->enter, exitRequested);
    return exitRequested;
}

bool TSDialogForm::RunPageLeaveStage() {
    const PageStage* stage = StageOfPage(Script->GetCurrentPage());
    bool exitRequested = false;
    if (stage) RunExecuteOps(stage->leave, exitRequested);
    return exitRequested;
}

bool TSDialogForm::ValidateUserInfo() {
    if (Script->GetCurrentPage() != "UserInformationDlg") return true;
    HWND field = nullptr;
    Text message;
    if (IsSheetControlVisible(NameEdit) && Trim(WindowText(NameEdit)).empty()) {
        field = NameEdit;
        message = LangString("UserInfo", "s21", "");
    } else if (IsSheetControlVisible(CompanyEdit) && Trim(WindowText(CompanyEdit)).empty()) {
        field = CompanyEdit;
        message = LangString("UserInfo", "s22", "");
    }
    if (!field) return true;
    SetFocus(field);
    lastFocus_ = field;
    ShowErrorBox(nullptr, message, LangString("MsgBox", "Error", "Error"),
                 LangString("MsgBox", "BtnText", kButtonTexts), GetLangCharset());
    SetFocus(field);
    return false;
}

// The group becomes a folder under the shell's Programs folder and is removed by force at
// uninstall: one that climbs out of it or names another root is not taken.
bool TSDialogForm::ValidateProgramGroup() {
    if (activeSheet_ != kShortcutsSheet) return true;
    if (CheckProgramGroup(WindowText(ProgramShortCutEdit)) == LinkNameFault::None) return true;
    SetFocus(ProgramShortCutEdit);
    lastFocus_ = ProgramShortCutEdit;
    ShowErrorBox(nullptr, LangString("Shortcuts", "s4", ""), LangString("MsgBox", "Error", "Error"),
                 LangString("MsgBox", "BtnText", kButtonTexts), GetLangCharset());
    SetFocus(ProgramShortCutEdit);
    SendMessageA(ProgramShortCutEdit, EM_SETSEL, 0, -1);
    return false;
}

void TSDialogForm::CancelButtonClick() {
    Close();
}

void TSDialogForm::YesRadioButtonClick() {
    UpdateButtons();
}

bool TSDialogForm::RunExecuteOps(int stage, bool& exitRequested) {
    exitRequested = false;
    const char mark = static_cast<char>(stage + 33);
    if (StagesRun.find(mark) != Text::npos) return true;
    if (stage >= 1 && stage <= 6) StagesRun += mark;
    SetSpaceBase(SpaceKilobytes, GetRequiredSpace(SpaceKilobytes)); // what "!" restores
    for (const Text& item : Script->GetExecuteItems()) {
        if (exitRequested) break;
        Text log;
        RunExecuteItem(ExtensionBinding.get(), item, stage, exitRequested, log);
        if (!log.empty()) AddSetupLogLine("", log);
    }
    // The user's exit during the stage's waits and boxes ends it as an item's exit would.
    if (RunTimeDirAbortRequested() || IsStopRequested()) exitRequested = true;
    return true;
}

bool TSDialogForm::RunBeforeDialogs() {
    PumpScope step(Handle());
    SetInstallFolders(GetTargetDir(false), GetCommonDir(false), GetAuxiliaryDir(false));
    AddSetupLogLine("Execute Before Dialogs");
    bool exitRequested = false;
    RunExecuteOps(kSetupStartStage, exitRequested);
    return exitRequested || !step.Continue();
}

// Never inside a question or another step (a Cancel at once after Next): the timer comes
// again until nothing pumps.
void TSDialogForm::CopyFilesTimerTimer() {
    if (IsBusy()) return;
    KillTimer(Handle(), CopyFilesTimer);
    RunInstallation();
}

void TSDialogForm::FinishSetup() {
    PumpScope step(Handle()); // stage 4 and the readme window pump
    nextWanted_ = false;
    ApplyButtonStates();
    if (!step.Wait(10)) return;
    AddSetupLogLine("Execute After Dialogs");
    bool exitRequested = false;
    RunExecuteOps(kSetupEndStage, exitRequested);
    if (!step.Continue()) return; // closed meanwhile: no readme, no launch
    if (!exitRequested) {
        const Text readme = Script->GetReadmeFileName2();
        if (!readme.empty() && IsChecked(DisplayReadmeCheckBox)) {
            if (Script->GetUseNotepad())
                ShellOpen(readme, "", SW_SHOW);
            else
                ShowReadmeWindow(Handle(), GetSourceDirPath(true) + FileNamePartOf(readme));
        }
        if (!step.Continue()) return;
        if (RestartNeeded && IsChecked(RadioButton1)) {
            RequestRestart();
        } else if (IsChecked(LaunchCheckBox)) {
            SetLaunchProgram(ExpandDirMacros(Script->GetProgExeName(), "\\"));
            SetLaunchWorkDir(ExpandDirMacros(Script->GetStartProgramLinkWorkDir(), "\\"));
        }
    }
    CloseWizard();
}

// --- Setup type, components, space and associations ---

void TSDialogForm::InitSetupTypeButtons() {
    if (Script->GetCdSetup()) {
        for (HWND h : {CustomRadioButton, Label19}) SetSheetControlVisible(h, false);
        return;
    }
    if (!Script->GetShowCompactSetup()) {
        for (HWND h : {CompactRadioButton, Label18}) SetSheetControlVisible(h, false);
        MoveSheetControl(CustomRadioButton, SheetDesignBox(CustomRadioButton).left,
                         SheetDesignBox(CompactRadioButton).top);
        MoveSheetControl(Label19, SheetDesignBox(Label19).left, SheetDesignBox(Label18).top);
    }
    if (!Script->HasPage("Custom"))
        for (HWND h : {CustomRadioButton, Label19}) SetSheetControlVisible(h, false);
}

// The list shows `Components`; without a setup-type page the check marks decide (Custom).
void TSDialogForm::FillComponentList() {
    SetWindowTextTo(Memo4, "");
    ShowVerticalScrollBarWhenNeeded(Memo4);
    zk::FillComponentList(CheckListBox1, *Script, Components);
    if (Components.type == SetupType::Custom) {
        SetChecked(TypicalRadioButton, false);
        SetChecked(CompactRadioButton, false);
        SetChecked(CustomRadioButton, true);
    }
    UpdateSpaceLabels();
}

void TSDialogForm::FillAssociationList() {
    zk::FillAssociationList(CheckListBox2, *Script);
}

std::vector<bool> TSDialogForm::GetAssociationChecks() const {
    return AssociationChecks(CheckListBox2);
}

ComponentSelection TSDialogForm::CurrentSelection() const {
    ComponentSelection selection = Components;
    selection.type = IsChecked(TypicalRadioButton)   ? SetupType::Typical
                     : IsChecked(CompactRadioButton) ? SetupType::Compact
                     : IsChecked(CustomRadioButton)  ? SetupType::Custom
                                                     : SetupType::None;
    return selection;
}

Text TSDialogForm::GetSetupTypeName() const {
    return zk::GetSetupTypeName(*Script, CurrentSelection().type);
}

bool TSDialogForm::IsComponentSelected(int index) const {
    return zk::IsComponentSelected(*Script, CurrentSelection(), index);
}

Text TSDialogForm::GetSelectionMask() const {
    return zk::GetSelectionMask(*Script, CurrentSelection());
}

Text TSDialogForm::GetGroupNames() const {
    return zk::GetGroupNames(*Script, CurrentSelection());
}

int TSDialogForm::CountSelectedFiles() const {
    return zk::CountSelectedFiles(*Script, CurrentSelection());
}

long double TSDialogForm::GetRequiredSpace(int unit) const {
    return zk::GetRequiredSpace(*Script, CurrentSelection(), unit);
}

void TSDialogForm::UpdateSpaceLabels() {
    const Text target = WindowText(TargetDirEdit);
    const Text required = RequiredSpaceText(*Script, CurrentSelection()) + " MB";
    const double free = target.empty() ? 0 : GetDiskFree(target);
    const Text available = AvailableSpaceText(target, free) + " MB";
    const bool left = SpaceFiguresOnLeft(GetLangCharset());
    SetWindowTextTo(left ? Label22 : Label24, required);
    SetWindowTextTo(left ? Label23 : Label25, available);
}

void TSDialogForm::CheckListBox1Click() {
    const LRESULT index = SendMessageA(CheckListBox1, LB_GETCURSEL, 0, 0);
    if (index < 0) return;
    SetWindowTextTo(
        Memo4, ComponentDescriptionText(CheckListItemText(CheckListBox1, static_cast<int>(index))));
    ShowVerticalScrollBarWhenNeeded(Memo4);
}

// A toggle of the list: into the selection (a greyed item keeps its mark), then the figures.
void TSDialogForm::CheckListBox1Toggled() {
    const LRESULT index = SendMessageA(CheckListBox1, LB_GETCURSEL, 0, 0);
    if (index < 0) return;
    if (!TakeComponentToggle(CheckListBox1, static_cast<int>(index), Components)) {
        const ComponentState* item = static_cast<size_t>(index) < Components.items.size()
                                         ? &Components.items[static_cast<size_t>(index)]
                                         : nullptr;
        if (item)
            SetCheckListItem(CheckListBox1, static_cast<int>(index), item->checked, item->enabled);
    }
    UpdateSpaceLabels();
}

void TSDialogForm::TargetDirEditChange() {
    KillTimer(Handle(), SpaceReqTimer);
    StartTimer(SpaceReqTimer, kSpaceRefreshMs);
}

void TSDialogForm::SpaceReqTimerTimer() {
    KillTimer(Handle(), SpaceReqTimer);
    UpdateSpaceLabels();
}

void TSDialogForm::TabSheet5Show() {
    UpdateSpaceLabels();
}

void TSDialogForm::BrowseButtonClick() {
    PumpScope step(Handle()); // the shell's dialog pumps
    Text folder = BrowseStartFolder(WindowText(TargetDirEdit));
    if (SelectFolder("", LangString("Messages", "s3", ""), "My Computer", true, folder) &&
        step.Continue())
        SetWindowTextTo(TargetDirEdit, folder); // restarts the space timer
}

Text TSDialogForm::ExpandDirMacros(const Text& text, const Text& suffix) const {
    SetInstallFolders(GetTargetDir(false), GetCommonDir(false), GetAuxiliaryDir(false));
    return ExpandFolderMacros(text, suffix);
}

} // namespace zk
