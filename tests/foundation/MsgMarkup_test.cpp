#include "MsgMarkup.h"

#include <gtest/gtest.h>

using namespace zk;

TEST(MsgMarkup, EscapesBecomeBreaksAndTabs) {
    // The markup's backslashes are doubled; a single backslash stays as it stands.
    EXPECT_EQ(ExpandEscapes("a\\\\nb\\\\tc<p>d<P>e<br>"), "a\r\nb\tc\r\nd\r\ne<br>");
    EXPECT_EQ(ExpandEscapes("a\\nb"), "a\\nb");
}

TEST(MsgMarkup, BoldRunsOfTheBox) {
    struct Case {
        const char* text;
        const char* plain;
        std::vector<BoldRun> runs;
    } cases[] = {
        {"x<b>y</B>z", "xyz", {{1, 2}}},
        {"a<B>unclosed", "aunclosed", {}},
        {"</b>a<b>b", "ab", {}}, // the closing tag before the opening one is found first
        {"<b></b>x", "x", {}},   // empty run
        {"<b>one</b> <B>two</b>", "one two", {{0, 3}, {4, 7}}},
        {"<<b>T</b>", "T", {{0, 1}}},
        {"a<p><b>b</b>", "a\r\nb", {{3, 4}}},
    };
    for (const Case& c : cases) {
        MarkedText m = ParseMessageMarkup(c.text);
        EXPECT_EQ(m.plain, c.plain) << c.text;
        EXPECT_EQ(m.runs, c.runs) << c.text;
    }
}

TEST(MsgMarkup, CaptionLineOfABoxWithoutOwner) {
    MarkedText m = ParseMessageMarkup(BoxTextWithCaption("File\\\\n\\\\nmissing", "ERROR"));
    EXPECT_EQ(m.plain, "ERROR\r\n\r\nFile\r\n\r\nmissing\r\n");
    EXPECT_EQ(m.runs, (std::vector<BoldRun>{{0, 5}}));
}

TEST(MsgMarkup, RichEditBoldMarkup) {
    struct Case {
        const char* text;
        const char* plain;
        std::vector<BoldRun> runs;
    } cases[] = {
        {"a<b>b</b>c", "abc", {{1, 2}}},
        {"x</B>y", "xy", {{0, 1}}}, // a closing tag alone makes the text before it bold
        {"a<b>b", "ab", {}},
        {"", "", {}},
    };
    for (const Case& c : cases) {
        MarkedText m = ParseBoldMarkup(c.text);
        EXPECT_EQ(m.plain, c.plain) << c.text;
        EXPECT_EQ(m.runs, c.runs) << c.text;
    }
    Text many;
    for (int i = 0; i < 300; ++i) many += "<b>x</b>.";
    MarkedText m = ParseBoldMarkup(many);
    ASSERT_EQ(m.runs.size(), 300u) << "no cap on the number of runs";
    EXPECT_EQ(m.runs[299], (BoldRun{598, 599}));
}

TEST(MsgMarkup, ButtonSetsAndFlagBits) {
    struct Case {
        unsigned flags;
        std::vector<int> results;
        std::vector<int> items;
    } cases[] = {
        {0, {1}, {0}},
        {1, {1, 2}, {0, 1}},
        {2, {3, 4, 5}, {4, 5, 6}},
        {3, {6, 7, 2}, {2, 3, 1}},
        {4, {6, 7}, {2, 3}},
        {5, {4, 2}, {5, 1}},
        {6, {}, {}},
        {0x24, {6, 7}, {2, 3}},
    };
    for (const Case& c : cases) {
        std::vector<int> results, items;
        for (const BoxButton& b : BoxButtons(c.flags)) {
            results.push_back(b.result);
            items.push_back(b.captionItem);
        }
        EXPECT_EQ(results, c.results) << c.flags;
        EXPECT_EQ(items, c.items) << c.flags;
    }
    EXPECT_EQ(DefaultButtonIndex(0x23), 0);
    EXPECT_EQ(DefaultButtonIndex(0x100), 1);
    EXPECT_EQ(DefaultButtonIndex(0x200), 2);
    EXPECT_EQ(DefaultButtonIndex(0x300), -1);
    EXPECT_EQ(BoxIconOf(0x10), BoxIcon::Stop);
    EXPECT_EQ(BoxIconOf(0x44), BoxIcon::Information);
    EXPECT_EQ(BoxIconOf(0x50), BoxIcon::Program);
    EXPECT_EQ(FlagsForCharset(0x10, 177), 0x10u | 0x80000 | 0x100000);
    EXPECT_EQ(FlagsForCharset(0x180010, 178), 0x180010u) << "bits already set are kept";
    EXPECT_EQ(FlagsForCharset(0x10, 161), 0x10u);
}
