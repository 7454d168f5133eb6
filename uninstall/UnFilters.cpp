#include "UnFilters.h"

#include <algorithm>

namespace zk {

namespace {

TextList WithoutEmpty(TextList entries) {
    std::erase_if(entries, [](const Text& e) { return Trim(e).empty(); });
    return entries;
}

bool AnyEntryPrefixes(const TextList& entries, const Text& path) {
    return std::any_of(entries.begin(), entries.end(),
                       [&](const Text& e) { return StartsText(e, path); });
}

bool PathPrefixesAnyEntry(const TextList& entries, const Text& path) {
    return std::any_of(entries.begin(), entries.end(),
                       [&](const Text& e) { return StartsText(path, e); });
}

// Keys shared by every program, and so every key above them too.
constexpr const char* kSharedKeys[] = {
    "SOFTWARE\\MICROSOFT\\WINDOWS\\CURRENTVERSION\\UNINSTALL",
    "SOFTWARE\\MICROSOFT\\WINDOWS\\CURRENTVERSION\\APP PATHS",
    "SOFTWARE\\MICROSOFT\\WINDOWS\\CURRENTVERSION\\SHAREDDLLS",
    "SOFTWARE\\CLASSES",
    "SOFTWARE\\POLICIES",
    "SYSTEM\\CURRENTCONTROLSET\\SERVICES",
    "SYSTEM\\CURRENTCONTROLSET\\CONTROL",
};

TextList KeyComponents(const Text& subkey) {
    TextList parts;
    size_t start = 0;
    while (start <= subkey.size()) {
        size_t next = subkey.find('\\', start);
        if (next == Text::npos) next = subkey.size();
        if (next > start) parts.push_back(UpperCase(Trim(subkey.substr(start, next - start))));
        start = next + 1;
    }
    std::erase_if(parts, [](const Text& p) { return p.empty(); });
    return parts;
}

Text JoinKey(const TextList& parts) {
    Text joined;
    for (const Text& p : parts) joined += (joined.empty() ? "" : "\\") + p;
    return joined;
}

} // namespace

ProtectionLists MakeProtectionLists(TextList dontRemoveDir, TextList dontRemoveJustDir,
                                    TextList avoidErrRemoveDir) {
    return {WithoutEmpty(std::move(dontRemoveDir)), WithoutEmpty(std::move(dontRemoveJustDir)),
            WithoutEmpty(std::move(avoidErrRemoveDir))};
}

bool IsFileRemovable(const ProtectionLists& p, const Text& file) {
    return !AnyEntryPrefixes(p.dontRemoveDir, file);
}

bool IsInProtectedDir(const ProtectionLists& p, const Text& dir) {
    return AnyEntryPrefixes(p.dontRemoveDir, dir);
}

bool HoldsProtectedDir(const ProtectionLists& p, const Text& dir) {
    return PathPrefixesAnyEntry(p.dontRemoveDir, dir);
}

bool IsDirRemovable(const ProtectionLists& p, const Text& dir) {
    if (IsInProtectedDir(p, dir) || HoldsProtectedDir(p, dir)) return false;
    return std::none_of(p.dontRemoveJustDir.begin(), p.dontRemoveJustDir.end(),
                        [&](const Text& e) { return TextEquals(e, dir); });
}

bool IsDirFailureExcused(const ProtectionLists& p, const Text& dir) {
    return PathPrefixesAnyEntry(p.avoidErrRemoveDir, dir);
}

bool IsProtectedRegistryKey(const Text& registryPath) {
    // Split as the registry layer does: a root only when the text starts with "HKEY_" and
    // holds a backslash; anything else is a subkey of the current user.
    const Text path = Trim(registryPath);
    Text root, subkey = path;
    const size_t slash = path.find('\\');
    if (StartsText("HKEY_", path) && slash != Text::npos) {
        root = path.substr(0, slash);
        subkey = path.substr(slash + 1);
    }
    TextList parts = KeyComponents(subkey);
    // Under HKEY_USERS the first component is a whole user's hive.
    if (TextEquals(root, "HKEY_USERS") && !parts.empty()) parts.erase(parts.begin());
    if (parts.size() < 2) return true;
    const Text key = JoinKey(parts);
    for (const char* shared : kSharedKeys) {
        const Text s = shared;
        if (key == s || (s.size() > key.size() && s.starts_with(key) && s[key.size()] == '\\'))
            return true;
    }
    return false;
}

bool IsRefusedRegistryRow(const Text& row) {
    return TextEquals(Trim(ListItem(row, 4)), "Remove Key") &&
           IsProtectedRegistryKey(ListItem(row, 0));
}

} // namespace zk
