// The removal handlers on the machine: what each item kind deletes, what the protection lists
// and the path spellings keep, and how failures come back.
#include "UnRemove.h"

#include "Handles.h"
#include "TestEnv.h"

#include <windows.h>

#include <gtest/gtest.h>

using namespace zk;
using zktest::Exists;
using zktest::WriteBytes;

namespace {

// The short (8.3) spelling of an existing path; the path itself when it has none.
Text ShortName(const Text& path) {
    char buf[MAX_PATH];
    DWORD n = GetShortPathNameA(path.c_str(), buf, MAX_PATH);
    return n > 0 && n < MAX_PATH ? Text(buf, n) : path;
}

UninstallWorkLists ListsWith(WorkList list, const TextList& entries) {
    UninstallWorkLists lists;
    lists[list] = entries;
    return lists;
}

// A copy of a fixture program, started from the scratch folder and ended by its handle.
struct RunningCopy {
    UniqueHandle process;
    explicit RunningCopy(const Text& exe) {
        CopyFileA((zktest::BinDir() + "\\uihost.exe").c_str(), exe.c_str(), FALSE);
        Text cmd = "\"" + exe + "\" msgbox 0 0 0 Busy Busy";
        STARTUPINFOA si{};
        si.cb = sizeof si;
        PROCESS_INFORMATION pi{};
        if (CreateProcessA(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                           &pi)) {
            CloseHandle(pi.hThread);
            process.reset(pi.hProcess);
            WaitForInputIdle(pi.hProcess, 10000);
        }
    }
    ~RunningCopy() {
        if (process) {
            TerminateProcess(process.get(), 0);
            WaitForSingleObject(process.get(), 10000);
        }
    }
};

} // namespace

TEST(RemoveFileItem, SpellingsProtectionAndOwnFile) {
    const Text dir = zktest::ScratchDir("unremove_file");
    CreateDirectoryA((dir + "\\Long Data Folder").c_str(), nullptr);
    CreateDirectoryA((dir + "\\App").c_str(), nullptr);
    const Text own = dir + "\\App\\UnInstall.exe";
    const RemovalContext ctx = MakeRemovalContext(
        ListsWith(WorkList::DontRemoveDir, {"", dir + "/Long Data Folder\\"}), own);
    struct Case {
        const char* name; // file below the scratch folder, made before the call ("" none)
        Text item;        // the script's spelling
        bool reported;
        bool survives;
    };
    const Text data = dir + "\\Long Data Folder\\keep.txt";
    const Case cases[] = {
        {"App\\a.txt", dir + "\\App\\a.txt", true, false},
        {"App\\b.txt", ReplaceAll(dir, "\\", "/") + "/App/b.txt", true, false},
        {"App\\c.txt", dir + "\\App\\x\\..\\c.txt", true, false},
        {"App\\UnInstall.exe", ReplaceAll(own, "\\", "/"), true, true},
        {"Long Data Folder\\keep.txt", data, false, true},
        {"Long Data Folder\\short.txt", ShortName(dir + "\\Long Data Folder") + "\\short.txt",
         false, true},
        {"Long Data FolderX.txt", dir + "\\Long Data FolderX.txt", false, true},
        {"App\\rel.txt", "App\\rel.txt", true, true},
        {"App\\drive.txt", "C:App\\drive.txt", true, true},
        {"", dir + "\\App\\missing.txt", true, false},
    };
    for (const Case& c : cases) {
        const Text file = dir + "\\" + c.name;
        if (*c.name) {
            ASSERT_TRUE(WriteBytes(file, "x")) << c.name;
        }
        const ItemResult r = RemoveFileItem(ctx, c.item);
        EXPECT_TRUE(r.success) << c.item << ": " << r.reason;
        EXPECT_EQ(r.reported, c.reported) << c.item << ": " << r.reason;
        if (*c.name) {
            EXPECT_EQ(Exists(file), c.survives) << c.item << ": " << r.reason;
        }
    }
    zktest::RemoveScratch(dir);
}

TEST(RemoveFileItem, FilesInUseFailWithTheirError) {
    const Text dir = zktest::ScratchDir("unremove_inuse");
    const RemovalContext ctx = MakeRemovalContext({}, dir + "\\UnInstall.exe");

    const Text readOnly = dir + "\\ro.txt";
    ASSERT_TRUE(WriteBytes(readOnly, "x"));
    SetFileAttributesA(readOnly.c_str(), FILE_ATTRIBUTE_READONLY);

    const Text open = dir + "\\open.txt";
    ASSERT_TRUE(WriteBytes(open, "x"));
    UniqueFile held(CreateFileA(open.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(held);

    const Text exe = dir + "\\busy.exe";
    RunningCopy running(exe);
    ASSERT_TRUE(running.process);

    struct Case {
        Text file;
        const char* error;
    };
    const Case cases[] = {{readOnly, "error 5"}, {open, "error 32"}, {exe, "error 5"}};
    for (const Case& c : cases) {
        const ItemResult r = RemoveFileItem(ctx, c.file);
        EXPECT_FALSE(r.success) << c.file;
        EXPECT_TRUE(r.reported) << c.file;
        EXPECT_NE(r.reason.find(c.error), Text::npos) << c.file << ": " << r.reason;
        EXPECT_TRUE(Exists(c.file)) << c.file;
    }

    // Once cleared, the read-only file goes; clearing is never reported.
    const ItemResult cleared = ClearReadOnlyItem(ctx, readOnly);
    EXPECT_FALSE(cleared.reported);
    EXPECT_TRUE(RemoveFileItem(ctx, readOnly).success);
    EXPECT_FALSE(Exists(readOnly));
    held.reset();
    zktest::RemoveScratch(dir);
}
