// Whole uninstall scripts that try to reach beyond the product, run through the removal as
// the window runs it: every canary file and key must survive, and the product's own items go.
#include "UnMain.h"
#include "UnRemove.h"
#include "UnScript.h"

#include "RegOp.h"
#include "TestEnv.h"

#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

using namespace zk;
using zktest::Exists;
using zktest::WriteBytes;

namespace {

Text ShellFolder(int csidl) {
    char buf[MAX_PATH];
    return SUCCEEDED(SHGetFolderPathA(nullptr, csidl, nullptr, 0, buf)) ? Text(buf) : Text();
}

Text ShortName(const Text& path) {
    char buf[MAX_PATH];
    DWORD n = GetShortPathNameA(path.c_str(), buf, MAX_PATH);
    return n > 0 && n < MAX_PATH ? Text(buf, n) : path;
}

struct Script {
    const char* name;
    Text text;         // "%S%" is the scratch folder, "%K%" the scratch key
    TextList canaries; // files ("\" inside) or keys ("HKEY_" at the start) that must stay
    TextList gone;     // the product's own files, folders and keys
    TextList made;     // folders ("\" at the end) and files to make before the run
};

Text Fill(const Text& text, const Text& scratch, const Text& key) {
    return ReplaceAll(ReplaceAll(text, "%S%", scratch), "%K%", key);
}

bool IsKey(const Text& path) {
    return StartsText("HKEY_", path);
}

bool Present(const Text& path) {
    return IsKey(path) ? RegKeyExists(path) : Exists(path);
}

void Make(const Text& path) {
    if (IsKey(path)) {
        ASSERT_TRUE(WriteRegValue(path, "v", "1", false)) << path;
    } else if (path.ends_with("\\")) {
        CreateDirectoryA(path.c_str(), nullptr);
    } else {
        ASSERT_TRUE(WriteBytes(path, "canary")) << path;
    }
}

void Unmake(const Text& path) {
    if (IsKey(path)) {
        DeleteRegKey(path);
    } else if (!path.ends_with("\\") && path.find("zktest") == Text::npos) {
        DeleteFileA(path.c_str());
    }
}

} // namespace

TEST(AdversarialScripts, LeaveEverythingOutsideTheProduct) {
    const Text scratch = zktest::ScratchDir("unremove_scripts");
    const Text key = zktest::ScratchKey("unremove_scripts");
    const Text windows = ShellFolder(CSIDL_WINDOWS);
    const Text programs = ShellFolder(CSIDL_PROGRAM_FILES);
    const Text documents = ShellFolder(CSIDL_PERSONAL);
    const Text cv = "Software\\Microsoft\\Windows\\CurrentVersion";
    const Text canary = "\\zk_unremove_script_canary.txt";
    ASSERT_FALSE(windows.empty() || programs.empty() || documents.empty());

    const Script scripts[] = {
        {"Windows folders in every spelling",
         "FORCE_REMOVE_DIR(" + windows + "\\.);\r\nFORCE_REMOVE_DIR(" +
             ReplaceAll(windows, "\\", "/") + ");\r\nFORCE_REMOVE_FOLDER(" + windows +
             "\\x\\..);\r\nREMOVE_DIR(" + windows + "\\system32\\);\r\nFORCE_REMOVE_DIR(" +
             ShortName(programs) +
             ");\r\nFORCE_REMOVE_DIR(C:\\);\r\nFORCE_REMOVE_DIR(c:);\r\n"
             "FORCE_REMOVE_DIR(\\);\r\nFORCE_REMOVE_DIR(\\zktest\\unremove_scripts\\cwd);\r\n",
         {windows + canary, windows + "\\system32" + canary, programs + canary, "C:" + canary,
          "%S%\\keep.txt", "%S%\\cwd\\cwd.txt"},
         {},
         {}},
        {"the user's Documents, forced",
         "TargetDir=" + documents + "\r\nFORCE_REMOVE_DIR(" + documents + ");\r\n" +
             "FORCE_REMOVE_FOLDER(" + ShortName(documents) + "\\);\r\nREMOVE_FILE(" + documents +
             "\\Product\\p.txt);\r\nREMOVE_DIR(" + documents + "\\Product);\r\n",
         {documents + canary},
         {documents + "\\Product"},
         {documents + "\\Product\\", documents + "\\Product\\p.txt"}},
        {"relative items against the working folder",
         "REMOVE_FILE(cwd.txt);\r\nREMOVE_FILE(.\\cwd.txt);\r\nFORCE_REMOVE_DIR(.);\r\n"
         "FORCE_REMOVE_DIR(..);\r\nFORCE_REMOVE_DIR(sub);\r\nREMOVE_DIR( %S%\\cwd\\sub);\r\n"
         "REMOVE_SHARED_FILE(cwd.txt);\r\n",
         {"%S%\\cwd\\cwd.txt", "%S%\\cwd\\sub\\s.txt", "%S%\\keep.txt"},
         {},
         {"%S%\\cwd\\", "%S%\\cwd\\cwd.txt", "%S%\\cwd\\sub\\", "%S%\\cwd\\sub\\s.txt"}},
        {"a forced removal of the product keeps the user's data",
         "TargetDir=%S%\\Product\r\nDONT_REMOVE_DIR(%S%/Product/User Data/);\r\n"
         "FORCE_REMOVE_DIR(%S%\\Product);\r\nREMOVE_DIR(%S%\\Product);\r\n",
         {"%S%\\Product\\User Data\\doc.txt", "%S%\\keep.txt"},
         {"%S%\\Product\\bin", "%S%\\Product\\readme.txt"},
         {"%S%\\Product\\", "%S%\\Product\\bin\\", "%S%\\Product\\bin\\x.dll",
          "%S%\\Product\\readme.txt", "%S%\\Product\\User Data\\",
          "%S%\\Product\\User Data\\doc.txt"}},
        {"empty protection entries protect nothing",
         "DONT_REMOVE_DIR();\r\nDONT_REMOVE_JUST_DIR();\r\nAVOID_ERR_REMOVE_DIR();\r\n"
         "DONT_REMOVE_DIR( );\r\nREMOVE_FILE(%S%\\P\\a.txt);\r\nREMOVE_DIR(%S%\\P);\r\n",
         {"%S%\\keep.txt"},
         {"%S%\\P"},
         {"%S%\\P\\", "%S%\\P\\a.txt"}},
        {"registry roots and shared keys",
         "REMOVE_REG_KEY();\r\nREMOVE_REG_KEY(HKEY_CURRENT_USER);\r\n"
         "REMOVE_REG_KEY(HKEY_CURRENT_USER\\);\r\nREMOVE_REG_KEY(HKEY_CURRENT_USER\\Software);\r\n"
         "REMOVE_REG_KEY(Software);\r\nREMOVE_REG_KEY(HKEY_LOCAL_MACHINE\\SOFTWARE\\);\r\n"
         "REMOVE_REG_KEY(HKEY_CLASSES_ROOT\\CLSID\\);\r\n"
         "REMOVE_REG_KEY(HKEY_USERS\\.DEFAULT\\Software);\r\n"
         "REMOVE_REG_KEY(HKEY_CURRENT_USER\\" +
             cv + ");\r\nREMOVE_REG_KEY(HKEY_CURRENT_USER\\" + cv +
             "\\UnInstall);\r\nREMOVE_REG_KEY(HKEY_LOCAL_MACHINE\\" + cv +
             "\\App Paths\\);\r\nREMOVE_REG_KEY(HKEY_LOCAL_MACHINE\\" + cv +
             "\\SharedDLLs);\r\nSET_PERFORM_REGISTRY_OP(|HKEY_CURRENT_USER\\Software|||Create|"
             "Remove Key||);\r\nSET_PERFORM_REGISTRY_OP(|HKEY_LOCAL_MACHINE\\" +
             cv + "\\UnInstall|||Create|Remove Key||);\r\nREMOVE_REG_KEY(%K%\\Product);\r\n",
         {"%K%\\Canary", "HKEY_CURRENT_USER\\" + cv + "\\UnInstall\\ZkTestUnremoveScript",
          "HKEY_LOCAL_MACHINE\\" + cv + "\\UnInstall\\ZkTestUnremoveScript",
          "HKEY_LOCAL_MACHINE\\" + cv + "\\App Paths\\zk_unremove_script.exe",
          "HKEY_LOCAL_MACHINE\\" + cv + "\\SharedDLLs\\ZkTestUnremoveScript",
          "HKEY_CLASSES_ROOT\\CLSID\\{ZkTestUnremoveScript}"},
         {"%K%\\Product"},
         {"%K%\\Product\\Sub"}},
    };

    ASSERT_TRUE(WriteBytes(scratch + "\\keep.txt", "canary"));
    CreateDirectoryA((scratch + "\\cwd").c_str(), nullptr);
    for (const Script& s : scripts) {
        SCOPED_TRACE(s.name);
        TextList canaries, gone;
        for (const Text& m : s.made) Make(Fill(m, scratch, key));
        for (const Text& c : s.canaries) {
            canaries.push_back(Fill(c, scratch, key));
            if (!Present(canaries.back())) Make(canaries.back());
        }
        for (const Text& g : s.gone) gone.push_back(Fill(g, scratch, key));
        SetCurrentDirectoryA((scratch + "\\cwd").c_str());

        const UninstallWorkLists lists =
            ParseUninstallScript(SplitLines(Fill(s.text, scratch, key)));
        const RemovalContext ctx = MakeRemovalContext(lists, scratch + "\\Own\\UnInstall.exe");
        RemovalRun run(lists, ctx, nullptr);
        EXPECT_TRUE(run.Perform({}, ""));
        SetCurrentDirectoryA(scratch.c_str());

        const RemovalCounters& n = run.Counters();
        EXPECT_EQ(n.registry + n.iniFile + n.association + n.directories + n.files, 0)
            << run.Memo();
        for (const Text& c : canaries) EXPECT_TRUE(Present(c)) << c;
        for (const Text& g : gone) EXPECT_FALSE(Present(g)) << g;
        for (const Text& c : canaries) Unmake(c);
    }
    SetCurrentDirectoryA("C:\\");
    DeleteRegKey(key);
    zktest::RemoveScratch(scratch);
}
