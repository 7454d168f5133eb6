// The changes after the copy: shortcut lines (links made or not, folders made here or found),
// the rows and what they log, an environment row that changed nothing, COM servers, fonts
// with a window that does not answer, the user-information key and the script's own lines.
// The shortcut writer is stood in for by one that writes marker files into scratch folders.
#include "SPostCopy.h"

#include "Common.h"
#include "RegOp.h"
#include "RegSvr.h"
#include "SScriptRead.h"
#include "TestEnv.h"
#include "UnScript.h"
#include "UtilPlus.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <thread>

using namespace zk;

namespace {

// A target folder, the script, the writer and the host; every log line kept.
struct Installation {
    Text root, target;
    TScript script;
    std::unique_ptr<TUninstallWriter> writer;
    InstallHost host;
    TextList log;

    Installation(const Text& name, const Text& scriptText) {
        root = zktest::ScratchDir(name);
        target = root + "\\Program Dir";
        CreateDirectoryA(target.c_str(), nullptr);
        ReadScriptText(script, scriptText, {});
        SetInstallFolders(target, target, target);
        const Text path = target + "\\UnInstall.txt";
        writer = std::make_unique<TUninstallWriter>(true, false, [path] { return path; });
        host.script = &script;
        host.uninstall = writer.get();
        host.targetDir = host.sharedDir = host.auxiliaryDir = target;
        host.addSetupLogLine = [this](const Text& line) { log.push_back(line); };
    }
    ~Installation() {
        writer.reset();
        zktest::RemoveScratch(root);
    }
    TextList Lines() {
        writer->Close();
        return SplitLines(zktest::ReadBytes(writer->Path()));
    }
    bool Logged(const Text& line) const {
        return std::find(log.begin(), log.end(), line) != log.end();
    }
};

} // namespace

TEST(PostCopy, LinkTargetsAndWindowStates) {
    const Text dir = zktest::ScratchDir("postcopy_targets");
    zktest::WriteBytes(dir + "\\app.bin", "x");
    struct Case {
        Text target;
        bool valid;
    };
    const Case cases[] = {
        {"", false},
        {dir + "\\app.bin", true},
        {dir, true},
        {"http://example.com", true},
        {"WWW.example.com", true},
        {"MAILTO:a@b.c", true},
        {"notepad.exe", true},
        {"NOTEPAD.EXE /x", true},
        {dir + "\\missing.exe", false},
        {"readme", false},
    };
    for (const Case& c : cases) EXPECT_EQ(IsLinkTargetValid(c.target), c.valid) << c.target;
    EXPECT_EQ(WindowStateToShowCmd("Normal Window"), 1);
    EXPECT_EQ(WindowStateToShowCmd("Minimized"), 7);
    EXPECT_EQ(WindowStateToShowCmd("Maximized"), 3);
    EXPECT_EQ(WindowStateToShowCmd("maximized"), 1);
    zktest::RemoveScratch(dir);
}

TEST(PostCopy, ShortcutLinesForLinksMadeAndFoldersMadeHere) {
    Installation inst(
        "postcopy_links",
        "SET_PROG_NAME(Demo)\r\n"
        "SET_PROG_EXE_NAME(<InstallDir>demo.exe)\r\n"
        "SET_START_PROGRAM_LINK_NAME(Demo)\r\n"
        "SET_START_PROGRAM_LINK_FOLDER(Demo Group)\r\n"
        "SET_START_PROGRAM_LINK_RUN(Maximized)\r\n"
        "SET_FORCE_REMOVE_SHORTCUT_FOLDER(1)\r\n"
        "SET_START_PROGRAM_LINK_ITEM(Readme|<InstallDir>readme.txt|Docs/Deep||||||)\r\n"
        "SET_START_PROGRAM_LINK_ITEM(Web|www.example.com|<Desktop>||||||)\r\n"
        "SET_START_PROGRAM_LINK_ITEM(Broken|<InstallDir>demo.exe|||||||)\r\n"
        "SET_START_PROGRAM_LINK_ITEM(Missing|C:\\nowhere\\x.exe|||||||)\r\n"
        "SET_START_PROGRAM_LINK_ITEM(Own|<InstallDir>demo.exe|\\Existing Group||||||)\r\n"
        "SET_RUN_AUTO_UPDATE_AT_STARTUP(1)\r\n"
        "SET_AUTO_UPDATE_EXE_FILE_NAME(update.exe)\r\n");
    for (const char* f : {"demo.exe", "readme.txt", "update.exe"})
        zktest::WriteBytes(inst.target + "\\" + f, "x");
    const Text shell = inst.root + "\\Shell";
    CreateDirectoryA(shell.c_str(), nullptr);
    const char* folders[] = {"Desktop", "Start Menu", "Programs",    "Startup",
                             "",        "SendTo",     "Quick Launch"};
    for (const char* f : folders) CreateDirectoryA((shell + "\\" + f).c_str(), nullptr);
    const Text programs = shell + "\\Programs", desktop = shell + "\\Desktop";
    CreateDirectoryA((programs + "\\Existing Group").c_str(), nullptr);

    std::vector<LinkRequest> made;
    PostCopyHost post;
    post.programGroup = "Demo Group";
    post.desktop = {true, "Demo Desk"};
    post.sendTo = {true, "Broken Send"};
    post.startMenu = {false, "Not Ticked"};
    post.shellFolder = [&](int location, bool) { return shell + "\\" + folders[location]; };
    post.createLink = [&](const LinkRequest& r) {
        made.push_back(r);
        Text folder = shell + "\\" + folders[r.location];
        if (!r.subFolder.empty()) {
            const Text sub = ReplaceAll(r.subFolder, "/", "\\");
            for (size_t p = sub.find('\\'); p != Text::npos; p = sub.find('\\', p + 1))
                CreateDirectoryA((folder + "\\" + sub.substr(0, p)).c_str(), nullptr);
            folder += "\\" + sub;
            CreateDirectoryA(folder.c_str(), nullptr);
        }
        if (r.name.find("Broken") != Text::npos) return folder; // not made
        const Text path = folder + "\\" + r.name + (r.target.find("www.") == 0 ? ".url" : ".lnk");
        zktest::WriteBytes(path, "link");
        return path;
    };
    Text postCommand;
    post.setPostSetupCommand = [&](const Text& c) { postCommand = c; };
    TOriginalInfoFile info;
    ASSERT_TRUE(CreateShortcuts(inst.host, post, info));

    const Text group = programs + "\\Demo Group";
    const TextList expected = {
        "REMOVE_FILE(" + group + "\\Demo.lnk);",
        "FORCE_REMOVE_FOLDER(" + group + ");",
        "REMOVE_FILE(" + group + "\\Docs\\Deep\\Readme.lnk);",
        "FORCE_REMOVE_FOLDER(" + group + "\\Docs\\Deep);",
        "REMOVE_FOLDER(" + group + "\\Docs);",
        "REMOVE_FOLDER(" + group + ");",
        "REMOVE_FILE(" + desktop + "\\Web.url);",
        "REMOVE_FILE(" + programs + "\\Existing Group\\Own.lnk);",
        "REMOVE_FOLDER(" + programs + "\\Existing Group);",        // there before: never forced,
        "AVOID_ERR_REMOVE_DIR(" + programs + "\\Existing Group);", // and others' links keep it
        "REMOVE_FILE(" + desktop + "\\Demo Desk.lnk);",
        "REMOVE_FILE(" + shell + "\\Startup\\Demo - Auto Update.lnk);",
    };
    EXPECT_EQ(inst.Lines(), expected);

    ASSERT_EQ(made.size(), 8u) << "no link for an invalid target or an unticked box";
    EXPECT_EQ(made[0].subFolder, "Demo Group");
    EXPECT_EQ(made[0].target, inst.target + "\\demo.exe");
    EXPECT_EQ(made[0].showCommand, 3);
    EXPECT_EQ(made[1].subFolder, "Demo Group\\Docs/Deep");
    EXPECT_EQ(made[2].location, 0);
    EXPECT_EQ(made[4].subFolder, "Existing Group");
    EXPECT_EQ(made[5].name, "Demo Desk");
    EXPECT_EQ(made[5].showCommand, 3);
    EXPECT_EQ(made[7].location, 3);
    EXPECT_EQ(made[7].arguments, "/DELAY=120");
    EXPECT_EQ(made[7].showCommand, 0);
    EXPECT_EQ(postCommand, "\"" + inst.target + "\\update.exe\" /DELAY=120");

    const TextList logged = {"Create Start/Program Link(s):",
                             "  Demo Group\\Demo  (" + inst.target + "\\demo.exe)",
                             "  \\Web  (www.example.com)",
                             "Create Desktop Link:",
                             "Create SendTo Link:",
                             "  Broken Send  (" + inst.target + "\\demo.exe)",
                             "\\\\x ... FAILED",
                             "Create AutoUpdate link at StartUp:"};
    for (const Text& line : logged) EXPECT_TRUE(inst.Logged(line)) << line;
    EXPECT_FALSE(inst.Logged("Create Start Menu Link:"));
}

TEST(PostCopy, RowsAreLoggedAndAnUnchangedEnvironmentRowWritesNoLine) {
    const Text key = zktest::ScratchKey("postcopy_rows");
    Installation inst(
        "postcopy_rows",
        "SET_PERFORM_REGISTRY_OP(" + key +
            "|Path|<InstallDir>|Create|RemoveKey|String)\r\n"
            "SET_PERFORM_INIFILE_OP(<InstallDir>demo.ini|Sec|Key|Val|Create|Remove)\r\n"
            "SET_PERFORM_ENVIRONMENT_OP(ZK_NEW|1|Create|Remove|User)\r\n"
            "SET_PERFORM_ENVIRONMENT_OP(PATH|x|Append|Remove|User)\r\n");
    ApplyRegistryOps(inst.host);
    ApplyIniFileOps(inst.host);
    TextList performed;
    PostCopyHost post;
    post.environmentOp = [&](const Text& row) {
        performed.push_back(row);
        return ListItem(row, 0) == "ZK_NEW"; // the Append found its item there already
    };
    ASSERT_TRUE(ApplyEnvironmentOps(inst.host, post));

    bool isNumber = false;
    EXPECT_EQ(ReadRegValueAsText(key, "Path", isNumber), inst.target + "\\");
    EXPECT_EQ(IniReadString(inst.target + "\\demo.ini", "Sec", "Key", ""), "Val");
    EXPECT_EQ(performed,
              (TextList{"|ZK_NEW|1|Create|Remove|User|", "|PATH|x|Append|Remove|User|"}));
    const TextList log = {
        "RegistryOp: Create  " + key + "\\Path=<InstallDir>",
        "IniFileOp: Create  <InstallDir>demo.ini  [Sec] Key=Val",
        "EnvironmentOp: ZK_NEW=1",
        "EnvironmentOp: PATH=x",
    };
    EXPECT_EQ(inst.log, log);
    EXPECT_EQ(inst.Lines(),
              (TextList{"SET_PERFORM_ENVIRONMENT_OP(|ZK_NEW|1|Create|Remove|User|);", ""}));
    DeleteRegKey(key);
}

// Each undo line is written before its change (a run killed in between leaves nothing that no
// line undoes), so a server that fails to register has its line too; a line that cannot be
// written leaves the change unmade.
TEST(PostCopy, ComServersAndFonts) {
    Installation inst("postcopy_comfont", "");
    const Text ok = zktest::BinDir() + "\\zkcom_ok.dll",
               bad = zktest::BinDir() + "\\zkcom_fail.dll";
    const Text server = "HKEY_CURRENT_USER\\Software\\ZkTest\\ComServer";
    ASSERT_TRUE(RegisterComServers(inst.host, {ok, bad}));
    EXPECT_TRUE(RegKeyExists(server));
    RegisterServerFile(ok, false);
    EXPECT_EQ(inst.Lines(),
              (TextList{"UN_REG_OCX_FILE(" + ok + ");", "UN_REG_OCX_FILE(" + bad + ");"}));

    TUninstallWriter lost(true, false, [&] { return inst.root + "\\gone\\UnInstall.txt"; });
    inst.host.uninstall = &lost;
    EXPECT_FALSE(RegisterComServers(inst.host, {ok}));
    EXPECT_FALSE(RegKeyExists(server)) << "registered without its undo line";
    inst.host.uninstall = inst.writer.get();
}

TEST(PostCopy, FontsAddedAndAWindowThatDoesNotAnswerIsNotWaitedFor) {
    const Text font = zktest::BinDir() + "\\zkfont.ttf";
    if (!zktest::Exists(font)) GTEST_SKIP() << "no TrueType font on the build machine";
    Installation inst("postcopy_font", "");
    const Text good = inst.target + "\\zkpostcopy_font.ttf", junk = inst.target + "\\junk.ttf";
    ASSERT_TRUE(CopyFileA(font.c_str(), good.c_str(), FALSE));
    zktest::WriteBytes(junk, "not a font");
    // The window hangs until the fonts are in, or a minute: a wait for it would last that long.
    HANDLE ready = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HANDLE release = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    std::thread hung([ready, release] {
        HWND w = CreateWindowExA(0, "STATIC", "zk hung", WS_OVERLAPPED, 0, 0, 10, 10, nullptr,
                                 nullptr, nullptr, nullptr);
        SetEvent(ready);
        WaitForSingleObject(release, 60000); // no message pumped meanwhile
        DestroyWindow(w);
    });
    WaitForSingleObject(ready, 5000);
    const DWORD start = GetTickCount();
    EXPECT_TRUE(InstallFonts(inst.host, {good, junk}));
    EXPECT_LT(GetTickCount() - start, 30000u) << "waited for a window that does not answer";
    SetEvent(release);
    hung.join();
    CloseHandle(release);
    CloseHandle(ready);
    RemoveFontResourceA(good.c_str());
    EXPECT_EQ(inst.Lines(),
              (TextList{"UN_REG_FONT_FILE(" + good + ");", "UN_REG_FONT_FILE(" + junk + ");"}));
}

// The key's line first, then lines for the parents it makes (taken only when empty); the
// script's forced removal of a folder stays forced only for the product's own folder.
TEST(PostCopy, UserInfoKeyAndTheScriptsOwnLinesCloseTheRun) {
    const Text company = "HKEY_LOCAL_MACHINE\\Software\\ZkTestCo PostCopy";
    const struct {
        const char* name;
        FolderOwnerProc owner;
        TextList cacheLines; // %T%: the target folder
    } cases[] = {
        {"the product's",
         [](const Text&) { return FolderOwner::ThisRun; },
         {"FORCE_REMOVE_DIR(%T%\\cache);"}},
        {"not judged", nullptr, {"REMOVE_DIR(%T%\\cache);", "AVOID_ERR_REMOVE_DIR(%T%\\cache);"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        DeleteRegKey(company);
        Installation inst("postcopy_userinfo",
                          "SET_COMPANY_NAME(ZkTestCo PostCopy)\r\n"
                          "SET_PROG_NAME(Demo)\r\n"
                          "SET_PROG_VERSION(1.0)\r\n"
                          "SET_FORCE_REMOVE_TARGET_SUB_DIR(cache)\r\n"
                          "SET_REMOVE_ABSOLUTE_FILE(C:\\zk\\<TARGET_DIR>.bak)\r\n");
        inst.host.userName = "Ann\r\nB";
        inst.host.companyName = "Acme";
        inst.host.folderOwner = c.owner;
        PostCopyHost post;
        TOriginalInfoFile info;
        ASSERT_TRUE(ApplyPostCopyChanges(inst.host, post, info));
        const Text key = company + "\\Demo\\1.0";
        bool isNumber = false;
        EXPECT_EQ(ReadRegValueAsText(key, "Name", isNumber), "AnnB");
        EXPECT_EQ(ReadRegValueAsText(key, "Company", isNumber), "Acme");
        TextList expected = {"REMOVE_REG_KEY(" + key + ");",
                             "REMOVE_EMPTY_REG_KEY(" + company + "\\Demo);",
                             "REMOVE_EMPTY_REG_KEY(" + company + ");"};
        for (const Text& l : c.cacheLines) expected.push_back(ReplaceAll(l, "%T%", inst.target));
        expected.push_back("REMOVE_FILE(C:\\zk\\" + inst.target + ".bak);");
        EXPECT_EQ(inst.Lines(), expected);
    }

    // A line that cannot be written: no key either.
    DeleteRegKey(company);
    Installation inst("postcopy_userinfo", "SET_COMPANY_NAME(ZkTestCo PostCopy)\r\n"
                                           "SET_PROG_NAME(Demo)\r\n"
                                           "SET_PROG_VERSION(1.0)\r\n");
    TUninstallWriter lost(true, false, [&] { return inst.root + "\\gone\\UnInstall.txt"; });
    inst.host.uninstall = &lost;
    EXPECT_FALSE(ApplyUserInfoKey(inst.host));
    EXPECT_FALSE(RegKeyExists(company));
    inst.host.uninstall = inst.writer.get();
}

TEST(PostCopy, AssociationsAndOpenWithLogOnlyWhatWasMade) {
    const Text hkcr = "HKEY_CLASSES_ROOT\\";
    Installation inst("postcopy_assoc", "SET_PROG_EXE_NAME(<InstallDir>demo.exe)\r\n"
                                        "SET_OPEN_WITH(1)\r\n"
                                        "SET_OPEN_WITH_NAME(ZkTestOpen)\r\n"
                                        "SET_OPEN_WITH_MENU_TEXT(Open with Demo)\r\n"
                                        "SET_OPEN_WITH_EXTENSIONS(*.zkpc)\r\n");
    const Text row = "|ZkTestPostCopy.Doc|ZK document|.zkpc||<InstallDir>demo.exe|||Create|Remove|";
    const Text noCommand = "|ZkTestPostCopy.Bad|ZK bad|.zkpb||||||Create|Remove|";
    inst.host.tickedAssociations = {row, noCommand};
    ApplyAssociations(inst.host);
    ApplyOpenWith(inst.host);

    bool isNumber = false;
    EXPECT_EQ(ReadRegValueAsText(hkcr + ".zkpc", "", isNumber), "ZkTestPostCopy.Doc");
    EXPECT_EQ(ReadRegValueAsText(hkcr + "ZkTestPostCopy.Doc\\shell\\open\\command", "", isNumber),
              "\"" + inst.target + "\\demo.exe\" \"%1\"");
    EXPECT_EQ(ReadRegValueAsText(hkcr + "ZkTestPostCopy.Doc\\Shell\\ZkTestOpen", "", isNumber),
              "Open with Demo");
    EXPECT_FALSE(RegKeyExists(hkcr + ".zkpb"));
    EXPECT_EQ(inst.log, (TextList{"Associate: ZkTestPostCopy.Doc", "OpenWith: Open with Demo"}));

    RegisterOpenWithVerb("ZkTestOpen", "", "", false, "*.zkpc");
    PerformAssociationOp(row, 0);
    EXPECT_FALSE(RegKeyExists(hkcr + "ZkTestPostCopy.Doc"));
    EXPECT_FALSE(RegKeyExists(hkcr + "Folder\\shell\\ZkTestOpen"));
}
