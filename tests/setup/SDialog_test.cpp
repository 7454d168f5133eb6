// The wizard in this process: host callbacks, folder getters with their overrides, and the
// Setup.log file, whose bytes after every line are the working copy's.
#include "ControlIds.h"
#include "SDialog.h"
#include "SLang.h"
#include "SScriptRead.h"
#include "TestEnv.h"

#include <gtest/gtest.h>

#include <windows.h>

using namespace zk;

namespace {

struct Wizard {
    TScript script;
    TSDialogForm form;
    std::string dir;

    explicit Wizard(const std::string& name, const std::string& lines = "") {
        InitializeLanguage();
        dir = zktest::ScratchDir(name);
        const std::string path = dir + "\\Setup.txt";
        zktest::WriteBytes(path, "SET_CREATE_SETUP_LOG\r\nSET_TARGET_DIR(" + dir +
                                     ")\r\nSET_COMMON_DIR(C:\\Common)\r\n" + lines);
        script.LoadFromFile(path, ShowUnrecognizedCommandBox);
        SetApplicationFolderOverride("");
        SetCommonFolderOverride("");
        SetAuxiliaryFolderOverride("");
        form.Make(nullptr);
        form.Script = &script;
    }
    ~Wizard() {
        DestroyWindow(form.Handle());
        zktest::RemoveScratch(dir);
    }
    bool Checked(HWND b) const { return SendMessageA(b, BM_GETCHECK, 0, 0) == BST_CHECKED; }
};

} // namespace

TEST(SDialog, SetFolderToSetsTheOverridesIgnoringCase) {
    Wizard w("sdialog_folders");
    SetWindowTextA(w.form.TargetDirEdit, "C:\\Typed");
    EXPECT_EQ(w.form.GetTargetDir(true), "C:\\Typed\\");
    EXPECT_EQ(w.form.GetCommonDir(false), "C:\\Common");
    struct Case {
        const char* kind;
        bool handled;
    } cases[] = {{"application folder", true},
                 {"Common Folder", true},
                 {"AUXILIARY FOLDER", true},
                 {"Target Folder", false}};
    for (const Case& c : cases)
        EXPECT_EQ(w.form.DllSetValue("setfolderto", c.kind, std::string("D:\\") + c.kind, ""),
                  c.handled)
            << c.kind;
    EXPECT_EQ(w.form.GetTargetDir(false), "D:\\application folder");
    EXPECT_EQ(w.form.GetCommonDir(true), "D:\\Common Folder\\");
    EXPECT_EQ(w.form.GetAuxiliaryDir(false), "D:\\AUXILIARY FOLDER");
    // The destination page shows the folder that will be used, and it cannot be typed over.
    EXPECT_EQ(WindowText(w.form.TargetDirEdit), "D:\\application folder");
    EXPECT_TRUE(GetWindowLongA(w.form.TargetDirEdit, GWL_STYLE) & ES_READONLY);
    EXPECT_FALSE(IsWindowEnabled(w.form.BrowseButton));
    EXPECT_FALSE(w.form.DllSetValue("Unknown", "Common Folder", "X", ""));
}

TEST(SDialog, SetStupTypeAndTheVariables) {
    Wizard w("sdialog_types");
    struct Case {
        const char* type;
        bool handled;
        int checked; // 0 Typical, 1 Compact, 2 Custom
        const char* name;
    } cases[] = {{"Custom", true, 2, "Custom"},    {"partial", true, 1, "Compact"},
                 {"Typical", true, 0, "Typical"},  {"Compact", true, 1, "Compact"},
                 {"complete", true, 0, "Typical"}, {"Full", false, 0, "Typical"}};
    HWND buttons[] = {w.form.TypicalRadioButton, w.form.CompactRadioButton,
                      w.form.CustomRadioButton};
    for (const Case& c : cases) {
        EXPECT_EQ(w.form.DllSetValue("SetStupType", c.type, "", ""), c.handled) << c.type;
        for (int i = 0; i < 3; ++i) EXPECT_EQ(w.Checked(buttons[i]), i == c.checked) << c.type;
        EXPECT_EQ(w.form.DllGetValue("setuptype"), c.name) << c.type;
    }
    SetWindowTextA(w.form.NameEdit, "Ann");
    SetWindowTextA(w.form.CompanyEdit, "Acme");
    EXPECT_EQ(w.form.DllGetValue("USERNAME"), "Ann");
    EXPECT_EQ(w.form.DllGetValue("CompanyName"), "Acme");
    EXPECT_EQ(w.form.DllGetValue("GroupNameString"), "");
    EXPECT_EQ(w.form.DllGetValue("Other"), "");
}

TEST(SDialog, SetupLogFileIsTheWorkingCopyAfterEveryLine) {
    Wizard w("sdialog_log");
    SetWindowTextA(w.form.TargetDirEdit, w.dir.c_str());
    const std::string log = w.dir + "\\Setup.log";
    const auto check = [&](const char* step) {
        EXPECT_EQ(zktest::ReadBytes(log), w.form.SetupLogLinesCopy.Bytes()) << step;
    };
    w.form.AddSetupLogLine("Show Screen: ", "Welcome");
    check("first line");
    w.form.AddSetupLogLine("  Copy File: ", "\\\\tools\\share\\a.txt");
    check("data with backslashes");
    w.form.AddSetupLogLine("\\\\x ... OK");
    check("continued");
    w.form.AddSetupLogLine("\\\\x Delayed");
    check("continued twice");
    w.form.AddSetupLogLine("");
    check("empty line");
    EXPECT_EQ(zktest::ReadBytes(log), "Show Screen: Welcome\r\n"
                                      "  Copy File: \\\\tools\\share\\a.txt ... OK Delayed\r\n"
                                      "\r\n");
    // A target that does not exist yet: the line is kept and written with the next good one.
    SetWindowTextA(w.form.TargetDirEdit, (w.dir + "\\Later").c_str());
    w.form.AddSetupLogLine("while missing");
    CreateDirectoryA((w.dir + "\\Later").c_str(), nullptr);
    w.form.AddSetupLogLine("after");
    EXPECT_EQ(zktest::ReadBytes(w.dir + "\\Later\\Setup.log"), w.form.SetupLogLinesCopy.Bytes());
}

TEST(SDialog, NoLogWithoutTheSetting) {
    InitializeLanguage();
    const std::string dir = zktest::ScratchDir("sdialog_nolog");
    zktest::WriteBytes(dir + "\\Setup.txt", "SET_TARGET_DIR(" + dir + ")\r\n");
    TScript script;
    script.LoadFromFile(dir + "\\Setup.txt", ShowUnrecognizedCommandBox);
    {
        TSDialogForm form;
        form.Make(nullptr);
        form.Script = &script;
        SetWindowTextA(form.TargetDirEdit, dir.c_str());
        form.AddSetupLogLine("Show Screen: ", "Welcome");
        EXPECT_TRUE(form.SetupLogLinesCopy.Lines().empty());
        DestroyWindow(form.Handle());
    }
    EXPECT_FALSE(zktest::Exists(dir + "\\Setup.log"));
    zktest::RemoveScratch(dir);
}
