// Registry access by RegistryPath, product registration (Add/Remove entry, its cache record,
// product, user-information and App Paths keys), the registry, INI and environment rows,
// file associations, Open With verbs and shared-file counts.
// Nothing here raises or shows anything: failures give false or an empty text. Writers return
// the RegistryPath the uninstallation removes, or "" when nothing was written.
#pragma once
#include "RegOpText.h"

#include <cstdint>

namespace zk {

// --- Generic access. ---
bool RegKeyExists(const Text& path);
bool RegValueExists(const Text& path, const Text& valueName);
// REG_SZ and REG_EXPAND_SZ as stored, REG_DWORD as unsigned decimal (isNumber true); any other
// type or a missing value gives "". isNumber is set only when the key exists.
Text ReadRegValueAsText(const Text& path, const Text& valueName, bool& isNumber);
// Creates the key when missing; asNumber writes a REG_DWORD of the decimal text (0 when not a
// number), else a REG_SZ.
bool WriteRegValue(const Text& path, const Text& valueName, const Text& text, bool asNumber);
// The key with everything below it; true when it is gone or never was. Refuses (false) a path
// whose subkey is empty or only backslashes: that would be the whole root.
bool DeleteRegKey(const Text& path);
// A judge of every DeleteRegKey of the process (null: none): a key it refuses (false) is left
// as it is and DeleteRegKey answers true, as for a missing key. The uninstaller sets its
// shared-key rule for a run, so rows, Open With verbs and execute items keep to it too.
using RegKeyDeleteGuard = bool (*)(const Text& path);
void SetRegKeyDeleteGuard(RegKeyDeleteGuard guard);
// typeWord "String", "Integer" or "Hex"; any other creates the key and writes nothing.
// "(Default)" names the default value.
bool WriteRegValueTyped(const Text& path, const Text& valueName, const Text& data,
                        const Text& typeWord);
// True also when the key or the value is missing.
bool DeleteRegValue(const Text& path, const Text& valueName);

// --- Product registration (all under HKEY_LOCAL_MACHINE). ---
extern const char* const UninstallKey; // "Software\Microsoft\Windows\CurrentVersion\UnInstall"
// The keys the writers below make, known before they make them, so that the removal line can
// come first; "" when the writer would write nothing.
Text UninstallEntryKey(const Text& displayName);
Text ArpCacheEntryKey(const Text& displayName, const Text& programPath, int64_t installSize);
Text ProductKeyOf(const Text& company, const Text& product, const Text& version);
Text UserInfoKeyOf(const Text& company, const Text& product, const Text& version);
Text AppPathKeyOf(const Text& programPath);
// The keys above `path` that are not there, deepest first, down to two components below the
// root (HKEY_LOCAL_MACHINE\Software\Maker): the parents a write of `path` would make.
std::vector<Text> MissingParentKeys(const Text& path);
Text WriteUninstallEntry(const Text& displayName, const Text& uninstallCommand, const Text& version,
                         const Text& url, const Text& modifyPath, const Text& publisher);
Text WriteArpCacheEntry(const Text& displayName, const Text& programPath, int64_t installSize);
// Returns the product level when this call created it, else the version level, so that the
// uninstallation never takes other versions with it.
Text CreateProductKey(const Text& company, const Text& product, const Text& version);
Text WriteUserInfoKey(const Text& company, const Text& product, const Text& version,
                      const Text& userName, const Text& companyName);
Text RegisterAppPath(const Text& programPath);

// --- Lookups. ---
Text FindUninstallKeyByDisplayName(const Text& displayName);
Text GetUninstallString(const Text& displayName); // without enclosing quotes
Text GetAppPath(const Text& programFileName);
Text GetAppDirectory(const Text& programFileName);
Text GetRegisteredOwner();
Text GetRegisteredOrganization();

// --- Operation rows ("|"-delimited; installMode 1 install, 0 uninstall). ---
bool PerformRegistryOp(const Text& row, int installMode);
bool PerformIniFileOp(const Text& row, int installMode);
// `changed` (when given) tells whether the stored variable differs afterwards: an Append of an
// item already there, or a Create of the value it has, changes nothing and needs no undo.
bool PerformEnvironmentOp(const Text& row, int installMode, bool* changed = nullptr);

// --- Environment. On the NT family the stored variables of one scope (system or user); on
// 9x the SET lines of C:\AUTOEXEC.BAT. ---
Text GetEnvironmentKeyPath(bool system);
Text GetEnvironmentValue(const Text& name); // the running program's own block
Text ExpandPercentVariables(const Text& text);
// NT: keeps the type a stored value already has (REG_EXPAND_SZ stays), else REG_SZ.
bool SetEnvironmentValue(const Text& name, const Text& value, bool system, bool broadcast);
bool DeleteEnvironmentValue(const Text& name, bool system, bool broadcast);
// Both start from the stored variable: on NT the value of the scope, on 9x its SET line in
// AUTOEXEC.BAT (the own block when there is none), so rows of one run build on each other.
Text AppendToEnvironmentValue(const Text& name, const Text& addition, bool system);
bool RemoveFromEnvironmentValue(const Text& name, const Text& part, bool system, bool broadcast);
void BroadcastEnvironmentChange();
bool UpdateAutoexecSet(const Text& name, const Text& value);

// --- Associations, Open With, shared counts. ---
bool PerformAssociationOp(const Text& row, int installMode);
bool CreateFileAssociation(const Text& className, const Text& description, const Text& extension,
                           const Text& command);
// "Create" writes over what is there and deletes nothing; an extension key that existed keeps
// its replaced default beside (value "Zelkon_Replaced") for the removal to put back.
// The removal takes the product's Open With verbs of the class with it, so that association
// and Open With undo end alike in either order. False when something else stays in the class.
bool RemoveFileAssociation(const Text& className, const Text& extension);
bool AssociationsChanged(); // a change succeeded since the shell was last told
void NotifyAssociationsChanged();
// Install marks each verb key it writes (value "Zelkon_Verb") as the product's.
bool RegisterOpenWithVerb(const Text& verb, const Text& menuText, const Text& program, bool install,
                          const Text& extensions);
extern const char* const SharedDllsKey; // "HKEY_LOCAL_MACHINE\...\SharedDLLs"
// The new count. A file that exists without a count (or with one that is not a DWORD) counts
// as used once already.
int IncrementSharedDllCount(const Text& path);
// The new count, the value deleted at 0; 100 when the file has no DWORD count (kept).
int DecrementSharedDllCount(const Text& path);

} // namespace zk
