// The markup of user texts and the pure parts of the message box: bold runs, line breaks,
// button sets and flag bits. Pure text code (no windows.h).
#pragma once
#include "Utils.h"

#include <vector>

namespace zk {

// Built-in ButtonCaptionList: OK, Cancel, Yes, No, Abort, Retry, Ignore.
inline constexpr const char* DefaultButtonCaptions = "|OK|Cancel|Yes|No|Abort|Retry|Ignore|";

// A bold run of the plain text: 0-based offsets, end excluded.
struct BoldRun {
    int start = 0;
    int end = 0;
    bool operator==(const BoldRun&) const = default;
};

struct MarkedText {
    Text plain;
    std::vector<BoldRun> runs;
};

// "\\n" and "<p>"/"<P>" become CR LF, "\\t" a tab (the markup's backslashes are doubled).
Text ExpandEscapes(const Text& text);
// The message box's reading: escapes, a leading "<<b>" loses its first "<", "<b>".."</b>" in
// any case gives a run; an unclosed or misplaced tag gives none and leaves no tag behind.
MarkedText ParseMessageMarkup(const Text& text);
// The rich-edit reading (ApplyBoldMarkup): "<B>" then "</B>" in a pass; a closing tag without
// an opening one makes the text before it bold. Runs are relative to the returned text.
MarkedText ParseBoldMarkup(const Text& text);
// Front end of the box: without an owner the caption repeats as a bold first line, in the
// upper case the caller made of it (by the system's rules, which know more than a-z).
Text BoxTextWithCaption(const Text& text, const Text& upperCaption);

// --- Flag word of the box (the standard message box's layout). ---
inline constexpr unsigned FlagRightAligned = 0x80000;
inline constexpr unsigned FlagRtlReading = 0x100000;

struct BoxButton {
    int captionItem; // item of the ButtonCaptionList
    int result;      // standard result code
};

enum class BoxIcon { Stop, Question, Exclamation, Information, Program };

// The buttons of flags & 0xF, left to right; none for sets above 5.
std::vector<BoxButton> BoxButtons(unsigned flags);
// Index of the default button, -1 for none.
int DefaultButtonIndex(unsigned flags);
BoxIcon BoxIconOf(unsigned flags);
bool IsRtlCharset(int charset);
// Charsets 177 and 178 add right alignment and right-to-left reading.
unsigned FlagsForCharset(unsigned flags, int charset);

} // namespace zk
