#include "VersionText.h"

namespace zk {

static bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// Resource compilers write "1, 2, 3, 4": blanks beside a separator belong to the separator.
static Text JoinSeparatedGroups(const Text& text) {
    Text r;
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i] == ',' ? '.' : text[i];
        if (c == ' ') {
            size_t next = text.find_first_not_of(' ', i);
            bool beforeSep = next != Text::npos && (text[next] == '.' || text[next] == ',');
            bool afterSep = !r.empty() && r.back() == '.';
            if (beforeSep || afterSep) continue;
        }
        r += c;
    }
    return r;
}

Text NormalizeVersionText(const Text& text, int width) {
    Text t = JoinSeparatedGroups(Trim(text));
    size_t cut = 0;
    while (cut < t.size() && (IsDigit(t[cut]) || t[cut] == '.')) ++cut;
    if (cut > 0 && cut < t.size()) t.resize(cut);
    Text r;
    size_t start = 0;
    while (true) {
        size_t dot = t.find('.', start);
        Text group = t.substr(start, dot == Text::npos ? Text::npos : dot - start);
        r += ZeroPadLeft(group, width);
        if (dot == Text::npos) return r;
        r += '.';
        start = dot + 1;
    }
}

static bool AllDigits(const Text& s) {
    for (char c : s)
        if (!IsDigit(c)) return false;
    return !s.empty();
}

static int CompareGroups(const Text& a, const Text& b) {
    if (AllDigits(a) && AllDigits(b)) {
        size_t za = a.find_first_not_of('0'), zb = b.find_first_not_of('0');
        Text na = za == Text::npos ? "" : a.substr(za), nb = zb == Text::npos ? "" : b.substr(zb);
        if (na.size() != nb.size()) return na.size() < nb.size() ? -1 : 1;
        return na.compare(nb);
    }
    return a.compare(b);
}

int CompareVersionTexts(const Text& a, const Text& b) {
    if (a.empty() || b.empty()) return (a.empty() ? 0 : 1) - (b.empty() ? 0 : 1);
    size_t pa = 0, pb = 0;
    while (true) {
        size_t ea = a.find('.', pa), eb = b.find('.', pb);
        int c = CompareGroups(a.substr(pa, ea == Text::npos ? Text::npos : ea - pa),
                              b.substr(pb, eb == Text::npos ? Text::npos : eb - pb));
        if (c != 0) return c < 0 ? -1 : 1;
        if (ea == Text::npos || eb == Text::npos) {
            // Equal so far: the one with more groups is the newer, as in the text order.
            if (ea == eb) return 0;
            return ea == Text::npos ? -1 : 1;
        }
        pa = ea + 1;
        pb = eb + 1;
    }
}

} // namespace zk
