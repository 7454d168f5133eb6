#include "SAppReg.h"

#include <windows.h>

#include "Common.h"
#include "RegOp.h"
#include "SLang.h"
#include "UtilPlus.h"

namespace zk {

namespace {

bool IsFile(const Text& path) {
    const DWORD a = GetFileAttributesA(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

// Items of a "|"-separated list of file names, blanks trimmed, empty ones left out.
TextList FileNamesOf(const Text& list) {
    TextList names;
    size_t start = 0;
    while (start <= list.size()) {
        size_t end = list.find('|', start);
        if (end == Text::npos) end = list.size();
        Text name = Trim(list.substr(start, end - start));
        if (!name.empty()) names.push_back(name);
        start = end + 1;
    }
    return names;
}

// A file of the engine's folder put into the target folder under its own name, forced.
InstallFileRequest EngineFileRequest(const InstallHost& host, const Text& name) {
    InstallFileRequest r;
    r.source = FixSlash(host.engineDir, true) + FileNameOfPath(name); // a root keeps its "\\"
    r.target = FixSlash(host.targetDir, true) + FileNameOfPath(name);
    r.force = true;
    return r;
}

bool Install(const InstallHost& host, const InstallFileRequest& request) {
    return host.installFile && host.installFile(request);
}

// A file of the extension library or the delivery list: removed at the very end of the
// uninstallation, the engine's copy kept for the setup's own use.
bool InstallServiceFile(const InstallHost& host, const Text& name) {
    InstallFileRequest r = EngineFileRequest(host, name);
    r.serviceLine = true;
    r.keepSource = true;
    return Install(host, r);
}

// The row with field 0 (the INI file) expanded, without its frame again.
Text WithIniFileExpanded(const InstallHost& host, const Text& row) {
    Text framed = "|" + row + "|";
    ListSetItem(framed, 0, ExpandWithHost(host, ListItem(framed, 0), "\\"));
    return framed.substr(1, framed.size() - 2);
}

OperationRowTexts OperationRowsOf(const InstallHost& host) {
    const TScript& s = *host.script;
    OperationRowTexts rows;
    rows.registryRows = s.GetRegistryRows();
    for (const Text& row : s.GetIniRows()) rows.iniRows.push_back(WithIniFileExpanded(host, row));
    // Environment rows are recorded by their step, and only those that changed a variable:
    // the undo of an Append whose item was there already would take the user's own item.
    rows.associationRows = host.tickedAssociations;
    rows.openWith = s.GetOpenWith();
    rows.openWithName = s.GetOpenWithName();
    rows.openWithExtensions = s.GetOpenWithExtensions();
    rows.executionDllName = s.GetExecutionDllName();
    rows.executeItems = s.GetExecuteItems();
    return rows;
}

bool AddKeyLine(const InstallHost& host, const Text& key) {
    return key.empty() || AddUninstall(host, CommandLine("REMOVE_REG_KEY", key));
}

// The uninstall engine first, then the entry that starts it: Add/Remove never names a
// program that is not there. Each key's line comes before the key.
bool RegisterUninstaller(const InstallHost& host, bool& written) {
    const TScript& s = *host.script;
    const Text engine = UninstallEnginePath(host.uninstall->Path());
    InstallFileRequest r = EngineFileRequest(host, "UnInstall.exe");
    r.target = engine;
    if (!Install(host, r)) return false;
    if (!AddKeyLine(host, UninstallEntryKey(s.GetProgName()))) {
        written = false;
        return true;
    }
    const Text entry = WriteUninstallEntry(s.GetProgName(), engine, s.GetProgVersion(),
                                           s.GetCompanyUrl(), GetOriginExe(), s.GetCompanyName());
    if (entry.empty()) return true;
    const Text program = ExpandWithHost(host, s.GetProgExeName(), "\\");
    if (AddKeyLine(host, ArpCacheEntryKey(s.GetProgName(), program, host.requiredSpace)))
        WriteArpCacheEntry(s.GetProgName(), program, host.requiredSpace);
    else
        written = false;
    return true;
}

// The key's line, then lines for the parents it will make (taken when empty, deepest first):
// false when one could not be written, and the key must not be made.
bool AddKeyLinesFirst(const InstallHost& host, const Text& key) {
    if (key.empty()) return true;
    const TextList parents = MissingParentKeys(key);
    if (!AddKeyLine(host, key)) return false;
    for (const Text& parent : parents)
        if (!AddUninstall(host, CommandLine("REMOVE_EMPTY_REG_KEY", parent))) return false;
    return true;
}

// App Paths names one program per file name: an entry of another program's stays as it is.
bool RegisterAppPathOf(const InstallHost& host, const Text& program) {
    const Text name = FileNameOfPath(program);
    const Text there = GetAppPath(name);
    if (!there.empty() && !TextEquals(CanonicalizePath(there), CanonicalizePath(program))) {
        LogLine(host, "App Paths: " + name + " names " + there + ", left as it is");
        return true;
    }
    if (!AddKeyLinesFirst(host, AppPathKeyOf(program))) return false;
    RegisterAppPath(program);
    return true;
}

} // namespace

FolderOwner OwnerByHost(const InstallHost& host, const Text& folder) {
    return host.folderOwner ? host.folderOwner(folder) : FolderOwner::Other;
}

Text ExpandWithHost(const InstallHost& host, const Text& text, const Text& suffix) {
    return host.expandDirMacros ? host.expandDirMacros(text, suffix)
                                : ExpandFolderMacros(text, suffix);
}

void LogLine(const InstallHost& host, const Text& line) {
    if (host.addSetupLogLine) host.addSetupLogLine(line);
}

bool AddUninstall(const InstallHost& host, const Text& line, bool forced) {
    return !host.uninstall || host.uninstall->AddLine(line, forced);
}

bool AddUninstall(const InstallHost& host, const UninstallLines& lines) {
    return !host.uninstall || host.uninstall->AddLines(lines);
}

UninstallHeaderTexts HeaderTextsOf(const InstallHost& host) {
    const TScript& s = *host.script;
    UninstallHeaderTexts t;
    t.composerVersion = s.GetComposerBuild();
    t.progName = s.GetProgName();
    t.companyUrl = s.GetCompanyUrl();
    t.charSet = GetLangCharset();
    t.dialogBitmap3DFrame = s.GetDialogBitmap3DFrame();
    t.autoUpdateExeName = s.GetAutoUpdateExeFileName();
    t.progExePath = ExpandWithHost(host, s.GetProgExeName(), "\\");
    t.isRunningTest = s.GetTestExeBeforeUninstall();
    t.isRunningCaption = LangString("UnInstall", "IsRunningCaption", "Attention");
    t.isRunningText = LangString("UnInstall", "IsRunningText", "");
    t.confirmCaption = LangString("UnInstall", "ConfirmCaption", "Confirm");
    t.confirmText =
        LangString("UnInstall", "ConfirmText", "Are you sure you want to uninstall the program");
    t.buttonTexts = LangString("MsgBox", "BtnText", "|OK|Cancel|Yes|No|Abort|Retry|Ignore|");
    t.buttonClose = LangString("UnInstall", "ButtonClose", "Close");
    t.buttonLog = LangString("UnInstall", "ButtonLog", "View Log");
    t.s1 = LangString("UnInstall", "s1", "");
    t.s2 = LangString("UnInstall", "s2", "");
    t.testAdminRights = s.GetTestAdminRightsUninstall();
    t.hideErrorMessages = s.GetHideErrMsgUninstall();
    t.hideLogButton = s.GetHideLogBtnUninstall();
    for (size_t i = 0; i < t.labels.size(); ++i)
        t.labels[i] = LangString("UnInstall", "Label" + IntToStr(int64_t(i) + 1), "");
    return t;
}

bool WriteUninstallHeader(const InstallHost& host) {
    const TScript& s = *host.script;
    if (!s.GetCreateUninstall() || !host.uninstall) return true;
    bool written = AddUninstall(host, HeaderValueLines(HeaderTextsOf(host)));

    FirstRemovalTexts first;
    first.scriptPath = host.uninstall->Path();
    if (s.GetCreateSetupLog() && !host.setupLogExisted)
        first.setupLogPath = FixSlash(host.targetDir, true) + "Setup.log";
    if (s.GetUsesCommonFolder()) {
        first.commonFolder = host.sharedDir;
        first.commonFolderOurs = OwnerByHost(host, host.sharedDir) != FolderOwner::Other;
    }
    if (s.GetUsesAuxiliaryFolder()) {
        first.auxiliaryFolder = host.auxiliaryDir;
        first.auxiliaryFolderOurs = OwnerByHost(host, host.auxiliaryDir) != FolderOwner::Other;
    }
    first.runTimeDirs = {s.GetRunTimeDir1(), s.GetRunTimeDir2(), s.GetRunTimeDir3()};
    written = AddUninstall(host, FirstRemovalLines(first)) && written;
    if (!written) return false; // no change the script could not undo

    bool ok = true;
    if (!s.GetProgName().empty() && !host.uninstall->Path().empty())
        ok = RegisterUninstaller(host, written);
    if (ok && !s.GetExecutionDllName().empty())
        ok = InstallServiceFile(host, s.GetExecutionDllName());
    if (ok)
        for (const Text& name : FileNamesOf(s.GetDeliveryFiles())) InstallServiceFile(host, name);

    written = AddUninstall(host, OperationRowLines(OperationRowsOf(host))) && written;
    return ok && written && !host.uninstall->Failed();
}

bool TOriginalInfoFile::WriteValue(const InstallHost& host, const Text& section, const Text& key,
                                   const Text& value) {
    if (path_.empty()) {
        const Text name = host.script->GetOriginalInfoFileName();
        if (name.empty()) return false;
        InstallFileRequest r = EngineFileRequest(host, name);
        if (!IsFile(r.source)) return false;
        r.removalLines = true;
        // Only a copy in place takes values: never an INI file of that name made from nothing.
        if (!Install(host, r)) return false;
        path_ = r.target;
    }
    IniWriteString(path_, section, key, value);
    return true;
}

bool WriteAppRegistrationAndInfo(const InstallHost& host, TOriginalInfoFile& info) {
    const TScript& s = *host.script;
    bool written = true;
    if (s.GetRegisterAsApplication()) {
        const Text company = s.GetCompanyName(), product = s.GetProgName();
        if (AddKeyLinesFirst(host, ProductKeyOf(company, product, s.GetProgVersion())))
            CreateProductKey(company, product, s.GetProgVersion());
        else
            written = false;
        written =
            RegisterAppPathOf(host, ExpandWithHost(host, s.GetProgExeName(), "\\")) && written;
    }
    if (!s.GetOriginalInfoFileName().empty()) {
        const Text script = host.uninstall ? host.uninstall->Path() : Text();
        const Text msgBox[][2] = {
            {"BtnText", "|OK|Cancel|Yes|No|Abort|Retry|Ignore|"},
            {"Error", "Error"},
            {"Confirm", "Confirm"},
            {"Attention", "Attention"},
        };
        const Text values[][3] = {
            {"Directories", "TargetDir", host.targetDir},
            {"Directories", "SharedDir", host.sharedDir},
            {"Directories", "AuxiliaryDir", host.auxiliaryDir},
            {"UnInstall", "Txt", script},
            {"UnInstall", "Exe", script.empty() ? Text() : UninstallEnginePath(script)},
        };
        for (const auto& v : values) info.WriteValue(host, v[0], v[1], v[2]);
        for (const auto& m : msgBox)
            info.WriteValue(host, "MsgBox", m[0], LangString("MsgBox", m[0], m[1]));
        info.WriteValue(host, "MsgBox", "CharSet", IntToStr(GetLangCharset()));
        for (const char* key : {"s1", "s2", "s3", "s4", "s5", "s11", "s12", "s13", "s14", "s15",
                                "s16", "s17", "s21", "s22", "s23", "s24"})
            info.WriteValue(host, "AutoUpdate", key, LangString("AutoUpdate", key, ""));
    }
    const Text autoUpdate = s.GetAutoUpdateExeFileName();
    if (!autoUpdate.empty()) {
        InstallFileRequest r = EngineFileRequest(host, autoUpdate);
        r.removalLines = true;
        if (IsFile(r.source)) Install(host, r);
    }
    return written && !(host.uninstall && host.uninstall->Failed());
}

} // namespace zk
