#include "LinkText.h"

#include <algorithm>

namespace zk {

namespace {

const char* const UrlPrefixes[] = {"http:", "ftp:", "www.", "mailto:"};

const char* const ShellFolderNames[] = {"Desktop", "Start Menu", "Programs",
                                        "Startup", "Personal",   "Sendto"};

Text OneLine(const Text& value) {
    Text line;
    for (char c : value)
        if (c != '\r' && c != '\n') line += c;
    return line;
}

bool IsSeparator(char c) {
    return c == '\\' || c == '/';
}

bool IsDotsOnly(const Text& part) {
    Text t = Trim(part);
    return !t.empty() && t.find_first_not_of('.') == Text::npos;
}

// "CON", "nul.txt", "Com1 ": names Windows gives to devices, not to files.
bool IsDeviceName(const Text& part) {
    Text base = UpperCase(Trim(part.substr(0, part.find('.'))));
    if (base == "CON" || base == "PRN" || base == "AUX" || base == "NUL") return true;
    return base.size() == 4 && (base.compare(0, 3, "COM") == 0 || base.compare(0, 3, "LPT") == 0) &&
           base[3] >= '1' && base[3] <= '9';
}

// The checks a single name and a folder path share, character by character and part by part.
LinkNameFault CheckNameParts(const Text& text) {
    for (char c : text) {
        unsigned char u = static_cast<unsigned char>(c);
        if (u < 32) return LinkNameFault::ControlChar;
        if (c == ':') return LinkNameFault::Drive;
        if (Text("<>\"|?*").find(c) != Text::npos) return LinkNameFault::BadChar;
    }
    size_t start = 0;
    while (start <= text.size()) {
        const size_t end = std::min(NextCharOf(text, "\\/", start), text.size());
        Text part = text.substr(start, end - start);
        if (IsDotsOnly(part)) return LinkNameFault::ParentStep;
        if (IsDeviceName(part)) return LinkNameFault::DeviceName;
        start = end + 1;
    }
    return LinkNameFault::None;
}

} // namespace

bool IsUrlTarget(const Text& target) {
    for (const char* prefix : UrlPrefixes)
        if (PosText(prefix, target) == 1) return true;
    return false;
}

Text UrlFileText(const Text& target, const Text& iconFile, int iconIndex, const Text& workDir) {
    Text s = "[InternetShortcut]\r\nURL=" + OneLine(target) + "\r\n";
    if (!iconFile.empty())
        s += "IconFile=" + OneLine(iconFile) + "\r\nIconIndex=" + IntToStr(iconIndex) + "\r\n";
    if (!workDir.empty()) s += "WorkingDirectory=" + OneLine(workDir) + "\r\n";
    return s;
}

Text ShellFolderValueName(int location) {
    if (location < 0 || location > LinkSendTo) return {};
    return ShellFolderNames[location];
}

Text ShellFolderFrom(int location, bool allUsers, const ShellFolderReader& read) {
    Text name = ShellFolderValueName(location);
    if (name.empty()) return {};
    const bool roots[] = {allUsers, !allUsers};
    for (bool machineWide : roots) {
        Text value;
        if (read(machineWide, name, value) && !value.empty()) return value;
        if (read(machineWide, "common " + name, value) && !value.empty()) return value;
    }
    return {};
}

Text TidyLinkSubFolder(const Text& subFolder) {
    Text s = Trim(subFolder);
    if (!s.empty() && s[0] == '\\') s.erase(0, 1);
    return s;
}

LinkNameFault CheckProgramGroup(const Text& group) {
    Text s = Trim(group);
    if (s.size() >= 2 && IsSeparator(s[0]) && IsSeparator(s[1])) return LinkNameFault::OtherRoot;
    return CheckNameParts(s);
}

LinkNameFault CheckLinkName(const Text& name) {
    LinkNameFault fault = CheckNameParts(name);
    if (fault != LinkNameFault::None) return fault;
    return NextCharOf(name, "\\/") == Text::npos ? LinkNameFault::None : LinkNameFault::Separator;
}

} // namespace zk
