#include "AboutDlg.h"
#include "ControlIds.h"
#include "Grafics.h"
#include "RichEd.h"
#include "SysLibs.h"
#include "UtilPlus.h"

#include <richedit.h>

#include <cstdio>

namespace zk {

namespace {

constexpr int ClientWidth = 591, ClientHeight = 449;
constexpr int SideWidth = 57, StripHeight = 25;
constexpr int Inner = 1; // Panel1's single-line border
constexpr int BodyLeft = Inner + SideWidth, BodyWidth = ClientWidth - 2 * Inner - SideWidth;
constexpr COLORREF PanelBlue = RGB(51, 102, 153), PanelGrey = RGB(240, 240, 240);
constexpr Rgb GradientTop{68, 119, 170}, GradientBottom{34, 85, 136};
constexpr int GlyphSize = 20;

Text ResourceText(const char* name) {
    HMODULE module = GetModuleHandleA(nullptr);
    HRSRC info = FindResourceA(module, name, "TEXT");
    HGLOBAL data = info ? LoadResource(module, info) : nullptr;
    const char* bytes = data ? static_cast<const char*>(LockResource(data)) : nullptr;
    if (!bytes) return {};
    Text text(bytes, SizeofResource(module, info));
    return text.substr(0, text.find('\0'));
}

Text EscapeRtf(const Text& plain) {
    Text r;
    for (unsigned char c : plain) {
        if (c == '\\' || c == '{' || c == '}') {
            r += '\\';
            r += static_cast<char>(c);
        } else if (c >= 0x80) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\'%02x", c);
            r += hex;
        } else {
            r += static_cast<char>(c);
        }
    }
    return r;
}

void PaintCloseGlyph(HDC dc) {
    RECT all{0, 0, GlyphSize, GlyphSize};
    UniqueBrush back(CreateSolidBrush(PanelGrey));
    FillRect(dc, &all, back.get());
    UniquePen pen(CreatePen(PS_SOLID, 2, RGB(0, 0, 64)));
    HGDIOBJ old = SelectObject(dc, pen.get());
    MoveToEx(dc, 6, 6, nullptr);
    LineTo(dc, 14, 14);
    MoveToEx(dc, 14, 6, nullptr);
    LineTo(dc, 6, 14);
    SelectObject(dc, old);
}

} // namespace

Text AboutRtf(const Text& resourceText, const Text& programName) {
    return ReplaceAllSafe(resourceText, "<PROG_NAME>", EscapeRtf(programName));
}

bool TAboutForm::Make(HWND owner) {
    FormClass cls{ids::AboutClass, CS_HREDRAW | CS_VREDRAW, -1};
    int left = (GetSystemMetrics(SM_CXSCREEN) - ClientWidth) / 2;
    int top = (GetSystemMetrics(SM_CYSCREEN) - ClientHeight) / 2;
    return Create(cls, owner, "About Zelkon", WS_POPUP | WS_CLIPCHILDREN, 0, left, top, ClientWidth,
                  ClientHeight);
}

void TAboutForm::FormCreate() {
    static const ControlDef<TAboutForm> controls[] = {
        {&TAboutForm::Image2, ids::AboutSidePanel, "Static", "", Inner, Inner, SideWidth,
         ClientHeight - 2 * Inner, SS_BITMAP},
        {&TAboutForm::Panel3, ids::AboutTitleStrip, "Static", "", BodyLeft, Inner, BodyWidth,
         StripHeight, WS_CLIPSIBLINGS}, // under Image1
        {&TAboutForm::Image1, ids::AboutCloseImage, "Static", "", BodyLeft + 509, Inner + 2,
         GlyphSize, GlyphSize, SS_BITMAP | SS_NOTIFY},
        {&TAboutForm::RichEdit1, ids::AboutText, RichEditClass, "", BodyLeft, Inner + StripHeight,
         BodyWidth, ClientHeight - 2 * Inner - StripHeight, ES_MULTILINE | ES_READONLY},
    };
    CreateControls(*this, controls);
    SetWindowPos(Image1, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    SetFormFont(SharedFont({"MS Sans Serif", -MulDiv(8, 96, 72)}));
    stripBrush_.reset(CreateSolidBrush(PanelGrey));
    SendMessageA(RichEdit1, EM_SETBKGNDCOLOR, 0, static_cast<LPARAM>(PanelGrey));
    SendMessageA(RichEdit1, EM_SETEVENTMASK, 0, ENM_MOUSEEVENTS);
    closeGlyph_ = PaintPicture(GlyphSize, GlyphSize, PaintCloseGlyph);
    ShowPicture(Image1, closeGlyph_.get());
    ProgramName.clear();
}

void TAboutForm::FormShow() {
    const int height = ClientHeight - 2 * Inner;
    gradient_ = PaintPicture(SideWidth, height, [height](HDC dc) {
        FillVerticalGradient(dc, GradientTop, GradientBottom, SideWidth, height);
    });
    ShowPicture(Image2, gradient_.get());
    LoadText();
    SetFocus(Image2); // no caret in the text
}

void TAboutForm::LoadText() {
    LoadRtf(RichEdit1, AboutRtf(ResourceText("About"), ProgramName));
}

bool TAboutForm::FormPaint(HDC dc, const RECT& client) {
    UniqueBrush panel(CreateSolidBrush(PanelBlue));
    FillRect(dc, &client, panel.get());
    FrameRect(dc, &client, GetSysColorBrush(COLOR_WINDOWFRAME));
    return true;
}

void TAboutForm::Image1Click() {
    Close();
}

void TAboutForm::RichEdit1MouseMove(int x, int y) {
    TrackRichEditLinkHover(RichEdit1, x, y);
}

void TAboutForm::RichEdit1MouseUp() {
    OpenRichEditLinkAtCaret(RichEdit1);
}

void TAboutForm::RichEdit1MouseDown() {
    if (IsWin9x()) OpenRichEditLinkAtCaret(RichEdit1);
}

void TAboutForm::Command(int id, int code, HWND) {
    static const CommandRoute<TAboutForm> routes[] = {
        {ids::AboutCloseImage, STN_CLICKED, &TAboutForm::Image1Click},
    };
    Route(*this, routes, id, code);
}

LRESULT TAboutForm::Notify(const NMHDR& header) {
    if (header.hwndFrom != RichEdit1 || header.code != EN_MSGFILTER) return 0;
    const auto& filter = reinterpret_cast<const MSGFILTER&>(header);
    switch (filter.msg) {
    case WM_MOUSEMOVE:
        RichEdit1MouseMove(static_cast<short>(LOWORD(filter.lParam)),
                           static_cast<short>(HIWORD(filter.lParam)));
        break;
    case WM_LBUTTONDOWN:
        RichEdit1MouseDown();
        break;
    case WM_LBUTTONUP:
        // The control places the caret first, as it does for a mouse-up handler.
        PostMessageA(Handle(), WM_APP, 0, 0);
        break;
    }
    return 0;
}

bool TAboutForm::Message(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    switch (msg) {
    case WM_NCHITTEST: // the whole form moves it
        result = HTCAPTION;
        return true;
    case WM_APP:
        RichEdit1MouseUp();
        result = 0;
        return true;
    case WM_CTLCOLORSTATIC:
        if (reinterpret_cast<HWND>(lp) != Panel3) return false;
        SetBkColor(reinterpret_cast<HDC>(wp), PanelGrey);
        result = reinterpret_cast<LRESULT>(stripBrush_.get());
        return true;
    }
    return false;
}

void ShowAboutBox(HWND owner, const Text& programName, COLORREF color1, COLORREF color2) {
    UniqueModule richEdit(LoadSystemLibrary(RichEditLibrary)); // outlives the form's window
    TAboutForm form;
    if (!form.Make(owner)) return;
    form.ProgramName = programName;
    form.Color1 = color1;
    form.Color2 = color2;
    form.ShowModal();
}

} // namespace zk
