#include "SMain.h"
#include "Common.h"
#include "ControlIds.h"
#include "Global.h"
#include "Grafics.h"
#include "RegOp.h"
#include "SysLibs.h"
#include "UtilPlus.h"

#include <utility>

namespace zk {

namespace {

constexpr UINT_PTR StartupTimer = 1, SetOnTopTimer = 2;
constexpr UINT StartupTimerMs = 500, SetOnTopTimerMs = 100;
constexpr DWORD Style =
    WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_CLIPCHILDREN;

bool closing = false;

const ControlDef<TSMainForm> Controls[] = {
    // Only the picture's place: the picture itself is painted with the background.
    {&TSMainForm::Image1, ids::SetupMainImage, "STATIC", "", 0, 0, 0, 0, 0, 0, 0, true},
};
const TimerRoute<TSMainForm> Timers[] = {
    {StartupTimer, &TSMainForm::StartupTimerTimer},
    {SetOnTopTimer, &TSMainForm::SetOnTopTimerTimer},
};

Rgb RgbOf(int color) {
    COLORREF c = static_cast<COLORREF>(color);
    return {GetRValue(c), GetGValue(c), GetBValue(c)};
}

Text FileNamePart(const Text& path) {
    size_t slash = LastCharOf(path, "\\/:");
    return slash == Text::npos ? path : path.substr(slash + 1);
}

// The title font at its drawn size: scaled to the screen, halved for a subtitle.
HFONT TitleFontOf(HDC dc, const TitleFont& f, bool half) {
    int size = ScaledTitleSize(f.size, GetDeviceCaps(dc, LOGPIXELSY));
    if (half) size /= 2;
    FontDesc d;
    d.face = InstalledFontOr(f.name, "Arial");
    d.height = -MulDiv(size, GetDeviceCaps(dc, LOGPIXELSY), 72);
    d.weight = f.style & StyleBold ? FW_BOLD : FW_NORMAL;
    d.italic = (f.style & StyleItalic) != 0;
    d.underline = (f.style & StyleUnderline) != 0;
    d.strikeOut = (f.style & StyleStrikeOut) != 0;
    d.charset = f.charset;
    return SharedFont(d);
}

void DrawShadowed(HDC dc, const Text& text, int x, int y, COLORREF color) {
    SetTextColor(dc, RGB(0, 0, 0));
    TextOutA(dc, x + 2, y + 2, text.c_str(), static_cast<int>(text.size()));
    SetTextColor(dc, color);
    TextOutA(dc, x, y, text.c_str(), static_cast<int>(text.size()));
}

} // namespace

bool IsBackgroundClosing() {
    return closing;
}

TSMainForm::TSMainForm(const TScript& script, Hooks hooks)
    : script_(script), hooks_(std::move(hooks)) {}

bool TSMainForm::Make() {
    RECT work{};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    closing = false;
    return Create({ids::SetupMainClass, CS_HREDRAW | CS_VREDRAW, -1}, nullptr, "Zelkon", Style, 0,
                  work.left, work.top, work.right - work.left, work.bottom - work.top);
}

void TSMainForm::FormCreate() {
    SetFormFont(SharedFont({"Tahoma", -11}));
    CreateControls(*this, Controls);
    StartTimer(SetOnTopTimer, SetOnTopTimerMs);
}

void TSMainForm::Show() {
    ShowWindow(Handle(), SW_SHOW);
    FormShow();
}

void TSMainForm::FormShow() {
    CreateWizardForm();
    if (!script_.GetProgName().empty()) SetWindowTextTo(Handle(), script_.GetProgName());
    InvalidateRect(Handle(), nullptr, FALSE);
    UpdateWindow(Handle());
    StartTimer(StartupTimer, StartupTimerMs);
}

void TSMainForm::CreateWizardForm() {
    if (hooks_.createWizard) wizard_ = hooks_.createWizard(*this);
    LoadBackgroundImage();
}

// A picture that cannot be loaded leaves the plain background.
void TSMainForm::LoadBackgroundImage() {
    Text name = FileNamePart(script_.GetBgBitmapFileName());
    if (name.empty()) return;
    picture_ = LoadAnyPictureFile(GetExeDir(true) + name);
    if (!picture_) return;
    PlaceBackgroundImage(PictureSize(picture_.get()));
}

void TSMainForm::PlaceBackgroundImage(SIZE picture) {
    RECT client{};
    GetClientRect(Handle(), &client);
    SetControlBox(Image1, {0, 0, picture.cx, picture.cy});
    const Text& row = script_.GetBgBitmapLocation();
    PlaceControl(Image1, ListItem(row, 0), client.bottom - picture.cy, 0,
                 StrToIntDef(ListItem(row, 2), 0), StrToIntDef(ListItem(row, 1), 0),
                 client.right - picture.cx);
    pictureBox_ = ControlBox(Image1);
}

Box TSMainForm::ClientAreaOnScreen() const {
    RECT client{};
    GetClientRect(Handle(), &client);
    POINT origin{0, 0};
    ClientToScreen(Handle(), &origin);
    return {origin.x, origin.y, client.right, client.bottom};
}

void TSMainForm::Timer(UINT_PTR id) {
    Route(*this, Timers, id);
}

// Not inside the exit question of an early close: the timer comes again until it is answered.
void TSMainForm::StartupTimerTimer() {
    if (PumpScope::Active()) return;
    StopTimer(StartupTimer);
    PumpScope step(Handle()); // the wizard's before-dialogs stage pumps
    const bool started = !hooks_.startWizard || hooks_.startWizard();
    if (!step.Continue()) return; // closed meanwhile
    if (!started) return ForceCloseProg();
    wizardShown_ = true;
    KeepBehindWizard();
}

void TSMainForm::SetOnTopTimerTimer() {
    KeepBehindWizard();
}

// Only when something came between: re-inserting every tick would churn the z-order.
void TSMainForm::KeepBehindWizard() {
    if (!wizardShown_ || !wizard_ || !IsWindow(wizard_)) return;
    if (GetWindow(wizard_, GW_HWNDNEXT) == Handle()) return;
    SetWindowPos(Handle(), wizard_, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

bool TSMainForm::FormCloseQuery() {
    // The question box is this window's: while it is open the window stays where it is.
    bool shown = std::exchange(wizardShown_, false);
    bool mayClose = !hooks_.confirmExit || hooks_.confirmExit(Handle());
    wizardShown_ = !mayClose && (shown || wizardShown_); // a start meanwhile keeps its flag
    return mayClose;
}

void TSMainForm::ForceCloseProg() {
    if (hooks_.setExitConfirmed) hooks_.setExitConfirmed();
    Close();
}

void TSMainForm::FormClose() {
    ShowWindow(Handle(), SW_SHOW);
    closing = true;
    DeleteRegKey(DynDataKey);
    if (hooks_.closing) hooks_.closing();
}

bool TSMainForm::Message(UINT msg, WPARAM, LPARAM, LRESULT& result) {
    if (msg == WM_ERASEBKGND) return result = 1, true;
    return false;
}

// Drawn off screen and copied whole: no flicker while windows move over it.
bool TSMainForm::FormPaint(HDC dc, const RECT& client) {
    int width = client.right, height = client.bottom;
    if (width <= 0 || height <= 0) return true;
    UniqueBitmap frame =
        PaintPicture(width, height, [&](HDC memory) { PaintBackground(memory, width, height); });
    HDC memory = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(memory, frame.get());
    BitBlt(dc, 0, 0, width, height, memory, 0, 0, SRCCOPY);
    SelectObject(memory, old);
    DeleteDC(memory);
    return true;
}

void TSMainForm::PaintBackground(HDC dc, int width, int height) {
    int top = BackgroundColor(script_.GetTopBgColor());
    int bottom = script_.GetBottomBgColorReq() ? BackgroundColor(script_.GetBottomBgColor()) : top;
    FillVerticalGradient(dc, RgbOf(top), RgbOf(bottom), width, height);
    if (picture_) {
        SIZE size = PictureSize(picture_.get());
        HDC source = CreateCompatibleDC(dc);
        HGDIOBJ old = SelectObject(source, picture_.get());
        const Box& b = pictureBox_;
        SetStretchBltMode(dc, COLORONCOLOR);
        if (script_.GetBgBitmapTransparent())
            sys::TransparentBlt(dc, b.left, b.top, b.width, b.height, source, 0, 0, size.cx,
                                size.cy, GetPixel(source, 0, size.cy - 1));
        else
            StretchBlt(dc, b.left, b.top, b.width, b.height, source, 0, 0, size.cx, size.cy,
                       SRCCOPY);
        SelectObject(source, old);
        DeleteDC(source);
    }
    DrawTitles(dc, width, height);
}

void TSMainForm::DrawTitles(HDC dc, int width, int height) {
    const TScript& s = script_;
    TitleSetting top{s.GetTopLabelText(), s.GetTopLabelVer() ? s.GetProgVersion() : Text(),
                     s.GetTopLabelFont(), s.GetTopLabelSide()};
    TitleSetting top2{s.GetTopLabelText2(), "", s.GetTopLabelFont2(), s.GetTopLabelSide2()};
    TitleSetting bottom{s.GetBottomLabelText(), "", s.GetBottomLabelFont(), s.GetBottomLabelSide()};
    HGDIOBJ original = GetCurrentObject(dc, OBJ_FONT);
    auto measure = [&](const Text& text, const TitleFont& font, bool half) {
        SelectObject(dc, TitleFontOf(dc, font, half));
        SIZE extent{};
        GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &extent);
        TEXTMETRICA metric{};
        GetTextMetricsA(dc, &metric);
        return TextExtent{extent.cx, extent.cy, metric.tmAscent};
    };
    TitleArea area{width, height, GetSystemMetrics(SM_CXSCREEN)};
    SetBkMode(dc, TRANSPARENT);
    for (const PlacedTitle& t : LayoutTitles(top, top2, bottom, measure, area)) {
        COLORREF color = static_cast<COLORREF>(t.font.color);
        SelectObject(dc, TitleFontOf(dc, t.font, false));
        DrawShadowed(dc, t.text, t.place.x, t.place.top, color);
        if (t.subtitle.empty()) continue;
        SelectObject(dc, TitleFontOf(dc, t.font, true));
        DrawShadowed(dc, t.subtitle, t.place.subX, t.place.subTop, color);
    }
    SelectObject(dc, original);
}

} // namespace zk
