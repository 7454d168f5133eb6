#include "Utils.h"

#include <gtest/gtest.h>

using namespace zk;

TEST(DelimitedList, CountsAndItems) {
    struct Case {
        const char* list;
        int count;
        int n;
        const char* item;
    };
    const Case cases[] = {
        {"", 0, 0, ""},       {"|", 0, 0, ""},      {"||", 1, 0, ""},      {"|a|b", 1, 1, ""},
        {"|a|b|", 2, 1, "b"}, {"|a||b|", 3, 1, ""}, {"|a||b|", 3, 2, "b"}, {"|a||b|", 3, 3, ""},
        {",a,b,", 2, 1, "b"}, {"|a|b|", 2, -1, ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ListCount(c.list), c.count) << c.list;
        EXPECT_EQ(ListItem(c.list, c.n), c.item) << c.list << " #" << c.n;
    }
}

TEST(DelimitedList, NextItemVisitsEachItemOnceAndOnlyClosedLists) {
    struct Case {
        const char* list;
        const char* joined;
    };
    const Case cases[] = {{"|x|", "x;"}, {"|x", ""},        {"|a||b|", "a;;b;"},
                          {"||", ""},    {",p,q,", "p;q;"}, {"", ""}};
    for (const Case& c : cases) {
        int cursor = 0;
        Text item, joined;
        for (int guard = 0; guard < 10; ++guard) {
            ListNextItem(c.list, cursor, item);
            if (cursor == 0) break;
            joined += item + ";";
        }
        EXPECT_EQ(joined, c.joined) << c.list;
        EXPECT_EQ(cursor, 0);
    }
}

TEST(DelimitedList, SetItemRebuildsAndPads) {
    struct Case {
        const char* list;
        int n;
        const char* value;
        const char* result;
    };
    const Case cases[] = {
        {"", 2, "x", "|||x|"},          {"", 0, "a", "|a|"},      {"|a|b|", 1, "c", "|a|c|"},
        {"|a|b|", 4, "e", "|a|b|||e|"}, {",a,", 1, "b", ",a,b,"}, {"|a|b|tail", 0, "z", "|z|b|"},
    };
    for (const Case& c : cases) {
        Text list = c.list;
        ListSetItem(list, c.n, c.value);
        EXPECT_EQ(list, c.result) << c.list;
    }
}

TEST(DelimitedList, IndexOfTrimsListAndSoughtButNotItems) {
    EXPECT_EQ(ListIndexOf(" |Ab|cd| ", "AB "), 0);
    EXPECT_EQ(ListIndexOf("|Ab|cd|", "CD"), 1);
    EXPECT_EQ(ListIndexOf("|Ab|cd|", ""), -1);
    EXPECT_EQ(ListIndexOf("", "x"), -1);
    EXPECT_EQ(ListIndexOf("| a|b|", "a"), -1);
    EXPECT_EQ(ListIndexOf("|\xE4|", "\xC4"), -1); // only a-z fold
}

TEST(TextSearch, Positions) {
    EXPECT_EQ(LastPos("\\", "C:\\a\\b.txt"), 5);
    EXPECT_EQ(EndPosText(".TXT", "readme.txt"), 1);
    EXPECT_EQ(EndPosText(".doc", "readme.txt"), 0);
    EXPECT_EQ(PosFrom("%", "a%b%", 3), 4);
    EXPECT_EQ(PosFrom("%", "a%b%", 0), 0);
    EXPECT_EQ(PosFrom("%", "a%b%", 5), 0);
    EXPECT_EQ(PosFromText("B", "abab", 3), 4);
    EXPECT_EQ(PosText("", "abc"), 0);
    EXPECT_EQ(PosText("BC", "abc"), 2);
    EXPECT_EQ(PosText("\xC4", "\xE4"), 0);
    EXPECT_TRUE(TextEquals("Setup.TXT", "setup.txt"));
    EXPECT_FALSE(TextEquals("\xE4", "\xC4"));
}

TEST(TextEdit, BeforeAfterPadAndTrim) {
    EXPECT_EQ(TextAfter("key=value", "="), "value");
    EXPECT_EQ(TextAfter("keyvalue", "="), "keyvalue");
    EXPECT_EQ(TextBefore("keyvalue", "="), "");
    EXPECT_EQ(TextBefore("key=value", "="), "key");
    EXPECT_EQ(PadRight("ab", 4, '*'), "ab**");
    EXPECT_EQ(ZeroPadLeft("7", 3), "007");
    EXPECT_EQ(ZeroPadLeft("4567", 3), "4567");
    EXPECT_EQ(Trim("\t\x01 a b \r\n"), "a b");
    EXPECT_EQ(ReversedText("abc"), "cba");
}

TEST(TextReplace, CascadeSafeAndCaseInsensitive) {
    EXPECT_EQ(ReplaceAll("a;;;;b", ";;", ";"), "a;b");
    EXPECT_EQ(ReplaceAll("aXbX", "", "y"), "aXbX");
    EXPECT_EQ(ReplaceAll("xaab", "ab", "b"), "xb"); // cascade reaches back before the insertion
    EXPECT_EQ(ReplaceAllSafe("x", "x", "xx"), "xx");
    EXPECT_EQ(ReplaceAllSafe("a<b>", "<b>", "<b><b>"), "a<b><b>");
    EXPECT_EQ(ReplaceAllSafe("<P>-<P>", "<P>", "C:\\<P>"), "C:\\<P>-C:\\<P>");
    EXPECT_EQ(ReplaceAllText("Path <installdir>\\x", "<InstallDir>", "C:\\App"), "Path C:\\App\\x");
    EXPECT_EQ(ReplaceAllText("aAa", "a", "b"), "bbb");
}

TEST(TextReplace, ReplacementHoldingThePatternTerminates) {
    // Folder values read from the registry may hold a macro name themselves.
    EXPECT_EQ(ReplaceAllText("<WinDir>\\x", "<windir>", "C:\\<WINDIR>"), "C:\\<WINDIR>\\x");
    EXPECT_EQ(ReplaceAll("ab", "a", "aa"), "aab");
}

TEST(Numbers, BaseTextAndHex) {
    struct Case {
        const char* text;
        int base;
        int64_t value;
    };
    const Case cases[] = {{" ff ", 16, 255}, {"10", 2, 2},  {"1G", 16, 15},
                          {"", 10, 0},       {"A", 10, 10}, {"7fffffff", 16, 0x7fffffff}};
    for (const Case& c : cases) EXPECT_EQ(BaseTextToInt64(c.text, c.base), c.value) << c.text;
    EXPECT_EQ(HexToInt("FFFFFFFF"), -1);
    EXPECT_EQ(HexToInt("1FFFFFFFF"), -1);
    EXPECT_EQ(BoolToText(5), "TRUE");
    EXPECT_EQ(BoolToText(0), "FALSE");
    EXPECT_EQ(BoolToDigit(true), '1');
}

TEST(Numbers, IntegerSettingTexts) {
    struct Case {
        const char* text;
        int value;
    };
    const Case cases[] = {
        {"12", 12},
        {" 12", 12},
        {"12 ", -7},
        {"$2", 2},
        {"0x1F", 31},
        {"x1f", 31},
        {"-5", -5},
        {"+5", 5},
        {"", -7},
        {"abc", -7},
        {"2147483647", 2147483647},
        {"2147483648", -7},
        {"-2147483648", -2147483647 - 1},
        {"99999999999", -7},
        {"$7FFFFFFF", 2147483647},
        {"$80000000", -7},
        {"$FFFFFFFF", -7},
        {"-$80000000", -2147483647 - 1},
        {"-0x80000001", -7},
        {"-$FFFFFFFF", -7},
        {"-", -7},
        {"0x", -7},
        {"1.5", -7},
    };
    for (const Case& c : cases) EXPECT_EQ(StrToIntDef(c.text, -7), c.value) << '"' << c.text << '"';
}

namespace {
// Lead bytes of code page 932: "\x94\x5C" is one character whose second byte is "\".
bool Cp932Lead(unsigned char c) {
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}
bool SingleByte(unsigned char) {
    return false;
}
} // namespace

TEST(PathCharacters, SeparatorsAreWholeCharactersOnly) {
    const size_t none = Text::npos;
    struct Case {
        const char* text;
        size_t last, next, nextFrom3;
        bool endsWithBackslash;
    } cases[] = {
        {"C:\\a\\b", 4, 2, 4, false},
        {"C:\\\x94\x5C", 2, 2, none, false}, // ends with the second byte of a character
        {"C:\\\x94\x5C\\x", 5, 2, 5, false}, // the backslash after it is one
        {"\x94\x5C\\", 2, 2, none, true},    // "\" of its own after the character
        {"\x94\x5C\x95\x5C\x83\x5C", none, none, none, false},
        {"a\\\x94", 1, 1, none, false}, // a lead byte at the end stands alone
        {"\\\\srv\\\x83\x5C", 5, 0, 5, false},
        {"", none, none, none, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(LastCharOf(c.text, "\\", Cp932Lead), c.last) << c.text;
        EXPECT_EQ(NextCharOf(c.text, "\\", 0, Cp932Lead), c.next) << c.text;
        EXPECT_EQ(NextCharOf(c.text, "\\", 3, Cp932Lead), c.nextFrom3) << c.text;
        EXPECT_EQ(EndsWithChar(c.text, '\\', Cp932Lead), c.endsWithBackslash) << c.text;
    }
    // A single-byte code page takes every byte as it stands; several characters are sought.
    EXPECT_EQ(LastCharOf("C:\\\x94\x5C", "\\", SingleByte), 4u);
    EXPECT_TRUE(EndsWithChar("C:\\\x94\x5C", '\\', SingleByte));
    EXPECT_EQ(LastCharOf("C:\\a/b:c", "\\/:", Cp932Lead), 6u);
}
