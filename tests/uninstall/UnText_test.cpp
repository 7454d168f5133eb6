// Pure text parts of the uninstaller: script reading, handling order, protection rules,
// summary and the self-deletion batch.
#include "UnFilters.h"
#include "UnReport.h"
#include "UnScript.h"
#include "MsgMarkup.h"

#include <gtest/gtest.h>

using namespace zk;

TEST(UninstallScriptReader, HeaderValuesFirstLineWinsIgnoringKeyCase) {
    const TextList lines = SplitLines("PROG_NAME=First\r\nprog_name=Second\r\nS1=a=b\nEMPTY=\r"
                                      "REMOVE_FILE(C:\\x=y.txt)\r\nCHAR_SET=177");
    struct Case {
        const char* key;
        const char* value;
    };
    const Case cases[] = {{"PROG_NAME", "First"},
                          {"Prog_Name", "First"},
                          {"S1", "a=b"},
                          {"EMPTY", ""},
                          {"MISSING", ""},
                          {"CHAR_SET", "177"},
                          {"REMOVE_FILE(C:\\x", "y.txt)"}};
    for (const Case& c : cases) EXPECT_EQ(GetScriptValue(lines, c.key), c.value) << c.key;
    EXPECT_TRUE(IsFlagOn("1"));
    EXPECT_FALSE(IsFlagOn(" 1"));
    EXPECT_FALSE(IsFlagOn("true"));
}

TEST(UninstallScriptReader, ExecuteVariablesComeFromTheHeader) {
    const TextList lines = SplitLines("SetupType=Custom\r\nGroupNames=|Main|Help|\r\n"
                                      "UserData=|Ann|Acme|\r\nUserData=|Bob|Other|\r\n");
    struct Case {
        const char* name;
        const char* value;
    };
    const Case cases[] = {
        {"UserName", "Ann"},     {"companyname", "Acme"}, {"GroupNameString", "|Main|Help|"},
        {"SETUPTYPE", "Custom"}, {"UserData", ""},        {"", ""}};
    for (const Case& c : cases) EXPECT_EQ(GetUserVariable(lines, c.name), c.value) << c.name;
}

TEST(UninstallScriptReader, CommandArgumentIsBetweenFirstOpenAndLastClose) {
    struct Case {
        const char* line;
        const char* argument;
    };
    const Case cases[] = {
        {"REMOVE_FILE(C:\\A(1)\\b.txt)", "C:\\A(1)\\b.txt"},
        {"REMOVE_FILE(C:\\x.txt);", "C:\\x.txt"},
        {"REMOVE_FILE( C:\\x.txt \"q\" )", " C:\\x.txt \"q\" "},
        {"REMOVE_FILE()", ""},
        {"REMOVE_FILE)x(", ""},
        {"REMOVE_FILE(C:\\x", ""},
        {"REMOVE_FILE", ""},
    };
    for (const Case& c : cases) EXPECT_EQ(ExtractCommandArgument(c.line), c.argument) << c.line;
}

TEST(UninstallScriptReader, FilesEachCommandIntoItsListInFileOrder) {
    const TextList lines = SplitLines("PROG_NAME=Demo\r\n"
                                      "\r\n"
                                      "   REMOVE_FILE(C:\\A(1)\\b.txt);   \r\n"
                                      "remove_file(C:\\lower.txt);\r\n"
                                      "REMOVE_FILE(C:\\b.txt);\r\n"
                                      "REMOVE_FILE(C:\\b.txt);\r\n"
                                      "REMOVE_SHARED_FILE(C:\\s.dll);\r\n"
                                      "REMOVE_SERVICE_FILE(C:\\svc.dll);\r\n"
                                      "UN_REG_OCX_FILE(C:\\o.ocx);\r\n"
                                      "UN_REG_FONT_FILE(C:\\f.ttf);\r\n"
                                      "UNMARK_READONLY_FILE(C:\\r.txt);\r\n"
                                      "REMOVE_DIR(C:\\P);\r\n"
                                      "REMOVE_DIR(C:\\Q);\r\n"
                                      "FORCE_REMOVE_DIR(c:\\p);\r\n"
                                      "DONT_REMOVE_DIR(C:\\Data);\r\n"
                                      "DONT_REMOVE_JUST_DIR(C:\\J);\r\n"
                                      "AVOID_ERR_REMOVE_DIR(C:\\A);\r\n"
                                      "REMOVE_FOLDER(C:\\G);\r\n"
                                      "FORCE_REMOVE_FOLDER(C:\\FG);\r\n"
                                      "REMOVE_REG_KEY(HKEY_CURRENT_USER\\Software\\X);\r\n"
                                      "SET_PERFORM_REGISTRY_OP(|r|);\r\n"
                                      "SET_PERFORM_INIFILE_OP(|i|);\r\n"
                                      "SET_PERFORM_ENVIRONMENT_OP(|e|);\r\n"
                                      "SET_ADD_ASSOCIATION_ITEM(|a|);\r\n"
                                      "SET_ADD_OPEN_WITH_ITEM(|o|);\r\n"
                                      "SET_PERFORM_EXECUTE_OP(|x(1)|);\r\n"
                                      "SET_EXECUTION_DLL_NAME(first.dll);\r\n"
                                      "SET_EXECUTION_DLL_NAME(ext.dll);\r\n"
                                      "SET_EXECUTION_DLL_NAME(..\\evil.dll);\r\n"
                                      "UNKNOWN_CMD(C:\\u);\r\n");
    const UninstallWorkLists w = ParseUninstallScript(lines);
    struct Case {
        WorkList list;
        TextList items;
    };
    const Case cases[] = {
        {WorkList::File, {"C:\\A(1)\\b.txt", "C:\\b.txt", "C:\\b.txt"}},
        {WorkList::SharedFile, {"C:\\s.dll"}},
        {WorkList::ServiceFile, {"C:\\svc.dll"}},
        {WorkList::Ocx, {"C:\\o.ocx"}},
        {WorkList::Font, {"C:\\f.ttf"}},
        {WorkList::ReadOnly, {"C:\\r.txt"}},
        {WorkList::Dir, {"C:\\Q"}}, // the forced removal of the same folder replaces it
        {WorkList::ForceDir, {"c:\\p"}},
        {WorkList::DontRemoveDir, {"C:\\Data"}},
        {WorkList::DontRemoveJustDir, {"C:\\J"}},
        {WorkList::AvoidErrRemoveDir, {"C:\\A"}},
        {WorkList::Folder, {"C:\\G"}},
        {WorkList::ForceFolder, {"C:\\FG"}},
        {WorkList::RegKey, {"HKEY_CURRENT_USER\\Software\\X"}},
        {WorkList::RegistryOp, {"|r|"}},
        {WorkList::IniFileOp, {"|i|"}},
        {WorkList::EnvironmentOp, {"|e|"}},
        {WorkList::Association, {"|a|"}},
        {WorkList::OpenWith, {"|o|"}},
        {WorkList::Execute, {"|x(1)|"}},
    };
    for (const Case& c : cases) EXPECT_EQ(w[c.list], c.items) << static_cast<int>(c.list);
    EXPECT_EQ(w.executionDllName, "ext.dll");
    EXPECT_EQ(w.refusedDllNames, TextList{"..\\evil.dll"});
}

TEST(UninstallScriptReader, OnlyPlainFileNamesNameTheLibraryOrTheUpdater) {
    for (const char* ok : {"ext.dll", "Auto Update.exe", "a.b.c"}) EXPECT_TRUE(IsPlainFileName(ok));
    for (const char* bad : {"", " ", "..", "..\\x.dll", "sub\\x.dll", "sub/x.dll", "C:x.dll",
                            "C:\\Windows\\x.dll", "\\\\srv\\s\\x.dll", "x..dll"})
        EXPECT_FALSE(IsPlainFileName(bad)) << bad;
}

TEST(UninstallOrder, DeepestFirstThenDescendingText) {
    const TextList in = {"C:\\P",    "C:\\P\\Sub\\Deep", "C:\\P\\Sub", "C:\\P\\b",
                         "C:\\P\\A", "C:\\P\\c",         "C:\\P"};
    const TextList expected = {"C:\\P\\Sub\\Deep", "C:\\P\\Sub", "C:\\P\\c", "C:\\P\\b",
                               "C:\\P\\A",         "C:\\P",      "C:\\P"};
    EXPECT_EQ(LongestFirst(in), expected);
    EXPECT_TRUE(LongestFirst({}).empty());
}

TEST(UninstallOrder, PathsOfAnyLengthSortByLength) {
    // A four-digit length prefix would put a 10,000-character entry among the short ones.
    const Text longPath = "C:\\" + Text(10000, 'x');
    const Text longer = "C:\\" + Text(12345, 'a');
    const TextList in = {"C:\\a", longPath, "C:\\" + Text(999, 'z'), longer, "C:\\a\\b"};
    const TextList out = LongestFirst(in);
    ASSERT_EQ(out.size(), in.size());
    EXPECT_EQ(out[0], longer);
    EXPECT_EQ(out[1], longPath);
    for (size_t i = 1; i < out.size(); ++i) EXPECT_GE(out[i - 1].size(), out[i].size());
}

TEST(UninstallOrder, LargeListsSortQuickly) {
    TextList in;
    for (int i = 0; i < 200000; ++i)
        in.push_back("C:\\P\\d" + IntToStr(i % 500) + "\\f" + IntToStr(i));
    const TextList out = LongestFirst(in);
    EXPECT_EQ(out.size(), in.size());
}

TEST(ProtectionFilters, DontRemoveDirProtectsContentsAndAncestors) {
    const ProtectionLists p =
        MakeProtectionLists({"C:\\Data", "", "  "}, {"C:\\P", ""}, {"C:\\Keep\\Sub", ""});
    struct Case {
        const char* path;
        bool fileRemovable;
        bool dirRemovable;
    };
    const Case cases[] = {
        {"C:\\Data\\x.txt", false, false},
        {"C:\\DataFiles\\y.txt", false, false},
        {"c:\\data", false, false},
        {"C:\\Data\\Sub", false, false},
        {"C:\\", true, false},
        {"C:", true, false},
        {"C:\\P", true, false},
        {"C:\\P\\Sub", true, true},
        {"C:\\Other\\z.txt", true, true},
        {"D:\\Data", true, true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(IsFileRemovable(p, c.path), c.fileRemovable) << c.path;
        EXPECT_EQ(IsDirRemovable(p, c.path), c.dirRemovable) << c.path;
    }
}

TEST(ProtectionFilters, EmptyEntriesProtectNothing) {
    const ProtectionLists p = MakeProtectionLists({""}, {""}, {""});
    EXPECT_TRUE(IsFileRemovable(p, "C:\\P\\x.txt"));
    EXPECT_TRUE(IsDirRemovable(p, "C:\\P"));
    EXPECT_FALSE(IsDirFailureExcused(p, "C:\\P"));
}

TEST(ProtectionFilters, ForcedRemovalKeepsProtectedSubtrees) {
    const ProtectionLists p = MakeProtectionLists({"C:\\P\\UserData"}, {}, {});
    EXPECT_TRUE(HoldsProtectedDir(p, "C:\\P"));
    EXPECT_TRUE(HoldsProtectedDir(p, "C:\\P\\UserData"));
    EXPECT_FALSE(HoldsProtectedDir(p, "C:\\Q"));
    EXPECT_TRUE(IsInProtectedDir(p, "C:\\P\\UserData\\Deep"));
    EXPECT_FALSE(IsInProtectedDir(p, "C:\\P"));
}

TEST(ProtectionFilters, AvoidErrExcusesTheFolderAndItsAncestors) {
    const ProtectionLists p = MakeProtectionLists({}, {}, {"C:\\P\\Sub"});
    EXPECT_TRUE(IsDirFailureExcused(p, "C:\\P\\Sub"));
    EXPECT_TRUE(IsDirFailureExcused(p, "c:\\p"));
    EXPECT_FALSE(IsDirFailureExcused(p, "C:\\P\\Sub\\Deep"));
    EXPECT_FALSE(IsDirFailureExcused(p, "C:\\Q"));
}

TEST(ProtectionFilters, RemoveDirsAboveTheOwnFolderAreLeftForTheBatchDeepestFirst) {
    const Text own = "C:\\Zk\\Vendor\\Product";
    const TextList dirs = {"C:\\Zk",
                           "c:\\zk\\vendor\\",
                           own,
                           "C:\\Zk\\Vendor",
                           "C:\\Zk\\Vend",
                           "C:\\Zk\\Vendor\\Product\\Bin",
                           "C:\\",
                           ""};
    EXPECT_EQ(RemoveDirsAboveOwnDir(MakeProtectionLists({}, {}, {}), dirs, own),
              (TextList{"c:\\zk\\vendor", "C:\\Zk"}));
    // A protected folder below, or the folder itself kept: it stays, and so do those above.
    EXPECT_EQ(RemoveDirsAboveOwnDir(MakeProtectionLists({}, {"C:\\Zk\\Vendor"}, {}), dirs, own),
              (TextList{"C:\\Zk"}));
    EXPECT_EQ(
        RemoveDirsAboveOwnDir(MakeProtectionLists({"C:\\Zk\\Vendor\\Data"}, {}, {}), dirs, own),
        TextList{});
}

TEST(ProtectionFilters, RegistryKeysThatNoUninstallLineMayDelete) {
    struct Case {
        const char* path;
        bool refused;
    };
    const Case cases[] = {
        {"", true},
        {"HKEY_CURRENT_USER\\", true},
        {"HKEY_CURRENT_USER\\\\\\", true},
        {"HKEY_CURRENT_USER", true}, // a subkey "HKEY_CURRENT_USER" of the current user
        {"HKEY_CURRENT_USER\\Software", true},
        {"HKEY_LOCAL_MACHINE\\SOFTWARE\\", true},
        {"Software", true},
        {"Software\\Microsoft", true},
        {"HKEY_CURRENT_USER\\Software\\Microsoft\\Windows", true},
        {"HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion", true},
        {"hkey_local_machine\\software\\microsoft\\windows\\currentversion\\uninstall", true},
        {"HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\App Paths", true},
        {"HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs\\", true},
        {"HKEY_LOCAL_MACHINE\\Software\\\\Microsoft\\Windows\\CurrentVersion\\Uninstall", true},
        {"HKEY_CLASSES_ROOT\\CLSID", true},
        {"HKEY_CURRENT_USER\\Software\\Classes", true},
        {"HKEY_USERS\\.DEFAULT", true},
        {"HKEY_USERS\\S-1-5-21-1\\Software", true},
        {"HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services", true},
        {"HKEY_CURRENT_CONFIG\\Software", true},
        {"HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Demo",
         false},
        {"HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\d.exe",
         false},
        {"HKEY_CURRENT_USER\\Software\\Maker", false},
        {"HKEY_CURRENT_USER\\Software\\Maker\\Product", false},
        {"HKEY_USERS\\S-1-5-21-1\\Software\\Maker", false},
        {"HKEY_CLASSES_ROOT\\CLSID\\{0}", false},
        {"HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\DemoSvc", false},
    };
    for (const Case& c : cases) EXPECT_EQ(IsProtectedRegistryKey(c.path), c.refused) << c.path;
}

namespace {

// Every spelling of one key that reaches the same key: upper and lower case, a trailing and
// doubled backslashes.
TextList SpellingsOf(const Text& key) {
    Text doubled;
    for (char c : key) doubled += c == '\\' ? Text("\\\\") : Text(1, c);
    return {key, UpperCase(key), LowerCase(key), key + "\\", doubled + "\\\\"};
}

// The key and every key above it, down to one component below the root.
TextList KeyAndParents(Text key) {
    TextList all = {key};
    for (size_t cut; (cut = key.rfind('\\')) != Text::npos;) all.push_back(key.erase(cut));
    return all;
}

} // namespace

TEST(ProtectionFilters, SharedKeysAndTheirParentsStayProductKeysGo) {
    const Text cv = "Software\\Microsoft\\Windows\\CurrentVersion";
    // Keys Windows shares between products, in the form either root has them.
    const TextList shared = {
        cv + "\\Run",
        cv + "\\RunOnce",
        cv + "\\Explorer\\Shell Folders",
        cv + "\\Uninstall",
        cv + "\\App Paths",
        cv + "\\App Management\\ARPCache",
        "Control Panel\\Desktop",
        "Environment",
        "Software\\Policies\\Microsoft",
        "Software\\Classes\\CLSID",
        "Software\\Classes\\Interface",
        "Software\\Classes\\TypeLib",
        "Software\\Classes\\AppID",
        "Software\\Classes\\*\\shellex\\ContextMenuHandlers",
        "Software\\Classes\\Folder\\shell",
        "Software\\Classes\\txtfile",
        "Software\\Wow6432Node",
        "System\\CurrentControlSet\\Services",
        "System\\CurrentControlSet\\Services\\EventLog\\Application",
        "System\\CurrentControlSet\\Control\\Session Manager",
    };
    for (const Text& key : shared)
        for (const Text& inRoot : KeyAndParents(key))
            for (const char* root : {"HKEY_LOCAL_MACHINE\\", "HKEY_CURRENT_USER\\"})
                for (const Text& spelling : SpellingsOf(root + inRoot))
                    EXPECT_TRUE(IsProtectedRegistryKey(spelling)) << spelling;

    const Text sid = "HKEY_USERS\\S-1-5-21-1004336348-1177238915-682003330-1000";
    // The same shared keys through their other names.
    const TextList aliases = {
        "HKEY_CLASSES_ROOT",
        "HKEY_CLASSES_ROOT\\CLSID",
        "HKEY_CLASSES_ROOT\\Wow6432Node\\CLSID",
        "HKEY_CLASSES_ROOT\\*",
        "HKEY_CLASSES_ROOT\\Directory\\Background\\shellex\\ContextMenuHandlers",
        "HKEY_CLASSES_ROOT\\.txt",
        "HKEY_CLASSES_ROOT\\exefile\\shell",
        "HKEY_LOCAL_MACHINE\\Software\\Classes",
        "HKEY_LOCAL_MACHINE\\Software\\Wow6432Node\\Classes\\CLSID",
        "HKEY_LOCAL_MACHINE\\Software\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall",
        "HKEY_LOCAL_MACHINE\\SOFTWARE\\WOW6432NODE\\MICROSOFT\\WINDOWS\\CURRENTVERSION\\RUN\\",
        "HKEY_LOCAL_MACHINE\\Software\\Wow6432Node\\Microsoft",
        "HKEY_LOCAL_MACHINE\\SYSTEM\\ControlSet001\\Services",
        "HKEY_LOCAL_MACHINE\\system\\controlset002\\services\\eventlog",
        "HKEY_LOCAL_MACHINE\\SYSTEM\\ControlSet001\\Control",
        "HKEY_LOCAL_MACHINE\\SYSTEM\\Select",
        "HKEY_LOCAL_MACHINE\\HARDWARE\\DESCRIPTION\\System",
        "HKEY_CURRENT_CONFIG\\System\\CurrentControlSet",
        "HKEY_CURRENT_CONFIG\\Software",
        "HKEY_CURRENT_CONFIG\\Software\\Microsoft\\Windows",
        "HKEY_USERS",
        sid,
        sid + "\\Software",
        sid + "\\" + cv + "\\Run",
        sid + "\\Control Panel\\Desktop\\",
        sid + "_Classes",
        sid + "_Classes\\CLSID",
        "HKEY_USERS\\.DEFAULT\\Environment",
        "HKEY_LOCAL_MACHINE\\\\Software\\\\\\Microsoft\\Windows\\CurrentVersion\\Run",
        "HKEY_CURRENT_USER\\Printers\\Settings",
        "HKEY_CURRENT_USER\\Keyboard Layout\\Preload",
        "Control Panel\\Desktop", // no root: the current user's
        "Software\\Classes\\CLSID",
    };
    for (const Text& key : aliases) EXPECT_TRUE(IsProtectedRegistryKey(key)) << key;

    // What a product's own uninstallation must still remove.
    const TextList own = {
        cv + "\\Uninstall\\Demo",
        cv + "\\Uninstall\\{6F9619FF-8B86-D011-B42D-00C04FC964FF}\\Sub",
        cv + "\\App Paths\\demo.exe",
        cv + "\\App Management\\ARPCache\\Demo",
        cv + "\\Explorer\\FileExts\\.demo",
        "Software\\Classes\\.demo",
        "Software\\Classes\\Demo.Document",
        "Software\\Classes\\Demo.Document\\shell\\open\\command",
        "Software\\Classes\\CLSID\\{6F9619FF-8B86-D011-B42D-00C04FC964FF}",
        "Software\\Classes\\TypeLib\\{6F9619FF-8B86-D011-B42D-00C04FC964FF}",
        "Software\\Classes\\AppID\\{6F9619FF-8B86-D011-B42D-00C04FC964FF}",
        "Software\\Classes\\Interface\\{6F9619FF-8B86-D011-B42D-00C04FC964FF}",
        "Software\\Classes\\*\\shellex\\ContextMenuHandlers\\DemoMenu",
        "Software\\Classes\\Folder\\shell\\DemoVerb",
        "Software\\Classes\\txtfile\\shell\\DemoVerb",
        "System\\CurrentControlSet\\Services\\DemoSvc",
        "System\\CurrentControlSet\\Services\\EventLog\\Application\\Demo",
        "Software\\DemoCo",
        "Software\\DemoCo\\Demo",
        "Software\\DemoCo\\Demo\\1.0",
        "Software\\Wow6432Node\\DemoCo\\Demo",
        "Software\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Demo",
    };
    for (const Text& key : own)
        for (const char* root : {"HKEY_LOCAL_MACHINE\\", "HKEY_CURRENT_USER\\"})
            for (const Text& spelling : SpellingsOf(root + key))
                EXPECT_FALSE(IsProtectedRegistryKey(spelling)) << spelling;
    const TextList ownAliases = {
        "HKEY_CLASSES_ROOT\\.demo",
        "hkey_classes_root\\demo.document\\",
        "HKEY_CLASSES_ROOT\\CLSID\\{6F9619FF-8B86-D011-B42D-00C04FC964FF}\\InprocServer32",
        "HKEY_CLASSES_ROOT\\Wow6432Node\\CLSID\\{6F9619FF-8B86-D011-B42D-00C04FC964FF}",
        "HKEY_CLASSES_ROOT\\Directory\\shell\\DemoVerb",
        "HKEY_LOCAL_MACHINE\\SYSTEM\\ControlSet001\\Services\\DemoSvc",
        "HKEY_LOCAL_MACHINE\\SYSTEM\\ControlSet003\\Services\\DemoSvc\\Parameters",
        "HKEY_CURRENT_CONFIG\\Software\\DemoCo",
        sid + "\\Software\\DemoCo\\Demo",
        sid + "\\" + cv + "\\Uninstall\\Demo",
        sid + "_Classes\\.demo",
        "HKEY_USERS\\.DEFAULT\\Software\\DemoCo",
        "Software\\DemoCo\\Demo", // no root: the current user's
        "HKEY_LOCAL_MACHINE\\DemoTop\\Demo",
        "HKEY_DYN_DATA\\DemoCo\\Demo",
    };
    for (const Text& key : ownAliases) EXPECT_FALSE(IsProtectedRegistryKey(key)) << key;
}

TEST(ProtectionFilters, RemoveKeyRowsOfSharedKeysAreRefused) {
    struct Case {
        const char* row;
        bool refused;
    };
    const Case cases[] = {
        {"|HKEY_CURRENT_USER\\Software|||Create|Remove Key|String|", true},
        {"||||Create|remove key|String|", true},
        {"|HKEY_CURRENT_USER\\Software\\Maker|||Create|Remove Key|String|", false},
        {"|HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Run|||Create|"
         "Remove Key|String|",
         true},
        {"|hkey_classes_root\\clsid\\|||Create|Remove Key|String|", true},
        {"|HKEY_CLASSES_ROOT\\Demo.Document|||Create|Remove Key|String|", false},
        {"|HKEY_CURRENT_USER\\Software|v||Create|Remove Value|String|", false},
        {"|HKEY_CURRENT_USER\\Software|v||Create|Remove|String|", false},
        {"|HKEY_CURRENT_USER\\Software|v|d|Remove Key|Create|String|", false},
    };
    for (const Case& c : cases) EXPECT_EQ(IsRefusedRegistryRow(c.row), c.refused) << c.row;
}

TEST(UninstallTexts, ConfirmTextGetsTheProductName) {
    struct Case {
        const char* text;
        const char* name;
        const char* shown;
    };
    const Case cases[] = {
        {"Are you sure you want to uninstall the program", "Demo",
         "Are you sure you want to uninstall the program <b>Demo?</b>"},
        {"Remove PROG_NAME and PROG_NAME data?", "Demo", "Remove Demo and Demo data?"},
        {"Remove PROG_NAME?", "X PROG_NAME", "Remove X PROG_NAME?"},
        {"", "", " <b>?</b>"},
    };
    for (const Case& c : cases) EXPECT_EQ(MakeConfirmText(c.text, c.name), c.shown) << c.text;
}

TEST(UninstallTexts, MemoAndLogLines) {
    EXPECT_EQ(MemoHeaderLines("REMOVE FILES"), (TextList{"", "REMOVE FILES "}));
    EXPECT_EQ(MemoItemLine("C:\\a.txt", true), "\tC:\\a.txt ");
    EXPECT_EQ(MemoItemLine("C:\\a.txt", false), "*\tC:\\a.txt ");
    EXPECT_EQ(LogLine("C:\\a.txt"), "C:\\a.txt\r\n");
}

TEST(UninstallTexts, SummaryPartsInOrderEachWithItsClosingSentence) {
    const Text reg = "UnInstall was unable to handle one or more Registry keys\\\\n";
    const Text ini = "UnInstall was unable to handle one or more IniFile entries\\\\n";
    const Text assoc = "UnInstall was unable to handle one or more File Association entries\\\\n";
    const Text dirs = "UnInstall was unable to remove one or more Directories\\\\n";
    const Text files = "UnInstall was unable to remove one or more Files\\\\n";
    const Text exec = "UnInstall was unable to execute one or more operations\\\\n";
    const Text endA = "\\\\nTo complete the UnInstall operation, Please handle them manually.";
    const Text endB = "\\\\nTo complete the UnInstall operation, Please remove them manually.";
    const Text endC = "\\\\nTo complete the UnInstall operation, Please perform them manually.";
    struct Case {
        RemovalCounters c;
        Text message;
    };
    const Case cases[] = {
        {{}, ""},
        {{1, 0, 0, 1, 0, 0}, reg + endA + "\\\\n\\\\n" + dirs + endB},
        {{2, 3, 4, 0, 0, 0}, reg + ini + assoc + endA},
        {{0, 0, 0, 5, 6, 0}, dirs + files + endB},
        {{0, 0, 0, 0, 1, 0}, files + endB},
        {{0, 0, 0, 0, 0, 1}, exec + endC},
        {{0, 1, 0, 0, 0, 1}, ini + endA + "\\\\n\\\\n" + exec + endC},
        {{1, 1, 1, 1, 1, 1},
         reg + ini + assoc + endA + "\\\\n\\\\n" + dirs + files + endB + "\\\\n\\\\n" + exec +
             endC},
    };
    for (const Case& c : cases) EXPECT_EQ(SummaryMessage(c.c), c.message);
    // As the box shows it: the markup's breaks become real ones.
    EXPECT_EQ(ParseMessageMarkup(SummaryMessage({0, 0, 0, 0, 1, 0})).plain,
              "UnInstall was unable to remove one or more Files\r\n\r\n"
              "To complete the UnInstall operation, Please remove them manually.");
}

TEST(UninstallTexts, SelfDeleteBatchRetriesUntilTheExeIsGone) {
    const Text bat = SelfDeleteBatchText("C:\\Program Files\\Demo\\UnInstall.exe",
                                         "C:\\Program Files\\Demo", "C:\\Temp\\_DEL_ME_.BAT", true);
    const Text expected = "@ECHO OFF\r\n"
                          "SET /A ZK_TRY=0\r\n"
                          ":START\r\n"
                          "DEL /F \"C:\\Program Files\\Demo\\UnInstall.exe\" >NUL 2>NUL\r\n"
                          "IF NOT EXIST \"C:\\Program Files\\Demo\\UnInstall.exe\" GOTO GONE\r\n"
                          "SET /A ZK_TRY=ZK_TRY+1\r\n"
                          "IF %ZK_TRY% GEQ 30 GOTO GONE\r\n"
                          "PING -n 2 127.0.0.1 >NUL\r\n"
                          "GOTO START\r\n"
                          ":GONE\r\n"
                          "RD \"C:\\Program Files\\Demo\" >NUL 2>NUL\r\n"
                          "DEL \"C:\\Temp\\_DEL_ME_.BAT\" >NUL 2>NUL\r\n";
    EXPECT_EQ(bat, expected);
}

TEST(UninstallTexts, SelfDeleteBatchRemovesTheParentsAfterTheFolderOnlyWithIt) {
    const TextList parents = {"C:\\Zk\\Vendor", "C:\\Zk 100%"};
    const Text bat = SelfDeleteBatchText("C:\\Zk\\Vendor\\P\\U.exe", "C:\\Zk\\Vendor\\P",
                                         "C:\\T\\_DEL_ME_.BAT", true, 30, parents);
    EXPECT_NE(bat.find("RD \"C:\\Zk\\Vendor\\P\" >NUL 2>NUL\r\n"
                       "RD \"C:\\Zk\\Vendor\" >NUL 2>NUL\r\n"
                       "RD \"C:\\Zk 100%%\" >NUL 2>NUL\r\n"
                       "DEL \"C:\\T\\_DEL_ME_.BAT\""),
              Text::npos)
        << bat;
    EXPECT_EQ(SelfDeleteBatchText("C:\\Zk\\Vendor\\P\\U.exe", "C:\\Zk\\Vendor\\P",
                                  "C:\\T\\_DEL_ME_.BAT", false, 30, parents)
                  .find("RD "),
              Text::npos);
}

TEST(UninstallTexts, SelfDeleteBatchDoublesPercentAndKeepsFolderWhenAsked) {
    const Text bat = SelfDeleteBatchText("C:\\A %x% & (b)\\U.exe", "C:\\A %x% & (b)",
                                         "C:\\T%\\_DEL_ME_.BAT", false, 5);
    EXPECT_NE(bat.find("DEL /F \"C:\\A %%x%% & (b)\\U.exe\""), Text::npos);
    EXPECT_NE(bat.find("IF %ZK_TRY% GEQ 5 GOTO GONE"), Text::npos);
    EXPECT_EQ(bat.find("RD "), Text::npos);
    EXPECT_NE(bat.find("DEL \"C:\\T%%\\_DEL_ME_.BAT\""), Text::npos);
}

// Pending renames as the system stores them, also cut short or with a deletion (an empty
// target); only pairs whose source is one of the files go.
TEST(PendingRenameText, PairsOfTheFilesGoWhateverTheirShape) {
    using namespace std::string_literals;
    const TextList files = {"C:\\P\\zk0.tmp"};
    struct Case {
        std::string in, out;
        bool changed;
    } cases[] = {
        {""s, ""s, false},
        {"\\??\\c:\\p\\ZK0.TMP\0!\\??\\C:\\P\\a.exe\0\0"s, ""s, true},
        {"\\??\\C:\\P\\zk0.tmp\0\0\0"s, ""s, true}, // a deletion
        {"\\??\\C:\\P\\zk0.tmp"s, ""s, true},       // no target, no end
        {"\\??\\C:\\Q\\x\0\0\\??\\C:\\P\\zk0.tmp\0!\\??\\C:\\P\\a\0\0"s, "\\??\\C:\\Q\\x\0\0\0"s,
         true},
        {"\\??\\C:\\Q\\x\0!\\??\\C:\\P\\zk0.tmp\0\0"s, "\\??\\C:\\Q\\x\0!\\??\\C:\\P\\zk0.tmp\0\0"s,
         false}, // another product's file becomes ours: not ours to take back
    };
    for (const Case& c : cases) {
        bool changed = false;
        EXPECT_EQ(WithoutPendingRenamesFrom(c.in, files, changed), c.out) << c.in;
        EXPECT_EQ(changed, c.changed) << c.in;
    }
}
