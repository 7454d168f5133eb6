#include "MsgMarkup.h"

namespace zk {

Text ExpandEscapes(const Text& text) {
    Text r = ReplaceAllSafe(text, "\\\\n", "\r\n");
    r = ReplaceAllSafe(r, "\\\\t", "\t");
    r = ReplaceAllSafe(r, "<p>", "\r\n");
    return ReplaceAllSafe(r, "<P>", "\r\n");
}

namespace {

// The text and its upper-cased shadow, edited together so that tags match in any case.
struct Shadowed {
    Text text, shadow;
    explicit Shadowed(Text t) : text(std::move(t)), shadow(UpperCase(text)) {}
    void erase(size_t at, size_t count) {
        text.erase(at, count);
        shadow.erase(at, count);
    }
};

} // namespace

MarkedText ParseMessageMarkup(const Text& source) {
    Text expanded = ExpandEscapes(source);
    if (expanded.rfind("<<b>", 0) == 0) expanded.erase(0, 1);
    Shadowed s(std::move(expanded));
    MarkedText r;
    for (size_t open; (open = s.shadow.find("<B>")) != Text::npos;) {
        s.erase(open, 3);
        size_t close = s.shadow.find("</B>");
        if (close == Text::npos || close <= open) continue;
        s.erase(close, 4);
        r.runs.push_back({static_cast<int>(open), static_cast<int>(close)});
    }
    for (size_t close; (close = s.shadow.find("</B>")) != Text::npos;) s.erase(close, 4);
    r.plain = std::move(s.text);
    return r;
}

MarkedText ParseBoldMarkup(const Text& source) {
    Shadowed s(source);
    MarkedText r;
    auto take = [&](size_t count, size_t tag) {
        r.plain += s.text.substr(0, count);
        s.erase(0, count + tag);
    };
    for (bool found = true; found;) {
        found = false;
        if (size_t p = s.shadow.find("<B>"); p != Text::npos) {
            take(p, 3);
            found = true;
        }
        if (size_t q = s.shadow.find("</B>"); q != Text::npos) {
            int start = static_cast<int>(r.plain.size());
            take(q, 4);
            r.runs.push_back({start, static_cast<int>(r.plain.size())});
            found = true;
        }
    }
    r.plain += s.text;
    return r;
}

Text BoxTextWithCaption(const Text& text, const Text& upperCaption) {
    return "<<b>" + upperCaption + "</b><p><p>" + text + "<p>";
}

std::vector<BoxButton> BoxButtons(unsigned flags) {
    enum { Ok, Cancel, Yes, No, Abort, Retry, Ignore };
    static const std::vector<BoxButton> sets[] = {
        {{Ok, 1}},
        {{Ok, 1}, {Cancel, 2}},
        {{Abort, 3}, {Retry, 4}, {Ignore, 5}},
        {{Yes, 6}, {No, 7}, {Cancel, 2}},
        {{Yes, 6}, {No, 7}},
        {{Retry, 4}, {Cancel, 2}},
    };
    unsigned set = flags & 0xF;
    return set < std::size(sets) ? sets[set] : std::vector<BoxButton>{};
}

int DefaultButtonIndex(unsigned flags) {
    switch (flags & 0xF00) {
    case 0x000:
        return 0;
    case 0x100:
        return 1;
    case 0x200:
        return 2;
    default:
        return -1;
    }
}

BoxIcon BoxIconOf(unsigned flags) {
    switch (flags & 0xF0) {
    case 0x10:
        return BoxIcon::Stop;
    case 0x20:
        return BoxIcon::Question;
    case 0x30:
        return BoxIcon::Exclamation;
    case 0x40:
        return BoxIcon::Information;
    default:
        return BoxIcon::Program;
    }
}

bool IsRtlCharset(int charset) {
    return charset == 177 || charset == 178;
}

unsigned FlagsForCharset(unsigned flags, int charset) {
    return IsRtlCharset(charset) ? flags | FlagRightAligned | FlagRtlReading : flags;
}

} // namespace zk
