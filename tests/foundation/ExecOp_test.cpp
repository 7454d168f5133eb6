#include "ExecOp.h"

#include <windows.h>

#include <gtest/gtest.h>

#include "ExecHost.h"
#include "TestEnv.h"

using namespace zk;

namespace {

bool Perform(int id, const Text& p1, const Text& p2 = "", const Text& p3 = "") {
    bool exitRequest = false;
    return PerformOperationId(id, p1, p2, p3, exitRequest);
}

} // namespace

TEST(ExecOperationText, ShowCommandsAttributesEscapesAndIniItems) {
    struct Show {
        const char* name;
        int cmd;
    };
    const Show shows[] = {
        {"SW_HIDE", 0}, {"sw_shownormal", 1}, {"SW_SHOWDEFAULT", 10}, {"SW_RESTORE", 9},
        {"", 5},        {"SW_SHOW ", 5},      {"SW_MINIMIZE", 6}};
    for (const Show& s : shows) EXPECT_EQ(ShowCommandFromName(s.name), s.cmd) << s.name;

    struct Attr {
        const char* text;
        uint32_t attributes;
    };
    const Attr attrs[] = {{"Normal", 0x80},
                          {"readonly+hidden", 0x03},
                          {"System;Archive", 0x24},
                          {"Normal ReadOnly", 0x81},
                          {"", 0},
                          {"plain", 0}};
    for (const Attr& a : attrs) EXPECT_EQ(FileAttributesFromText(a.text), a.attributes) << a.text;

    EXPECT_EQ(ExpandAppendEscapes("a\\\\nb\\\\tc\\n"), "a\r\nb\tc\\n"); // one backslash stays
    Text key, value;
    SplitIniItem("Mode=Fast", key, value);
    EXPECT_EQ(key + "|" + value, "Mode|Fast");
    SplitIniItem("Fast", key, value);
    EXPECT_EQ(key + "|" + value, "|Fast");
    SplitIniItem("a=b=c", key, value);
    EXPECT_EQ(key + "|" + value, "a|b=c");
}

TEST(ExecOperationText, ReplaceTextNeverSearchesWhatItInserted) {
    struct Case {
        const char* text;
        const char* search;
        const char* replacement;
        bool replaced;
        const char* result;
    };
    const Case cases[] = {
        {"a b a", "!!a", "a a", true, "a a b a a"},
        {"aaa", "a", "aa", true, "aaaaaa"},
        {"Hello hello", "!hello", "Bye", true, "Bye Bye"},
        {"swords word", "!!word", "x", true, "swords x"},
        {"xyz", "q", "r", false, "xyz"},
        {"a  b", "!!", "X", false, "a  b"}, // empty once the marks are gone
        {"a  b", "!", "X", false, "a  b"},
        {"abc", "c", "", true, "ab"},
    };
    for (const Case& c : cases) {
        Text t = c.text;
        EXPECT_EQ(ReplaceTextInText(t, c.search, c.replacement), c.replaced) << c.text;
        EXPECT_EQ(t, c.result) << c.text << " / " << c.search;
    }
}

TEST(ExecOperations, FoldersAndWorkingFolder) {
    const Text dir = zktest::ScratchDir("ExecOpFolders");
    CreateDirectoryA((dir + "\\empty").c_str(), nullptr);
    CreateDirectoryA((dir + "\\full").c_str(), nullptr);
    zktest::WriteBytes(dir + "\\full\\f.txt", "x");
    EXPECT_TRUE(Perform(21, dir + "\\empty"));
    EXPECT_FALSE(zktest::Exists(dir + "\\empty"));
    EXPECT_FALSE(Perform(21, dir + "\\full")); // only an empty folder goes
    EXPECT_TRUE(zktest::Exists(dir + "\\full\\f.txt"));
    EXPECT_FALSE(Perform(21, ""));

    char cwd[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, cwd);
    EXPECT_TRUE(Perform(23, dir + "\\full"));
    EXPECT_TRUE(zktest::Exists("f.txt"));
    EXPECT_FALSE(Perform(23, dir + "\\missing"));
    EXPECT_FALSE(Perform(23, ""));
    SetCurrentDirectoryA(cwd);
    zktest::RemoveScratch(dir);
}

TEST(ExecOperations, HostActionsWaitAndExit) {
    SetExecHostCallbacks(nullptr, nullptr);
    EXPECT_TRUE(Perform(27, "Custom")); // no host: nothing to do, reported done
    Text seen;
    SetExecHostCallbacks(
        [&](const Text& a, const Text& x, const Text& y, const Text& z) {
            seen += a + "(" + x + "," + y + "," + z + ")";
            return x != "Partial";
        },
        nullptr);
    EXPECT_TRUE(Perform(26, "Common Folder", "C:\\Shared", "ignored"));
    EXPECT_FALSE(Perform(27, "Partial", "ignored"));
    EXPECT_EQ(seen, "SetFolderTo(Common Folder,C:\\Shared,)SetStupType(Partial,,)");
    SetExecHostCallbacks(nullptr, nullptr);

    DWORD start = GetTickCount();
    EXPECT_TRUE(Perform(92, "120"));
    EXPECT_GE(GetTickCount() - start, 100u);
    start = GetTickCount();
    EXPECT_TRUE(Perform(92, "soon"));
    EXPECT_TRUE(Perform(92, "-5"));
    EXPECT_LT(GetTickCount() - start, 1000u);

    bool exitRequest = false;
    EXPECT_TRUE(PerformOperationId(99, "", "", "", exitRequest));
    EXPECT_TRUE(exitRequest);
    EXPECT_FALSE(PerformOperationId(10, "", "", "", exitRequest)); // not an operation id
}
