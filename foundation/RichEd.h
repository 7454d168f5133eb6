// Helpers of the Rich Edit 1.0 controls ("RICHEDIT" of RICHED32.DLL): bold markup, texts
// shown as labels, the right-to-left replacement of a control, and the one hyperlink of the
// own texts (hand cursor over its pixels, opened on a click).
#pragma once
#include "Utils.h"

#include <windows.h>

namespace zk {

inline constexpr const char* RichEditClass = "RICHEDIT";
inline constexpr const char* RichEditLibrary = "RICHED32.DLL";

// The one web address a link opens, and the two ways the texts write it.
inline constexpr const char* ProductAddress = "http://www.zelkon-setup.com/";
inline constexpr const char* ProductLinkTexts[] = {"www.zelkon-setup.com", "zelkon-setup.com/"};

// Appends the text without its "<B>"/"</B>" tags (any case) and makes every tagged run bold;
// the appended text is otherwise plain. The selection ends at 0.
void ApplyBoldMarkup(HWND richEdit, const Text& text);
// MessageMarkup in a rich edit that looks like a label: the parent's colour, no border,
// read-only, no tab stop.
void ShowAsLabelMemo(HWND richEdit, const Text& text);
// For charsets 177 and 178: a right-to-left rich edit with the same id, place, size, text,
// styles, colour, font and event mask takes the control's place in the tab order; the old one
// is destroyed, `richEdit` and the form's control list point to the new one. True if replaced.
bool ReplaceWithRtlRichEdit(HWND& richEdit, int charset);

// Replaces the control's content by an RTF document (formatted, not as plain text).
void LoadRtf(HWND richEdit, const Text& rtf);

// Whether (x, y) of the control lies on link pixels (pure blue, a run of 15 in a row); sets
// the hand cursor over them and keeps the answer for OpenRichEditLinkAtCaret.
bool TrackRichEditLinkHover(HWND richEdit, int x, int y);
// After a hover over link pixels: when the caret stands in blue underlined text near one of
// the link texts, opens ProductAddress in the browser.
void OpenRichEditLinkAtCaret(HWND richEdit);

// Pure part: whether the 60 characters from 30 before the caret hold a link text.
bool LinkTextNearCaret(const Text& text, int caret);

} // namespace zk
