#include "SFileItem.h"

#include <cstdint>

namespace zk {

namespace {

// Decimal digits only, within 32 bits.
bool ParseFlagWord(const Text& text, FileFlags& flags) {
    if (text.empty() || text.size() > 10) return false;
    uint64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + static_cast<unsigned>(c - '0');
    }
    if (value > UINT32_MAX) return false;
    flags = static_cast<FileFlags>(value);
    return true;
}

} // namespace

FileItem ParseFileItem(const Text& item) {
    FileItem r;
    r.name = Trim(item);
    size_t star = r.name.find('*');
    if (star == Text::npos) return r;
    if (star == 0) {
        r.flags = 1;
        r.name = Trim(r.name.substr(1));
        return r;
    }
    FileFlags flags = 0;
    if (!ParseFlagWord(Trim(r.name.substr(0, star)), flags)) return r;
    r.flags = flags;
    r.name = Trim(r.name.substr(star + 1));
    return r;
}

std::vector<FileItem> ParseFileList(const Text& files) {
    std::vector<FileItem> items;
    if (Trim(files) == "*") return items;
    size_t start = 0;
    for (;;) {
        size_t bar = files.find('|', start);
        FileItem item =
            ParseFileItem(files.substr(start, bar == Text::npos ? Text::npos : bar - start));
        if (!item.name.empty()) items.push_back(std::move(item));
        if (bar == Text::npos) return items;
        start = bar + 1;
    }
}

Text SourceFileKey(const Text& nameOrPath) {
    size_t cut = LastCharOf(nameOrPath, "\\/:");
    return UpperCaseAnsi(cut == Text::npos ? nameOrPath : nameOrPath.substr(cut + 1));
}

} // namespace zk
