#include "FileFlags.h"

#include <gtest/gtest.h>

using namespace zk;

TEST(FileFlags, Accessors) {
    struct Case {
        FileFlags flags;
        bool shared, registered, keep, skipPartial, readOnly, font;
        uint32_t attributes, osMask;
        int overwrite;
    };
    const Case cases[] = {
        {0, false, false, false, false, false, false, 0, 0, 0},
        {0x01000003, true, true, false, false, false, false, 0, 0, 1},
        {0x00000010, false, false, true, false, false, false, 0, 0, 0},
        {0x00000040, false, false, false, true, false, false, 0, 0, 0},
        {0x0000FF00, false, false, false, false, true, false, 0x23, 0, 0},
        {0x00000200, false, false, false, false, false, false, 0x02, 0, 0},
        {0x003F0000, false, false, false, false, false, false, 0, 0x3F, 0},
        {0x07000000, false, false, false, false, false, false, 0, 0, 7},
        {0x40000000, false, false, false, false, false, true, 0, 0, 0},
        // Bits that are not read change nothing.
        {0xB8C000AC, false, false, false, false, false, false, 0, 0, 0},
        {0xFFFFFFFF, true, true, true, true, true, true, 0x23, 0x3F, 7},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << c.flags);
        EXPECT_EQ(FileFlagShared(c.flags), c.shared);
        EXPECT_EQ(FileFlagRegister(c.flags), c.registered);
        EXPECT_EQ(FileFlagKeep(c.flags), c.keep);
        EXPECT_EQ(FileFlagSkipPartial(c.flags), c.skipPartial);
        EXPECT_EQ(FileFlagReadOnly(c.flags), c.readOnly);
        EXPECT_EQ(FileFlagFont(c.flags), c.font);
        EXPECT_EQ(FileFlagAttributes(c.flags), c.attributes);
        EXPECT_EQ(FileFlagOSMask(c.flags), c.osMask);
        EXPECT_EQ(FileFlagOverwriteMode(c.flags), c.overwrite);
    }
}

TEST(FileFlags, SkippedOnThisOS) {
    struct Case {
        uint32_t osBits, windowsMask;
        bool skipped;
    };
    const Case cases[] = {
        {0x20, 32, true}, {0x20, 16, false}, {0x20, 1, false},  {0x3F, 1, true}, {0x3F, 4, true},
        {0x3F, 32, true}, {0x3F, 0, false},  {0x00, 32, false}, {0x06, 2, true}, {0x06, 8, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FileSkippedOnThisOS(c.osBits << 16, c.windowsMask), c.skipped)
            << c.osBits << " on " << c.windowsMask;
}

TEST(FileFlags, RegistrableFiles) {
    struct Case {
        const char* path;
        bool registrable;
    };
    const Case cases[] = {
        {"C:\\a\\x.OCX", true}, {"x.dll", true},         {"filter.Ax", true}, {"x.exe", false},
        {"x.dll.bak", false},   {"C:\\a.dll\\x", false}, {"dll", false},      {"x.axe", false},
    };
    for (const Case& c : cases) EXPECT_EQ(IsRegistrableFile(c.path), c.registrable) << c.path;
}

TEST(FileFlags, StripFileNumberPrefix) {
    struct Case {
        const char* path;
        const char* stripped;
    };
    const Case cases[] = {
        {"C:\\src\\00012#setup.exe", "C:\\src\\setup.exe"},
        {"00012#setup.exe", "setup.exe"}, // a bare name stays bare
        {"C:\\src\\abcde#x.txt", "C:\\src\\abcde#x.txt"},
        {"C:\\src\\0012#x.txt", "C:\\src\\0012#x.txt"},
        {"C:\\src\\-0001#x.txt", "C:\\src\\-0001#x.txt"},
        {"C:\\src\\-0002#x.txt", "C:\\src\\x.txt"},
        {"C:\\src\\00001#", "C:\\src\\"},
        {"C:\\00#12\\00003#a#b", "C:\\00#12\\a#b"},
        {"C:\\src\\x.txt", "C:\\src\\x.txt"},
        {"", ""},
    };
    for (const Case& c : cases) EXPECT_EQ(StripFileNumberPrefix(c.path), c.stripped) << c.path;
}

TEST(FileFlags, SpaceNumbers) {
    struct Case {
        const char* text;
        char locale;
        bool ok;
        long double value;
    };
    const Case cases[] = {
        {"0.5", ',', true, 0.5L},     {"0,5", ',', true, 0.5L},   {"0,5", '.', false, 0},
        {" 12 ", '.', true, 12},      {"-0.5", '.', true, -0.5L}, {"+3", '.', true, 3},
        {".5", '.', true, 0.5L},      {"5.", '.', true, 5},       {"1e3", '.', true, 1000},
        {"2.5E-1", ',', true, 0.25L}, {"abc", '.', false, 0},     {"", '.', false, 0},
        {".", '.', false, 0},         {"1.2.3", '.', false, 0},   {"1e", '.', false, 0},
        {"!", '.', false, 0},         {"1 000", '.', false, 0},   {"12MB", '.', false, 0},
    };
    for (const Case& c : cases) {
        long double v = 0;
        EXPECT_EQ(ParseSpaceNumber(c.text, c.locale, v), c.ok) << c.text;
        if (c.ok) {
            EXPECT_EQ(v, c.value) << c.text;
        }
    }
}

TEST(FileFlags, RequiredSpace) {
    // Each step: the call, then RequiredSpace in bytes.
    enum Op { Set, Add, Base };
    struct Step {
        Op op;
        const char* text;
        int unit;
        long double bytes;
    };
    const Step steps[] = {
        {Set, "0.5", 2, 524288},  {Set, "-0.5", 2, -524288},    {Set, "-1", 2, -524288},
        {Set, "abc", 2, -524288}, {Set, "1024", 0, 1024},       {Set, "2", 7, 2},
        {Base, "3", 1, 2},        {Set, " ! ", 0, 2},           {Set, "!", 0, 3072},
        {Add, "10", 1, 13312},    {Add, "!", 1, 13312},         {Add, "-2", 0, 13312},
        {Add, "0,5", 1, 13824},   {Set, "1572864", 0, 1572864},
    };
    for (const Step& s : steps) {
        if (s.op == Set) SetSpaceRequired(s.text, s.unit, ',');
        if (s.op == Add) AddSpaceRequired(s.text, s.unit, ',');
        if (s.op == Base) SetSpaceBase(s.unit, StrToIntDef(s.text, 0));
        EXPECT_EQ(GetSpaceRequired(0), s.bytes) << s.op << " " << s.text;
    }
    EXPECT_EQ(GetSpaceRequired(2), 1.5L);
    EXPECT_EQ(GetSpaceRequired(1), 1536.0L);
    EXPECT_EQ(SpaceToBytes(2, 3), 3145728.0L);
    EXPECT_EQ(SpaceToBytes(-1, 3), 3.0L);
}
