#include "Ctrls.h"
#include "Handles.h"
#include "MsgMarkup.h"

#include <cstring>
#include <vector>

namespace zk {

namespace {

bool SameSpec(const FontSpec& a, const FontSpec& b) {
    return a.height == b.height && a.weight == b.weight && a.charset == b.charset &&
           a.underline == b.underline && a.italic == b.italic &&
           a.pitchAndFamily == b.pitchAndFamily && TextEquals(a.face, b.face);
}

struct CachedFont {
    FontSpec spec;
    UniqueFont font;
};

std::vector<CachedFont>& FontCache() {
    static std::vector<CachedFont> cache;
    return cache;
}

} // namespace

HFONT SharedFont(const FontSpec& spec) {
    for (const CachedFont& c : FontCache())
        if (SameSpec(c.spec, spec)) return c.font.get();
    LOGFONTA lf{};
    lf.lfHeight = spec.height;
    lf.lfWeight = spec.weight;
    lf.lfCharSet = static_cast<BYTE>(spec.charset);
    lf.lfUnderline = spec.underline;
    lf.lfItalic = spec.italic;
    lf.lfPitchAndFamily = static_cast<BYTE>(spec.pitchAndFamily);
    lstrcpynA(lf.lfFaceName, spec.face.c_str(), LF_FACESIZE);
    FontCache().push_back({spec, UniqueFont(CreateFontIndirectA(&lf))});
    return FontCache().back().font.get();
}

FontSpec FontSpecOf(HFONT font) {
    LOGFONTA lf{};
    if (!font) font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    GetObjectA(font, sizeof lf, &lf);
    FontSpec s;
    s.face = lf.lfFaceName;
    s.height = lf.lfHeight;
    s.weight = lf.lfWeight;
    s.charset = lf.lfCharSet;
    s.underline = lf.lfUnderline != 0;
    s.italic = lf.lfItalic != 0;
    s.pitchAndFamily = lf.lfPitchAndFamily;
    return s;
}

void ChangeControlFont(HWND control, const std::function<void(FontSpec&)>& change) {
    FontSpec spec = FontSpecOf(reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0)));
    change(spec);
    SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(SharedFont(spec)), TRUE);
}

void SetTahomaFont(HWND control) {
    ChangeControlFont(control, [](FontSpec& s) { s.face = "Tahoma"; });
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
    ChangeControlFont(control, [charset](FontSpec& s) { s.charset = charset; });
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
