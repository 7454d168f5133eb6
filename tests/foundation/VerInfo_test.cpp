#include "VerInfo.h"

#include "TestEnv.h"

#include <gtest/gtest.h>

using namespace zk;

TEST(VersionText, Normalises) {
    struct Case {
        const char* text;
        int width;
        const char* normal;
    };
    const Case cases[] = {
        {"1.0.9.4", 5, "00001.00000.00009.00004"},
        {"1,2", 5, "00001.00002"},
        {"1, 2, 3, 4", 5, "00001.00002.00003.00004"}, // what resource compilers write
        {"1 , 2", 4, "0001.0002"},
        {"2.8 beta", 5, "00002.00008"},
        {"6.3.10240.16384 (th1.150709-1700)", 4, "0006.0003.10240.16384"},
        {"", 5, "00000"},
        {"1..2", 3, "001.000.002"},
        {"123456.1", 5, "123456.00001"},
        {"v1.2", 4, "00v1.0002"}, // a leading letter is not cut
        {" 3.1 ", 2, "03.01"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(NormalizeVersionText(c.text, c.width), c.normal) << '"' << c.text << '"';
}

TEST(VersionText, ComparesGroupsByNumber) {
    struct Case {
        const char* older;
        const char* newer;
        int width;
    };
    const Case cases[] = {
        {"6.3.9600.17415", "6.3.10240.16384", 4}, // 10240 outgrows the width of 4
        {"6.3.9600.17415", "6.3.10240.16384", 5},
        {"1.2.3.4", "1.2.3.5", 4},
        {"1, 2, 3, 4", "1.3", 4}, // the comma form keeps its later groups
        {"1, 9, 0, 0", "1, 10, 0, 0", 4},
        {"", "0", 4}, // no version resource sorts first
        {"1.2", "1.2.0", 5},
        {"2.0", "123456.0", 5},
    };
    for (const Case& c : cases) {
        Text o = NormalizeVersionText(c.older, c.width), n = NormalizeVersionText(c.newer, c.width);
        if (!*c.older) o.clear();
        EXPECT_LT(CompareVersionTexts(o, n), 0) << o << " < " << n;
        EXPECT_GT(CompareVersionTexts(n, o), 0) << n << " > " << o;
    }
    EXPECT_EQ(CompareVersionTexts("0001.0002", "1.2"), 0);
    EXPECT_EQ(CompareVersionTexts("", ""), 0);
    EXPECT_LT(CompareVersionTexts("0001.000a", "0001.000b"), 0);
}

TEST(VersionResource, ReadsFileVersionOfFixtureDlls) {
    struct Case {
        const char* dll;
        int width;
        const char* text;
    };
    const Case cases[] = {
        {"zkver_comma.dll", 4, "0001.0002.0003.0004"},
        {"zkver_build10240.dll", 5, "00006.00003.10240.16384"},
        {"zkver_build9600.dll", 4, "0006.0003.9600.17415"},
        {"zkver_twolang.dll", 5, "00002.00008"}, // found in the second translation
        {"zkver_none.dll", 5, ""},
        {"no-such-file.dll", 5, ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(GetFileVersionText(zktest::BinDir() + "\\" + c.dll, c.width), c.text) << c.dll;
    EXPECT_GT(
        CompareVersionTexts(GetFileVersionText(zktest::BinDir() + "\\zkver_build10240.dll", 4),
                            GetFileVersionText(zktest::BinDir() + "\\zkver_build9600.dll", 4)),
        0);
}

TEST(VersionResource, ListsTranslationsInOrder) {
    TVersionInfo info(zktest::BinDir() + "\\zkver_twolang.dll");
    ASSERT_TRUE(info.Valid());
    ASSERT_EQ(info.TranslationKeys().size(), 2u);
    EXPECT_EQ(info.TranslationKeys()[0], "040704E4");
    EXPECT_EQ(info.TranslationKeys()[1], "040904E4");
    EXPECT_FALSE(info.LanguageNames()[1].empty());
    EXPECT_EQ(info.GetVersionString("CompanyName"), "Beispiel");
    EXPECT_EQ(info.GetVersionString(""), "");
    EXPECT_EQ(info.GetVersionString("ProductName"), "");
    TVersionInfo none(zktest::BinDir() + "\\zkver_none.dll");
    void* value = &info;
    EXPECT_FALSE(none.Valid());
    EXPECT_EQ(none.QueryVersionValue("\\", &value), 0u);
    EXPECT_EQ(none.GetVersionString("FileVersion"), "");
}
