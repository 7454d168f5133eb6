// The removal handlers on the machine: what each item kind deletes, what the protection lists
// and the path spellings keep, and how failures come back.
#include "UnRemove.h"
#include "UnMain.h"

#include "Common.h"
#include "Handles.h"
#include "RegOp.h"
#include "RegSvr.h"
#include "TestEnv.h"
#include "UtilPlus.h"

#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <cstdlib>

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

namespace {

// Files and folders below a scratch folder, made from a list of relative names ("\" at the
// end makes a folder).
void MakeTree(const Text& root, const TextList& names) {
    for (const Text& n : names) {
        const Text path = root + "\\" + n;
        if (n.ends_with("\\")) {
            CreateDirectoryA(path.c_str(), nullptr);
        } else {
            ASSERT_TRUE(WriteBytes(path, "x")) << path;
        }
    }
}

} // namespace

TEST(ForceRemoveDirItem, KeepsProtectedSubtreesAndNeverClimbs) {
    const Text dir = zktest::ScratchDir("unremove_force");
    MakeTree(dir, {"P\\", "P\\f.txt", "P\\Sub\\", "P\\Sub\\Deep\\", "P\\Sub\\Deep\\g.txt",
                   "P\\Data\\", "P\\Data\\keep.txt", "P\\Data\\In\\", "P\\Data\\In\\k.txt",
                   "P\\DataX.txt", "P\\Way\\", "P\\Way\\Users\\", "P\\Way\\Users\\u.txt",
                   "P\\Way\\w.txt", "Q\\", "Q\\q.txt", "canary.txt"});
    SetFileAttributesA((dir + "\\P\\Sub\\Deep\\g.txt").c_str(), FILE_ATTRIBUTE_READONLY);
    UninstallWorkLists lists;
    lists[WorkList::DontRemoveDir] = {dir + "\\P\\Data", dir + "/P/Way/Users/", ""};
    lists[WorkList::DontRemoveJustDir] = {dir + "\\P"};
    lists[WorkList::AvoidErrRemoveDir] = {""};
    const RemovalContext ctx = MakeRemovalContext(lists, dir + "\\Own\\UnInstall.exe");

    const ItemResult r = ForceRemoveDirItem(ctx, dir + "\\P\\");
    EXPECT_TRUE(r.success) << r.reason;
    EXPECT_TRUE(r.reported);
    struct Case {
        const char* name;
        bool survives;
    };
    const Case cases[] = {
        {"P\\f.txt", false},
        {"P\\Sub", false},
        {"P\\Data\\keep.txt", true},
        {"P\\Data\\In\\k.txt", true},
        {"P\\DataX.txt", true},
        {"P\\Way\\w.txt", false},
        {"P\\Way\\Users\\u.txt", true},
        {"Q\\q.txt", true},
        {"canary.txt", true},
    };
    for (const Case& c : cases) EXPECT_EQ(Exists(dir + "\\" + c.name), c.survives) << c.name;

    // A forced removal inside a protected folder keeps it whole.
    EXPECT_TRUE(ForceRemoveDirItem(ctx, dir + "\\P\\Data\\In").success);
    EXPECT_TRUE(Exists(dir + "\\P\\Data\\In\\k.txt"));

    // Without protection the whole tree goes, read-only files included; gone is a success.
    const RemovalContext bare = MakeRemovalContext({}, dir + "\\Own\\UnInstall.exe");
    EXPECT_TRUE(ForceRemoveDirItem(bare, dir + "\\P").success);
    EXPECT_FALSE(Exists(dir + "\\P"));
    EXPECT_TRUE(ForceRemoveDirItem(bare, dir + "\\P").success);
    EXPECT_TRUE(Exists(dir + "\\Q\\q.txt"));
    zktest::RemoveScratch(dir);
}

TEST(RemoveDirItem, FiltersOrderAndExcuses) {
    const Text dir = zktest::ScratchDir("unremove_dir");
    MakeTree(dir, {"Data\\", "Data\\Sub\\", "P\\", "P\\Sub\\", "Full\\", "Full\\f.txt", "Excused\\",
                   "Excused\\Never\\", "Excused\\Never\\n.txt", "Own\\", "Own\\UnInstall.exe",
                   "Empty\\"});
    UninstallWorkLists lists;
    lists[WorkList::DontRemoveDir] = {dir + "\\Data"};
    lists[WorkList::DontRemoveJustDir] = {dir + "\\P", ""};
    lists[WorkList::AvoidErrRemoveDir] = {dir + "\\Excused\\Never", "  "};
    const RemovalContext ctx = MakeRemovalContext(lists, dir + "\\Own\\UnInstall.exe");
    struct Case {
        Text item;
        bool success, reported, survives;
    };
    const Case cases[] = {
        {dir, true, false, true},                 // holds a protected folder
        {dir + "\\Data", true, false, true},      // is one
        {dir + "\\Data\\Sub", true, false, true}, // lies in one
        {dir + "\\P\\Sub", true, true, false},    // only P itself is kept
        {dir + "\\P", true, false, true},
        {dir + "\\Full", false, true, true},          // not empty
        {dir + "\\Excused\\Never", true, true, true}, // holds a file: the entry itself
        {dir + "\\Excused", true, true, true},        // an entry lies below it
        {dir + "\\Own", true, true, true},            // the batch removes it
        {dir + "\\Empty\\.\\", true, true, false},
        {dir + "\\Missing", true, true, false},
    };
    for (const Case& c : cases) {
        const ItemResult r = RemoveDirItem(ctx, c.item);
        EXPECT_EQ(r.reported, c.reported) << c.item << ": " << r.reason;
        EXPECT_EQ(Exists(c.item), c.survives) << c.item << ": " << r.reason;
        EXPECT_EQ(r.success, c.success) << c.item << ": " << r.reason;
    }
    zktest::RemoveScratch(dir);
}

namespace {

Text WindowsDir() {
    char buf[MAX_PATH];
    return Text(buf, GetWindowsDirectoryA(buf, MAX_PATH));
}

Text EnvValue(const char* name) {
    char buf[MAX_PATH];
    DWORD n = GetEnvironmentVariableA(name, buf, MAX_PATH);
    return n > 0 && n < MAX_PATH ? Text(buf, n) : Text();
}

// One canary file in each folder a script must never take; removed again at the end.
struct Canaries {
    TextList files;
    explicit Canaries(const TextList& folders) {
        for (const Text& f : folders) {
            const Text file = f + "\\zk_unremove_canary.txt";
            if (WriteBytes(file, "canary")) files.push_back(file);
        }
    }
    ~Canaries() {
        for (const Text& f : files) DeleteFileA(f.c_str());
    }
};

Text ShellFolder(int csidl) {
    char buf[MAX_PATH];
    return SUCCEEDED(SHGetFolderPathA(nullptr, csidl, nullptr, 0, buf)) ? Text(buf) : Text();
}

} // namespace

TEST(FolderHandlers, RefuseWindowsFoldersAndDrivesInEverySpelling) {
    const Text scratch = zktest::ScratchDir("unremove_system");
    ASSERT_TRUE(WriteBytes(scratch + "\\inside.txt", "x"));
    const Text windows = WindowsDir();
    const Text programs = EnvValue("ProgramFiles");
    const Text temp = EnvValue("TEMP");
    const Text documents = ShellFolder(CSIDL_PERSONAL);
    const Text profile = ShellFolder(CSIDL_PROFILE);
    const Text allUsersDocs = ShellFolder(CSIDL_COMMON_DOCUMENTS);
    ASSERT_FALSE(programs.empty());
    ASSERT_FALSE(documents.empty());
    ASSERT_FALSE(profile.empty());
    const Canaries canaries({"C:", windows, windows + "\\system32", programs,
                             programs + "\\Common Files", temp, "C:\\zktest", documents, profile,
                             allUsersDocs, ShellFolder(CSIDL_FONTS)});
    ASSERT_GE(canaries.files.size(), 9u);
    const TextList items = {
        "C:\\",
        "C:",
        "c:/",
        windows + "\\.",
        ReplaceAll(windows, "\\", "/"),
        windows + "\\x\\..",
        windows + "\\\\",
        " " + windows,
        "\\\\?\\" + windows,
        "\\\\.\\C:\\",
        windows + "\\system32",
        ShortName(programs),
        programs + "\\Common Files",
        temp,
        "C:\\zktest\\..",
        scratch + "\\..\\..",
        documents,
        ShortName(documents) + "\\",
        ReplaceAll(documents, "\\", "/"),
        profile,
        profile + "\\..",
        allUsersDocs,
        ShellFolder(CSIDL_DESKTOPDIRECTORY),
        ShellFolder(CSIDL_APPDATA),
        ShellFolder(CSIDL_FONTS),
    };
    // Every entry of the protection lists is also made of such spellings: none may widen
    // what a forced removal takes.
    UninstallWorkLists lists;
    lists[WorkList::DontRemoveDir] = {"relative\\x", "", "C:"};
    const RemovalContext ctx = MakeRemovalContext(lists, scratch + "\\UnInstall.exe");
    for (const Text& item : items) {
        for (auto handler : {ForceRemoveDirItem, RemoveDirItem}) {
            const ItemResult r = handler(ctx, item);
            EXPECT_TRUE(r.success) << item << ": " << r.reason;
            EXPECT_NE(r.reason.find("refused"), Text::npos) << item << ": " << r.reason;
        }
    }
    for (const Text& f : canaries.files) EXPECT_TRUE(Exists(f)) << f;
    EXPECT_TRUE(Exists(scratch + "\\inside.txt"));
    zktest::RemoveScratch(scratch);
}

// Folder links and a drive of its own: the fixture script makes them and names the folder.
TEST(UnRemoveFixture, ForcedRemovalNeverEntersLinks) {
    const char* fixture = std::getenv("ZK_UNREMOVE_FIXTURE");
    if (!fixture) GTEST_SKIP() << "run by the uninstall_UnRemove_links ctest entry";
    const Text root = fixture;
    ASSERT_EQ(GetFileAttributesA((root + "\\tree\\dirlink").c_str()) & 0x410, 0x410u);
    const RemovalContext bare = MakeRemovalContext({}, root + "\\Own\\UnInstall.exe");
    // A link goes by itself where the platform can remove one (Wine cannot: error 145); what
    // it shows is never touched, and an item is a success exactly when its link is gone.
    const Text sublink = root + "\\tree\\Sub\\sublink";
    const ItemResult own = ForceRemoveDirItem(bare, sublink);
    EXPECT_EQ(own.success, !Exists(sublink)) << own.reason;
    EXPECT_TRUE(Exists(root + "\\outside\\deeper\\keep2.txt"));

    // A protected folder reached through a link: the walk keeps the link and never enters it
    // (what lies behind it is not the product's).
    const RemovalContext through =
        MakeRemovalContext(ListsWith(WorkList::DontRemoveDir, {root + "\\tree\\dirlink\\deeper"}),
                           root + "\\Own\\UnInstall.exe");
    EXPECT_TRUE(ForceRemoveDirItem(through, root + "\\tree\\dirlink").success);
    EXPECT_TRUE(Exists(root + "\\outside\\keep.txt"));
    EXPECT_TRUE(Exists(root + "\\tree\\dirlink"));

    // The walk around a protected folder meets links too.
    const RemovalContext ctx = MakeRemovalContext(
        ListsWith(WorkList::DontRemoveDir, {root + "\\tree\\Data"}), root + "\\Own\\UnInstall.exe");
    const ItemResult r = ForceRemoveDirItem(ctx, root + "\\tree");
    EXPECT_EQ(r.success, !Exists(root + "\\tree\\dirlink") && !Exists(sublink)) << r.reason;
    EXPECT_FALSE(Exists(root + "\\tree\\own.txt"));
    EXPECT_FALSE(Exists(root + "\\tree\\Sub\\s.txt"));
    EXPECT_TRUE(Exists(root + "\\tree\\Data\\keep.txt"));
    EXPECT_TRUE(Exists(root + "\\outside\\keep.txt"));
    EXPECT_TRUE(Exists(root + "\\outside\\deeper\\keep2.txt"));
}

// A product folder named through a link (installed below a junction): removed where the link
// leads, behind the guards of that place.
TEST(UnRemoveFixture, ForcedRemovalThroughALinkWorksWhereItLeads) {
    const char* fixture = std::getenv("ZK_UNREMOVE_FIXTURE");
    if (!fixture) GTEST_SKIP() << "run by the uninstall_UnRemove_links ctest entry";
    const Text root = fixture, own = root + "\\Own\\UnInstall.exe";
    const Text product = root + "\\tree\\dirlink\\product";
    // A DONT_REMOVE_DIR entry named through the link holds where the link leads.
    const RemovalContext keeping =
        MakeRemovalContext(ListsWith(WorkList::DontRemoveDir, {product + "\\Keep"}), own);
    ItemResult r = ForceRemoveDirItem(keeping, product);
    EXPECT_TRUE(r.success) << r.reason;
    EXPECT_FALSE(Exists(root + "\\outside\\product\\p.txt")) << r.reason;
    EXPECT_TRUE(Exists(root + "\\outside\\product\\Keep\\k.txt"));
    const RemovalContext bare = MakeRemovalContext({}, own);
    r = ForceRemoveDirItem(bare, product);
    EXPECT_TRUE(r.success) << r.reason;
    EXPECT_FALSE(Exists(root + "\\outside\\product"));
    EXPECT_TRUE(Exists(root + "\\outside\\deeper\\keep2.txt"));
    EXPECT_TRUE(Exists(root + "\\tree\\dirlink"));
    EXPECT_TRUE(ForceRemoveDirItem(bare, product).success) << "gone: not found";

    // Windows' folder behind a link is refused there, and what stays fails the item.
    ASSERT_TRUE(IsSystemFolder("C:\\windows"));
    r = ForceRemoveDirItem(bare, root + "\\links\\croot\\windows");
    EXPECT_FALSE(r.success) << r.reason;
    EXPECT_NE(r.reason.find("refused"), Text::npos) << r.reason;
    EXPECT_TRUE(Exists("C:\\windows\\win.ini"));
}

// A product installed at the root of a drive ("M:\" as the destination) with a forced
// removal of its target: the drive root is refused, the product folder below it goes.
TEST(UnRemoveFixture, DriveRootDestinationIsNeverWiped) {
    const char* fixture = std::getenv("ZK_UNREMOVE_FIXTURE");
    if (!fixture) GTEST_SKIP() << "run by the uninstall_UnRemove_links ctest entry";
    ASSERT_TRUE(Exists("M:\\canary.txt"));
    const RemovalContext ctx = MakeRemovalContext({}, "M:\\UnInstall.exe");
    for (const char* item : {"M:\\", "M:", "m:/", "M:\\.", "M:\\Product\\..", "M:\\\\"}) {
        for (auto handler : {ForceRemoveDirItem, RemoveDirItem}) {
            const ItemResult r = handler(ctx, item);
            EXPECT_TRUE(r.success) << item << ": " << r.reason;
            EXPECT_NE(r.reason.find("refused"), Text::npos) << item << ": " << r.reason;
        }
    }
    EXPECT_TRUE(Exists("M:\\canary.txt"));
    EXPECT_TRUE(ForceRemoveDirItem(ctx, "M:\\Product").success);
    EXPECT_FALSE(Exists("M:\\Product"));
    EXPECT_TRUE(Exists("M:\\canary.txt"));
    EXPECT_TRUE(Exists(Text(fixture) + "\\outside\\keep.txt"));
}

// A replacement staged for the next start comes in only if its rename stays: the product's
// renames go (on NT from the session manager, on 9x from WININIT.INI), every other one stays.
TEST(PendingRenames, TheProductsStagedReplacementsAreTakenOut) {
    const Text dir = zktest::ScratchDir("unremove_pending");
    const Text staged = dir + "\\zk0.tmp", target = dir + "\\busy.exe";
    const Text other = zktest::ScratchDir("unremove_pending_other");
    WriteBytes(staged, "new busy");
    WriteBytes(target, "old busy");
    WriteBytes(other + "\\zk0.tmp", "another product's");
    const TextList items = {target, ShortName(staged)}; // any spelling of the script's item

    UniqueKey session =
        OpenRegPath("HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Control\\Session Manager",
                    KEY_QUERY_VALUE | KEY_SET_VALUE);
    ASSERT_TRUE(session);
    const char* name = "PendingFileRenameOperations";
    DWORD type = 0;
    std::string before;
    const bool had = RegReadRaw(session.get(), name, type, before);
    const auto pendingWith = [&](const std::vector<std::string>& strings) {
        std::string v;
        for (const std::string& s : strings) v += s + '\0';
        v += '\0';
        RegSetValueExA(session.get(), name, 0, REG_MULTI_SZ,
                       reinterpret_cast<const BYTE*>(v.data()), static_cast<DWORD>(v.size()));
    };
    const PendingRenamePlace nt{true, ""};
    pendingWith({"\\??\\" + other + "\\zk0.tmp", "!\\??\\" + other + "\\x.exe",
                 "\\??\\" + UpperCase(staged), "!\\??\\" + target, "\\??\\" + other + "\\gone.txt",
                 ""});
    EXPECT_NE(DropPendingRenamesOf(items, nt).find("taken out"), Text::npos);
    std::string now;
    ASSERT_TRUE(RegReadRaw(session.get(), name, type, now));
    EXPECT_EQ(now, "\\??\\" + other + "\\zk0.tmp" + '\0' + "!\\??\\" + other + "\\x.exe" + '\0' +
                       "\\??\\" + other + "\\gone.txt" + '\0' + '\0' + '\0');
    pendingWith({"\\??\\" + staged, "!\\??\\" + target});
    DropPendingRenamesOf(items, nt);
    EXPECT_FALSE(RegReadRaw(session.get(), name, type, now)) << "nothing else was pending";
    EXPECT_NE(DropPendingRenamesOf(items, nt).find("no pending"), Text::npos);
    if (had)
        RegSetValueExA(session.get(), name, 0, REG_MULTI_SZ,
                       reinterpret_cast<const BYTE*>(before.data()),
                       static_cast<DWORD>(before.size()));

    // 9x: by short names, a line of its own in [Rename]; other sections keep their lines.
    const PendingRenamePlace nine{false, dir + "\\WININIT.INI"};
    const Text theirs = "NUL=" + ShortName(other + "\\zk0.tmp") + "\r\n";
    WriteBytes(nine.winInitPath, "[Rename]\r\n" + theirs + ShortName(target) + "=" +
                                     ShortName(staged) + "\r\n[Other]\r\nx=" + ShortName(staged) +
                                     "\r\n");
    EXPECT_NE(DropPendingRenamesOf({target, staged}, nine).find("taken out"), Text::npos);
    EXPECT_EQ(zktest::ReadBytes(nine.winInitPath),
              "[Rename]\r\n" + theirs + "[Other]\r\nx=" + ShortName(staged) + "\r\n");
    EXPECT_TRUE(Exists(staged)) << "the file itself goes by its REMOVE_FILE line";
}

TEST(RemoveRegKeyItem, DeletesTheProductKeyAndRefusesSharedOnes) {
    const Text base = zktest::ScratchKey("unremove_reg");
    const Text cv = "Software\\Microsoft\\Windows\\CurrentVersion";
    // Canaries where a refused line would reach: beside the product and in the shared keys.
    const TextList canaries = {
        base + "\\Canary",
        "HKEY_CURRENT_USER\\" + cv + "\\UnInstall\\ZkTestUnremoveCanary",
        "HKEY_LOCAL_MACHINE\\" + cv + "\\UnInstall\\ZkTestUnremoveCanary",
        "HKEY_LOCAL_MACHINE\\" + cv + "\\App Paths\\zk_unremove_canary.exe",
        "HKEY_LOCAL_MACHINE\\Software\\ZkTestUnremoveCanary",
        "HKEY_CLASSES_ROOT\\CLSID\\{ZkTestUnremoveCanary}",
    };
    for (const Text& c : canaries) ASSERT_TRUE(WriteRegValue(c, "v", "1", false)) << c;
    ASSERT_TRUE(WriteRegValue(base + "\\Product\\Sub", "v", "1", false));
    ASSERT_TRUE(WriteRegValue(base + "\\Bare", "v", "1", false));

    const TextList refused = {
        "",
        "HKEY_CURRENT_USER",
        "HKEY_CURRENT_USER\\",
        "HKEY_CURRENT_USER\\\\\\",
        "HKEY_CURRENT_USER\\Software",
        "HKEY_CURRENT_USER\\Software\\",
        "HKEY_LOCAL_MACHINE\\SOFTWARE",
        " HKEY_LOCAL_MACHINE\\Software ",
        "Software",
        "HKEY_CLASSES_ROOT\\CLSID",
        "HKEY_CURRENT_USER\\Software\\Microsoft",
        "HKEY_CURRENT_USER\\" + cv,
        "HKEY_CURRENT_USER\\" + cv + "\\UnInstall",
        "HKEY_LOCAL_MACHINE\\" + cv + "\\uninstall\\",
        "HKEY_LOCAL_MACHINE\\" + cv + "\\App Paths",
        "HKEY_LOCAL_MACHINE\\" + cv + "\\SharedDLLs",
        "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows",
        "HKEY_USERS\\.DEFAULT\\Software",
    };
    const RemovalContext ctx = MakeRemovalContext({}, "C:\\P\\UnInstall.exe");
    for (const Text& key : refused) {
        const ItemResult r = RemoveRegKeyItem(ctx, key);
        EXPECT_TRUE(r.success) << key << ": " << r.reason;
        EXPECT_NE(r.reason.find("refused"), Text::npos) << key << ": " << r.reason;
    }
    struct Case {
        Text key;
        bool gone;
    };
    const Case removed[] = {
        {base + "\\Product", true},
        {base.substr(sizeof "HKEY_CURRENT_USER") + "\\Bare", true}, // a current-user subkey
        {base + "\\Missing", true},
    };
    for (const Case& c : removed) {
        const ItemResult r = RemoveRegKeyItem(ctx, c.key);
        EXPECT_TRUE(r.success) << c.key << ": " << r.reason;
        EXPECT_EQ(RegKeyExists(c.key), !c.gone) << c.key;
    }
    EXPECT_FALSE(RegKeyExists(base + "\\Bare"));
    for (const Text& c : canaries) {
        EXPECT_TRUE(RegKeyExists(c)) << c;
        DeleteRegKey(c);
    }
    DeleteRegKey(base);
}

// A parent key the installation made goes only when nothing is left in it.
TEST(RemoveEmptyRegKeyItem, TakesAKeyOnlyWhenNothingIsInIt) {
    const Text base = zktest::ScratchKey("unremove_emptykey");
    ASSERT_TRUE(WriteRegValue(base + "\\Valued", "v", "1", false));
    ASSERT_TRUE(WriteRegValue(base + "\\Parent\\Child", "v", "1", false));
    ASSERT_TRUE(WriteRegValue(base + "\\Empty\\x", "v", "1", false));
    DeleteRegKey(base + "\\Empty\\x");
    const RemovalContext ctx = MakeRemovalContext({}, "C:\\P\\UnInstall.exe");
    struct Case {
        Text key;
        bool stays;
        const char* reason;
    };
    const Case cases[] = {
        {base + "\\Valued", true, "not empty"},
        {base + "\\Parent", true, "not empty"},
        {base + "\\Empty", false, "deleted"},
        {base + "\\Missing", false, "not found"},
        {"HKEY_CURRENT_USER\\Software", true, "refused"},
        {"HKEY_LOCAL_MACHINE\\Software\\Microsoft", true, "refused"},
    };
    for (const Case& c : cases) {
        const ItemResult r = RemoveEmptyRegKeyItem(ctx, c.key);
        EXPECT_TRUE(r.success) << c.key << ": " << r.reason;
        EXPECT_TRUE(r.reported) << c.key;
        EXPECT_NE(r.reason.find(c.reason), Text::npos) << c.key << ": " << r.reason;
        EXPECT_EQ(RegKeyExists(c.key), c.stays) << c.key;
    }
    EXPECT_TRUE(RegKeyExists(base + "\\Parent\\Child"));
    DeleteRegKey(base);
}

// A COM server or font that is also a shared file stays registered while other products still
// count it: only the uninstallation that takes the count to 0 (and the file away) unregisters it.
TEST(UnregisterOcxItem, SharedServerStaysRegisteredWhileOthersCountIt) {
    const Text dir = zktest::ScratchDir("unremove_sharedocx");
    const Text server = "HKEY_CURRENT_USER\\Software\\ZkTest\\ComServer";
    const Text dll = dir + "\\zkcom_ok.dll";
    struct Case {
        const char* name;
        int count; // -1: no count
        bool registeredAfter, fileAfter;
    };
    const Case cases[] = {
        {"another product counts it", 2, true, true},
        {"the last user", 1, false, false},
        {"no count", -1, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(CopyFileA((zktest::BinDir() + "\\zkcom_ok.dll").c_str(), dll.c_str(), FALSE));
        DeleteRegValue(SharedDllsKey, dll);
        if (c.count >= 0) {
            ASSERT_TRUE(WriteRegValue(SharedDllsKey, dll, IntToStr(c.count), true));
        }
        ASSERT_TRUE(RegisterServerFile(dll, true));
        // The shared line in another spelling, as a script may hold it.
        const UninstallWorkLists lists =
            ParseUninstallScript({"UN_REG_OCX_FILE(" + dll + ");", "UN_REG_FONT_FILE(" + dll + ");",
                                  "REMOVE_SHARED_FILE(" + ReplaceAll(dll, "\\", "/") + ");"});
        const RemovalContext ctx = MakeRemovalContext(lists, dir + "\\UnInstall.exe");
        const ItemResult font = RemoveFontItem(ctx, dll);
        EXPECT_EQ(font.reason.find("kept registered") != Text::npos, c.registeredAfter)
            << font.reason;
        RemovalRun run(lists, ctx, nullptr);
        EXPECT_TRUE(run.Perform({}, ""));
        EXPECT_EQ(RegKeyExists(server), c.registeredAfter) << run.Memo();
        EXPECT_EQ(Exists(dll), c.fileAfter) << run.Memo();
        if (Exists(dll)) RegisterServerFile(dll, false);
        DeleteRegValue(SharedDllsKey, dll);
    }
    zktest::RemoveScratch(dir);
}

TEST(UnregisterOcxItem, UnregistersExistingServersOnly) {
    const Text dir = zktest::ScratchDir("unremove_ocx");
    const Text key = "HKEY_CURRENT_USER\\Software\\ZkTest\\ComServer";
    DeleteRegKey(key);
    for (const char* dll : {"zkcom_ok.dll", "zkcom_fail.dll"})
        ASSERT_TRUE(
            CopyFileA((zktest::BinDir() + "\\" + dll).c_str(), (dir + "\\" + dll).c_str(), FALSE));
    ASSERT_TRUE(WriteBytes(dir + "\\plain.txt", "x"));
    ASSERT_TRUE(RegisterServerFile(dir + "\\zkcom_ok.dll", true));
    ASSERT_TRUE(RegKeyExists(key));
    const RemovalContext ctx = MakeRemovalContext({}, dir + "\\UnInstall.exe");
    struct Case {
        Text item;
        bool success;
    };
    const Case cases[] = {
        {ReplaceAll(dir, "\\", "/") + "/zkcom_ok.dll", true},
        {dir + "\\zkcom_fail.dll", false}, // marked and logged, counted nowhere
        {dir + "\\plain.txt", false},
        {dir + "\\missing.ocx", true},
    };
    for (const Case& c : cases) {
        const ItemResult r = UnregisterOcxItem(ctx, c.item);
        EXPECT_EQ(r.success, c.success) << c.item << ": " << r.reason;
        EXPECT_TRUE(r.reported) << c.item;
    }
    EXPECT_FALSE(RegKeyExists(key));
    EXPECT_TRUE(Exists(dir + "\\zkcom_ok.dll")); // the file goes with its REMOVE_FILE line
    zktest::RemoveScratch(dir);
}

// Wine keeps fonts per process and never removes one, so only the rows without a font file
// can be checked here.
TEST(RemoveFontItem, MissingOrRelativeFontIsASuccess) {
    const Text dir = zktest::ScratchDir("unremove_font");
    const RemovalContext ctx = MakeRemovalContext({}, dir + "\\UnInstall.exe");
    for (const Text& item : {dir + "\\gone.ttf", Text("fonts\\x.ttf")}) {
        const ItemResult r = RemoveFontItem(ctx, item);
        EXPECT_TRUE(r.success) << item << ": " << r.reason;
        EXPECT_TRUE(r.reported) << item;
    }
    zktest::RemoveScratch(dir);
}

namespace {

// One value of the shared-count key, written raw so that broken counts can be made too.
void SetSharedValue(const Text& file, DWORD type, const void* data, DWORD size) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE,
                              "Software\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs", 0,
                              nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegSetValueExA(key, file.c_str(), 0, type, static_cast<const BYTE*>(data), size);
    RegCloseKey(key);
}

} // namespace

TEST(RemoveSharedFileItem, CountsDecideAndBrokenCountsKeepTheFile) {
    const Text dir = zktest::ScratchDir("unremove_shared");
    enum Count { kNone, kDword, kText, kLong };
    struct Case {
        const char* name;
        Count kind;
        DWORD count;
        bool makeFile;
        bool success, survives;
        int countAfter; // -1: no value; -2: the broken value is kept as it was
    };
    const Case cases[] = {
        {"two.dll", kDword, 2, true, true, true, 1},
        {"one.dll", kDword, 1, true, true, false, -1},
        {"zero.dll", kDword, 0, true, true, false, -1},
        {"many.dll", kDword, 101, true, true, true, 100},
        {"none.dll", kNone, 0, true, true, true, -1},
        {"text.dll", kText, 0, true, false, true, -2},
        {"long.dll", kLong, 0, true, false, true, -2},
        {"gone.dll", kDword, 1, false, true, false, 1},
    };
    const RemovalContext ctx = MakeRemovalContext({}, dir + "\\UnInstall.exe");
    for (const Case& c : cases) {
        const Text file = dir + "\\" + c.name;
        if (c.makeFile) {
            ASSERT_TRUE(WriteBytes(file, "x"));
        }
        const uint64_t wide = 2;
        if (c.kind == kDword) SetSharedValue(file, REG_DWORD, &c.count, sizeof c.count);
        if (c.kind == kText) SetSharedValue(file, REG_SZ, "2", 2);
        if (c.kind == kLong) SetSharedValue(file, REG_BINARY, &wide, sizeof wide);

        const ItemResult r = RemoveSharedFileItem(ctx, file);
        EXPECT_EQ(r.success, c.success) << c.name << ": " << r.reason;
        EXPECT_EQ(Exists(file), c.survives) << c.name << ": " << r.reason;
        bool isNumber = false;
        const Text after = ReadRegValueAsText(SharedDllsKey, file, isNumber);
        if (c.countAfter >= 0) {
            EXPECT_EQ(after, IntToStr(c.countAfter)) << c.name;
        } else if (c.countAfter == -1) {
            EXPECT_FALSE(RegValueExists(SharedDllsKey, file)) << c.name;
        } else {
            EXPECT_TRUE(RegValueExists(SharedDllsKey, file)) << c.name;
        }
        DeleteRegValue(SharedDllsKey, file);
    }

    // The last user's file in use: the count is gone, the file stays and the item fails.
    const Text busy = dir + "\\busy.dll";
    ASSERT_TRUE(WriteBytes(busy, "x"));
    const DWORD one = 1;
    SetSharedValue(busy, REG_DWORD, &one, sizeof one);
    {
        UniqueFile held(CreateFileA(busy.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, 0, nullptr));
        const ItemResult r = RemoveSharedFileItem(ctx, ReplaceAll(busy, "\\", "/"));
        EXPECT_FALSE(r.success) << r.reason;
        EXPECT_NE(r.reason.find("error 32"), Text::npos) << r.reason;
    }
    EXPECT_TRUE(Exists(busy));
    EXPECT_FALSE(RegValueExists(SharedDllsKey, busy));

    // Counted under the script's spelling: found there first, then under the canonical one.
    const Text longName = dir + "\\Long Shared Name.dll";
    ASSERT_TRUE(WriteBytes(longName, "x"));
    char shortBuffer[MAX_PATH];
    ASSERT_GT(GetShortPathNameA(longName.c_str(), shortBuffer, MAX_PATH), 0u);
    const Text shortName = shortBuffer, slashName = ReplaceAll(longName, "\\", "/");
    ASSERT_NE(shortName, longName);
    struct Spelling {
        Text item;
        DWORD scriptCount, canonicalCount; // 0: no value
        bool survives;
        DWORD scriptAfter, canonicalAfter;
    } spellings[] = {
        {shortName, 2, 0, true, 1, 0},
        {slashName, 1, 0, false, 0, 0},
        {shortName, 1, 3, false, 0, 3}, // the script's count decides
        {slashName, 0, 2, true, 0, 1},  // only the canonical one
    };
    auto sharedCount = [](const Text& name) -> DWORD {
        bool isNumber = false;
        return static_cast<DWORD>(
            StrToIntDef(ReadRegValueAsText(SharedDllsKey, name, isNumber), 0));
    };
    for (const Spelling& c : spellings) {
        ASSERT_TRUE(WriteBytes(longName, "x"));
        if (c.scriptCount) SetSharedValue(c.item, REG_DWORD, &c.scriptCount, sizeof(DWORD));
        if (c.canonicalCount) SetSharedValue(longName, REG_DWORD, &c.canonicalCount, sizeof(DWORD));
        const ItemResult r = RemoveSharedFileItem(ctx, c.item);
        EXPECT_TRUE(r.success) << c.item << ": " << r.reason;
        EXPECT_EQ(Exists(longName), c.survives) << c.item << ": " << r.reason;
        EXPECT_EQ(sharedCount(c.item), c.scriptAfter) << c.item;
        EXPECT_EQ(sharedCount(longName), c.canonicalAfter) << c.item;
        DeleteRegValue(SharedDllsKey, c.item);
        DeleteRegValue(SharedDllsKey, longName);
    }
    zktest::RemoveScratch(dir);
}

TEST(OperationRows, ReplayTheirUninstallActionAndRefuseSharedKeys) {
    const Text dir = zktest::ScratchDir("unremove_rows");
    const Text base = zktest::ScratchKey("unremove_rows");
    const Text shared =
        "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\UnInstall";
    const TextList canaries = {base + "\\Canary", shared + "\\ZkTestUnremoveRowCanary",
                               "HKEY_CLASSES_ROOT\\Folder\\shell\\ZkTestUnremoveCanary"};
    for (const Text& c : canaries) ASSERT_TRUE(WriteRegValue(c, "v", "1", false)) << c;
    ASSERT_TRUE(WriteRegValue(base + "\\Product\\Sub", "v", "1", false));
    ASSERT_TRUE(WriteRegValue(base + "\\Keep", "v", "1", false));
    ASSERT_TRUE(WriteRegValue(base + "\\Keep", "w", "1", false));
    ASSERT_TRUE(RegisterOpenWithVerb("ZkTestUnremoveVerb", "Open", "C:\\x.exe", true, ""));
    ASSERT_TRUE(WriteBytes(dir + "\\app.ini", "[S]\r\nK=1\r\nL=2\r\n"));
    const Text env = "HKEY_CURRENT_USER\\Environment";
    ASSERT_TRUE(WriteRegValue(env, "ZK_UNREMOVE_VAR", "C:\\keep;" + dir, false));
    SetInstallFolders(dir, "", "");
    const RemovalContext ctx = MakeRemovalContext({}, dir + "\\UnInstall.exe");

    struct Case {
        ItemResult (*handler)(const RemovalContext&, const Text&);
        Text row;
        bool success, refused;
    };
    const Case cases[] = {
        {UndoRegistryOpItem, "|" + base + "\\Product|v|1|Create|Remove Key|String|", true, false},
        {UndoRegistryOpItem, "|" + base + "\\Keep|v|1|Create|Remove Value|String|", true, false},
        {UndoRegistryOpItem, "|HKEY_CURRENT_USER\\Software|v|1|Create|Remove Key|String|", true,
         true},
        {UndoRegistryOpItem, "|" + shared + "|||Create|remove key||", true, true},
        // An unset install folder leaves only its backslash: the whole Software key.
        {UndoRegistryOpItem,
         "|HKEY_CURRENT_USER\\Software\\<Common Folder>|||Create|Remove "
         "Key||",
         true, true},
        {UndoIniFileOpItem, "|<Application Folder>app.ini|S|K|1|Create|Remove|", true, false},
        // Environment values take the folder without a backslash after it.
        {UndoEnvironmentOpItem, "|ZK_UNREMOVE_VAR|;<Application Folder>|Append|Remove|User|", true,
         false},
        {UndoOpenWithItem, "|ZkTestUnremoveVerb||", true, false},
        {UndoOpenWithItem, "|||", false, false},
    };
    for (const Case& c : cases) {
        const ItemResult r = c.handler(ctx, c.row);
        EXPECT_EQ(r.success, c.success) << c.row << ": " << r.reason;
        EXPECT_EQ(r.reason.find("refused") != Text::npos, c.refused) << c.row << ": " << r.reason;
        EXPECT_TRUE(r.reported) << c.row;
    }
    EXPECT_FALSE(RegKeyExists(base + "\\Product"));
    EXPECT_FALSE(RegValueExists(base + "\\Keep", "v"));
    EXPECT_TRUE(RegValueExists(base + "\\Keep", "w"));
    EXPECT_FALSE(RegKeyExists("HKEY_CLASSES_ROOT\\Folder\\shell\\ZkTestUnremoveVerb"));
    EXPECT_EQ(IniReadString(dir + "\\app.ini", "S", "K", "gone"), "gone");
    EXPECT_EQ(IniReadString(dir + "\\app.ini", "S", "L", "gone"), "2");
    bool isNumber = false;
    EXPECT_EQ(ReadRegValueAsText(env, "ZK_UNREMOVE_VAR", isNumber), "C:\\keep");
    DeleteRegValue(env, "ZK_UNREMOVE_VAR");
    for (const Text& c : canaries) {
        EXPECT_TRUE(RegKeyExists(c)) << c;
        DeleteRegKey(c);
    }
    DeleteRegKey(base);
    zktest::RemoveScratch(dir);
}
