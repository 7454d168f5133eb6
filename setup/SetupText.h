// Pure text of the engine's start-up: the start checks' messages, the allowed-Windows list,
// the command-line arguments with the companion-file switch, the follow-up command's program
// path, and the path pieces these need. No windows.h.
#pragma once
#include "Utils.h"

#include <functional>
#include <vector>

namespace zk {

// "," + allowed + "," must hold "," + name + ","; an empty list allows every Windows. Case and
// blanks count.
bool IsOsAllowedIn(const Text& allowedList, const Text& windowsName);

Text ScriptNotFoundText(const Text& scriptPath);
Text OsNotAllowedText(const Text& progName, const Text& windowsName);
Text AdminRightsText();
Text DotNetMissingText(const Text& progName);

// Arguments of a command line as the C run-time splits them: blanks separate, double quotes
// group (and are dropped), a backslash is an ordinary character.
std::vector<Text> SplitCommandArguments(const Text& commandLine);
// The companion-file base of "/OriginalInfoFile=" in a whole command line (the program's own
// path first): the rest of the first argument that starts with the switch (case ignored), so a
// quoted argument keeps its blanks. Empty for a missing switch, a bare one or an empty value.
Text OriginalInfoFileValue(const Text& commandLine);
// The file-name rule: from the last "." of the name part on replaced, else appended.
Text ChangeFileExtension(const Text& path, const Text& extension);

// A command line split into its program (quotes removed) and the rest. A path without quotes
// that holds blanks is the longest blank-ended beginning that names an existing file (so
// "C:\Program Files\a.exe" never becomes "C:\Program"); with none, it ends at the first blank.
struct CommandSplit {
    Text program;
    Text parameters;
};
CommandSplit SplitProgramFromCommand(const Text& commandLine,
                                     const std::function<bool(const Text&)>& fileExists);
// The program quoted, followed by the parameters.
Text QuotedCommandLine(const CommandSplit& command);

// An extension DLL is named by a plain file name of the engine's folder: no "\\", "/", ":"
// or "..". An empty name is plain (no DLL).
bool IsPlainDllName(const Text& name);

Text FileNamePartOf(const Text& path);
// The folder part without trailing backslash ("" when there is none).
Text FolderPartOf(const Text& path);
Text ExtensionOf(const Text& path); // with its dot, "" when none

} // namespace zk
