#include "RegOp.h"
#include "Files.h"
#include "Handles.h"
#include "UtilPlus.h"

#include <windows.h>
#include <shlobj.h>

#include <cstring>
#include <vector>

namespace zk {

const char* const UninstallKey = "Software\\Microsoft\\Windows\\CurrentVersion\\UnInstall";

namespace {

const Text Hklm = "HKEY_LOCAL_MACHINE\\";
const char* const ArpCacheKey =
    "Software\\Microsoft\\Windows\\CurrentVersion\\App Management\\ARPCache\\";
const char* const AppPathsKey = "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\";

bool SetValue(HKEY key, const Text& name, DWORD type, const void* data, size_t size) {
    return RegSetValueExA(key, name.c_str(), 0, type, static_cast<const BYTE*>(data),
                          static_cast<DWORD>(size)) == ERROR_SUCCESS;
}

bool SetString(HKEY key, const Text& name, const Text& text, DWORD type = REG_SZ) {
    return SetValue(key, name, type, text.c_str(), text.size() + 1);
}

bool SetDword(HKEY key, const Text& name, uint32_t value) {
    DWORD v = value;
    return SetValue(key, name, REG_DWORD, &v, sizeof v);
}

// A tree delete that needs nothing newer than the first 32-bit Windows: children first.
LONG DeleteKeyTree(HKEY parent, const Text& name) {
    UniqueKey key;
    LONG rc = RegOpenKeyExA(parent, name.c_str(), 0, KEY_READ | KEY_WRITE | DELETE, key.put());
    if (rc == ERROR_FILE_NOT_FOUND) return ERROR_SUCCESS;
    if (rc != ERROR_SUCCESS) return rc;
    // Names first, then the deletes: a child that cannot be deleted (or whose name has no ANSI
    // form) must end the walk, not be enumerated again for ever.
    std::vector<Text> children;
    for (DWORD i = 0;; ++i) {
        char child[256];
        DWORD size = sizeof child;
        rc = RegEnumKeyExA(key.get(), i, child, &size, nullptr, nullptr, nullptr, nullptr);
        if (rc == ERROR_NO_MORE_ITEMS) break;
        if (rc != ERROR_SUCCESS) return rc;
        children.emplace_back(child, size);
    }
    for (const Text& child : children) {
        rc = DeleteKeyTree(key.get(), child);
        if (rc != ERROR_SUCCESS) return rc;
    }
    key.reset();
    rc = RegDeleteKeyA(parent, name.c_str());
    return rc == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : rc;
}

} // namespace

bool RegKeyExists(const Text& path) {
    return static_cast<bool>(OpenRegPath(path, KEY_READ));
}

bool RegValueExists(const Text& path, const Text& valueName) {
    UniqueKey key = OpenRegPath(path, KEY_QUERY_VALUE);
    return key && RegQueryValueExA(key.get(), valueName.c_str(), nullptr, nullptr, nullptr,
                                   nullptr) == ERROR_SUCCESS;
}

Text ReadRegValueAsText(const Text& path, const Text& valueName, bool& isNumber) {
    UniqueKey key = OpenRegPath(path, KEY_QUERY_VALUE);
    if (!key) return {};
    isNumber = false;
    DWORD type = 0;
    std::string data;
    if (!RegReadRaw(key.get(), valueName, type, data)) return {};
    if (type == REG_DWORD && data.size() == 4) {
        isNumber = true;
        return RegDataToText(type, data.data(), data.size());
    }
    if (type == REG_SZ || type == REG_EXPAND_SZ)
        return RegDataToText(type, data.data(), data.size());
    return {};
}

bool WriteRegValue(const Text& path, const Text& valueName, const Text& text, bool asNumber) {
    UniqueKey key = CreateRegPath(path, KEY_SET_VALUE);
    if (!key) return false;
    return asNumber ? SetDword(key.get(), valueName, DwordOfText(text))
                    : SetString(key.get(), valueName, text);
}

namespace {
RegKeyDeleteGuard keyDeleteGuard = nullptr;
} // namespace

void SetRegKeyDeleteGuard(RegKeyDeleteGuard guard) {
    keyDeleteGuard = guard;
}

bool DeleteRegKey(const Text& path) {
    if (keyDeleteGuard && !keyDeleteGuard(path)) return true;
    HKEY root;
    Text subkey;
    SplitRegPath(path, root, subkey);
    if (IsRootOnlySubkey(subkey)) return false;
    return DeleteKeyTree(root, TrimBackslashes(subkey)) == ERROR_SUCCESS;
}

bool WriteRegValueTyped(const Text& path, const Text& valueName, const Text& data,
                        const Text& typeWord) {
    UniqueKey key = CreateRegPath(path, KEY_SET_VALUE);
    if (!key) return false;
    const Text name = RegValueNameOf(valueName);
    if (TextEquals(typeWord, "String")) return SetString(key.get(), name, data);
    if (TextEquals(typeWord, "Integer")) return SetDword(key.get(), name, DwordOfText(data));
    if (TextEquals(typeWord, "Hex")) {
        std::string bytes;
        return HexListToBytes(data, bytes) &&
               SetValue(key.get(), name, REG_BINARY, bytes.data(), bytes.size());
    }
    return true;
}

bool DeleteRegValue(const Text& path, const Text& valueName) {
    HKEY root;
    Text subkey;
    SplitRegPath(path, root, subkey);
    UniqueKey key;
    LONG rc = RegOpenKeyExA(root, subkey.c_str(), 0, KEY_QUERY_VALUE | KEY_SET_VALUE, key.put());
    if (rc == ERROR_FILE_NOT_FOUND) return true;
    if (rc != ERROR_SUCCESS) return false;
    rc = RegDeleteValueA(key.get(), RegValueNameOf(valueName).c_str());
    return rc == ERROR_SUCCESS || rc == ERROR_FILE_NOT_FOUND;
}

// ---------------------------------------------------------------- product registration

Text UninstallEntryKey(const Text& displayName) {
    return displayName.empty() ? Text() : Hklm + UninstallKey + "\\" + displayName;
}

Text ArpCacheEntryKey(const Text& displayName, const Text& programPath, int64_t installSize) {
    if (!ArpCacheWanted(GetWindowsName())) return {};
    if (displayName.empty() || programPath.empty() || installSize <= 0) return {};
    return Hklm + ArpCacheKey + displayName;
}

Text ProductKeyOf(const Text& company, const Text& product, const Text& version) {
    if (company.empty() || product.empty() || version.empty()) return {};
    const Text productPath = Hklm + "Software\\" + company + "\\" + product;
    return RegKeyExists(productPath) ? productPath + "\\" + version : productPath;
}

Text UserInfoKeyOf(const Text& company, const Text& product, const Text& version) {
    if (company.empty() || product.empty() || version.empty()) return {};
    Text subkey = RemoveDoubleSlashes("Software\\" + company + "\\" + product + "\\" + version);
    if (EndsWithChar(subkey, '\\')) subkey.pop_back();
    return Hklm + subkey;
}

Text AppPathKeyOf(const Text& programPath) {
    return programPath.empty() ? Text() : Hklm + AppPathsKey + FileNameOfPath(programPath);
}

std::vector<Text> MissingParentKeys(const Text& path) {
    TextList missing;
    Text rootName, subkey;
    SplitRegPathText(path, rootName, subkey);
    const Text root = rootName.empty() ? Text() : rootName + "\\";
    for (size_t cut = subkey.rfind('\\'); cut != Text::npos && cut > 0;
         cut = subkey.rfind('\\', cut - 1)) {
        const Text parent = subkey.substr(0, cut);
        if (parent.find('\\') == Text::npos) break; // a root's direct child is everyone's
        if (RegKeyExists(root + parent)) break;     // and so is everything above it
        missing.push_back(root + parent);
    }
    return missing;
}

Text WriteUninstallEntry(const Text& displayName, const Text& uninstallCommand, const Text& version,
                         const Text& url, const Text& modifyPath, const Text& publisher) {
    if (displayName.empty() || uninstallCommand.empty()) return {};
    const Text path = UninstallEntryKey(displayName);
    UniqueKey key = CreateRegPath(path, KEY_SET_VALUE);
    if (!key) return {};
    // Add/Remove starts these commands: a blank in an unquoted path would start another file.
    bool ok = SetString(key.get(), "DisplayName", displayName) &&
              SetString(key.get(), "UnInstallString", QuoteIfBlank(uninstallCommand)) &&
              SetString(key.get(), "DisplayVersion", version) &&
              SetString(key.get(), "Publisher", publisher);
    if (ok && !modifyPath.empty())
        ok = SetString(key.get(), "ModifyPath", QuoteIfBlank(modifyPath));
    if (ok && !url.empty()) ok = SetString(key.get(), "UrlInfoAbout", url);
    if (!ok || !SetDword(key.get(), "UserCount", 1)) return {};
    return path;
}

Text WriteArpCacheEntry(const Text& displayName, const Text& programPath, int64_t installSize) {
    const Text path = ArpCacheEntryKey(displayName, programPath, installSize);
    if (path.empty()) return {};
    int n = MultiByteToWideChar(CP_ACP, 0, programPath.c_str(), -1, nullptr, 0);
    if (n <= 0) return {};
    std::wstring wide(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_ACP, 0, programPath.c_str(), -1, wide.data(), n);
    wide.pop_back();
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    // A longer path would be cut to another file's name: no record then.
    std::string record = ArpCacheRecord(std::u16string(wide.begin(), wide.end()), installSize,
                                        uint64_t(now.dwHighDateTime) << 32 | now.dwLowDateTime);
    if (record.empty()) return {};
    UniqueKey key = CreateRegPath(path, KEY_SET_VALUE);
    if (!key || !SetDword(key.get(), "Changed", 0) ||
        !SetValue(key.get(), "SlowInfoCache", REG_BINARY, record.data(), record.size()))
        return {};
    return path;
}

Text CreateProductKey(const Text& company, const Text& product, const Text& version) {
    const Text path = ProductKeyOf(company, product, version);
    if (path.empty()) return {};
    const Text versionPath = Hklm + "Software\\" + company + "\\" + product + "\\" + version;
    if (!CreateRegPath(versionPath, KEY_READ)) return {};
    return path;
}

Text WriteUserInfoKey(const Text& company, const Text& product, const Text& version,
                      const Text& userName, const Text& companyName) {
    const Text path = UserInfoKeyOf(company, product, version);
    if (path.empty()) return {};
    UniqueKey key = CreateRegPath(path, KEY_SET_VALUE);
    if (!key) return {};
    if (!userName.empty()) SetString(key.get(), "Name", userName);
    if (!companyName.empty()) SetString(key.get(), "Company", companyName);
    return path;
}

Text RegisterAppPath(const Text& programPath) {
    const Text path = AppPathKeyOf(programPath);
    if (path.empty()) return {};
    UniqueKey key = CreateRegPath(path, KEY_SET_VALUE);
    if (!key || !SetString(key.get(), "", programPath) ||
        !SetString(key.get(), "Path", FolderOfPath(programPath)))
        return {};
    return path;
}

// ---------------------------------------------------------------- lookups

Text FindUninstallKeyByDisplayName(const Text& displayName) {
    UniqueKey key = OpenRegPath(Hklm + UninstallKey, KEY_READ);
    if (!key) return {};
    for (DWORD i = 0;; ++i) {
        char name[256];
        DWORD size = sizeof name;
        if (RegEnumKeyExA(key.get(), i, name, &size, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS)
            return {};
        bool isNumber = false;
        Text shown = ReadRegValueAsText(Hklm + UninstallKey + "\\" + name, "DisplayName", isNumber);
        if (TextEquals(shown, displayName)) return name;
    }
}

Text GetUninstallString(const Text& displayName) {
    Text subkey = FindUninstallKeyByDisplayName(displayName);
    if (subkey.empty()) return {};
    bool isNumber = false;
    return StripQuotes(
        ReadRegValueAsText(Hklm + UninstallKey + "\\" + subkey, "UnInstallString", isNumber));
}

Text GetAppPath(const Text& programFileName) {
    if (programFileName.empty()) return {}; // not the default value of App Paths itself
    bool isNumber = false;
    Text value = ReadRegValueAsText(Hklm + AppPathsKey + programFileName, "", isNumber);
    // A quoted path (some installers write one) is the text inside the quotes.
    if (!value.empty() && value[0] == '"') value = TextBefore(value.substr(1) + "\"", "\"");
    return value;
}

Text GetAppDirectory(const Text& programFileName) {
    return FolderOfPath(GetAppPath(programFileName));
}

namespace {
// 9x keeps the owner under "Windows", the NT family under "Windows NT".
Text RegisteredInfo(const char* valueName) {
    bool isNumber = false;
    Text v = ReadRegValueAsText(Hklm + "SOFTWARE\\Microsoft\\Windows\\CurrentVersion", valueName,
                                isNumber);
    if (v.empty())
        v = ReadRegValueAsText(Hklm + "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion", valueName,
                               isNumber);
    return v;
}
} // namespace

Text GetRegisteredOwner() {
    return RegisteredInfo("RegisteredOwner");
}

Text GetRegisteredOrganization() {
    return RegisteredInfo("RegisteredOrganization");
}

// ---------------------------------------------------------------- operation rows

bool PerformRegistryOp(const Text& row, int installMode) {
    const Text key = ListItem(row, 0), valueName = ListItem(row, 1), data = ListItem(row, 2);
    switch (RegistryOpActionOf(RowAction(row, 3, installMode))) {
    case RegistryOpAction::Create:
        return WriteRegValueTyped(key, valueName, data, ListItem(row, 5));
    case RegistryOpAction::RemoveKey:
        return DeleteRegKey(key);
    case RegistryOpAction::RemoveValue:
        return DeleteRegValue(key, valueName);
    case RegistryOpAction::Nothing:
        break;
    }
    return true;
}

bool PerformIniFileOp(const Text& row, int installMode) {
    const Text file = ListItem(row, 0), section = ListItem(row, 1), key = ListItem(row, 2);
    const Text action = RowAction(row, 4, installMode);
    // Without a file name the profile functions would write into WIN.INI.
    if (Trim(file).empty()) return !TextEquals(action, "Create") && !TextEquals(action, "Remove");
    if (TextEquals(action, "Create")) return IniWriteString(file, section, key, ListItem(row, 3));
    if (!TextEquals(action, "Remove")) return true;
    // Only the key: the section, its comments and any section that was empty before stay.
    return IniDeleteKey(file, section, key);
}

// ---------------------------------------------------------------- environment

namespace {

const char* const AutoexecPath = "C:\\AUTOEXEC.BAT";

// The stored value of one scope with its type; type 0 when there is none.
Text StoredEnvironmentValue(const Text& name, bool system, DWORD& type) {
    type = 0;
    UniqueKey key = OpenRegPath(GetEnvironmentKeyPath(system), KEY_QUERY_VALUE);
    std::string data;
    if (!key || !RegReadRaw(key.get(), name, type, data) ||
        (type != REG_SZ && type != REG_EXPAND_SZ)) {
        type = 0;
        return {};
    }
    return RegDataToText(type, data.data(), data.size());
}

bool LoadExisting(const Text& path, Text& text) {
    WIN32_FILE_ATTRIBUTE_DATA info;
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &info)) return false;
    text = LoadFile(path);
    return !text.empty() || (info.nFileSizeLow == 0 && info.nFileSizeHigh == 0);
}

// The value an Append or Remove starts from: on NT the scope's own stored text (the process
// block merges both scopes and has the references expanded), on 9x the SET line this run may
// already have written, else the process block (PATH is set without a line, too).
Text CurrentEnvironmentValue(const Text& name, bool system) {
    if (!IsWinNT()) {
        Text file, value;
        if (LoadExisting(AutoexecPath, file) && FindAutoexecSet(file, name, value)) return value;
        return GetEnvironmentValue(name);
    }
    DWORD type;
    return StoredEnvironmentValue(name, system, type);
}

// What a row can change, to tell whether it did: the NT value with its type, the 9x SET line.
struct StoredVariable {
    bool exists = false;
    DWORD type = 0;
    Text value;
    bool operator==(const StoredVariable&) const = default;
};

StoredVariable ReadStoredVariable(const Text& name, bool system) {
    StoredVariable v;
    if (IsWinNT()) {
        v.value = StoredEnvironmentValue(name, system, v.type);
        v.exists = v.type != 0;
    } else {
        Text file;
        v.exists = LoadExisting(AutoexecPath, file) && FindAutoexecSet(file, name, v.value);
    }
    return v;
}

} // namespace

bool PerformEnvironmentOp(const Text& row, int installMode, bool* changed) {
    const Text name = ListItem(row, 0), value = ExpandPercentVariables(ListItem(row, 1));
    const bool system = !TextEquals(ListItem(row, 4), "User");
    const StoredVariable before = ReadStoredVariable(name, system);
    bool ok = true;
    switch (EnvironmentOpActionOf(RowAction(row, 2, installMode))) {
    case EnvironmentOpAction::Create:
        ok = SetEnvironmentValue(name, value, system, true);
        break;
    case EnvironmentOpAction::Append:
        ok = SetEnvironmentValue(name, AppendToEnvironmentValue(name, value, system), system, true);
        break;
    case EnvironmentOpAction::Remove:
        ok = RemoveFromEnvironmentValue(name, value, system, true);
        break;
    case EnvironmentOpAction::Nothing:
        break;
    }
    if (changed) *changed = ReadStoredVariable(name, system) != before;
    return ok;
}

Text GetEnvironmentKeyPath(bool system) {
    return system ? "HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\Session "
                    "Manager\\Environment"
                  : "HKEY_CURRENT_USER\\Environment";
}

Text GetEnvironmentValue(const Text& name) {
    std::string buf(1024, '\0');
    for (int tries = 0; tries < 4; ++tries) {
        DWORD n = GetEnvironmentVariableA(name.c_str(), buf.data(), static_cast<DWORD>(buf.size()));
        if (n < buf.size()) return buf.substr(0, n);
        buf.resize(n + 1);
    }
    return {};
}

Text ExpandPercentVariables(const Text& text) {
    return ExpandPercentText(text, GetEnvironmentValue);
}

bool SetEnvironmentValue(const Text& name, const Text& value, bool system, bool broadcast) {
    if (Trim(name).empty()) return false; // the key's default value is no variable
    if (!IsWinNT()) return UpdateAutoexecSet(name, value);
    DWORD type;
    StoredEnvironmentValue(name, system, type);
    UniqueKey key = CreateRegPath(GetEnvironmentKeyPath(system), KEY_SET_VALUE);
    bool ok =
        key && SetString(key.get(), name, value, type == REG_EXPAND_SZ ? REG_EXPAND_SZ : REG_SZ);
    if (ok && broadcast) BroadcastEnvironmentChange();
    return ok;
}

bool DeleteEnvironmentValue(const Text& name, bool system, bool broadcast) {
    if (Trim(name).empty()) return false;
    if (!IsWinNT()) return UpdateAutoexecSet(name, "");
    bool ok = RegPathDeleteValue(GetEnvironmentKeyPath(system), name);
    if (ok && broadcast) BroadcastEnvironmentChange();
    return ok;
}

Text AppendToEnvironmentValue(const Text& name, const Text& addition, bool system) {
    return AppendEnvironmentText(name, CurrentEnvironmentValue(name, system), addition);
}

bool RemoveFromEnvironmentValue(const Text& name, const Text& part, bool system, bool broadcast) {
    Text rest;
    if (!RemoveEnvironmentText(name, CurrentEnvironmentValue(name, system), part, rest))
        return false;
    return rest.empty() ? DeleteEnvironmentValue(name, system, true)
                        : SetEnvironmentValue(name, rest, system, broadcast);
}

void BroadcastEnvironmentChange() {
    DWORD_PTR result = 0;
    // The NT family gets the wide text: Wine hands the ANSI text of a broadcast to every window
    // as if it were wide (probed), and then no window recognises it.
    if (IsWinNT())
        SendMessageTimeoutW(HWND_BROADCAST, WM_WININICHANGE, 0,
                            reinterpret_cast<LPARAM>(L"Environment"), SMTO_NORMAL, 4000, &result);
    else
        SendMessageTimeoutA(HWND_BROADCAST, WM_WININICHANGE, 0,
                            reinterpret_cast<LPARAM>("Environment"), SMTO_NORMAL, 4000, &result);
}

bool UpdateAutoexecSet(const Text& name, const Text& value) {
    Text text;
    if (!LoadExisting(AutoexecPath, text)) return false;
    if (!EditAutoexecSet(text, name, value)) return true;
    return SaveFileAtomic(AutoexecPath, text, 0);
}

// ---------------------------------------------------------------- associations

namespace {

bool associationsChanged = false;
const Text Hkcr = "HKEY_CLASSES_ROOT\\";

// One key name: a backslash would reach other keys, up to the whole root.
bool IsKeyName(const Text& name) {
    return !Trim(name).empty() && NextCharOf(name, "\\") == Text::npos;
}

// The extension's default before "Create" made it name the product's class; the removal puts
// it back. Only a key that existed before the install gets it.
const char* const ReplacedClassValue = "Zelkon_Replaced";
// Marks a verb key the engine wrote: it belongs to the product, not to the class's owner.
const char* const OwnVerbValue = "Zelkon_Verb";

// Deletes a key only when nothing but its default value is in it. True when it is gone.
bool DeleteIfEmpty(const Text& path) {
    HKEY root;
    Text subkey;
    SplitRegPath(path, root, subkey);
    {
        UniqueKey key;
        LONG rc = RegOpenKeyExA(root, subkey.c_str(), 0, KEY_READ, key.put());
        if (rc == ERROR_FILE_NOT_FOUND) return true;
        if (rc != ERROR_SUCCESS) return false;
        DWORD subkeys = 0, values = 0;
        if (RegQueryInfoKeyA(key.get(), nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr,
                             &values, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            return false;
        bool onlyDefault =
            values == 0 || (values == 1 && RegQueryValueExA(key.get(), "", nullptr, nullptr,
                                                            nullptr, nullptr) == ERROR_SUCCESS);
        if (subkeys != 0 || !onlyDefault) return false;
    }
    // Checked first: on 9x the plain delete would take subkeys with it.
    return RegDeleteKeyA(root, subkey.c_str()) == ERROR_SUCCESS;
}

Text DefaultValueOf(const Text& path) {
    bool isNumber = false;
    return ReadRegValueAsText(path, "", isNumber);
}

// Names of the direct subkeys of a key.
std::vector<Text> SubkeysOf(const Text& path) {
    std::vector<Text> names;
    UniqueKey key = OpenRegPath(path, KEY_READ);
    for (DWORD i = 0; key; ++i) {
        char name[256];
        DWORD size = sizeof name;
        if (RegEnumKeyExA(key.get(), i, name, &size, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS)
            break;
        names.emplace_back(name, size);
    }
    return names;
}

// The Open With verbs of the product go with its class; anyone else's keep it.
void DeleteOwnVerbs(const Text& classPath) {
    for (const Text& verb : SubkeysOf(classPath + "\\shell"))
        if (RegValueExists(classPath + "\\shell\\" + verb, OwnVerbValue))
            DeleteRegKey(classPath + "\\shell\\" + verb);
}

// Points an extension at the class, keeping the default it replaces (an empty text for none)
// unless an earlier install kept one already.
bool PointExtensionAt(const Text& extPath, const Text& className) {
    UniqueKey key = OpenRegPath(extPath, KEY_QUERY_VALUE | KEY_SET_VALUE);
    if (key) {
        const Text previous = DefaultValueOf(extPath);
        if (!TextEquals(previous, className) && !RegValueExists(extPath, ReplacedClassValue) &&
            !SetString(key.get(), ReplacedClassValue, previous))
            return false;
    }
    return WriteRegValue(extPath, "", className, false);
}

// The extension back as it was before the install: its kept default, or no key at all.
bool RestoreExtension(const Text& extPath) {
    bool isNumber = false;
    if (!RegValueExists(extPath, ReplacedClassValue)) return DeleteIfEmpty(extPath);
    const Text previous = ReadRegValueAsText(extPath, ReplacedClassValue, isNumber);
    bool ok = previous.empty() ? DeleteRegValue(extPath, "")
                               : WriteRegValue(extPath, "", previous, false);
    return ok && DeleteRegValue(extPath, ReplacedClassValue);
}

} // namespace

bool PerformAssociationOp(const Text& row, int installMode) {
    const Text action = RowAction(row, 7, installMode);
    bool ok = false;
    if (TextEquals(action, "Remove"))
        ok = RemoveFileAssociation(ListItem(row, 0), ListItem(row, 2));
    else if (TextEquals(action, "Create"))
        ok = CreateFileAssociation(ListItem(row, 0), ListItem(row, 1), ListItem(row, 2),
                                   ListItem(row, 4));
    if (ok) associationsChanged = true;
    return ok;
}

bool CreateFileAssociation(const Text& className, const Text& description, const Text& extension,
                           const Text& command) {
    const Text ext = NormalizeExtension(extension);
    if (command.empty() || !IsKeyName(className) || !IsKeyName(ext)) return false;
    // Written over in place, nothing deleted: an extension of another program (".txt" with its
    // ShellNew) keeps its tree, and its default is kept for the removal.
    const Text classPath = Hkcr + className;
    bool ok =
        PointExtensionAt(Hkcr + ext, className) &&
        WriteRegValue(classPath, "", description, false) &&
        WriteRegValue(classPath + "\\shell\\open\\command", "", QuoteOpenCommand(command), false);
    if (ok) associationsChanged = true;
    return ok;
}

bool RemoveFileAssociation(const Text& className, const Text& extension) {
    const Text ext = NormalizeExtension(extension);
    if (!IsKeyName(className) || !IsKeyName(ext)) return false;
    const Text classPath = Hkcr + className;
    bool ok = true;
    DeleteOwnVerbs(classPath);
    for (const char* tail : {"\\shell\\open\\command", "\\shell\\open", "\\shell", ""})
        if (!DeleteIfEmpty(classPath + tail) && !*tail) ok = false;
    // The extension may point to another program's class by now: that one stays.
    if (TextEquals(DefaultValueOf(Hkcr + ext), className) && !RestoreExtension(Hkcr + ext))
        ok = false;
    associationsChanged = true;
    return ok;
}

bool AssociationsChanged() {
    return associationsChanged;
}

void NotifyAssociationsChanged() {
    if (!associationsChanged) return;
    SHChangeNotify(SHCNE_ASSOCCHANGED, SHCNF_FLUSH, nullptr, nullptr);
    associationsChanged = false;
}

bool RegisterOpenWithVerb(const Text& verb, const Text& menuText, const Text& program, bool install,
                          const Text& extensions) {
    if (!IsKeyName(verb)) return false;
    std::vector<Text> keys = {Hkcr + "Folder\\shell\\" + verb};
    for (const Text& ext : OpenWithExtensionList(extensions)) {
        // An extension without a class has no menu to extend.
        const Text className = DefaultValueOf(Hkcr + ext);
        if (IsKeyName(className)) keys.push_back(Hkcr + className + "\\Shell\\" + verb);
    }
    bool ok = true;
    for (const Text& key : keys) {
        if (!install)
            ok = DeleteRegKey(key) && ok;
        else if (!menuText.empty() && !program.empty())
            ok = WriteRegValueTyped(key, "", menuText, "String") &&
                 WriteRegValueTyped(key, OwnVerbValue, "1", "String") &&
                 WriteRegValueTyped(key + "\\command", "", QuoteOpenCommand(program), "String") &&
                 ok;
    }
    return ok;
}

// ---------------------------------------------------------------- shared counts

const char* const SharedDllsKey =
    "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs";

namespace {
// The DWORD count of a file; false when there is none (absent, or of another type).
bool ReadSharedCount(HKEY key, const Text& path, uint32_t& count) {
    DWORD type = 0;
    std::string data;
    if (!RegReadRaw(key, path, type, data) || type != REG_DWORD || data.size() != 4) return false;
    memcpy(&count, data.data(), 4);
    return true;
}
} // namespace

int IncrementSharedDllCount(const Text& path) {
    UniqueKey key = CreateRegPath(SharedDllsKey, KEY_QUERY_VALUE | KEY_SET_VALUE);
    if (!key) return 0;
    uint32_t count = 0;
    ReadSharedCount(key.get(), path, count);
    // A file already there without a count belongs to someone: it must outlive our uninstall.
    if (count == 0 && GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES) count = 1;
    ++count;
    return SetDword(key.get(), path, count) ? static_cast<int>(count) : 0;
}

int DecrementSharedDllCount(const Text& path) {
    UniqueKey key = OpenRegPath(SharedDllsKey, KEY_QUERY_VALUE | KEY_SET_VALUE);
    uint32_t count = 0;
    if (!key || !ReadSharedCount(key.get(), path, count)) return 100;
    const uint32_t n = count > 0 ? count - 1 : 0;
    if (n > 0) return SetDword(key.get(), path, n) ? static_cast<int>(n) : 100;
    return RegDeleteValueA(key.get(), path.c_str()) == ERROR_SUCCESS ? 0 : 100;
}

} // namespace zk
