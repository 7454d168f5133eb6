#include "Slider.h"
#include "ControlIds.h"
#include "Grafics.h"

#include <windowsx.h>

#include <cstdint>

namespace zk {

namespace {

constexpr COLORREF DisabledThumb = 8421504; // grey 128, 128, 128

void RegisterSliderClass(WNDPROC proc) {
    HINSTANCE module = GetModuleHandleA(nullptr);
    WNDCLASSA wc{};
    if (GetClassInfoA(module, ids::SliderClass, &wc)) return;
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = proc;
    wc.hInstance = module;
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.lpszClassName = ids::SliderClass;
    RegisterClassA(&wc);
}

void FillBox(HDC dc, const RECT& r, COLORREF color) {
    UniqueBrush brush(CreateSolidBrush(color));
    FillRect(dc, &r, brush.get());
}

void Line(HDC dc, int x1, int y1, int x2, int y2, COLORREF color) {
    UniquePen pen(CreatePen(PS_SOLID, 1, color));
    HGDIOBJ old = SelectObject(dc, pen.get());
    MoveToEx(dc, x1, y1, nullptr);
    LineTo(dc, x2, y2);
    SelectObject(dc, old);
}

void Frame(HDC dc, const RECT& r, COLORREF color) {
    UniqueBrush brush(CreateSolidBrush(color));
    FrameRect(dc, &r, brush.get());
}

} // namespace

TSlider::TSlider()
    : trackColor_(GetSysColor(COLOR_BTNFACE)), thumbColor_(GetSysColor(COLOR_BTNFACE)) {}

TSlider::~TSlider() {
    if (window_) {
        SetWindowLongPtrA(window_, GWLP_USERDATA, 0);
        DestroyWindow(window_);
    }
}

bool TSlider::Create(HWND parent, int id, int x, int y, int width, int height) {
    RegisterSliderClass(&TSlider::WindowProc);
    width_ = width;
    height_ = height;
    window_ = CreateWindowExA(0, ids::SliderClass, "", WS_CHILD | WS_VISIBLE, x, y, width, height,
                              parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                              GetModuleHandleA(nullptr), this);
    return window_ != nullptr;
}

void TSlider::SetBounds(int x, int y, int width, int height) {
    width_ = width;
    height_ = height;
    if (window_) MoveWindow(window_, x, y, width, height, TRUE);
}

void TSlider::SetMin(int v) {
    if (v == min_) return;
    min_ = v;
    if (position_ < min_) SetPosition(min_);
    Repaint();
}

void TSlider::SetMax(int v) {
    if (v == max_) return;
    max_ = v;
    if (position_ > max_) SetPosition(max_);
    Repaint();
}

void TSlider::SetPosition(int v) {
    if (v > max_) v = max_;
    if (v < min_) v = min_;
    if (v == position_) return;
    position_ = v;
    if (OnValueChange) OnValueChange(*this);
    Repaint();
}

int TSlider::Travel() const {
    return (orientation_ == slVertical ? height_ : width_) - thumbHeight_;
}

RECT TSlider::ThumbRect() const {
    int64_t range = static_cast<int64_t>(max_) - min_;
    int travel = Travel();
    int offset = range > 0 && travel > 0
                     ? static_cast<int>(travel * (static_cast<int64_t>(position_) - min_) / range)
                     : 0;
    if (orientation_ == slVertical) {
        int bottom = height_ - offset;
        return {0, bottom - thumbHeight_, width_, bottom};
    }
    return {offset, 0, offset + thumbHeight_, height_};
}

void TSlider::MouseDown(int x, int y) {
    RECT thumb = ThumbRect();
    if (x < thumb.left || x >= thumb.right || y < thumb.top || y >= thumb.bottom) return;
    dragging_ = true;
    dragStart_ = {x, y};
    dragStartPosition_ = position_;
    if (window_) SetCapture(window_);
}

void TSlider::MouseMove(int x, int y) {
    int64_t range = static_cast<int64_t>(max_) - min_;
    int travel = Travel();
    if (!dragging_ || range <= 0 || travel <= 0) return;
    int64_t moved = orientation_ == slVertical ? dragStart_.y - y : x - dragStart_.x;
    int64_t v = dragStartPosition_ + moved * range / travel;
    SetPosition(static_cast<int>(v < INT32_MIN ? INT32_MIN : v > INT32_MAX ? INT32_MAX : v));
}

void TSlider::MouseUp() {
    if (!dragging_) return;
    dragging_ = false;
    if (window_ && GetCapture() == window_) ReleaseCapture();
}

// The whole control is drawn off screen and copied, so a moving thumb does not flicker.
void TSlider::Repaint() {
    if (!window_) return;
    InvalidateRect(window_, nullptr, FALSE);
    if (dragging_) UpdateWindow(window_);
}

void TSlider::Paint(HDC dc) {
    UniqueBitmap frame = PaintPicture(width_, height_, [&](HDC memory) {
        FillBox(memory, {0, 0, width_, height_}, GetSysColor(COLOR_BTNFACE));
        DrawTrack(memory);
        DrawThumb(memory);
    });
    HDC memory = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(memory, frame.get());
    BitBlt(dc, 0, 0, width_, height_, memory, 0, 0, SRCCOPY);
    SelectObject(memory, old);
    DeleteDC(memory);
}

void TSlider::DrawTrack(HDC dc) {
    const bool vertical = orientation_ == slVertical;
    int across = (vertical ? width_ : height_);
    int start = (across - trackWidth_) / 2;
    RECT track = vertical ? RECT{start, 0, start + trackWidth_, height_}
                          : RECT{0, start, width_, start + trackWidth_};
    FillBox(dc, track, trackColor_);
    if (!ctl3D_) return;
    COLORREF shadow = GetSysColor(COLOR_BTNSHADOW);
    Frame(dc, track, GetSysColor(COLOR_BTNHIGHLIGHT));
    Line(dc, track.left, track.bottom - 1, track.left, track.top, shadow);
    Line(dc, track.left, track.top, track.right, track.top, shadow);
}

void TSlider::DrawThumb(HDC dc) {
    RECT r = ThumbRect();
    bool enabled = !window_ || IsWindowEnabled(window_);
    FillBox(dc, r, enabled ? thumbColor_ : DisabledThumb);
    if (!ctl3D_) return Frame(dc, r, RGB(0, 0, 0));
    COLORREF shadow = GetSysColor(COLOR_BTNSHADOW);
    Frame(dc, r, GetSysColor(COLOR_BTNHIGHLIGHT));
    Line(dc, r.left + 1, r.bottom - 2, r.left + 1, r.top + 1, shadow); // inner left
    Line(dc, r.left + 1, r.top + 1, r.right - 1, r.top + 1, shadow);   // inner top
    Line(dc, r.left, r.bottom - 1, r.right, r.bottom - 1, shadow);     // outer bottom
    Line(dc, r.right - 1, r.top, r.right - 1, r.bottom, shadow);       // outer right
}

LRESULT CALLBACK TSlider::WindowProc(HWND window, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE) {
        auto* self = static_cast<TSlider*>(reinterpret_cast<CREATESTRUCTA*>(lp)->lpCreateParams);
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<TSlider*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (!self) return DefWindowProcA(window, msg, wp, lp);
    switch (msg) {
    case WM_NCDESTROY:
        self->window_ = nullptr;
        SetWindowLongPtrA(window, GWLP_USERDATA, 0);
        break;
    case WM_SIZE:
        self->width_ = LOWORD(lp);
        self->height_ = HIWORD(lp);
        break;
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(window, &ps);
        self->Paint(dc);
        EndPaint(window, &ps);
        return 0;
    }
    case WM_ENABLE:
        InvalidateRect(window, nullptr, FALSE);
        break;
    case WM_LBUTTONDOWN:
        self->MouseDown(GET_X_LPARAM(lp), GET_Y_LPARAM(lp));
        return 0;
    case WM_MOUSEMOVE:
        self->MouseMove(GET_X_LPARAM(lp), GET_Y_LPARAM(lp));
        return 0;
    case WM_LBUTTONUP:
        self->MouseUp();
        return 0;
    case WM_CAPTURECHANGED:
        self->dragging_ = false;
        return 0;
    }
    return DefWindowProcA(window, msg, wp, lp);
}

} // namespace zk
