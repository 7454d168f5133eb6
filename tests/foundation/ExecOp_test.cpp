#include "ExecOp.h"

#include <windows.h>

#include <gtest/gtest.h>

#include "ExecCond.h"
#include "ExecCondStr.h"
#include "ExecHost.h"
#include "FileFlags.h"
#include "UtilPlus.h"
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
        {"x\ta\r\na", "!!a", "b", true, "x\tb\r\nb"}, // control characters part words
        {"A a aA", "!!!a", "b", true, "b b aA"},
        {"abab", "ab", "", true, ""},
    };
    for (const Case& c : cases) {
        Text t = c.text;
        EXPECT_EQ(ReplaceTextInText(t, c.search, c.replacement), c.replaced) << c.text;
        EXPECT_EQ(t, c.result) << c.text << " / " << c.search;
    }
}

TEST(ExecOperations, FileMasks) {
    const Text d = zktest::ScratchDir("ExecOpFiles");
    auto put = [&](const char* name, const char* bytes) {
        zktest::WriteBytes(d + "\\" + name, bytes);
    };
    auto has = [&](const char* name) { return zktest::Exists(d + "\\" + name); };
    CreateDirectoryA((d + "\\A").c_str(), nullptr);
    put("A\\a.txt", "a"), put("A\\b.txt", "b"), put("A\\c.log", "c");
    struct Case {
        int id;
        const char* p1;
        const char* p2;
        bool result;
    };
    const Case cases[] = {
        {12, "A\\*.txt", "B\\*.bak", true}, // target folder made
        {12, "A\\none.*", "B", false},
        {14, "B\\*.bak", "B\\*.old", true},
        {14, "B\\*.none", "B\\*.x", false},
        {15, "B\\a.old", "ReadOnly Hidden", true}, // Wine keeps only ReadOnly here
        {15, "B\\*.none", "Normal", false},
        {11, "B\\b.old", "", true},
        {11, "B\\b.old", "", false}, // nothing left to match
        {24, "A", "T\\Copy", true},
        {25, "T\\Copy", "Renamed", true}, // a bare name stays beside the source
        {25, "T\\Missing", "Other", false},
        {25, "T\\Renamed", "", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(
            Perform(c.id, d + "\\" + c.p1, *c.p2 && c.id != 25 ? d + "\\" + c.p2 : Text(c.p2)),
            c.result)
            << c.id << " " << c.p1;
    EXPECT_TRUE(has("B\\a.bak") == false && has("B\\a.old") && !has("B\\b.old"));
    EXPECT_EQ(GetFileAttributesA((d + "\\B\\a.old").c_str()) & 0x1u, 0x1u);
    EXPECT_TRUE(has("T\\Renamed\\c.log"));
    EXPECT_FALSE(has("T\\Copy"));
    SetFileAttributesA((d + "\\B\\a.old").c_str(), FILE_ATTRIBUTE_NORMAL);
    zktest::RemoveScratch(d);
}

TEST(ExecOperations, MoveDeletesOnlySourcesWhoseOwnCopyArrived) {
    const Text d = zktest::ScratchDir("ExecOpMove");
    CreateDirectoryA((d + "\\A").c_str(), nullptr);
    CreateDirectoryA((d + "\\B").c_str(), nullptr);
    zktest::WriteBytes(d + "\\A\\a.txt", "a");
    zktest::WriteBytes(d + "\\A\\b.txt", "b");
    zktest::WriteBytes(d + "\\A\\k.txt", "k");
    zktest::WriteBytes(d + "\\B\\k.txt", "locked target");
    SetFileAttributesA((d + "\\B\\k.txt").c_str(), FILE_ATTRIBUTE_READONLY);
    EXPECT_FALSE(Perform(13, d + "\\A\\*.none", d + "\\B"));
    EXPECT_TRUE(Perform(13, d + "\\A\\*.txt", d + "\\B"));
    EXPECT_FALSE(zktest::Exists(d + "\\A\\a.txt"));
    EXPECT_EQ(zktest::ReadBytes(d + "\\B\\b.txt"), "b");
    EXPECT_EQ(zktest::ReadBytes(d + "\\A\\k.txt"), "k"); // its copy failed: kept
    SetFileAttributesA((d + "\\B\\k.txt").c_str(), FILE_ATTRIBUTE_NORMAL);
    // Several sources onto one file name: only the one whose bytes are there goes.
    // A target held open is not written: its source stays, also when both read as nothing.
    zktest::WriteBytes(d + "\\A\\e.log", "");
    zktest::WriteBytes(d + "\\A\\f.log", "f");
    zktest::WriteBytes(d + "\\B\\e.log", "old");
    {
        HANDLE held = CreateFileA((d + "\\B\\e.log").c_str(), GENERIC_READ, 0, nullptr,
                                  OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(held, INVALID_HANDLE_VALUE);
        EXPECT_TRUE(Perform(13, d + "\\A\\*.log", d + "\\B"));
        CloseHandle(held);
    }
    EXPECT_TRUE(zktest::Exists(d + "\\A\\e.log"));
    EXPECT_EQ(zktest::ReadBytes(d + "\\B\\e.log"), "old");
    EXPECT_FALSE(zktest::Exists(d + "\\A\\f.log"));
    EXPECT_EQ(zktest::ReadBytes(d + "\\B\\f.log"), "f");
    zktest::WriteBytes(d + "\\A\\m1.dat", "one");
    zktest::WriteBytes(d + "\\A\\m2.dat", "two");
    EXPECT_TRUE(Perform(13, d + "\\A\\*.dat", d + "\\B\\all.dat"));
    const Text kept = zktest::ReadBytes(d + "\\B\\all.dat");
    EXPECT_TRUE(zktest::Exists(d + "\\A\\m1.dat") != zktest::Exists(d + "\\A\\m2.dat"));
    EXPECT_EQ(zktest::Exists(d + "\\A\\m1.dat") ? "two" : "one", kept);
    zktest::RemoveScratch(d);
}

TEST(ExecOperations, AppendAndReplaceText) {
    const Text d = zktest::ScratchDir("ExecOpText");
    const Text f = d + "\\t.txt";
    EXPECT_TRUE(Perform(75, f, "a b a"));
    EXPECT_TRUE(Perform(75, f, "\\\\nx\\\\ty"));
    EXPECT_EQ(zktest::ReadBytes(f), "a b a\r\nx\ty");
    EXPECT_TRUE(Perform(76, f, "!!a", "a a"));
    EXPECT_EQ(zktest::ReadBytes(f), "a a b a a\r\nx\ty");
    EXPECT_FALSE(Perform(76, f, "zzz", "q"));
    EXPECT_FALSE(Perform(76, f, "!!", "q")); // empty search text: not found, file untouched
    EXPECT_EQ(zktest::ReadBytes(f), "a a b a a\r\nx\ty");
    EXPECT_FALSE(Perform(76, d + "\\missing.txt", "a", "b"));
    EXPECT_FALSE(zktest::Exists(d + "\\missing.txt"));
    EXPECT_FALSE(Perform(75, "", "x"));

    // A read-only file stays read-only, and is changed.
    ASSERT_TRUE(SetFileAttributesA(f.c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN));
    const DWORD before = GetFileAttributesA(f.c_str());
    EXPECT_TRUE(Perform(76, f, "x", "z"));
    EXPECT_EQ(zktest::ReadBytes(f), "a a b a a\r\nz\ty");
    EXPECT_EQ(GetFileAttributesA(f.c_str()), before);
    SetFileAttributesA(f.c_str(), FILE_ATTRIBUTE_NORMAL);

    // One pass: 200,000 whole words in 400 KB, and 5,000 case-blind ones in 2 MB.
    auto repeat = [](const Text& piece, size_t times) {
        Text out;
        for (size_t i = 0; i < times; ++i) out += piece;
        return out;
    };
    struct Load {
        Text text, search;
    } loads[] = {{repeat("ab ", 200000), "!!ab"}, {repeat(Text(399, 'x') + "Q", 5000), "!q"}};
    for (const Load& l : loads) {
        ASSERT_TRUE(zktest::WriteBytes(f, l.text));
        const DWORD start = GetTickCount();
        EXPECT_TRUE(Perform(76, f, l.search, "cd"));
        EXPECT_LT(GetTickCount() - start, 3000u) << l.search;
    }
    zktest::RemoveScratch(d);
}

TEST(ExecOperations, SpaceRequired) {
    SetSpaceBase(SpaceMegabytes, 2);
    EXPECT_TRUE(Perform(81, "15.5"));
    EXPECT_DOUBLE_EQ(static_cast<double>(GetSpaceRequired(SpaceMegabytes)), 15.5);
    EXPECT_TRUE(Perform(82, "0.5"));
    EXPECT_DOUBLE_EQ(static_cast<double>(GetSpaceRequired(SpaceMegabytes)), 16);
    EXPECT_TRUE(Perform(82, "lots")); // reported done, nothing added
    EXPECT_DOUBLE_EQ(static_cast<double>(GetSpaceRequired(SpaceMegabytes)), 16);
    EXPECT_TRUE(Perform(81, "!"));
    EXPECT_DOUBLE_EQ(static_cast<double>(GetSpaceRequired(SpaceMegabytes)), 2);
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
    // A host with a variable reader only (the uninstall window) changes nothing either.
    SetExecHostCallbacks(nullptr, [](const Text&) { return Text("Compact"); });
    EXPECT_TRUE(Perform(27, "Custom"));
    EXPECT_TRUE(Perform(26, "Common Folder", "C:\\x"));
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

TEST(ExecOperations, IniItems) {
    const Text d = zktest::ScratchDir("ExecOpIni");
    const Text ini = d + "\\app.ini";
    EXPECT_TRUE(Perform(71, ini, "Main", "Mode=Fast"));
    EXPECT_TRUE(Perform(71, ini, "Main", "Path=C:\\a=b"));
    EXPECT_TRUE(Perform(71, ini, "Other", "Fast")); // no "=": the value of an empty key
    EXPECT_EQ(IniReadString(ini, "Main", "Mode", "?"), "Fast");
    EXPECT_EQ(IniReadString(ini, "Main", "Path", "?"), "C:\\a=b");
    EXPECT_NE(zktest::ReadBytes(ini).find("[Other]\r\n=Fast"), Text::npos)
        << zktest::ReadBytes(ini);
    EXPECT_TRUE(Perform(72, ini, "Main", "Mode"));
    EXPECT_EQ(IniReadString(ini, "Main", "Mode", "gone"), "gone");
    EXPECT_EQ(IniReadString(ini, "Main", "Path", "?"), "C:\\a=b");
    EXPECT_FALSE(Perform(71, d + "\\missing\\app.ini", "Main", "Mode=Fast"));
    zktest::RemoveScratch(d);
}

TEST(ExecOperationTables, EveryIdOfTheTablesIsBuiltIn) {
    for (int row = ConditionTypeFirst(); row <= ConditionTypeLast(); ++row)
        EXPECT_TRUE(HasConditionTest(ConditionTypeId(row))) << ConditionTypeName(row);
    for (int row = OperationTypeFirst(); row <= OperationTypeLast(); ++row)
        EXPECT_TRUE(HasOperation(OperationTypeId(row))) << OperationTypeName(row);
    EXPECT_FALSE(HasConditionTest(-1));
    EXPECT_FALSE(HasOperation(-1));
}
