// Places on the target machine: the well-known file names, the three install folders of the
// running installation, the standard folders of Windows, the folder the setup was first started
// from, folder macros in script texts, and the guard of every destructive caller.
#pragma once
#include "CommonText.h"

#include <string>

namespace zk {

// Written by a launcher outside the engines: "OriginDir" and "OriginExe".
inline const char DynDataKey[] = "HKEY_CURRENT_USER\\Software\\Zelkon_Dyn_Data";

Text GetSetupTextName(bool withFolder); // "Setup.txt", optionally in the program's folder
Text GetUninstallTextName(bool withFolder);
Text GetSetupLogName(bool withFolder);

// Stored as given (the engines pass them without a trailing backslash).
void SetInstallFolders(const Text& application, const Text& common, const Text& auxiliary);
Text GetApplicationFolder();
Text GetCommonFolder();
Text GetAuxiliaryFolder();

Text GetSystem16Dir();
Text GetFontsDir();
Text GetOriginDir();
Text GetOriginExe();
Text GetProgramFilesDir();
Text GetCommonFilesDir();
Text GetStartMenuDir();
Text GetUserDir(); // computed once per process
bool IsExistingDir(const Text& path);

Text FormatDateCode(char code); // today's date in the local time
Text ExpandDateMacro(const Text& text);
// Every folder macro expanded; `suffix` ("\" for paths) follows each folder value. An unset
// install folder gives the suffix alone: callers that delete or overwrite check the result
// with IsAbsolutePath.
Text ExpandFolderMacros(const Text& text, const Text& suffix);

// The full path of a path, a relative one taken from the current folder; "" when none can be
// made.
std::string FullPathName(const std::string& path);
// The full, long form of an absolute path: "." and ".." resolved, "/" as "\", no "\\?\"
// prefix, short names of existing folders made long, no trailing "\" except on a root. ""
// for a relative or empty path.
std::string CanonicalizePath(const std::string& path);
// True when the path is, or is an ancestor of, a drive or share root, a folder of Windows,
// the temporary or fonts folder, Program Files or Common Files, a profile or the folder of
// the profiles, or a shell folder of the user or of all users. A relative or empty path
// answers true: nothing may be removed through it.
// The protected folders are looked up once per run, on the first call.
bool IsSystemFolder(const std::string& path);

} // namespace zk
