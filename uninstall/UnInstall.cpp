// The uninstall engine's entry: checks the script beside it, asks for confirmation, clears the
// auto-update program away, runs the uninstall window and, when the removal ran to its end,
// leaves a batch behind that deletes the uninstaller and its folder after it has exited.
#include "Files.h"
#include "Global.h"
#include "Process.h"
#include "U_DEBUG0.h"
#include "Common.h"
#include "UnFilters.h"
#include "UnMain.h"
#include "UnRemove.h"
#include "UnReport.h"
#include "UtilPlus.h"
#include "SysLibs.h"
#include "ZMsgBox.h"

#include <windows.h>

namespace zk {

namespace {

constexpr DWORD kTerminateWaitMs = 10000;

bool FileExists(const Text& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

Text ShortPath(const Text& path) {
    char buffer[MAX_PATH];
    const DWORD n = GetShortPathNameA(path.c_str(), buffer, MAX_PATH);
    return n > 0 && n < MAX_PATH ? Text(buffer, n) : path;
}

std::wstring WideOf(const Text& text, UINT codePage) {
    const int n =
        MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring w(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), w.data(), n);
    return w;
}

// ANSI text in the OEM code page, which cmd reads batch files in.
Text AnsiToOem(const Text& text) {
    if (text.empty()) return text;
    const std::wstring w = WideOf(text, CP_ACP);
    const int wide = static_cast<int>(w.size());
    const int n = WideCharToMultiByte(CP_OEMCP, 0, w.data(), wide, nullptr, 0, nullptr, nullptr);
    Text oem(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_OEMCP, 0, w.data(), wide, oem.data(), n, nullptr, nullptr);
    return oem;
}

// Whether the OEM form names the same characters: a substitute ("T" for "\x99", "?" for
// "\x80", a wildcard to DEL) would name another file, or none.
bool FitsOemCodePage(const Text& text) {
    return WideOf(AnsiToOem(text), CP_OEMCP) == WideOf(text, CP_ACP);
}

// A path as the batch names it: its short form when asked for, or when the OEM code page
// cannot hold it (short names are plain ASCII).
Text BatchPath(const Text& path, bool useShortNames) {
    if (!useShortNames && FitsOemCodePage(path)) return path;
    const Text shortPath = ShortPath(path);
    if (!FitsOemCodePage(shortPath)) TraceLine("No short name the batch can hold for " + path);
    return shortPath;
}

void DeleteIfPresent(const Text& path) {
    if (FileExists(path)) DeleteFileA(path.c_str());
}

// The auto-update program is named by file name only; a name that leads elsewhere is refused.
Text AutoUpdateName(const Text& name) {
    if (name.empty() || IsPlainFileName(name)) return name;
    TraceLine("GET_AUTO_UPDATE_EXE_FILE_NAME=" + name + " refused: not a plain file name");
    return {};
}

bool TerminateProcessByExeName(const Text& path, bool fullPathOnly);

void ClearAutoUpdateProgram(const Text& name) {
    if (name.empty()) return;
    const Text dir = GetExeDir(true);
    DeleteIfPresent(dir + name);
    const Text runningCopy = dir + "X_" + name;
    if (!FileExists(runningCopy)) return;
    TerminateProcessByExeName(runningCopy, true);
    WaitWithMessages(100);
    DeleteIfPresent(runningCopy);
}

void DeleteAutoUpdateFiles(const Text& name) {
    if (name.empty()) return;
    const Text dir = GetExeDir(true);
    DeleteIfPresent(dir + "X_" + name);
    DeleteIfPresent(dir + name);
}

bool HasAdminRightsIfRequired(bool required) {
    return !required || !IsWinNT() || IsUserAdmin();
}

bool TerminateProcessByExeName(const Text& path, bool fullPathOnly) {
    const DWORD pid =
        IsWinNT() ? FindProcessNT(path, fullPathOnly) : FindProcess9x(path, fullPathOnly);
    if (!pid) return false;
    UniqueHandle process(OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid));
    if (!process || !TerminateProcess(process.get(), 0)) return false;
    // Waited for on its own handle: a same-named program elsewhere cannot hold the run.
    if (WaitForSingleObject(process.get(), kTerminateWaitMs) != WAIT_OBJECT_0)
        TraceLine("Terminated " + path + " has not ended within 10 s");
    return true;
}

// The installation's parent folders above this folder, left for the batch: they can be
// empty only once the folder is gone.
TextList ParentDirsForBatch(const TextList& scriptLines) {
    const UninstallWorkLists lists = ParseUninstallScript(scriptLines);
    const RemovalContext ctx = MakeRemovalContext(lists, GetExeName());
    TextList removeDirs;
    for (const Text& entry : lists[WorkList::Dir]) {
        const Text dir = CanonicalizePath(entry);
        if (!dir.empty() && !IsSystemFolder(dir)) removeDirs.push_back(dir);
    }
    return RemoveDirsAboveOwnDir(ctx.protection, removeDirs, ctx.ownDir);
}

void CreateSelfDeleteBatch(bool removeFolder, bool useShortNames, TextList parentDirs) {
    Text bat = GetTempDir(true) + "_DEL_ME_.BAT";
    SaveFile(bat, "ABC\r\n", 0);
    Text exe = GetExeName();
    Text dir = GetExeDir(false);
    TraceLine(Text("UseShortNames=") + (useShortNames ? "TRUE" : "FALSE"));
    bat = BatchPath(bat, useShortNames);
    exe = BatchPath(exe, useShortNames);
    dir = BatchPath(dir, useShortNames);
    for (Text& parent : parentDirs) parent = BatchPath(parent, useShortNames);
    if (!SaveFile(bat, AnsiToOem(SelfDeleteBatchText(exe, dir, bat, removeFolder, 30, parentDirs)),
                  0)) {
        TraceLine("Cannot write " + bat);
        return;
    }
    // cmd.exe named in full and the batch path quoted: nothing is looked up along the path's
    // blanks. The batch runs in the temporary folder, so it holds no handle on the folder it
    // removes.
    const Text cmd = GetSystemDir(true) + "cmd.exe";
    Text commandLine = "\"" + cmd + "\" /c \"\"" + bat + "\"\"";
    const Text workDir = GetTempDir(false);
    STARTUPINFOA si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESHOWWINDOW;
    si.wShowWindow = SW_HIDE;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessA(cmd.c_str(), commandLine.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW,
                        nullptr, workDir.c_str(), &si, &pi)) {
        TraceLine("Cannot start " + commandLine + ": error " + IntToStr(GetLastError()));
        return;
    }
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
}

} // namespace

int UninstallMain() {
    HardenLibrarySearch(); // before anything loads a library
    StartDebugChannel();
    const Text script = GetUninstallScriptPath();
    if (!FileExists(script)) {
        ShowErrorBox(nullptr, script + "\\\\nScript file not found.\\\\n\\\\nUnInstall aborted!",
                     "Error", DefaultButtonCaptions, 0);
        return 1;
    }
    const TextList lines = LoadUninstallScript(script);
    const auto value = [&](const char* key) { return GetScriptValue(lines, key); };
    const int charset = StrToIntDef(value("CHAR_SET"), 0);
    const Text progName = value("PROG_NAME");
    const bool runningTest = IsFlagOn(value("IS_RUNNING_TEST"));
    const bool adminTest = IsFlagOn(value("GET_TEST_ADMIN_RIGHTS_UNINSTALL"));
    const Text runningCaption = value("IS_RUNNING_CAPTION");
    const Text runningText = ReplaceAllSafe(value("IS_RUNNING_TEXT"), "PROG_NAME", progName);
    const Text progExe = value("GET_PROG_EXE_NAME");
    const Text confirmCaption = value("CONFIRM_CAPTION");
    const Text autoUpdate = AutoUpdateName(value("GET_AUTO_UPDATE_EXE_FILE_NAME"));
    const Text confirmText = MakeConfirmText(value("CONFIRM_TEXT"), progName);
    const Text buttons = value("BTN_TEXT");

    if (!HasAdminRightsIfRequired(adminTest)) {
        ShowErrorBox(nullptr,
                     "Unable to UnInstall the program\\\\nMake sure you have ADMINISTRATOR Rights "
                     "on this PC!",
                     "Error", DefaultButtonCaptions, 0);
        return 1;
    }
    if (!AskYesNo(nullptr, confirmText, confirmCaption, buttons, charset)) return 0;
    if (runningTest && IsProgramRunning(progExe))
        ShowErrorBox(nullptr, runningText, runningCaption, buttons, charset);
    ClearAutoUpdateProgram(autoUpdate);
    {
        TMainForm form;
        if (form.Open()) form.RunUntilClosed();
    }
    DeleteAutoUpdateFiles(autoUpdate);
    if (IsUninstallDone()) CreateSelfDeleteBatch(true, false, ParentDirsForBatch(lines));
    return 0;
}

} // namespace zk

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    return zk::UninstallMain();
}
