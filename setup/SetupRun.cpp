#include "SetupRun.h"

#include "Common.h"
#include "ExitSetup.h"
#include "Global.h"
#include "Process.h"
#include "RegOp.h"
#include "SDialog.h"
#include "SLang.h"
#include "SMain.h"
#include "SScriptRead.h"
#include "SetupText.h"
#include "SysLibs.h"
#include "U_DEBUG0.h"
#include "UtilPlus.h"
#include "ZMsgBox.h"

#include <windows.h>

namespace zk {

namespace {

bool gBackgroundUpdateMode = false;
AdminTest gAdminTest = IsUserAdmin;

bool FileExists(const Text& path) {
    const DWORD a = GetFileAttributesA(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

void LaunchProgram() {
    const Text program = GetLaunchProgram();
    if (program.empty()) return;
    const Text workDir = GetLaunchWorkDir();
    const Text folder = workDir.empty() ? FolderPartOf(program) : workDir;
    if (!folder.empty()) SetCurrentDirectoryA(folder.c_str());
    ShellOpen(program, "", SW_SHOW);
}

// The program of the command line runs in its own folder, started by its quoted path.
void RunPostSetupCommand() {
    const Text command = GetPostSetupCommand();
    if (command.empty()) return;
    const CommandSplit split = SplitProgramFromCommand(command, FileExists);
    const Text folder = FolderPartOf(split.program);
    if (!folder.empty()) SetCurrentDirectoryA(folder.c_str());
    Text line = QuotedCommandLine(split);
    STARTUPINFOA si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESHOWWINDOW;
    si.wShowWindow = SW_HIDE;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessA(split.program.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        folder.empty() ? nullptr : folder.c_str(), &si, &pi)) {
        TraceLine("Cannot start " + line + ": error " + IntToStr(GetLastError()));
        return;
    }
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
}

void RestartIfRequested(HWND mainWindow) {
    if (!IsRestartRequested()) return;
    if (mainWindow && IsWindow(mainWindow)) ShowWindow(mainWindow, SW_HIDE);
    WaitWithMessages(100);
    TraceLine("Restart Windows");
    RebootWindows();
}

// Runs the wizard to its end; false when the Setup Start stage stopped setup.
bool RunWizard(TScript& script) {
    TSDialogForm wizard;
    if (!wizard.Make(nullptr)) return false;
    wizard.Script = &script;
    wizard.InitFromScript();
    if (wizard.RunBeforeDialogs()) return false;
    if (gBackgroundUpdateMode) wizard.SetHiddenPlacement();
    wizard.ShowWizard();
    wizard.RunUntilClosed(wizard.Handle());
    return true;
}

// The background window over the work area, which creates and starts the wizard in front of
// itself; the run ends when the background window has closed.
void RunWithBackground(TScript& script) {
    TSDialogForm wizard;
    TSMainForm::Hooks hooks;
    hooks.createWizard = [&](TSMainForm& background) -> HWND {
        if (!wizard.Make(nullptr)) return nullptr;
        wizard.Script = &script;
        wizard.BackgroundWindow = background.Handle();
        return wizard.Handle();
    };
    hooks.startWizard = [&] {
        if (!wizard.Exists()) return false;
        wizard.InitFromScript();
        if (wizard.RunBeforeDialogs()) return false;
        wizard.ShowWizard();
        return true;
    };
    // A close while the wizard's question is up waits for that answer, as the wizard's does.
    hooks.confirmExit = [](HWND owner) {
        return !IsExitDialogShowing() && ConfirmExitSetup(owner);
    };
    hooks.setExitConfirmed = [] { SetExitConfirmed(true); };
    // Through the wizard's close protocol: an installation under way stops first.
    hooks.closing = [&] {
        if (wizard.Exists()) wizard.Close();
    };
    TSMainForm background(script, hooks);
    if (!background.Make()) return;
    background.Show();
    background.RunUntilClosed(wizard.Exists() ? wizard.Handle() : nullptr);
    // A wizard not yet closed (its close was posted) goes now; it leaves the background alone.
    if (wizard.Exists()) {
        wizard.CloseWizard();
        wizard.RunUntilClosed(wizard.Handle());
    }
}

} // namespace

void SetAdminTest(AdminTest test) {
    gAdminTest = test ? test : IsUserAdmin;
}

bool IsBackgroundUpdateMode() {
    return gBackgroundUpdateMode;
}

bool InstallPsapiDll() {
    if (!IsWinNT()) return false;
    if (HMODULE psapi = LoadSystemLibrary("psapi.dll")) {
        FreeLibrary(psapi);
        return false;
    }
    TraceLine("psapi.dll not found: running programs are found through ToolHelp");
    return false;
}

bool IsOsAllowed(const TScript& script) {
    return IsOsAllowedIn(script.GetAllowedOs(), GetWindowsName());
}

bool CheckAdminRights(const TScript& script) {
    return !IsWinNT() || !script.GetTestAdminRights() || gAdminTest();
}

bool CheckDotNetFramework(const TScript& script) {
    return !script.GetTestForDotNetFramework() || IsDotNetInstalled();
}

void WarnIfProgramRunning(const TScript& script) {
    if (!script.GetTestExeBeforeInstall()) return;
    const Text path = GetAppPath(FileNamePartOf(script.GetProgExeName()));
    if (path.empty() || !FileExists(path) || !IsProgramRunning(path)) return;
    ShowErrorBox(nullptr,
                 ReplaceAllSafe(LangString("BeforeInstall", "IsRunningText", ""), "PROG_NAME",
                                script.GetProgName()),
                 LangString("BeforeInstall", "IsRunningCaption", ""),
                 LangString("MsgBox", "BtnText", DefaultButtonCaptions), GetLangCharset());
}

void ReadOriginalInfoFiles(TScript& script) {
    const Text value = OriginalInfoFileValue(GetCommandLineA());
    if (value.empty()) return;
    // A relative value names a file of the current folder, as a path argument does for any
    // program; the profile functions would look for it in the Windows folder instead.
    const Text base = FullPathName(value);
    TraceLine("Original info file: " + base);
    if (base.empty()) return;
    const Text original = ChangeFileExtension(base, ".original");
    if (FileExists(original)) {
        SetApplicationFolderOverride(IniReadString(original, "Directories", "TargetDir", ""));
        SetCommonFolderOverride(IniReadString(original, "Directories", "SharedDir", ""));
        SetAuxiliaryFolderOverride(IniReadString(original, "Directories", "AuxiliaryDir", ""));
    }
    const Text info = ChangeFileExtension(base, ".info");
    if (FileExists(info) && IniReadString(info, "NewSetup", "BackgroundUpdate", "0") == "1") {
        gBackgroundUpdateMode = true;
        script.SetSilentSetup();
    }
}

int RunSetup() {
    const Text scriptPath = GetSetupTextName(true);
    Text error;
    if (!FileExists(scriptPath)) {
        error = ScriptNotFoundText(scriptPath);
    } else {
        TScript script;
        script.LoadFromFile(scriptPath, ShowUnrecognizedCommandBox);
        SelectLanguageFile(script);
        if (!IsOsAllowed(script))
            error = OsNotAllowedText(script.GetProgName(), GetWindowsName());
        else if (!CheckAdminRights(script))
            error = AdminRightsText();
        else if (!CheckDotNetFramework(script))
            error = DotNetMissingText(script.GetProgName());
        if (error.empty()) {
            WarnIfProgramRunning(script);
            ReadOriginalInfoFiles(script);
            if (script.GetSetupBackground() && !gBackgroundUpdateMode)
                RunWithBackground(script);
            else
                RunWizard(script);
            LaunchProgram();
            RunPostSetupCommand();
            RestartIfRequested(nullptr);
        }
    }
    if (error.empty()) return SetupExitDone;
    ShowErrorBox(nullptr, error, "Error", DefaultButtonCaptions, 0);
    return SetupExitRefused;
}

int ProgramMain() {
    HardenLibrarySearch(); // before anything loads a library
    StartDebugChannel();
    InitializeLanguage();
    InstallPsapiDll();
    const int code = RunSetup();
    FinalizeLanguage();
    return code;
}

} // namespace zk
