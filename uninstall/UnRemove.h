// The removal handlers of the uninstaller: each undoes one script item on the machine (a file,
// a folder or folder tree, a registry key or row, an INI, environment or association row, a
// shared count, a COM server, a font, an execute item) behind the protection filters.
// Every path is made canonical before any filter sees it; a relative path is refused.
#pragma once
#include "UnFilters.h"
#include "UnScript.h"

namespace zk {

// What one handler decided about one item.
struct ItemResult {
    bool success = true;
    // False for an item the protection lists keep: it is neither shown, logged nor counted.
    bool reported = true;
    // What was decided and why ("deleted", "refused: system folder", "error 32" ...), for the
    // debug channel; the memo and the failure log show the item as the script holds it.
    Text reason;
};

// What every handler of one run shares: the protection lists with canonical entries, and the
// uninstaller's own path and folder (canonical, no trailing backslash), which the
// self-deletion batch removes later.
struct RemovalContext {
    ProtectionLists protection;
    // The REMOVE_SHARED_FILE items, canonical beside their spelling: a COM server or font
    // among them is unregistered only by the run that takes its count to 0.
    std::vector<std::pair<Text, Text>> sharedFiles;
    Text ownPath;
    Text ownDir;
    Text ownRealDir; // ownDir with the links above it resolved
};
// From the script's DONT_REMOVE_DIR, DONT_REMOVE_JUST_DIR and AVOID_ERR_REMOVE_DIR lists
// (entries made canonical, with their real form beside those named through a link; empty and
// relative ones dropped) and the uninstaller's path.
RemovalContext MakeRemovalContext(const UninstallWorkLists& lists, const Text& ownPath);

// REMOVE_FILE, REMOVE_SERVICE_FILE and the execution DLL: a file in a DONT_REMOVE_DIR entry
// is not reported; the uninstaller itself is left for the batch; a missing file is a success.
ItemResult RemoveFileItem(const RemovalContext& ctx, const Text& item);
// REMOVE_SHARED_FILE: lowers the file's shared count and deletes it at 0; a file without a
// count, or one still in use by others, stays. A count that cannot be read or written keeps
// the file and fails the item.
ItemResult RemoveSharedFileItem(const RemovalContext& ctx, const Text& item);
// UNMARK_READONLY_FILE: clears every attribute of an existing file; never reported.
ItemResult ClearReadOnlyItem(const RemovalContext& ctx, const Text& item);
// UN_REG_OCX_FILE: unregisters the COM server of an existing file, unless the file is a
// shared one that stays for other products (its count stays above 0, or it has none).
ItemResult UnregisterOcxItem(const RemovalContext& ctx, const Text& item);
// UN_REG_FONT_FILE: removes the font resource of an existing file and tells the top-level
// windows (WM_FONTCHANGE, with a time-out so a hung window cannot stop the run); a shared
// font that stays keeps its resource.
ItemResult RemoveFontItem(const RemovalContext& ctx, const Text& item);

// FORCE_REMOVE_DIR and FORCE_REMOVE_FOLDER: the folder with its contents, except the
// DONT_REMOVE_DIR subtrees and the folders on the way to them; links are removed, never
// entered. Windows' own folders and the drives are refused (success, nothing changed). A tree
// named through a link is removed where the link leads, behind the same guards; one that the
// guards refuse there stays and fails the item.
ItemResult ForceRemoveDirItem(const RemovalContext& ctx, const Text& item);
// REMOVE_DIR and REMOVE_FOLDER: an empty folder. A protected folder is not reported; a
// failure is excused by AVOID_ERR_REMOVE_DIR.
ItemResult RemoveDirItem(const RemovalContext& ctx, const Text& item);

// REMOVE_REG_KEY: the key and everything below it; a missing key counts as removed. Keys
// every program shares, and keys too short to be a product's, are refused.
ItemResult RemoveRegKeyItem(const RemovalContext& ctx, const Text& item);
// REMOVE_EMPTY_REG_KEY: the key when it holds neither a key nor a value (a parent the
// installation made, which others may have used since); refused as REMOVE_REG_KEY refuses.
ItemResult RemoveEmptyRegKeyItem(const RemovalContext& ctx, const Text& item);
// SET_PERFORM_REGISTRY_OP, SET_PERFORM_INIFILE_OP, SET_PERFORM_ENVIRONMENT_OP,
// SET_ADD_ASSOCIATION_ITEM and SET_ADD_OPEN_WITH_ITEM rows, replayed with their uninstall
// action.
ItemResult UndoRegistryOpItem(const RemovalContext& ctx, const Text& item);
ItemResult UndoIniFileOpItem(const RemovalContext& ctx, const Text& item);
ItemResult UndoEnvironmentOpItem(const RemovalContext& ctx, const Text& item);
ItemResult UndoAssociationItem(const RemovalContext& ctx, const Text& item);
ItemResult UndoOpenWithItem(const RemovalContext& ctx, const Text& item);

// Where the system keeps the renames it does at its next start.
struct PendingRenamePlace {
    bool nt = true;   // PendingFileRenameOperations of the session manager
    Text winInitPath; // 9x: WININIT.INI of the Windows folder
};
PendingRenamePlace CurrentPendingRenamePlace();
// Takes out of those renames the ones that would bring one of the REMOVE_FILE items in (a
// replacement the installation staged for a file in use); asked before the files go, while
// their short names can still be read. The decision, for the trace.
Text DropPendingRenamesOf(const TextList& fileItems, const PendingRenamePlace& place);

// The execute stages of SET_PERFORM_EXECUTE_OP items that the uninstaller runs.
constexpr int kUninstallStartStage = 5;
constexpr int kUninstallEndStage = 6;

} // namespace zk
