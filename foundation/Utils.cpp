#include "Utils.h"

#include <algorithm>

namespace zk {

// ---------------------------------------------------------------- DelimitedList

int ListCount(const Text& list) {
    if (list.empty()) return 0;
    return static_cast<int>(std::count(list.begin() + 1, list.end(), list[0]));
}

Text ListItem(const Text& list, int n) {
    if (list.empty() || n < 0) return {};
    const char d = list[0];
    size_t start = 0; // index of the delimiter in front of the current item
    for (int k = 0;; ++k) {
        size_t next = list.find(d, start + 1);
        if (next == Text::npos) return {};
        if (k == n) return list.substr(start + 1, next - start - 1);
        start = next;
    }
}

void ListNextItem(const Text& list, int& cursor, Text& item) {
    if (list.size() < 3 || list.back() != list.front()) {
        cursor = 0;
        item.clear();
        return;
    }
    if (cursor <= 0) cursor = 1;
    size_t next = list.find(list[0], static_cast<size_t>(cursor));
    if (next == Text::npos) {
        cursor = 0;
        item.clear();
        return;
    }
    item = list.substr(static_cast<size_t>(cursor), next - static_cast<size_t>(cursor));
    cursor = static_cast<int>(next) + 1;
}

void ListSetItem(Text& list, int n, const Text& value) {
    if (n < 0) return;
    if (list.empty()) list = "|";
    const char d = list[0];
    const int count = GreaterInt(ListCount(list), n + 1);
    Text result(1, d);
    int cursor = 1; // walk the old items once instead of ListItem(i) per item
    for (int i = 0; i < count; ++i) {
        Text old;
        if (cursor > 0) {
            size_t next = list.find(d, static_cast<size_t>(cursor));
            if (next == Text::npos) {
                cursor = 0;
            } else {
                old = list.substr(static_cast<size_t>(cursor), next - cursor);
                cursor = static_cast<int>(next) + 1;
            }
        }
        result += (i == n) ? value : old;
        result += d;
    }
    list = result;
}

int ListIndexOf(const Text& list, const Text& sought) {
    const Text l = Trim(list), s = Trim(sought);
    if (l.empty() || s.empty()) return -1;
    int i = 0;
    Text item;
    const char d = l[0];
    // Items of the trimmed list, also when it is not closed by its delimiter.
    for (size_t start = 0;; ++i) {
        size_t next = l.find(d, start + 1);
        if (next == Text::npos) break;
        item = l.substr(start + 1, next - start - 1);
        if (TextEquals(item, s)) return i;
        start = next;
    }
    return -1;
}

// ---------------------------------------------------------------- case and trimming

char UpCaseChar(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c;
}

Text UpperCase(const Text& s) {
    Text r(s);
    for (char& c : r) c = UpCaseChar(c);
    return r;
}

Text LowerCase(const Text& s) {
    Text r(s);
    for (char& c : r)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
    return r;
}

static bool IsBlank(char c) {
    return static_cast<unsigned char>(c) <= 32;
}

Text TrimLeft(const Text& s) {
    size_t b = 0;
    while (b < s.size() && IsBlank(s[b])) ++b;
    return s.substr(b);
}

Text TrimRight(const Text& s) {
    size_t e = s.size();
    while (e > 0 && IsBlank(s[e - 1])) --e;
    return s.substr(0, e);
}

Text Trim(const Text& s) {
    return TrimLeft(TrimRight(s));
}

bool TextEquals(const Text& a, const Text& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (UpCaseChar(a[i]) != UpCaseChar(b[i])) return false;
    return true;
}

bool StartsText(const Text& prefix, const Text& text) {
    return text.size() >= prefix.size() && TextEquals(text.substr(0, prefix.size()), prefix);
}

// ---------------------------------------------------------------- search

static int FindFrom(const Text& pattern, const Text& text, size_t from) {
    if (pattern.empty() || from > text.size()) return 0;
    size_t p = text.find(pattern, from);
    return p == Text::npos ? 0 : static_cast<int>(p) + 1;
}

int Pos(const Text& pattern, const Text& text) {
    return FindFrom(pattern, text, 0);
}

int PosText(const Text& pattern, const Text& text) {
    return FindFrom(UpperCase(pattern), UpperCase(text), 0);
}

int PosFrom(const Text& pattern, const Text& text, int start) {
    if (start < 1) return 0;
    return FindFrom(pattern, text, static_cast<size_t>(start - 1));
}

int PosFromText(const Text& pattern, const Text& text, int start) {
    return PosFrom(UpperCase(pattern), UpperCase(text), start);
}

int LastPos(const Text& pattern, const Text& text) {
    if (pattern.empty()) return 0;
    size_t p = text.rfind(pattern);
    return p == Text::npos ? 0 : static_cast<int>(p) + 1;
}

int EndPosText(const Text& pattern, const Text& text) {
    return PosText(ReversedText(pattern), ReversedText(text));
}

Text ReversedText(const Text& text) {
    return Text(text.rbegin(), text.rend());
}

Text TextBefore(const Text& text, const Text& separator) {
    int p = Pos(separator, text);
    return p == 0 ? Text() : text.substr(0, static_cast<size_t>(p - 1));
}

Text TextAfter(const Text& text, const Text& separator) {
    int p = Pos(separator, text);
    return p == 0 ? text : text.substr(static_cast<size_t>(p));
}

Text PadRight(const Text& text, int width, char fill) {
    if (static_cast<int>(text.size()) >= width) return text;
    return text + Text(static_cast<size_t>(width) - text.size(), fill);
}

Text ZeroPadLeft(const Text& text, int width) {
    if (static_cast<int>(text.size()) >= width) return text;
    return Text(static_cast<size_t>(width) - text.size(), '0') + text;
}

// ---------------------------------------------------------------- replace

Text ReplaceAll(const Text& text, const Text& pattern, const Text& replacement) {
    if (pattern.empty()) return text;
    // The cascade is wanted (";;" -> ";" collapses runs), but a rescan can only match where
    // the replacement met the text around it, so restart just before the insertion.
    // A replacement holding the pattern would be found again for ever: skip past it instead.
    const bool selfMatching = replacement.find(pattern) != Text::npos;
    Text r(text);
    size_t from = 0;
    while (true) {
        size_t p = r.find(pattern, from);
        if (p == Text::npos) return r;
        r.replace(p, pattern.size(), replacement);
        if (selfMatching)
            from = p + replacement.size();
        else
            from = p > pattern.size() ? p - pattern.size() : 0;
    }
}

Text ReplaceAllSafe(const Text& text, const Text& pattern, const Text& replacement) {
    if (replacement.find(pattern) == Text::npos) return ReplaceAll(text, pattern, replacement);
    char marker = '\xFF';
    for (char c = 1; c <= 9; ++c) {
        if (text.find(c) == Text::npos && pattern.find(c) == Text::npos &&
            replacement.find(c) == Text::npos) {
            marker = c;
            break;
        }
    }
    return ReplaceAll(ReplaceAll(text, pattern, Text(1, marker)), Text(1, marker), replacement);
}

Text ReplaceAllText(const Text& text, const Text& pattern, const Text& replacement) {
    if (pattern.empty()) return text;
    const Text up = UpperCase(pattern);
    Text result(text), shadow(UpperCase(text));
    size_t from = 0;
    while (true) {
        size_t p = shadow.find(up, from);
        if (p == Text::npos) return result;
        result.replace(p, up.size(), replacement);
        shadow.replace(p, up.size(), replacement);
        from = p + replacement.size(); // never rescan the inserted text
    }
}

// ---------------------------------------------------------------- numbers and truth

Text BoolToText(int value) {
    return value ? "TRUE" : "FALSE";
}
char BoolToDigit(bool value) {
    return value ? '1' : '0';
}

int64_t BaseTextToInt64(const Text& text, int base) {
    static const Text digits = "0123456789ABCDEF";
    const Text t = UpperCase(Trim(text));
    uint64_t sum = 0, weight = 1; // wraps at 64 bits
    for (size_t i = t.size(); i-- > 0;) {
        size_t d = digits.find(t[i]);
        int64_t value = d == Text::npos ? -1 : static_cast<int64_t>(d);
        sum += static_cast<uint64_t>(value) * weight;
        weight *= static_cast<uint64_t>(base);
    }
    return static_cast<int64_t>(sum);
}

int32_t HexToInt(const Text& text) {
    return static_cast<int32_t>(static_cast<uint32_t>(BaseTextToInt64(text, 16)));
}

int StrToIntDef(const Text& text, int def) {
    size_t i = 0;
    while (i < text.size() && text[i] == ' ') ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    bool hex = false;
    if (i < text.size() && (text[i] == '$' || text[i] == 'x' || text[i] == 'X')) {
        hex = true;
        ++i;
    } else if (i + 1 < text.size() && text[i] == '0' &&
               (text[i + 1] == 'x' || text[i + 1] == 'X')) {
        hex = true;
        i += 2;
    }
    if (i >= text.size()) return def;
    int64_t value = 0; // in 64 bits, so that the sign and the range check cannot overflow
    for (; i < text.size(); ++i) {
        char c = UpCaseChar(text[i]);
        int d;
        if (c >= '0' && c <= '9')
            d = c - '0';
        else if (hex && c >= 'A' && c <= 'F')
            d = c - 'A' + 10;
        else
            return def;
        value = value * (hex ? 16 : 10) + d;
        if (value > 0x80000000ll) return def;
    }
    if (negative) value = -value;
    if (value < INT32_MIN || value > INT32_MAX) return def;
    return static_cast<int>(value);
}

Text IntToStr(int64_t value) {
    return std::to_string(value);
}

// ---------------------------------------------------------------- characters of paths

namespace {
// Calls found(i) for the start of every character that is one of chars, until it answers true.
template <typename Found>
size_t ScanChars(const Text& text, const char* chars, size_t from, LeadByteTest lead, Found found) {
    const Text set = chars;
    for (size_t i = 0; i < text.size(); ++i) {
        const bool pair = lead(static_cast<unsigned char>(text[i])) && i + 1 < text.size();
        if (!pair && i >= from && set.find(text[i]) != Text::npos && found(i)) return i;
        if (pair) ++i;
    }
    return Text::npos;
}
} // namespace

size_t LastCharOf(const Text& text, const char* chars, LeadByteTest lead) {
    size_t last = Text::npos;
    ScanChars(text, chars, 0, lead, [&](size_t i) {
        last = i;
        return false;
    });
    return last;
}

size_t NextCharOf(const Text& text, const char* chars, size_t from, LeadByteTest lead) {
    return ScanChars(text, chars, from, lead, [](size_t) { return true; });
}

bool EndsWithChar(const Text& text, char c, LeadByteTest lead) {
    const char chars[] = {c, '\0'};
    return !text.empty() && LastCharOf(text, chars, lead) == text.size() - 1;
}

} // namespace zk
