#include "RegOpText.h"

#include <gtest/gtest.h>

#include <map>

using namespace zk;

TEST(RegText, RootOnlySubkeysAndDwordTexts) {
    for (const char* s : {"", "\\", "\\\\\\", " ", " \\ \t\\"})
        EXPECT_TRUE(IsRootOnlySubkey(s)) << "'" << s << "'";
    for (const char* s : {"a", "\\a\\", "Software", " . "})
        EXPECT_FALSE(IsRootOnlySubkey(s)) << "'" << s << "'";
    EXPECT_EQ(TrimBackslashes("\\\\a\\b\\\\"), "a\\b");
    EXPECT_EQ(TrimBackslashes("\\\\"), "");

    const std::map<std::string, uint32_t> dwords = {{"0", 0},
                                                    {"42", 42},
                                                    {" +42 ", 42},
                                                    {"4294967295", 0xFFFFFFFFu},
                                                    {"4294967296", 0},
                                                    {"-1", 0xFFFFFFFFu},
                                                    {"-2147483648", 0x80000000u},
                                                    {"-2147483649", 0},
                                                    {"abc", 0},
                                                    {"1 2", 0},
                                                    {"", 0},
                                                    {"$10", 0},
                                                    {"99999999999", 0}};
    for (const auto& [text, value] : dwords) EXPECT_EQ(DwordOfText(text), value) << text;
    EXPECT_EQ(RegValueNameOf("(default)"), "");
    EXPECT_EQ(RegValueNameOf("(DEFAULT)"), "");
    EXPECT_EQ(RegValueNameOf("Default"), "Default");
}

TEST(RegText, CommandQuotingAndPathParts) {
    const std::map<std::string, std::string> quoted = {
        {"C:\\Program Files\\Zk\\UnInstall.exe", "\"C:\\Program Files\\Zk\\UnInstall.exe\""},
        {"C:\\Zk\\UnInstall.exe", "C:\\Zk\\UnInstall.exe"},
        {"\"C:\\Program Files\\x.exe\"", "\"C:\\Program Files\\x.exe\""},
        {"", ""}};
    for (const auto& [in, out] : quoted) {
        EXPECT_EQ(QuoteIfBlank(in), out) << in;
        EXPECT_EQ(StripQuotes(QuoteIfBlank(in)), StripQuotes(in)) << in;
    }
    EXPECT_EQ(StripQuotes("\"a b\""), "a b");
    EXPECT_EQ(StripQuotes("\""), "\"");
    EXPECT_EQ(StripQuotes("a\"b\""), "a\"b\"");

    struct Case {
        const char* path;
        const char* file;
        const char* folder;
    } cases[] = {{"C:\\app.exe", "app.exe", "C:"},
                 {"C:\\Program Files\\Zk\\app.exe", "app.exe", "C:\\Program Files\\Zk"},
                 {"app.exe", "app.exe", ""},
                 {"\\\\srv\\share\\a.exe", "a.exe", "\\\\srv\\share"}};
    for (const Case& c : cases) {
        EXPECT_EQ(FileNameOfPath(c.path), c.file) << c.path;
        EXPECT_EQ(FolderOfPath(c.path), c.folder) << c.path;
    }
}

TEST(RegText, ArpCacheRecordLayout) {
    for (const char* name : {"95", "98", "ME", "NT", "me"}) EXPECT_FALSE(ArpCacheWanted(name));
    for (const char* name : {"2000", "XP", "6.0"}) EXPECT_TRUE(ArpCacheWanted(name)) << name;

    const std::string r =
        ArpCacheRecord(u"C:\\Zk\\\u00e9.exe", 0x0102030405060708LL, 0x1122334455667788ULL);
    ASSERT_EQ(r.size(), 552u);
    const std::string head("\x28\x02\0\0" // 552
                           "\x01\0\0\0"   // has name
                           "\x08\x07\x06\x05\x04\x03\x02\x01"
                           "\x88\x77\x66\x55\x44\x33\x22\x11"
                           "\x05\0\0\0" // times used
                           "C\0:\0\\\0Z\0k\0\\\0\xe9\0.\0e\0x\0e\0",
                           28 + 22);
    EXPECT_EQ(r.substr(0, head.size()), head);
    EXPECT_EQ(r.substr(head.size()), std::string(552 - head.size(), '\0'));

    EXPECT_EQ(ArpCacheRecord(std::u16string(261, u'a'), 1, 0).size(), 552u);
    EXPECT_EQ(ArpCacheRecord(std::u16string(261, u'a'), 1, 0).substr(550), std::string(2, '\0'));
    EXPECT_EQ(ArpCacheRecord(std::u16string(262, u'a'), 1, 0), "")
        << "a cut path names another file";
}

TEST(RegText, ActionWordsAndRowFields) {
    const std::map<std::string, RegistryOpAction> reg = {
        {"Create", RegistryOpAction::Create},
        {"create", RegistryOpAction::Create},
        {"Remove Key", RegistryOpAction::RemoveKey},
        {"REMOVE KEY", RegistryOpAction::RemoveKey},
        {"Remove Value", RegistryOpAction::RemoveValue},
        {"remove", RegistryOpAction::RemoveValue},
        {"", RegistryOpAction::Nothing},
        {"RemoveKey", RegistryOpAction::Nothing},
        {"Append", RegistryOpAction::Nothing}};
    for (const auto& [w, a] : reg) EXPECT_EQ(RegistryOpActionOf(w), a) << w;
    const std::map<std::string, EnvironmentOpAction> env = {
        {"Create", EnvironmentOpAction::Create},
        {"APPEND", EnvironmentOpAction::Append},
        {"remove", EnvironmentOpAction::Remove},
        {"Remove Key", EnvironmentOpAction::Nothing},
        {"", EnvironmentOpAction::Nothing}};
    for (const auto& [w, a] : env) EXPECT_EQ(EnvironmentOpActionOf(w), a) << w;

    const std::string row = "|HKEY_CURRENT_USER\\x|v|d|Create|Remove Value|String|";
    EXPECT_EQ(RowAction(row, 3, 1), "Create");
    EXPECT_EQ(RowAction(row, 3, 0), "Remove Value");
    EXPECT_EQ(RowAction(row, 3, 7), "Create") << "any non-zero mode installs";
}

TEST(RegText, HexDataIsStrict) {
    struct Case {
        const char* data;
        bool ok;
        std::string bytes;
    } cases[] = {{"0a,FF,10", true, "\x0a\xff\x10"},
                 {"00,1f,A0", true, std::string("\x00\x1f\xa0", 3)},
                 {"7f", true, "\x7f"},
                 {"", true, ""},
                 {"0", false, ""},
                 {"0a,", false, ""},
                 {",0a", false, ""},
                 {"0a,,0b", false, ""},
                 {"0a;0b", false, ""},
                 {"0a, 0b", false, ""},
                 {"0g", false, ""},
                 {"0a,0b,c", false, ""},
                 {"abc", false, ""}};
    for (const Case& c : cases) {
        std::string bytes = "junk";
        EXPECT_EQ(HexListToBytes(c.data, bytes), c.ok) << c.data;
        EXPECT_EQ(bytes, c.bytes) << c.data;
    }
}

TEST(RegText, PercentExpansionIsOnePass) {
    const std::map<std::string, std::string> vars = {
        {"TEMP", "C:\\Temp"}, {"SELF", "%SELF%x"}, {"P", "50%"}, {"A", "%B%"}, {"B", "bee"}};
    auto lookup = [&](const std::string& n) {
        auto it = vars.find(n);
        return it == vars.end() ? std::string() : it->second;
    };
    const std::map<std::string, std::string> cases = {
        {"%TEMP%\\x", "C:\\Temp\\x"},
        {"%SELF%", "%SELF%x"}, // inserted text is not scanned again
        {"%A%", "%B%"},
        {"%UNDEF%\\y", "%UNDEF%\\y"}, // unresolved stays as written
        {"%%", "%%"},
        {"100%", "100%"},
        {"%P%%TEMP%", "50%C:\\Temp"},
        {"a%UNDEF%TEMP%b", "a%UNDEF%TEMP%b"},
        {"\xff%TEMP%\xff", "\xff"
                           "C:\\Temp\xff"}, // byte 255 is ordinary text
        {"", ""}};
    for (const auto& [in, out] : cases) EXPECT_EQ(ExpandPercentText(in, lookup), out) << in;
}

TEST(RegText, EnvironmentAppendAndRemove) {
    struct Append {
        const char* name;
        const char* current;
        const char* addition;
        const char* result;
    } appends[] = {{"PATH", "C:\\A;c:\\tools", "C:\\Tools", "C:\\A;c:\\tools"},
                   {"PATH", "C:\\A", "C:\\Tools", "C:\\A;C:\\Tools"},
                   {"Path", "C:\\A;", "C:\\Tools", "C:\\A;C:\\Tools"},
                   {"PATH", "C:\\Tools2", "C:\\Tools", "C:\\Tools2;C:\\Tools"},
                   {"PATH", "", "C:\\Tools", "C:\\Tools"},
                   {"VAR", "AB", "B", "AB"},
                   {"VAR", "AB", "C", "ABC"},
                   {"VAR", "", "C", "C"}};
    for (const Append& a : appends)
        EXPECT_EQ(AppendEnvironmentText(a.name, a.current, a.addition), a.result)
            << a.name << "=" << a.current << " + " << a.addition;

    struct Remove {
        const char* name;
        const char* current;
        const char* part;
        bool ok;
        const char* rest;
    } removes[] = {{"PATH", "C:\\A;C:\\Tools;C:\\B", "C:\\Tools", true, "C:\\A;C:\\B"},
                   {"PATH", "C:\\Tools2;C:\\Tools", "C:\\Tools", true, "C:\\Tools2"},
                   {"PATH", "C:\\Tools;C:\\Tools2", "c:\\tools", true, "C:\\Tools2"},
                   {"PATH", "C:\\Tools2", "C:\\Tools", false, "C:\\Tools2"},
                   {"PATH", "C:\\Tools", "C:\\Tools", true, ""},
                   {"PATH", ";C:\\A;;C:\\Tools;", "C:\\Tools", true, ";C:\\A"},
                   {"PATH", "C:\\A; C:\\Tools ;C:\\B", "C:\\Tools", true, "C:\\A;C:\\B"},
                   {"PATH", "C:\\A", "", false, "C:\\A"},
                   {"VAR", "ABC", "b", true, "AC"},
                   {"VAR", " X Y", "Y", true, "X"},
                   {"VAR", "ABC", "D", false, "ABC"},
                   {"VAR", "ABC", "", false, "ABC"}};
    for (const Remove& r : removes) {
        std::string rest;
        EXPECT_EQ(RemoveEnvironmentText(r.name, r.current, r.part, rest), r.ok)
            << r.name << "=" << r.current << " - " << r.part;
        EXPECT_EQ(rest, r.rest) << r.name << "=" << r.current << " - " << r.part;
    }
}

TEST(RegText, AutoexecSetLines) {
    struct Case {
        const char* before;
        const char* name;
        const char* value;
        bool changed;
        const char* after;
    } cases[] = {
        {"@ECHO OFF\r\n", "ZK", "1", true, "@ECHO OFF\r\nSET ZK=1\r\n"},
        {"@ECHO OFF\r\nset  zk = old\r\nREM x\r\nSET ZK=2\r\n", "ZK", "new", true,
         "@ECHO OFF\r\nREM x\r\nSET ZK=new\r\n"},
        {"@ECHO OFF\r\nSET ZK=1\r\n", "ZK", "", true, "@ECHO OFF\r\n"},
        {"@ECHO OFF\r\nSET ZKX=1\r\n", "ZK", "", false, "@ECHO OFF\r\nSET ZKX=1\r\n"},
        {"SET PATH=C:\\A\n", "PATH", "C:\\A;C:\\B", true, "SET PATH=C:\\A;C:\\B\r\n"},
        {"", "ZK", "a\r\nDEL C:\\x", true, "SET ZK=aDEL C:\\x\r\n"}, // no line of its own
        {"", "Z\nK", "1", true, "SET ZK=1\r\n"},
    };
    for (const Case& c : cases) {
        std::string text = c.before;
        EXPECT_EQ(EditAutoexecSet(text, c.name, c.value), c.changed) << c.before;
        EXPECT_EQ(text, c.after) << c.before;
    }
}

TEST(RegText, ExtensionsAndOpenCommands) {
    const std::map<std::string, std::string> ext = {
        {"txt", ".txt"}, {".txt", ".txt"}, {"..txt", ".txt"}, {" .txt ", ".txt"},
        {".", ""},       {"", ""},         {". txt", ".txt"}};
    for (const auto& [in, out] : ext) EXPECT_EQ(NormalizeExtension(in), out) << in;

    const std::map<std::string, std::string> commands = {
        {"C:\\App\\app.exe", "\"C:\\App\\app.exe\" \"%1\""},
        {"\"C:\\App\\app.exe\" \"%1\"", "\"C:\\App\\app.exe\" \"%1\""},
        {"C:\\App\\app.exe %1", "\"C:\\App\\app.exe %1\""},
        {"\"C:\\Program Files\\a.exe\" /o", "\"C:\\Program Files\\a.exe\" /o \"%1\""}};
    for (const auto& [in, out] : commands) EXPECT_EQ(QuoteOpenCommand(in), out) << in;

    EXPECT_EQ(OpenWithExtensionList("*.txt; .log,doc"),
              (std::vector<std::string>{".txt", ".log", ".doc"}));
    EXPECT_EQ(OpenWithExtensionList(" ; *.* ,, ..x"), (std::vector<std::string>{".x"}));
    EXPECT_EQ(OpenWithExtensionList(""), std::vector<std::string>{});
}
