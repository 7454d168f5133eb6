#include "UtilPlusText.h"

#include <gtest/gtest.h>

using namespace zk;

TEST(PathText, FixSlashAndRemoveDoubleSlashes) {
    struct Case {
        const char* path;
        bool with;
        const char* fixed;
    };
    const Case fix[] = {
        {"C:\\", false, "C:\\"}, // a root stays one: "C:" is the drive's current folder
        {"\\\\srv\\share\\", false, "\\\\srv\\share"},
        {"C:\\", true, "C:\\"},
        {"C:", true, "C:\\"},
        {"a\\", false, "a\\"},
        {"C:\\dir\\", false, "C:\\dir"},
        {"C:\\dir", true, "C:\\dir\\"},
        {"C:\\dir\\", true, "C:\\dir\\"},
        {"", true, ""},
    };
    for (const Case& c : fix) EXPECT_EQ(FixSlash(c.path, c.with), c.fixed) << c.path << c.with;

    struct Pair {
        const char* in;
        const char* out;
    };
    const Pair doubles[] = {
        {"\\\\server\\share\\\\dir", "\\\\server\\share\\dir"},
        {"C:\\\\\\a", "C:\\a"},
        {"\\\\\\x", "\\\\x"},
        {"", ""},
        {"a\\\\b\\\\", "a\\b\\"},
        {"\\", "\\"},
    };
    for (const Pair& p : doubles) EXPECT_EQ(RemoveDoubleSlashes(p.in), p.out) << p.in;
}

TEST(CommandLineText, TailDropsTheProgramAndItsQuotes) {
    const char* exe = "C:\\Program Files\\Setup.exe";
    struct Pair {
        const char* line;
        const char* tail;
    };
    const Pair cases[] = {
        {"\"C:\\Program Files\\Setup.exe\" /X=1", "/X=1"},
        {"\"c:\\program files\\SETUP.EXE\"", ""},
        {"C:\\Program Files\\Setup.exe  /a \"b c\"", "/a \"b c"},
        {"Setup.exe /OriginalInfoFile=x", "/OriginalInfoFile=x"},
        {"Setup /Y", "/Y"},
        {"\"Setup.exe\" /Y", "/Y"},
        {"Other.exe /Y", "Other.exe /Y"},
        {"", ""},
    };
    for (const Pair& p : cases) EXPECT_EQ(CommandTailOf(p.line, exe), p.tail) << p.line;
}

TEST(CommandLineText, SwitchValues) {
    struct Case {
        const char* tail;
        const char* sw;
        const char* value;
    };
    const Case cases[] = {
        {"/X", "/X", "TRUE"},
        {"/X=a b", "/X=", "a"},
        {"/x=\"C:\\My Files\\a.info\" /Y", "/X=", "C:\\My Files\\a.info"},
        {"/X=\"C:\\open end", "/X=", "C:\\open end"},
        {"/X= /Y", "/X=", ""},
        {"/X=a/Y", "/X=", "a"},
        {"/A /B", "/X", ""},
        {"/Y /X=", "/X=", "TRUE"},
    };
    for (const Case& c : cases) EXPECT_EQ(SwitchValueOf(c.tail, c.sw), c.value) << c.tail;
}

TEST(WindowsText, VersionTable) {
    struct Case {
        WindowsFacts w;
        const char* name;
        int mask;
        const char* text;
    };
    const Case cases[] = {
        {{1, 4, 0, 0x040003B6, ""}, "95", 1, "Win95  4.0  950"},
        {{1, 4, 10, 0x040A08AE, " A "}, "98", 2, "Win98  4.10  2222 (A)"},
        {{1, 4, 90, 3000, ""}, "ME", 4, "WinME  4.90  3000"},
        {{2, 4, 0, 1381, "Service Pack 6"}, "NT", 8, "WinNT  4.0  1381 (Service Pack 6)"},
        {{2, 5, 0, 2195, "Service Pack 4"}, "2000", 16, "Win2000  5.0  2195 (Service Pack 4)"},
        {{2, 5, 1, 2600, "Service Pack 3"}, "XP", 32, "WinXP  5.1  2600 (Service Pack 3)"},
        {{2, 6, 1, 7601, "Service Pack 1"}, "6.1", 0, "Win6.1  6.1  7601 (Service Pack 1)"},
        {{2, 3, 51, 1057, ""}, "3.51", 0, "Win3.51  3.51  1057"},
        {{1, 5, 1, 1, ""}, "5.1", 0, "Win5.1  5.1  1"},
        {{0, 3, 10, 0, ""}, "32S", 0, "Win32S  3.10  0"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(WindowsNameOf(c.w), c.name) << c.text;
        EXPECT_EQ(WindowsMaskOf(c.w), c.mask) << c.text;
        EXPECT_EQ(WindowsVersionTextOf(c.w), c.text);
    }
}

TEST(RegistryText, SplitPathsAndRootNames) {
    struct Case {
        const char* path;
        const char* root;
        const char* sub;
    };
    const Case cases[] = {
        {"HKEY_LOCAL_MACHINE", "", "HKEY_LOCAL_MACHINE"},
        {"hkey_local_machine\\Software", "hkey_local_machine", "Software"},
        {"  HKEY_CURRENT_USER\\Software\\X\\Y  ", "HKEY_CURRENT_USER", "Software\\X\\Y"},
        {"Software\\X", "", "Software\\X"},
        {"HKEY_PERFORMANCE_DATA\\X", "HKEY_PERFORMANCE_DATA", "X"},
        {"HKLM\\Software", "", "HKLM\\Software"},
        {"", "", ""},
    };
    for (const Case& c : cases) {
        Text root, sub;
        SplitRegPathText(c.path, root, sub);
        EXPECT_EQ(root, c.root) << c.path;
        EXPECT_EQ(sub, c.sub) << c.path;
    }
    const char* names[] = {"HKEY_CLASSES_ROOT", "hkey_current_user",   "HKEY_LOCAL_MACHINE",
                           "HKEY_USERS",        "HKEY_CURRENT_CONFIG", "HKEY_DYN_DATA"};
    for (int i = 0; i < 6; ++i) EXPECT_EQ(RootIndexOfName(names[i]), i) << names[i];
    for (const char* other : {"HKLM", "HKEY_PERFORMANCE_DATA", "", "HKEY_USERS\\"})
        EXPECT_EQ(RootIndexOfName(other), -1) << other;
}

TEST(RegistryText, ValuesAreBoundedAndDwordsUnsigned) {
    struct Case {
        uint32_t type;
        std::string data;
        const char* text;
    };
    const Case cases[] = {
        {4, std::string("\xFF\xFF\xFF\xFF", 4), "4294967295"},
        {4, std::string("\x2A\x00\x00\x00", 4), "42"},
        {4, std::string("\x00\x00\x00\x80", 4), "2147483648"},
        {1, std::string("abc\0", 4), "abc"},
        {1, std::string("abc", 3), "abc"},
        {3, std::string("ab\0cd", 5), "ab"},
        {4, std::string("ab", 2), "ab"},
        {1, std::string(), ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(RegDataToText(c.type, c.data.data(), c.data.size()), c.text) << c.text;
}

TEST(SwitchText, AccessCodeAndLineBreaks) {
    EXPECT_TRUE(IsDevAccessCode("947"));
    for (const char* v : {"", "94", "9470", " 947", "947 "}) EXPECT_FALSE(IsDevAccessCode(v)) << v;
    EXPECT_EQ(StripLineBreaks("a\r\n[Evil]\rb\nc"), "a[Evil]bc");
}
