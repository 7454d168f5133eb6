#include "ExecDll.h"

#include <gtest/gtest.h>

#include <vector>

#include "TestEnv.h"

using namespace zk;

namespace {

const char kDll[] = "zk_execdll.dll";

Text LastCall() {
    char buf[1024] = {};
    DWORD n = GetEnvironmentVariableA("ZK_EXECDLL_LAST", buf, sizeof buf);
    SetEnvironmentVariableA("ZK_EXECDLL_LAST", nullptr);
    return n < sizeof buf ? Text(buf, n) : Text();
}

TExecDll LoadedBinding() {
    TExecDll dll(GetDesktopWindow());
    dll.LoadDllAliases(zktest::BinDir() + "\\" + kDll, true, false);
    return dll;
}

} // namespace

TEST(ExecDll, CollectsEachNonEmptyAliasOnceWithItsEntry) {
    TExecDll dll = LoadedBinding();
    EXPECT_EQ(dll.ConditionAliases, std::vector<Text>({"Fixture Check"}));
    // The buffer is cleared before each call: entries that leave it alone add nothing.
    EXPECT_EQ(dll.ExecutionAliases,
              std::vector<Text>({"Fixture Op", "Missing Op", "Condition Op", "fixture op"}));
    const Text path = zktest::BinDir() + "\\" + kDll;
    ASSERT_EQ(dll.DllAliasMap.size(), 5u);
    EXPECT_EQ(dll.DllAliasMap[0], "Fixture Check=|" + path + "|GetCondition_3|");
    EXPECT_EQ(dll.DllAliasMap[4], "fixture op=|" + path + "|SetExecution_6|");
    EXPECT_TRUE(dll.HasDllAliases());
    // Loading again without clearing appends; with clearing starts over.
    dll.LoadDllAliases(path, false, false);
    EXPECT_EQ(dll.DllAliasMap.size(), 10u);
    dll.LoadDllAliases(path, true, false);
    EXPECT_EQ(dll.DllAliasMap.size(), 5u);
}

TEST(ExecDll, CallsRunTheFirstEntryAndOnlyOneCountsAsTrue) {
    TExecDll dll = LoadedBinding();
    struct Case {
        const char* alias;
        const char* t1;
        bool result;
        const char* call;
    };
    const Case cases[] = {
        {"Fixture Check", "one", true, "GetCondition_3|1|4|one|r|v"},
        {"FIXTURE CHECK", "two", false, "GetCondition_3|1|4|two|r|v"}, // 2 is not true
        {"Fixture Op", "one", true, "SetExecution_1|1|4|one|r|(none)"},
        {"fixture OP", "one", true, "SetExecution_1|1|4|one|r|(none)"}, // first wins
        {"Condition Op", "one", true, "SetExecution_4|1|4|one|r|(none)"},
        {"Nobody", "one", false, ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(dll.CallDllAlias(4, c.alias, c.t1, "r", "v"), c.result) << c.alias;
        EXPECT_EQ(LastCall(), c.call) << c.alias;
    }
}

TEST(ExecDll, MissingLibraryGivesNoAliases) {
    // Calls that fail with a box are in the end-to-end tests.
    TExecDll none(nullptr);
    none.LoadDllAliases(zktest::BinDir() + "\\not_there.dll", true, false);
    none.LoadDllAliases("", false, false);
    EXPECT_FALSE(none.HasDllAliases());
    EXPECT_FALSE(none.CallDllAlias(1, "Fixture Op", "one", "", ""));
}

TEST(ExecDll, TheLibraryComesFromTheEnginesFolderByNameOnly) {
    const Text scratch = zktest::ScratchDir("ExecDllFolder");
    const Text bytes = zktest::ReadBytes(zktest::BinDir() + "\\" + kDll);
    ASSERT_FALSE(bytes.empty());
    ASSERT_TRUE(zktest::WriteBytes(scratch + "\\planted.dll", bytes));
    char cwd[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, cwd);
    SetCurrentDirectoryA(scratch.c_str());
    struct Case {
        Text path;
        size_t aliases;
    };
    const Case cases[] = {
        {scratch + "\\planted.dll", 0}, // a folder of its own is not used
        {"planted.dll", 0},             // neither is the current folder
        {"C:\\elsewhere\\" + Text(kDll), 5},
        {Text(kDll), 5},
    };
    for (const Case& c : cases) {
        TExecDll dll(nullptr);
        dll.LoadDllAliases(c.path, true, false);
        EXPECT_EQ(dll.DllAliasMap.size(), c.aliases) << c.path;
    }
    SetCurrentDirectoryA(cwd);
    EXPECT_EQ(ExecDllLocation("C:\\a\\"), "");
    zktest::RemoveScratch(scratch);
}

TEST(ExecDll, ErrorTexts) {
    EXPECT_EQ(DllNotFoundText("C:\\s\\x.dll"), "C:\\s\\x.dll\\\\n\\\\nDLL File Not Found!");
    EXPECT_EQ(DllFunctionNotFoundText("SetExecution_2", "C:\\s\\x.dll"),
              "Function: \"SetExecution_2\"\\\\n\\\\nNot Found in Library: \"C:\\s\\x.dll\"");
}
