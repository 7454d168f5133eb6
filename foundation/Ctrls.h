// Control helpers shared by every window: the one font cache, the character set and the
// right-to-left ex-styles (ApplyCharset), placement by PositionName and window texts.
#pragma once
#include "Layout.h"

#include <windows.h>

#include <functional>
#include <vector>

namespace zk {

struct FontDesc {
    Text face = "Tahoma";
    int height = -11; // LOGFONT height: negative is the character height in pixels
    int weight = FW_NORMAL;
    int charset = ANSI_CHARSET;
    bool underline = false;
    bool italic = false;
    bool strikeOut = false;
    int pitchAndFamily = DEFAULT_PITCH | FF_DONTCARE;
};

// Fonts live in one process-wide cache: equal descriptions share one font, none is deleted while a
// window may still use it. Never delete the result.
HFONT SharedFont(const FontDesc& desc);
FontDesc FontDescOf(HFONT font);
// The control's font with `change` applied (a shared font), set on the control.
void ChangeControlFont(HWND control, const std::function<void(FontDesc&)>& change);
void SetTahomaFont(HWND control);
// Charsets 177 and 178 switch the control to right-to-left reading first; then the charset
// goes into the control's font.
void ApplyCharset(HWND control, int charset);
// Right-to-left reading and right alignment ex-styles for charsets 177 and 178.
DWORD RtlExStyle(int charset);

// Focus underline of check boxes and radio buttons: BtnEnter underlines the control's font,
// BtnExit removes it. HookFocusUnderline installs both on every check box and radio button of
// the window when visual themes are active (themed buttons draw no focus rectangle);
// HookFocusUnderlineAlways does so whatever the theme.
void BtnEnter(HWND control);
void BtnExit(HWND control);
void HookFocusUnderline(HWND window);
void HookFocusUnderlineAlways(HWND window);

// Subclassing of a control: `proc` sees the control's messages first and passes them on with
// CallPreviousProc. The previous procedure is kept in the process under the control and
// `slot` (by its text), one slot per kind of hook; installing twice changes nothing. The hook
// goes with the window.
void SubclassControl(HWND control, const char* slot, WNDPROC proc);
LRESULT CallPreviousProc(HWND control, const char* slot, UINT msg, WPARAM wp, LPARAM lp);

// Moves the control inside its parent by a PositionName ("Entire Screen" also sizes it).
int PlaceControl(HWND control, const Text& name, int freeHeight, int margin, int top, int left,
                 int freeWidth);
// Width of the control's text in its font, mnemonic marks not counted unless it shows them.
int TextExtentOf(HWND control);
// Height of the control's text wrapped at words to `width`, in its font.
int WrappedTextHeight(HWND control, int width);
// The width a push button, radio button or check box needs to show its whole caption: the
// caption in the control's font (mnemonic marks not counted), plus the push button's frame or
// the box or glyph and its gap. 0 for other controls.
int CaptionWidth(HWND control);
// Places the buttons of a row from their design boxes, widened for their captions
// (FitButtonRow): the row keeps its right edge and its gaps, and reaches no further left than
// `leftLimit`. Returns where they went.
std::vector<Box> FitButtonRowToCaptions(const std::vector<HWND>& buttons,
                                        const std::vector<Box>& design, int leftLimit);
// The same row with a label on its left (a link): the buttons reach no further left than the
// label's text, and the label, `labelWidth` wide by design, gives up its empty rest to them.
void FitButtonRowBesideLabel(const std::vector<HWND>& buttons, const std::vector<Box>& design,
                             HWND label, int labelWidth);

// A multi-line edit made with WS_VSCROLL (and WS_BORDER) shows its vertical scroll bar only
// while its text has more lines than it can show, its frame whole without the bar; call it
// after each change of the text.
void ShowVerticalScrollBarWhenNeeded(HWND edit);

// Control rectangle in its parent's client coordinates.
Box ControlBox(HWND control);
void SetControlBox(HWND control, const Box& box);

Text WindowText(HWND window);
void SetWindowTextTo(HWND window, const Text& text);

} // namespace zk
