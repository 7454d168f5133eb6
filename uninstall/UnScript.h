// The uninstall script as the uninstaller reads it: KEY=value header lines, COMMAND(argument)
// lines filed into one work list per command, and the order in which lists are walked.
// Pure text (no windows.h).
#pragma once
#include <array>
#include <string>
#include <vector>

#include "UtilPlusText.h"
#include "Utils.h"

namespace zk {

// Value of the first KEY=value line whose key (the text before the first "=") equals key,
// ignoring case; empty when no line has it. A later installation's repeated keys never win.
Text GetScriptValue(const TextList& lines, const Text& key);
inline bool IsFlagOn(const Text& value) {
    return value == "1";
}

// The execute engine's variables of an uninstall run: "UserName" and "CompanyName" are items
// 0 and 1 of the UserData list, "GroupNameString" is GroupNames, "SetupType" SetupType; any
// other name is empty. Names ignore case.
Text GetUserVariable(const TextList& lines, const Text& name);

// Text between the first "(" and the last ")", raw; empty unless a "(" stands before a ")".
Text ExtractCommandArgument(const Text& line);

// The work lists, in the order their keywords are matched.
enum class WorkList {
    ExecutionDll,
    Ocx,
    Font,
    ReadOnly,
    SharedFile,
    File,
    ServiceFile,
    Dir,
    ForceDir,
    DontRemoveDir,
    DontRemoveJustDir,
    AvoidErrRemoveDir,
    Folder,
    ForceFolder,
    RegKey,
    EmptyRegKey, // REMOVE_EMPTY_REG_KEY: a parent key the installation made, taken when empty
    RegistryOp,
    IniFileOp,
    EnvironmentOp,
    Association,
    OpenWith,
    Execute,
    Count
};

struct UninstallWorkLists {
    std::array<TextList, static_cast<size_t>(WorkList::Count)> lists;
    Text executionDllName; // the last acceptable SET_EXECUTION_DLL_NAME argument
    TextList refusedDllNames;

    TextList& operator[](WorkList w) { return lists[static_cast<size_t>(w)]; }
    const TextList& operator[](WorkList w) const { return lists[static_cast<size_t>(w)]; }
};

// Keyword a trimmed line begins with (case-sensitive, first in table order), or Count.
WorkList MatchCommand(const Text& trimmedLine);

// Files every command line into its list (file order, duplicates kept), then drops from the
// REMOVE_DIR list the folders that FORCE_REMOVE_DIR also names.
UninstallWorkLists ParseUninstallScript(const TextList& lines);
void DropForcedRemoveDirs(UninstallWorkLists& lists);

// The extension library and the auto-update program are named by file name only: a name that
// could reach outside the uninstaller's folder is refused.
bool IsPlainFileName(const Text& name);

// Ordered by length, then by text ignoring case; any length sorts.
TextList SortByLength(TextList entries);
// The order a list is handled in: longest first (deeper paths before their parents), equal
// lengths in descending text order.
TextList LongestFirst(const TextList& entries);

} // namespace zk
