// Whole execute items on the machine: real conditions and operations in a folder of the
// test's own, the extension DLL through the engine, and the logs they leave.
#include "Exec.h"

#include <gtest/gtest.h>

#include "Common.h"
#include "ExecItemBuilder.h"
#include "TestEnv.h"

using namespace zk;
using zktest::BuildExecItem;
using zktest::ExecItemDef;

namespace {

struct ItemResult {
    bool result;
    bool exitRequest;
    Text log;
};

ItemResult RunItem(const ExecItemDef& def, int stage = 1, TExecDll* dll = nullptr) {
    ItemResult r{};
    r.result = RunExecuteItem(dll, BuildExecItem(def), stage, r.exitRequest, r.log);
    return r;
}

class ExecItems : public ::testing::Test {
  protected:
    void SetUp() override { dir = zktest::ScratchDir("ExecItems"); }
    void TearDown() override { zktest::RemoveScratch(dir); }
    Text dir;
};

} // namespace

TEST_F(ExecItems, GoldenLogOfAConditionalItemThatCopiesAndAppends) {
    zktest::WriteBytes(dir + "\\in.txt", "data");
    CreateDirectoryA((dir + "\\out").c_str(), nullptr);
    ExecItemDef s;
    s.name = "Prepare files";
    s.stage = " after copy ";
    s.cond[0] = {"", "File Found", dir + "\\in.txt", "", ""};
    s.join[0] = "2";
    s.cond[1] = {"1", "Directory Found", dir + "\\missing", "", ""};
    s.slot[0] = {"1", "Copy File(s)", dir + "\\in.txt", dir + "\\out\\in.bak", ""};
    s.slot[1] = {"1", "Append Text to a File", dir + "\\out\\in.bak", "\\\\nmore", ""};
    s.slot[2] = {"1", "Delete File(s)", dir + "\\in.txt", "", ""};
    ItemResult r = RunItem(s, 3);
    EXPECT_TRUE(r.result);
    EXPECT_FALSE(r.exitRequest);
    EXPECT_EQ(zktest::ReadBytes(dir + "\\out\\in.bak"), "data\r\nmore");
    EXPECT_TRUE(zktest::Exists(dir + "\\in.txt")); // the ELSE slot did not run
    EXPECT_EQ(r.log, "  Prepare files\r\n"
                     "    IF File Found  " +
                         dir +
                         "\\in.txt  (TRUE)\r\n"
                         "    or\r\n"
                         "    IF NOT Directory Found  " +
                         dir +
                         "\\missing  (TRUE)\r\n"
                         "      Result: TRUE\r\n"
                         "\r\n"
                         "    THEN Copy File(s) (" +
                         dir + "\\in.txt," + dir +
                         "\\out\\in.bak)  (TRUE)\r\n"
                         "    THEN Append Text to a File (" +
                         dir + "\\out\\in.bak)  (TRUE)\r\n");
}

TEST_F(ExecItems, GoldenLogOfTheElseBranchWithAFailingOperation) {
    ExecItemDef s;
    s.name = "Old version";
    s.cond[0] = {"", "File Version is", zktest::BinDir() + "\\zkver_comma.dll", ">", "1.2.3.4"};
    s.slot[2] = {"1", "Rename Directory", dir + "\\missing", "other", ""};
    s.slot[3] = {"1", "Remove Directory", dir + "\\missing", "ignored", ""};
    ItemResult r = RunItem(s);
    EXPECT_FALSE(r.result);
    EXPECT_EQ(r.log, "  Old version\r\n"
                     "    IF File Version is  " +
                         zktest::BinDir() +
                         "\\zkver_comma.dll > 1.2.3.4  (FALSE)\r\n"
                         "      Result: FALSE\r\n"
                         "\r\n"
                         "    ELSE Rename Directory (" +
                         dir +
                         "\\missing,other)  (FALSE)\r\n"
                         "    ELSE Remove Directory (" +
                         dir + "\\missing)  (FALSE)\r\n");
}

TEST_F(ExecItems, WhileLoopsGrowAFile) {
    const Text f = dir + "\\grow.txt";
    struct Case {
        const char* count;
        const char* content; // of the file after the loop
        int conditionLines;
    };
    const Case cases[] = {
        {"3", "xxx+", 3},  // the count ends it: three passes, conditions asked three times
        {"0", "xxxx+", 5}, // no limit: ends at the first pass whose condition is false
        {"10", "xxxx+", 5},
    };
    for (const Case& c : cases) {
        DeleteFileA(f.c_str());
        zktest::WriteBytes(f, "");
        ExecItemDef s;
        s.kind = "While Loop", s.count = c.count, s.delay = "1";
        s.cond[0] = {"1", "Text Found in File", f, "", "xxxx"};
        s.slot[0] = {"1", "Append Text to a File", f, "x", ""};
        s.slot[3] = {"1", "Append Text to a File", f, "+", ""};
        ItemResult r = RunItem(s);
        EXPECT_TRUE(r.result);
        EXPECT_EQ(zktest::ReadBytes(f), c.content) << c.count;
        int lines = 0;
        for (size_t p = r.log.find("    IF NOT"); p != Text::npos;
             p = r.log.find("    IF NOT", p + 1))
            ++lines;
        EXPECT_EQ(lines, c.conditionLines) << c.count << r.log;
        EXPECT_NE(r.log.find("    AND THEN Append Text to a File (" + f + ")  (TRUE)\r\n"),
                  Text::npos)
            << r.log;
    }
}

TEST_F(ExecItems, ExitEndsALoopWithoutLimitAndReachesTheHost) {
    const Text f = dir + "\\exit.txt";
    ExecItemDef s;
    s.kind = "While Loop", s.count = "0";
    s.cond[0] = {"1", "File Found", dir + "\\never", "", ""};
    s.slot[0] = {"1", "Append Text to a File", f, "x", ""};
    s.slot[1] = {"1", "Exit", "", "", ""};
    s.slot[2] = {"1", "Append Text to a File", f, "after", ""};
    ItemResult r = RunItem(s);
    EXPECT_TRUE(r.exitRequest);
    EXPECT_EQ(zktest::ReadBytes(f), "xafter");
    EXPECT_TRUE(r.result); // slot 4 disabled
}

TEST_F(ExecItems, ExtensionDllThroughTheEngine) {
    TExecDll dll(GetDesktopWindow());
    dll.LoadDllAliases(zktest::BinDir() + "\\zk_execdll.dll", true, false);
    ExecItemDef s;
    s.name = "Own";
    s.stage = "Before Custom";
    s.cond[0] = {"", "Fixture Check", "one", "=", "v"};
    s.slot[0] = {"1", "Fixture Op", "two", "second", "third"};
    s.slot[1] = {"1", "fixture op", "one", "p2", ""};
    ItemResult r = RunItem(s, 9, &dll);
    EXPECT_TRUE(r.result);
    char last[512] = {};
    GetEnvironmentVariableA("ZK_EXECDLL_LAST", last, sizeof last);
    EXPECT_STREQ(last, "SetExecution_1|1|9|one|p2|(none)"); // the first alias collected
    EXPECT_EQ(r.log, "  Own\r\n"
                     "    IF Fixture Check  one  (TRUE)\r\n"
                     "      Result: TRUE\r\n"
                     "\r\n"
                     "    THEN Fixture Op (two,third)  (FALSE)\r\n"
                     "    THEN fixture op (one)  (TRUE)\r\n");
    // Without a binding the same names are unknown: false condition, operations do nothing.
    r = RunItem(s, 9);
    EXPECT_NE(r.log.find("    IF Fixture Check  one  (FALSE)\r\n"), Text::npos) << r.log;
    EXPECT_TRUE(r.result);
    // Another stage: nothing runs.
    r = RunItem(s, 10, &dll);
    EXPECT_TRUE(r.result);
    EXPECT_EQ(r.log, "");
}

TEST_F(ExecItems, FolderMacrosExpandInParametersAndValuesButNotInTheRelation) {
    SetInstallFolders(dir, "", "");
    zktest::WriteBytes(dir + "\\in.txt", "data");
    ExecItemDef s;
    s.name = "Macros";
    s.cond[0] = {"", "File Version is", "<InstallDir>in.txt", "<InstallDir>", "<InstallDir>"};
    s.slot[2] = {"1", "Copy File(s)", "<InstallDir>in.txt", "<InstallDir>copy.txt", ""};
    ItemResult r = RunItem(s);
    EXPECT_TRUE(r.result);
    EXPECT_EQ(zktest::ReadBytes(dir + "\\copy.txt"), "data");
    EXPECT_EQ(r.log, "  Macros\r\n"
                     "    IF File Version is  " +
                         dir + "\\in.txt <InstallDir> " + dir +
                         "\\  (FALSE)\r\n"
                         "      Result: FALSE\r\n"
                         "\r\n"
                         "    ELSE Copy File(s) (" +
                         dir + "\\in.txt," + dir + "\\copy.txt)  (TRUE)\r\n");
    SetInstallFolders("", "", "");
}
