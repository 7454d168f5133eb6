#include "SScriptRead.h"

#include "Scramble.h"
#include "TestEnv.h"

#include <gtest/gtest.h>

#include <climits>

using namespace zk;

namespace {

const Text Box = "\\\\n\\\\nUnrecognized command in Script file";

struct Read {
    TScript script;
    TextList boxes;
};

Read ReadText(const Text& text) {
    Read r;
    ReadScriptText(r.script, text, [&](const Text& message) { r.boxes.push_back(message); });
    return r;
}

Text SampleScript(const char* name) {
    return zktest::ReadBytes(zktest::BinDir() + "\\setup_scripts\\" + name);
}

} // namespace

TEST(ScriptReader, LinesToSettingsAndBoxes) {
    struct Case {
        const char* name;
        Text script;
        Text progName;
        TextList boxes;
    } cases[] = {
        {"keyword folded and trimmed, argument untrimmed", "  set_prog_name ( X )  ", " X ", {}},
        {"quoted", "SET_PROG_NAME(\"abc\")", "abc", {}},
        {"a run of quotes loses one", "SET_PROG_NAME(\"a\"\"b\"\"\"\")", "a\"b\"\"\"", {}},
        {"two quotes give one", "SET_PROG_NAME(\"\")", "\"", {}},
        {"a leading blank keeps the quotes", "SET_PROG_NAME( \"X\" )", " \"X\" ", {}},
        {"unbalanced quote stays", "SET_PROG_NAME(\"X)", "\"X", {}},
        {"a ';' in the argument is kept", "SET_PROG_NAME(A;B)", "A;B", {}},
        {"';' tail", "SET_PROG_NAME(A;B);", "A;B", {}},
        {"';' remark", "SET_PROG_NAME(A) ; see below", "A", {}},
        {"';' remarks", "SET_PROG_NAME(A;B) ; one; two", "A;B", {}},
        {"a remark with parentheses", "SET_PROG_NAME(A) ; see (B)", "A", {}},
        {"a bare keyword's remark", "SET_SILENT_SETUP ; a; b\nSET_PROG_NAME(A)", "A", {}},
        {"a comment line with ';' in it", "; see a;b\r\n   ;SET_PROG_NAME(X)", "", {}},
        {"URL", "SET_PROG_NAME(http://x.example/a)", "http://x.example/a", {}},
        {"URL and remark", "SET_PROG_NAME(ftp://x.example/a) // remark", "ftp://x.example/a", {}},
        {"three slashes after a colon", "SET_PROG_NAME(a:///b)", "", {}},
        {"line comment", "// SET_PROG_NAME(X)\nSET_COMPANY_NAME(Y)", "", {}},
        {"block comment over three lines joins them",
         "SET_PROG_NAME(A/* one\r\ntwo\r\nthree */B)",
         "AB",
         {}},
        {"'/*/' is a whole comment", "/*/SET_PROG_NAME(X)", "X", {}},
        {"a seam forms a new comment", "SET_PROG_NAME(A//*x*/*y*/B)", "AB", {}},
        {"a stray '*/' before the first '/*'",
         "SET_PROG_NAME(X)\nSET_COMPANY_NAME(*/)\n/* SET_PROG_NAME(Y) */",
         "X",
         {}},
        {"unterminated block comment stays",
         "SET_PROG_NAME(X)\n/* SET_PROG_NAME(Y)",
         "X",
         {"/* SET_PROG_NAME(Y)" + Box}},
        {"'/*' in a line comment still opens a block",
         "// remark /*\nSET_PROG_NAME(Y)\n*/SET_PROG_NAME(X)",
         "",
         {}},
        {"repeated keyword: the last wins", "SET_PROG_NAME(A)\rSET_PROG_NAME(B)", "B", {}},
        {"NUL ends the text", Text("SET_PROG_NAME(A)\n\0SET_PROG_NAME(B)", 34), "A", {}},
        {"no ')': empty argument", "SET_PROG_NAME(A", "", {}},
        {"unrecognised lines, in order, as cut",
         "FOO(1) ; remark\nSET_PROG_NAME(A)\n(SET_PROG_NAME)\nSET_PROG_NAMEX",
         "A",
         {"FOO(1) " + Box, "(SET_PROG_NAME)" + Box, "SET_PROG_NAMEX" + Box}},
        {"a copy row before any group",
         "SET_COPY_FILES(1*a.dll)\nSET_PROG_NAME(A)",
         "A",
         {"SET_COPY_FILES(1*a.dll)" + Box}},
    };
    for (const Case& c : cases) {
        Read r = ReadText(c.script);
        EXPECT_EQ(r.script.GetProgName(), c.progName) << c.name;
        EXPECT_EQ(r.boxes, c.boxes) << c.name;
    }
}

TEST(ScriptReader, BareAndEmptyParenthesesAreTheSame) {
    for (const char* line : {"SET_SILENT_SETUP", "SET_SILENT_SETUP()", "Set_Silent_Setup ( 0 );"}) {
        Read r = ReadText(line);
        EXPECT_TRUE(r.script.GetSilentSetup()) << line;
        EXPECT_TRUE(r.boxes.empty()) << line;
    }
}

TEST(ScriptReader, CopyToUninstallBlockPassesLinesOn) {
    Read r = ReadText("SET_REMOVE_ABSOLUTE_FILE(C:\\a.txt)\r\n"
                      "SET_COPY_TO_UNINSTALL ; from here on\r\n"
                      "   Remove_File(\"C:\\b.txt\");  // remark\r\n"
                      "/* gone */\r\n"
                      "; a comment\r\n"
                      "SET_COPY_TO_UNINSTALL\r\n"
                      "SET_PROG_NAME(X)\r\n");
    EXPECT_EQ(r.script.GetUninstallLines(),
              (TextList{"REMOVE_FILE(C:\\a.txt)", "Remove_File(\"C:\\b.txt\");",
                        "SET_COPY_TO_UNINSTALL", "SET_PROG_NAME(X)"}));
    EXPECT_EQ(r.script.GetProgName(), "");
    EXPECT_TRUE(r.boxes.empty());
}

TEST(ScriptReader, ReadingStartsFromTheDefaults) {
    TScript s;
    ReadScriptText(s, "SET_PROG_NAME(A)\nSET_LANG_FLAG(2)\nSET_COPY_TO_UNINSTALL", {});
    ReadScriptText(s, "SET_COMPANY_NAME(B)", {});
    EXPECT_EQ(s.GetProgName(), "");
    EXPECT_EQ(s.GetLangFlag(), 1);
    EXPECT_FALSE(s.GetCopyToUninstall());
    EXPECT_EQ(s.GetCompanyName(), "B");
}

TEST(ScriptReader, SmallestIntegerOfTheFuzzCorpus) {
    TScript s;
    ReadScriptText(s, SampleScript("int_min.txt"), {});
    EXPECT_EQ(s.GetLangFlag(), INT_MIN);
}

TEST(ScriptReader, SampleScript) {
    const Text text = SampleScript("full.txt");
    ASSERT_FALSE(text.empty());
    Read r = ReadText(text);
    const TScript& s = r.script;
    EXPECT_TRUE(r.boxes.empty()) << r.boxes.front();
    EXPECT_EQ(s.GetProgName(), "Demo Writer");
    EXPECT_EQ(s.GetCompanyName(), "Demo \"Soft\" Ltd");
    EXPECT_EQ(s.GetCompanyUrl(), "http://www.demo-soft.example/writer");
    EXPECT_EQ(s.GetTargetDir(), "<ProgramFiles>\\Demo Writer");
    EXPECT_EQ(s.GetLangFlag(), 2);
    EXPECT_EQ(s.GetLangNames(), "|German|Hebrew|");
    EXPECT_TRUE(s.GetSilentSetup());
    EXPECT_TRUE(s.GetCreateUninstall());
    EXPECT_TRUE(s.GetScrambleUninstall());
    EXPECT_EQ(s.GetGlobalOverwriteFlag(), 2);
    EXPECT_TRUE(s.GetUsesCommonFolder());
    EXPECT_FALSE(s.GetUsesAuxiliaryFolder());
    ASSERT_EQ(s.GetFileGroups().size(), 3u);
    EXPECT_EQ(s.GetFileGroups()[0].row, "|Program|Program files|1200|3|800||1|1|1|1|");
    EXPECT_EQ(s.GetFileGroups()[0].entries,
              (TextList{"0|<TARGET_DIR>|1*Writer.exe|1*Writer.hlp|0*ReadMe.txt",
                        "3|<Common Folder>\\Shared|1*demo.dll"}));
    EXPECT_EQ(
        s.GetFileGroups()[1].entries,
        (TextList{"3|<TARGET_DIR>\\Samples|0*letter.txt|0*ReadMe.txt", "3|<TARGET_DIR>\\Empty|"}));
    EXPECT_TRUE(s.GetFileGroups()[2].entries.empty());
    EXPECT_EQ(s.GetExecuteItems(),
              TextList{"|UnConditional|Setup Start|Display Message|Hello; world|"});
    EXPECT_EQ(s.GetUninstallLines(),
              (TextList{"REMOVE_REG_KEY(HKEY_CURRENT_USER\\Software\\Demo)",
                        "FORCE_REMOVE_DIR(<TARGET_DIR>)", "REMOVE_FILE(<TARGET_DIR>\\Writer.ini);",
                        "DONT_REMOVE_DIR(\"<TARGET_DIR>\\Samples\")"}));
    TScript copy = s;
    EXPECT_TRUE(copy.ReleaseFileName("ReadMe.txt"));
    EXPECT_FALSE(copy.ReleaseFileName("README.TXT"));
    copy.SelectPage("CustomDlg");
    EXPECT_EQ(copy.GetPageIndex(), 4);
}

TEST(ScriptReader, ScrambledScriptReadsLikeItsPlainTwin) {
    const Text plain = SampleScript("full.txt");
    const Text expected = ReadText(plain).script.GetUninstallLines().back();
    bool sawNul = false, sawCr = false, sawLf = false;
    for (int key = 33; key <= 122; ++key) {
        // The rule is its own inverse: decoding marker + key + plain gives the payload.
        const Text head = Text(ScrambleMarker) + static_cast<char>(key);
        const Text scrambled = head + ScrambleText(head + plain, false);
        const Text payload = scrambled.substr(head.size());
        sawNul |= payload.find('\0') != Text::npos;
        sawCr |= payload.find('\r') != Text::npos;
        sawLf |= payload.find('\n') != Text::npos;
        Read r = ReadText(scrambled);
        ASSERT_TRUE(r.boxes.empty()) << key;
        EXPECT_EQ(r.script.GetProgName(), "Demo Writer") << key;
        EXPECT_EQ(r.script.GetFileGroups().size(), 3u) << key;
        EXPECT_EQ(r.script.GetUninstallLines().back(), expected) << key;
    }
    EXPECT_TRUE(sawNul && sawCr && sawLf) << "payloads held byte 0, CR and LF";
    EXPECT_EQ(ReadText(ScrambleText(plain, true)).script.GetProgName(), "Demo Writer");
}

TEST(ScriptReader, LoadFromFile) {
    const std::string dir = zktest::ScratchDir("script_load");
    const std::string path = dir + "\\Setup.txt";
    ASSERT_TRUE(zktest::WriteBytes(path, ScrambleText(SampleScript("comments.txt"), true)));
    TScript s;
    TextList boxes;
    auto sink = [&](const Text& message) { boxes.push_back(message); };
    EXPECT_TRUE(s.LoadFromFile(path, sink));
    EXPECT_EQ(s.GetProgName(), "Tool \"Pro\"\"") << "the closing run of three loses one";
    EXPECT_EQ(s.GetProgStamp(), "A;B");
    EXPECT_EQ(s.GetProgVersion(), "1.0 ");
    EXPECT_EQ(s.GetCompanyUrl(), "https://example.org/a/b");
    EXPECT_TRUE(s.GetSilentSetup());
    EXPECT_EQ(s.GetLangFlag(), 2);
    EXPECT_EQ(s.GetOverwriteFlag(), 0) << "0x1F is out of range";
    EXPECT_EQ(s.GetGlobalOverwriteFlag(), 1) << "'3 ' is not a number";
    ASSERT_EQ(s.GetFileGroups().size(), 1u);
    EXPECT_EQ(s.GetFileGroups()[0].entries, TextList{"0|<TARGET_DIR>\\bin|1*a.dll|2*b.dll"})
        << "a mask \"/*.dll*/\" is a block comment";
    EXPECT_EQ(s.GetUninstallLines(), TextList{"REMOVE_DIR(<TARGET_DIR>\\Data);"});
    EXPECT_EQ(boxes, (TextList{"SET_COPY_FILES(1*orphan.dll)" + Box, "UNKNOWN_COMMAND(1) " + Box}));

    boxes.clear();
    EXPECT_FALSE(s.LoadFromFile(dir + "\\Missing.txt", sink));
    EXPECT_EQ(s.GetProgName(), "") << "reset before reading";
    EXPECT_FALSE(s.LoadFromFile(dir, sink)) << "a folder is no script";
    ASSERT_TRUE(zktest::WriteBytes(path, ""));
    EXPECT_TRUE(s.LoadFromFile(path, sink));
    EXPECT_TRUE(boxes.empty());
    zktest::RemoveScratch(dir);
}
