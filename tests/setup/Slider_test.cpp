#include "Slider.h"
#include "SliderDlg.h"
#include "ControlIds.h"
#include "Global.h"

#include <gtest/gtest.h>

#include <vector>

using namespace zk;

namespace {

// The floating window's slider: 30 x 130, thumb 20, 0..65535.
void MakeVolumeSlider(TSlider& s) {
    s.SetBounds(0, 0, 30, 130);
    s.SetThumbHeight(20);
    s.SetMax(65535);
}

struct Events {
    std::vector<int> seen;
    void Attach(TSlider& s) {
        s.OnValueChange = [this](TSlider& sender) { seen.push_back(sender.Position()); };
    }
};

} // namespace

TEST(Slider, DefaultsOfANewSlider) {
    TSlider s;
    EXPECT_EQ(s.Width(), 30);
    EXPECT_EQ(s.Height(), 130);
    EXPECT_EQ(s.TrackWidth(), 10);
    EXPECT_EQ(s.ThumbHeight(), 20);
    EXPECT_EQ(s.Orientation(), slVertical);
    EXPECT_EQ(s.Min(), 0);
    EXPECT_EQ(s.Max(), 100);
    EXPECT_EQ(s.Position(), 0);
    EXPECT_TRUE(s.Ctl3D());
}

TEST(Slider, DraggingUpwardsRaisesThePosition) {
    TSlider s;
    MakeVolumeSlider(s);
    RECT thumb = s.ThumbRect();
    EXPECT_EQ(thumb.bottom, 130);
    EXPECT_EQ(thumb.top, 110);
    s.MouseDown(15, 120);
    ASSERT_TRUE(s.Dragging());
    s.MouseMove(15, 109); // 11 pixels up: 11 * 65535 div 110
    EXPECT_EQ(s.Position(), 6553);
    s.MouseMove(15, 120 - 55);
    EXPECT_EQ(s.Position(), 32767);
    s.MouseMove(15, -500); // past the top
    EXPECT_EQ(s.Position(), 65535);
    EXPECT_EQ(s.ThumbRect().top, 0);
    s.MouseUp();
    s.MouseMove(15, 120);
    EXPECT_EQ(s.Position(), 65535) << "no drag after the release";
}

TEST(Slider, HorizontalDragToTheRight) {
    TSlider s;
    s.SetOrientation(slHoriz);
    s.SetBounds(0, 0, 120, 20);
    s.SetPosition(50);
    RECT thumb = s.ThumbRect();
    EXPECT_EQ(thumb.left, 50); // (120 - 20) * 50 div 100
    EXPECT_EQ(thumb.right, 70);
    s.MouseDown(60, 10);
    s.MouseMove(70, 10);
    EXPECT_EQ(s.Position(), 60);
}

TEST(Slider, PressOutsideTheThumbStartsNoDrag) {
    TSlider s;
    MakeVolumeSlider(s);
    s.MouseDown(15, 50);
    EXPECT_FALSE(s.Dragging());
    s.MouseMove(15, 0);
    EXPECT_EQ(s.Position(), 0);
}

TEST(Slider, PositionClampsAndFiresOnlyOnChange) {
    TSlider s;
    Events e;
    e.Attach(s);
    s.SetPosition(150);
    s.SetPosition(100);
    s.SetPosition(-5);
    s.SetPosition(0);
    s.SetPosition(42);
    EXPECT_EQ(e.seen, (std::vector<int>{100, 0, 42}));
}

TEST(Slider, MinAndMaxPushThePosition) {
    TSlider s;
    Events e;
    e.Attach(s);
    s.SetPosition(50);
    s.SetMin(60);
    EXPECT_EQ(s.Position(), 60);
    s.SetMax(55); // below Min: the position follows Max, then clamps to Min
    EXPECT_EQ(s.Max(), 55);
    s.SetMin(0);
    s.SetPosition(40);
    s.SetMax(30);
    EXPECT_EQ(s.Position(), 30);
    s.SetMin(10); // below the position: unchanged
    EXPECT_EQ(s.Position(), 30);
    EXPECT_EQ(e.seen.front(), 50);
    EXPECT_EQ(e.seen.back(), 30);
}

TEST(Slider, NoRangeOrNoRoomNeitherDividesNorMoves) {
    struct Case {
        const char* what;
        int min, max, height, thumb;
    } cases[] = {
        {"Max equal to Min", 5, 5, 130, 20},
        {"track as long as the thumb", 0, 100, 20, 20},
        {"track shorter than the thumb", 0, 100, 10, 20},
    };
    for (const Case& c : cases) {
        TSlider s;
        s.SetBounds(0, 0, 30, c.height);
        s.SetThumbHeight(c.thumb);
        s.SetMax(c.max);
        s.SetMin(c.min);
        RECT thumb = s.ThumbRect(); // rests at the Min end
        EXPECT_EQ(thumb.bottom, c.height) << c.what;
        EXPECT_EQ(thumb.top, c.height - c.thumb) << c.what;
        int before = s.Position();
        s.MouseDown(15, c.height - 1);
        s.MouseMove(15, -100);
        EXPECT_EQ(s.Position(), before) << c.what;
        s.MouseUp();
    }
}

TEST(Slider, FloatingWindowPlacementByItsRow) {
    const Box area{0, 0, 1280, 1000};
    struct Case {
        const char* row;
        Box expected;
    } cases[] = {
        {"", {615, 420, 50, 160}},
        {"|Top/Right|-5|10|", {1225, 10, 50, 160}},
        {"|Bottom/Left|x|y|", {0, 840, 50, 160}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(PlaceByLocationRow(c.row, area, 50, 160), c.expected) << c.row;
    // Inside the background window's client area.
    EXPECT_EQ(PlaceByLocationRow("|Top/Left|3|4|", {100, 50, 800, 600}, 50, 160),
              (Box{103, 54, 50, 160}));
}

TEST(Slider, FloatingWindowFollowsAndSetsTheVolume) {
    int volume = 40000;
    std::vector<int> written;
    TSliderForm form([&] { return volume; }, [&](int v) { written.push_back(v); });
    ASSERT_TRUE(form.Make(nullptr));
    form.PlaceIn("|Top/Left|10|20|", {0, 0, 1280, 1000});
    form.ShowFloating();
    RECT r{};
    GetWindowRect(form.Handle(), &r);
    EXPECT_EQ(r.left, 10);
    EXPECT_EQ(r.top, 20);
    EXPECT_TRUE(GetWindowLongA(form.Handle(), GWL_EXSTYLE) & WS_EX_TOPMOST);
    RECT client{};
    GetClientRect(form.Handle(), &client);
    EXPECT_EQ(client.right, 45);
    HWND slider = GetDlgItem(form.Handle(), ids::SliderFormSlider);
    ASSERT_NE(slider, nullptr);
    RECT s{};
    GetWindowRect(slider, &s);
    MapWindowPoints(nullptr, form.Handle(), reinterpret_cast<POINT*>(&s), 2);
    EXPECT_EQ(s.left, 8); // (45 - 30) div 2 + 1
    EXPECT_EQ(s.top, 6);

    WaitWithMessages(350); // the 100 ms timer reads the volume
    EXPECT_EQ(form.Slider1.Position(), 40000);
    written.clear();
    form.Slider1.SetPosition(1000);
    EXPECT_EQ(written, std::vector<int>{1000});
}
