// The setup wizard `TSDialogForm`: a fixed frame (page picture, title, bottom buttons, company
// link) around a page area that shows one sheet at a time, in the classic or the modern layout.
// It hosts the installation on its Copy page. The frame, placement, close protocol, getters
// and host callbacks are in SDialog.cpp; the page show methods and navigation in
// SDialogPages.cpp; the page texts in SDialogTexts.cpp; the installation in SInstall.cpp.
#pragma once
#include "ExecDll.h"
#include "Forms.h"
#include "SPostCopy.h"
#include "SCopy.h"
#include "SLogText.h"
#include "SScript.h"
#include "SSelect.h"
#include "SUnWriter.h"

#include <memory>

namespace zk {

class TCopyBarForm;
class TSlider;
class TSliderForm;

// WizardSharedState: values that outlive the wizard window, read by the start-up block after
// the message loop. All start empty or false.
void SetAbortRequested(bool requested);
bool GetAbortRequested();
void SetApplicationFolderOverride(const Text& folder);
Text GetApplicationFolderOverride();
void SetCommonFolderOverride(const Text& folder);
Text GetCommonFolderOverride();
void SetAuxiliaryFolderOverride(const Text& folder);
Text GetAuxiliaryFolderOverride();
void SetLaunchProgram(const Text& program);
Text GetLaunchProgram();
void SetLaunchWorkDir(const Text& folder);
Text GetLaunchWorkDir();
void SetPostSetupCommand(const Text& command);
Text GetPostSetupCommand();
void RequestRestart();
bool IsRestartRequested();

// The engine's own folder, optionally with a trailing backslash.
Text GetSourceDirPath(bool withBackslash);

class TSDialogForm;
// The installation run from the Copy page; the test host replaces it to hold `Busy`.
using InstallationRoutine = void (*)(TSDialogForm& wizard);
void SetInstallationRoutine(InstallationRoutine routine);
InstallationRoutine InstallationRoutineOverride();

// One page of the page list: its sheet (1 .. 12), bitmap key and language section.
struct WizardPageDef {
    const char* name;
    int sheet; // 0: no sheet (CopyFilesDlgHide)
    const char* bitmapKey;
    const char* section;
};
// The page of that name (case ignored), or nullptr when it has no show method.
const WizardPageDef* FindWizardPage(const Text& name);

class TSDialogForm : public TForm {
  public:
    TSDialogForm();
    ~TSDialogForm() override;

    // Frame.
    HWND NextButton = nullptr, BackButton = nullptr, CancelButton = nullptr, Bevel1 = nullptr,
         CompanyUrlLabel = nullptr, Label21 = nullptr, Panel1 = nullptr, Image1 = nullptr,
         Label2 = nullptr, Bevel2 = nullptr, Panel0 = nullptr;
    // Sheets, in the order of the sheet numbers.
    HWND RichEdit1 = nullptr; // Welcome
    HWND Label1 = nullptr, RichEdit11 = nullptr, Label3 = nullptr, YesRadioButton = nullptr,
         NoRadioButton = nullptr;                 // License
    HWND Label10 = nullptr, RichEdit12 = nullptr; // Readme
    HWND RichEdit9 = nullptr, Label11 = nullptr, NameEdit = nullptr, Label12 = nullptr,
         CompanyEdit = nullptr; // User
    HWND RichEdit2 = nullptr, GroupBox1 = nullptr, BrowseButton = nullptr, TargetDirEdit = nullptr,
         Label22 = nullptr, Label23 = nullptr, Label24 = nullptr,
         Label25 = nullptr; // Destination
    HWND RichEdit7 = nullptr, TypicalRadioButton = nullptr, CompactRadioButton = nullptr,
         CustomRadioButton = nullptr, Label17 = nullptr, Label18 = nullptr,
         Label19 = nullptr; // Type
    HWND RichEdit8 = nullptr, Label16 = nullptr, CheckListBox1 = nullptr, Label20 = nullptr,
         Memo4 = nullptr; // Custom
    HWND RichEdit3 = nullptr, Label9 = nullptr, ProgramShortCutEdit = nullptr,
         StartMenuCheckBox = nullptr, DesktopCheckBox = nullptr, SendToCheckBox = nullptr,
         StartUpCheckBox = nullptr, QuickLaunchCheckBox = nullptr; // Shortcut
    HWND RichEdit4 = nullptr, Memo1 = nullptr, Panel4 = nullptr;   // Confirm
    HWND Label5 = nullptr, Label7 = nullptr, ProgressBar1 = nullptr, ProgressBar2 = nullptr,
         Slider1 = nullptr; // Copy
    HWND RichEdit5 = nullptr, DisplayReadmeCheckBox = nullptr, LaunchCheckBox = nullptr,
         GroupBox2 = nullptr, RadioButton1 = nullptr, RadioButton2 = nullptr,
         RichEdit10 = nullptr;                                            // Complete
    HWND RichEdit6 = nullptr, Label14 = nullptr, CheckListBox2 = nullptr; // Associate

    // Timers.
    static constexpr UINT_PTR StopTimer = 1, CopyFilesTimer = 2, SpaceReqTimer = 3, SliderTimer = 4;

    // Fields.
    std::unique_ptr<TExecDll> ExtensionBinding;
    TextList UninstallLines, ComFiles, FontFiles;
    SetupLogLines SetupLogLinesCopy; // the working copy of Setup.log
    bool RestartNeeded = false;
    bool Busy = false; // the installation driver runs
    bool ShortcutsFirstShow = true;
    bool FirstShow = true;
    bool CopyRunning = false; // the component copy loop runs
    Text StartMenuLinkName, DesktopLinkName, SendToLinkName, StartUpLinkName, QuickLaunchLinkName;
    Text SourceDirList, StagesRun;
    bool HiddenPlacement = false;
    TScript* Script = nullptr; // set by the creator, not owned
    // The background window, when one covers the screen: its client area places the wizard,
    // and it is closed with the wizard.
    HWND BackgroundWindow = nullptr;
    // The copy-progress window while billboards show; the floating volume window while music
    // plays with SET_BG_WAVE_SLIDER "Floating"; the Copy sheet's own volume slider (Slider1).
    std::unique_ptr<TCopyBarForm> CopyBarWindow;
    std::unique_ptr<TSliderForm> VolumeWindow;
    std::unique_ptr<TSlider> Slider1Control;
    HWND Image2 = nullptr; // the speaker beside Slider1

    // --- Life cycle (SDialog.cpp). ---
    // Creates the window, hidden; the script is set afterwards.
    bool Make(HWND owner);
    void InitFromScript();
    void SetHiddenPlacement() { HiddenPlacement = true; }
    // Shows the window; the first show places it and shows the first page.
    void ShowWizard();
    bool IsCopyingComponents() const { return CopyRunning; }
    // The installation runs or a step pumps messages (PumpScope): a close is then carried
    // out once it has returned, and the Copy page's start waits for it.
    bool IsBusy() const;
    bool IsModernStyle() const;
    bool IsSilentSetup() const;
    static void SetAbortRequested(bool requested) { zk::SetAbortRequested(requested); }
    static bool GetAbortRequested() { return zk::GetAbortRequested(); }

    // --- Placement and layouts. ---
    void SetDialogLocation();
    // The floating volume window by SET_BG_WAVE_LOCATION.
    void SetSliderLocation(HWND slider) const;
    // Places another window (the volume slider) by a location setting, never hidden.
    void PlaceWindowByLocation(HWND window, const Text& location) const;
    void LayoutClassic();
    void LayoutModernBigPicture();
    void LayoutModernHeader();
    void StretchBevels();
    void PlacePageArea(int left, int top, int width, int height);
    void ShowCompanyUrlLabel();
    void CompanyUrlLabelClick();

    // --- Folders and names. ---
    Text GetTargetDir(bool withBackslash) const;
    Text GetCommonDir(bool withBackslash) const;
    Text GetAuxiliaryDir(bool withBackslash) const;
    Text GetProgramGroup() const;
    Text GetStartMenuLinkName() const { return StartMenuLinkName; }
    Text GetDesktopLinkName() const { return DesktopLinkName; }
    Text GetSendToLinkName() const { return SendToLinkName; }
    Text GetStartUpLinkName() const { return StartUpLinkName; }
    Text GetQuickLaunchLinkName() const { return QuickLaunchLinkName; }
    bool HasOptionalLinks() const;
    // "Typical", "Compact" or "Custom" by the checked type ("Complete" and "Partial" in CD
    // mode; always "Partial" when forced); empty when none is checked.
    Text GetSetupTypeName() const;
    // The selected components' names as a "|" list, empty when none.
    Text GetGroupNames() const;

    // --- Host callbacks of execute items. ---
    bool DllSetValue(const Text& action, const Text& arg1, const Text& arg2, const Text& arg3);
    Text DllGetValue(const Text& name);

    // --- Setup.log. `markup` is the engine's own text ("\\x" continues the last line, "\\t"
    // a TAB); `data` is written as it stands. ---
    Text GetSetupLogPath() const;
    void AddSetupLogLine(const char* markup, const Text& data = {});
    void WriteSetupLogHeader();
    // The target folder's Setup.log was there before this run wrote to it (then it is
    // continued, and it is not this run's to remove).
    bool SetupLogExistedBefore() const;
    // Takes the log back from the target folder (removed when this run made it, cut back to
    // what was there otherwise) and writes no more of it: a run that stops leaves none.
    void WithdrawSetupLog();

    // --- Pages (SDialogPages.cpp). ---
    // Runs the show method of the page; false when the name has none.
    bool ShowPageByName(const Text& name);
    bool ShowCurrentPage() { return ShowPageByName(Script->GetCurrentPage()); }
    void ShowSheet(int sheet);
    // Shows or hides a control for the page logic: a hidden sheet control stays hidden when its
    // sheet is shown, a shown one appears with its sheet.
    void SetSheetControlVisible(HWND control, bool visible);
    bool IsSheetControlVisible(HWND control) const;
    int ActiveSheet() const { return activeSheet_; }
    void LoadPageBitmap(const Text& key);
    void ApplyPageStyle(const Text& section);
    void SetCaptionFromSection(const Text& section);
    void UpdateButtons();
    // Back and Next as the page wants them; both disabled while a step pumps.
    void ApplyButtonStates();
    void KeepFocusUsable();
    bool OnCompletePage() const;
    void NextButtonClick();
    void BackButtonClick();
    void CancelButtonClick();
    void YesRadioButtonClick();
    // Runs the script's execute items of one stage; `exitRequested` tells the caller to stop.
    bool RunExecuteOps(int stage, bool& exitRequested);
    // The "Setup Start" stage before the first page; true when setup is to stop.
    bool RunBeforeDialogs();
    void CopyFilesTimerTimer();
    // The installation (SInstall.cpp).
    void RunInstallation();
    // Creates the folder and its parents, logged with `label`; on failure the error box and the
    // wizard's close. False when the folder is not there afterwards.
    bool CreateDirOrFail(const Text& folder, const char* label);
    Text GetUninstallScriptPath() const;
    // Through the wizard's one uninstall writer; false when the script could not be written.
    bool AddUninstallLine(const Text& line, bool forced = false);
    bool WriteUninstallHeader();
    bool WriteAppRegistrationAndInfo();
    bool CopySelectedComponents();
    // The changes after the copy, one method per step in the order the driver calls them.
    void ApplyRegistryOps();
    void ApplyIniFileOps();
    bool ApplyEnvironmentOps();
    void ApplyAssociations();
    void ApplyOpenWith();
    bool CreateShortcuts();
    bool RegisterComServers();
    bool InstallFonts();
    bool WriteUserInfoKey();
    bool AddScriptUninstallLines();
    // Indexes of the file groups the setup type and components chose, ascending.
    std::vector<int> SelectedGroups() const;
    // --- The copy bar, billboards and music around the copy (SInstallShow.cpp). ---
    void ShowCopyBar();
    void FreeCopyBar();
    bool HasCopyBar() const;
    void CloseCopyBar();             // the copy bar's own close, when there is one
    bool IsCopyBarCancelled() const; // its Cancel was confirmed during the run
    // The bar that takes the copy's steps: ProgressBar1, or the copy bar's while it shows.
    HWND CopyProgressBar() const;
    // `musicPath` stays empty when the script names no music file that is there.
    void StartBackgroundMusic(Text& musicPath, int& savedBarWidth);
    void StopBackgroundMusic(int savedBarWidth);
    // Slider1 and Image2, hidden, made with the window.
    void CreateFixedSlider();
    void SliderTimerTimer();
    void Slider1ValueChange();
    void FinishSetup();
    // Folder macros with the wizard's three install folders.
    Text ExpandDirMacros(const Text& text, const Text& suffix) const;
    // A close the program itself starts: no question.
    void CloseWizard();

    // --- Setup type, components, space and associations (SDialogPages.cpp). ---
    // The components list's state; set once from the script, then changed only by the user,
    // so moving Back and Next keeps the choices. Its type follows the type buttons.
    ComponentSelection Components;
    void InitSetupTypeButtons();
    void FillComponentList();
    void FillAssociationList();
    ComponentSelection CurrentSelection() const;
    bool IsComponentSelected(int index) const;
    Text GetSelectionMask() const;
    int CountSelectedFiles() const;
    long double GetRequiredSpace(int unit) const;
    // The check marks of the associations list, in row order.
    std::vector<bool> GetAssociationChecks() const;
    void UpdateSpaceLabels();
    bool ValidateUserInfo();
    // A program group the user typed that would leave the shell folder: refused with a box.
    bool ValidateProgramGroup();
    bool RunPageEnterStage();
    bool RunPageLeaveStage();
    void CheckListBox1Click();
    void CheckListBox1Toggled();
    void TargetDirEditChange();
    void SpaceReqTimerTimer();
    void TabSheet5Show();
    void BrowseButtonClick();

    // --- Page texts (SDialogTexts.cpp). ---
    // 0 every page but Shortcuts; 1 the restart variant of Complete; 2 Shortcuts; 3 Complete.
    void FillPageTexts(int kind);
    void FillConfirmSummary();

    // --- Close protocol. ---
    void StopTimerTimer();

    // --- Developer aid (the DVR switch). ---
    void FormClick();
    void DebugCopyTempDir();
    void DebugCopyTempDirOnClose();

  protected:
    void FormCreate() override;
    bool FormCloseQuery() override;
    void FormClose() override;
    void Command(int id, int code, HWND control) override;
    void Timer(UINT_PTR id) override;
    bool Message(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

  private:
    void FormShow();
    void SetRunTimeDirs();
    void InitLinkNames();
    void InitUserFields();
    void ShowCompletePageSteps();
    void PackShortcutBoxes();
    void SetTextBlock(HWND& block, const Text& text);
    void FillWelcomeTexts();
    void FillLicenseTexts();
    void FillReadmeTexts();
    void FillUserInfoTexts();
    void FillDestinationTexts();
    void FillSetupTypeTexts();
    void FillComponentsTexts();
    void FillAssociateTexts();
    void FillShortcutsTexts();
    void FillConfirmTexts();
    void FillCompleteTexts();
    void FillCompleteRestartTexts();
    void LoadSheetFile(HWND box, const Text& setting);
    void WriteSetupLogFile();
    bool IsPageAreaControl(HWND control) const;
    void DrawCheckListItem(const DRAWITEMSTRUCT& item);
    void EraseBackground(HDC dc);
    void ShowTargetDir();
    void BusyChanged(bool busy);
    bool backWanted_ = true, nextWanted_ = true; // the page's wish, kept while a step pumps
    bool targetDirShown_ = false; // the destination page took the script's folder once
    // Moves of the page logic in sheet design coordinates, kept through every layout.
    Box SheetDesignBox(HWND control) const;
    void MoveSheetControl(HWND control, int left, int top);
    std::vector<std::pair<HWND, Box>> designMoves_;
    Box pageArea_{};
    HWND lastFocus_ = nullptr; // the control that had the focus when the window lost it

    void ShowCompanyHint();
    // Captions wider than their controls' design widths widen them within their room.
    void FitCaptions();
    void FitSheetCaptions();
    void FitFrameButtons();
    Box PlacedSheetBox(HWND control) const; // where the layout puts a sheet control
    // The installation's parts (SInstall.cpp).
    TUninstallWriter& Uninstall();
    InstallHost MakeInstallHost();
    PostCopyHost MakePostCopyHost() const;
    void MakeCopyEngine();
    void ShowCopyStep(const CopyStep& step);
    bool PrepareInstallation();
    bool CopyAndApplyChanges();
    void CompleteInstallation();
    bool FailRun(bool boxShown);
    void UndoIfNoUninstaller();
    bool FailBeforeUninstaller(bool boxShown);
    void EndInstallation();
    std::unique_ptr<TUninstallWriter> uninstall_; // one per wizard: its set of lines lives on
    std::unique_ptr<TCopyEngine> copyEngine_;
    TOriginalInfoFile originalInfo_;
    bool musicPlays_ = false;
    // The copy's steps shown at most every few milliseconds: a repaint per file would cost more
    // than the file.
    Text stepTarget_, shownTarget_;
    int stepBar_ = 0, stepItems_ = 0;
    DWORD stepShownAt_ = 0;

    int activeSheet_ = 0;
    std::vector<HWND> hiddenControls_; // hidden by the page logic; stay hidden with their sheet
    HWND hintWindow_ = nullptr;
    bool pageAreaWhite_ = false, headerWhite_ = false;
    Text companyHint_;
    Text lastBitmapPath_;
    UniqueBitmap pageBitmap_, speakerBitmap_;
    UniqueBrush whiteBrush_;
    void TakeBackSetupLog();
    // The file written so far: path, whether this run made it, the size it had before (the
    // log follows it, after a line break when it lacked one), the size and where its last
    // line starts.
    Text logPath_;
    UniqueFile logFile_;
    bool logCreated_ = false, logWithdrawn_ = false;
    Text logLead_;
    unsigned long long logOriginalSize_ = 0, logSize_ = 0, logLastLineStart_ = 0;
};

} // namespace zk
