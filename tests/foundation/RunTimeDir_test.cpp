#include "RunTimeDir.h"
#include "Common.h"
#include "TestEnv.h"
#include "WineDrive.h"
#include "UtilPlus.h"

#include <windows.h>
#include <shlwapi.h>

#include <gtest/gtest.h>

#include <map>
#include <vector>

using namespace zk;

namespace {

const char AppPaths[] = "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\";

// A definition of 18 fields from the ones a case sets.
std::string Def(const std::map<int, std::string>& fields) {
    std::string def = "|";
    for (int i = 0; i < 18; ++i) {
        auto f = fields.find(i);
        def += (f == fields.end() ? "" : f->second) + "|";
    }
    return def;
}

// App Paths entries of the test's own program names, gone at the end.
struct AppPathsFixture {
    std::vector<std::string> names;
    void Add(const std::string& name, const std::string& value) {
        names.push_back(name);
        ASSERT_TRUE(
            RegPathWriteString("HKEY_LOCAL_MACHINE\\" + std::string(AppPaths) + name, "", value));
    }
    ~AppPathsFixture() {
        for (const std::string& n : names) SHDeleteKeyA(HKEY_LOCAL_MACHINE, (AppPaths + n).c_str());
    }
};

std::vector<std::string> boxes;

struct RecordBoxes {
    RecordBoxes() {
        boxes.clear();
        SetRunTimeDirBox([](const Text& text) { boxes.push_back(text); });
    }
    ~RecordBoxes() { SetRunTimeDirBox(nullptr); }
};

} // namespace

TEST(RunTimeDir, EachSourceAndTheirPrecedence) {
    RecordBoxes record;
    AppPathsFixture apps;
    apps.Add("zkRtdQuoted.exe", "\"C:\\Program Files\\ZkRtd App\\zk.exe\"");
    apps.Add("zkRtdPlain.exe", "C:\\Tools\\Zk\\zk.exe");
    const std::string key = zktest::ScratchKey("RunTimeDir");
    ASSERT_TRUE(RegPathWriteString(key + "\\Default", "", "C:\\FromDefault\\"));
    ASSERT_TRUE(RegPathWriteString(key, "Folder", "C:\\FromValue"));
    DWORD number = 42;
    SHSetValueA(HKEY_CURRENT_USER, "Software\\ZkTest\\RunTimeDir", "Number", REG_DWORD, &number,
                sizeof number);

    std::string dir = zktest::ScratchDir("RunTimeDirFind");
    std::string deep = dir + "\\Product 7781\\bin";
    ASSERT_TRUE(CreateDirectoryA((dir + "\\Product 7781").c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryA(deep.c_str(), nullptr));
    ASSERT_TRUE(zktest::WriteBytes(deep + "\\zkrtd-7781.mark", "x"));

    struct Case {
        const char* what;
        std::map<int, std::string> fields;
        std::string folder;
    };
    const Case cases[] = {
        {"default only", {{12, "1"}, {13, "D:\\Data"}}, "D:\\Data"},
        {"App Paths in quotes", {{0, "1"}, {1, "zkRtdQuoted.exe"}}, "C:\\Program Files\\ZkRtd App"},
        {"App Paths", {{0, "1"}, {1, "zkrtdplain.EXE"}}, "C:\\Tools\\Zk"},
        {"key default", {{2, "1"}, {3, key + "\\Default"}}, "C:\\FromDefault"},
        {"key and value", {{2, "1"}, {3, key + "\\Folder"}}, "C:\\FromValue"},
        {"number value", {{2, "1"}, {3, key + "\\Number"}}, "42"},
        {"registry decides over App Paths",
         {{0, "1"},
          {1, "zkRtdPlain.exe"},
          {2, "1"},
          {3, key + "\\Missing"},
          {12, "1"},
          {13, "X:\\"}},
         "X:\\"},
        {"file step cuts what App Paths found",
         {{0, "1"}, {1, "zkRtdPlain.exe"}, {4, "1"}, {5, "zz.none"}, {6, "1"}},
         "C:\\Tools"},
        {"file on a fixed drive", {{4, "1"}, {5, "zkrtd-7781.mark"}, {6, "1"}}, deep},
        {"file by a relative path", {{4, "1"}, {5, "bin\\zkrtd-7781.mark"}, {6, "1"}}, deep},
        {"folder on a fixed drive",
         {{8, "1"}, {9, "RunTimeDirFind\\Product 7781"}, {10, "1"}},
         dir + "\\Product 7781"},
        {"file search without a drive type", {{4, "1"}, {5, "zkrtd-7781.mark"}}, ""},
        {"file on network drives only", {{4, "1"}, {5, "zkrtd-7781.mark"}, {7, "1"}}, ""},
        {"folder on network drives only",
         {{8, "1"}, {9, "RunTimeDirFind\\Product 7781"}, {11, "1"}},
         ""},
        {"switches other than 1",
         {{12, "true"}, {13, "D:\\Data"}, {0, " 1"}, {1, "zkRtdPlain.exe"}},
         ""},
        {"empty definition", {}, ""},
    };
    for (const Case& c : cases) {
        SetRunTimeDirDef(2, Def(c.fields));
        EXPECT_TRUE(TextEquals(GetRunTimeDir2(), c.folder)) << c.what << ": " << GetRunTimeDir2();
    }
    EXPECT_TRUE(boxes.empty()); // none of them asked for the box
    EXPECT_FALSE(RunTimeDirAbortRequested());
    SHDeleteKeyA(HKEY_CURRENT_USER, "Software\\ZkTest\\RunTimeDir");
    zktest::RemoveScratch(dir);
}

TEST(RunTimeDir, NotFoundBoxOncePerDefinitionThenTheAbortRequest) {
    RecordBoxes record;
    const std::string missing = "HKEY_CURRENT_USER\\Software\\ZkTest\\RunTimeDirNone\\Folder";
    SetRunTimeDirDefs(Def({{2, "1"}, {3, missing}, {16, "1"}}), Def({{16, "1"}}),
                      Def({{12, "1"}, {13, "D:\\Data"}, {16, "1"}, {17, "1"}}));
    // Expanding a text without a run-time folder resolves none.
    ExpandFolderMacros("<InstallDir>x", "\\");
    EXPECT_TRUE(boxes.empty());

    EXPECT_EQ(ExpandFolderMacros("<RunTimeDir_1>x;<RunTimeDir_1>y", "\\"), "\\x;\\y");
    EXPECT_EQ(ExpandFolderMacros("<RunTimeDir_1>z", "\\"), "\\z");
    EXPECT_EQ(ExpandFolderMacros("<RunTimeDir_3>z", "\\"), "D:\\Data\\z");
    EXPECT_EQ(GetRunTimeDir2(), "");
    const std::vector<std::string> shown = {"RunTimeDir(" + missing + ")\\\\n\\\\nNot Found!",
                                            "RunTimeDir()\\\\n\\\\nNot Found!"};
    EXPECT_EQ(boxes, shown);
    EXPECT_FALSE(RunTimeDirAbortRequested());

    // Set again, the definition is resolved again: a second box, now with the abort request.
    SetRunTimeDirDef(1, Def({{2, "1"}, {3, missing}, {16, "1"}, {17, "1"}}));
    EXPECT_EQ(GetRunTimeDir1(), "");
    EXPECT_EQ(boxes.size(), 3u);
    EXPECT_TRUE(RunTimeDirAbortRequested());
    SetRunTimeDirDef(1, Def({{12, "1"}, {13, "D:\\Data"}}));
    EXPECT_EQ(GetRunTimeDir1(), "D:\\Data");
    EXPECT_TRUE(RunTimeDirAbortRequested()); // never reset
    SetRunTimeDirDefs("", "", "");
}

TEST(RunTimeDir, FoundOnANetworkDrive) {
    std::string dir = zktest::ScratchDir("RunTimeDirNet");
    ASSERT_TRUE(CreateDirectoryA((dir + "\\Share 5512").c_str(), nullptr));
    ASSERT_TRUE(zktest::WriteBytes(dir + "\\Share 5512\\zkrtd-net-5512.mark", "x"));
    ASSERT_TRUE(zktest::WriteBytes(dir + "\\zkrtd-netroot-5512.mark", "x"));
    {
        zktest::WineDrive drive(dir, DRIVE_REMOTE);
        const std::string net = drive.Root();
        ASSERT_FALSE(net.empty()) << "no network drive could be defined";
        ASSERT_EQ(GetDriveTypeA((net + "\\").c_str()), unsigned(DRIVE_REMOTE));
        struct Case {
            const char* what;
            std::map<int, std::string> fields;
            std::string folder;
        };
        const Case cases[] = {
            {"file on a network drive",
             {{4, "1"}, {5, "zkrtd-net-5512.mark"}, {7, "1"}},
             net + "\\Share 5512"},
            {"fixed drives first",
             {{4, "1"}, {5, "zkrtd-net-5512.mark"}, {6, "1"}, {7, "1"}},
             dir + "\\Share 5512"},
            {"file in the network drive's root",
             {{4, "1"}, {5, "zkrtd-netroot-5512.mark"}, {7, "1"}},
             net + "\\"},
            {"folder on a network drive",
             {{8, "1"}, {9, "\\Share 5512"}, {11, "1"}},
             net + "\\Share 5512"},
        };
        for (const Case& c : cases) {
            SetRunTimeDirDef(3, Def(c.fields));
            EXPECT_TRUE(TextEquals(GetRunTimeDir3(), c.folder))
                << c.what << ": " << GetRunTimeDir3();
        }
    }
    SetRunTimeDirDef(3, "");
    zktest::RemoveScratch(dir);
}
