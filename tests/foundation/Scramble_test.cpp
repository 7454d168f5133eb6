#include "Scramble.h"

#include <gtest/gtest.h>

using namespace zk;

TEST(Scramble, EmptyTextIsMarkerAndKey) {
    Text s = ScrambleText("", true);
    ASSERT_EQ(s.size(), 13u);
    EXPECT_EQ(s.substr(0, 12), "Scrambled=01");
    EXPECT_GE(static_cast<unsigned char>(s[12]), 33);
    EXPECT_LE(static_cast<unsigned char>(s[12]), 122);
    EXPECT_EQ(ScrambleText(s, false), "");
}

TEST(Scramble, RoundTripOfEveryByteValue) {
    Text plain;
    for (int i = 0; i < 2000; ++i) plain += static_cast<char>(i * 7 % 256);
    plain += "\r\nSET_PROG_NAME(x)\r\n";
    for (int round = 0; round < 20; ++round) {
        Text s = ScrambleText(plain, true);
        ASSERT_TRUE(IsScrambled(s));
        EXPECT_EQ(s.size(), plain.size() + 13);
        EXPECT_EQ(ScrambleText(s, false), plain);
        EXPECT_EQ(ScrambleText(s, true), s) << "a marked text is not scrambled twice";
    }
}

TEST(Scramble, PayloadRuleMatchesTheFormat) {
    // Byte p XOR low byte of (p + k), k = +key for odd p and -key for even p.
    const Text s = Text("Scrambled=01") + '!' + Text("\x20\x1D\x23", 3); // key 33
    const Text plain = ScrambleText(s, false);
    ASSERT_EQ(plain.size(), 3u);
    EXPECT_EQ(static_cast<unsigned char>(plain[0]), (0x20 ^ ((1 + 33) & 0xFF)));
    EXPECT_EQ(static_cast<unsigned char>(plain[1]), (0x1D ^ ((2 - 33) & 0xFF)));
    EXPECT_EQ(static_cast<unsigned char>(plain[2]), (0x23 ^ ((3 + 33) & 0xFF)));
}

TEST(Scramble, UnmarkedTextsPassUnchanged) {
    EXPECT_EQ(ScrambleText("plain Scrambled=01 text", false), "plain Scrambled=01 text");
    EXPECT_EQ(ScrambleText(" Scrambled=01x", false), " Scrambled=01x");
    EXPECT_EQ(ScrambleText("Scrambled=01", false), "");
}

TEST(Scramble, KeysVary) {
    int differing = 0;
    const Text first = ScrambleText("abc", true);
    for (int i = 0; i < 50; ++i) differing += ScrambleText("abc", true) != first;
    EXPECT_GT(differing, 0);
}

TEST(Scramble, AppendedPartsScrambleAsTheWhole) {
    // A scrambled file grows by ScrambleAt of the appended bytes at their position; odd and
    // even split points and positions past 255 included.
    Text plain;
    for (int i = 0; i < 700; ++i) plain += static_cast<char>(i * 13 % 256);
    for (size_t split : {size_t(0), size_t(1), size_t(2), size_t(255), size_t(256), size_t(699)}) {
        const Text whole = ScrambleText(plain, true);
        const unsigned char key = static_cast<unsigned char>(whole[12]);
        const Text grown = whole.substr(0, 13) + ScrambleAt(plain.substr(0, split), 1, key) +
                           ScrambleAt(plain.substr(split), split + 1, key);
        EXPECT_EQ(grown, whole) << "split " << split;
        EXPECT_EQ(ScrambleText(grown, false), plain);
    }
}
