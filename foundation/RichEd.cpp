#include "RichEd.h"
#include "Ctrls.h"
#include "Forms.h"
#include "MsgMarkup.h"
#include "Process.h"

#include <richedit.h>

#include <algorithm>

namespace zk {

namespace {

constexpr COLORREF LinkBlue = RGB(0, 0, 255);
constexpr const char* HandCursorSlot = "ZkLinkHand";
constexpr const char* HandShownProp = "ZkLinkHandShown";

bool linkHover = false; // the last TrackRichEditLinkHover answer

void Select(HWND edit, LONG start, LONG end) {
    CHARRANGE range{start, end};
    SendMessageA(edit, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&range));
}

void SetSelectionBold(HWND edit, bool bold) {
    CHARFORMATA format{};
    format.cbSize = sizeof format;
    format.dwMask = CFM_BOLD | CFM_ITALIC | CFM_UNDERLINE | CFM_STRIKEOUT;
    format.dwEffects = bold ? CFE_BOLD : 0;
    SendMessageA(edit, EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
}

COLORREF ParentColor(HWND control) {
    auto brush = reinterpret_cast<HBRUSH>(GetClassLongPtrA(GetParent(control), GCLP_HBRBACKGROUND));
    auto index = reinterpret_cast<INT_PTR>(brush);
    if (index > 0 && index <= COLOR_MENUBAR + 1) return GetSysColor(static_cast<int>(index - 1));
    LOGBRUSH lb{};
    if (brush && GetObjectA(brush, sizeof lb, &lb)) return lb.lbColor;
    return GetSysColor(COLOR_BTNFACE);
}

void ChangeStyles(HWND control, LONG_PTR clearStyle, LONG_PTR clearExStyle) {
    SetWindowLongPtrA(control, GWL_STYLE, GetWindowLongPtrA(control, GWL_STYLE) & ~clearStyle);
    SetWindowLongPtrA(control, GWL_EXSTYLE,
                      GetWindowLongPtrA(control, GWL_EXSTYLE) & ~clearExStyle);
    SetWindowPos(control, nullptr, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

// Keeps the hand over link pixels: the control sets its own cursor on every WM_SETCURSOR.
LRESULT CALLBACK HandCursorProc(HWND edit, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_SETCURSOR && LOWORD(lp) == HTCLIENT && GetPropA(edit, HandShownProp)) {
        SetCursor(LoadCursorA(nullptr, IDC_HAND));
        return TRUE;
    }
    if (msg == WM_NCDESTROY) RemovePropA(edit, HandShownProp);
    return CallPreviousProc(edit, HandCursorSlot, msg, wp, lp);
}

bool IsLinkPixel(HDC dc, int x, int y) {
    return GetPixel(dc, x, y) == LinkBlue;
}

bool OnLinkPixels(HWND edit, int x, int y) {
    HDC dc = GetDC(edit);
    bool column = false;
    for (int row = y - 1; row <= y + 10 && !column; ++row) column = IsLinkPixel(dc, x, row);
    bool run = false;
    for (int row = y - 1; row <= y + 10 && column && !run; ++row) {
        int length = 0;
        for (int col = x - 29; col <= x + 15 && !run; ++col) {
            length = IsLinkPixel(dc, col, row) ? length + 1 : 0;
            run = length >= 15;
        }
    }
    ReleaseDC(edit, dc);
    return run;
}

struct RtfSource {
    const Text* text;
    size_t at = 0;
};

DWORD CALLBACK ReadRtf(DWORD_PTR cookie, LPBYTE buffer, LONG size, LONG* done) {
    auto* src = reinterpret_cast<RtfSource*>(cookie);
    size_t n = std::min(static_cast<size_t>(size), src->text->size() - src->at);
    std::copy_n(src->text->data() + src->at, n, buffer);
    src->at += n;
    *done = static_cast<LONG>(n);
    return 0;
}

} // namespace

void LoadRtf(HWND edit, const Text& rtf) {
    RtfSource source{&rtf};
    EDITSTREAM stream{reinterpret_cast<DWORD_PTR>(&source), 0, ReadRtf};
    SendMessageA(edit, EM_STREAMIN, SF_RTF, reinterpret_cast<LPARAM>(&stream));
}

void ApplyBoldMarkup(HWND edit, const Text& text) {
    MarkedText marked = ParseBoldMarkup(text);
    const LONG base = GetWindowTextLengthA(edit);
    Select(edit, base, base);
    SendMessageA(edit, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(marked.plain.c_str()));
    // Appended text takes the format before it: start plain.
    Select(edit, base, base + static_cast<LONG>(marked.plain.size()));
    SetSelectionBold(edit, false);
    for (const BoldRun& run : marked.runs) {
        Select(edit, base + run.start, base + run.end);
        SetSelectionBold(edit, true);
    }
    Select(edit, 0, 0);
}

void ShowAsLabelMemo(HWND edit, const Text& text) {
    HDC screen = GetDC(nullptr);
    int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    if (dpi > 96) ChangeControlFont(edit, [dpi](FontDesc& d) { d.height = -MulDiv(7, dpi, 72); });
    SendMessageA(edit, EM_SETREADONLY, FALSE, 0);
    SetWindowTextA(edit, "");
    ApplyBoldMarkup(edit, ExpandEscapes(text));
    SendMessageA(edit, EM_SETBKGNDCOLOR, 0, static_cast<LPARAM>(ParentColor(edit)));
    ChangeStyles(edit, WS_BORDER | WS_TABSTOP, WS_EX_CLIENTEDGE);
    SendMessageA(edit, EM_SETREADONLY, TRUE, 0);
}

bool ReplaceWithRtlRichEdit(HWND& edit, int charset) {
    if (!IsRtlCharset(charset) || !edit) return false;
    HWND old = edit, parent = GetParent(old);
    Box box = ControlBox(old);
    DWORD style = static_cast<DWORD>(GetWindowLongPtrA(old, GWL_STYLE)) | ES_RIGHT;
    DWORD ex = static_cast<DWORD>(GetWindowLongPtrA(old, GWL_EXSTYLE)) | RtlExStyle(charset);
    HWND fresh = CreateWindowExA(ex, RichEditClass, WindowText(old).c_str(), style, box.left,
                                 box.top, box.width, box.height, parent,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(GetDlgCtrlID(old))),
                                 GetModuleHandleA(nullptr), nullptr);
    if (!fresh) return false;
    // The old background colour comes back from setting one.
    auto color = static_cast<COLORREF>(SendMessageA(old, EM_SETBKGNDCOLOR, 0, 0));
    SendMessageA(fresh, EM_SETBKGNDCOLOR, 0, static_cast<LPARAM>(color));
    TForm* form = FormOf(parent);
    auto font = reinterpret_cast<HFONT>(SendMessageA(old, WM_GETFONT, 0, 0));
    // A Rich Edit 1.0 reports no font: the one it was given is its form's.
    if (!font && form) font = form->FormFont();
    SendMessageA(fresh, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    SendMessageA(fresh, EM_SETEVENTMASK, 0, SendMessageA(old, EM_GETEVENTMASK, 0, 0));
    SetWindowPos(fresh, old, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    if (form) form->ControlReplaced(old, fresh);
    DestroyWindow(old);
    edit = fresh;
    return true;
}

bool TrackRichEditLinkHover(HWND edit, int x, int y) {
    linkHover = OnLinkPixels(edit, x, y);
    SubclassControl(edit, HandCursorSlot, HandCursorProc);
    if (linkHover)
        SetPropA(edit, HandShownProp, reinterpret_cast<HANDLE>(1));
    else
        RemovePropA(edit, HandShownProp);
    SetCursor(LoadCursorA(nullptr, linkHover ? IDC_HAND : IDC_IBEAM));
    return linkHover;
}

bool LinkTextNearCaret(const Text& text, int caret) {
    // 1-based "30 before the caret", clamped to the start of the text.
    size_t from = caret > 31 ? static_cast<size_t>(caret - 31) : 0;
    if (from >= text.size()) return false;
    Text around = text.substr(from, 60);
    for (const char* link : ProductLinkTexts)
        if (UpperCase(around).find(UpperCase(link)) != Text::npos) return true;
    return false;
}

void OpenRichEditLinkAtCaret(HWND edit) {
    if (!linkHover) return;
    CHARFORMATA format{};
    format.cbSize = sizeof format;
    SendMessageA(edit, EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
    bool blue = (format.dwMask & CFM_COLOR) && !(format.dwEffects & CFE_AUTOCOLOR) &&
                format.crTextColor == LinkBlue;
    bool underlined = (format.dwMask & CFM_UNDERLINE) && (format.dwEffects & CFE_UNDERLINE);
    if (!blue || !underlined) return;
    CHARRANGE caret{};
    SendMessageA(edit, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&caret));
    if (!LinkTextNearCaret(WindowText(edit), caret.cpMin)) return;
    ShellOpen(ProductAddress, "", SW_SHOW);
}

} // namespace zk
