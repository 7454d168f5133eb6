#include "ExecCond.h"

#include <windows.h>

#include <gtest/gtest.h>

#include "ExecHost.h"
#include "UtilPlus.h"
#include "ConditionCases.h"
#include "TestEnv.h"

using namespace zk;

TEST(ExecConditionText, RelationsOfTextsNumbersAndVersions) {
    struct Case {
        const char* r;
        const char* a;
        const char* b;
        bool text;
    };
    const Case texts[] = {
        {"=", "abc", "abc", true}, {"=", "abc", "ABC", false}, {"!=", "a", "b", true},
        {">", "b", "a", true},     {"<", "ab", "abc", true},   {"<=", "10", "9", true},
        {">=", "x", "x", true},    {" =", "x", "x", false},    {"==", "x", "x", false},
        {"", "x", "x", false},     {">", "\xE4", "z", true}, // codes, not letters
    };
    for (const Case& c : texts)
        EXPECT_EQ(CompareRelationText(c.r, c.a, c.b), c.text) << c.r << c.a << c.b;
    EXPECT_TRUE(CompareRelationInt64(">", 4096, 1000));
    EXPECT_FALSE(CompareRelationInt64("<", 4096, 1000));
    EXPECT_TRUE(CompareRelationInt64("!=", 0, -1));
    EXPECT_TRUE(CompareRelationFloat("<", 2.6, 2.8));
    EXPECT_TRUE(CompareRelationFloat(">=", 2.8, 2.8));
    EXPECT_FALSE(CompareRelationFloat("x", 2.8, 2.8));

    struct Version {
        const char* r;
        const char* file;
        const char* wanted;
        bool result;
    };
    const Version versions[] = {
        {"=", "00001.00000.00000.00000", "1.0", false}, // a proper prefix is smaller
        {">=", "00001.00000.00000.00000", "1.0", true},
        {"<", "", "0.1", true}, // no version resource
        {">", "00006.00003.10240.16384", "6.3.9600", true},
        {"=", "00001.00002.00003.00004", "1,2,3,4", true},
    };
    for (const Version& v : versions)
        EXPECT_EQ(CompareRelationVersion(v.r, v.file, v.wanted), v.result) << v.file << v.wanted;
}

TEST(ExecConditionText, FindTextWithOptions) {
    struct Case {
        const char* text;
        const char* search;
        int pos;
    };
    const Case cases[] = {
        {"a Word here", "Word", 3},
        {"a word here", "Word", 0},
        {"a word here", "!Word", 3},
        {"swords", "!!word", 0},
        {"swords\r\nword end", "!!word", 9},
        {"the end.\nend", "!!end", 10},
        {"ending", "!!end", 0},
        {"word, more", "!!word", 0}, // a comma is no separator
        {"a WORD b", "!!!word", 3},
        {"a WORD b", "!!word", 0},
        {"x  y", "!!", 0},
        {"x  y", "!", 0}, // nothing left to look for
        {"", "x", 0},
        {"x", "", 0},
        {"tab\there", "!!here", 5},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FindTextWithOptions(c.text, c.search), c.pos) << c.text << " / " << c.search;
    EXPECT_EQ(SearchTextLength("!!!abc"), 3u);
    EXPECT_EQ(SearchTextLength("!!"), 0u);
    EXPECT_EQ(SearchTextLength("a!"), 2u);
}

TEST(ExecConditionText, NumbersScreensDepthsAndWindowsNames) {
    struct Dec {
        const char* text;
        double value;
    };
    const Dec decimals[] = {{"2.8", 2.8},   {" 2.8 ", 2.8}, {"2,8", -1},   {"", -1},    {".", -1},
                            {"-0.5", -0.5}, {"3", 3},       {"1.2.3", -1}, {"2.8a", -1}};
    for (const Dec& d : decimals)
        EXPECT_DOUBLE_EQ(DecimalTextToDouble(d.text, -1), d.value) << d.text;
    EXPECT_EQ(IntegerTextToInt64(" 4096 ", 0), 4096);
    EXPECT_EQ(IntegerTextToInt64("4k", 7), 7);
    EXPECT_EQ(IntegerTextToInt64("99999999999999999999", 7), 7);

    struct Screen {
        const char* r;
        const char* v;
        int w, h;
        bool result;
    };
    const Screen screens[] = {
        {">", "1024x768", 1280, 768, true},   {">", "1024x768", 1280, 600, false},
        {"=", "800x600", 800, 600, true},     {"!=", "800x600", 800, 601, true},
        {"<", "1024x768", 1024, 700, true},   {">=", "1024x768", 1024, 768, true},
        {"<=", "1024x768", 1025, 768, false}, {"=", "bad", 0, 0, true}, // parts not numbers: 0
        {"<>", "800x600", 1, 1, false},
    };
    for (const Screen& s : screens)
        EXPECT_EQ(ScreenResolutionIs(s.r, s.v, s.w, s.h), s.result) << s.r << s.v << s.w << s.h;

    EXPECT_EQ(ColorDepthBits("256 (8 bit)"), 8);
    EXPECT_EQ(ColorDepthBits("64K (16 bit)"), 16);
    EXPECT_EQ(ColorDepthBits("16M (24 bit)"), 24);
    EXPECT_EQ(ColorDepthBits("millions"), 32);

    struct Os {
        const char* list;
        const char* name;
        bool result;
    };
    const Os systems[] = {{"NT,2000,XP", "2000", true},
                          {"NT, 2000, XP", "2000", false},
                          {"NT, 2000, XP", "NT", true},
                          {"95,98", "9", false},
                          {"xp", "XP", false}};
    for (const Os& o : systems) EXPECT_EQ(WindowsNameInList(o.list, o.name), o.result) << o.list;

    EXPECT_TRUE(RegistryTextIs("<", "9", "10", true)); // 009 against 010
    EXPECT_FALSE(RegistryTextIs("<", "9", "10", false));
    EXPECT_TRUE(RegistryTextIs("=", "42", "042", true));
}

TEST(ExecConditionHost, SetupTypeGroupsAndNames) {
    SetExecHostCallbacks(nullptr, nullptr);
    EXPECT_TRUE(TestCondition(73, "Typical", "", ""));
    EXPECT_FALSE(TestCondition(74, "Core", "", ""));
    Text setupType = "Custom";
    SetExecHostCallbacks(nullptr, [&](const Text& name) -> Text {
        if (name == "SetupType") return setupType;
        if (name == "GroupNameString") return "|Core|Help Files|";
        if (name == "UserName") return "Ann Lee";
        if (name == "CompanyName") return "Lee & Co";
        return "";
    });
    struct Case {
        int id;
        const char* p;
        bool result;
    };
    const Case cases[] = {
        {73, "custom", true},   {73, "Cust", true},    {73, "Typical", false},
        {74, "Core", true},     {74, "core", false},   {74, "Help Files", true},
        {74, "Help", false},    {75, "ann lee", true}, {75, "Ann", false},
        {76, "LEE & CO", true}, {76, "", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(TestCondition(c.id, c.p, "", ""), c.result) << c.id << " " << c.p;
    setupType = "Unusual";
    EXPECT_TRUE(SetupTypeIs("Strange")); // two names outside the list match each other
    SetExecHostCallbacks(nullptr, nullptr);
}

TEST(ExecConditionMachine, FilesFoldersDrivesAndVersions) {
    const Text dir = zktest::ScratchDir("ExecCondFiles");
    ASSERT_TRUE(zktest::WriteBytes(dir + "\\a.txt", "x"));
    ASSERT_TRUE(zktest::WriteBytes(dir + "\\t.txt", "swords\r\nword end"));
    const Text bin = zktest::BinDir();
    const zktest::ConditionCase cases[] = {
        {11, dir + "\\a.txt", "", "", true},
        {11, dir + "\\*.txt", "", "", false},
        {11, dir, "", "", false},
        {11, "", "", "", false},
        {12, dir, "", "", true},
        {12, dir + "\\a.txt", "", "", false},
        {14, dir + "\\t.txt", "", "!!word", true},
        {14, dir + "\\t.txt", "", "!!ord", false},
        {14, dir + "\\t.txt", "", "!WORD", true},
        {14, dir + "\\none.txt", "", "x", false},
        {14, dir + "\\t.txt", "", "", false},
        {13, "C", "", "", true},
        {13, "c:\\anything", "", "", true},
        {13, "", "", "", false},
        {13, "Q", "", "", false},
        {34, bin + "\\zkver_comma.dll", "=", "1.2.3.4", true},
        {34, bin + "\\zkver_build10240.dll", ">", "6.3.9600.17415", true},
        {34, bin + "\\zkver_none.dll", "<", "0.0.1", true},
        {34, bin + "\\zkver_none.dll", ">=", "0", false},
        {34, dir + "\\missing.dll", "=", "", false},
    };
    zktest::ExpectConditions(cases);
    EXPECT_FALSE(TestCondition(10, "C", "", "")); // not a condition id
    zktest::RemoveScratch(dir);
}

TEST(ExecConditionMachine, EnvironmentVariables) {
    SetEnvironmentVariableA("ZK_EXEC_ENV", "Value9");
    const zktest::ConditionCase cases[] = {
        {44, "ZK_EXEC_ENV", "", "", true},
        {44, "ZK_EXEC_NONE", "", "", false},
        {44, "", "", "", false},
        {45, "ZK_EXEC_ENV", "=", "Value9", true},
        {45, "ZK_EXEC_ENV", "=", "value9", false},
        {45, "ZK_EXEC_NONE", "<", "a", true},
        {46, "ZK_EXEC_ENV", "=", "value9", true},
        {46, "ZK_EXEC_ENV", ">", "VALUE10", true},
    };
    zktest::ExpectConditions(cases);
    SetEnvironmentVariableA("ZK_EXEC_ENV", nullptr);
}

TEST(ExecConditionMachine, HardwareAndRuntimes) {
    const int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
    const Text screen = IntToStr(w) + "x" + IntToStr(h);
    HDC dc = GetDC(nullptr);
    const int bits = GetDeviceCaps(dc, BITSPIXEL) * GetDeviceCaps(dc, PLANES);
    ReleaseDC(nullptr, dc);
    const Text memory = IntToStr(GetTotalMemoryMB());
    struct Case {
        int id;
        Text r;
        Text v;
        bool result;
    };
    const Case cases[] = {
        {51, ">", "0", true},
        {51, "=", memory, true},
        {51, "<", "x", false},
        {52, ">", "100", true},
        {52, "<", "0", false},
        {53, "=", screen, true},
        {53, ">", screen, false},
        {53, ">=", "640x480", true},
        {54, "=", bits == 32 ? "True Color (32 bit)" : "16M (24 bit)", bits == 32 || bits == 24},
        {54, ">", "256 (8 bit)", true},
        {54, "=", "no such depth", bits == 32},
        {62, ">=", "0", true},
        {62, "<", "-1", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(TestCondition(c.id, "", c.r, c.v), c.result) << c.id << c.r << c.v;
    EXPECT_GT(GetTotalMemoryMB(), 0);
    EXPECT_EQ(GetCpuMHz(), GetCpuMHz()); // measured once, then cached
    // The speed Windows keeps comes first; only without it is the clock measured.
    const int registered = StrToIntDef(
        RegPathReadString("HKEY_LOCAL_MACHINE\\HARDWARE\\DESCRIPTION\\System\\CentralProcessor\\0",
                          "~MHz", "0"),
        -1);
    if (registered > 100) {
        EXPECT_EQ(GetCpuMHz(), registered);
    }
}

TEST(ExecConditionMachine, WindowsByClassAndTitle) {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "ZkExecCondProbe";
    RegisterClassA(&wc);
    HWND wnd = CreateWindowA("ZkExecCondProbe", "Probe Title", WS_OVERLAPPED, 0, 0, 10, 10, nullptr,
                             nullptr, wc.hInstance, nullptr);
    ASSERT_NE(wnd, nullptr);
    struct Case {
        const char* cls;
        const char* title;
        bool result;
    };
    const Case cases[] = {{"ZkExecCondProbe", "", true},
                          {"", "Probe Title", true},
                          {"ZkExecCondProbe", "Probe Title", true},
                          {"ZkExecCondProbe", "x", false},
                          {"ZkNoSuchClass", "", false}};
    for (const Case& c : cases) EXPECT_EQ(TestCondition(35, c.cls, "", c.title), c.result) << c.cls;
    DestroyWindow(wnd);
    EXPECT_FALSE(TestCondition(35, "ZkExecCondProbe", "", ""));
}

TEST(ExecConditionMachine, SystemNameAndRuntimes) {
    const Text name = GetWindowsName();
    const zktest::ConditionCase cases[] = {
        {33, name, "", "", true},
        {33, "95,98," + name + ",32S", "", "", true},
        {33, "x" + name, "", "", false},
        {33, "", "", "", false},
        {63, "7", "", "", false},
        {63, "", "", "", false},
        {63, "56", "", "", false},
        // Any version, or none at all, is below a version no runtime has.
        {61, "ignored", "<", "99999", true},
        {61, "", ">", "99999", false},
        {61, "", "bad", "1.0", false},
    };
    zktest::ExpectConditions(cases);
    const Text system = GetSystemDir(true);
    EXPECT_EQ(TestCondition(63, "6", "", ""), zktest::Exists(system + "msvbvm60.dll"));
    EXPECT_EQ(TestCondition(63, " 6 ", "", ""), TestCondition(63, "6", "", ""));
    EXPECT_EQ(TestCondition(63, "5", "", ""), zktest::Exists(system + "msvbvm50.dll"));
}
