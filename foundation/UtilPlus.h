// System helpers: which Windows runs, manifest and themes, restart, standard folders, the
// command line, RegistryPath values, INI entries, developer switches and the user name.
// Nothing here raises or shows anything: failures give false, "" or the caller's default.
#pragma once
#include "Handles.h"
#include "UtilPlusText.h"

#include <windows.h>

namespace zk {

WindowsFacts GetWindowsFacts(); // asked of the platform on every call
bool IsWin9x();
bool IsWinNT();
bool IsWinXP();
Text GetWindowsName();
int GetWindowsMask();
Text GetWindowsVersionText(); // e.g. "WinXP  5.1  2600 (Service Pack 3)"

bool HasManifest();        // the program carries a manifest resource (cached)
bool VisualThemesActive(); // themes apply to the program's windows (XP with a manifest)
// Asks Windows to restart, not forced; on NT only once the shutdown privilege is enabled.
void RebootWindows();

Text GetExeName();
Text GetExeDir(bool withBackslash);
Text GetWindowsDir(bool withBackslash);
Text GetSystemDir(bool withBackslash);
Text GetTempDir(bool withBackslash);
Text GetCommandTail();
Text GetSwitchValue(const Text& switchName);
Text GetWinUserName();

HKEY RootKeyFromName(const Text& name); // the current-user key for an unknown name
void SplitRegPath(const Text& path, HKEY& root, Text& subkey);
// The key of a RegistryPath opened with `access`; an empty owner when it cannot be opened.
UniqueKey OpenRegPath(const Text& path, REGSAM access);
// The same, creating what is missing.
UniqueKey CreateRegPath(const Text& path, REGSAM access);
// A value's type and bytes, however long; false when the value cannot be read.
bool RegReadRaw(HKEY key, const Text& valueName, DWORD& type, std::string& data);
bool RegPathWriteString(const Text& path, const Text& valueName, const Text& text);
Text RegPathReadString(const Text& path, const Text& valueName, const Text& def);
bool RegPathDeleteValue(const Text& path, const Text& valueName);

// CR and LF are stripped from what the writers write.
bool IniWriteString(const Text& file, const Text& section, const Text& key, const Text& value);
Text IniReadString(const Text& file, const Text& section, const Text& key, const Text& def);
bool IniDeleteKey(const Text& file, const Text& section, const Text& key);

bool IsDevSwitchDVR(); // environment variable DVR holds the access code (cached)
bool IsDevSwitchDVX();

} // namespace zk
