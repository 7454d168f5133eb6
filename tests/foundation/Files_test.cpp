#include "Files.h"
#include "TestEnv.h"
#include "WineDrive.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <set>
#include <vector>

using namespace zk;
using zktest::Exists;
using zktest::ReadBytes;
using zktest::WriteBytes;

namespace {

struct Call {
    int kind, min, max, position, step;
    bool operator==(const Call&) const = default;
};
std::vector<Call> calls;
void Record(int kind, int min, int max, int position, int step) {
    calls.push_back({kind, min, max, position, step});
}

std::vector<int> Positions() {
    std::vector<int> p;
    for (const Call& c : calls) p.push_back(c.position);
    return p;
}

Text Pattern(size_t n) {
    Text s(n, '\0');
    for (size_t i = 0; i < n; ++i) s[i] = static_cast<char>(i * 7 + i / 251);
    return s;
}

std::set<Text> Items(const Text& list) {
    std::set<Text> items;
    for (size_t p = 1; p < list.size();) {
        size_t next = list.find('|', p);
        items.insert(list.substr(p, next - p));
        p = next + 1;
    }
    return items;
}

// Files of a folder that the test did not ask for (temporary leftovers).
std::set<Text> Names(const Text& folder) {
    return Items(ListFiles(folder + "\\*", true));
}

} // namespace

TEST(Files, ChunkSizes) {
    struct Case {
        int64_t size, divisor, maximum, chunk;
    };
    const Case cases[] = {
        {0, 10, 1048576, 0},
        {500, 10, 1048576, 500},
        {3000, 10, 1048576, 1024},
        {10240, 10, 1048576, 1024},
        {10250, 10, 1048576, 1025},
        {5242880, 10, 1048576, 524288},
        {52428800, 10, 1048576, 1048576},
        {100000, 10, 32768, 10000},
        {1000000, 10, 32768, 32768},
        {2048, 1, 1048576, 1024}, // halved until it splits
        {4096, 0, 1048576, 2048},
        {6000000000LL, 10, 1048576, 1048576},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ChunkSize(c.size, c.divisor, c.maximum), c.chunk) << c.size << "/" << c.divisor;
}

TEST(Files, LoadAndSaveReportEachChunk) {
    Text dir = zktest::ScratchDir("files_chunks");
    Text data = Pattern(3000), path = dir + "\\a.bin";

    calls.clear();
    ASSERT_TRUE(SaveFileWithProgress(path, data, 0, Record));
    EXPECT_EQ(Positions(), (std::vector<int>{0, 1024, 2048, 3000}));
    EXPECT_EQ(calls.front(), (Call{0, 0, 3000, 0, 1}));
    EXPECT_EQ(ReadBytes(path), data);

    calls.clear();
    EXPECT_EQ(LoadFileWithProgress(path, Record), data);
    EXPECT_EQ(Positions(), (std::vector<int>{0, 1024, 2048, 3000}));
    EXPECT_EQ(LoadFile(path), data);

    ASSERT_TRUE(SaveFile(path, "", 0));
    calls.clear();
    EXPECT_EQ(LoadFileWithProgress(path, Record), "");
    EXPECT_EQ(calls, (std::vector<Call>{{0, 0, 0, 0, 1}, {0, 0, 0, 0, 1}}));
    EXPECT_TRUE(Exists(path));
    EXPECT_EQ(LoadFile(dir + "\\missing.bin"), "");
}

TEST(Files, SaveSetsTheDateOnlyWhenAsked) {
    Text dir = zktest::ScratchDir("files_date");
    const uint32_t date = (((2003 - 1980) << 9 | 7 << 5 | 14) << 16) | (10 << 11 | 20 << 5 | 8);
    ASSERT_TRUE(SaveFile(dir + "\\dated.txt", "x", date));
    EXPECT_EQ(GetFileDateByName(dir + "\\dated.txt"), date);
    EXPECT_EQ(GetFileDateByName(dir + "\\dat*.txt"), date);
    ASSERT_TRUE(AppendToFile(dir + "\\dated.txt", "y", 0));
    EXPECT_NE(GetFileDateByName(dir + "\\dated.txt"), date);
    EXPECT_EQ(GetFileDateByName(dir + "\\none*.txt"), 0u);
}

TEST(Files, AppendCreatesAndExtends) {
    Text dir = zktest::ScratchDir("files_append");
    Text path = dir + "\\log.txt";
    ASSERT_TRUE(AppendToFile(path, "one\r\n", 0));
    ASSERT_TRUE(AppendToFile(path, "two\r\n", 0));
    ASSERT_TRUE(AppendToFile(path, "", 0));
    EXPECT_EQ(ReadBytes(path), "one\r\ntwo\r\n");
}

// Every writer reports false when its target cannot be made, also for an empty text.
TEST(Files, WritersReportUnwritableTargets) {
    Text dir = zktest::ScratchDir("files_unwritable");
    ASSERT_TRUE(WriteBytes(dir + "\\source.bin", Pattern(5000)));
    ASSERT_TRUE(WriteBytes(dir + "\\busy.txt", "old"));
    CreateDirectoryA((dir + "\\folder").c_str(), nullptr);
    HANDLE busy = CreateFileA((dir + "\\busy.txt").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                              0, nullptr);
    const Text targets[] = {dir + "\\no\\such\\x.txt", dir + "\\folder", dir + "\\busy.txt",
                            dir + "\\bad<name>.txt"};
    for (const Text& t : targets) {
        for (const Text& data : {Text(), Pattern(3000)}) {
            EXPECT_FALSE(SaveFile(t, data, 0)) << t;
            EXPECT_FALSE(SaveFileWithProgress(t, data, 0, Record)) << t;
            EXPECT_FALSE(SaveFileAtomic(t, data, 0)) << t;
        }
        EXPECT_FALSE(AppendToFile(t, "x", 0)) << t;
        EXPECT_FALSE(CopyFileWithProgress(dir + "\\source.bin", t, Record)) << t;
    }
    CloseHandle(busy);
    EXPECT_EQ(ReadBytes(dir + "\\busy.txt"), "old");
    EXPECT_EQ(Names(dir), (std::set<Text>{"source.bin", "busy.txt"})); // no temporaries
}

// Temporary files fit wherever their target fits, up to the longest path, and are named to the
// caller before they are made.
TEST(Files, TemporaryFilesBesideTheTarget) {
    const Text dir = zktest::ScratchDir("files_temp");
    Text seen;
    const auto named = [&](const Text& path) {
        seen = path;
        return !Exists(path);
    };
    const Text first = CreateTempFileBeside(dir + "\\a.txt", named);
    EXPECT_EQ(first, dir + "\\zk0.tmp");
    EXPECT_EQ(seen, first) << "named before it was made";
    EXPECT_EQ(CreateTempFileBeside(dir + "\\a.txt"), dir + "\\zk1.tmp") << "the first is taken";
    DeleteFileA(first.c_str());
    EXPECT_EQ(CreateTempFileBeside(dir + "\\a.txt"), first) << "the lowest free name again";
    EXPECT_EQ(CreateTempFileBeside(dir + "\\a.txt", [](const Text&) { return false; }), "");
    EXPECT_EQ(Names(dir), (std::set<Text>{"zk0.tmp", "zk1.tmp"})) << "a refused name is not made";
    EXPECT_EQ(CreateTempFileBeside(dir + "\\no\\such\\a.txt"), "");

    // Folders that leave 1 to 8 characters for a name of the same length: the target's path
    // is as long as a path can be.
    const Text deep = dir + "\\" + Text(110, 'd') + "\\" + Text(130, 'e');
    ASSERT_TRUE(CreateDirectoryA((dir + "\\" + Text(110, 'd')).c_str(), nullptr));
    for (size_t nameLength : {1, 2, 6, 7, 8}) {
        const size_t folderLength = MAX_PATH - 1 - nameLength - 1;
        const Text folder = deep.substr(0, folderLength);
        ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr)) << folderLength;
        const Text target = folder + "\\" + Text(nameLength, 'n');
        ASSERT_TRUE(WriteBytes(target, "the target fits")) << target.size();
        for (int i = 0; i < 3; ++i) {
            const Text temp = CreateTempFileBeside(target);
            EXPECT_LE(temp.size(), target.size()) << temp;
            EXPECT_EQ(temp.substr(0, folder.size() + 1), folder + "\\") << temp;
            EXPECT_TRUE(Exists(temp)) << temp;
        }
        EXPECT_EQ(Names(folder).size(), 4u) << "three names of their own beside the target";
        zktest::RemoveScratch(folder);
    }
}

TEST(Files, AtomicSaveReplacesWholeOrNothing) {
    Text dir = zktest::ScratchDir("files_atomic");
    Text path = dir + "\\UnInstall.txt";
    ASSERT_TRUE(SaveFileAtomic(path, "first", 0));
    ASSERT_TRUE(SaveFileAtomic(path, "second version", 0));
    EXPECT_EQ(ReadBytes(path), "second version");
    // Held open without delete sharing: the rename cannot happen, the old text stays.
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                           nullptr);
    EXPECT_FALSE(SaveFileAtomic(path, "third", 0));
    CloseHandle(h);
    EXPECT_EQ(ReadBytes(path), "second version");
    EXPECT_EQ(Names(dir), std::set<Text>{"UnInstall.txt"});
}

TEST(Files, CopyWithProgress) {
    Text dir = zktest::ScratchDir("files_copy");
    Text data = Pattern(100000);
    ASSERT_TRUE(WriteBytes(dir + "\\src.bin", data));
    const uint32_t date = (((2003 - 1980) << 9 | 7 << 5 | 14) << 16) | (10 << 11 | 20 << 5 | 8);
    ASSERT_TRUE(SaveFile(dir + "\\src.bin", data, date));
    calls.clear();
    ASSERT_TRUE(CopyFileWithProgress(dir + "\\src.bin", dir + "\\dst.bin", Record));
    EXPECT_TRUE(ReadBytes(dir + "\\dst.bin") == data);
    EXPECT_EQ(GetFileDateByName(dir + "\\dst.bin"), date) << "the source's date, not the copy's";
    std::vector<int> expected;
    for (int done = 0; done <= 100000; done += 10000) expected.push_back(done);
    EXPECT_EQ(Positions(), expected);
    EXPECT_EQ(calls.back(), (Call{0, 0, 100000, 100000, 1}));

    ASSERT_TRUE(WriteBytes(dir + "\\empty.bin", ""));
    ASSERT_TRUE(CopyFileWithProgress(dir + "\\empty.bin", dir + "\\empty2.bin", nullptr));
    EXPECT_TRUE(Exists(dir + "\\empty2.bin"));
    EXPECT_FALSE(CopyFileWithProgress(dir + "\\missing.bin", dir + "\\x.bin", nullptr));
    EXPECT_FALSE(Exists(dir + "\\x.bin"));
    // Onto itself, also under another spelling: refused, nothing truncated.
    EXPECT_FALSE(CopyFileWithProgress(dir + "\\src.bin", dir + "\\SRC.BIN", nullptr));
    EXPECT_FALSE(CopyFileWithProgress(dir + "\\src.bin", dir + "\\.\\src.bin", nullptr));
    EXPECT_TRUE(ReadBytes(dir + "\\src.bin") == data);
}

TEST(Files, NameParts) {
    struct Case {
        const char* path;
        const char* stem;
    };
    const Case cases[] = {
        {"C:\\a\\readme.txt", "readme"}, {"C:\\a.b\\file", "file"}, {"x.tar.gz", "x.tar"},
        {"C:\\a\\.hidden", ""},          {"C:noext", "noext"},      {"", ""}};
    for (const Case& c : cases) EXPECT_EQ(FileNameWithoutExt(c.path), c.stem) << c.path;
}

TEST(Files, WildcardNames) {
    struct Case {
        const char* source;
        const char* target;
        const char* result;
    };
    const Case cases[] = {
        {"readme.txt", "C:\\B\\*.bak", "readme.bak"},
        {"readme.txt", "C:\\B\\new.*", "new.txt"},
        {"readme.txt", "C:\\B\\", "readme.txt"},
        {"readme.txt", "C:\\B\\*.*", "readme.txt"},
        {"readme.txt", "C:\\B\\*", "readme"},
        {"readme.txt", "C:\\B\\x.txt", "x.txt"},
        {"a.b.c", "*.old", "a.b.old"},
        {"noext", "*.bak", "noext.bak"},
        {"noext", "new.*", "new"},
        {"readme.txt", "", "readme.txt"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ApplyWildcardName(c.source, c.target), c.result) << c.source << " " << c.target;
}

TEST(Files, BelowRootGuard) {
    struct Case {
        const char* path;
        bool below;
    };
    const Case cases[] = {
        {"C:\\zk", true},
        {"C:\\zk\\", true},
        {"c:/zk/x", true},
        {"C:\\zk\\..\\y", true},
        {"\\\\srv\\share\\d", true},
        {"C:\\", false},
        {"C:", false},
        {"C:zk", false},
        {"zk", false},
        {"\\zk", false},
        {"", false},
        {"C:\\zk\\..", false},
        {"C:\\.\\", false},
        {"\\\\srv\\share", false},
        {"\\\\srv\\share\\", false},
        {"\\\\srv", false},
        {"\\\\\\share\\d", false},
        {"\\\\?\\C:\\zk", false},
        {"\\\\.\\C:", false},
        {"C:\\zk\\..\\..", false},
    };
    for (const Case& c : cases) EXPECT_EQ(IsBelowRoot(c.path), c.below) << c.path;
}

TEST(Files, ListSetAndDeleteByMask) {
    Text dir = zktest::ScratchDir("files_mask");
    for (const char* name : {"a.txt", "b.txt", "c.log"})
        ASSERT_TRUE(WriteBytes(dir + "\\" + name, name));
    CreateDirectoryA((dir + "\\sub.txt").c_str(), nullptr);
    EXPECT_EQ(Items(ListFiles(dir + "\\*.txt", true)), (std::set<Text>{"a.txt", "b.txt"}));
    EXPECT_EQ(Items(ListFiles(dir + "\\*.txt", false)), (std::set<Text>{"a", "b"}));
    EXPECT_EQ(ListFiles(dir + "\\*.none", true), "|");

    EXPECT_TRUE(SetFilesAttributes(dir + "\\*.txt", FILE_ATTRIBUTE_READONLY));
    EXPECT_FALSE(SetFilesAttributes(dir + "\\*.none", FILE_ATTRIBUTE_READONLY));
    EXPECT_TRUE(GetFileAttributesA((dir + "\\a.txt").c_str()) & FILE_ATTRIBUTE_READONLY);
    EXPECT_TRUE(DeleteFiles(dir + "\\*.txt", false)); // matched, but read-only stays
    EXPECT_TRUE(Exists(dir + "\\a.txt"));
    EXPECT_TRUE(DeleteFiles(dir + "\\*.txt", true));
    EXPECT_FALSE(Exists(dir + "\\a.txt"));
    EXPECT_TRUE(Exists(dir + "\\sub.txt"));
    EXPECT_FALSE(DeleteFiles(dir + "\\*.txt", true));

    // A match that is locked stays and still counts.
    HANDLE h =
        CreateFileA((dir + "\\c.log").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_TRUE(DeleteFiles(dir + "\\*.log", true));
    CloseHandle(h);
    EXPECT_TRUE(Exists(dir + "\\c.log"));
}

// Roots and relative masks are refused before anything is touched; the listing, which only
// reads, takes a root (a setup on a CD's root) but no relative path.
TEST(Files, TreeAndMaskOperationsRefuseRootsAndRelativePaths) {
    Text dir = zktest::ScratchDir("files_refuse");
    ASSERT_TRUE(WriteBytes(dir + "\\keep.zkp", "x"));
    ASSERT_TRUE(WriteBytes("C:\\files_refuse_probe.zkp", "x"));
    char cwd[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, cwd);
    SetCurrentDirectoryA(dir.c_str());
    for (const char* mask : {"*.zkp", "C:*.zkp", "C:\\*.zkp", "C:\\zktest\\..\\*.zkp", ".\\*.zkp"})
        EXPECT_FALSE(DeleteFiles(mask, true)) << mask;
    for (const char* folder : {"C:\\", "C:", "C:\\zktest\\..", "\\\\srv\\share", ".", "sub"}) {
        EXPECT_FALSE(DeleteTree(folder, true)) << folder;
        const Text list = ListFolderTree(folder);
        if (Text(folder) == "C:\\") {
            EXPECT_EQ(list.substr(0, 5), "|C:\\|");
            EXPECT_NE(list.find("|" + dir + "|"), Text::npos) << "one backslash after the root";
        } else if (Text(folder) != "C:\\zktest\\..") {
            EXPECT_EQ(list, "") << folder;
        }
        EXPECT_FALSE(CopyTree(folder, dir + "\\copy")) << folder;
        EXPECT_FALSE(CopyTree(dir, folder)) << folder;
    }
    EXPECT_FALSE(SetFilesAttributes("*.zkp", FILE_ATTRIBUTE_HIDDEN));
    EXPECT_EQ(CopyFiles("*.zkp", dir + "\\copy", true), 0);
    EXPECT_EQ(RenameFiles("*.zkp", "*.bak"), 0);
    SetCurrentDirectoryA(cwd);
    EXPECT_TRUE(Exists(dir + "\\keep.zkp"));
    EXPECT_TRUE(Exists("C:\\files_refuse_probe.zkp"));
    EXPECT_FALSE(Exists(dir + "\\copy"));
    DeleteFileA("C:\\files_refuse_probe.zkp");
}

TEST(Files, DeleteTree) {
    Text dir = zktest::ScratchDir("files_deltree");
    Text tree = dir + "\\tree";
    for (const char* sub : {"\\tree", "\\tree\\a", "\\tree\\a\\b", "\\tree\\c"})
        CreateDirectoryA((dir + sub).c_str(), nullptr);
    ASSERT_TRUE(WriteBytes(tree + "\\x.txt", "x"));
    ASSERT_TRUE(WriteBytes(tree + "\\a\\b\\y.txt", "y"));
    SetFileAttributesA((tree + "\\a\\b\\y.txt").c_str(), FILE_ATTRIBUTE_READONLY);
    EXPECT_FALSE(DeleteTree(tree, false)); // the read-only file holds its folders
    EXPECT_TRUE(Exists(tree + "\\a\\b\\y.txt"));
    EXPECT_FALSE(Exists(tree + "\\c"));
    EXPECT_TRUE(DeleteTree(tree, true));
    EXPECT_FALSE(Exists(tree));
    EXPECT_FALSE(DeleteTree(tree, true)); // did not exist before

    // A hidden subfolder is not ours to remove: it and the folder stay.
    CreateDirectoryA(tree.c_str(), nullptr);
    CreateDirectoryA((tree + "\\hid").c_str(), nullptr);
    ASSERT_TRUE(WriteBytes(tree + "\\hid\\h.txt", "h"));
    SetFileAttributesA((tree + "\\hid").c_str(), FILE_ATTRIBUTE_HIDDEN);
    EXPECT_FALSE(DeleteTree(tree, true));
    EXPECT_TRUE(Exists(tree + "\\hid\\h.txt"));
    EXPECT_FALSE(DeleteTree("", true));
}

// A link inside the tree goes by itself, never with what it points to. Wine cannot make
// links, so the fixture script makes real Unix ones and names the folder in the environment.
TEST(Files, DeleteTreeLeavesLinkedFoldersAlone) {
    const char* fixture = std::getenv("ZK_LINK_FIXTURE");
    if (!fixture) GTEST_SKIP() << "run by the files_links ctest entry";
    Text root = fixture;
    ASSERT_EQ(GetFileAttributesA((root + "\\tree\\dirlink").c_str()) & 0x410, 0x410u);
    EXPECT_FALSE(ListFolderTree(root + "\\tree").empty());
    EXPECT_EQ(Items(ListFolderTree(root + "\\tree")),
              (std::set<Text>{root + "\\tree", root + "\\tree\\dirlink"}));
    DeleteTree(root + "\\tree", true);
    EXPECT_FALSE(Exists(root + "\\tree\\own.txt"));
    EXPECT_TRUE(Exists(root + "\\outside\\keep.txt"));
    EXPECT_TRUE(Exists(root + "\\outside\\deeper\\keep2.txt"));
    EXPECT_FALSE(CopyTree(root + "\\tree", root + "\\tree\\dirlink\\copy"));
    // Asked to delete a link itself: what it points to stays. (Wine cannot remove a folder
    // link: its RemoveDirectory works on the target, so the links stay here.)
    ASSERT_EQ(GetFileAttributesA((root + "\\toplink").c_str()) & 0x410, 0x410u);
    DeleteTree(root + "\\toplink", true);
    EXPECT_TRUE(Exists(root + "\\outside\\keep.txt"));
    EXPECT_TRUE(Exists(root + "\\outside\\deeper\\keep2.txt"));
}

TEST(Files, CopyTreeAndListFolderTree) {
    Text dir = zktest::ScratchDir("files_copytree");
    Text src = dir + "\\src";
    for (const char* sub : {"\\src", "\\src\\a", "\\src\\a\\b", "\\src\\hid"})
        CreateDirectoryA((dir + sub).c_str(), nullptr);
    ASSERT_TRUE(WriteBytes(src + "\\x.txt", "x"));
    ASSERT_TRUE(WriteBytes(src + "\\a\\b\\y.txt", "y"));
    SetFileAttributesA((src + "\\hid").c_str(), FILE_ATTRIBUTE_HIDDEN);

    EXPECT_EQ(ListFolderTree(src + "\\a"), "|" + src + "\\a|" + src + "\\a\\b|");
    EXPECT_EQ(ListFolderTree(dir + "\\none"), "");

    ASSERT_TRUE(CopyTree(src, dir + "\\new\\deep\\dst"));
    EXPECT_EQ(ReadBytes(dir + "\\new\\deep\\dst\\x.txt"), "x");
    EXPECT_EQ(ReadBytes(dir + "\\new\\deep\\dst\\a\\b\\y.txt"), "y");
    EXPECT_FALSE(Exists(dir + "\\new\\deep\\dst\\hid"));

    for (const Text& target : {src, src + "\\A\\inner", src + "\\.", dir + "\\SRC\\a\\..\\z"})
        EXPECT_FALSE(CopyTree(src, target)) << target;
    EXPECT_FALSE(Exists(src + "\\a\\inner"));
    EXPECT_FALSE(Exists(src + "\\z"));
    EXPECT_TRUE(CopyTree(src, dir + "\\src2")); // a sibling that shares the name's start
    EXPECT_FALSE(CopyTree(dir + "\\none", dir + "\\x"));
}

TEST(Files, CopyAndRenameByMask) {
    Text dir = zktest::ScratchDir("files_copyrename");
    Text a = dir + "\\A", b = dir + "\\B";
    CreateDirectoryA(a.c_str(), nullptr);
    CreateDirectoryA(b.c_str(), nullptr);
    for (const char* name : {"one.txt", "two.txt", "three.log"})
        ASSERT_TRUE(WriteBytes(a + "\\" + name, name));

    EXPECT_EQ(CopyFiles(a + "\\*.txt", b, false), 2);
    EXPECT_EQ(Names(b), (std::set<Text>{"one.txt", "two.txt"}));
    EXPECT_EQ(CopyFiles(a + "\\*.txt", b + "\\*.bak", false), 2);
    EXPECT_EQ(ReadBytes(b + "\\one.bak"), "one.txt");
    EXPECT_EQ(CopyFiles(a + "\\*.txt", b + "\\x.txt", false), 2); // same name, last one wins
    EXPECT_TRUE(Exists(b + "\\x.txt"));
    EXPECT_EQ(CopyFiles(a + "\\*.txt", dir + "\\C\\D", false), 0); // folder part C\ is missing
    EXPECT_EQ(CopyFiles(a + "\\*.txt", dir + "\\C\\D\\", true), 2);
    EXPECT_EQ(Names(dir + "\\C\\D"), (std::set<Text>{"one.txt", "two.txt"}));
    EXPECT_EQ(CopyFiles(a + "\\three.log", b + "\\three.log", false), 1);
    EXPECT_EQ(CopyFiles(a + "\\none.log", b + "\\none.log", false), 0);
    EXPECT_EQ(CopyFiles(a + "\\*.txt", a, false), 0); // onto themselves: nothing
    EXPECT_EQ(ReadBytes(a + "\\one.txt"), "one.txt");

    // A mask rename stays in the source folder; the target's folder part is not used.
    EXPECT_EQ(RenameFiles(a + "\\*.txt", dir + "\\Other\\*.old"), 2);
    EXPECT_EQ(Names(a), (std::set<Text>{"one.old", "two.old", "three.log"}));
    EXPECT_EQ(RenameFiles(a + "\\*.*", "*.*.x"), 3); // each file once, though new names match
    EXPECT_EQ(Names(a), (std::set<Text>{"one.x", "two.x", "three.x"}));
    EXPECT_EQ(RenameFiles(a + "\\one.x", b + "\\moved.x"), 1);
    EXPECT_TRUE(Exists(b + "\\moved.x"));
    EXPECT_EQ(RenameFiles(a + "\\one.x", b + "\\moved.x"), 0);
}

TEST(Files, MoveFolder) {
    Text dir = zktest::ScratchDir("files_movefolder");
    CreateDirectoryA((dir + "\\old").c_str(), nullptr);
    CreateDirectoryA((dir + "\\parent").c_str(), nullptr);
    ASSERT_TRUE(WriteBytes(dir + "\\old\\f.txt", "f"));
    EXPECT_TRUE(MoveFolder(dir + "\\old", "renamed"));
    EXPECT_TRUE(Exists(dir + "\\renamed\\f.txt"));
    EXPECT_TRUE(MoveFolder(dir + "\\renamed", dir + "\\parent\\moved"));
    EXPECT_TRUE(Exists(dir + "\\parent\\moved\\f.txt"));
    EXPECT_FALSE(MoveFolder(dir + "\\parent\\moved", dir + "\\nowhere\\x"));
    EXPECT_FALSE(MoveFolder(dir + "\\parent\\moved", dir + "\\"));
    EXPECT_FALSE(MoveFolder(dir + "\\none", dir + "\\y"));
}

TEST(Files, SearchesInTreesAndOnDrives) {
    Text dir = zktest::ScratchDir("files_search");
    for (const char* sub : {"\\a", "\\a\\deep", "\\b", "\\b\\files_search_marker"})
        CreateDirectoryA((dir + sub).c_str(), nullptr);
    ASSERT_TRUE(WriteBytes(dir + "\\a\\deep\\files_search_8d1f.txt", "x"));
    ASSERT_TRUE(WriteBytes(dir + "\\b\\top.txt", "x"));
    EXPECT_EQ(FindFileInTree(dir, "files_search_8d1f.txt"),
              dir + "\\a\\deep\\files_search_8d1f.txt");
    EXPECT_EQ(FindFileInTree(dir, "deep\\files_search_8d1f.txt"),
              dir + "\\a\\deep\\files_search_8d1f.txt");
    EXPECT_EQ(FindFileInTree(dir, "none.txt"), "");
    EXPECT_EQ(FindFolderInTree(dir, "B\\FILES_SEARCH_MARKER"), dir + "\\b\\files_search_marker");
    EXPECT_EQ(FindFolderInTree(dir, "files_search"), dir);
    EXPECT_EQ(FindFolderInTree(dir, "nothing"), "");

    EXPECT_EQ(FindFileOnDrives("files_search_8d1f.txt", DRIVE_FIXED),
              dir + "\\a\\deep\\files_search_8d1f.txt");
    EXPECT_EQ(FindFolderOnDrives("b\\files_search_marker", DRIVE_FIXED),
              dir + "\\b\\files_search_marker");
    EXPECT_EQ(FindFileOnDrives("files_search_8d1f.txt", DRIVE_REMOTE), "");
}

TEST(Files, DiskFree) {
    const std::string share = zktest::ScratchDir("unc_share"); // \\\\zkserver\\share
    const zktest::WineDrive empty("", DRIVE_CDROM);
    ASSERT_FALSE(empty.Root().empty()) << "no drive without its medium could be defined";
    struct Case {
        std::string path;
        bool known;
    } cases[] = {
        {"C:\\zktest", true},
        {"c:", true},
        {"\\\\zkserver\\share\\App\\Sub", true}, // asked of the share, not of a drive "\\"
        {"\\\\zkserver\\share", true},
        {"\\\\server\\share", false},
        {"\\\\zkserver", false},
        {"Q:\\nothing", false},
        {empty.Root() + "\\App", false}, // no medium: a failure, and no box
    };
    for (const Case& c : cases) {
        if (c.known)
            EXPECT_GT(GetDiskFree(c.path), 0.0) << c.path;
        else
            EXPECT_EQ(GetDiskFree(c.path), -1.0) << c.path;
    }
    zktest::RemoveScratch(share);
}

TEST(Files, QuietDriveErrorsKeepsTheRestOfTheModeAndRestoresIt) {
    const auto mode = [] {
        const UINT m = SetErrorMode(0);
        SetErrorMode(m);
        return m;
    };
    const UINT before = SetErrorMode(SEM_NOOPENFILEERRORBOX);
    {
        const QuietDriveErrors outer;
        EXPECT_EQ(mode(), UINT(SEM_NOOPENFILEERRORBOX | SEM_FAILCRITICALERRORS));
        { const QuietDriveErrors inner; }
        EXPECT_EQ(mode(), UINT(SEM_NOOPENFILEERRORBOX | SEM_FAILCRITICALERRORS))
            << "an inner scope gives back the outer one's mode";
    }
    EXPECT_EQ(mode(), UINT(SEM_NOOPENFILEERRORBOX));
    SetErrorMode(before);
}
