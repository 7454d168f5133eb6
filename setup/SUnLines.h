// The lines of the uninstall script ("UnInstall.txt"): where it lies, the rules every line
// passes before it is written, and the builders of the lines an installation emits, in the
// order it emits them. Pure text code (no windows.h).
#pragma once
#include <array>
#include <vector>

#include "UtilPlusText.h"

namespace zk {

using TextList = std::vector<Text>;

// One line to write; forced is for the empty lines that separate blocks.
struct UninstallLine {
    Text text;
    bool forced = false;
};
using UninstallLines = std::vector<UninstallLine>;

// targetDir "\UnInstall.txt"; a stamp goes before the last "." as "_" stamp.
Text UninstallScriptPath(const Text& targetDir, const Text& progStamp);
// The uninstall engine beside the script: the same path with ".exe".
Text UninstallEnginePath(const Text& scriptPath);

// --- Line rules (values lose their CR and LF through StripLineBreaks, UtilPlusText.h: no
// value can split a line or start a second one). ---
// ";" after a final ")" of a line without "=".
Text TerminateLine(const Text& line);
// A command line (a "(" with no "=" before it) whose argument is blank: "REMOVE_FILE();".
bool HasEmptyArgument(const Text& line);
// Every "<TARGET_DIR>" (exact case) replaced by the folder without its trailing backslash.
Text ReplaceTargetDirMacro(const Text& line, const Text& targetDir);
// The key of the duplicate rule: lines are equal when they match ignoring case.
Text LineKey(const Text& line);

// --- Line builders. ---
// "COMMAND(argument);"; empty (no line) when the argument is blank.
Text CommandLine(const Text& command, const Text& argument);
// "COMMAND(|row|);" for a row kept without its frame; empty for an empty row.
Text RowCommandLine(const Text& command, const Text& row);
// "KEY=value", line breaks stripped from the value.
Text ValueLine(const Text& key, const Text& value);

// SetupType=, GroupNames=, UserData=|name|company| (the first lines of a run). UserData is a
// list whose first character is its delimiter: "|" unless a text holds one, then a character
// neither holds, so that every field reads back whole.
UninstallLines SelectionLines(const Text& setupType, const Text& groupNames, const Text& userName,
                              const Text& companyName);

// The header values the uninstall engine reads, as the installation found them.
struct UninstallHeaderTexts {
    Text composerVersion, progName, companyUrl;
    int charSet = 0;
    bool dialogBitmap3DFrame = false;
    Text autoUpdateExeName; // as the setup script wrote it
    Text progExePath;       // folder macros expanded
    bool isRunningTest = false;
    Text isRunningCaption, isRunningText, confirmCaption, confirmText, buttonTexts, buttonClose,
        buttonLog, s1, s2;
    bool testAdminRights = false, hideErrorMessages = false, hideLogButton = false;
    std::array<Text, 6> labels; // Label1 .. Label6
};
// Version=1.0 to LABEL6=, with the empty lines between the blocks, then a forced empty line.
UninstallLines HeaderValueLines(const UninstallHeaderTexts& texts);

// The script itself and the setup log (empty path: none), the common and auxiliary folders
// (empty: unused) with whether they are this installation's (an AVOID_ERR_REMOVE_DIR line
// when not: another product's files keep them without an error), the three run-time folder
// definitions as written.
struct FirstRemovalTexts {
    Text scriptPath, setupLogPath, commonFolder, auxiliaryFolder;
    bool commonFolderOurs = true, auxiliaryFolderOurs = true;
    std::array<Text, 3> runTimeDirs;
};
UninstallLines FirstRemovalLines(const FirstRemovalTexts& texts);

// The rows the uninstallation replays, each block closed by a forced empty line.
struct OperationRowTexts {
    TextList registryRows;    // as written
    TextList iniRows;         // field 0 (the INI file) expanded
    TextList environmentRows; // as written
    TextList associationRows; // the ticked ones, as written
    bool openWith = false;
    Text openWithName, openWithExtensions;
    Text executionDllName;
    TextList executeItems;
};
UninstallLines OperationRowLines(const OperationRowTexts& texts);

// Whose a folder is, for its removal lines: made by this installation, made by an earlier
// installation of the product into the same script (its lines are there), or someone else's
// (it was there before: the user's, another product's, Windows').
enum class FolderOwner { ThisRun, EarlierRun, Other };
// The lines of a folder entry by its remove-mode character: '1' FORCE_REMOVE_DIR, '2'
// DONT_REMOVE_DIR, '3' DONT_REMOVE_JUST_DIR, anything else REMOVE_DIR. A folder that is not
// the product's is never removed with its contents ('1' gives REMOVE_DIR there), and its
// REMOVE_DIR comes with AVOID_ERR_REMOVE_DIR: what stays in it is not the product's failure.
UninstallLines FolderEntryLines(char removeMode, const Text& folder, FolderOwner owner);
// One of the setup script's own uninstall lines ("<TARGET_DIR>" already replaced): a
// FORCE_REMOVE_DIR or FORCE_REMOVE_FOLDER of a folder that is not the product's becomes
// REMOVE_DIR or REMOVE_FOLDER with AVOID_ERR_REMOVE_DIR; every other line stays as written.
UninstallLines ScriptUninstallLines(const Text& line, FolderOwner owner);
// The folder a FORCE_REMOVE_DIR or FORCE_REMOVE_FOLDER line names; "" for any other line.
Text ForcedRemovalFolder(const Text& line);
// For each parent folder the installation created above one of its folders, deepest first:
// REMOVE_DIR (it goes only when empty, after the folders below it) and AVOID_ERR_REMOVE_DIR
// (what the user put there since keeps it without an error).
UninstallLines CreatedParentLines(const TextList& parents);
// UNMARK_READONLY_FILE when read-only, then REMOVE_SHARED_FILE or REMOVE_FILE.
UninstallLines FileRemovalLines(const Text& target, bool readOnly, bool shared);

// TargetDir=, SharedDir=, AuxiliaryDir=, each without trailing backslash.
UninstallLines FolderValueLines(const Text& targetDir, const Text& sharedDir,
                                const Text& auxiliaryDir);

} // namespace zk
