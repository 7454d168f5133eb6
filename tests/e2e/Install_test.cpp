// Installations end to end, with their uninstallation as the other half of the pair: a copy of
// Setup.exe and UnInstall.exe beside a Setup.txt and its sources in a scratch folder, run
// silently, then the uninstaller started from the Add/Remove entry. Checked by the whole
// "UnInstall.txt", Setup.log, the registry and the files; canaries beside every target.
#include "ControlIds.h"
#include "FullDrive.h"
#include "RegOp.h"
#include "RegSnapshot.h"
#include "Scramble.h"
#include "TestEnv.h"
#include "UiDriver.h"
#include "Utils.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <zlib.h>

#include <algorithm>
#include <cstdlib>
#include <iterator>
#include <set>
#include <string>
#include <vector>

namespace ids = zk::ids;

namespace {

const char kCanary[] = "canary, never touched";
const char kUninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\UnInstall\\";

std::string Line(const std::string& command, const std::string& argument = "") {
    return command + "(" + argument + ")\r\n";
}

std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
        lines.push_back(text.substr(start, end - start));
    if (start < text.size()) lines.push_back(text.substr(start) + "<no CR LF>");
    return lines;
}

std::string ReadValue(HKEY root, const std::string& subkey, const std::string& name) {
    char data[2048];
    DWORD size = sizeof data, type = 0;
    if (RegGetValueA(root, subkey.c_str(), name.c_str(), RRF_RT_ANY, &type, data, &size) !=
        ERROR_SUCCESS)
        return "<none>";
    if (type == REG_DWORD) return std::to_string(*reinterpret_cast<DWORD*>(data));
    return std::string(data, size && data[size - 1] == 0 ? size - 1 : size);
}

bool KeyExists(HKEY root, const std::string& subkey) {
    HKEY key;
    if (RegOpenKeyExA(root, subkey.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

// A setup package in root\src that installs into root\App, with canaries around both.
struct Package {
    std::string name, root, src, app;
    explicit Package(const std::string& n) : name(n) {
        root = zktest::ScratchDir(n);
        src = root + "\\src";
        app = root + "\\App";
        CreateDirectoryA(src.c_str(), nullptr);
        zktest::WriteBytes(root + "\\canary.txt", kCanary);
        Stock();
    }
    // The engine and its uninstaller: the installation consumes the engine folder's copies.
    void Stock() const {
        for (const char* exe : {"Setup.exe", "UnInstall.exe"})
            CopyFileA((zktest::BinDir() + "\\" + exe).c_str(), (src + "\\" + exe).c_str(), FALSE);
    }
    void Source(const std::string& file, const std::string& bytes) const {
        ASSERT_TRUE(zktest::WriteBytes(src + "\\" + file, bytes)) << file;
    }
    void CopyIn(const std::string& from, const std::string& file) const {
        ASSERT_TRUE(CopyFileA(from.c_str(), (src + "\\" + file).c_str(), FALSE)) << from;
    }
    void Script(const std::string& text) const { zktest::WriteBytes(src + "\\Setup.txt", text); }
    std::string App(const std::string& file) const { return app + "\\" + file; }
    std::string EntryKey() const { return std::string(kUninstallKey) + name; }
    // The script's lines, from the script's path (a stamp changes it).
    std::vector<std::string> Uninstall(const std::string& file = "UnInstall.txt") const {
        return SplitLines(zktest::ReadBytes(App(file)));
    }
    std::vector<std::string> Log() const { return SplitLines(zktest::ReadBytes(App("Setup.log"))); }
};

// The head of every script here; `files` are SET_GROUP_DATA, SET_SUB_DIR, SET_COPY_FILES rows.
std::string SilentScript(const Package& p, const std::string& more) {
    return Line("SET_PROG_NAME", p.name) + Line("SET_PROG_VERSION", "2.1") +
           Line("SET_COMPANY_NAME", "Acme") + Line("SET_COMPOSER_BUILD", "77") +
           Line("SET_TARGET_DIR", p.app) +
           Line("SET_DIALOGS", "WelcomeDlg,CopyFilesDlg,CompleteDlg") +
           Line("SET_CREATE_SETUP_LOG") + Line("SET_CREATE_UNINSTALL") + Line("SET_SILENT_SETUP") +
           more;
}

// Setup.exe of the package to its end; its exit code (-1: still running after the wait).
long RunSetup(const Package& p, DWORD ms = 60000) {
    zkui::Program setup = zkui::Start(p.src + "\\Setup.exe", "", p.src);
    return setup.Wait(ms);
}

// The uninstaller from the Add/Remove entry's UnInstallString, as the control panel starts it:
// confirmation answered Yes, the removal waited for, the window closed, its own removal
// waited for. Returns the summary box's text ("" when none came).
std::string UninstallFromEntry(const Package& p) {
    std::string command = ReadValue(HKEY_LOCAL_MACHINE, p.EntryKey(), "UnInstallString");
    if (command.size() > 1 && command[0] == '"')
        command = command.substr(1, command.find('"', 1) - 1);
    if (!zktest::Exists(command)) {
        ADD_FAILURE() << "no uninstaller at " << command;
        return {};
    }
    zkui::Program un = zkui::Start(command, "", p.app);
    HWND box = zkui::FindTopWindow(ids::MsgBoxClass, "", un.Pid());
    if (!box) {
        ADD_FAILURE() << "no confirmation";
        return {};
    }
    zkui::Click(zkui::ChildById(box, ids::MsgBoxButton1));
    zkui::WaitGone(box);
    HWND form = zkui::FindTopWindow(ids::UninstallClass, "", un.Pid());
    if (!form) {
        ADD_FAILURE() << "no uninstall window";
        return {};
    }
    std::string summary;
    for (DWORD start = GetTickCount(); GetTickCount() - start < 60000; Sleep(50)) {
        for (HWND w : zkui::TopWindows(un.Pid())) {
            if (zkui::ClassOf(w) != ids::MsgBoxClass) continue;
            summary = zkui::TextOf(zkui::ChildById(w, ids::MsgBoxBody));
            zkui::Click(zkui::ChildById(w, ids::MsgBoxButton1));
            zkui::WaitGone(w);
        }
        if (IsWindowEnabled(zkui::ChildById(form, ids::UnCloseButton))) break;
    }
    zkui::Click(zkui::ChildById(form, ids::UnCloseButton));
    EXPECT_GE(un.Wait(), 0);
    return summary;
}

void ExpectLines(const std::vector<std::string>& actual, const std::vector<std::string>& expected,
                 const std::string& what) {
    for (size_t i = 0; i < std::max(actual.size(), expected.size()); ++i)
        EXPECT_EQ(i < actual.size() ? actual[i] : "<missing>",
                  i < expected.size() ? expected[i] : "<extra>")
            << what << " line " << i + 1;
}

// Setup.log without its date and system lines (they change from run to run).
std::vector<std::string> StableLog(const Package& p) {
    std::vector<std::string> lines;
    for (const std::string& l : p.Log())
        if (l.rfind("Date: ", 0) != 0 && l.rfind("Operating System: ", 0) != 0) lines.push_back(l);
    return lines;
}

std::string SharedCount(const std::string& file) {
    return ReadValue(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs",
                     file);
}

std::string Compressed(const std::string& data) {
    uLongf n = compressBound(static_cast<uLong>(data.size()));
    std::string out(n, '\0');
    compress(reinterpret_cast<Bytef*>(out.data()), &n, reinterpret_cast<const Bytef*>(data.data()),
             static_cast<uLong>(data.size()));
    out.resize(n);
    return out;
}

// Every file of the machine as "path size", sorted; the scratch folders of other tests and the
// temporary folders are no part of the comparison.
void ListTree(const std::string& folder, std::set<std::string>& out) {
    WIN32_FIND_DATAA fd;
    HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &fd);
    if (find == INVALID_HANDLE_VALUE) return;
    do {
        const std::string name = fd.cFileName;
        if (name == "." || name == "..") continue;
        const std::string path = folder + "\\" + name;
        if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            out.insert(path + "\\");
            ListTree(path, out);
        } else {
            out.insert(path + " " + std::to_string(fd.nFileSizeLow));
        }
    } while (FindNextFileA(find, &fd));
    FindClose(find);
}

// ---------------------------------------------------------------------------------------------

// The product of the base script: a plain file, a number-prefixed one, a "._z" stream, a
// read-only one, a shared one, and in a second folder (removed with its contents) a COM server
// and a font.
std::string BaseFiles() {
    return Line("SET_GROUP_DATA", "|Main|Main files|10|7|0|1|1|1|0|") +
           Line("SET_SUB_DIR", "<Application Folder>") +
           Line("SET_COPY_FILES", "a.txt|00002#readme.txt|packed.txt|256*ro.txt|*zkshared.dll") +
           Line("SET_SUB_DIR", "*1<Application Folder>\\Bin") +
           Line("SET_COPY_FILES", "2*zkcom_ok.dll|1073741824*zkinst_font.ttf");
}

void StockBase(const Package& p) {
    p.Source("a.txt", "plain a");
    p.Source("00002#readme.txt", "the numbered readme");
    p.CopyIn(zktest::BinDir() + "\\copysrc\\packed.txt._z", "packed.txt._z");
    p.Source("ro.txt", "read-only");
    p.Source("zkshared.dll", "shared");
    p.CopyIn(zktest::BinDir() + "\\zkcom_ok.dll", "zkcom_ok.dll");
    p.CopyIn(zktest::BinDir() + "\\zkfont.ttf", "zkinst_font.ttf");
}

std::vector<std::string> BaseHeader(const Package& p, const std::string& scriptName) {
    const std::string a = p.app;
    // Without a setup-type page the check marks decide: a Custom setup.
    return {"SetupType=Custom",
            "GroupNames=|Main|",
            "UserData=|||",
            "Version=1.0",
            "ComposerVersion=77",
            "",
            "PROG_NAME=" + p.name,
            "COMPANY_URL=",
            "CHAR_SET=0",
            "GET_DIALOG_BITMAP_3D_FRAME=0",
            "GET_AUTO_UPDATE_EXE_FILE_NAME=",
            "GET_PROG_EXE_NAME=",
            "IS_RUNNING_TEST=0",
            "IS_RUNNING_CAPTION=Attention",
            "IS_RUNNING_TEXT=<b>PROG_NAME</b> --- is running!<p><p>Please close the program and "
            "then click OK to continue with UnInstall.",
            "CONFIRM_CAPTION=Confirm",
            "CONFIRM_TEXT=Are you sure you want to completely remove <b>PROG_NAME</b> and all of "
            "its components?",
            "BTN_TEXT=|OK|Cancel|Yes|No|Abort|Retry|Ignore|",
            "BUTTON_CLOSE=&Close",
            "BUTTON_LOG=View &Log",
            "S1=<b>PROG_NAME</b> is being removed from your computer.",
            "S2=UnInstall completed successfully !",
            "GET_TEST_ADMIN_RIGHTS_UNINSTALL=0",
            "GET_HIDE_ERR_MSG_UNINSTALL=0",
            "GET_HIDE_LOG_BTN_UNINSTALL=0",
            "LABEL1=Shared program files...",
            "LABEL2=Standard program files...",
            "LABEL3=Folder items...",
            "LABEL4=Program folders...",
            "LABEL5=Program directories...",
            "LABEL6=Program registry entries...",
            "",
            "REMOVE_FILE(" + a + "\\" + scriptName + ");",
            "REMOVE_FILE(" + a + "\\Setup.log);",
            "RunTimeDir_1=",
            "RunTimeDir_2=",
            "RunTimeDir_3=",
            "REMOVE_REG_KEY(HKEY_LOCAL_MACHINE\\" + p.EntryKey() + ");"};
}

// The user-information key, under the company and the product.
std::string UserInfoKey(const Package& p) {
    return "Software\\Acme\\" + p.name + "\\2.1";
}

std::vector<std::string> BaseBody(const Package& p) {
    const std::string a = p.app;
    return {"",
            "TargetDir=" + a,
            "SharedDir=",
            "AuxiliaryDir=",
            "REMOVE_DIR(" + a + ");",
            "REMOVE_FILE(" + a + "\\a.txt);",
            "REMOVE_FILE(" + a + "\\readme.txt);",
            "REMOVE_FILE(" + a + "\\packed.txt);",
            "UNMARK_READONLY_FILE(" + a + "\\ro.txt);",
            "REMOVE_FILE(" + a + "\\ro.txt);",
            "REMOVE_SHARED_FILE(" + a + "\\zkshared.dll);",
            "AVOID_ERR_REMOVE_DIR(" + a + ");", // the shared file may stay for others
            "",
            "FORCE_REMOVE_DIR(" + a + "\\Bin);",
            "REMOVE_FILE(" + a + "\\Bin\\zkcom_ok.dll);",
            "REMOVE_FILE(" + a + "\\Bin\\zkinst_font.ttf);",
            "",
            "UN_REG_OCX_FILE(" + a + "\\Bin\\zkcom_ok.dll);",
            "UN_REG_FONT_FILE(" + a + "\\Bin\\zkinst_font.ttf);",
            "REMOVE_REG_KEY(HKEY_LOCAL_MACHINE\\" + UserInfoKey(p) + ");",
            "REMOVE_EMPTY_REG_KEY(HKEY_LOCAL_MACHINE\\Software\\Acme\\" + p.name + ");"};
}

std::vector<std::string> Joined(std::vector<std::string> a, const std::vector<std::string>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

struct StampCase {
    const char* name;
    const char* stampLine; // SET_PROG_STAMP row or ""
    const char* scriptName;
};

class SilentInstall : public ::testing::TestWithParam<StampCase> {};

TEST_P(SilentInstall, BaseScriptInstallsAndItsUninstallLeavesNothing) {
    const StampCase& c = GetParam();
    Package p(c.name);
    StockBase(p);
    p.Script(SilentScript(p, c.stampLine + BaseFiles()));
    const std::string comKey = "Software\\ZkTest\\ComServer";
    RegDeleteKeyA(HKEY_CURRENT_USER, comKey.c_str());
    // The product's level under the company is made by this run (the company is everyone's).
    const std::string productKey = "Software\\Acme\\" + p.name;
    zk::DeleteRegKey("HKEY_LOCAL_MACHINE\\" + productKey);
    HKEY company = nullptr;
    ASSERT_EQ(RegCreateKeyA(HKEY_LOCAL_MACHINE, "Software\\Acme", &company), ERROR_SUCCESS);
    RegCloseKey(company);

    ASSERT_EQ(RunSetup(p), 0);

    const std::string scriptName = c.scriptName;
    const std::string raw = zktest::ReadBytes(p.App(scriptName));
    ASSERT_FALSE(raw.empty()) << scriptName;
    EXPECT_NE(raw.substr(0, 3), "\xEF\xBB\xBF");
    const std::vector<std::string> lines = p.Uninstall(scriptName);
    ExpectLines(lines, Joined(BaseHeader(p, scriptName), BaseBody(p)), scriptName);
    for (size_t i = 1; i < lines.size(); ++i) {
        EXPECT_FALSE(lines[i].empty() && lines[i - 1].empty()) << "two empty lines at " << i;
    }
    for (const std::string& l : lines) {
        const bool command = l.find('(') != std::string::npos && l.find('=') == std::string::npos;
        EXPECT_TRUE(!command || l.substr(l.size() - 2) == ");") << l;
    }

    const std::string a = p.app;
    ExpectLines(
        StableLog(p),
        {"Setup Log of: " + p.name,
         "Version: 2.1",
         "",
         "Composer Version: 77",
         "",
         "WinTempDir: C:\\users\\zsandbox\\Temp",
         "SourceDir:  " + p.src,
         "",
         "Execute Before Dialogs",
         "Create Target Directory: " + a + " ... TRUE",
         "Show Screen: Installing",
         "Execute Before Copy",
         "Handle First UnInstall Data",
         "  Copy File: " + a + "\\" + scriptName.substr(0, scriptName.size() - 4) + ".exe ... OK",
         "",
         "Start Copy Directory",
         "  (" + a + ")",
         "  Copy File: " + a + "\\a.txt ... OK",
         "  Copy File: " + a + "\\readme.txt ... OK",
         "  Copy File: " + a + "\\packed.txt ... OK",
         "  Copy File: " + a + "\\ro.txt ... OK",
         "  Copy File: " + a + "\\zkshared.dll ... OK",
         "",
         "Start Copy Directory",
         "  (" + a + "\\Bin)",
         "  Copy File: " + a + "\\Bin\\zkcom_ok.dll ... OK",
         "  Copy File: " + a + "\\Bin\\zkinst_font.ttf ... OK",
         "",
         "Execute After Copy",
         "Create Start/Program Link(s):"},
        "Setup.log");

    // The files in place, the engine folder's working copies consumed (same drive, moved).
    EXPECT_EQ(zktest::ReadBytes(p.App("a.txt")), "plain a");
    EXPECT_EQ(zktest::ReadBytes(p.App("readme.txt")), "the numbered readme");
    EXPECT_EQ(zktest::ReadBytes(p.App("packed.txt")).substr(0, 13), "packed file i");
    EXPECT_TRUE(GetFileAttributesA(p.App("ro.txt").c_str()) & FILE_ATTRIBUTE_READONLY);
    for (const char* gone : {"a.txt", "00002#readme.txt", "ro.txt", "Setup.exe"})
        EXPECT_EQ(gone == std::string("Setup.exe"), zktest::Exists(p.src + "\\" + gone)) << gone;
    EXPECT_FALSE(zktest::Exists(p.src + "\\UnInstall.exe"));
    EXPECT_TRUE(zktest::Exists(p.src + "\\packed.txt._z")); // a stream is the setup's own
    EXPECT_EQ(SharedCount(p.App("zkshared.dll")), "1");
    EXPECT_EQ(ReadValue(HKEY_CURRENT_USER, comKey, "Server"), p.App("Bin\\zkcom_ok.dll"));

    // The Add/Remove entry names the uninstaller that is there.
    const std::string engine = p.App(scriptName.substr(0, scriptName.size() - 4) + ".exe");
    EXPECT_TRUE(zktest::Exists(engine));
    EXPECT_EQ(ReadValue(HKEY_LOCAL_MACHINE, p.EntryKey(), "DisplayName"), p.name);
    EXPECT_EQ(ReadValue(HKEY_LOCAL_MACHINE, p.EntryKey(), "UnInstallString"), engine);
    EXPECT_EQ(ReadValue(HKEY_LOCAL_MACHINE, p.EntryKey(), "DisplayVersion"), "2.1");
    EXPECT_EQ(ReadValue(HKEY_LOCAL_MACHINE, p.EntryKey(), "Publisher"), "Acme");
    EXPECT_EQ(ReadValue(HKEY_LOCAL_MACHINE, p.EntryKey(), "UserCount"), "1");

    UninstallFromEntry(p);
    EXPECT_TRUE(zktest::WaitRemoved(p.app)) << "the product folder stays";
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, p.EntryKey()));
    EXPECT_EQ(SharedCount(p.App("zkshared.dll")), "<none>");
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, comKey));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, UserInfoKey(p)));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, productKey)) << "an empty parent key stays";
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, "Software\\Acme"));
    EXPECT_EQ(zktest::ReadBytes(p.root + "\\canary.txt"), kCanary);
}

INSTANTIATE_TEST_SUITE_P(Stamps, SilentInstall,
                         ::testing::Values(StampCase{"inst_base", "", "UnInstall.txt"},
                                           StampCase{"inst_stamp", "SET_PROG_STAMP(v7)\r\n",
                                                     "UnInstall_v7.txt"}),
                         [](const auto& info) { return std::string(info.param.name); });

// A file that cannot be installed: its box within seconds, no later file, no change after the
// copy, no partial file; what was written before stays in the script, and that script removes
// what did arrive.
struct FailureCase {
    const char* name;
    const char* badName;  // the second of three file items
    const char* badBytes; // stocked as badName + "._z"; null: no source at all
    const char* boxPhrase;
    const char* logVerdict;
};

class SilentInstallFailure : public ::testing::TestWithParam<FailureCase> {};

TEST_P(SilentInstallFailure, StopsTheRunBeforeThePostCopyChanges) {
    const FailureCase& c = GetParam();
    Package p(c.name);
    p.Source("a.txt", "plain a");
    p.Source("c.txt", "never reached");
    if (c.badBytes) p.Source(std::string(c.badName) + "._z", c.badBytes);
    const std::string key = zktest::ScratchKey(c.name);
    const std::string subkey = key.substr(std::string("HKEY_CURRENT_USER\\").size());
    p.Script(SilentScript(
        p, Line("SET_GROUP_DATA", "|Main|Main files|10|3|0|1|1|1|0|") +
               Line("SET_SUB_DIR", "<Application Folder>") +
               Line("SET_COPY_FILES", std::string("a.txt|") + c.badName + "|c.txt") +
               Line("SET_PERFORM_REGISTRY_OP", key + "|Marker|set|Create|RemoveKey|String")));

    zkui::Program setup = zkui::Start(p.src + "\\Setup.exe", "", p.src);
    const DWORD start = GetTickCount();
    HWND box = zkui::FindTopWindow(ids::MsgBoxClass, "", setup.Pid(), 20000);
    ASSERT_NE(box, nullptr) << "no box";
    EXPECT_LT(GetTickCount() - start, 10000u);
    const std::string text = zkui::TextOf(zkui::ChildById(box, ids::MsgBoxBody));
    EXPECT_NE(text.find(p.src + "\\" + c.badName), std::string::npos) << text;
    EXPECT_NE(text.find(c.boxPhrase), std::string::npos) << text;
    zkui::Click(zkui::ChildById(box, ids::MsgBoxButton1));
    EXPECT_GE(setup.Wait(20000), 0) << "the wizard stays after the failure";

    std::set<std::string> left;
    ListTree(p.app, left);
    std::vector<std::string> names;
    for (const std::string& f : left)
        names.push_back(f.substr(p.app.size() + 1, f.rfind(' ') - p.app.size() - 1));
    EXPECT_EQ(names,
              (std::vector<std::string>{"Setup.log", "UnInstall.exe", "UnInstall.txt", "a.txt"}));
    EXPECT_TRUE(zktest::Exists(p.src + "\\c.txt"));
    EXPECT_EQ(ReadValue(HKEY_CURRENT_USER, subkey, "Marker"), "<none>");
    const std::vector<std::string> log = p.Log();
    EXPECT_NE(std::find(log.begin(), log.end(),
                        "  Copy File: " + p.App(c.badName) + " ... " + c.logVerdict),
              log.end());
    EXPECT_EQ(std::find(log.begin(), log.end(), "Execute After Copy"), log.end());
    const std::vector<std::string> lines = p.Uninstall();
    // A stream into the folder this run made is written under its name, named before its first
    // byte; a file that is not there has no line.
    std::vector<std::string> end = {"AuxiliaryDir=", "REMOVE_DIR(" + p.app + ");",
                                    "REMOVE_FILE(" + p.App("a.txt") + ");", ""};
    if (c.badBytes) end.insert(end.end() - 1, "REMOVE_FILE(" + p.App(c.badName) + ");");
    ASSERT_GE(lines.size(), end.size());
    ExpectLines({lines.end() - static_cast<long>(end.size()), lines.end()}, end,
                "the script's end");

    UninstallFromEntry(p);
    EXPECT_TRUE(zktest::WaitRemoved(p.app));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, p.EntryKey()));
    EXPECT_EQ(zktest::ReadBytes(p.root + "\\canary.txt"), kCanary);
}

INSTANTIATE_TEST_SUITE_P(Cases, SilentInstallFailure,
                         ::testing::Values(FailureCase{"inst_missing", "gone.txt", nullptr,
                                                       "File not found!", "File not Found!"},
                                           FailureCase{"inst_corrupt", "bad.txt",
                                                       "this is no zlib stream at all",
                                                       "The compressed file is damaged", "FAILED"}),
                         [](const auto& info) { return std::string(info.param.name); });

// Without the uninstaller to put in place the run stops before it changes anything: no entry,
// no product file, no row applied.
TEST(SilentInstallHeader, AMissingUninstallerFailsTheRunBeforeAnyChange) {
    Package p("inst_noengine");
    DeleteFileA((p.src + "\\UnInstall.exe").c_str());
    p.Source("a.txt", "plain a");
    const std::string key = zktest::ScratchKey("inst_noengine");
    const std::string subkey = key.substr(std::string("HKEY_CURRENT_USER\\").size());
    p.Script(SilentScript(
        p, Line("SET_GROUP_DATA", "|Main|Main files|10|1|0|1|1|1|0|") +
               Line("SET_SUB_DIR", "<Application Folder>") + Line("SET_COPY_FILES", "a.txt") +
               Line("SET_PERFORM_REGISTRY_OP", key + "|Marker|set|Create|RemoveKey|String")));
    zkui::Program setup = zkui::Start(p.src + "\\Setup.exe", "", p.src);
    HWND box = zkui::FindTopWindow(ids::MsgBoxClass, "", setup.Pid(), 20000);
    ASSERT_NE(box, nullptr) << "no box";
    const std::string text = zkui::TextOf(zkui::ChildById(box, ids::MsgBoxBody));
    EXPECT_NE(text.find(p.src + "\\UnInstall.exe"), std::string::npos) << text;
    zkui::Click(zkui::ChildById(box, ids::MsgBoxButton1));
    EXPECT_GE(setup.Wait(20000), 0) << "the wizard stays after the failure";
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, p.EntryKey()));
    EXPECT_FALSE(zktest::Exists(p.App("a.txt")));
    EXPECT_TRUE(zktest::Exists(p.src + "\\a.txt"));
    EXPECT_EQ(ReadValue(HKEY_CURRENT_USER, subkey, "Marker"), "<none>");
}

// The same product installed twice into its folder: the second run continues the script without
// a line twice, the shared file's count stays one, and one uninstall takes it all away.
class SilentReinstall : public ::testing::TestWithParam<bool> {};

TEST_P(SilentReinstall, ContinuesTheScriptWithoutDuplicatesAndOneUninstallRemovesIt) {
    const bool scrambled = GetParam();
    Package p(scrambled ? "inst_again_scrambled" : "inst_again");
    // The second run brings a file more: its line goes after the first run's.
    for (const char* files : {"a.txt|*zkagain.dll", "a.txt|*zkagain.dll|b.txt"}) {
        p.Stock();
        p.Source("a.txt", "plain a");
        p.Source("b.txt", "plain b");
        p.Source("zkagain.dll", "shared");
        p.Script(SilentScript(p, (scrambled ? Line("SET_SCRAMBLE_UNINSTALL") : "") +
                                     Line("SET_GROUP_DATA", "|Main|Main files|10|2|0|1|1|1|0|") +
                                     Line("SET_SUB_DIR", "<Application Folder>") +
                                     Line("SET_COPY_FILES", files)));
        ASSERT_EQ(RunSetup(p), 0) << files;
    }
    const std::string raw = zktest::ReadBytes(p.App("UnInstall.txt"));
    EXPECT_EQ(zk::IsScrambled(raw), scrambled);
    const std::vector<std::string> lines = SplitLines(zk::ScrambleText(raw, false));
    ASSERT_GT(lines.size(), 40u);
    EXPECT_EQ(lines[0], "SetupType=Custom");
    for (size_t i = 0; i < lines.size(); ++i)
        for (size_t j = i + 1; j < lines.size(); ++j)
            EXPECT_TRUE(lines[i].empty() || lines[i] != lines[j])
                << "lines " << i + 1 << ", " << j + 1 << ": " << lines[i];
    const auto shared =
        std::find(lines.begin(), lines.end(), "REMOVE_SHARED_FILE(" + p.App("zkagain.dll") + ");");
    const auto added =
        std::find(lines.begin(), lines.end(), "REMOVE_FILE(" + p.App("b.txt") + ");");
    EXPECT_NE(shared, lines.end());
    EXPECT_NE(added, lines.end());
    EXPECT_LT(shared, added);
    EXPECT_EQ(SharedCount(p.App("zkagain.dll")), "1");

    UninstallFromEntry(p);
    EXPECT_TRUE(zktest::WaitRemoved(p.app));
    EXPECT_EQ(SharedCount(p.App("zkagain.dll")), "<none>");
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, p.EntryKey()));
}

INSTANTIATE_TEST_SUITE_P(Scripts, SilentReinstall, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "scrambled" : "plain"; });

// A target two levels below the scratch folder: the levels the installation made go with the
// uninstallation, unless they were there before or hold the user's own files by then.
struct ParentCase {
    const char* name;
    bool vendorExisted; // "Vendor" made (with a file of its own) before the installation
    bool userFile;      // a file of the user's put into "Vendor" after the installation
    int runs;           // installations into the same folders before the one uninstallation
};

class SilentInstallParents : public ::testing::TestWithParam<ParentCase> {};

TEST_P(SilentInstallParents, CreatedParentsGoWhenEmptyAndOthersStay) {
    const ParentCase c = GetParam();
    Package p(std::string("inst_parents_") + c.name);
    const std::string vendor = p.root + "\\Vendor";
    p.app = vendor + "\\Product";
    if (c.vendorExisted) {
        ASSERT_TRUE(CreateDirectoryA(vendor.c_str(), nullptr));
        zktest::WriteBytes(vendor + "\\canary.txt", kCanary);
    }
    for (int run = 0; run < c.runs; ++run) {
        p.Stock();
        p.Source("a.txt", "plain a");
        p.Source("b.txt", "plain b");
        // A folder entry with a missing parent of its own below the target.
        p.Script(SilentScript(p, Line("SET_GROUP_DATA", "|Main|Main files|10|2|0|1|1|1|0|") +
                                     Line("SET_SUB_DIR", "<Application Folder>") +
                                     Line("SET_COPY_FILES", "a.txt") +
                                     Line("SET_SUB_DIR", "*1<Application Folder>\\Bin\\Deep") +
                                     Line("SET_COPY_FILES", "b.txt")));
        ASSERT_EQ(RunSetup(p), 0) << "run " << run + 1;
    }
    const std::vector<std::string> lines = p.Uninstall();
    const auto count = [&](const std::string& line) {
        return std::count(lines.begin(), lines.end(), line);
    };
    const std::string bin = p.App("Bin"), deep = p.App("Bin\\Deep");
    EXPECT_EQ(count("FORCE_REMOVE_DIR(" + deep + ");"), 1);
    EXPECT_EQ(count("REMOVE_DIR(" + bin + ");"), 1);
    EXPECT_EQ(count("AVOID_ERR_REMOVE_DIR(" + bin + ");"), 1);
    EXPECT_EQ(count("REMOVE_DIR(" + p.app + ");"), 1);
    EXPECT_EQ(count("AVOID_ERR_REMOVE_DIR(" + p.app + ");"), 0);
    EXPECT_EQ(count("REMOVE_DIR(" + vendor + ");"), c.vendorExisted ? 0 : 1);
    EXPECT_EQ(count("AVOID_ERR_REMOVE_DIR(" + vendor + ");"), c.vendorExisted ? 0 : 1);
    for (const std::string& line : lines)
        EXPECT_EQ(line.find("(" + p.root + ");"), std::string::npos) << line;

    if (c.userFile) zktest::WriteBytes(vendor + "\\mine.txt", "the user's own");
    EXPECT_EQ(UninstallFromEntry(p), "");
    EXPECT_TRUE(zktest::WaitRemoved(p.app));
    const bool vendorStays = c.vendorExisted || c.userFile;
    if (vendorStays) {
        char temp[MAX_PATH] = "";
        GetTempPathA(MAX_PATH, temp);
        // Deleting itself is the batch's last line: by then it has tried the parents.
        EXPECT_TRUE(zktest::WaitRemoved(std::string(temp) + "_DEL_ME_.BAT"));
    } else {
        EXPECT_TRUE(zktest::WaitRemoved(vendor));
    }
    EXPECT_EQ(zktest::Exists(vendor), vendorStays);
    if (c.vendorExisted) {
        EXPECT_EQ(zktest::ReadBytes(vendor + "\\canary.txt"), kCanary);
    }
    if (c.userFile) {
        EXPECT_EQ(zktest::ReadBytes(vendor + "\\mine.txt"), "the user's own");
    }
    EXPECT_EQ(zktest::ReadBytes(p.root + "\\canary.txt"), kCanary);
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, p.EntryKey()));
}

INSTANTIATE_TEST_SUITE_P(Cases, SilentInstallParents,
                         ::testing::Values(ParentCase{"created", false, false, 1},
                                           ParentCase{"created_twice", false, false, 2},
                                           ParentCase{"user_file", false, true, 1},
                                           ParentCase{"existed", true, false, 1}),
                         [](const auto& info) { return info.param.name; });

// ---------------------------------------------------------------------------------------------
// The whole road as a user takes it.

struct Machine {
    std::set<std::string> files;
    std::string hklm, hkcu;
};

bool StartsWith(const std::string& path, const std::string& prefix) {
    return _strnicmp(path.c_str(), prefix.c_str(), prefix.size()) == 0;
}

// The machine apart from the named exceptions (path prefixes), of which `kept` is taken back.
Machine TakeMachine(const std::vector<std::string>& skipped, const std::string& kept,
                    const std::string& keptButSkipped) {
    Machine m;
    std::set<std::string> all;
    ListTree("C:", all);
    for (const std::string& f : all) {
        bool skip = StartsWith(f, keptButSkipped);
        for (const std::string& s : skipped) skip = skip || StartsWith(f, s);
        if (!skip || (StartsWith(f, kept) && !StartsWith(f, keptButSkipped))) m.files.insert(f);
    }
    m.hklm = zktest::RegSnapshot("HKEY_LOCAL_MACHINE\\Software");
    m.hkcu = zktest::RegSnapshot("HKEY_CURRENT_USER\\Software");
    return m;
}

std::vector<std::string> Difference(const std::set<std::string>& a,
                                    const std::set<std::string>& b) {
    std::vector<std::string> d;
    std::set_difference(a.begin(), a.end(), b.begin(), b.end(), std::back_inserter(d));
    return d;
}

std::set<std::string> LinesOf(const std::string& text) {
    std::set<std::string> lines;
    for (const std::string& l : SplitLines(text)) lines.insert(l);
    return lines;
}

// Registry lines that Wine itself changes while programs start and windows come and go, and
// the scratch keys of the tests that run beside this one.
std::set<std::string> WithoutWineOwn(const std::set<std::string>& lines) {
    std::set<std::string> kept;
    for (const std::string& l : lines)
        if (l.find("\\Wine\\") == std::string::npos && l.rfind("Wine\\", 0) != 0 &&
            l.find("Explorer\\") == std::string::npos && l.rfind("[\\ZkTest", 0) != 0)
            kept.insert(l);
    return kept;
}

void ExpectSame(const std::set<std::string>& before, const std::set<std::string>& after,
                const std::string& what) {
    for (const std::string& l : Difference(before, after)) ADD_FAILURE() << what << " lost: " << l;
    for (const std::string& l : Difference(after, before)) ADD_FAILURE() << what << " left: " << l;
}

const char kRoadName[] = "Zk Road";

std::string RoadScript(const Package& p, const std::string& target) {
    const std::string key = "HKEY_CURRENT_USER\\Software\\ZkRoadTest";
    return Line("SET_PROG_NAME", kRoadName) + Line("SET_PROG_VERSION", "1.0") +
           Line("SET_COMPANY_NAME", "Acme Road") + Line("SET_TARGET_DIR", target) +
           Line("SET_DIALOGS", "WelcomeDlg,UserInformationDlg,DestinationDlg,ShortcutsDlg,"
                               "ConfirmSetupDlg,CopyFilesDlg,CompleteDlg") +
           Line("SET_REQUEST_USER_NAME") + Line("SET_CREATE_SETUP_LOG") +
           Line("SET_CREATE_UNINSTALL") +
           Line("SET_PROG_EXE_NAME", "<Application Folder>\\road.exe") +
           Line("SET_START_PROGRAM_LINK_FOLDER", kRoadName) +
           Line("SET_START_PROGRAM_LINK_NAME", kRoadName) +
           Line("SET_DESKTOP_LINK_NAME", std::string("^") + kRoadName) +
           Line("SET_START_PROGRAM_LINK_ITEM",
                "Road Web|http://road.example/||||Normal Window||0") +
           Line("SET_START_PROGRAM_LINK_ITEM", "Gone|<Application Folder>\\missing.exe||||||0") +
           Line("SET_GROUP_DATA", "|Main|Main files|10|3|0|1|1|1|0|") +
           Line("SET_SUB_DIR", "<Application Folder>") +
           Line("SET_COPY_FILES", "road.exe|notes.txt|packed.txt") +
           Line("SET_PERFORM_REGISTRY_OP",
                key + "|Path|<Application Folder>|Create|RemoveKey|String") +
           Line("SET_PERFORM_INIFILE_OP",
                "<Application Folder>\\road.ini|Sec|Key|Val|Create|Remove") +
           Line("SET_ADD_ASSOCIATION_ITEM", "|ZkRoad.Note|Zk Road note|.zkroad||<Application "
                                            "Folder>\\road.exe|||Create|Remove|") +
           // An INI removal takes the key only: the file the row made is the author's to remove.
           Line("SET_REMOVE_ABSOLUTE_FILE", "<TARGET_DIR>\\road.ini");
    (void)p;
}

TEST(Road, WizardInstallListedUninstalledFromItsEntryLeavesTheMachineAsItWas) {
    Package p("inst_road");
    p.CopyIn(zktest::BinDir() + "\\uihost.exe", "road.exe");
    p.Source("notes.txt", "notes");
    p.CopyIn(zktest::BinDir() + "\\copysrc\\packed.txt._z", "packed.txt._z");
    // A folder with a blank, as under Program Files: the entry's command must be quoted.
    const std::string target = p.root + "\\Zk Road";
    p.Script(RoadScript(p, target));
    // Exceptions: the engine folder (its sources are moved into the product), the scratch
    // folders of other tests, the temporary folders.
    const std::vector<std::string> skipped = {"C:\\zktest\\", "C:\\windows\\temp\\",
                                              "C:\\users\\zsandbox\\Temp\\"};
    auto machine = [&] { return TakeMachine(skipped, p.root + "\\", p.src + "\\"); };
    const Machine before = machine();
    ASSERT_GT(before.files.size(), 500u);
    ASSERT_NE(before.hklm.find("Microsoft"), std::string::npos);

    zkui::Program setup = zkui::Start(p.src + "\\Setup.exe", "", p.src);
    HWND wizard = zkui::FindTopWindow(ids::WizardClass, "", setup.Pid(), 20000);
    ASSERT_NE(wizard, nullptr);
    auto next = [&] { zkui::Click(zkui::ChildById(wizard, ids::NextButton)); };
    auto waitTitleChange = [&](const std::string& from) {
        for (DWORD start = GetTickCount(); GetTickCount() - start < 30000; Sleep(50)) {
            const std::string now = zkui::TextOf(wizard);
            if (!now.empty() && now != from) return now;
            if (!IsWindow(wizard)) return std::string("<closed>");
        }
        return std::string("<stuck>");
    };
    std::vector<std::string> titles{zkui::TextOf(wizard)};
    // Welcome, user information (a name typed), destination (as proposed), shortcuts, confirm.
    for (int page = 0; page < 5; ++page) {
        if (page == 1) zkui::SetEditText(zkui::ChildById(wizard, ids::NameEdit), "Road User");
        next();
        titles.push_back(waitTitleChange(titles.back()));
    }
    // The copy runs on its page and moves on to Complete by itself.
    titles.push_back(waitTitleChange(titles.back()));
    ASSERT_EQ(titles.size(), 7u);
    for (const std::string& t : titles) EXPECT_NE(t.front(), '<') << t;
    for (DWORD start = GetTickCount(); !IsWindowEnabled(zkui::ChildById(wizard, ids::NextButton)) &&
                                       GetTickCount() - start < 30000;)
        Sleep(50);
    next(); // Finish
    ASSERT_EQ(setup.Wait(30000), 0);

    EXPECT_EQ(zktest::ReadBytes(target + "\\notes.txt"), "notes");
    EXPECT_FALSE(Difference(machine().files, before.files).empty())
        << "the listing sees no install";
    EXPECT_EQ(ReadValue(HKEY_CURRENT_USER, "Software\\ZkRoadTest", "Path"), target + "\\");
    const std::string entry = std::string(kUninstallKey) + kRoadName;
    const std::string command = ReadValue(HKEY_LOCAL_MACHINE, entry, "UnInstallString");
    EXPECT_EQ(command, "\"" + target + "\\UnInstall.exe\"");
    const std::string listed = zktest::RunCapture("uninstaller.exe --list");
    EXPECT_NE(listed.find(std::string("|||") + kRoadName), std::string::npos) << listed;

    std::vector<std::string> linkLines;
    for (const std::string& l : SplitLines(zktest::ReadBytes(target + "\\UnInstall.txt")))
        if (l.find("FOLDER(") != std::string::npos ||
            (l.rfind("REMOVE_FILE(", 0) == 0 && l.find(target) == std::string::npos))
            linkLines.push_back(l);
    // In the order made; the link whose target is not there has none, the folder one line.
    const std::string folders =
        "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
    const std::string group = ReadValue(HKEY_CURRENT_USER, folders, "Programs") + "\\" + kRoadName;
    const std::string desktop = ReadValue(HKEY_CURRENT_USER, folders, "Desktop");
    ExpectLines(linkLines,
                {"REMOVE_FILE(" + group + "\\" + kRoadName + ".lnk);",
                 "REMOVE_FOLDER(" + group + ");", "REMOVE_FILE(" + group + "\\Road Web.url);",
                 "REMOVE_FILE(" + desktop + "\\" + kRoadName + ".lnk);"},
                "shortcut lines");
    EXPECT_TRUE(zktest::Exists(desktop + "\\" + kRoadName + ".lnk"));
    EXPECT_NE(zktest::ReadBytes(group + "\\Road Web.url").find("URL=http://road.example/"),
              std::string::npos);

    // The control panel's way: the command line as it stands.
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    std::string line = command;
    ASSERT_TRUE(CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                               &si, &pi));
    CloseHandle(pi.hThread);
    HWND box = zkui::FindTopWindow(ids::MsgBoxClass, "", pi.dwProcessId, 20000);
    ASSERT_NE(box, nullptr);
    zkui::Click(zkui::ChildById(box, ids::MsgBoxButton1));
    HWND form = zkui::FindTopWindow(ids::UninstallClass, "", pi.dwProcessId, 20000);
    ASSERT_NE(form, nullptr);
    for (DWORD start = GetTickCount();
         !IsWindowEnabled(zkui::ChildById(form, ids::UnCloseButton)) &&
         GetTickCount() - start < 60000;
         Sleep(50)) {
        for (HWND w : zkui::TopWindows(pi.dwProcessId))
            if (zkui::ClassOf(w) == ids::MsgBoxClass) {
                ADD_FAILURE() << zkui::TextOf(zkui::ChildById(w, ids::MsgBoxBody));
                zkui::Click(zkui::ChildById(w, ids::MsgBoxButton1));
                zkui::WaitGone(w);
            }
    }
    zkui::Click(zkui::ChildById(form, ids::UnCloseButton));
    WaitForSingleObject(pi.hProcess, 30000);
    CloseHandle(pi.hProcess);
    EXPECT_TRUE(zktest::WaitRemoved(target));
    char temp[MAX_PATH] = "";
    GetTempPathA(MAX_PATH, temp);
    EXPECT_TRUE(zktest::WaitRemoved(std::string(temp) + "_DEL_ME_.BAT")); // the batch's last line

    const std::string after = zktest::RunCapture("uninstaller.exe --list");
    EXPECT_EQ(after.find(kRoadName), std::string::npos) << after;
    const Machine now = machine();
    ExpectSame(before.files, now.files, "file");
    ExpectSame(WithoutWineOwn(LinesOf(before.hklm)), WithoutWineOwn(LinesOf(now.hklm)), "HKLM");
    ExpectSame(WithoutWineOwn(LinesOf(before.hkcu)), WithoutWineOwn(LinesOf(now.hkcu)), "HKCU");
    EXPECT_EQ(zktest::ReadBytes(p.root + "\\canary.txt"), kCanary);
}

// ---------------------------------------------------------------------------------------------
// A copy stopped in its middle: by the user, by a crash.

int CountFiles(const std::string& folder) {
    std::set<std::string> all;
    ListTree(folder, all);
    int n = 0;
    for (const std::string& f : all) n += f.back() != '\\';
    return n;
}

// A package of `count` files of 64 KiB in App\data, copied (not moved), so the copy takes a while.
std::string SlowCopyRows(const Package& p, int count) {
    const std::string block(64 * 1024, 'z');
    std::string list;
    for (int i = 0; i < count; ++i) {
        const std::string name = "f" + std::to_string(i) + ".bin";
        p.Source(name, block);
        list += (i ? "|" : "") + name;
    }
    return Line("SET_USE_COPY") + Line("SET_SHOW_PROG_BAR_2") +
           Line("SET_GROUP_DATA", "|Main|Main files|10|" + std::to_string(count) + "|0|1|1|1|0|") +
           Line("SET_SUB_DIR", "<Application Folder>\\data") + Line("SET_COPY_FILES", list);
}

// Exit answered to the wizard's Cancel while the copy runs: the copy stops, the changes after
// it are not made, the wizard closes, and the script removes what had arrived.
TEST(Cancel, ExitDuringTheCopyStopsItBeforeThePostCopyChanges) {
    Package p("inst_cancel");
    const int kFiles = 1000;
    const std::string key = zktest::ScratchKey("inst_cancel");
    const std::string subkey = key.substr(std::string("HKEY_CURRENT_USER\\").size());
    p.Script(Line("SET_PROG_NAME", p.name) + Line("SET_TARGET_DIR", p.app) +
             Line("SET_DIALOGS", "WelcomeDlg,CopyFilesDlg,CompleteDlg") +
             Line("SET_CREATE_SETUP_LOG") + Line("SET_CREATE_UNINSTALL") +
             Line("SET_PERFORM_REGISTRY_OP", key + "|Marker|set|Create|RemoveKey|String") +
             SlowCopyRows(p, kFiles));
    zkui::Program setup = zkui::Start(p.src + "\\Setup.exe", "", p.src);
    HWND wizard = zkui::FindTopWindow(ids::WizardClass, "", setup.Pid(), 20000);
    ASSERT_NE(wizard, nullptr);
    zkui::Click(zkui::ChildById(wizard, ids::NextButton));
    const std::string data = p.App("data");
    for (DWORD start = GetTickCount();
         GetTickCount() - start < 30000 && (!zktest::IsDir(data) || CountFiles(data) < 50);)
        Sleep(5);
    zkui::Click(zkui::ChildById(wizard, ids::CancelButton));
    HWND question = zkui::FindTopWindow(ids::ExitSetupClass, "", setup.Pid(), 10000);
    ASSERT_NE(question, nullptr);
    zkui::Click(zkui::ChildById(question, ids::ExitSetupExit));
    EXPECT_GE(setup.Wait(30000), 0) << "the wizard stays";
    const int copied = CountFiles(data);
    EXPECT_LT(copied, kFiles) << "the copy went on to the end";
    EXPECT_EQ(ReadValue(HKEY_CURRENT_USER, subkey, "Marker"), "<none>");
    const std::vector<std::string> log = p.Log();
    EXPECT_EQ(std::find(log.begin(), log.end(), "Execute After Copy"), log.end());

    UninstallFromEntry(p);
    EXPECT_TRUE(zktest::WaitRemoved(p.app));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, p.EntryKey()));
    EXPECT_EQ(zktest::ReadBytes(p.root + "\\canary.txt"), kCanary);
}

TEST(Crash, SetupKilledWhileCopyingThenTheEntrysUninstallerRemovesEveryFileCopied) {
    Package p("inst_crash");
    const int kFiles = 1000;
    p.Script(SilentScript(p, SlowCopyRows(p, kFiles)));

    zkui::Program setup = zkui::Start(p.src + "\\Setup.exe", "", p.src);
    const std::string data = p.App("data");
    int copied = 0;
    for (DWORD start = GetTickCount(); GetTickCount() - start < 60000 && copied < 100; Sleep(5))
        copied = zktest::IsDir(data) ? CountFiles(data) : 0;
    setup.Kill();
    copied = CountFiles(data);
    ASSERT_GE(copied, 100);
    ASSERT_LT(copied, kFiles) << "the copy was over before the kill";
    std::set<std::string> installed;
    ListTree(p.app, installed);

    UninstallFromEntry(p);
    EXPECT_TRUE(zktest::WaitRemoved(p.app)) << "the product folder stays";
    for (const std::string& f : installed)
        EXPECT_FALSE(zktest::Exists(f.substr(0, f.rfind(' ')))) << f;
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, p.EntryKey()));
    EXPECT_EQ(zktest::ReadBytes(p.root + "\\canary.txt"), kCanary);
}

// ---------------------------------------------------------------------------------------------
// What the product does not own: the user's folders and files, another product's shared
// files and registrations, Windows' own entries.

std::string ShellFolderOfUser(const char* name) {
    return ReadValue(HKEY_CURRENT_USER,
                     "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders", name);
}

void WriteUnder(const std::string& folder, const std::string& file, const std::string& bytes) {
    for (size_t at = folder.find('\\', 3); at != std::string::npos; at = folder.find('\\', at + 1))
        CreateDirectoryA(folder.substr(0, at).c_str(), nullptr);
    CreateDirectoryA(folder.c_str(), nullptr);
    ASSERT_TRUE(zktest::WriteBytes(folder + "\\" + file, bytes)) << folder << "\\" << file;
}

bool Holds(const std::vector<std::string>& lines, const std::string& line) {
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

// A target folder the user picked that was there before, with their files, their own Setup.log
// and an existing program group: the script asks for every forced removal there is. Nothing of
// the user's may go, and the uninstall ends without an error for what rightly stays. A folder
// the run made goes whole, with what the program put there later.
struct TargetCase {
    const char* name;
    bool existed;
};

class OwnTarget : public ::testing::TestWithParam<TargetCase> {};

TEST_P(OwnTarget, ForcedRemovalsTakeOnlyWhatTheRunMade) {
    const TargetCase c = GetParam();
    Package p(c.name);
    p.app = p.root + "\\UserData";
    const std::string group = std::string("ZkOwn Group ") + c.name;
    const std::string groupDir = ShellFolderOfUser("Programs") + "\\" + group;
    zktest::RemoveScratch(p.app);
    RemoveDirectoryA(groupDir.c_str());
    const std::string userLog = "the user's own log\r\n";
    if (c.existed) {
        WriteUnder(p.app, "thesis.doc", "my thesis");
        WriteUnder(p.app + "\\Photos", "p1.jpg", "my photo");
        WriteUnder(p.app, "Setup.log", userLog);
        WriteUnder(groupDir, "other.lnk", "another program's link");
    }
    p.Source("a.txt", "plain a");
    p.Script(SilentScript(
        p, Line("SET_PROG_EXE_NAME", "<Application Folder>\\a.txt") +
               Line("SET_START_PROGRAM_LINK_NAME", "ZkOwn Notes") +
               Line("SET_START_PROGRAM_LINK_FOLDER", group) +
               Line("SET_FORCE_REMOVE_SHORTCUT_FOLDER") + Line("SET_FORCE_REMOVE_TARGET_DIR") +
               Line("SET_FORCE_REMOVE_TARGET_SUB_DIR", "Photos") +
               Line("SET_GROUP_DATA", "|Main|Main files|10|1|0|1|1|1|0|") +
               Line("SET_SUB_DIR", "*1<Application Folder>") + Line("SET_COPY_FILES", "a.txt") +
               Line("SET_COPY_TO_UNINSTALL") + "FORCE_REMOVE_DIR(<TARGET_DIR>\\Photos)\r\n"));
    ASSERT_EQ(RunSetup(p), 0);

    const std::vector<std::string> lines = p.Uninstall();
    const std::string forced = "FORCE_REMOVE_DIR(" + p.app + ");";
    EXPECT_EQ(Holds(lines, forced), !c.existed);
    EXPECT_EQ(Holds(lines, "FORCE_REMOVE_DIR(" + p.App("Photos") + ");"), !c.existed);
    EXPECT_EQ(Holds(lines, "AVOID_ERR_REMOVE_DIR(" + p.App("Photos") + ");"), c.existed);
    EXPECT_EQ(Holds(lines, "REMOVE_FILE(" + p.App("Setup.log") + ");"), !c.existed);
    const std::string log = zktest::ReadBytes(p.App("Setup.log"));
    EXPECT_EQ(log.rfind(c.existed ? userLog + "Setup Log of: " : "Setup Log of: ", 0), 0u)
        << "an existing log is continued: " << log.substr(0, 80);
    // What the program makes later, in a folder that was not there at the install.
    WriteUnder(p.App("Photos"), "later.jpg", "made by the program");

    EXPECT_EQ(UninstallFromEntry(p), "") << "no error for what rightly stays";
    EXPECT_TRUE(zktest::WaitRemoved(p.App("UnInstall.exe")));
    EXPECT_FALSE(zktest::Exists(p.App("a.txt")));
    EXPECT_FALSE(zktest::Exists(groupDir + "\\ZkOwn Notes.lnk"));
    if (c.existed) {
        EXPECT_EQ(zktest::ReadBytes(p.App("thesis.doc")), "my thesis");
        EXPECT_EQ(zktest::ReadBytes(p.App("Photos\\p1.jpg")), "my photo");
        EXPECT_TRUE(zktest::Exists(p.App("Photos\\later.jpg")));
        EXPECT_EQ(zktest::ReadBytes(p.App("Setup.log")).rfind(userLog, 0), 0u);
        EXPECT_EQ(zktest::ReadBytes(groupDir + "\\other.lnk"), "another program's link");
    } else {
        EXPECT_TRUE(zktest::WaitRemoved(p.app)) << "the folder the run made stays";
        EXPECT_FALSE(zktest::Exists(groupDir));
    }
    EXPECT_EQ(zktest::ReadBytes(p.root + "\\canary.txt"), kCanary);
    zktest::RemoveScratch(p.root);
    DeleteFileA((groupDir + "\\other.lnk").c_str());
    RemoveDirectoryA(groupDir.c_str());
}

INSTANTIATE_TEST_SUITE_P(Cases, OwnTarget,
                         ::testing::Values(TargetCase{"own_target_existed", true},
                                           TargetCase{"own_target_made", false}),
                         [](const auto& info) { return std::string(info.param.name); });

// Two products share a folder with a versioned DLL and a COM server. The second keeps the first's
// newer DLL (overwrite mode 3) and copies and registers the server again; their App Paths
// program name is another vendor's. Uninstalling the first leaves both files, the server's
// registration and the other vendor's entry for the second, without an error; uninstalling the
// second takes the rest, the company keys the runs made included.
TEST(OwnShared, FilesAndRegistrationsStayForTheProductStillUsingThem) {
    const std::string shared = zktest::ScratchDir("own_shared"), common = shared + "\\Common";
    zktest::WriteBytes(shared + "\\canary.txt", kCanary);
    const std::string dll = common + "\\zkown_v.dll", com = common + "\\zkcom_ok.dll";
    const std::string server = "Software\\ZkTest\\ComServer";
    const std::string appPaths =
        "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\zkown_tool.exe";
    const std::string other = "C:\\OtherVendor\\zkown_tool.exe";
    zk::DeleteRegKey("HKEY_CURRENT_USER\\" + server);
    for (const char* company : {"Software\\ZkOwn CoA", "Software\\ZkOwn CoB"})
        zk::DeleteRegKey(std::string("HKEY_LOCAL_MACHINE\\") + company);
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyA(HKEY_LOCAL_MACHINE, appPaths.c_str(), &key), ERROR_SUCCESS);
    RegSetValueExA(key, "", 0, REG_SZ, reinterpret_cast<const BYTE*>(other.c_str()),
                   DWORD(other.size() + 1));
    RegCloseKey(key);

    struct Product {
        const char* name;
        const char* build;
        const char* dllItem; // the second keeps a newer DLL: overwrite mode 3 in its flags
        const char* company;
        bool registerAsApplication;
    };
    const Product products[] = {
        {"own_shared_a", "zkver_build10240.dll", "*zkown_v.dll", "ZkOwn CoA", true},
        {"own_shared_b", "zkver_build9600.dll", "50331649*zkown_v.dll", "ZkOwn CoB", false}};
    std::vector<Package> packages;
    for (const Product& pr : products) {
        packages.emplace_back(pr.name);
        const Package& p = packages.back();
        p.Source("a.txt", "plain a");
        p.CopyIn(zktest::BinDir() + "\\" + pr.build, "zkown_v.dll");
        p.CopyIn(zktest::BinDir() + "\\zkcom_ok.dll", "zkcom_ok.dll");
        p.Script(SilentScript(
            p, Line("SET_COMPANY_NAME", pr.company) + // after the script head's Acme
                   (pr.registerAsApplication ? Line("SET_REGISTER_AS_APPLICATION") : "") +
                   Line("SET_PROG_EXE_NAME", "<Application Folder>\\zkown_tool.exe") +
                   Line("SET_GROUP_DATA", "|Main|Main files|10|3|0|1|1|1|0|") +
                   Line("SET_SUB_DIR", "<Application Folder>") + Line("SET_COPY_FILES", "a.txt") +
                   Line("SET_SUB_DIR", common) +
                   Line("SET_COPY_FILES", std::string(pr.dllItem) + "|3*zkcom_ok.dll")));
        ASSERT_EQ(RunSetup(p), 0) << pr.name;
    }
    EXPECT_EQ(SharedCount(dll), "2") << "the kept DLL is counted for the second product too";
    EXPECT_EQ(SharedCount(com), "2");
    EXPECT_TRUE(Holds(packages[1].Uninstall(), "REMOVE_SHARED_FILE(" + dll + ");"));
    EXPECT_EQ(ReadValue(HKEY_LOCAL_MACHINE, appPaths, ""), other);

    EXPECT_EQ(UninstallFromEntry(packages[0]), "");
    EXPECT_TRUE(zktest::WaitRemoved(packages[0].app));
    EXPECT_EQ(SharedCount(dll), "1");
    EXPECT_TRUE(zktest::Exists(dll)) << "the second product's DLL went with the first";
    EXPECT_TRUE(zktest::Exists(com));
    EXPECT_EQ(ReadValue(HKEY_CURRENT_USER, server, "Server"), com) << "its server unregistered";
    EXPECT_EQ(ReadValue(HKEY_LOCAL_MACHINE, appPaths, ""), other);
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, "Software\\ZkOwn CoA"));

    EXPECT_EQ(UninstallFromEntry(packages[1]), "");
    EXPECT_TRUE(zktest::WaitRemoved(packages[1].app));
    EXPECT_TRUE(zktest::WaitRemoved(common));
    EXPECT_EQ(SharedCount(dll), "<none>");
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, server));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, "Software\\ZkOwn CoB"));
    EXPECT_EQ(ReadValue(HKEY_LOCAL_MACHINE, appPaths, ""), other);
    EXPECT_EQ(zktest::ReadBytes(shared + "\\canary.txt"), kCanary);
    zk::DeleteRegKey("HKEY_LOCAL_MACHINE\\" + appPaths);
}

// A run that stops at the header (no uninstaller to put in place) leaves nothing that nothing
// removes: the folders it made go, and a folder that was there gets its own files back as
// they were.
class OwnHeaderStop : public ::testing::TestWithParam<TargetCase> {};

TEST_P(OwnHeaderStop, TakesBackWhatTheRunMade) {
    const TargetCase c = GetParam();
    Package p(c.name);
    const std::string vendor = p.root + "\\Vendor4";
    p.app = vendor + "\\Prod";
    const std::string userLog = "the user's own log\r\n";
    if (c.existed) {
        WriteUnder(p.app, "mine.txt", "the user's own");
        WriteUnder(p.app, "Setup.log", userLog);
    }
    DeleteFileA((p.src + "\\UnInstall.exe").c_str());
    p.Source("a.txt", "plain a");
    p.Script(SilentScript(p, Line("SET_GROUP_DATA", "|Main|Main files|10|1|0|1|1|1|0|") +
                                 Line("SET_SUB_DIR", "<Application Folder>") +
                                 Line("SET_COPY_FILES", "a.txt")));
    zkui::Program setup = zkui::Start(p.src + "\\Setup.exe", "", p.src);
    HWND box = zkui::FindTopWindow(ids::MsgBoxClass, "", setup.Pid(), 20000);
    ASSERT_NE(box, nullptr) << "no box";
    zkui::Click(zkui::ChildById(box, ids::MsgBoxButton1));
    EXPECT_GE(setup.Wait(20000), 0);

    if (c.existed) {
        std::set<std::string> left;
        ListTree(p.app, left);
        EXPECT_EQ(left,
                  (std::set<std::string>{p.App("Setup.log") + " " + std::to_string(userLog.size()),
                                         p.App("mine.txt") + " 14"}));
        EXPECT_EQ(zktest::ReadBytes(p.App("Setup.log")), userLog);
    } else {
        EXPECT_FALSE(zktest::Exists(vendor))
            << "a folder of the run stays with nothing to remove it";
    }
    EXPECT_TRUE(zktest::Exists(p.src + "\\a.txt"));
    EXPECT_EQ(zktest::ReadBytes(p.root + "\\canary.txt"), kCanary);
}

INSTANTIATE_TEST_SUITE_P(Cases, OwnHeaderStop,
                         ::testing::Values(TargetCase{"own_header_made", false},
                                           TargetCase{"own_header_existed", true}),
                         [](const auto& info) { return std::string(info.param.name); });

// The uninstall script cannot be written in the middle of the copy (a full disk): the box says
// so and the run stops; what arrived has its lines, and the entry's uninstaller removes it.
TEST(OwnFullDisk, AScriptThatCannotBeWrittenStopsTheRunWithItsBox) {
    if (zktest::FullDriveRoot().empty()) GTEST_SKIP() << "no full-disk drive in this sandbox";
    Package p("own_fulldisk");
    p.app = "F:\\zkown\\App";
    const int kFiles = 300;
    std::string list;
    for (int i = 0; i < kFiles; ++i) {
        const std::string name = "f" + std::to_string(1000 + i) + ".txt";
        p.Source(name, ""); // empty files need no room: only the script and the log grow
        list += (i ? "|" : "") + name;
    }
    p.Script(SilentScript(
        p, Line("SET_GROUP_DATA", "|Main|Main files|10|" + std::to_string(kFiles) + "|0|1|1|1|0|") +
               Line("SET_SUB_DIR", "<Application Folder>") + Line("SET_COPY_FILES", list)));
    // Room for the uninstaller, the first cluster of the script and of the log, and one more.
    const unsigned long long cluster = zktest::FullDriveCluster();
    const unsigned long long engine = zktest::ReadBytes(p.src + "\\UnInstall.exe").size();
    ASSERT_TRUE(
        zktest::FillFullDriveLeaving((engine + cluster - 1) / cluster * cluster + 3 * cluster));

    zkui::Program setup = zkui::Start(p.src + "\\Setup.exe", "", p.src);
    HWND box = zkui::FindTopWindow(ids::MsgBoxClass, "", setup.Pid(), 30000);
    ASSERT_NE(box, nullptr) << "the failed script write shows no box";
    const std::string text = zkui::TextOf(zkui::ChildById(box, ids::MsgBoxBody));
    EXPECT_NE(text.find("The uninstall information cannot be written"), std::string::npos) << text;
    EXPECT_NE(text.find(p.App("UnInstall.txt")), std::string::npos) << text;
    zkui::Click(zkui::ChildById(box, ids::MsgBoxButton1));
    EXPECT_GE(setup.Wait(20000), 0) << "the wizard stays after the failure";

    const std::vector<std::string> lines = p.Uninstall();
    int copied = 0;
    for (int i = 0; i < kFiles; ++i) {
        const std::string file = p.App("f" + std::to_string(1000 + i) + ".txt");
        if (!zktest::Exists(file)) continue;
        ++copied;
        EXPECT_TRUE(Holds(lines, "REMOVE_FILE(" + file + ");")) << file;
    }
    EXPECT_GT(copied, 0) << "the script failed before the copy";
    EXPECT_LT(copied, kFiles) << "the copy went on to the end";

    EXPECT_EQ(UninstallFromEntry(p), ""); // on the full disk still: removing needs no room
    EXPECT_TRUE(zktest::WaitRemoved(p.app));
    EXPECT_EQ(zktest::ReadBytes(p.root + "\\canary.txt"), kCanary);
    zktest::EmptyFullDrive();
}

// Setup.exe killed while it inflates a large stream. Into the folder the run made, the stream
// goes under its own name, named in the script before its first byte: the entry's uninstaller
// leaves no file and no folder. Over an old copy, it goes into a temporary file, named as well:
// the uninstaller takes that, and the old copy stays whole.
TEST(Crash, SetupKilledWhileInflatingLeavesNothingTheUninstallDoesNotRemove) {
    // 512 MiB of zeros, deflated a MiB at a time (a test exe has 2 GiB of address space).
    std::string stream(1 << 20, '\0');
    {
        const std::string zeros(1 << 20, '\0');
        z_stream z{};
        deflateInit(&z, 9);
        size_t out = 0;
        for (int mib = 0; mib < 512; ++mib) {
            z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(zeros.data()));
            z.avail_in = static_cast<uInt>(zeros.size());
            const int flush = mib == 511 ? Z_FINISH : Z_NO_FLUSH;
            do {
                if (stream.size() - out < 65536) stream.resize(stream.size() * 2);
                z.next_out = reinterpret_cast<Bytef*>(stream.data() + out);
                z.avail_out = static_cast<uInt>(stream.size() - out);
                deflate(&z, flush);
                out = stream.size() - z.avail_out;
            } while (z.avail_in > 0 || (flush == Z_FINISH && z.avail_out == 0));
        }
        deflateEnd(&z);
        stream.resize(out);
    }
    for (bool upgrade : {false, true}) {
        SCOPED_TRACE(upgrade ? "over an old copy" : "into a new folder");
        Package p(upgrade ? "inst_crash_upgrade" : "inst_crash_inflate");
        p.Source("a.txt", "plain a");
        p.Source("huge.bin._z", stream);
        p.Script(SilentScript(p, Line("SET_GROUP_DATA", "|Main|Main files|10|2|0|1|1|1|0|") +
                                     Line("SET_SUB_DIR", "<Application Folder>") +
                                     Line("SET_COPY_FILES", "a.txt|huge.bin")));
        if (upgrade) {
            CreateDirectoryA(p.app.c_str(), nullptr);
            ASSERT_TRUE(zktest::WriteBytes(p.App("huge.bin"), "the old copy"));
        }
        zkui::Program setup = zkui::Start(p.src + "\\Setup.exe", "", p.src);
        const auto partialFile = [&] {
            WIN32_FIND_DATAA fd;
            HANDLE find = FindFirstFileA(p.App(upgrade ? "*.tmp" : "huge.bin").c_str(), &fd);
            if (find == INVALID_HANDLE_VALUE) return false;
            FindClose(find);
            return fd.nFileSizeLow > 0 && fd.nFileSizeLow < (512u << 20);
        };
        bool caught = false;
        for (DWORD start = GetTickCount(); GetTickCount() - start < 60000 && !caught; Sleep(2))
            caught = partialFile();
        setup.Kill();
        ASSERT_TRUE(caught) << "no inflate under way seen";
        ASSERT_TRUE(partialFile()) << "the inflate was over before the kill";

        EXPECT_EQ(UninstallFromEntry(p), "");
        if (upgrade) {
            EXPECT_TRUE(zktest::WaitRemoved(p.App("UnInstall.exe")));
            EXPECT_FALSE(partialFile()) << "the temporary file stays";
            EXPECT_EQ(zktest::ReadBytes(p.App("huge.bin")), "the old copy");
        } else {
            EXPECT_TRUE(zktest::WaitRemoved(p.app)) << "the partial file holds the product folder";
        }
        EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, p.EntryKey()));
        EXPECT_EQ(zktest::ReadBytes(p.root + "\\canary.txt"), kCanary);
    }
}

// A program in use when its update comes: the new one is staged for the next start. Uninstalled
// before that start, the staged file goes, and so does its rename, so the program does not
// come back with the next boot; another product's pending rename stays.
TEST(InUse, AReplacementStagedForTheRestartGoesWithTheUninstall) {
    Package p("inst_inuse");
    const std::string sleeper = zktest::BinDir() + "\\zksleeper.exe";
    const std::string script = SilentScript(
        p, Line("SET_GROUP_DATA", "|Main|Main files|10|1|0|1|1|1|0|") +
               Line("SET_SUB_DIR", "<Application Folder>") + Line("SET_COPY_FILES", "busy.exe"));
    p.CopyIn(sleeper, "busy.exe");
    p.Script(script);
    ASSERT_EQ(RunSetup(p), 0);
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    std::string cmd = "\"" + p.App("busy.exe") + "\" 60000";
    ASSERT_TRUE(CreateProcessA(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                               &si, &pi));
    CloseHandle(pi.hThread);
    WaitForInputIdle(pi.hProcess, 5000);

    const std::string session = "System\\CurrentControlSet\\Control\\Session Manager";
    HKEY key;
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, session.c_str(), 0, KEY_QUERY_VALUE | KEY_SET_VALUE,
                            &key),
              ERROR_SUCCESS);
    const char* name = "PendingFileRenameOperations";
    const auto read = [&] {
        char data[16384];
        DWORD size = sizeof data, type = 0;
        return RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(data), &size) ==
                       ERROR_SUCCESS
                   ? std::string(data, size)
                   : std::string();
    };
    const std::string before = read();
    const std::string theirs = "\\??\\" + p.root + "\\theirs.tmp" + '\0' + "!\\??\\" + p.root +
                               "\\theirs.exe" + '\0' + '\0';
    RegSetValueExA(key, name, 0, REG_MULTI_SZ, reinterpret_cast<const BYTE*>(theirs.data()),
                   static_cast<DWORD>(theirs.size()));

    p.Stock();
    p.Source("busy.exe", "the update");
    p.Script(script);
    ASSERT_EQ(RunSetup(p), 0);
    const std::vector<std::string> log = p.Log();
    EXPECT_NE(
        std::find(log.begin(), log.end(), "  Copy File: " + p.App("busy.exe") + " ... OK Delayed"),
        log.end());
    EXPECT_NE(zk::UpperCase(read()).find(zk::UpperCase(p.app + "\\zk")), std::string::npos)
        << "the update waits for the next start";
    TerminateProcess(pi.hProcess, 0);
    WaitForSingleObject(pi.hProcess, 10000);
    CloseHandle(pi.hProcess);

    EXPECT_EQ(UninstallFromEntry(p), "");
    EXPECT_TRUE(zktest::WaitRemoved(p.app)) << "the staged file holds the product folder";
    EXPECT_EQ(read(), theirs);
    if (before.empty())
        RegDeleteValueA(key, name);
    else
        RegSetValueExA(key, name, 0, REG_MULTI_SZ, reinterpret_cast<const BYTE*>(before.data()),
                       static_cast<DWORD>(before.size()));
    RegCloseKey(key);
    EXPECT_EQ(zktest::ReadBytes(p.root + "\\canary.txt"), kCanary);
}

// ---------------------------------------------------------------------------------------------
// Drives of their own, made by tests/fixtures/drives/run.sh (the e2e_Install_drives entry):
// F: the sandbox's small drive (FullDrive.h), K: a folder as a CD's root, R: a folder as a
// destination root.

bool HasDrives() {
    return std::getenv("ZK_DRIVES") != nullptr;
}

// Setup.exe to its end, every message box it shows answered with its first button; the
// boxes' texts come back.
std::vector<std::string> RunSetupAnswering(const std::string& exe, const std::string& dir,
                                           long& exitCode) {
    std::vector<std::string> boxes;
    zkui::Program setup = zkui::Start(exe, "", dir);
    for (DWORD start = GetTickCount(); GetTickCount() - start < 60000; Sleep(50)) {
        for (HWND w : zkui::TopWindows(setup.Pid())) {
            if (zkui::ClassOf(w) != ids::MsgBoxClass || !IsWindowVisible(w)) continue;
            boxes.push_back(zkui::TextOf(zkui::ChildById(w, ids::MsgBoxBody)));
            zkui::Click(zkui::ChildById(w, ids::MsgBoxButton1));
            zkui::WaitGone(w);
        }
        if ((exitCode = setup.Wait(0)) >= 0) return boxes;
    }
    exitCode = setup.Wait(1000);
    return boxes;
}

struct FullDiskCase {
    const char* name;
    const char* more; // script lines of the way the file is copied
    bool packed;
};

class FullDisk : public ::testing::TestWithParam<FullDiskCase> {};

// An upgrade that does not fit on the disk: version 1 (1 MiB) is installed, the user's own
// file fills the disk up to 0.75 MiB, version 2 (2 MiB) comes. The copy fails with its box and
// its Setup.log line, and version 1 stays whole; the uninstallation removes the product, never
// the user's file.
TEST_P(FullDisk, AnUpgradeThatDoesNotFitKeepsTheOldFile) {
    if (!HasDrives()) GTEST_SKIP() << "run by the e2e_Install_drives entry";
    const FullDiskCase& c = GetParam();
    Package p(std::string("inst_full_") + c.name);
    const std::string prod = "F:\\Prod", big = prod + "\\big.bin", mine = "F:\\mine.bin";
    ASSERT_EQ(zktest::FullDriveRoot(), "F:\\");
    zktest::EmptyFullDrive();
    const std::string v1(1 << 20, '1'), v2(2 << 20, '2');
    const std::string script =
        SilentScript(p, c.more + Line("SET_GROUP_DATA", "|Main|Main files|10|1|0|1|1|1|0|") +
                            Line("SET_SUB_DIR", prod) + Line("SET_COPY_FILES", "big.bin"));
    p.Source("big.bin", v1);
    p.Script(script);
    ASSERT_EQ(RunSetup(p), 0);
    ASSERT_TRUE(zktest::ReadBytes(big) == v1);

    ULARGE_INTEGER free{};
    ASSERT_TRUE(GetDiskFreeSpaceExA("F:\\", &free, nullptr, nullptr));
    ASSERT_GT(free.QuadPart, 800000u);
    const std::string own(static_cast<size_t>(free.QuadPart) - 768 * 1024, 'u');
    ASSERT_TRUE(zktest::WriteBytes(mine, own));
    p.Stock();
    if (c.packed)
        p.Source("big.bin._z", Compressed(v2));
    else
        p.Source("big.bin", v2);
    p.Script(script);
    long exitCode = -1;
    const std::vector<std::string> boxes =
        RunSetupAnswering(p.src + "\\Setup.exe", p.src, exitCode);
    EXPECT_GE(exitCode, 0) << "the wizard stays after the failure";
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_NE(boxes[0].find("cannot be copied"), std::string::npos) << boxes[0];
    EXPECT_TRUE(zktest::ReadBytes(big) == v1)
        << "version 1 lost: " << zktest::ReadBytes(big).size() << " bytes left";
    std::set<std::string> left;
    ListTree(prod, left);
    EXPECT_EQ(left, std::set<std::string>{big + " " + std::to_string(v1.size())})
        << "no piece of version 2 stays";
    const std::vector<std::string> log = p.Log();
    EXPECT_NE(std::find(log.begin(), log.end(), "  Copy File: " + big + " ... FAILED"), log.end());

    EXPECT_EQ(UninstallFromEntry(p), "");
    EXPECT_TRUE(zktest::WaitRemoved(prod));
    EXPECT_TRUE(zktest::ReadBytes(mine) == own) << "the user's file";
    DeleteFileA(mine.c_str());
    EXPECT_EQ(zktest::ReadBytes(p.root + "\\canary.txt"), kCanary);
}

INSTANTIATE_TEST_SUITE_P(Drives, FullDisk,
                         ::testing::Values(FullDiskCase{"plain", "", false},
                                           FullDiskCase{"progress", "SET_SHOW_PROG_BAR_2()\r\n",
                                                        false},
                                           FullDiskCase{"packed", "", true}),
                         [](const auto& info) { return std::string(info.param.name); });

// A setup on the root of a CD (K:\\Setup.exe, its files in K:\\files): the sources are found in
// the tree below the root.
TEST(Drives, ASetupOnADriveRootFindsItsSourcesBelow) {
    if (!HasDrives()) GTEST_SKIP() << "run by the e2e_Install_drives entry";
    Package p("inst_cdroot");
    const std::string cd = "K:";
    CreateDirectoryA("K:\\files", nullptr);
    CreateDirectoryA("K:\\files\\deep", nullptr);
    for (const char* exe : {"Setup.exe", "UnInstall.exe"})
        ASSERT_TRUE(CopyFileA((p.src + "\\" + exe).c_str(), (cd + "\\" + exe).c_str(), FALSE));
    ASSERT_TRUE(zktest::WriteBytes("K:\\files\\a.txt", "from the CD"));
    ASSERT_TRUE(zktest::WriteBytes("K:\\files\\deep\\b.txt._z", Compressed("packed on the CD")));
    ASSERT_TRUE(zktest::WriteBytes(
        "K:\\Setup.txt",
        SilentScript(p, Line("SET_GROUP_DATA", "|Main|Main files|10|2|0|1|1|1|0|") +
                            Line("SET_SUB_DIR", "<Application Folder>") +
                            Line("SET_COPY_FILES", "a.txt|b.txt"))));
    long exitCode = -1;
    const std::vector<std::string> boxes = RunSetupAnswering("K:\\Setup.exe", "K:\\", exitCode);
    EXPECT_EQ(exitCode, 0);
    EXPECT_TRUE(boxes.empty()) << boxes.front();
    EXPECT_EQ(zktest::ReadBytes(p.App("a.txt")), "from the CD");
    EXPECT_EQ(zktest::ReadBytes(p.App("b.txt")), "packed on the CD");
    EXPECT_TRUE(zktest::Exists("K:\\files\\a.txt")) << "a file of the tree is the setup's own";

    EXPECT_EQ(UninstallFromEntry(p), "");
    EXPECT_TRUE(zktest::WaitRemoved(p.app));
}

// A drive's root as the destination ("R:\\"): the folder step takes it as it stands, the files
// land there and in a folder below it, and the uninstallation takes them and never the root.
TEST(Drives, ADriveRootAsTheDestination) {
    if (!HasDrives()) GTEST_SKIP() << "run by the e2e_Install_drives entry";
    Package p("inst_root_target");
    p.app = "R:\\";
    ASSERT_TRUE(zktest::WriteBytes("R:\\canary.txt", kCanary));
    p.Source("a.txt", "at the root");
    p.Source("b.txt", "one below");
    p.Script(SilentScript(
        p, Line("SET_GROUP_DATA", "|Main|Main files|10|2|0|1|1|1|0|") +
               Line("SET_SUB_DIR", "<Application Folder>") + Line("SET_COPY_FILES", "a.txt") +
               Line("SET_SUB_DIR", "<Application Folder>\\Bin") + Line("SET_COPY_FILES", "b.txt")));
    long exitCode = -1;
    const std::vector<std::string> boxes =
        RunSetupAnswering(p.src + "\\Setup.exe", p.src, exitCode);
    EXPECT_EQ(exitCode, 0);
    EXPECT_TRUE(boxes.empty()) << boxes.front();
    EXPECT_EQ(zktest::ReadBytes("R:\\a.txt"), "at the root");
    EXPECT_EQ(zktest::ReadBytes("R:\\Bin\\b.txt"), "one below");
    const std::vector<std::string> log = SplitLines(zktest::ReadBytes("R:\\Setup.log"));
    EXPECT_NE(std::find(log.begin(), log.end(), "Create Target Directory: R:\\ ... TRUE"),
              log.end());
    EXPECT_NE(std::find(log.begin(), log.end(), "  Copy File: R:\\a.txt ... OK"), log.end());
    const std::vector<std::string> lines = SplitLines(zktest::ReadBytes("R:\\UnInstall.txt"));
    for (const std::string& l : lines) {
        EXPECT_EQ(l.find("R:\\\\"), std::string::npos) << l;
        EXPECT_FALSE(l.find("_DIR(R:\\)") != std::string::npos ||
                     l.find("_DIR(R:)") != std::string::npos)
            << "a line for the root: " << l;
    }
    EXPECT_NE(std::find(lines.begin(), lines.end(), "REMOVE_FILE(R:\\a.txt);"), lines.end());
    EXPECT_NE(std::find(lines.begin(), lines.end(), "REMOVE_DIR(R:\\Bin);"), lines.end());

    EXPECT_EQ(UninstallFromEntry(p), "");
    EXPECT_TRUE(zktest::WaitRemoved("R:\\UnInstall.exe"));
    std::set<std::string> left;
    ListTree("R:", left);
    EXPECT_EQ(left, std::set<std::string>{"R:\\canary.txt " + std::to_string(sizeof kCanary - 1)});
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, p.EntryKey()));
}

// ---------------------------------------------------------------------------------------------
// Names in a double-byte code page.

// True when the process runs in code page 932; a run that asks for it (ZK_CODE_PAGE) fails
// without it, any other run skips.
bool InCodePage932() {
    if (GetACP() == 932) return true;
    if (std::getenv("ZK_CODE_PAGE")) ADD_FAILURE() << "Wine did not take code page 932";
    return false;
}

// Folders and files whose last character ends in the byte of "\" (0x5C in code page 932):
// everything lands where the script says, no folder is made from half a name, and the
// uninstallation takes it all, the parents it made too.
TEST(DoubleByte, NamesEndingInTheBackslashByteInstallAndUninstall) {
    if (!InCodePage932()) GTEST_SKIP() << "run by the e2e_Install_test_cp932 entry";
    const std::string kiNo = "\x8B\x40\x94\x5C", hyo = "\x95\x5C", so = "\x83\x5C", no = "\x94\x5C";
    Package p("inst_dbcs");
    p.app = p.root + "\\" + kiNo + "\\" + hyo + "\\Prod";
    p.Source(so + ".txt", "so");
    p.Source("00002#" + hyo + ".txt", "numbered");
    p.CopyIn(zktest::BinDir() + "\\copysrc\\packed.txt._z", no + ".txt._z");
    p.Source(hyo + ".dat", "in a folder of its own");
    p.Script(SilentScript(
        p, Line("SET_GROUP_DATA", "|Main|Main files|10|4|0|1|1|1|0|") +
               Line("SET_SUB_DIR", "<Application Folder>") +
               Line("SET_COPY_FILES", so + ".txt|00002#" + hyo + ".txt|" + no + ".txt") +
               Line("SET_SUB_DIR", "<Application Folder>\\" + no) +
               Line("SET_COPY_FILES", hyo + ".dat")));
    ASSERT_EQ(RunSetup(p), 0);

    EXPECT_EQ(zktest::ReadBytes(p.App(so + ".txt")), "so");
    EXPECT_EQ(zktest::ReadBytes(p.App(hyo + ".txt")), "numbered");
    EXPECT_EQ(zktest::ReadBytes(p.App(no + ".txt")).substr(0, 13), "packed file i");
    EXPECT_EQ(zktest::ReadBytes(p.App(no + "\\" + hyo + ".dat")), "in a folder of its own");
    std::set<std::string> made;
    ListTree(p.root + "\\" + kiNo, made);
    std::set<std::string> names;
    for (const std::string& f : made) names.insert(f.substr(0, f.rfind(' ')));
    const std::string a = p.app;
    EXPECT_EQ(names, (std::set<std::string>{
                         p.root + "\\" + kiNo + "\\" + hyo + "\\",
                         a + "\\",
                         a + "\\Setup.log",
                         a + "\\UnInstall.exe",
                         a + "\\UnInstall.txt",
                         a + "\\" + so + ".txt",
                         a + "\\" + hyo + ".txt",
                         a + "\\" + no + "\\",
                         a + "\\" + no + "\\" + hyo + ".dat",
                         a + "\\" + no + ".txt",
                     }));
    std::set<std::string> top;
    ListTree(p.root, top);
    for (const std::string& f : top)
        EXPECT_TRUE(StartsWith(f, p.root + "\\src") || StartsWith(f, p.root + "\\" + kiNo) ||
                    StartsWith(f, p.root + "\\canary.txt"))
            << "made from half a name: " << f;
    const std::vector<std::string> lines = p.Uninstall();
    for (const std::string& file :
         {so + ".txt", hyo + ".txt", no + ".txt", no + "\\" + hyo + ".dat"})
        EXPECT_EQ(std::count(lines.begin(), lines.end(), "REMOVE_FILE(" + p.App(file) + ");"), 1)
            << file;
    const std::vector<std::string> log = p.Log();
    EXPECT_NE(std::find(log.begin(), log.end(), "  Copy File: " + p.App(so + ".txt") + " ... OK"),
              log.end());

    EXPECT_EQ(UninstallFromEntry(p), "");
    EXPECT_TRUE(zktest::WaitRemoved(p.root + "\\" + kiNo)) << "the parents it made stay";
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, p.EntryKey()));
    EXPECT_EQ(zktest::ReadBytes(p.root + "\\canary.txt"), kCanary);
}

} // namespace
