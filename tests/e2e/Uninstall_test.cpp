// The uninstaller end to end: a copy of UnInstall.exe beside a hand-written UnInstall.txt in
// a scratch folder, driven from outside through its confirmation, its window and its boxes.
// Canary files and keys around every target must survive.
#include "ControlIds.h"
#include "ExecItemBuilder.h"
#include "RegOp.h"
#include "TestEnv.h"
#include "UiDriver.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <sddl.h>

#include <string>
#include <vector>

namespace ids = zk::ids;

namespace {

const char kHeader[] = "SetupType=Typical\r\n"
                       "UserData=|Ann|Acme|\r\n"
                       "PROG_NAME=Demo\r\n"
                       "CHAR_SET=0\r\n"
                       "CONFIRM_CAPTION=Confirm\r\n"
                       "CONFIRM_TEXT=Are you sure you want to uninstall the program\r\n"
                       "BTN_TEXT=|OK|Cancel|Yes|No|Abort|Retry|Ignore|\r\n"
                       "BUTTON_CLOSE=Close\r\n"
                       "BUTTON_LOG=View Log\r\n"
                       "S1=This removes <B>PROG_NAME</B>.\r\n"
                       "S2=UnInstall completed successfully !\r\n"
                       "LABEL1=Shared program files...\r\n"
                       "LABEL2=Standard program files...\r\n"
                       "LABEL3=Folder items...\r\n"
                       "LABEL4=Program folders...\r\n"
                       "LABEL5=Program directories...\r\n"
                       "LABEL6=Program registry entries...\r\n"
                       "\r\n";

// An installed product: the uninstaller and its script in `app`.
struct Product {
    std::string root; // the test's scratch folder
    std::string app;  // the product folder, holding UnInstall.exe
    std::string Exe() const { return app + "\\UnInstall.exe"; }
    std::string Script() const { return app + "\\UnInstall.txt"; }
};

Product MakeProduct(const std::string& name, const std::string& appName = "App") {
    Product p;
    p.root = zktest::ScratchDir(name);
    p.app = p.root + "\\" + appName;
    CreateDirectoryA(p.app.c_str(), nullptr);
    CopyFileA((zktest::BinDir() + "\\UnInstall.exe").c_str(), p.Exe().c_str(), FALSE);
    return p;
}

void WriteScript(const Product& p, const std::string& commands) {
    ASSERT_TRUE(zktest::WriteBytes(p.Script(), kHeader + commands));
}

void WriteFile(const std::string& path, const std::string& text = "x") {
    ASSERT_TRUE(zktest::WriteBytes(path, text)) << path;
}

std::string Line(const std::string& command, const std::string& argument) {
    return command + "(" + argument + ");\r\n";
}

std::string BoxText(HWND box) {
    return zkui::TextOf(zkui::ChildById(box, ids::MsgBoxBody));
}

// One run of the uninstaller, from its start to the end of the removal.
struct UninstallRun {
    zkui::Program program;
    HWND form = nullptr;

    HWND Control(int id) const { return zkui::ChildById(form, id); }
    std::string Memo() const { return zkui::TextOf(Control(ids::UnMemo)); }

    // Presses a button of the box the program shows now; its text, or "" without a box.
    std::string Press(int button) {
        HWND box = zkui::FindTopWindow(ids::MsgBoxClass, "", program.Pid());
        if (!box) return {};
        const std::string text = BoxText(box);
        zkui::Click(zkui::ChildById(box, button));
        zkui::WaitGone(box);
        return text;
    }
    bool FindForm() {
        form = zkui::FindTopWindow(ids::UninstallClass, "", program.Pid());
        return form != nullptr;
    }
    // Answers the confirmation (1 Yes, 2 No); with Yes the window is found.
    bool Answer(int button) {
        if (Press(button).empty()) return false;
        return button != ids::MsgBoxButton1 || FindForm();
    }

    // Waits until the removal is over; a summary box is read, pressed and its text returned.
    std::string WaitForEnd(DWORD timeoutMs = 60000) {
        std::string summary;
        for (DWORD start = GetTickCount(); GetTickCount() - start < timeoutMs; Sleep(50)) {
            for (HWND w : zkui::TopWindows(program.Pid())) {
                if (zkui::ClassOf(w) != ids::MsgBoxClass) continue;
                summary = BoxText(w);
                zkui::Click(zkui::ChildById(w, ids::MsgBoxButton1));
                zkui::WaitGone(w);
            }
            if (IsWindowEnabled(Control(ids::UnCloseButton))) return summary;
        }
        ADD_FAILURE() << "the removal did not end";
        return summary;
    }

    long Close() {
        zkui::Click(Control(ids::UnCloseButton));
        return program.Wait();
    }
};

UninstallRun StartUninstaller(const Product& p) {
    UninstallRun r;
    r.program = zkui::Start(p.Exe(), "", p.app);
    return r;
}

// Registry state of the tests, below HKEY_CURRENT_USER.
bool KeyExists(const std::string& subkey) {
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, subkey.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}
bool ValueExists(const std::string& subkey, const std::string& name) {
    return RegGetValueA(HKEY_CURRENT_USER, subkey.c_str(), name.c_str(), RRF_RT_ANY, nullptr,
                        nullptr, nullptr) == ERROR_SUCCESS;
}
std::string IniValue(const std::string& file, const std::string& section, const std::string& key) {
    char buffer[256];
    GetPrivateProfileStringA(section.c_str(), key.c_str(), "<none>", buffer, sizeof buffer,
                             file.c_str());
    return buffer;
}

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

} // namespace

TEST(Uninstall, MissingScriptGivesItsErrorBoxAndChangesNothing) {
    const Product p = MakeProduct("un_noscript");
    WriteFile(p.app + "\\keep.txt");
    UninstallRun r = StartUninstaller(p);
    HWND box = zkui::FindTopWindow(ids::MsgBoxClass, "", r.program.Pid());
    ASSERT_TRUE(box);
    EXPECT_EQ(BoxText(box), "ERROR\r\n\r\n" + p.Script() +
                                "\r\nScript file not found.\r\n\r\nUnInstall aborted!\r\n");
    zkui::Click(zkui::ChildById(box, ids::MsgBoxButton1));
    EXPECT_EQ(r.program.Wait(), 1);
    EXPECT_TRUE(zktest::Exists(p.Exe()));
    EXPECT_TRUE(zktest::Exists(p.app + "\\keep.txt"));
}

TEST(Uninstall, MainRoadRemovesWhatTheScriptNamesAndNothingElse) {
    const Product p = MakeProduct("un_main");
    const std::string sub = p.app + "\\Sub", deep = sub + "\\Deep";
    CreateDirectoryA(sub.c_str(), nullptr);
    CreateDirectoryA(deep.c_str(), nullptr);
    const std::string files[] = {p.app + "\\a.txt", sub + "\\b.txt", deep + "\\c.txt"};
    for (const std::string& f : files) WriteFile(f);
    // Canaries: a file beside the product, a sibling folder whose name starts like it, a key
    // beside the product's key, a value beside the row's one, an INI key beside the row's.
    const std::string sibling = p.app + "2";
    CreateDirectoryA(sibling.c_str(), nullptr);
    WriteFile(sibling + "\\keep.txt");
    WriteFile(p.root + "\\keep.txt");
    const std::string keyRoot = zktest::ScratchKey("un_main").substr(18); // below HKCU
    const std::string productKey = keyRoot + "\\Product", canaryKey = keyRoot + "\\Product2";
    ASSERT_TRUE(zktest::SetUserValue(productKey + "\\Deep", "v", "x"));
    ASSERT_TRUE(zktest::SetUserValue(canaryKey, "v", "keep"));
    const std::string rowKey = keyRoot + "\\Shared";
    ASSERT_TRUE(zktest::SetUserValue(rowKey, "Ours", "x"));
    ASSERT_TRUE(zktest::SetUserValue(rowKey, "Theirs", "keep"));
    const std::string ini = p.root + "\\settings.ini";
    WritePrivateProfileStringA("Demo", "Ours", "x", ini.c_str());
    WritePrivateProfileStringA("Demo", "Theirs", "keep", ini.c_str());
    // The extension DLL and the service file go after the last execute stage; names of the DLL
    // and of the auto-update program that lead out of the product folder are refused.
    const std::string dll = p.app + "\\ext.dll", service = p.app + "\\svc.dll";
    WriteFile(dll);
    WriteFile(service);
    WriteFile(p.root + "\\keep.dll");
    WriteFile(p.root + "\\Update.exe");

    // Parents before children, as a second installation may leave them.
    WriteScript(p, "GET_AUTO_UPDATE_EXE_FILE_NAME=..\\Update.exe\r\n" +
                       Line("SET_EXECUTION_DLL_NAME", "ext.dll") +
                       Line("SET_EXECUTION_DLL_NAME", "..\\keep.dll") +
                       Line("REMOVE_SERVICE_FILE", service) + Line("REMOVE_DIR", p.app) +
                       Line("REMOVE_DIR", sub) + Line("REMOVE_DIR", deep) +
                       Line("REMOVE_FILE", files[0]) + Line("REMOVE_FILE", files[1]) +
                       Line("REMOVE_FILE", files[2]) + Line("REMOVE_FILE", p.Script()) +
                       Line("REMOVE_REG_KEY", "HKEY_CURRENT_USER\\" + productKey) +
                       Line("SET_PERFORM_REGISTRY_OP", "|HKEY_CURRENT_USER\\" + rowKey +
                                                           "|Ours|x|Create|Remove Value|String|") +
                       Line("SET_PERFORM_INIFILE_OP", "|" + ini + "|Demo|Ours|x|Create|Remove|"));
    UninstallRun r = StartUninstaller(p);
    ASSERT_TRUE(r.Answer(ids::MsgBoxButton1));
    EXPECT_EQ(r.WaitForEnd(), "") << "nothing failed";
    const std::string memo = r.Memo();
    EXPECT_TRUE(Contains(memo, "REMOVE PROGRAM DIRECTORIES \r\n\t" + deep + " \r\n\t" + sub +
                                   " \r\n\t" + p.app + " \r\n"))
        << memo;
    EXPECT_TRUE(Contains(memo, "REMOVE REGISTRY KEYS \r\n\tHKEY_CURRENT_USER\\" + productKey))
        << memo;
    EXPECT_TRUE(Contains(memo, "PERFORM EXECUTE OP \r\n\t" + service + " \r\n\t" + dll + " \r\n"))
        << memo;
    EXPECT_FALSE(IsWindowVisible(r.Control(ids::UnLogButton))) << "no failure, no log";
    for (int i = 0; i < 6; ++i)
        EXPECT_TRUE(IsWindowVisible(r.Control(ids::UnStageMark1 + i))) << "stage " << i + 1;
    EXPECT_EQ(zkui::TextOf(r.Control(ids::UnStageLabel1 + 5)), "Program registry entries...");
    EXPECT_EQ(zkui::TextOf(r.form), "UnInstall - Demo");
    // Without COMPANY_URL the link opens the About box.
    HWND link = r.Control(ids::UnCompanyUrlLabel);
    EXPECT_EQ(zkui::TextOf(link), "About Zelkon");
    PostMessageA(link, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    PostMessageA(link, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    HWND about = zkui::FindTopWindow(ids::AboutClass, "", r.program.Pid());
    EXPECT_TRUE(about);
    if (about) {
        zkui::PostClose(about);
        EXPECT_TRUE(zkui::WaitGone(about));
    }
    for (const std::string& f : files) EXPECT_FALSE(zktest::Exists(f)) << f;
    EXPECT_FALSE(zktest::IsDir(sub));
    EXPECT_FALSE(KeyExists(productKey));
    EXPECT_FALSE(ValueExists(rowKey, "Ours"));
    EXPECT_EQ(IniValue(ini, "Demo", "Ours"), "<none>");
    EXPECT_EQ(r.Close(), 0);

    EXPECT_TRUE(zktest::WaitRemoved(p.app)) << "the uninstaller and its folder go last";
    EXPECT_TRUE(zktest::Exists(sibling + "\\keep.txt"));
    for (const char* keep : {"keep.txt", "keep.dll", "Update.exe"})
        EXPECT_TRUE(zktest::Exists(p.root + "\\" + keep)) << keep;
    EXPECT_TRUE(KeyExists(canaryKey));
    EXPECT_TRUE(ValueExists(rowKey, "Theirs"));
    EXPECT_EQ(IniValue(ini, "Demo", "Theirs"), "keep");
}

namespace {

// The current user's hive under HKEY_USERS ("HKEY_USERS\S-1-5-...").
std::string UserHive() {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return {};
    char buffer[256];
    DWORD size = 0;
    std::string hive;
    char* text = nullptr;
    if (GetTokenInformation(token, TokenUser, buffer, sizeof buffer, &size) &&
        ConvertSidToStringSidA(reinterpret_cast<TOKEN_USER*>(buffer)->User.Sid, &text)) {
        hive = std::string("HKEY_USERS\\") + text;
        LocalFree(text);
    }
    CloseHandle(token);
    return hive;
}

std::string RemoveKeyItem(const std::string& key) {
    zktest::ExecItemDef item;
    item.stage = "UnInstall Start";
    item.kind = "UnConditional";
    item.slot[0] = {"1", "Remove Registry Key", key, "", ""};
    return Line("SET_PERFORM_EXECUTE_OP", zktest::BuildExecItem(item));
}

std::string RemoveKeyRow(const std::string& key) {
    return Line("SET_PERFORM_REGISTRY_OP", "|" + key + "|||Create|Remove Key|String|");
}

} // namespace

TEST(Uninstall, SharedRegistryKeysStayWhateverTheSpellingAndTheProductsOwnKeysGo) {
    const Product p = MakeProduct("un_shared_keys");
    const std::string hklm = "HKEY_LOCAL_MACHINE\\", hkcu = "HKEY_CURRENT_USER\\";
    const std::string cv = "Software\\Microsoft\\Windows\\CurrentVersion";
    const std::string wow = hklm + "Software\\Wow6432Node";
    const bool hadWow = zk::RegKeyExists(wow);
    const std::string user = UserHive();
    ASSERT_FALSE(user.empty());
    // Every line a crafted script might hold against keys that other products share, by the
    // uninstaller's lines, a replayed row and an execute item; a canary below each.
    const std::string canary = "\\ZkTestCanary";
    const std::string sharedKeys[] = {
        hklm + cv + "\\Run",
        hkcu + cv + "\\RunOnce",
        hkcu + "Control Panel\\Desktop",
        hkcu + cv + "\\Explorer\\Shell Folders",
        hkcu + "Environment",
        wow + "\\Microsoft\\Windows\\CurrentVersion\\Uninstall",
        hklm + "SYSTEM\\CurrentControlSet\\Services",
        "HKEY_CLASSES_ROOT\\CLSID",
    };
    for (const std::string& key : sharedKeys)
        ASSERT_TRUE(zk::WriteRegValue(key + canary, "v", "keep", false)) << key;
    const std::string refusedLines =
        Line("REMOVE_REG_KEY", hklm + cv + "\\Run") +
        RemoveKeyItem("hkey_current_user\\software\\microsoft\\windows\\currentversion"
                      "\\runonce\\") +
        Line("REMOVE_REG_KEY", user + "\\Control Panel\\Desktop") +
        RemoveKeyRow(hkcu + cv + "\\Explorer\\Shell Folders") +
        Line("REMOVE_REG_KEY", hkcu + "Environment") +
        Line("REMOVE_REG_KEY", wow + "\\Microsoft\\Windows\\CurrentVersion\\Uninstall") +
        // Wine has no ControlSet001; on Windows it is the current control set.
        Line("REMOVE_REG_KEY", hklm + "SYSTEM\\ControlSet001\\Services\\\\") +
        Line("REMOVE_REG_KEY", hklm + "SYSTEM\\CurrentControlSet\\Services") +
        Line("REMOVE_REG_KEY", hklm + "Software\\Classes\\CLSID");

    // A product's own registration, with a canary of another product beside each key.
    const std::string ownKeys[] = {
        hklm + cv + "\\Uninstall\\ZkTestDemo",
        hklm + cv + "\\App Paths\\zktestdemo.exe",
        hklm + cv + "\\App Management\\ARPCache\\ZkTestDemo",
        "HKEY_CLASSES_ROOT\\.zktestdemo",
        "HKEY_CLASSES_ROOT\\ZkTestDemo.Document",
        "HKEY_CLASSES_ROOT\\CLSID\\{ZkTestDemo}",
        hklm + "SYSTEM\\CurrentControlSet\\Services\\ZkTestDemoSvc",
        hkcu + "Software\\ZkTestVendor\\Demo",
    };
    const std::string ownCanaries[] = {
        hklm + cv + "\\Uninstall\\ZkTestCanary",
        hklm + cv + "\\App Paths\\zktestcanary.exe",
        hklm + cv + "\\App Management\\ARPCache\\ZkTestCanary",
        "HKEY_CLASSES_ROOT\\.zktestcanary",
        hkcu + "Software\\ZkTestVendor\\Keep",
    };
    for (const std::string& key : ownKeys)
        ASSERT_TRUE(zk::WriteRegValue(key + "\\Sub", "v", "x", false)) << key;
    for (const std::string& key : ownCanaries)
        ASSERT_TRUE(zk::WriteRegValue(key, "v", "keep", false)) << key;
    const std::string ownLines =
        Line("REMOVE_REG_KEY", ownKeys[0]) + Line("REMOVE_REG_KEY", ownKeys[1] + "\\") +
        Line("REMOVE_REG_KEY", ownKeys[2]) +
        Line("REMOVE_REG_KEY", "hkey_classes_root\\.ZKTESTDEMO") + RemoveKeyRow(ownKeys[4]) +
        Line("REMOVE_REG_KEY", ownKeys[5]) +
        Line("REMOVE_REG_KEY", hklm + "system\\currentcontrolset\\services\\zktestdemosvc") +
        RemoveKeyItem(ownKeys[7]);

    WriteScript(p, refusedLines + ownLines + Line("REMOVE_FILE", p.Script()));
    UninstallRun r = StartUninstaller(p);
    ASSERT_TRUE(r.Answer(ids::MsgBoxButton1));
    EXPECT_EQ(r.WaitForEnd(), "") << "a refused key is no failure";
    EXPECT_TRUE(Contains(r.Memo(), "\t" + hklm + cv + "\\Run \r\n")) << r.Memo();
    EXPECT_EQ(r.Close(), 0);
    EXPECT_TRUE(zktest::WaitRemoved(p.app));

    for (const std::string& key : sharedKeys) {
        EXPECT_TRUE(zk::RegKeyExists(key + canary)) << key;
        zk::DeleteRegKey(key + canary);
    }
    for (const std::string& key : ownKeys) {
        EXPECT_FALSE(zk::RegKeyExists(key)) << key;
        zk::DeleteRegKey(key);
    }
    for (const std::string& key : ownCanaries) {
        EXPECT_TRUE(zk::RegKeyExists(key)) << key;
        zk::DeleteRegKey(key);
    }
    zk::DeleteRegKey(hkcu + "Software\\ZkTestVendor");
    if (!hadWow) zk::DeleteRegKey(wow);
}

TEST(Uninstall, AutoUpdateProgramIsEndedAndDeletedAndARunningProgramOnlyWarns) {
    const Product p = MakeProduct("un_update");
    const std::string elsewhere = p.root + "\\Elsewhere";
    CreateDirectoryA(elsewhere.c_str(), nullptr);
    // A program that runs until it is ended: the host of a message box.
    const std::string host = zktest::BinDir() + "\\uihost.exe";
    const std::string ours = p.app + "\\X_Upd.exe", other = elsewhere + "\\X_Upd.exe";
    for (const std::string& copy : {ours, other, p.app + "\\Upd.exe"})
        ASSERT_TRUE(CopyFileA(host.c_str(), copy.c_str(), FALSE)) << copy;
    zkui::Program running = zkui::Start(ours, "msgbox 0 0 1 Update Running");
    zkui::Program sameName = zkui::Start(other, "msgbox 0 0 1 Other Running");
    ASSERT_TRUE(zkui::FindTopWindow(ids::MsgBoxClass, "", running.Pid()));
    ASSERT_TRUE(zkui::FindTopWindow(ids::MsgBoxClass, "", sameName.Pid()));
    WriteScript(p, "GET_AUTO_UPDATE_EXE_FILE_NAME=Upd.exe\r\nIS_RUNNING_TEST=1\r\n"
                   "GET_PROG_EXE_NAME=" +
                       other +
                       "\r\nIS_RUNNING_CAPTION=Attention\r\n"
                       "IS_RUNNING_TEXT=PROG_NAME is running\r\n" +
                       Line("REMOVE_FILE", p.Script()));
    UninstallRun r = StartUninstaller(p);
    ASSERT_FALSE(r.Press(ids::MsgBoxButton1).empty()) << "the confirmation";
    EXPECT_EQ(r.Press(ids::MsgBoxButton1), "ATTENTION\r\n\r\nDemo is running\r\n");
    ASSERT_TRUE(r.FindForm()) << "the warning does not stop the run";
    EXPECT_EQ(running.Wait(15000), 0) << "the running copy is ended";
    EXPECT_FALSE(zktest::Exists(ours));
    EXPECT_FALSE(zktest::Exists(p.app + "\\Upd.exe"));
    EXPECT_TRUE(sameName.Running()) << "a same-named program elsewhere is left alone";
    EXPECT_EQ(r.WaitForEnd(), "");
    EXPECT_EQ(r.Close(), 0);
    EXPECT_TRUE(zktest::WaitRemoved(p.app));
    sameName.Kill();
}

TEST(Uninstall, ExitAtUnInstallStartRemovesNothingAndKeepsTheUninstaller) {
    const Product p = MakeProduct("un_exit");
    const std::string file = p.app + "\\a.txt";
    WriteFile(file);
    zktest::ExecItemDef exit;
    exit.stage = "UnInstall Start";
    exit.kind = "UnConditional";
    exit.slot[0] = {"1", "Exit", "", "", ""};
    WriteScript(p, Line("REMOVE_FILE", file) + Line("REMOVE_FILE", p.Script()) +
                       Line("SET_PERFORM_EXECUTE_OP", zktest::BuildExecItem(exit)));
    UninstallRun r = StartUninstaller(p);
    ASSERT_TRUE(r.Answer(ids::MsgBoxButton1));
    EXPECT_TRUE(zkui::WaitGone(r.form)) << "the window closes by itself";
    EXPECT_EQ(r.program.Wait(), 0);
    Sleep(1500); // a batch, had one been started, would have begun by now
    for (const std::string& path : {file, p.Script(), p.Exe()})
        EXPECT_TRUE(zktest::Exists(path)) << path;
}

TEST(Uninstall, NoAtTheConfirmationChangesNothing) {
    const Product p = MakeProduct("un_no");
    const std::string file = p.app + "\\a.txt";
    WriteFile(file);
    WriteScript(p, Line("REMOVE_FILE", file) + Line("REMOVE_FILE", p.Script()) +
                       Line("FORCE_REMOVE_DIR", p.app));
    UninstallRun r = StartUninstaller(p);
    HWND box = zkui::FindTopWindow(ids::MsgBoxClass, "", r.program.Pid());
    ASSERT_TRUE(box);
    EXPECT_EQ(BoxText(box),
              "CONFIRM\r\n\r\nAre you sure you want to uninstall the program Demo?\r\n");
    ASSERT_TRUE(r.Answer(ids::MsgBoxButton2));
    EXPECT_EQ(r.program.Wait(), 0);
    Sleep(1500); // a batch, had one been started, would have begun by now
    for (const std::string& path : {file, p.Script(), p.Exe()})
        EXPECT_TRUE(zktest::Exists(path)) << path;
}

// The stage labels show their whole texts, a long one on more lines, each label with its
// mark beside it and over no other control.
void ExpectStageLabelsWhole(const UninstallRun& r, int charset) {
    const std::vector<HWND> children = zkui::Children(r.form);
    for (int i = 0; i < 6; ++i) {
        const HWND label = r.Control(ids::UnStageLabel1 + i);
        const RECT box = zkui::ChildBox(label);
        const std::string text = zkui::TextOf(label);
        EXPECT_LE(
            zkui::WrappedTextHeight(label, box.right - box.left, "Tahoma", -11, FW_NORMAL, charset),
            box.bottom - box.top)
            << text;
        EXPECT_EQ(zkui::ChildBox(r.Control(ids::UnStageMark1 + i)).top, box.top - 1) << text;
        EXPECT_LE(box.right, zkui::ClientBox(r.form).right) << text;
        for (HWND other : children) {
            const RECT o = zkui::ChildBox(other);
            RECT both;
            if (other == label || !IsWindowVisible(other)) continue;
            EXPECT_FALSE(IntersectRect(&both, &box, &o))
                << text << " over " << GetDlgCtrlID(other) << " " << zkui::TextOf(other);
        }
    }
}

// A German script: the confirmation's heading upper-cased by the system's rules and its Yes
// and No apart; the window's buttons as wide as their captions, clear of the company link;
// stage labels longer than their design width whole.
TEST(Uninstall, GermanTextsWholeInTheConfirmationAndTheWindow) {
    const Product p = MakeProduct("un_german");
    // The first line of a repeated header key wins over the English header.
    ASSERT_TRUE(zktest::WriteBytes(
        p.Script(),
        std::string("CONFIRM_CAPTION=Best\xE4tigen\r\n"
                    "BTN_TEXT=|OK|Abbrechen|Ja|Nein|Abbrechen|Wiederholen|Ignorieren|\r\n"
                    "BUTTON_CLOSE=&Schlie\xDF"
                    "en\r\nBUTTON_LOG=&Protokoll anzeigen\r\n"
                    "COMPANY_URL=http://www.example.com/demo\r\n"
                    "LABEL1=Von mehreren Programmen gemeinsam genutzte Dateien werden "
                    "entfernt...\r\n"
                    "LABEL2=Programmdateien des Standardumfangs...\r\n") +
            kHeader + Line("REMOVE_FILE", p.Script())));
    UninstallRun r = StartUninstaller(p);
    HWND box = zkui::FindTopWindow(ids::MsgBoxClass, "", r.program.Pid());
    ASSERT_TRUE(box);
    EXPECT_EQ(BoxText(box).rfind("BEST\xC4TIGEN\r\n\r\n", 0), 0u) << BoxText(box);
    const RECT yes = zkui::ChildBox(zkui::ChildById(box, ids::MsgBoxButton1));
    const RECT no = zkui::ChildBox(zkui::ChildById(box, ids::MsgBoxButton2));
    EXPECT_GT(no.left, yes.right) << "Ja and Nein do not touch";
    ASSERT_TRUE(r.Answer(ids::MsgBoxButton1));
    EXPECT_EQ(r.WaitForEnd(), "");
    const HWND log = r.Control(ids::UnLogButton), close = r.Control(ids::UnCloseButton);
    for (HWND b : {log, close}) {
        const RECT box = zkui::ChildBox(b);
        EXPECT_GE(box.right - box.left,
                  zkui::LeastCaptionWidth(b, zkui::CaptionExtent(b, "Tahoma", -11)))
            << zkui::TextOf(b);
    }
    EXPECT_LE(zkui::ChildBox(log).right, zkui::ChildBox(close).left);
    EXPECT_LE(zkui::ChildBox(r.Control(ids::UnCompanyUrlLabel)).right, zkui::ChildBox(log).left);
    ExpectStageLabelsWhole(r, 0);
    EXPECT_EQ(r.Close(), 0);
}

// Right to left the marks stand on the right: a long stage label takes the room to the left.
TEST(Uninstall, LongStageLabelsWholeRightToLeft) {
    const Product p = MakeProduct("un_rtl_labels");
    ASSERT_TRUE(zktest::WriteBytes(
        p.Script(), std::string("CHAR_SET=177\r\n"
                                "LABEL3=Folder items of the program group and the desktop...\r\n") +
                        kHeader + Line("REMOVE_FILE", p.Script())));
    UninstallRun r = StartUninstaller(p);
    ASSERT_TRUE(r.Answer(ids::MsgBoxButton1));
    EXPECT_EQ(r.WaitForEnd(), "");
    ExpectStageLabelsWhole(r, 177);
    const RECT label = zkui::ChildBox(r.Control(ids::UnStageLabel1 + 2));
    EXPECT_LT(label.right, zkui::ChildBox(r.Control(ids::UnStageMark1 + 2)).left);
    EXPECT_EQ(r.Close(), 0);
}

TEST(Uninstall, FileInUseIsMarkedLoggedAndSummarised) {
    // Blanks in the folder: the log reaches notepad only with its path quoted.
    const Product p = MakeProduct("un busy", "App Dir");
    const std::string busy = p.app + "\\busy.txt", free = p.app + "\\free.txt";
    WriteFile(busy);
    WriteFile(free);
    WriteScript(p, Line("REMOVE_FILE", busy) + Line("REMOVE_FILE", free) +
                       Line("REMOVE_FILE", p.Script()));
    HANDLE held = CreateFileA(busy.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    UninstallRun r = StartUninstaller(p);
    ASSERT_TRUE(r.Answer(ids::MsgBoxButton1));
    const std::string summary = r.WaitForEnd();
    EXPECT_EQ(summary, "ERROR\r\n\r\nUnInstall was unable to remove one or more Files\r\n\r\n"
                       "To complete the UnInstall operation, Please remove them manually.\r\n");
    const std::string memo = r.Memo();
    EXPECT_TRUE(Contains(memo, "\r\n\t" + free + " \r\n*\t" + busy + " \r\n")) << memo;
    EXPECT_FALSE(zktest::Exists(free));
    EXPECT_TRUE(IsWindowVisible(r.Control(ids::UnDoneLabel)));

    HWND logButton = r.Control(ids::UnLogButton);
    ASSERT_TRUE(IsWindowVisible(logButton));
    EXPECT_EQ(zkui::TextOf(logButton), "View Log");
    zkui::Click(logButton);
    // The start of notepad is recorded by its window, then it is ended.
    HWND notepad = zkui::FindTopWindow("Notepad", "");
    ASSERT_TRUE(notepad);
    EXPECT_TRUE(Contains(zkui::TextOf(notepad), "UnInstall.log")) << zkui::TextOf(notepad);
    DWORD notepadPid = 0;
    GetWindowThreadProcessId(notepad, &notepadPid);
    if (HANDLE h = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, notepadPid)) {
        TerminateProcess(h, 0);
        WaitForSingleObject(h, 5000);
        CloseHandle(h);
    }
    const std::string log = p.app + "\\UnInstall.log";
    EXPECT_EQ(zktest::ReadBytes(log), busy + "\r\n");

    EXPECT_EQ(r.Close(), 0);
    EXPECT_FALSE(zktest::Exists(log)) << "the log lives until the window closes";
    EXPECT_TRUE(zktest::WaitRemoved(p.Exe())) << "a failed item does not keep the uninstaller";
    CloseHandle(held);
    EXPECT_TRUE(zktest::Exists(busy));
}

TEST(Uninstall, ScriptCanHideTheSummaryAndTheLogButton) {
    const Product p = MakeProduct("un_hidden");
    const std::string busy = p.app + "\\busy.txt";
    WriteFile(busy);
    WriteScript(p, "GET_HIDE_ERR_MSG_UNINSTALL=1\r\nGET_HIDE_LOG_BTN_UNINSTALL=1\r\n" +
                       Line("REMOVE_FILE", busy) + Line("REMOVE_FILE", p.Script()));
    HANDLE held = CreateFileA(busy.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    UninstallRun r = StartUninstaller(p);
    ASSERT_TRUE(r.Answer(ids::MsgBoxButton1));
    EXPECT_EQ(r.WaitForEnd(), "") << "no summary box";
    EXPECT_TRUE(Contains(r.Memo(), "*\t" + busy + " \r\n"));
    EXPECT_FALSE(IsWindowVisible(r.Control(ids::UnLogButton)));
    EXPECT_EQ(r.Close(), 0);
    CloseHandle(held);
}

TEST(Uninstall, TitleBarCloseIsRefusedWhileTheRemovalRuns) {
    const Product p = MakeProduct("un_closing");
    WriteFile(p.app + "\\a.txt");
    WriteScript(p, Line("REMOVE_FILE", p.app + "\\a.txt") + Line("REMOVE_FILE", p.Script()));
    UninstallRun r = StartUninstaller(p);
    ASSERT_TRUE(r.Answer(ids::MsgBoxButton1));
    EXPECT_FALSE(IsWindowEnabled(r.Control(ids::UnCloseButton)));
    // Before the run, and again during its pauses.
    for (int i = 0; i < 8; ++i, Sleep(400)) zkui::PostClose(r.form);
    EXPECT_EQ(r.WaitForEnd(), "");
    EXPECT_TRUE(IsWindow(r.form));
    EXPECT_EQ(r.Close(), 0);
}

TEST(Uninstall, SelfDeletionRemovesTheUninstallerAndItsFolder) {
    // Folder names that mean something to cmd, and some outside ASCII. Each run has a temporary
    // folder of its own (the batch name is fixed); the last one holds blanks and "&" itself.
    struct Case {
        const char* scratch;
        const char* app;
        const char* temp;
    };
    const Case cases[] = {
        {"un_del_blank", "Demo App", "tmp"},
        {"un_del_pct", "Demo %PATH% 100%", "tmp"},
        {"un_del_amp", "R&D", "tmp"},
        {"un_del_paren", "Demo (x86)", "tmp"},
        {"un_del_oem", "D\xFCsseldorf \xE9t\xE9", "tmp"},
        {"un_del_temp", "App", "Temp (a) & b"},
        {"un_del_tm", "Acme\x99", "tmp"}, // ANSI names the OEM code page cannot hold
        {"un_del_euro", "\x80 App", "Temp \x80"},
    };
    struct Started {
        const Case* c;
        Product p;
        UninstallRun r;
        std::string temp;
    };
    std::vector<Started> runs;
    for (const Case& c : cases) {
        Started s{&c, MakeProduct(c.scratch, c.app), {}, {}};
        WriteFile(s.p.app + "\\data.txt");
        WriteScript(s.p, Line("REMOVE_FILE", s.p.app + "\\data.txt") +
                             Line("REMOVE_FILE", s.p.Script()));
        s.temp = s.p.root + "\\" + c.temp;
        CreateDirectoryA(s.temp.c_str(), nullptr);
        SetEnvironmentVariableA("TMP", s.temp.c_str());
        SetEnvironmentVariableA("TEMP", s.temp.c_str());
        s.r = StartUninstaller(s.p);
        runs.push_back(std::move(s));
    }
    SetEnvironmentVariableA("TMP", nullptr);
    SetEnvironmentVariableA("TEMP", nullptr);
    for (Started& s : runs) {
        ASSERT_TRUE(s.r.Answer(ids::MsgBoxButton1)) << s.c->app;
        EXPECT_EQ(s.r.WaitForEnd(), "") << s.c->app;
        EXPECT_EQ(s.r.Close(), 0) << s.c->app;
    }
    for (Started& s : runs) {
        EXPECT_TRUE(zktest::WaitRemoved(s.p.app)) << s.c->app << " is still there";
        EXPECT_TRUE(zktest::WaitRemoved(s.temp + "\\_DEL_ME_.BAT")) << "the batch deletes itself";
        EXPECT_TRUE(zktest::IsDir(s.temp)) << "the folders around stay";
    }
}
