// The installation run from the Copy page: the install folders, the uninstall script's first
// lines, stage 2, the header and the product's registration, the copy, stage 3 and the changes
// after it, then the next page (or, silent, the end). Every unit it calls reaches the wizard
// through the small hosts made here; the wizard owns the one uninstall writer of the run.
#include "SDialog.h"

#include "Common.h"
#include "ExitSetup.h"
#include "Global.h"
#include "Links.h"
#include "RunTimeDir.h"
#include "SLang.h"
#include "SetupText.h"
#include "U_DEBUG0.h"
#include "UtilPlus.h"
#include "ZMsgBox.h"

#include <commctrl.h>

#include <cmath>

namespace zk {

namespace {

constexpr int kBeforeCopyStage = 2, kAfterCopyStage = 3, kSetupEndStage = 4;
constexpr int kBarUnits = 1000;   // ProgressBar2's range while a file's bytes move
constexpr DWORD kStepShowMs = 30; // the copy's labels and bars, and the message pump

const char kNoFolderText[] = "Unable to create directory:<p>%s<p><p>Setup will now close.<p>"
                             "Correct the problem and run Setup once again!";
const char kNoScriptText[] = "%s<p>The uninstall information cannot be written!<p><p>Setup will "
                             "now close.<p>Correct the problem and run Setup once again!";

void ShowRunError(const Text& key, const char* def, const Text& value) {
    ShowErrorBox(nullptr, FillTemplate(LangString("Messages", key, def), value),
                 LangString("MsgBox", "Error", "Error"),
                 LangString("MsgBox", "BtnText", DefaultButtonCaptions), GetLangCharset());
}

bool IsFileThere(const Text& path) {
    const DWORD a = GetFileAttributesA(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

bool IsChecked(HWND button) {
    return SendMessageA(button, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

} // namespace

// --- Components ---

std::vector<int> TSDialogForm::SelectedGroups() const {
    std::vector<int> groups;
    const int count = static_cast<int>(Script->GetFileGroups().size());
    for (int i = 0; i < count; ++i)
        if (IsComponentSelected(i)) groups.push_back(i);
    return groups;
}

// --- Hosts of the units ---

Text TSDialogForm::GetUninstallScriptPath() const {
    return UninstallScriptPath(GetTargetDir(false), Script->GetProgStamp());
}

TUninstallWriter& TSDialogForm::Uninstall() {
    if (!uninstall_)
        uninstall_ = std::make_unique<TUninstallWriter>(
            Script->GetCreateUninstall(), Script->GetScrambleUninstall(),
            [this] { return GetUninstallScriptPath(); });
    return *uninstall_;
}

bool TSDialogForm::AddUninstallLine(const Text& line, bool forced) {
    return Uninstall().AddLine(line, forced);
}

InstallHost TSDialogForm::MakeInstallHost() {
    InstallHost host;
    host.script = Script;
    host.uninstall = &Uninstall();
    host.engineDir = GetSourceDirPath(false);
    host.targetDir = GetTargetDir(false);
    host.sharedDir = GetCommonDir(false);
    host.auxiliaryDir = GetAuxiliaryDir(false);
    host.requiredSpace = static_cast<int64_t>(std::llround(GetRequiredSpace(SpaceBytes)));
    // A list the page never filled holds no choice: every row stands ticked, as it would show.
    const TextList& rows = Script->GetAssociationRows();
    const std::vector<bool> checks = GetAssociationChecks();
    for (size_t i = 0; i < rows.size(); ++i)
        if (checks.size() != rows.size() || checks[i]) host.tickedAssociations.push_back(rows[i]);
    host.userName = WindowText(NameEdit);
    host.companyName = WindowText(CompanyEdit);
    host.expandDirMacros = [this](const Text& text, const Text& suffix) {
        return ExpandDirMacros(text, suffix);
    };
    // The units' lines are data, apart from the continuation mark they may start with.
    host.addSetupLogLine = [this](const Text& line) {
        static const Text kContinue = "\\\\x";
        if (line.compare(0, kContinue.size(), kContinue) == 0)
            AddSetupLogLine("\\\\x", line.substr(kContinue.size()));
        else
            AddSetupLogLine("", line);
    };
    host.folderOwner = [this](const Text& folder) {
        return copyEngine_ ? copyEngine_->OwnerOf(folder) : FolderOwner::Other;
    };
    host.setupLogExisted = Script->GetCreateSetupLog() && SetupLogExistedBefore();
    host.installFile = [this](const InstallFileRequest& r) {
        if (!copyEngine_ || IsStopRequested()) return false; // after an exit nothing is made
        FileJob job;
        job.source = r.source;
        job.target = r.target;
        job.mode = r.overwriteMode;
        job.flags = r.flags;
        job.serviceLine = r.serviceLine;
        job.removalLines = r.removalLines;
        job.force = r.force;
        job.keepSource = r.keepSource;
        bool delayed = false;
        const bool ok = copyEngine_->InstallFile(job, delayed);
        if (delayed) RestartNeeded = true;
        return ok;
    };
    return host;
}

PostCopyHost TSDialogForm::MakePostCopyHost() const {
    PostCopyHost post;
    post.programGroup = GetProgramGroup();
    post.startMenu = {IsChecked(StartMenuCheckBox), StartMenuLinkName};
    post.desktop = {IsChecked(DesktopCheckBox), DesktopLinkName};
    post.sendTo = {IsChecked(SendToCheckBox), SendToLinkName};
    post.startUp = {IsChecked(StartUpCheckBox), StartUpLinkName};
    post.quickLaunch = {IsChecked(QuickLaunchCheckBox), QuickLaunchLinkName};
    post.createLink = [](const LinkRequest& r) {
        return CreateLink(r.location, r.subFolder, r.allUsers, r.name, r.target, r.arguments,
                          r.workDir, r.iconFile, r.iconIndex, r.showCommand);
    };
    post.shellFolder = [](int location, bool allUsers) {
        return GetShellFolder(location, allUsers);
    };
    post.setPostSetupCommand = [](const Text& command) { SetPostSetupCommand(command); };
    post.comFiles = ComFiles;
    post.fontFiles = FontFiles;
    return post;
}

void TSDialogForm::MakeCopyEngine() {
    CopyInputs inputs{*Script,
                      GetSourceDirPath(false),
                      GetTargetDir(false),
                      GetCommonDir(false),
                      GetAuxiliaryDir(false),
                      GetSetupTypeName(),
                      SelectedGroups(),
                      SourceDirList,
                      nullptr};
    CopyCallbacks cb;
    const InstallHost host = MakeInstallHost();
    cb.addSetupLogLine = host.addSetupLogLine;
    cb.addUninstallLine = [this](const Text& line, bool forced) {
        return AddUninstallLine(line, forced);
    };
    cb.uninstallHasLine = [this](const Text& line) { return Uninstall().HasLine(line); };
    cb.progress = [this](const CopyStep& step) { ShowCopyStep(step); };
    // The copy bar's confirmed Cancel stops the copy as the wizard's does.
    cb.isAbortRequested = [this] { return GetAbortRequested() || IsCopyBarCancelled(); };
    cb.isExitDialogShowing = [] { return IsExitDialogShowing(); };
    cb.isMusicPlaying = [this] { return musicPlays_; };
    copyEngine_ = std::make_unique<TCopyEngine>(std::move(inputs), std::move(cb));
}

void TSDialogForm::ShowCopyStep(const CopyStep& step) {
    switch (step.kind) {
    case CopyStep::Kind::Item:
        ++stepItems_;
        break;
    case CopyStep::Kind::File:
        stepTarget_ = step.target;
        stepBar_ = 0;
        break;
    case CopyStep::Kind::Bytes:
        if (step.total > 0) stepBar_ = static_cast<int>(step.done * kBarUnits / step.total);
        break;
    }
    const DWORD now = GetTickCount();
    if (now - stepShownAt_ < kStepShowMs && stepShownAt_ != 0) return;
    stepShownAt_ = now;
    if (stepTarget_ != shownTarget_) {
        shownTarget_ = stepTarget_;
        SetWindowTextTo(Label5, FileNamePartOf(stepTarget_));
        SetWindowTextTo(Label7, FolderPartOf(stepTarget_));
        SendMessageA(ProgressBar2, PBM_SETRANGE32, 0, kBarUnits);
    }
    SendMessageA(ProgressBar2, PBM_SETPOS, static_cast<WPARAM>(stepBar_), 0);
    if (stepItems_)
        SendMessageA(CopyProgressBar(), PBM_DELTAPOS, static_cast<WPARAM>(stepItems_), 0);
    stepItems_ = 0;
    ProcessAppMessages(); // the copy engine asks for the abort before its next file
}

// --- Steps ---

bool TSDialogForm::CreateDirOrFail(const Text& folder, const char* label) {
    AddSetupLogLine(label, folder);
    const bool ok = copyEngine_ && copyEngine_->CreateDirLogged(folder, false, 0);
    AddSetupLogLine(ok ? "\\\\x ... TRUE" : "\\\\x ... FALSE");
    if (ok) return true;
    ShowRunError("s2", kNoFolderText, folder);
    CloseWizard();
    return false;
}

bool TSDialogForm::WriteUninstallHeader() {
    return zk::WriteUninstallHeader(MakeInstallHost());
}

bool TSDialogForm::WriteAppRegistrationAndInfo() {
    return zk::WriteAppRegistrationAndInfo(MakeInstallHost(), originalInfo_);
}

bool TSDialogForm::CopySelectedComponents() {
    CopyRunning = true;
    const bool ok = copyEngine_->CopySelectedComponents();
    stepShownAt_ = 0; // the last steps shown now
    ShowCopyStep(CopyStep{CopyStep::Kind::Bytes, Text(), 0, 0});
    CopyRunning = false;
    SourceDirList = copyEngine_->SourceDirList();
    ComFiles = copyEngine_->ComFiles();
    FontFiles = copyEngine_->FontFiles();
    if (copyEngine_->RestartNeeded()) RestartNeeded = true;
    return ok;
}

void TSDialogForm::ApplyRegistryOps() {
    zk::ApplyRegistryOps(MakeInstallHost());
}

void TSDialogForm::ApplyIniFileOps() {
    zk::ApplyIniFileOps(MakeInstallHost());
}

bool TSDialogForm::ApplyEnvironmentOps() {
    return zk::ApplyEnvironmentOps(MakeInstallHost(), MakePostCopyHost());
}

void TSDialogForm::ApplyAssociations() {
    zk::ApplyAssociations(MakeInstallHost());
}

void TSDialogForm::ApplyOpenWith() {
    zk::ApplyOpenWith(MakeInstallHost());
}

bool TSDialogForm::CreateShortcuts() {
    return zk::CreateShortcuts(MakeInstallHost(), MakePostCopyHost(), originalInfo_);
}

bool TSDialogForm::RegisterComServers() {
    return zk::RegisterComServers(MakeInstallHost(), ComFiles);
}

bool TSDialogForm::InstallFonts() {
    return zk::InstallFonts(MakeInstallHost(), FontFiles);
}

bool TSDialogForm::WriteUserInfoKey() {
    return zk::ApplyUserInfoKey(MakeInstallHost());
}

bool TSDialogForm::AddScriptUninstallLines() {
    return zk::AddScriptUninstallLines(Uninstall(), Script->GetUninstallLines(),
                                       GetTargetDir(false), MakeInstallHost().folderOwner);
}

// A failure whose box is not up yet gets the script's box (the undo record could not be
// written); then the wizard closes, or closes once the run is no longer busy.
bool TSDialogForm::FailRun(bool boxShown) {
    if (!boxShown && uninstall_ && uninstall_->Failed())
        ShowRunError("s6", kNoScriptText, uninstall_->Path());
    CloseWizard();
    return false;
}

// A run that stops while no uninstaller stands beside its script: nothing could ever remove
// what it made, so that goes now. The script and the log when this run made them (a continued
// script is an earlier installation's), then the folders this run made, each only when empty.
void TSDialogForm::UndoIfNoUninstaller() {
    const Text script = GetUninstallScriptPath();
    if (IsFileThere(UninstallEnginePath(script))) return;
    if (uninstall_) {
        uninstall_->Close();
        if (uninstall_->MadeFile()) DeleteFileA(script.c_str());
    }
    WithdrawSetupLog();
    copyEngine_->RemoveCreatedFolders();
}

bool TSDialogForm::FailBeforeUninstaller(bool boxShown) {
    UndoIfNoUninstaller();
    return FailRun(boxShown);
}

void TSDialogForm::EndInstallation() {
    if (uninstall_) uninstall_->Close(); // the uninstaller may read it while the wizard stays
    copyEngine_.reset();
    Busy = false;
}

// Steps up to the copy: folders, the selection lines, stage 2, the header and registration,
// the folder lines. False when the run ended on the way (the wizard is closing).
bool TSDialogForm::PrepareInstallation() {
    PumpScope step(Handle()); // the folder boxes and stage 2 pump
    bool ok = CreateDirOrFail(GetTargetDir(false), "Create Target Directory: ");
    if (ok && Script->GetUsesCommonFolder())
        ok = CreateDirOrFail(GetCommonDir(false), "Create Common Directory: ");
    if (ok && Script->GetUsesAuxiliaryFolder())
        ok = CreateDirOrFail(GetAuxiliaryDir(false), "Create Auxiliary Directory: ");
    if (!ok) { // the box is up and the wizard closing
        UndoIfNoUninstaller();
        return false;
    }
    if (RunTimeDirAbortRequested()) return FailBeforeUninstaller(true);

    AddSetupLogLine("Show Screen: ", WindowText(Handle()));
    UpdateButtons();
    SetInstallFolders(GetTargetDir(false), GetCommonDir(false), GetAuxiliaryDir(false));
    if (!Uninstall().AddLines(SelectionLines(GetSetupTypeName(), GetGroupNames(),
                                             WindowText(NameEdit), WindowText(CompanyEdit))))
        return FailBeforeUninstaller(false);

    // An exit the stage asks for keeps what the run wrote (the script's first lines). The
    // user's Exit meanwhile makes nothing more, and takes back what no uninstaller could.
    AddSetupLogLine("Execute Before Copy");
    bool exitRequested = false;
    RunExecuteOps(kBeforeCopyStage, exitRequested);
    if (!step.Continue()) {
        UndoIfNoUninstaller();
        return false;
    }
    if (exitRequested) return FailRun(true);

    AddSetupLogLine("Handle First UnInstall Data");
    // Nothing is changed on the machine that the script could not undo.
    if (!WriteUninstallHeader() || !WriteAppRegistrationAndInfo())
        return FailBeforeUninstaller(copyEngine_->BoxShown());
    HWND bar = CopyProgressBar();
    SendMessageA(bar, PBM_SETRANGE32, 0, CountSelectedFiles());
    SendMessageA(bar, PBM_SETSTEP, 1, 0);
    SendMessageA(bar, PBM_SETPOS, 0, 0);
    if (!Uninstall().AddLines(
            FolderValueLines(GetTargetDir(false), GetCommonDir(false), GetAuxiliaryDir(false))))
        return FailRun(false);
    // The parents this run created above the install folders go with them.
    bool linesOk = copyEngine_->AddCreatedParentLines(GetTargetDir(false));
    if (linesOk && Script->GetUsesCommonFolder())
        linesOk = copyEngine_->AddCreatedParentLines(GetCommonDir(false));
    if (linesOk && Script->GetUsesAuxiliaryFolder())
        linesOk = copyEngine_->AddCreatedParentLines(GetAuxiliaryDir(false));
    return linesOk || FailRun(false);
}

// The copy, then stage 3 and the changes after it; false when the run failed or was stopped.
bool TSDialogForm::CopyAndApplyChanges() {
    PumpScope step(Handle()); // the copy's steps and stage 3 pump
    bool ok = CopySelectedComponents();
    const bool boxShown = copyEngine_->BoxShown();
    if (IsCopyBarCancelled()) SetAbortRequested(true); // as an Exit on the wizard's Cancel
    if (GetAbortRequested() || RunTimeDirAbortRequested()) ok = false;
    ProcessAppMessages(); // what the copy's end queued; a fixed pause here costs every run
    if (!step.Continue()) ok = false;
    AddSetupLogLine("");
    if (!ok) return FailRun(boxShown);

    AddSetupLogLine("Execute After Copy");
    bool exitRequested = false;
    RunExecuteOps(kAfterCopyStage, exitRequested); // an exit meanwhile is its exit request
    if (exitRequested) return FailRun(true);
    ApplyRegistryOps();
    ApplyIniFileOps();
    ApplyEnvironmentOps();
    ApplyAssociations();
    ApplyOpenWith();
    CreateShortcuts();
    RegisterComServers();
    InstallFonts();
    WriteUserInfoKey();
    AddScriptUninstallLines();
    // The script is the product's only way out: a line it lost fails the run.
    return !(uninstall_ && uninstall_->Failed()) || FailRun(false);
}

// A finished run: the auto-update program told, then the end (silent) or the next page.
void TSDialogForm::CompleteInstallation() {
    PumpScope step(Handle()); // stage 4 and the wait for the slide show's end pump
    if (ATOM atom = GlobalFindAtomA("AutoUpdateAtomTokenByZelkon")) GlobalDeleteAtom(atom);
    const bool cancelled = HasCopyBar() && IsCopyBarCancelled();
    if (IsSilentSetup()) {
        bool exitRequested = false;
        RunExecuteOps(kSetupEndStage, exitRequested);
    }
    if (HasCopyBar()) CloseCopyBar();
    if (!step.Continue()) return EndInstallation(); // an exit meanwhile: its close follows
    if (IsSilentSetup() || cancelled) {
        CloseWizard();
        EndInstallation();
        return;
    }
    EndInstallation();
    ShowWizard();
    NextButtonClick();
}

// Busy from its first wait on, so a close during the copy bar's waits is deferred too; an
// abort (the user's Exit) is never cleared here: after it nothing more is made.
void TSDialogForm::RunInstallation() {
    PumpScope step(Handle());
    if (!step.Continue()) return;
    if (InstallationRoutineOverride()) {
        InstallationRoutineOverride()(*this);
        return;
    }
    Busy = true;
    if (Script->GetAddBillboard()) {
        if (!IsSilentSetup()) ShowWindow(Handle(), SW_HIDE);
        if (step.Wait(200)) ShowCopyBar();
        if (!step.Continue()) return EndInstallation();
    }
    MakeCopyEngine();
    if (!PrepareInstallation()) {
        EndInstallation();
        return;
    }
    Text musicPath;
    int savedBarWidth = 0;
    StartBackgroundMusic(musicPath, savedBarWidth);
    musicPlays_ = !musicPath.empty();
    const bool ok = CopyAndApplyChanges();
    musicPlays_ = false;
    if (!musicPath.empty()) StopBackgroundMusic(savedBarWidth);
    if (ok)
        CompleteInstallation();
    else
        EndInstallation();
}

} // namespace zk
