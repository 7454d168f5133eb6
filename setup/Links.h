// Shortcut files in the shell folders: ".lnk" through the shell-link object, ".url" for web
// and mail targets.
#pragma once
#include "LinkText.h"

#include <functional>

namespace zk {

// The Windows folder's "Application Data\...\Quick Launch" on 9x; on NT the user's "AppData"
// shell folder + "\Microsoft\Internet Explorer\Quick Launch"; "" when that value is empty.
Text GetQuickLaunchFolder();
// The folder of a LinkLocation, with the fallbacks of ShellFolderFrom; "" when none is found.
Text GetShellFolder(int location, bool allUsers);

// Writes folder\linkName.url (IsUrlTarget) or folder\linkName.lnk, where folder is the shell
// folder of the location plus the tidied sub-folder (made with its parents). showCmd is the
// link's window state (1 normal, 7 minimised, 3 maximised). Returns the file written; "" when
// no shell folder is found or the file was not written (every shell-link call and the save are
// checked, so a name with ":" or a folder that could not be made gives "").
Text CreateLink(int location, const Text& subFolder, bool allUsers, const Text& linkName,
                const Text& target, const Text& arguments, const Text& workDir,
                const Text& iconFile, int iconIndex, int showCmd);

// Told the folder a link needed and could not be made (the writing is still tried). By default
// the error box "...Unable to create Link Directory!..."; tests put their own; {} restores it.
using LinkFolderErrorProc = std::function<void(const Text& folder)>;
void SetLinkFolderErrorProc(LinkFolderErrorProc proc);

} // namespace zk
