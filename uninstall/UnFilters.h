// What the uninstaller must leave alone, as text rules over canonical paths (the callers
// canonicalise first) and registry paths. Pure text (no windows.h).
#pragma once
#include "UnScript.h"

namespace zk {

// The script's DONT_REMOVE_DIR, DONT_REMOVE_JUST_DIR and AVOID_ERR_REMOVE_DIR entries. Empty
// entries are dropped: an empty prefix would protect everything and the run would "complete"
// having removed nothing.
struct ProtectionLists {
    TextList dontRemoveDir;
    TextList dontRemoveJustDir;
    TextList avoidErrRemoveDir;
};
ProtectionLists MakeProtectionLists(TextList dontRemoveDir, TextList dontRemoveJustDir,
                                    TextList avoidErrRemoveDir);

// False when the file lies in a DONT_REMOVE_DIR entry (a plain text prefix, as the installer
// writes it: C:\Data also covers C:\DataFiles).
bool IsFileRemovable(const ProtectionLists& p, const Text& file);
// False when the folder lies in a DONT_REMOVE_DIR entry, holds one, or is a
// DONT_REMOVE_JUST_DIR entry.
bool IsDirRemovable(const ProtectionLists& p, const Text& dir);
// True when some DONT_REMOVE_DIR entry lies below the folder (or is it): a forced removal of
// the folder must keep that entry and the folders on the way to it.
bool HoldsProtectedDir(const ProtectionLists& p, const Text& dir);
// True when the folder lies in a DONT_REMOVE_DIR entry: a forced removal leaves it whole.
bool IsInProtectedDir(const ProtectionLists& p, const Text& dir);
// A failed REMOVE_DIR is excused when an AVOID_ERR_REMOVE_DIR entry is the folder or lies below.
bool IsDirFailureExcused(const ProtectionLists& p, const Text& dir);
// The REMOVE_DIR folders above the uninstaller's own folder that may go, deepest first, each
// once: they can be empty only after the self-deletion has removed that folder. Canonical
// paths.
TextList RemoveDirsAboveOwnDir(const ProtectionLists& p, const TextList& removeDirs,
                               const Text& ownDir);

// Registry keys no uninstall line may delete, judged by the key reached, not its spelling
// (case, doubled or trailing backslashes, HKEY_CLASSES_ROOT or Software\Classes, the
// Wow6432Node view, ControlSetNNN, a user's hive under HKEY_USERS). Under the branches Windows
// shares (Software\Microsoft, Software\Policies, the classes, Control Panel, Environment,
// System ...) a key may go only below a container whose children are one product's each
// (Uninstall, App Paths, ARPCache, Services, CLSID, an extension or class of its own ...);
// the containers and every key above them are refused. Elsewhere a key needs two
// components below its root (Software\Maker may go, Software may not).
bool IsProtectedRegistryKey(const Text& registryPath);
// A registry row whose uninstall action is "Remove Key" of such a key.
bool IsRefusedRegistryRow(const Text& row);

// The renames the system does at its next start, without those that would bring one of
// `files` (the script's REMOVE_FILE items, canonical) in: a replacement this product staged
// for a file in use would otherwise come back after the uninstallation. `changed` tells
// whether one was taken out.
// PendingFileRenameOperations (REG_MULTI_SZ): pairs of source and target, each "\??\" path.
std::string WithoutPendingRenamesFrom(const std::string& multiSz, const TextList& files,
                                      bool& changed);
// WININIT.INI of the 9x family: [Rename] lines "target=source" by short names, which `files`
// then holds as well.
Text WithoutWininitRenamesFrom(const Text& ini, const TextList& files, bool& changed);

} // namespace zk
