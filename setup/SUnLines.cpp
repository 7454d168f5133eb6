#include "SUnLines.h"

namespace zk {

namespace {

Text WithoutTrailingBackslash(Text folder) {
    while (EndsWithChar(folder, '\\')) folder.pop_back();
    return folder;
}

Text FlagText(bool on) {
    return on ? "1" : "0";
}

void AddValue(UninstallLines& lines, const char* key, const Text& value) {
    lines.push_back({ValueLine(key, value)});
}

void AddCommand(UninstallLines& lines, const char* command, const Text& argument) {
    Text line = CommandLine(command, argument);
    if (!line.empty()) lines.push_back({line});
}

void AddRows(UninstallLines& lines, const char* command, const TextList& rows) {
    for (const Text& row : rows) {
        Text line = RowCommandLine(command, row);
        if (!line.empty()) lines.push_back({line});
    }
}

void AddEmpty(UninstallLines& lines, bool forced) {
    lines.push_back({"", forced});
}

// The first of "|" and a few other marks, else of every byte, that neither text holds.
char ListDelimiterFor(const Text& a, const Text& b) {
    const auto unused = [&](char c) { return a.find(c) == Text::npos && b.find(c) == Text::npos; };
    for (char c : Text("|~^#!`"))
        if (unused(c)) return c;
    for (int c = 1; c < 256; ++c)
        if (c != '\r' && c != '\n' && unused(static_cast<char>(c))) return static_cast<char>(c);
    return '|'; // both texts together hold every byte
}

} // namespace

Text UninstallScriptPath(const Text& targetDir, const Text& progStamp) {
    Text path = WithoutTrailingBackslash(targetDir) + "\\UnInstall.txt";
    if (progStamp.empty()) return path;
    return path.insert(path.rfind('.'), "_" + progStamp);
}

Text UninstallEnginePath(const Text& scriptPath) {
    const size_t dot = scriptPath.rfind('.');
    const size_t slash = LastCharOf(scriptPath, "\\/");
    if (dot == Text::npos || (slash != Text::npos && dot < slash)) return scriptPath + ".exe";
    return scriptPath.substr(0, dot) + ".exe";
}

Text TerminateLine(const Text& line) {
    if (!line.empty() && line.back() == ')' && line.find('=') == Text::npos) return line + ";";
    return line;
}

bool HasEmptyArgument(const Text& line) {
    const size_t open = line.find('(');
    if (open == Text::npos || line.find('=') < open) return false;
    const size_t close = line.rfind(')');
    if (close == Text::npos || close < open) return false;
    return Trim(line.substr(open + 1, close - open - 1)).empty();
}

Text ReplaceTargetDirMacro(const Text& line, const Text& targetDir) {
    // One pass: the inserted folder is never searched again.
    static const Text macro = "<TARGET_DIR>";
    const Text folder = WithoutTrailingBackslash(targetDir);
    Text out;
    size_t from = 0;
    for (size_t p; (p = line.find(macro, from)) != Text::npos; from = p + macro.size())
        out += line.substr(from, p - from) + folder;
    return out + line.substr(from);
}

Text LineKey(const Text& line) {
    return UpperCase(line);
}

Text CommandLine(const Text& command, const Text& argument) {
    const Text clean = StripLineBreaks(argument);
    if (Trim(clean).empty()) return {};
    return command + "(" + clean + ");";
}

Text RowCommandLine(const Text& command, const Text& row) {
    const Text clean = StripLineBreaks(row);
    if (Trim(clean).empty()) return {};
    return command + "(|" + clean + "|);";
}

Text ValueLine(const Text& key, const Text& value) {
    return key + "=" + StripLineBreaks(value);
}

UninstallLines SelectionLines(const Text& setupType, const Text& groupNames, const Text& userName,
                              const Text& companyName) {
    UninstallLines lines;
    AddValue(lines, "SetupType", setupType);
    AddValue(lines, "GroupNames", groupNames);
    const Text name = StripLineBreaks(userName), company = StripLineBreaks(companyName);
    const Text d(1, ListDelimiterFor(name, company));
    AddValue(lines, "UserData", d + name + d + company + d);
    return lines;
}

UninstallLines HeaderValueLines(const UninstallHeaderTexts& t) {
    UninstallLines lines;
    AddValue(lines, "Version", "1.0");
    AddValue(lines, "ComposerVersion", t.composerVersion);
    AddEmpty(lines, false);
    AddValue(lines, "PROG_NAME", t.progName);
    AddValue(lines, "COMPANY_URL", t.companyUrl);
    AddValue(lines, "CHAR_SET", IntToStr(t.charSet));
    AddValue(lines, "GET_DIALOG_BITMAP_3D_FRAME", FlagText(t.dialogBitmap3DFrame));
    AddValue(lines, "GET_AUTO_UPDATE_EXE_FILE_NAME", t.autoUpdateExeName);
    AddValue(lines, "GET_PROG_EXE_NAME", t.progExePath);
    AddEmpty(lines, false);
    AddValue(lines, "IS_RUNNING_TEST", FlagText(t.isRunningTest));
    AddValue(lines, "IS_RUNNING_CAPTION", t.isRunningCaption);
    AddValue(lines, "IS_RUNNING_TEXT", t.isRunningText);
    AddValue(lines, "CONFIRM_CAPTION", t.confirmCaption);
    AddValue(lines, "CONFIRM_TEXT", t.confirmText);
    AddValue(lines, "BTN_TEXT", t.buttonTexts);
    AddValue(lines, "BUTTON_CLOSE", t.buttonClose);
    AddValue(lines, "BUTTON_LOG", t.buttonLog);
    AddValue(lines, "S1", t.s1);
    AddValue(lines, "S2", t.s2);
    AddValue(lines, "GET_TEST_ADMIN_RIGHTS_UNINSTALL", FlagText(t.testAdminRights));
    AddValue(lines, "GET_HIDE_ERR_MSG_UNINSTALL", FlagText(t.hideErrorMessages));
    AddValue(lines, "GET_HIDE_LOG_BTN_UNINSTALL", FlagText(t.hideLogButton));
    for (size_t i = 0; i < t.labels.size(); ++i)
        lines.push_back({ValueLine("LABEL" + IntToStr(int64_t(i) + 1), t.labels[i])});
    AddEmpty(lines, true);
    return lines;
}

UninstallLines FirstRemovalLines(const FirstRemovalTexts& t) {
    UninstallLines lines;
    AddCommand(lines, "REMOVE_FILE", t.scriptPath);
    AddCommand(lines, "REMOVE_FILE", t.setupLogPath);
    const std::pair<const Text&, bool> folders[] = {{t.commonFolder, t.commonFolderOurs},
                                                    {t.auxiliaryFolder, t.auxiliaryFolderOurs}};
    for (const auto& [folder, ours] : folders) {
        AddCommand(lines, "REMOVE_DIR", WithoutTrailingBackslash(folder));
        if (!ours) AddCommand(lines, "AVOID_ERR_REMOVE_DIR", WithoutTrailingBackslash(folder));
    }
    for (size_t i = 0; i < t.runTimeDirs.size(); ++i)
        lines.push_back({ValueLine("RunTimeDir_" + IntToStr(int64_t(i) + 1), t.runTimeDirs[i])});
    return lines;
}

UninstallLines OperationRowLines(const OperationRowTexts& t) {
    UninstallLines lines;
    AddEmpty(lines, true);
    AddRows(lines, "SET_PERFORM_REGISTRY_OP", t.registryRows);
    AddEmpty(lines, true);
    AddRows(lines, "SET_PERFORM_INIFILE_OP", t.iniRows);
    AddEmpty(lines, true);
    AddRows(lines, "SET_PERFORM_ENVIRONMENT_OP", t.environmentRows);
    AddEmpty(lines, true);
    for (const Text& row : t.associationRows) AddCommand(lines, "SET_ADD_ASSOCIATION_ITEM", row);
    AddEmpty(lines, true);
    if (t.openWith && !Trim(t.openWithName).empty())
        lines.push_back({RowCommandLine("SET_ADD_OPEN_WITH_ITEM",
                                        t.openWithName + "|" + t.openWithExtensions)});
    AddCommand(lines, "SET_EXECUTION_DLL_NAME", t.executionDllName);
    for (const Text& item : t.executeItems) AddCommand(lines, "SET_PERFORM_EXECUTE_OP", item);
    AddEmpty(lines, true);
    return lines;
}

UninstallLines FolderEntryLines(char removeMode, const Text& folder, FolderOwner owner) {
    const Text clean = WithoutTrailingBackslash(folder);
    UninstallLines lines;
    if (removeMode == '2' || removeMode == '3') {
        AddCommand(lines, removeMode == '2' ? "DONT_REMOVE_DIR" : "DONT_REMOVE_JUST_DIR", clean);
        return lines;
    }
    if (removeMode == '1' && owner != FolderOwner::Other) {
        AddCommand(lines, "FORCE_REMOVE_DIR", clean);
        return lines;
    }
    AddCommand(lines, "REMOVE_DIR", clean);
    if (owner == FolderOwner::Other) AddCommand(lines, "AVOID_ERR_REMOVE_DIR", clean);
    return lines;
}

namespace {

// The forced removals and what they become for a folder that is not the product's. The
// uninstaller files a trimmed line by the keyword it begins with.
struct ForcedCommand {
    const char* forced;
    const char* plain;
};
constexpr ForcedCommand kForcedCommands[] = {{"FORCE_REMOVE_DIR", "REMOVE_DIR"},
                                             {"FORCE_REMOVE_FOLDER", "REMOVE_FOLDER"}};

const ForcedCommand* ForcedCommandOf(const Text& line) {
    for (const ForcedCommand& c : kForcedCommands)
        if (line.starts_with(c.forced)) return &c;
    return nullptr;
}

// The uninstaller's argument: between the first "(" and the last ")".
Text ArgumentOf(const Text& line) {
    const size_t open = line.find('('), close = line.rfind(')');
    if (open == Text::npos || close == Text::npos || close < open) return {};
    return line.substr(open + 1, close - open - 1);
}

} // namespace

Text ForcedRemovalFolder(const Text& line) {
    const Text trimmed = Trim(line);
    return ForcedCommandOf(trimmed) ? Trim(ArgumentOf(trimmed)) : Text();
}

UninstallLines ScriptUninstallLines(const Text& line, FolderOwner owner) {
    const Text folder = ForcedRemovalFolder(line);
    if (folder.empty() || owner != FolderOwner::Other) return {{line}};
    return {{CommandLine(ForcedCommandOf(Trim(line))->plain, folder)},
            {CommandLine("AVOID_ERR_REMOVE_DIR", folder)}};
}

UninstallLines CreatedParentLines(const TextList& parents) {
    UninstallLines lines;
    for (const Text& parent : parents) {
        const Text clean = WithoutTrailingBackslash(parent);
        AddCommand(lines, "REMOVE_DIR", clean);
        AddCommand(lines, "AVOID_ERR_REMOVE_DIR", clean);
    }
    return lines;
}

UninstallLines FileRemovalLines(const Text& target, bool readOnly, bool shared) {
    UninstallLines lines;
    if (readOnly) AddCommand(lines, "UNMARK_READONLY_FILE", target);
    AddCommand(lines, shared ? "REMOVE_SHARED_FILE" : "REMOVE_FILE", target);
    return lines;
}

UninstallLines FolderValueLines(const Text& targetDir, const Text& sharedDir,
                                const Text& auxiliaryDir) {
    UninstallLines lines;
    AddValue(lines, "TargetDir", WithoutTrailingBackslash(targetDir));
    AddValue(lines, "SharedDir", WithoutTrailingBackslash(sharedDir));
    AddValue(lines, "AuxiliaryDir", WithoutTrailingBackslash(auxiliaryDir));
    return lines;
}

} // namespace zk
