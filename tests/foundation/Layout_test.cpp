#include "Layout.h"

#include <gtest/gtest.h>

using namespace zk;

TEST(Layout, PositionIndexOfNames) {
    EXPECT_EQ(PositionIndex("bottom/center"), 6);
    EXPECT_EQ(PositionIndex("HIDE"), 10);
    EXPECT_EQ(PositionIndex("Entire Screen"), 9);
    EXPECT_EQ(PositionIndex("somewhere"), 0);
    EXPECT_EQ(PositionIndex(""), 0);
}

TEST(Layout, PlaceBoxOverEveryPositionName) {
    // Control 40 x 20 in an area at (30, 50) of 240 x 120: free width 200, free height 100.
    const Box control{7, 9, 40, 20};
    const PlaceArea area{100, 10, 50, 30, 200};
    struct Case {
        const char* name;
        Box expected;
    } cases[] = {
        {"Center", {130, 100, 40, 20}},        {"Top/Left", {40, 60, 40, 20}},
        {"Top/Right", {220, 60, 40, 20}},      {"Bottom/Left", {40, 140, 40, 20}},
        {"Bottom/Right", {220, 140, 40, 20}},  {"Top/Center", {130, 60, 40, 20}},
        {"Bottom/Center", {130, 140, 40, 20}}, {"Left/Center", {40, 100, 40, 20}},
        {"Right/Center", {220, 100, 40, 20}},  {"Entire Screen", {30, 50, 180, 20}},
        {"Hide", {-35, -15, 40, 20}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(PlaceBox(PositionIndex(c.name), control, area), c.expected) << c.name;
    // The example of the placement rules: area at 0, 0.
    EXPECT_EQ(PlaceBox(PosBottomCenter, {0, 0, 5, 5}, {100, 10, 0, 0, 200}), (Box{100, 90, 5, 5}));
    // Odd free sizes halve towards 0, negative ones too.
    EXPECT_EQ(PlaceBox(PosCenter, {0, 0, 5, 5}, {-7, 0, 0, 0, 7}), (Box{3, -3, 5, 5}));
}

TEST(Layout, WidenTowardsOneSide) {
    // A control at 100..150 whose room ends at 170 on the right, 90 on the left.
    const Box box{100, 5, 50, 17};
    struct Case {
        int needed;
        bool growLeft;
        Box expected;
    } cases[] = {
        {40, false, box},               // fits: unchanged, never narrower
        {50, true, box},                // exactly fits
        {60, false, {100, 5, 60, 17}},  // to the right, the left edge stays
        {60, true, {90, 5, 60, 17}},    // to the left, the right edge stays
        {200, false, {100, 5, 70, 17}}, // no further than the room
        {200, true, {90, 5, 60, 17}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(WidenTowards(box, c.needed, c.growLeft ? 90 : 170, c.growLeft), c.expected)
            << c.needed << " " << c.growLeft;
    // A control already reaching past its room is left as it is.
    EXPECT_EQ(WidenTowards({80, 0, 100, 10}, 120, 170, false), (Box{80, 0, 100, 10}));
    EXPECT_EQ(WidenTowards({80, 0, 100, 10}, 120, 90, true), (Box{80, 0, 100, 10}));
}

TEST(Layout, ButtonRowKeepsItsRightEdgeAndGaps) {
    // Two buttons edge to edge, a gap of 14, a third: 258..336, 336..414, 428..506.
    const std::vector<Box> design{{258, 0, 78, 25}, {336, 0, 78, 25}, {428, 0, 78, 25}};
    struct Case {
        std::vector<int> needed;
        int leftLimit;
        std::vector<int> lefts, widths;
    } cases[] = {
        {{60, 70, 78}, 0, {258, 336, 428}, {78, 78, 78}},
        {{78, 90, 60}, 0, {246, 324, 428}, {78, 90, 78}},    // the middle one pushes the first
        {{78, 78, 100}, 0, {236, 314, 406}, {78, 78, 100}},  // the last pushes both
        {{100, 78, 78}, 240, {240, 336, 428}, {96, 78, 78}}, // stops at the limit
        {{100, 90, 90}, 240, {240, 318, 416}, {78, 84, 90}}, // the right ones first
        {{78}, 0, {258, 336, 428}, {78, 78, 78}},            // missing needs change nothing
    };
    for (const Case& c : cases) {
        const std::vector<Box> row = FitButtonRow(design, c.needed, c.leftLimit);
        ASSERT_EQ(row.size(), 3u);
        for (size_t i = 0; i < 3; ++i) {
            EXPECT_EQ(row[i].left, c.lefts[i]) << i << " of case limit " << c.leftLimit;
            EXPECT_EQ(row[i].width, c.widths[i]) << i << " of case limit " << c.leftLimit;
        }
    }
    EXPECT_TRUE(FitButtonRow({}, {}, 0).empty());
}

TEST(Layout, StackRowsMovesOnlyWhatATallerRowReaches) {
    // Three rows of 16 at 8, 32 and 56 (a gap of 8).
    const std::vector<int> design{8, 32, 56};
    struct Case {
        std::vector<int> heights, tops;
    } cases[] = {
        {{16, 16, 16}, {8, 32, 56}},
        {{10, 16, 16}, {8, 32, 56}}, // a shorter row leaves the next where it is
        {{29, 16, 16}, {8, 45, 69}}, // two lines in the first: both below move
        {{16, 29, 16}, {8, 32, 69}}, // in the second: only the third
        {{16, 16, 99}, {8, 32, 56}}, // the last reaches nothing
        {{16}, {8, 32, 56}},         // missing heights move nothing
    };
    for (const Case& c : cases) EXPECT_EQ(StackRows(design, c.heights, 8), c.tops) << c.heights[0];
    EXPECT_TRUE(StackRows({}, {}, 8).empty());
}

namespace {
// 10 pixels per character at size 1, scaled by the size.
int Measure(const Text& t, int size) {
    return static_cast<int>(t.size()) * 10 * size;
}
int MeasureOne(const Text& t) {
    return Measure(t, 1);
}
} // namespace

TEST(Layout, TakeWrappedLine) {
    struct Case {
        const char* text;
        int width;
        const char* line;
        const char* rest;
    } cases[] = {
        {"one two three", 80, "one two ", "three"},
        {"one two three", 130, "one two three", ""},
        {"enormous word", 30, "enormous ", "word"}, // the first word stays though too wide
        {"nospaces", 10, "nospaces", ""},
        {"a b", 30, "a b", ""},
        {"a b", 25, "a ", "b"},
        {"", 100, "", ""},
    };
    for (const Case& c : cases) {
        Text rest = c.text;
        EXPECT_EQ(TakeWrappedLine(rest, c.width, MeasureOne), c.line) << c.text;
        EXPECT_EQ(rest, c.rest) << c.text;
    }
}

TEST(Layout, WrapLinesOnceAndKeepDoubleSize) {
    TextBlock block{{"aa bb cc", "", "~dd ee"}, false};
    WrapLinesToWidth(block, 60, 1, Measure);
    EXPECT_EQ(block.lines, (std::vector<Text>{"aa bb ", "cc", "", "~dd ", "~ee"}));
    EXPECT_TRUE(block.wrapped);
    WrapLinesToWidth(block, 10, 1, Measure);
    EXPECT_EQ(block.lines.size(), 5u) << "a wrapped block is not wrapped again";
}

TEST(Layout, CharsetLine) {
    std::vector<Text> lines{"|177|", "text"};
    int charset = 0;
    EXPECT_TRUE(TakeCharsetLine(lines, charset));
    EXPECT_EQ(charset, 177);
    EXPECT_EQ(lines, std::vector<Text>{"text"});
    std::vector<Text> more{"|0|Western|", "text"};
    EXPECT_TRUE(TakeCharsetLine(more, charset)) << "a list of more items";
    EXPECT_EQ(charset, 0);
    // No charset line: no number 0-255 in item 0, or no list at all (a line that does not end
    // with its first character, such as a heading that starts with a year).
    for (const char* first :
         {"|256|", "|-1|", "|x|", "|$B1|", "plain text", "", "|177", "2024 Product News"}) {
        std::vector<Text> l{first, "x"};
        charset = 5;
        EXPECT_FALSE(TakeCharsetLine(l, charset)) << first;
        EXPECT_EQ(charset, 5);
        EXPECT_EQ(l.size(), 2u);
    }
    std::vector<Text> none;
    EXPECT_FALSE(TakeCharsetLine(none, charset));
}

TEST(Layout, GradientRows) {
    std::vector<int> reds;
    for (int y = 0; y < 4; ++y) reds.push_back(GradientRow({0, 0, 0}, {100, 0, 0}, 4, y).red);
    EXPECT_EQ(reds, (std::vector<int>{0, 25, 50, 75}));
    // Falling channels truncate towards 0 as well: 170 -> 136 over 3 rows, step -11.33.
    EXPECT_EQ(GradientRow({68, 119, 170}, {34, 85, 136}, 3, 2), (Rgb{46, 97, 148}));
    EXPECT_EQ(GradientRow({1, 2, 3}, {9, 9, 9}, 0, 0), (Rgb{1, 2, 3}));
}
