#include "SLangTable.h"

#include <algorithm>

namespace zk {

namespace {

Text TableKey(const Text& section, const Text& key) {
    return UpperCase(section) + '\n' + UpperCase(key);
}

} // namespace

TLangTable::TLangTable(const Text& text) {
    Text section, upperSection;
    bool inSection = false;
    std::unordered_map<Text, bool> seenSections;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = std::min(text.find_first_of("\r\n", start), text.size());
        const Text line = Trim(text.substr(start, end - start));
        start = end + 1;
        if (line.empty() || line[0] == ';') continue;
        if (line.front() == '[' && line.back() == ']' && line.size() >= 2) {
            section = Trim(line.substr(1, line.size() - 2));
            // A second section of the same name is not looked at.
            inSection = seenSections.emplace(UpperCase(section), true).second;
            continue;
        }
        if (!inSection) continue;
        const size_t equals = line.find('=');
        const Text key = equals == Text::npos ? line : Trim(line.substr(0, equals));
        const Text value = equals == Text::npos ? Text() : Trim(line.substr(equals + 1));
        values_.emplace(TableKey(section, key), value); // the first line of a key wins
    }
}

bool TLangTable::Find(const Text& section, const Text& key, Text& value) const {
    auto it = values_.find(TableKey(section, key));
    if (it == values_.end()) return false;
    value = it->second;
    return true;
}

} // namespace zk
