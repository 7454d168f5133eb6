#include "RegOpText.h"
#include "UtilPlusText.h"

#include <cstring>

namespace zk {

namespace {

bool IsBlank(char c) {
    return static_cast<unsigned char>(c) <= 32;
}

// ";"-separated items, kept as written.
std::vector<Text> SplitItems(const Text& text, const char* separators) {
    std::vector<Text> items;
    size_t start = 0;
    for (;;) {
        size_t end = text.find_first_of(separators, start);
        items.push_back(text.substr(start, end == Text::npos ? Text::npos : end - start));
        if (end == Text::npos) return items;
        start = end + 1;
    }
}

Text CollapseSemicolons(const Text& text) {
    Text out;
    for (char c : text)
        if (c != ';' || out.empty() || out.back() != ';') out += c;
    return out;
}

Text RemoveBlanks(const Text& text) {
    Text out;
    for (char c : text)
        if (!IsBlank(c)) out += c;
    return out;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    c = UpCaseChar(c);
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

void PutLe(std::string& out, size_t at, uint64_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out[at + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

} // namespace

bool IsRootOnlySubkey(const Text& subkey) {
    for (char c : subkey)
        if (c != '\\' && !IsBlank(c)) return false;
    return true;
}

Text TrimBackslashes(const Text& subkey) {
    size_t first = subkey.find_first_not_of('\\');
    if (first == Text::npos) return {};
    Text trimmed = subkey.substr(first);
    while (EndsWithChar(trimmed, '\\')) trimmed.pop_back();
    return trimmed;
}

uint32_t DwordOfText(const Text& text) {
    Text t = Trim(text);
    bool negative = !t.empty() && t[0] == '-';
    if (!t.empty() && (t[0] == '-' || t[0] == '+')) t.erase(0, 1);
    if (t.empty() || t.size() > 10) return 0;
    uint64_t v = 0;
    for (char c : t) {
        if (c < '0' || c > '9') return 0;
        v = v * 10 + static_cast<uint64_t>(c - '0');
    }
    if (negative) return v <= 0x80000000u ? static_cast<uint32_t>(0 - v) : 0;
    return v <= 0xFFFFFFFFu ? static_cast<uint32_t>(v) : 0;
}

Text RegValueNameOf(const Text& name) {
    return TextEquals(name, "(Default)") ? Text() : name;
}

Text QuoteIfBlank(const Text& path) {
    if (path.empty() || path[0] == '"' || path.find(' ') == Text::npos) return path;
    return "\"" + path + "\"";
}

Text StripQuotes(const Text& text) {
    if (text.size() >= 2 && text.front() == '"' && text.back() == '"')
        return text.substr(1, text.size() - 2);
    return text;
}

Text FileNameOfPath(const Text& path) {
    size_t cut = LastCharOf(path, "\\:");
    return cut == Text::npos ? path : path.substr(cut + 1);
}

Text FolderOfPath(const Text& path) {
    size_t cut = LastCharOf(path, "\\:");
    if (cut == Text::npos) return {};
    Text folder = path.substr(0, cut + 1);
    if (EndsWithChar(folder, '\\')) folder.pop_back();
    return folder;
}

bool ArpCacheWanted(const Text& windowsName) {
    return !windowsName.empty() && Pos("," + UpperCase(windowsName) + ",", ",95,98,ME,NT,") == 0;
}

std::string ArpCacheRecord(const std::u16string& programPath, int64_t installSize,
                           uint64_t lastUsedFileTime) {
    if (programPath.size() > ArpCachePathChars) return {};
    std::string r(ArpCacheRecordSize, '\0');
    PutLe(r, 0, ArpCacheRecordSize, 4);
    PutLe(r, 4, 1, 4);
    PutLe(r, 8, static_cast<uint64_t>(installSize), 8);
    PutLe(r, 16, lastUsedFileTime, 8);
    PutLe(r, 24, 5, 4);
    for (size_t i = 0; i < programPath.size(); ++i) PutLe(r, 28 + 2 * i, programPath[i], 2);
    return r;
}

RegistryOpAction RegistryOpActionOf(const Text& word) {
    static const struct {
        const char* word;
        RegistryOpAction action;
    } words[] = {{"Create", RegistryOpAction::Create},
                 {"Remove Key", RegistryOpAction::RemoveKey},
                 {"Remove Value", RegistryOpAction::RemoveValue},
                 {"Remove", RegistryOpAction::RemoveValue}};
    for (const auto& w : words)
        if (TextEquals(word, w.word)) return w.action;
    return RegistryOpAction::Nothing;
}

EnvironmentOpAction EnvironmentOpActionOf(const Text& word) {
    static const struct {
        const char* word;
        EnvironmentOpAction action;
    } words[] = {{"Create", EnvironmentOpAction::Create},
                 {"Append", EnvironmentOpAction::Append},
                 {"Remove", EnvironmentOpAction::Remove}};
    for (const auto& w : words)
        if (TextEquals(word, w.word)) return w.action;
    return EnvironmentOpAction::Nothing;
}

Text RowAction(const Text& row, int installField, int installMode) {
    return ListItem(row, installMode != 0 ? installField : installField + 1);
}

bool HexListToBytes(const Text& data, std::string& bytes) {
    bytes.clear();
    if (data.empty()) return true;
    // Pairs at 0, 3, 6 ... with a comma after every pair but the last.
    if (data.size() % 3 != 2) return false;
    for (size_t i = 0; i < data.size(); i += 3) {
        int hi = HexDigit(data[i]), lo = HexDigit(data[i + 1]);
        if (hi < 0 || lo < 0 || (i + 2 < data.size() && data[i + 2] != ',')) {
            bytes.clear();
            return false;
        }
        bytes += static_cast<char>(hi * 16 + lo);
    }
    return true;
}

Text ExpandPercentText(const Text& text, const std::function<Text(const Text&)>& lookup) {
    Text out;
    size_t i = 0;
    while (i < text.size()) {
        size_t open = text.find('%', i);
        size_t close = open == Text::npos ? Text::npos : text.find('%', open + 1);
        if (close == Text::npos) break;
        out.append(text, i, open - i);
        Text value = close > open + 1 ? lookup(text.substr(open + 1, close - open - 1)) : Text();
        // An unresolved pair is copied as written; both of its signs are used up.
        out += value.empty() ? text.substr(open, close - open + 1) : value;
        i = close + 1;
    }
    out.append(text, i, Text::npos);
    return out;
}

bool IsPathVariable(const Text& name) {
    return TextEquals(Trim(name), "PATH");
}

Text AppendEnvironmentText(const Text& name, const Text& current, const Text& addition) {
    if (current.empty()) return addition;
    if (!IsPathVariable(name)) return PosText(addition, current) > 0 ? current : current + addition;
    for (const Text& item : SplitItems(current, ";"))
        if (TextEquals(Trim(item), Trim(addition))) return current;
    return CollapseSemicolons(current + ";" + addition);
}

bool RemoveEnvironmentText(const Text& name, const Text& current, const Text& part, Text& rest) {
    rest = current;
    if (part.empty()) return false;
    if (!IsPathVariable(name)) {
        int p = PosText(part, current);
        if (p == 0) return false;
        rest = Trim(current.substr(0, p - 1) + current.substr(p - 1 + part.size()));
        return true;
    }
    Text kept;
    bool found = false;
    for (const Text& item : SplitItems(current, ";")) {
        if (!Trim(item).empty() && TextEquals(Trim(item), Trim(part))) {
            found = true;
            continue;
        }
        kept += item + ";";
    }
    if (!found) return false;
    kept = CollapseSemicolons(kept);
    if (!kept.empty()) kept.pop_back(); // one trailing ";"
    rest = Trim(kept);
    return true;
}

namespace {

std::vector<Text> AutoexecLines(const Text& fileText) {
    std::vector<Text> lines;
    for (size_t start = 0; start < fileText.size();) {
        size_t end = fileText.find('\n', start);
        if (end == Text::npos) end = fileText.size();
        Text line = fileText.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

Text SetPattern(const Text& name) {
    return "SET" + RemoveBlanks(StripLineBreaks(name)) + "=";
}

} // namespace

bool FindAutoexecSet(const Text& fileText, const Text& name, Text& value) {
    const Text pattern = SetPattern(name);
    const std::vector<Text> lines = AutoexecLines(fileText);
    for (size_t i = lines.size(); i-- > 0;)
        if (StartsText(pattern, RemoveBlanks(lines[i]))) {
            value = Trim(TextAfter(lines[i], "="));
            return true;
        }
    return false;
}

bool EditAutoexecSet(Text& fileText, const Text& name, const Text& value) {
    const Text cleanName = StripLineBreaks(name), cleanValue = StripLineBreaks(value);
    const Text pattern = SetPattern(name);
    std::vector<Text> lines = AutoexecLines(fileText);
    bool changed = false;
    for (size_t i = lines.size(); i-- > 0;)
        if (StartsText(pattern, RemoveBlanks(lines[i]))) {
            lines.erase(lines.begin() + static_cast<long>(i));
            changed = true;
        }
    if (!cleanValue.empty()) {
        lines.push_back("SET " + cleanName + "=" + cleanValue);
        changed = true;
    }
    if (!changed) return false;
    fileText.clear();
    for (const Text& line : lines) fileText += line + "\r\n";
    return true;
}

Text NormalizeExtension(const Text& extension) {
    Text ext = Trim(extension);
    size_t first = ext.find_first_not_of('.');
    ext = first == Text::npos ? Text() : Trim(ext.substr(first));
    return ext.empty() ? ext : "." + ext;
}

Text QuoteOpenCommand(const Text& command) {
    Text c = command;
    if (c.empty() || c[0] != '"') c = "\"" + c + "\"";
    if (c.find("%1") == Text::npos) c += " \"%1\"";
    return c;
}

std::vector<Text> OpenWithExtensionList(const Text& list) {
    std::vector<Text> out;
    for (const Text& item : SplitItems(list, ",;")) {
        Text ext = NormalizeExtension(ReplaceAll(item, "*", ""));
        if (!ext.empty()) out.push_back(ext);
    }
    return out;
}

} // namespace zk
