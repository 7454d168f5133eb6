#include "UnFilters.h"

#include "UtilPlusText.h"

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

TextList KeyComponents(const Text& subkey) {
    TextList parts;
    size_t start = 0;
    while (start <= subkey.size()) {
        size_t next = NextCharOf(subkey, "\\", start);
        if (next == Text::npos) next = subkey.size();
        if (next > start) parts.push_back(UpperCase(Trim(subkey.substr(start, next - start))));
        start = next + 1;
    }
    std::erase_if(parts, [](const Text& p) { return p.empty(); });
    return parts;
}

// The registry as every spelling of a key reaches it: the machine's and the user's keys (any
// user's hive under HKEY_USERS is judged as the current user's), the merged classes and the
// rest (HKEY_DYN_DATA).
enum Hive : unsigned { Machine = 1, User = 2, Classes = 4, OtherHive = 8 };

struct ReachedKey {
    Hive hive = OtherHive;
    TextList parts; // upper case, no empty components
};

bool IsControlSetName(const Text& part) {
    return part.size() == 13 && part.starts_with("CONTROLSET") &&
           std::all_of(part.begin() + 10, part.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// Splits as the registry layer does (SplitRegPathText: no root means the current user, an
// unknown root too), then undoes the aliases: HKEY_CLASSES_ROOT and Software\Classes of
// either root, the 32-bit view Software\Wow6432Node, ControlSetNNN, HKEY_CURRENT_CONFIG.
ReachedKey ReachedKeyOf(const Text& registryPath) {
    Text rootName, subkey;
    SplitRegPathText(registryPath, rootName, subkey);
    const int root = rootName.empty() ? 1 : RootIndexOfName(rootName);
    ReachedKey k{User, KeyComponents(subkey)};
    TextList& parts = k.parts;
    switch (root) {
    case 0:
        k.hive = Classes;
        break;
    case 2:
        k.hive = Machine;
        break;
    case 3: // HKEY_USERS\<hive>: a user's keys, or that user's classes
        if (parts.empty()) return {OtherHive, {}};
        k.hive = parts.front().ends_with("_CLASSES") ? Classes : User;
        parts.erase(parts.begin());
        break;
    case 4: // HKEY_CURRENT_CONFIG is the current hardware profile of the machine
        parts.insert(parts.begin(),
                     {"SYSTEM", "CURRENTCONTROLSET", "HARDWARE PROFILES", "CURRENT"});
        k.hive = Machine;
        break;
    case 5:
        k.hive = OtherHive;
        break;
    default:
        break; // the current user
    }
    if (k.hive == Machine || k.hive == User) {
        if (parts.size() >= 2 && parts[0] == "SOFTWARE" && parts[1] == "WOW6432NODE")
            parts.erase(parts.begin() + 1);
        if (parts.size() >= 2 && parts[0] == "SOFTWARE" && parts[1] == "CLASSES") {
            parts.erase(parts.begin(), parts.begin() + 2);
            k.hive = Classes;
        }
    }
    if (k.hive == Machine && parts.size() >= 2 && parts[0] == "SYSTEM" &&
        IsControlSetName(parts[1]))
        parts[1] = "CURRENTCONTROLSET";
    if (k.hive == Classes && !parts.empty() && parts[0] == "WOW6432NODE")
        parts.erase(parts.begin());
    return k;
}

// Shared: Windows' own or shared by every product; the key, everything above and everything
// below it are refused, except below a deeper container. Container: each child belongs to
// one product; the container and everything above it are refused, its children may go.
enum class KeyRole { Shared, Container };

struct KeyRule {
    unsigned hives;
    const char* key;
    KeyRole role;
};

constexpr unsigned kMachineOrUser = Machine | User;
#define ZK_CV "SOFTWARE\\MICROSOFT\\WINDOWS\\CURRENTVERSION\\"
#define ZK_PROFILE "SYSTEM\\CURRENTCONTROLSET\\HARDWARE PROFILES\\CURRENT\\SOFTWARE"
constexpr KeyRule kKeyRules[] = {
    {kMachineOrUser, "SOFTWARE\\MICROSOFT", KeyRole::Shared},
    {kMachineOrUser, "SOFTWARE\\POLICIES", KeyRole::Shared},
    {kMachineOrUser, "CONTROL PANEL", KeyRole::Shared},
    {kMachineOrUser, "ENVIRONMENT", KeyRole::Shared},
    {kMachineOrUser, "SYSTEM", KeyRole::Shared},
    {kMachineOrUser, "HARDWARE", KeyRole::Shared},
    {kMachineOrUser, "SAM", KeyRole::Shared},
    {kMachineOrUser, "SECURITY", KeyRole::Shared},
    {kMachineOrUser, "APPEVENTS", KeyRole::Shared},
    {kMachineOrUser, "CONSOLE", KeyRole::Shared},
    {kMachineOrUser, "KEYBOARD LAYOUT", KeyRole::Shared},
    {kMachineOrUser, "NETWORK", KeyRole::Shared},
    {kMachineOrUser, "PRINTERS", KeyRole::Shared},
    {kMachineOrUser, "VOLATILE ENVIRONMENT", KeyRole::Shared},
    {kMachineOrUser, ZK_CV "UNINSTALL", KeyRole::Container},
    {kMachineOrUser, ZK_CV "APP PATHS", KeyRole::Container},
    {kMachineOrUser, ZK_CV "APP MANAGEMENT\\ARPCACHE", KeyRole::Container},
    {kMachineOrUser, ZK_CV "EXPLORER\\FILEEXTS", KeyRole::Container},
    {kMachineOrUser, ZK_CV "EXPLORER\\BROWSER HELPER OBJECTS", KeyRole::Container},
    {kMachineOrUser, ZK_CV "EXPLORER\\SHELLICONOVERLAYIDENTIFIERS", KeyRole::Container},
    {kMachineOrUser, "SYSTEM\\CURRENTCONTROLSET\\SERVICES", KeyRole::Container},
    {kMachineOrUser, "SYSTEM\\CURRENTCONTROLSET\\SERVICES\\EVENTLOG\\APPLICATION",
     KeyRole::Container},
    {kMachineOrUser, ZK_PROFILE, KeyRole::Container},
    {kMachineOrUser, ZK_PROFILE "\\MICROSOFT", KeyRole::Shared},
    // Every extension and class under Classes is one product's, but for Windows' own below.
    {Classes, "", KeyRole::Container},
    {Classes, "CLSID", KeyRole::Container},
    {Classes, "INTERFACE", KeyRole::Container},
    {Classes, "TYPELIB", KeyRole::Container},
    {Classes, "APPID", KeyRole::Container},
    {Classes, "APPLICATIONS", KeyRole::Container},
    {Classes, "COMPONENT CATEGORIES", KeyRole::Shared},
    {Classes, "MIME", KeyRole::Shared},
    {Classes, "PROTOCOLS", KeyRole::Shared},
    {Classes, "SYSTEMFILEASSOCIATIONS", KeyRole::Shared},
    {Classes, "DIRECTORY\\BACKGROUND\\SHELL", KeyRole::Container},
    {Classes, "DIRECTORY\\BACKGROUND\\SHELLEX\\CONTEXTMENUHANDLERS", KeyRole::Container},
};
#undef ZK_CV
#undef ZK_PROFILE

// Windows' own classes: shared, but a product may add (and remove) its verbs and menu
// handlers below them.
constexpr const char* kWindowsClasses[] = {
    "*",
    "ALLFILESYSTEMOBJECTS",
    "FOLDER",
    "DIRECTORY",
    "DRIVE",
    "UNKNOWN",
    "EXEFILE",
    "LNKFILE",
    "BATFILE",
    "CMDFILE",
    "COMFILE",
    "DLLFILE",
    "TXTFILE",
    "INIFILE",
    "REGFILE",
    "HTMLFILE",
    "INTERNETSHORTCUT",
    "HTTP",
    "HTTPS",
    "FTP",
    "FILE",
    "MAILTO",
    ".EXE",
    ".LNK",
    ".BAT",
    ".CMD",
    ".COM",
    ".DLL",
    ".SYS",
    ".TXT",
    ".INI",
    ".REG",
    ".HTM",
    ".HTML",
    ".URL",
};

struct Rule {
    unsigned hives;
    TextList parts;
    KeyRole role;
};

const std::vector<Rule>& Rules() {
    static const std::vector<Rule> rules = [] {
        std::vector<Rule> all;
        for (const KeyRule& r : kKeyRules) all.push_back({r.hives, KeyComponents(r.key), r.role});
        for (const char* c : kWindowsClasses) {
            all.push_back({Classes, {c}, KeyRole::Shared});
            all.push_back({Classes, {c, "SHELL"}, KeyRole::Container});
            all.push_back({Classes, {c, "SHELLEX", "CONTEXTMENUHANDLERS"}, KeyRole::Container});
        }
        return all;
    }();
    return rules;
}

// True when `head` is `parts` or lies above it.
bool IsHeadOf(const TextList& head, const TextList& parts) {
    return head.size() <= parts.size() && std::equal(head.begin(), head.end(), parts.begin());
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

TextList RemoveDirsAboveOwnDir(const ProtectionLists& p, const TextList& removeDirs,
                               const Text& ownDir) {
    TextList above;
    for (Text dir : removeDirs) {
        while (dir.size() > 3 && EndsWithChar(dir, '\\')) dir.pop_back();
        const bool isAbove = dir.size() > 3 && StartsText(dir + "\\", ownDir);
        const bool listed = std::any_of(above.begin(), above.end(),
                                        [&](const Text& a) { return TextEquals(a, dir); });
        if (isAbove && !listed && IsDirRemovable(p, dir)) above.push_back(dir);
    }
    std::stable_sort(above.begin(), above.end(),
                     [](const Text& a, const Text& b) { return a.size() > b.size(); });
    return above;
}

bool IsProtectedRegistryKey(const Text& registryPath) {
    const ReachedKey k = ReachedKeyOf(registryPath);
    if (k.parts.empty()) return true; // a root or a whole hive
    const Rule* below = nullptr;      // the deepest rule the key lies strictly below
    for (const Rule& r : Rules()) {
        if (!(r.hives & k.hive)) continue;
        if (IsHeadOf(k.parts, r.parts)) return true; // the rule's key or one above it
        if (IsHeadOf(r.parts, k.parts) && (!below || r.parts.size() > below->parts.size()))
            below = &r;
    }
    if (below) return below->role != KeyRole::Container;
    return k.parts.size() < 2; // one component below a root is the top of some tree
}

bool IsRefusedRegistryRow(const Text& row) {
    return TextEquals(Trim(ListItem(row, 4)), "Remove Key") &&
           IsProtectedRegistryKey(ListItem(row, 0));
}

namespace {

bool IsOneOf(const Text& path, const TextList& files) {
    const Text key = UpperCaseAnsi(Trim(path));
    return !key.empty() && std::any_of(files.begin(), files.end(),
                                       [&](const Text& f) { return UpperCaseAnsi(f) == key; });
}

} // namespace

std::string WithoutPendingRenamesFrom(const std::string& multiSz, const TextList& files,
                                      bool& changed) {
    changed = false;
    // Pairs: a source, then its target, which is empty for a deletion; an empty source ends.
    const auto next = [&](size_t& at) {
        size_t end = std::min(multiSz.find('\0', at), multiSz.size());
        std::string s = multiSz.substr(at, end - at);
        at = end + 1;
        return s;
    };
    std::string kept;
    for (size_t at = 0; at < multiSz.size();) {
        const std::string source = next(at);
        if (source.empty()) break;
        const std::string target = at < multiSz.size() ? next(at) : std::string();
        if (IsOneOf(StartsText("\\??\\", source) ? source.substr(4) : source, files)) {
            changed = true;
            continue;
        }
        kept += source + '\0' + target + '\0';
    }
    return changed ? (kept.empty() ? kept : kept + '\0') : multiSz;
}

Text WithoutWininitRenamesFrom(const Text& ini, const TextList& files, bool& changed) {
    changed = false;
    Text kept;
    bool inRename = false;
    size_t start = 0;
    while (start < ini.size()) {
        size_t end = ini.find('\n', start);
        end = end == Text::npos ? ini.size() : end + 1;
        const Text line = ini.substr(start, end - start), bare = Trim(line);
        start = end;
        if (!bare.empty() && bare[0] == '[') inRename = TextEquals(bare, "[Rename]");
        const size_t eq = bare.find('=');
        if (inRename && eq != Text::npos && IsOneOf(bare.substr(eq + 1), files)) {
            changed = true;
            continue;
        }
        kept += line;
    }
    return kept;
}

} // namespace zk
