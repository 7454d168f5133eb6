#include "RegOp.h"
#include "Handles.h"
#include "UtilPlus.h"

#include <windows.h>

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
    for (;;) {
        char child[256];
        DWORD size = sizeof child;
        rc = RegEnumKeyExA(key.get(), 0, child, &size, nullptr, nullptr, nullptr, nullptr);
        if (rc == ERROR_NO_MORE_ITEMS) break;
        if (rc != ERROR_SUCCESS) return rc;
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

bool DeleteRegKey(const Text& path) {
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

Text WriteUninstallEntry(const Text& displayName, const Text& uninstallCommand, const Text& version,
                         const Text& url, const Text& modifyPath, const Text& publisher) {
    if (displayName.empty() || uninstallCommand.empty()) return {};
    const Text path = Hklm + UninstallKey + "\\" + displayName;
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
    if (!ArpCacheWanted(GetWindowsName())) return {};
    if (displayName.empty() || programPath.empty() || installSize <= 0) return {};
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
    const Text path = Hklm + ArpCacheKey + displayName;
    UniqueKey key = CreateRegPath(path, KEY_SET_VALUE);
    if (!key || !SetDword(key.get(), "Changed", 0) ||
        !SetValue(key.get(), "SlowInfoCache", REG_BINARY, record.data(), record.size()))
        return {};
    return path;
}

Text CreateProductKey(const Text& company, const Text& product, const Text& version) {
    if (company.empty() || product.empty() || version.empty()) return {};
    const Text productPath = Hklm + "Software\\" + company + "\\" + product;
    const bool productWasThere = RegKeyExists(productPath);
    const Text versionPath = productPath + "\\" + version;
    if (!CreateRegPath(versionPath, KEY_READ)) return {};
    return productWasThere ? versionPath : productPath;
}

Text WriteUserInfoKey(const Text& company, const Text& product, const Text& version,
                      const Text& userName, const Text& companyName) {
    if (company.empty() || product.empty() || version.empty()) return {};
    Text subkey = RemoveDoubleSlashes("Software\\" + company + "\\" + product + "\\" + version);
    if (!subkey.empty() && subkey.back() == '\\') subkey.pop_back();
    const Text path = Hklm + subkey;
    UniqueKey key = CreateRegPath(path, KEY_SET_VALUE);
    if (!key) return {};
    if (!userName.empty()) SetString(key.get(), "Name", userName);
    if (!companyName.empty()) SetString(key.get(), "Company", companyName);
    return path;
}

Text RegisterAppPath(const Text& programPath) {
    if (programPath.empty()) return {};
    const Text path = Hklm + AppPathsKey + FileNameOfPath(programPath);
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
    bool isNumber = false;
    return ReadRegValueAsText(Hklm + AppPathsKey + programFileName, "", isNumber);
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

} // namespace zk
