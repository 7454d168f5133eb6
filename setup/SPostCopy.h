// The changes after the files are in place, in the order the installation makes them:
// registry, INI and environment rows, associations, the Open With verb, shortcuts, COM
// servers, fonts, the user-information key, then the setup script's own uninstall lines. Each
// step logs what it did and writes the uninstall lines of what it changed. The steps take
// what they need from the wizard through an InstallHost and a PostCopyHost.
#pragma once
#include <functional>

#include "SAppReg.h"

namespace zk {

// One shortcut for the shortcut writer (location codes: 0 desktop, 1 start menu, 2 program
// group, 3 start-up, 4 personal documents, 5 send-to, 6 quick launch).
struct LinkRequest {
    int location = 2;
    Text subFolder;
    bool allUsers = false;
    Text name, target, arguments, workDir, iconFile;
    int iconIndex = 0;
    int showCommand = 1;
};
// The path of the ".lnk" or ".url" file written; the folder alone or "" when none was made.
using CreateLinkProc = std::function<Text(const LinkRequest&)>;
// The shell folder of a location, "" when there is none.
using ShellFolderProc = std::function<Text(int location, bool allUsers)>;

struct OptionalLink {
    bool ticked = false;
    Text name;
};

// What the post-copy steps take from the wizard beyond the InstallHost.
struct PostCopyHost {
    Text programGroup; // the shortcuts page's program group
    OptionalLink startMenu, desktop, sendTo, startUp, quickLaunch;
    CreateLinkProc createLink;
    // Tells which shortcut folders this installation makes; unset: every folder counts as one
    // that was there before (never removed with its contents).
    ShellFolderProc shellFolder;
    std::function<void(const Text& command)> setPostSetupCommand;
    // Performs an expanded environment row at install and answers whether it changed the
    // variable; unset: PerformEnvironmentOp with its changed answer.
    std::function<bool(const Text& row)> environmentOp;
    TextList comFiles, fontFiles; // filled by the copy engine
};

// "Normal Window" 1, "Minimized" 7, "Maximized" 3 (exact words), anything else 1.
int WindowStateToShowCmd(const Text& state);
// Empty: false. An existing file or folder, or a web or mail address: true. Otherwise a bare
// program name found on the search path: no "\" and ".exe" in it.
bool IsLinkTargetValid(const Text& target);

// The steps that write uninstall lines answer false only when one could not be written.
void ApplyRegistryOps(const InstallHost& host);
void ApplyIniFileOps(const InstallHost& host);
// A row that changed nothing writes no undo line (its undo would take the user's own value).
bool ApplyEnvironmentOps(const InstallHost& host, const PostCopyHost& post);
void ApplyAssociations(const InstallHost& host);
void ApplyOpenWith(const InstallHost& host);
// A link that was not made writes no line; FORCE_REMOVE_FOLDER only for a folder this
// installation made. The auto-update program's start-up link sets the post-setup command.
bool CreateShortcuts(const InstallHost& host, const PostCopyHost& post, TOriginalInfoFile& info);
bool RegisterComServers(const InstallHost& host, const TextList& comFiles);
// WM_FONTCHANGE goes out once afterwards, never waiting on a window that does not answer.
bool InstallFonts(const InstallHost& host, const TextList& fontFiles);
bool ApplyUserInfoKey(const InstallHost& host);

// All of the above in their order, then the script's own uninstall lines.
bool ApplyPostCopyChanges(const InstallHost& host, const PostCopyHost& post,
                          TOriginalInfoFile& info);

} // namespace zk
