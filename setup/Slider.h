// TSlider: a small custom-drawn slider (the volume control of the background music): a track
// band and a thumb that the mouse drags; larger values sit higher up (vertical) or further
// right (horizontal). Its arithmetic works without a window too.
#pragma once
#include "Utils.h"

#include <windows.h>

#include <functional>

namespace zk {

enum TSliderOrientation { slHoriz, slVertical };

class TSlider {
  public:
    TSlider();
    ~TSlider();
    TSlider(const TSlider&) = delete;
    TSlider& operator=(const TSlider&) = delete;

    // Makes the control as a child of `parent` (a new slider is 30 x 130).
    bool Create(HWND parent, int id, int x, int y, int width = 30, int height = 130);
    HWND Handle() const { return window_; }
    // The control's size; without a window it is only stored (for the arithmetic).
    void SetBounds(int x, int y, int width, int height);
    int Width() const { return width_; }
    int Height() const { return height_; }

    int TrackWidth() const { return trackWidth_; }
    void SetTrackWidth(int v) { Store(trackWidth_, v); }
    COLORREF TrackColor() const { return trackColor_; }
    void SetTrackColor(COLORREF v) { Store(trackColor_, v); }
    TSliderOrientation Orientation() const { return orientation_; }
    void SetOrientation(TSliderOrientation v) { Store(orientation_, v); }
    int ThumbHeight() const { return thumbHeight_; }
    void SetThumbHeight(int v) { Store(thumbHeight_, v); }
    COLORREF ThumbColor() const { return thumbColor_; }
    void SetThumbColor(COLORREF v) { Store(thumbColor_, v); }
    bool Ctl3D() const { return ctl3D_; }
    void SetCtl3D(bool v) { Store(ctl3D_, v); }
    int Min() const { return min_; }
    void SetMin(int v); // above the position it raises the position
    int Max() const { return max_; }
    void SetMax(int v); // below the position it lowers the position
    int Position() const { return position_; }
    // Clamped to Min..Max; a changed value fires OnValueChange.
    void SetPosition(int v);
    std::function<void(TSlider&)> OnValueChange;

    // The thumb in client coordinates. Without a range (Max <= Min) or without room to move
    // (the control no longer than the thumb) it rests at the Min end.
    RECT ThumbRect() const;
    // Left-button press, move and release at client (x, y), as the window gets them.
    void MouseDown(int x, int y);
    void MouseMove(int x, int y);
    void MouseUp();
    bool Dragging() const { return dragging_; }

  private:
    template <class T> void Store(T& field, T v) {
        if (field == v) return;
        field = v;
        Repaint();
    }
    void Repaint();
    void Paint(HDC dc);
    void DrawTrack(HDC dc);
    void DrawThumb(HDC dc);
    int Travel() const; // pixels the thumb can move
    static LRESULT CALLBACK WindowProc(HWND window, UINT msg, WPARAM wp, LPARAM lp);

    HWND window_ = nullptr;
    int width_ = 30, height_ = 130;
    bool dragging_ = false;
    POINT dragStart_{};
    int dragStartPosition_ = 0;

    int trackWidth_ = 10;
    COLORREF trackColor_;
    TSliderOrientation orientation_ = slVertical;
    int thumbHeight_ = 20;
    COLORREF thumbColor_;
    int min_ = 0, max_ = 100, position_ = 0;
    bool ctl3D_ = true;
};

} // namespace zk
