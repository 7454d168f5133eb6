// The text side of shortcuts (no windows.h): which targets become internet shortcuts, the
// ".url" file's lines, the shell-folder value names and their fallback order, the sub-folder
// tidying, and the check of program-group and link names the user typed.
#pragma once
#include "Utils.h"

#include <functional>

namespace zk {

// LinkLocation: where a shortcut goes.
enum LinkLocation {
    LinkDesktop = 0,
    LinkStartMenu = 1,
    LinkProgramGroup = 2, // the "Programs" folder
    LinkStartup = 3,
    LinkPersonal = 4,
    LinkSendTo = 5,
    LinkQuickLaunch = 6,
};

// "http:", "ftp:", "www." or "mailto:" at the start, in any case.
bool IsUrlTarget(const Text& target);

// The ".url" file: "[InternetShortcut]", "URL=", then "IconFile=" and "IconIndex=" when an
// icon file is given, "WorkingDirectory=" when a folder is given; CR LF after each line. Line
// breaks inside a value are dropped (they would start a line of their own).
Text UrlFileText(const Text& target, const Text& iconFile, int iconIndex, const Text& workDir);

// Value name under "...\Explorer\Shell Folders" for locations 0 to 5 ("Desktop" ... "Sendto");
// empty for the others. The machine-wide key names them with "common " in front.
Text ShellFolderValueName(int location);

// Reads one value of the Shell Folders key of one root: machineWide picks HKLM over HKCU.
// False when the key or the value is not there.
using ShellFolderReader = std::function<bool(bool machineWide, const Text& valueName, Text& value)>;
// Locations 0 to 5: the asked root first (machine-wide when allUsers), then the other one,
// each by the plain value name and then by the "common " one, until a folder is found.
// Quick launch and unknown locations give "" (quick launch has a folder of its own).
Text ShellFolderFrom(int location, bool allUsers, const ShellFolderReader& read);

// The sub-folder of a link: blanks trimmed, then one leading backslash dropped.
Text TidyLinkSubFolder(const Text& subFolder);

// Why a program group or link name the user typed is refused.
enum class LinkNameFault {
    None,
    ParentStep,  // a part made of dots only, such as ".." (leaves the shell folder)
    Drive,       // a ":" (a drive such as "C:", or a stream name)
    OtherRoot,   // "\\" or "//" at the start (another root, a share)
    ControlChar, // a character below 32
    BadChar,     // one of < > " | ? * (no Windows file name holds them)
    DeviceName,  // a part named as a device: CON, PRN, AUX, NUL, COM1-9, LPT1-9 (any extension)
    Separator,   // a "\" or "/" in a link name, which is one file name
};
// Empty is fine (links then go into the shell folder itself); "/" counts as "\".
LinkNameFault CheckProgramGroup(const Text& group);
LinkNameFault CheckLinkName(const Text& name);

} // namespace zk
