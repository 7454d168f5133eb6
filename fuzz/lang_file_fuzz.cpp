// Fuzz target: any bytes as a ".lng" language file. Besides the sanitizers it checks every
// key the file holds against the rule as written, read line by line: sections and keys match
// without regard to case, the first section of a name and the first line of a key win, values
// are trimmed.
#include "SLangTable.h"

#include <cstdint>
#include <cstdlib>
#include <set>
#include <vector>

using namespace zk;

namespace {

// The lines of the text as the table splits them: CR and LF each end one.
std::vector<Text> RawLines(const Text& text) {
    std::vector<Text> lines;
    size_t start = 0;
    for (size_t i = 0; i <= text.size(); ++i)
        if (i == text.size() || text[i] == '\r' || text[i] == '\n') {
            lines.push_back(text.substr(start, i - start));
            start = i + 1;
        }
    return lines;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const Text input(reinterpret_cast<const char*>(data), size);
    const TLangTable table(input);
    std::set<Text> sections, keys; // upper case; keys as "SECTION\nKEY"
    Text section;
    bool counted = false;
    for (const Text& raw : RawLines(input)) {
        const Text line = Trim(raw);
        if (line.empty() || line[0] == ';') continue;
        if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
            section = Trim(line.substr(1, line.size() - 2));
            counted = sections.insert(UpperCase(section)).second;
            continue;
        }
        if (!counted) continue;
        const size_t equals = line.find('=');
        const Text key = Trim(line.substr(0, equals));
        const Text value = equals == Text::npos ? Text() : Trim(line.substr(equals + 1));
        if (!keys.insert(UpperCase(section) + '\n' + UpperCase(key)).second) continue;
        Text found;
        if (!table.Find(LowerCase(section), UpperCase(key), found) || found != value) abort();
    }
    Text unused;
    (void)table.Find("General", "Charset", unused);
    (void)table.Find("", "", unused);
    return 0;
}
