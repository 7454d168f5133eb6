// The wizard's page show methods, the page picture and style, the buttons and the moves
// between pages, the execute stages, and the end of the wizard.
#include "SDialog.h"

#include "Common.h"
#include "Exec.h"
#include "ExitSetup.h"
#include "Global.h"
#include "Grafics.h"
#include "Process.h"
#include "ReadMe.h"
#include "RunTimeDir.h"
#include "SLang.h"
#include "SetupText.h"
#include "U_DEBUG0.h"
#include "UtilPlus.h"

namespace zk {

namespace {

using F = TSDialogForm;

constexpr int kSetupStartStage = 1, kSetupEndStage = 4;
constexpr int kCopySheet = 10, kCompleteSheet = 11;

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
    if (page->sheet == 5) ShowTargetDir();
    if (page->sheet == 8) {
        if (ShortcutsFirstShow) PackShortcutBoxes();
        ShortcutsFirstShow = false;
        FillPageTexts(2);
    }
    ShowSheet(page->sheet);
    UpdateButtons();
    KeepFocusUsable();
    switch (page->sheet) {
    case 4:
        if (IsSheetControlVisible(NameEdit) && WindowText(NameEdit).empty())
            SetFocus(NameEdit);
        else if (IsSheetControlVisible(CompanyEdit) && WindowText(CompanyEdit).empty())
            SetFocus(CompanyEdit);
        break;
    case 9:
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
    return true;
}

// Check boxes of links the script does not name are hidden; the rest move up in their order.
void TSDialogForm::PackShortcutBoxes() {
    const Text names[5] = {StartMenuLinkName, DesktopLinkName, SendToLinkName, StartUpLinkName,
                           QuickLaunchLinkName};
    HWND boxes[5] = {StartMenuCheckBox, DesktopCheckBox, SendToCheckBox, StartUpCheckBox,
                     QuickLaunchCheckBox};
    int tops[5];
    for (int i = 0; i < 5; ++i) tops[i] = ControlBox(boxes[i]).top;
    int row = 0;
    for (int i = 0; i < 5; ++i) {
        if (names[i].empty()) {
            SetSheetControlVisible(boxes[i], false);
            continue;
        }
        Box box = ControlBox(boxes[i]);
        box.top = tops[row++];
        SetControlBox(boxes[i], box);
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
    const Box launch = ControlBox(LaunchCheckBox);
    Box group = ControlBox(GroupBox2), readme = ControlBox(DisplayReadmeCheckBox);
    const int shift = launch.top - group.top;
    for (HWND h : {GroupBox2, RadioButton1, RadioButton2}) {
        Box b = ControlBox(h);
        b.top += shift;
        SetControlBox(h, b);
    }
    readme.top = launch.top - 30;
    SetControlBox(DisplayReadmeCheckBox, readme);
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

// A focus left on a control of the previous sheet, or on a button just disabled, goes to Next
// (or Cancel), so the keyboard keeps working.
void TSDialogForm::KeepFocusUsable() {
    HWND focus = GetFocus();
    if (focus && IsWindowVisible(focus) && IsWindowEnabled(focus)) return;
    if (!IsWindowVisible(Handle())) return;
    if (IsWindowEnabled(NextButton))
        SetFocus(NextButton);
    else if (IsWindowVisible(CancelButton))
        SetFocus(CancelButton);
}

void TSDialogForm::UpdateButtons() {
    const Text page = Script->GetCurrentPage();
    const bool copying = TextEquals(page, "CopyFilesDlg") || TextEquals(page, "CopyFilesDlgHide");
    EnableWindow(BackButton,
                 Script->GetPageIndex() > 0 && !copying && !TextEquals(page, "CompleteDlg"));
    EnableWindow(NextButton, !copying);
    if (copying) KeepFocusUsable();
    SetWindowTextTo(BackButton, LangString("Buttons", "Back", "< &Back"));
    if (!TextEquals(page, "CompleteDlg"))
        SetWindowTextTo(NextButton, LangString("Buttons", "Next", "&Next >"));
    SetWindowTextTo(CancelButton, LangString("Buttons", "Cancel", "&Cancel"));
    SetWindowTextTo(Panel4, "");
    if (TextEquals(page, "LicenseDlg")) EnableWindow(NextButton, IsChecked(YesRadioButton));
}

void TSDialogForm::NextButtonClick() {
    Script->NextPage();
    if (!ShowCurrentPage()) FinishSetup();
}

void TSDialogForm::BackButtonClick() {
    if (Script->GetPageIndex() <= 0) return;
    Script->PrevPage();
    ShowCurrentPage();
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
    for (const Text& item : Script->GetExecuteItems()) {
        if (exitRequested) break;
        Text log;
        RunExecuteItem(ExtensionBinding.get(), item, stage, exitRequested, log);
        if (!log.empty()) AddSetupLogLine("", log);
    }
    if (RunTimeDirAbortRequested()) exitRequested = true;
    return true;
}

bool TSDialogForm::RunBeforeDialogs() {
    SetInstallFolders(GetTargetDir(false), GetCommonDir(false), GetAuxiliaryDir(false));
    AddSetupLogLine("Execute Before Dialogs");
    bool exitRequested = false;
    RunExecuteOps(kSetupStartStage, exitRequested);
    return exitRequested;
}

void TSDialogForm::CopyFilesTimerTimer() {
    KillTimer(Handle(), CopyFilesTimer);
    RunInstallation();
}

void TSDialogForm::FinishSetup() {
    EnableWindow(NextButton, FALSE);
    WaitWithAppMessages(10);
    AddSetupLogLine("Execute After Dialogs");
    bool exitRequested = false;
    RunExecuteOps(kSetupEndStage, exitRequested);
    if (!exitRequested) {
        const Text readme = Script->GetReadmeFileName2();
        if (!readme.empty() && IsChecked(DisplayReadmeCheckBox)) {
            if (Script->GetUseNotepad())
                ShellOpen(readme, "", SW_SHOW);
            else
                ShowReadmeWindow(Handle(), GetSourceDirPath(true) + FileNamePartOf(readme));
        }
        if (RestartNeeded && IsChecked(RadioButton1)) {
            RequestRestart();
        } else if (IsChecked(LaunchCheckBox)) {
            SetLaunchProgram(ExpandDirMacros(Script->GetProgExeName(), "\\"));
            SetLaunchWorkDir(ExpandDirMacros(Script->GetStartProgramLinkWorkDir(), "\\"));
        }
    }
    CloseWizard();
}

Text TSDialogForm::ExpandDirMacros(const Text& text, const Text& suffix) const {
    SetInstallFolders(GetTargetDir(false), GetCommonDir(false), GetAuxiliaryDir(false));
    return ExpandFolderMacros(text, suffix);
}

} // namespace zk
