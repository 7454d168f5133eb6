#include "SMainText.h"

#include <gtest/gtest.h>

using namespace zk;

TEST(SMainText, BackgroundColours) {
    EXPECT_EQ(BackgroundColor("16711680"), 0xFF0000);
    EXPECT_EQ(BackgroundColor("0"), 0);
    EXPECT_EQ(BackgroundColor("255"), 255);
    EXPECT_EQ(BackgroundColor("blue"), 0xFF0000);
    EXPECT_EQ(BackgroundColor(""), 0xFF0000);
}

TEST(SMainText, TitleFontRows) {
    EXPECT_EQ(ParseTitleFont(""), (TitleFont{"", 16, 0xFFFFFF, 1, 0}));
    EXPECT_EQ(ParseTitleFont("|Tahoma|24|255|0|3|"), (TitleFont{"Tahoma", 24, 255, 0, 3}));
    EXPECT_EQ(ParseTitleFont("|Tahoma|big|red|x|y|"), (TitleFont{"Tahoma", 16, 0xFFFFFF, 1, 0}));
    EXPECT_EQ(ScaledTitleSize(16, 96), 16);
    EXPECT_EQ(ScaledTitleSize(16, 120), 12);
    EXPECT_EQ(ScaledTitleSize(17, 120), 13);
    // The second title's offset: raw sizes (16 when missing), truncated toward 0.
    EXPECT_EQ(SecondTitleOffset("|A|30|", "|B|16|"), 2);
    EXPECT_EQ(SecondTitleOffset("", "|B|30|"), -2);
    EXPECT_EQ(SecondTitleOffset("", ""), 0);
}

namespace {
const TextExtent Title{200, 30, 24};
const TitleArea Wide{1280, 1000, 1280};
const TitleArea Narrow{800, 600, 800};
} // namespace

TEST(SMainText, TitlePlaceBySideAndScreen) {
    struct Case {
        const char* what;
        int y, dx;
        const char* side;
        const char* vertical;
        TitleArea area;
        TitlePlace expected;
        int nextY;
    } cases[] = {
        {"left, first line at 10", 0, 0, "Left", "Top", Wide, {20, 10}, 40},
        {"left takes dx", 0, 5, "left", "Top", Wide, {25, 10}, 40},
        {"right ignores dx", 0, 5, "RIGHT", "Top", Wide, {1060, 10}, 40},
        {"centre subtracts dx", 0, 5, "Center", "Top", Wide, {525, 10}, 40},
        {"running offset", 42, 0, "Left", "Top", Wide, {20, 42}, 72},
        {"bottom", 0, 0, "Left", "Bottom", Wide, {20, 960}, 40},
        {"unknown side: left edge", 0, 0, "", "Top", Wide, {20, 10}, 40},
        {"narrow screen: margin 16, top 8", 0, 0, "Left", "Top", Narrow, {16, 8}, 40},
        {"narrow screen right", 0, 0, "Right", "Top", Narrow, {584, 8}, 40},
        {"narrow screen bottom", 0, 0, "Left", "Bottom", Narrow, {16, 562}, 40},
        {"narrow running offset 42 gives 33", 42, 0, "Left", "Top", Narrow, {16, 33}, 72},
        {"999 pixels is narrow", 0, 0, "Left", "Top", {999, 600, 999}, {16, 8}, 40},
        {"1000 pixels is wide", 0, 0, "Left", "Top", {1000, 600, 1000}, {20, 10}, 40},
    };
    for (const Case& c : cases) {
        int y = c.y;
        EXPECT_EQ(PlaceTitle(Title, nullptr, y, c.dx, c.side, c.vertical, c.area), c.expected)
            << c.what;
        EXPECT_EQ(y, c.nextY) << c.what;
    }
}

TEST(SMainText, SubtitleFollowsOnTheSameBaseline) {
    struct Case {
        const char* what;
        TextExtent sub;
        const char* side;
        TitlePlace expected;
    } cases[] = {
        // Ascent 24 and 13: 24 div 2 < 13, so the top moves down by 11.
        {"left", {50, 15, 13}, "Left", {20, 10, 220, 21}},
        // Ascent 12: 24 div 2 >= 12, one pixel less: the top moves down by 13.
        {"small subtitle", {50, 14, 12}, "Left", {20, 10, 220, 23}},
        // The whole width counts for the side.
        {"right", {50, 15, 13}, "Right", {1010, 10, 1210, 21}},
    };
    for (const Case& c : cases) {
        int y = 0;
        EXPECT_EQ(PlaceTitle(Title, &c.sub, y, 0, c.side, "Top", Wide), c.expected) << c.what;
        EXPECT_EQ(y, 40) << c.what;
    }
}

namespace {
// 10 pixels per character, height 2 x size, ascent 1.5 x size; half size for subtitles.
TextExtent Measure(const Text& text, const TitleFont& font, bool half) {
    int size = half ? font.size / 2 : font.size;
    return {static_cast<int>(text.size()) * 10, 2 * size, 3 * size / 2};
}
} // namespace

TEST(SMainText, ThreeTitlesInDrawingOrder) {
    TitleSetting top{"Product", "1.0", "|Arial|16|", "Left"};
    TitleSetting top2{"Second line", "", "|Arial|9|", "Left"};
    TitleSetting bottom{"Bottom", "", "", "Right"};
    auto placed = LayoutTitles(top, top2, bottom, Measure, Wide);
    ASSERT_EQ(placed.size(), 3u);
    EXPECT_EQ(placed[0].text, "Product ") << "one blank before the version";
    EXPECT_EQ(placed[0].subtitle, "1.0");
    EXPECT_EQ(placed[0].place, (TitlePlace{20, 10, 100, 23})); // ascents 24 and 12 - 1
    // Second line: running offset 10 + 32 + 2; dx (16 - 9) div 7.
    EXPECT_EQ(placed[1].place, (TitlePlace{21, 44}));
    EXPECT_EQ(placed[2].place, (TitlePlace{1280 - 60 - 20, 1000 - 32 - 10}));

    // An empty first title leaves the running offset: the second line's top is 2.
    auto second = LayoutTitles({"", "", "", "Left"}, top2, {}, Measure, Wide);
    ASSERT_EQ(second.size(), 1u);
    EXPECT_EQ(second[0].text, "Second line");
    EXPECT_EQ(second[0].place.top, 2);
    EXPECT_EQ(second[0].place.x, 20 + (16 - 9) / 7);

    EXPECT_TRUE(LayoutTitles({}, {}, {}, Measure, Wide).empty());
}
