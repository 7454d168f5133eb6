#include "Ctrls.h"
#include "Handles.h"
#include "MsgMarkup.h"
#include "UtilPlus.h"

#include <algorithm>
#include <cstring>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

namespace zk {

namespace {

bool SameDesc(const FontDesc& a, const FontDesc& b) {
    return a.height == b.height && a.weight == b.weight && a.charset == b.charset &&
           a.underline == b.underline && a.italic == b.italic && a.strikeOut == b.strikeOut &&
           a.pitchAndFamily == b.pitchAndFamily && TextEquals(a.face, b.face);
}

struct CachedFont {
    FontDesc desc;
    UniqueFont font;
};

std::vector<CachedFont>& FontCache() {
    static std::vector<CachedFont> cache;
    return cache;
}

} // namespace

HFONT SharedFont(const FontDesc& desc) {
    for (const CachedFont& c : FontCache())
        if (SameDesc(c.desc, desc)) return c.font.get();
    LOGFONTA lf{};
    lf.lfHeight = desc.height;
    lf.lfWeight = desc.weight;
    lf.lfCharSet = static_cast<BYTE>(desc.charset);
    lf.lfUnderline = desc.underline;
    lf.lfItalic = desc.italic;
    lf.lfStrikeOut = desc.strikeOut;
    lf.lfPitchAndFamily = static_cast<BYTE>(desc.pitchAndFamily);
    lstrcpynA(lf.lfFaceName, desc.face.c_str(), LF_FACESIZE);
    FontCache().push_back({desc, UniqueFont(CreateFontIndirectA(&lf))});
    return FontCache().back().font.get();
}

FontDesc FontDescOf(HFONT font) {
    LOGFONTA lf{};
    if (!font) font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    GetObjectA(font, sizeof lf, &lf);
    FontDesc s;
    s.face = lf.lfFaceName;
    s.height = lf.lfHeight;
    s.weight = lf.lfWeight;
    s.charset = lf.lfCharSet;
    s.underline = lf.lfUnderline != 0;
    s.italic = lf.lfItalic != 0;
    s.strikeOut = lf.lfStrikeOut != 0;
    s.pitchAndFamily = lf.lfPitchAndFamily;
    return s;
}

void ChangeControlFont(HWND control, const std::function<void(FontDesc&)>& change) {
    FontDesc desc = FontDescOf(reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0)));
    change(desc);
    SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(SharedFont(desc)), TRUE);
}

void SetTahomaFont(HWND control) {
    ChangeControlFont(control, [](FontDesc& s) { s.face = "Tahoma"; });
}

DWORD RtlExStyle(int charset) {
    return IsRtlCharset(charset) ? WS_EX_RTLREADING | WS_EX_RIGHT : 0;
}

void ApplyCharset(HWND control, int charset) {
    if (DWORD rtl = RtlExStyle(charset)) {
        LONG_PTR ex = GetWindowLongPtrA(control, GWL_EXSTYLE);
        SetWindowLongPtrA(control, GWL_EXSTYLE, ex | static_cast<LONG_PTR>(rtl));
        SetWindowPos(control, nullptr, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    }
    ChangeControlFont(control, [charset](FontDesc& s) { s.charset = charset; });
}

namespace {

// The previous procedures of subclassed controls, in the process: a window property would
// cost two server round trips on every message of the control.
struct PreviousProc {
    const char* slot;
    WNDPROC proc;
};

class PreviousProcs {
  public:
    WNDPROC Find(HWND control, const char* slot) {
        std::lock_guard<std::mutex> lock(mutex_);
        const PreviousProc* p = Entry(control, slot);
        return p ? p->proc : nullptr;
    }
    // False when the control already has a procedure in this slot.
    bool Add(HWND control, const char* slot, WNDPROC proc) {
        std::lock_guard<std::mutex> lock(mutex_);
        if (Entry(control, slot)) return false;
        procs_[control].push_back({slot, proc});
        return true;
    }
    void Remove(HWND control, const char* slot) {
        std::lock_guard<std::mutex> lock(mutex_);
        auto it = procs_.find(control);
        if (it == procs_.end()) return;
        auto& list = it->second;
        std::erase_if(list,
                      [slot](const PreviousProc& p) { return std::strcmp(p.slot, slot) == 0; });
        if (list.empty()) procs_.erase(it);
    }

  private:
    const PreviousProc* Entry(HWND control, const char* slot) const {
        auto it = procs_.find(control);
        if (it == procs_.end()) return nullptr;
        for (const PreviousProc& p : it->second)
            if (std::strcmp(p.slot, slot) == 0) return &p;
        return nullptr;
    }

    std::mutex mutex_;
    std::unordered_map<HWND, std::vector<PreviousProc>> procs_;
};

PreviousProcs& Previous() {
    static PreviousProcs procs;
    return procs;
}

} // namespace

void SubclassControl(HWND control, const char* slot, WNDPROC proc) {
    if (!IsWindow(control)) return;
    const auto previous = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(control, GWLP_WNDPROC));
    if (!Previous().Add(control, slot, previous)) return;
    SetWindowLongPtrA(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(proc));
}

LRESULT CallPreviousProc(HWND control, const char* slot, UINT msg, WPARAM wp, LPARAM lp) {
    const WNDPROC previous = Previous().Find(control, slot);
    if (msg == WM_NCDESTROY) Previous().Remove(control, slot);
    if (!previous) return DefWindowProcA(control, msg, wp, lp);
    return CallWindowProcA(previous, control, msg, wp, lp);
}

void BtnEnter(HWND control) {
    ChangeControlFont(control, [](FontDesc& d) { d.underline = true; });
}

void BtnExit(HWND control) {
    ChangeControlFont(control, [](FontDesc& d) { d.underline = false; });
}

namespace {

constexpr const char* FocusUnderlineSlot = "ZkFocusUnderline";

LRESULT CALLBACK FocusUnderlineProc(HWND control, UINT msg, WPARAM wp, LPARAM lp) {
    LRESULT r = CallPreviousProc(control, FocusUnderlineSlot, msg, wp, lp);
    if (msg == WM_SETFOCUS) BtnEnter(control);
    if (msg == WM_KILLFOCUS) BtnExit(control);
    return r;
}

bool IsCheckOrRadio(HWND control) {
    char cls[16] = "";
    GetClassNameA(control, cls, sizeof cls);
    if (lstrcmpiA(cls, "Button") != 0) return false;
    switch (GetWindowLongPtrA(control, GWL_STYLE) & BS_TYPEMASK) {
    case BS_CHECKBOX:
    case BS_AUTOCHECKBOX:
    case BS_3STATE:
    case BS_AUTO3STATE:
    case BS_RADIOBUTTON:
    case BS_AUTORADIOBUTTON:
        return true;
    default:
        return false;
    }
}

BOOL CALLBACK HookOne(HWND control, LPARAM) {
    if (IsCheckOrRadio(control)) SubclassControl(control, FocusUnderlineSlot, FocusUnderlineProc);
    return TRUE;
}

} // namespace

void HookFocusUnderlineAlways(HWND window) {
    EnumChildWindows(window, HookOne, 0);
}

void HookFocusUnderline(HWND window) {
    if (VisualThemesActive()) HookFocusUnderlineAlways(window);
}

namespace {

constexpr int PushButtonMargin = 6; // each side: the frame and a little air
constexpr int GlyphWidth = 13;      // the box of a check box, the circle of a radio button
constexpr int GlyphGap = 6;         // from the glyph to the caption, with the focus frame

} // namespace

namespace {

// The control's text as it paints it, measured by DrawText in its font into `r` (whose width
// a wrapping measure keeps); its own wide text, whatever the code page of the bytes.
void MeasureControlText(HWND control, UINT format, RECT& r) {
    char cls[16] = "";
    GetClassNameA(control, cls, sizeof cls);
    const bool plain =
        lstrcmpiA(cls, "Static") == 0 && (GetWindowLongPtrA(control, GWL_STYLE) & SS_NOPREFIX);
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(control)) + 1, L'\0');
    text.resize(static_cast<size_t>(
        std::max(0, GetWindowTextW(control, text.data(), static_cast<int>(text.size())))));
    if (text.empty()) {
        r.right = r.left;
        r.bottom = r.top;
        return;
    }
    HDC dc = GetDC(control);
    HGDIOBJ old =
        SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageA(control, WM_GETFONT, 0, 0)));
    DrawTextW(dc, text.c_str(), -1, &r, DT_CALCRECT | format | (plain ? DT_NOPREFIX : 0));
    SelectObject(dc, old);
    ReleaseDC(control, dc);
}

} // namespace

int TextExtentOf(HWND control) {
    RECT r{0, 0, 0, 0};
    MeasureControlText(control, DT_SINGLELINE, r);
    return r.right - r.left;
}

int WrappedTextHeight(HWND control, int width) {
    RECT r{0, 0, width, 0};
    MeasureControlText(control, DT_WORDBREAK, r);
    return r.bottom - r.top;
}

int CaptionWidth(HWND control) {
    char cls[16] = "";
    GetClassNameA(control, cls, sizeof cls);
    if (lstrcmpiA(cls, "Button") != 0) return 0;
    const LONG_PTR type = GetWindowLongPtrA(control, GWL_STYLE) & BS_TYPEMASK;
    if (type == BS_GROUPBOX || type == BS_OWNERDRAW) return 0;
    const int extent = TextExtentOf(control);
    return IsCheckOrRadio(control) ? GlyphWidth + GlyphGap + extent : extent + 2 * PushButtonMargin;
}

std::vector<Box> FitButtonRowToCaptions(const std::vector<HWND>& buttons,
                                        const std::vector<Box>& design, int leftLimit) {
    std::vector<int> needed;
    for (HWND b : buttons) needed.push_back(CaptionWidth(b));
    const std::vector<Box> row = FitButtonRow(design, needed, leftLimit);
    for (size_t i = 0; i < buttons.size() && i < row.size(); ++i)
        if (!(ControlBox(buttons[i]) == row[i])) SetControlBox(buttons[i], row[i]);
    return row;
}

void FitButtonRowBesideLabel(const std::vector<HWND>& buttons, const std::vector<Box>& design,
                             HWND label, int labelWidth) {
    constexpr int gap = 8;
    const Box box = ControlBox(label);
    const int textEnd = box.left + std::min(labelWidth, TextExtentOf(label));
    const std::vector<Box> row = FitButtonRowToCaptions(buttons, design, textEnd + gap);
    const int width =
        row.empty() ? labelWidth : std::clamp(row.front().left - gap - box.left, 0, labelWidth);
    if (width != box.width) SetControlBox(label, {box.left, box.top, width, box.height});
}

namespace {

constexpr const char* FramedEditSlot = "ZkFramedEdit";

// Wine's edit control draws the frame of WS_BORDER itself, inside its client area (the style
// then lacks WS_BORDER), and places the frame's right side under the scroll bar it was made
// with: once the bar is hidden, that side is missing and is drawn here.
LRESULT CALLBACK FramedEditProc(HWND edit, UINT msg, WPARAM wp, LPARAM lp) {
    const LRESULT result = CallPreviousProc(edit, FramedEditSlot, msg, wp, lp);
    if (msg == WM_PAINT && !(GetWindowLongPtrA(edit, GWL_STYLE) & (WS_BORDER | WS_VSCROLL))) {
        RECT client;
        GetClientRect(edit, &client);
        HDC dc = GetDC(edit);
        RECT side{client.right - 1, client.top, client.right, client.bottom};
        FillRect(dc, &side, GetSysColorBrush(COLOR_WINDOWFRAME));
        ReleaseDC(edit, dc);
    }
    return result;
}

} // namespace

void ShowVerticalScrollBarWhenNeeded(HWND edit) {
    SubclassControl(edit, FramedEditSlot, FramedEditProc);
    ShowScrollBar(edit, SB_VERT, FALSE); // the text wraps at the whole width first
    RECT format{};
    SendMessageA(edit, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&format));
    HDC dc = GetDC(edit);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageA(edit, WM_GETFONT, 0, 0)));
    TEXTMETRICA metrics{};
    GetTextMetricsA(dc, &metrics);
    SelectObject(dc, old);
    ReleaseDC(edit, dc);
    const LRESULT lines = SendMessageA(edit, EM_GETLINECOUNT, 0, 0);
    const int shown = metrics.tmHeight > 0 ? (format.bottom - format.top) / metrics.tmHeight : 0;
    ShowScrollBar(edit, SB_VERT, lines > shown);
}

Box ControlBox(HWND control) {
    RECT r{};
    GetWindowRect(control, &r);
    if (GetWindowLongPtrA(control, GWL_STYLE) & WS_CHILD)
        MapWindowPoints(HWND_DESKTOP, GetParent(control), reinterpret_cast<POINT*>(&r), 2);
    return {r.left, r.top, r.right - r.left, r.bottom - r.top};
}

void SetControlBox(HWND control, const Box& b) {
    MoveWindow(control, b.left, b.top, b.width, b.height, TRUE);
}

int PlaceControl(HWND control, const Text& name, int freeHeight, int margin, int top, int left,
                 int freeWidth) {
    int index = PositionIndex(name);
    SetControlBox(control,
                  PlaceBox(index, ControlBox(control), {freeHeight, margin, top, left, freeWidth}));
    return index;
}

Text WindowText(HWND window) {
    int n = GetWindowTextLengthA(window);
    Text t(static_cast<size_t>(n) + 1, '\0');
    n = GetWindowTextA(window, t.data(), n + 1);
    t.resize(static_cast<size_t>(n > 0 ? n : 0));
    return t;
}

void SetWindowTextTo(HWND window, const Text& text) {
    SetWindowTextA(window, text.c_str());
}

} // namespace zk
