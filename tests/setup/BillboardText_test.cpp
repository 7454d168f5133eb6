#include "BillboardText.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

using namespace zk;

namespace {

// A settings row of 19 items with the given ones set.
Text Row(std::initializer_list<std::pair<int, const char*>> items) {
    std::vector<Text> values(19);
    for (auto& [n, v] : items) values[static_cast<size_t>(n)] = v;
    Text row = "|";
    for (const Text& v : values) row += v + "|";
    return row;
}

BillboardSettings Defaults() {
    BillboardSettings s;
    s.color2 = 0; // no gradient: colour 1
    return s;
}

} // namespace

TEST(BillboardText, SettingsRowDefaultsAndItems) {
    BillboardSettings defaults = ParseBillboardSettings("");
    EXPECT_EQ(defaults, Defaults());
    EXPECT_EQ(defaults.interval, 1);
    EXPECT_EQ(defaults.fontName, "Arial");
    EXPECT_EQ(defaults.fontSize, 14);
    EXPECT_EQ(defaults.fontColor, 0xFFFFFF);
    EXPECT_EQ(defaults.fontCharset, 1);

    BillboardSettings s = ParseBillboardSettings(
        "|1|1|1|1|1|Top/Left|5|-7|255|65280|Tahoma|20|0|177|3|300|200|12|4|");
    EXPECT_TRUE(s.waitForEnd && s.frame && s.autoSize && s.gradient && s.transparent);
    EXPECT_EQ(s.positionName, "Top/Left");
    EXPECT_EQ(s.dx, 5);
    EXPECT_EQ(s.dy, -7);
    EXPECT_EQ(s.color1, 255);
    EXPECT_EQ(s.color2, 65280);
    EXPECT_EQ(s.fontName, "Tahoma");
    EXPECT_EQ(s.fontSize, 20);
    EXPECT_EQ(s.fontColor, 0);
    EXPECT_EQ(s.fontCharset, 177);
    EXPECT_EQ(s.fontStyle, 3);
    EXPECT_EQ(s.fixedWidth, 300);
    EXPECT_EQ(s.fixedHeight, 200);
    EXPECT_EQ(s.margin, 12);
    EXPECT_EQ(s.interval, 4);
}

TEST(BillboardText, OnlyOneIsOnAndBadNumbersTakeDefaults) {
    for (const char* flag : {"0", "true", "01", " 1", "yes", "2", ""}) {
        std::string f = flag;
        BillboardSettings s =
            ParseBillboardSettings("|" + f + "|" + f + "|" + f + "|" + f + "|" + f + "|");
        EXPECT_FALSE(s.waitForEnd || s.frame || s.autoSize || s.gradient || s.transparent)
            << "'" << flag << "'";
    }
    BillboardSettings s = ParseBillboardSettings(Row({{6, "x"},
                                                      {7, "y"},
                                                      {8, "red"},
                                                      {9, "blue"},
                                                      {11, "big"},
                                                      {12, "white"},
                                                      {13, "cs"},
                                                      {14, "st"},
                                                      {15, "w"},
                                                      {16, "h"},
                                                      {17, "m"},
                                                      {18, "i"}}));
    EXPECT_EQ(s, Defaults());
    // A tick of 0 or below would step the show as fast as the timer fires.
    EXPECT_EQ(ParseBillboardSettings(Row({{18, "0"}})).interval, 1);
    EXPECT_EQ(ParseBillboardSettings(Row({{18, "-3"}})).interval, 1);
}

TEST(BillboardText, ColourTwoFollowsColourOneWithoutGradient) {
    struct Case {
        Text row;
        int color1, color2;
    } cases[] = {
        {Row({{3, "0"}, {8, "255"}, {9, "65280"}}), 255, 255},
        {Row({{3, "1"}, {8, "255"}, {9, "65280"}}), 255, 65280},
        {Row({{3, "1"}, {8, "255"}}), 255, 0xFF0000}, // towards the default colour 2
        {Row({{9, "65280"}}), 0, 0}, // no gradient: colour 2 ignored, colour 1 default
    };
    for (const Case& c : cases) {
        BillboardSettings s = ParseBillboardSettings(c.row);
        EXPECT_EQ(s.color1, c.color1) << c.row;
        EXPECT_EQ(s.color2, c.color2) << c.row;
    }
}

TEST(BillboardText, EmptyRowIsTakenFromTheFirstFileLine) {
    std::vector<Text> files{"|0|0|1|", "a.bmp", "b.txt"};
    Text row;
    TakeSettingsRow(row, files);
    EXPECT_EQ(row, "|0|0|1|");
    EXPECT_EQ(files, (std::vector<Text>{"a.bmp", "b.txt"}));

    std::vector<Text> kept{"a.bmp"};
    Text given = "|1|";
    TakeSettingsRow(given, kept);
    EXPECT_EQ(given, "|1|");
    EXPECT_EQ(kept, (std::vector<Text>{"a.bmp"}));

    std::vector<Text> none;
    Text empty;
    TakeSettingsRow(empty, none);
    EXPECT_EQ(empty, "");
}

TEST(BillboardText, PageKindsAndPaths) {
    EXPECT_TRUE(IsTextPage("page.txt"));
    EXPECT_TRUE(IsTextPage("C:\\x\\PAGE.TXT"));
    EXPECT_TRUE(IsTextPage("a.b.TxT"));
    EXPECT_FALSE(IsTextPage("page.txt.bmp"));
    EXPECT_FALSE(IsTextPage("txt"));
    EXPECT_FALSE(IsTextPage("dir.txt\\page"));
    EXPECT_FALSE(IsTextPage("page.jpg"));

    EXPECT_EQ(PageFilePath("D:\\art\\one.bmp", true, "C:\\setup"), "C:\\setup\\one.bmp");
    EXPECT_EQ(PageFilePath("art/one.bmp", true, "C:\\setup\\"), "C:\\setup\\one.bmp");
    EXPECT_EQ(PageFilePath("D:\\art\\one.bmp", false, "C:\\setup"), "D:\\art\\one.bmp");

    // An empty line, then the indented words.
    EXPECT_EQ(FileNotFoundPage(), (std::vector<Text>{"", "    File Not Found!"}));
}

namespace {

// The slide show driven by a fake clock: the window's timer fires every `interval` ms after
// the two steps of the show; `exitShowing` tells which ticks see the exit question.
struct FakeShow {
    explicit FakeShow(int pages) : steps(pages) {}
    BillboardSteps steps;
    std::vector<std::string> log;

    void Record(const BillboardStep& s, int at) {
        static const char* names[] = {"", "load", "show", "end"};
        if (s.action == BillboardAction::None) return;
        log.push_back(std::to_string(at) + ":" + names[static_cast<int>(s.action)] +
                      (s.page >= 0 ? std::to_string(s.page) : ""));
    }
    void Run(int ticks, const std::vector<int>& pausedTicks = {}) {
        steps.Start();
        Record(steps.Step(), 0);
        Record(steps.Step(), 0);
        for (int t = 1; t <= ticks && steps.Active(); ++t) {
            bool paused = false;
            for (int p : pausedTicks) paused = paused || p == t;
            Record(steps.Tick(paused), t);
        }
    }
};

} // namespace

TEST(BillboardText, StepsTwoTicksPerPageAndEndWithTheLastPage) {
    FakeShow show(3);
    show.Run(100);
    EXPECT_EQ(show.log, (std::vector<std::string>{"0:load0", "0:show0", "1:load1", "2:show1",
                                                  "3:load2", "4:show2", "6:end"}));
    EXPECT_FALSE(show.steps.Active());
    // Once ended, ticks do nothing: the last page stays.
    EXPECT_EQ(show.steps.Tick(false), BillboardStep{});
}

TEST(BillboardText, EmptyPageListEndsAtTheFirstShowStep) {
    FakeShow show(0);
    show.Run(10);
    EXPECT_EQ(show.log, (std::vector<std::string>{"0:end"}));
}

TEST(BillboardText, ExitQuestionPausesTheShow) {
    FakeShow show(2);
    show.Run(100, {1, 2, 3, 4});
    EXPECT_EQ(show.log,
              (std::vector<std::string>{"0:load0", "0:show0", "5:load1", "6:show1", "8:end"}));
}

TEST(BillboardText, StoppedShowTakesNoMoreSteps) {
    BillboardSteps steps(5);
    steps.Start();
    steps.Step();
    steps.Stop();
    EXPECT_EQ(steps.Tick(false), BillboardStep{});
}

TEST(BillboardText, PageLayout) {
    const Size2 button{41, 19};
    BillboardSettings fixed = ParseBillboardSettings(Row({{15, "300"}, {16, "200"}, {17, "10"}}));
    BillboardSettings autoSize =
        ParseBillboardSettings(Row({{2, "1"}, {15, "300"}, {16, "200"}, {17, "10"}}));
    struct Case {
        const char* what;
        const BillboardSettings& s;
        bool picture;
        Size2 size;
        BillboardLayout expected;
    } cases[] = {
        {"picture centred in the fixed size", fixed, true, {101, 50}, {300, 200, 99, 75, 251, 173}},
        {"larger picture: negative offsets truncate toward 0",
         fixed,
         true,
         {401, 303},
         {300, 200, -50, -51, 251, 173}},
        {"auto size: picture plus twice the margin",
         autoSize,
         true,
         {101, 50},
         {121, 70, 10, 10, 72, 43}},
        {"auto size with a text page: the fixed size",
         autoSize,
         false,
         {0, 0},
         {300, 200, 150, 100, 251, 173}},
        {"a tiny window keeps the button at 0", autoSize, true, {5, 5}, {25, 25, 10, 10, 0, 0}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(LayoutBillboardPage(c.s, c.picture, c.size, button), c.expected) << c.what;
}

TEST(BillboardText, WindowPlacementInTheWorkArea) {
    const Box work{0, 0, 1280, 1000};
    const Size2 outer{300, 200};
    struct Case {
        Text row;
        Box expected;
    } cases[] = {
        {"", {490, 400, 300, 200}},
        {Row({{5, "Top/Left"}, {6, "5"}, {7, "7"}}), {5, 7, 300, 200}},
        {Row({{5, "Bottom/Right"}, {6, "-10"}, {7, "-20"}}), {970, 780, 300, 200}},
        {Row({{5, "Entire Screen"}}), {0, 0, 300, 200}}, // the size is the content's
        {Row({{5, "Hide"}}), {-295, -195, 300, 200}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(PlaceBillboardWindow(ParseBillboardSettings(c.row), work, outer), c.expected)
            << c.row;
    // A work area that does not start at the screen's corner.
    EXPECT_EQ(PlaceBillboardWindow(ParseBillboardSettings(Row({{5, "Top/Left"}})),
                                   {40, 30, 800, 600}, outer),
              (Box{40, 30, 300, 200}));
}
