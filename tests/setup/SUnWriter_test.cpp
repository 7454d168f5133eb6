// The uninstall script as the installation writes it: the line rules, the whole file of a
// base installation, continued scripts (plain and scrambled), failed writes, and a file that
// is complete after every line. What is written is read back by the uninstaller's reader.
#include "SUnWriter.h"

#include "Scramble.h"
#include "TestEnv.h"
#include "UnScript.h"

#include <windows.h>

#include <gtest/gtest.h>

using namespace zk;

namespace {

Text Joined(const TextList& lines) {
    Text out;
    for (const Text& l : lines) out += l + "\r\n";
    return out;
}

TUninstallWriter WriterAt(const Text& path, bool scrambled = false) {
    return TUninstallWriter(true, scrambled, [path] { return path; });
}

} // namespace

TEST(UninstallLines, ScriptPathAndLineRules) {
    EXPECT_EQ(UninstallScriptPath("C:\\App", ""), "C:\\App\\UnInstall.txt");
    EXPECT_EQ(UninstallScriptPath("C:\\App\\", "v2"), "C:\\App\\UnInstall_v2.txt");
    EXPECT_EQ(UninstallEnginePath("C:\\App\\UnInstall_v2.txt"), "C:\\App\\UnInstall_v2.exe");
    EXPECT_EQ(UninstallEnginePath("C:\\App.d\\UnInstall"), "C:\\App.d\\UnInstall.exe");

    struct Case {
        const char* line;
        const char* terminated;
        bool emptyArgument;
    };
    const Case cases[] = {
        {"REMOVE_FILE(C:\\a.txt)", "REMOVE_FILE(C:\\a.txt);", false},
        {"REMOVE_FILE(C:\\a.txt);", "REMOVE_FILE(C:\\a.txt);", false},
        {"REMOVE_FILE(C:\\a=b.txt)", "REMOVE_FILE(C:\\a=b.txt)", false}, // "=": no ";"
        {"REMOVE_FILE()", "REMOVE_FILE();", true},
        {"REMOVE_FILE(  );", "REMOVE_FILE(  );", true},
        {"TargetDir=C:\\x()", "TargetDir=C:\\x()", false}, // a header value, not a command
        {"GroupNames=", "GroupNames=", false},
        {"", "", false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(TerminateLine(c.line), c.terminated) << c.line;
        EXPECT_EQ(HasEmptyArgument(c.terminated), c.emptyArgument) << c.line;
    }
    EXPECT_EQ(ReplaceTargetDirMacro("X(<TARGET_DIR>\\a|<TARGET_DIR>\\b|<target_dir>)", "C:\\T\\"),
              "X(C:\\T\\a|C:\\T\\b|<target_dir>)");
    EXPECT_EQ(ReplaceTargetDirMacro("X(<TARGET_DIR>)", "C:\\<TARGET_DIR>"), "X(C:\\<TARGET_DIR>)");
    EXPECT_EQ(CommandLine("REMOVE_FILE", ""), "");
    EXPECT_EQ(CommandLine("REMOVE_FILE", "C:\\a\r\nb"), "REMOVE_FILE(C:\\ab);");
    EXPECT_EQ(RowCommandLine("SET_PERFORM_REGISTRY_OP", "K|V"), "SET_PERFORM_REGISTRY_OP(|K|V|);");
    const UninstallLines parents = CreatedParentLines({"C:\\V\\P\\", "C:\\V", ""});
    Text parentText;
    for (const UninstallLine& line : parents) parentText += line.text;
    EXPECT_EQ(parentText, "REMOVE_DIR(C:\\V\\P);AVOID_ERR_REMOVE_DIR(C:\\V\\P);"
                          "REMOVE_DIR(C:\\V);AVOID_ERR_REMOVE_DIR(C:\\V);");
    const UninstallLines file = FileRemovalLines("C:\\A\\b.dll", true, true);
    ASSERT_EQ(file.size(), 2u);
    EXPECT_EQ(file[0].text + file[1].text,
              "UNMARK_READONLY_FILE(C:\\A\\b.dll);REMOVE_SHARED_FILE(C:\\A\\b.dll);");
    EXPECT_EQ(SelectionLines("Typical", "|Main|", "Ann\r\nB", "Ac\nme")[2].text,
              "UserData=|AnnB|Acme|");
}

Text TextOf(const UninstallLines& lines) {
    Text out;
    for (const UninstallLine& line : lines) out += line.text;
    return out;
}

// A folder that is not the product's is never removed with its contents and never reported
// when it stays, whoever asked for its removal: a folder entry or the setup script's own line.
TEST(UninstallLines, FoldersOfOthersAreNeverForcedAndStayWithoutAnError) {
    using O = FolderOwner;
    struct Entry {
        char mode;
        O owner;
        const char* lines;
    };
    const Entry entries[] = {
        {'1', O::ThisRun, "FORCE_REMOVE_DIR(C:\\A);"},
        {'1', O::EarlierRun, "FORCE_REMOVE_DIR(C:\\A);"},
        {'1', O::Other, "REMOVE_DIR(C:\\A);AVOID_ERR_REMOVE_DIR(C:\\A);"},
        {0, O::ThisRun, "REMOVE_DIR(C:\\A);"},
        {0, O::EarlierRun, "REMOVE_DIR(C:\\A);"},
        {'x', O::Other, "REMOVE_DIR(C:\\A);AVOID_ERR_REMOVE_DIR(C:\\A);"},
        {'2', O::Other, "DONT_REMOVE_DIR(C:\\A);"},
        {'3', O::ThisRun, "DONT_REMOVE_JUST_DIR(C:\\A);"},
    };
    for (const Entry& e : entries)
        EXPECT_EQ(TextOf(FolderEntryLines(e.mode, "C:\\A\\", e.owner)), e.lines)
            << e.mode << " " << static_cast<int>(e.owner);
    EXPECT_EQ(TextOf(FolderEntryLines('1', "", O::Other)), "");

    struct ScriptLine {
        const char* line;
        O owner;
        const char* folder; // what ForcedRemovalFolder finds
        const char* lines;
    };
    const ScriptLine script[] = {
        {"FORCE_REMOVE_DIR(C:\\Data)", O::ThisRun, "C:\\Data", "FORCE_REMOVE_DIR(C:\\Data)"},
        {"FORCE_REMOVE_DIR(C:\\Data);", O::Other, "C:\\Data",
         "REMOVE_DIR(C:\\Data);AVOID_ERR_REMOVE_DIR(C:\\Data);"},
        {"  FORCE_REMOVE_DIR( C:\\My (old) Data );", O::Other, "C:\\My (old) Data",
         "REMOVE_DIR(C:\\My (old) Data);AVOID_ERR_REMOVE_DIR(C:\\My (old) Data);"},
        {"FORCE_REMOVE_FOLDER(C:\\Menu\\Tools)", O::Other, "C:\\Menu\\Tools",
         "REMOVE_FOLDER(C:\\Menu\\Tools);AVOID_ERR_REMOVE_DIR(C:\\Menu\\Tools);"},
        {"FORCE_REMOVE_FOLDER(C:\\Menu\\Tools)", O::EarlierRun, "C:\\Menu\\Tools",
         "FORCE_REMOVE_FOLDER(C:\\Menu\\Tools)"},
        // The uninstaller files a line by the keyword it begins with.
        {"FORCE_REMOVE_DIRS(C:\\Data)", O::Other, "C:\\Data",
         "REMOVE_DIR(C:\\Data);AVOID_ERR_REMOVE_DIR(C:\\Data);"},
        {"FORCE_REMOVE_DIR()", O::Other, "", "FORCE_REMOVE_DIR()"},
        {"force_remove_dir(C:\\Data)", O::Other, "", "force_remove_dir(C:\\Data)"},
        {"REMOVE_DIR(C:\\Data)", O::Other, "", "REMOVE_DIR(C:\\Data)"},
        {"DONT_REMOVE_DIR(C:\\Data)", O::Other, "", "DONT_REMOVE_DIR(C:\\Data)"},
    };
    for (const ScriptLine& l : script) {
        EXPECT_EQ(ForcedRemovalFolder(l.line), l.folder) << l.line;
        EXPECT_EQ(TextOf(ScriptUninstallLines(l.line, l.owner)), l.lines) << l.line;
    }
}

// The user's own texts go into one list line: whatever they type, each field reads back whole.
TEST(UninstallLines, UserDataKeepsEveryTypedField) {
    const struct {
        const char* name;
        const char* company;
        const char* line;
    } cases[] = {
        {"Ann", "Acme", "UserData=|Ann|Acme|"},
        {"", "", "UserData=|||"},
        {"A|nn", "Ac|me", "UserData=~A|nn~Ac|me~"},
        {"|~^", "#!", "UserData=`|~^`#!`"},
        {"a|~^#!`b", "",
         "UserData=\x01"
         "a|~^#!`b\x01\x01"},
    };
    for (const auto& c : cases) {
        const Text line = SelectionLines("Typical", "|Main|", c.name, c.company)[2].text;
        EXPECT_EQ(line, c.line) << c.name;
        const TextList script = {"SetupType=Typical", line};
        EXPECT_EQ(GetUserVariable(script, "UserName"), c.name) << line;
        EXPECT_EQ(GetUserVariable(script, "CompanyName"), c.company) << line;
    }
}

TEST(UninstallWriter, WholeScriptOfABaseInstallation) {
    const Text dir = zktest::ScratchDir("unwriter_base");
    const Text path = UninstallScriptPath(dir, "");
    TUninstallWriter w = WriterAt(path);

    UninstallHeaderTexts h;
    h.composerVersion = "7.1";
    h.progName = "Demo App";
    h.companyUrl = "http://example.com";
    h.charSet = 177;
    h.progExePath = dir + "\\demo.exe";
    h.isRunningTest = true;
    h.isRunningCaption = "Attention";
    h.confirmText = "Remove?";
    h.buttonTexts = "|OK|Cancel|Yes|No|Abort|Retry|Ignore|";
    h.labels = {"L1", "L2", "L3", "L4", "L5", "L6"};
    FirstRemovalTexts first;
    first.scriptPath = path;
    first.setupLogPath = dir + "\\Setup.log";
    first.auxiliaryFolder = dir + "\\Aux\\";
    first.runTimeDirs = {"", "|Reg|HKEY_CURRENT_USER\\S|V|", ""};
    OperationRowTexts rows;
    rows.registryRows = {"HKEY_CURRENT_USER\\Software\\Demo|Path|<TARGET_DIR>|Create|RemoveKey|"};
    rows.environmentRows = {"DEMO|1|Create|Remove|0"};
    rows.openWith = true;
    rows.openWithName = "DemoOpen";
    rows.openWithExtensions = ".txt";

    ASSERT_TRUE(w.AddLines(SelectionLines("Typical", "|Main|", "Ann", "Acme")));
    ASSERT_TRUE(w.AddLines(HeaderValueLines(h)));
    ASSERT_TRUE(w.AddLines(FirstRemovalLines(first)));
    ASSERT_TRUE(w.AddLines(OperationRowLines(rows)));
    ASSERT_TRUE(w.AddLines(FolderValueLines(dir + "\\", "", dir + "\\Aux")));
    ASSERT_TRUE(w.AddLine(CommandLine("REMOVE_DIR", dir)));
    ASSERT_TRUE(w.AddLine(CommandLine("REMOVE_FILE", dir + "\\demo.exe")));
    ASSERT_TRUE(w.AddLine("", true));
    ASSERT_TRUE(w.AddLine("", true)); // a second empty line in a row is never written
    ASSERT_TRUE(AddScriptUninstallLines(
        w, {"FORCE_REMOVE_DIR(<TARGET_DIR>\\cache)", "REMOVE_FILE()", "DONT_REMOVE_DIR( )"}, dir,
        [](const Text&) { return FolderOwner::ThisRun; }));
    EXPECT_EQ(w.Path(), path);
    EXPECT_FALSE(w.Failed());
    w.Close();

    const TextList expected = {
        "SetupType=Typical",
        "GroupNames=|Main|",
        "UserData=|Ann|Acme|",
        "Version=1.0",
        "ComposerVersion=7.1",
        "",
        "PROG_NAME=Demo App",
        "COMPANY_URL=http://example.com",
        "CHAR_SET=177",
        "GET_DIALOG_BITMAP_3D_FRAME=0",
        "GET_AUTO_UPDATE_EXE_FILE_NAME=",
        "GET_PROG_EXE_NAME=" + dir + "\\demo.exe",
        "IS_RUNNING_TEST=1",
        "IS_RUNNING_CAPTION=Attention",
        "IS_RUNNING_TEXT=",
        "CONFIRM_CAPTION=",
        "CONFIRM_TEXT=Remove?",
        "BTN_TEXT=|OK|Cancel|Yes|No|Abort|Retry|Ignore|",
        "BUTTON_CLOSE=",
        "BUTTON_LOG=",
        "S1=",
        "S2=",
        "GET_TEST_ADMIN_RIGHTS_UNINSTALL=0",
        "GET_HIDE_ERR_MSG_UNINSTALL=0",
        "GET_HIDE_LOG_BTN_UNINSTALL=0",
        "LABEL1=L1",
        "LABEL2=L2",
        "LABEL3=L3",
        "LABEL4=L4",
        "LABEL5=L5",
        "LABEL6=L6",
        "",
        "REMOVE_FILE(" + path + ");",
        "REMOVE_FILE(" + dir + "\\Setup.log);",
        "REMOVE_DIR(" + dir + "\\Aux);",
        "RunTimeDir_1=",
        "RunTimeDir_2=|Reg|HKEY_CURRENT_USER\\S|V|",
        "RunTimeDir_3=",
        "",
        "SET_PERFORM_REGISTRY_OP(|HKEY_CURRENT_USER\\Software\\Demo|Path|<TARGET_DIR>|Create|"
        "RemoveKey||);",
        "",
        "",
        "SET_PERFORM_ENVIRONMENT_OP(|DEMO|1|Create|Remove|0|);",
        "",
        "",
        "SET_ADD_OPEN_WITH_ITEM(|DemoOpen|.txt|);",
        "",
        "TargetDir=" + dir,
        "SharedDir=",
        "AuxiliaryDir=" + dir + "\\Aux",
        "REMOVE_DIR(" + dir + ");",
        "REMOVE_FILE(" + dir + "\\demo.exe);",
        "",
        "FORCE_REMOVE_DIR(" + dir + "\\cache);",
    };
    // Two empty lines in a row are written as one: drop the doubles from the expectation.
    TextList want;
    for (const Text& l : expected)
        if (!(l.empty() && !want.empty() && want.back().empty())) want.push_back(l);

    const Text bytes = zktest::ReadBytes(path);
    EXPECT_EQ(bytes, Joined(want));
    ASSERT_GE(bytes.size(), 3u);
    EXPECT_NE(bytes.substr(0, 3), "\xEF\xBB\xBF");
    for (size_t i = 0; i < bytes.size(); ++i) {
        const bool loneLf = bytes[i] == '\n' && (i == 0 || bytes[i - 1] != '\r');
        ASSERT_FALSE(loneLf) << "at " << i;
    }
    const TextList lines = SplitLines(bytes);
    for (size_t i = 0; i < lines.size(); ++i) {
        if (i > 0) {
            EXPECT_FALSE(lines[i].empty() && lines[i - 1].empty()) << "line " << i;
        }
        if (lines[i].find('(') != Text::npos && lines[i].find('=') == Text::npos) {
            EXPECT_EQ(lines[i].substr(lines[i].size() - 2), ");") << lines[i];
            EXPECT_FALSE(HasEmptyArgument(lines[i])) << lines[i];
        }
    }

    // The uninstaller's reader finds the header keys and the commands in their order.
    EXPECT_EQ(GetScriptValue(lines, "PROG_NAME"), "Demo App");
    EXPECT_EQ(GetScriptValue(lines, "CHAR_SET"), "177");
    EXPECT_EQ(GetScriptValue(lines, "TargetDir"), dir);
    EXPECT_EQ(GetUserVariable(lines, "UserName"), "Ann");
    const UninstallWorkLists work = ParseUninstallScript(lines);
    EXPECT_EQ(work[WorkList::File], (TextList{path, dir + "\\Setup.log", dir + "\\demo.exe"}));
    EXPECT_EQ(work[WorkList::Dir], (TextList{dir + "\\Aux", dir}));
    EXPECT_EQ(work[WorkList::ForceDir], (TextList{dir + "\\cache"}));
    EXPECT_EQ(work[WorkList::RegistryOp].size(), 1u);
    EXPECT_EQ(work[WorkList::EnvironmentOp], (TextList{"|DEMO|1|Create|Remove|0|"}));
    EXPECT_EQ(work[WorkList::OpenWith], (TextList{"|DemoOpen|.txt|"}));
    zktest::RemoveScratch(dir);
}

TEST(UninstallWriter, DuplicateAndEmptyLineRules) {
    const Text dir = zktest::ScratchDir("unwriter_rules");
    const Text path = dir + "\\UnInstall.txt";
    TUninstallWriter w = WriterAt(path);
    struct Step {
        const char* line;
        bool forced;
        bool written;
    };
    const Step steps[] = {
        {"", true, true},                          // the first line may be empty
        {"", true, false},                         // never two in a row
        {"REMOVE_FILE(C:\\A.txt)", false, true},   //
        {"remove_file(c:\\a.txt);", false, false}, // equal ignoring case
        {"", false, false},                        // not forced: an empty line exists
        {"", true, true},                          //
        {"REMOVE_FILE()", false, false},           // empty argument
        {"X=1", false, true},                      //
        {"X=1", false, false},                     //
        {"X=2", false, true},                      // a changed value is a new line
    };
    Text expected;
    for (const Step& s : steps) {
        ASSERT_TRUE(w.AddLine(s.line, s.forced)) << s.line;
        if (s.written) expected += TerminateLine(s.line) + "\r\n";
        ASSERT_EQ(zktest::ReadBytes(path), expected) << "after " << s.line;
    }
    EXPECT_TRUE(w.HasLine("REMOVE_FILE(c:\\A.TXT)"));
    EXPECT_FALSE(w.HasLine("REMOVE_FILE(C:\\B.txt)"));
    zktest::RemoveScratch(dir);
}

TEST(UninstallWriter, ContinuesAnExistingScript) {
    const Text dir = zktest::ScratchDir("unwriter_continue");
    const Text path = dir + "\\UnInstall.txt";
    const TextList first = {"PROG_NAME=Old", "", "REMOVE_FILE(C:\\a.txt);"};
    struct Case {
        const char* name;
        bool firstScrambled, secondScrambled;
        const char* ending; // how the first run's file ends
    };
    const Case cases[] = {
        {"plain", false, false, "\r\n"},
        {"scrambled", true, true, "\r\n"},
        {"plain then scrambled", false, true, "\r\n"},
        {"scrambled then plain", true, false, "\r\n"},
        {"plain without a last line break", false, false, ""},
        {"scrambled without a last line break", true, true, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Text text = Joined(first);
        text.resize(text.size() - 2);
        text += c.ending;
        const Text old = c.firstScrambled ? ScrambleText(text, true) : text;
        ASSERT_TRUE(zktest::WriteBytes(path, old));
        {
            TUninstallWriter w = WriterAt(path, c.secondScrambled);
            EXPECT_TRUE(w.HasLine("remove_file(c:\\A.txt)"));
            ASSERT_TRUE(w.AddLine("PROG_NAME=New"));
            ASSERT_TRUE(w.AddLine("", false)); // the old file holds an empty line
            ASSERT_TRUE(w.AddLine("REMOVE_FILE(C:\\A.TXT)"));
            for (int i = 0; i < 300; ++i) // enough to run the positions past 255
                ASSERT_TRUE(w.AddLine("REMOVE_FILE(C:\\b" + std::to_string(i) + ".txt)"));
        }
        const Text bytes = zktest::ReadBytes(path);
        EXPECT_EQ(IsScrambled(bytes), c.secondScrambled);
        if (c.firstScrambled && c.secondScrambled) {
            EXPECT_EQ(bytes.substr(0, 13), old.substr(0, 13)) << "one key for the file";
        }
        TextList want = first;
        want.push_back("PROG_NAME=New");
        for (int i = 0; i < 300; ++i)
            want.push_back("REMOVE_FILE(C:\\b" + std::to_string(i) + ".txt);");
        const Text plain = ScrambleText(bytes, false);
        EXPECT_EQ(plain, Joined(want));
        const TextList lines = SplitLines(plain);
        EXPECT_EQ(GetScriptValue(lines, "PROG_NAME"), "Old") << "the first run's value wins";
        EXPECT_EQ(ParseUninstallScript(lines)[WorkList::File].size(), 301u);
    }
    zktest::RemoveScratch(dir);
}

TEST(UninstallWriter, CompleteAfterEveryLine) {
    // What a crash leaves: the file after any line reads back as exactly the lines so far,
    // each ended by CR LF, plain and scrambled.
    const Text dir = zktest::ScratchDir("unwriter_crash");
    for (bool scrambled : {false, true}) {
        const Text path = dir + (scrambled ? "\\s.txt" : "\\p.txt");
        TUninstallWriter w = WriterAt(path, scrambled);
        TextList written;
        for (int i = 0; i < 400; ++i) {
            const Text line = i % 50 == 0 ? Text() : "REMOVE_FILE(C:\\f" + std::to_string(i) + ")";
            ASSERT_TRUE(w.AddLine(line, true));
            written.push_back(TerminateLine(line));
            const Text raw = zktest::ReadBytes(path); // another handle, as the uninstaller
            ASSERT_EQ(IsScrambled(raw), scrambled);
            ASSERT_EQ(ScrambleText(raw, false), Joined(written)) << "after line " << i;
        }
    }
    zktest::RemoveScratch(dir);
}

TEST(UninstallWriter, FailedWritesAreReported) {
    const Text dir = zktest::ScratchDir("unwriter_fail");
    {
        TUninstallWriter w = WriterAt(dir + "\\missing\\UnInstall.txt");
        EXPECT_FALSE(w.AddLine("SetupType=Typical"));
        EXPECT_TRUE(w.Failed());
        EXPECT_FALSE(zktest::Exists(dir + "\\missing"));
    }
    {
        // A script that cannot be read is never overwritten.
        const Text path = dir + "\\locked.txt";
        ASSERT_TRUE(zktest::WriteBytes(path, "PROG_NAME=Old\r\n"));
        HANDLE lock =
            CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(lock, INVALID_HANDLE_VALUE);
        TUninstallWriter w = WriterAt(path);
        EXPECT_FALSE(w.AddLine("PROG_NAME=New"));
        CloseHandle(lock);
        EXPECT_EQ(zktest::ReadBytes(path), "PROG_NAME=Old\r\n");
        EXPECT_TRUE(w.AddLine("REMOVE_FILE(C:\\x)")) << "later lines are still tried";
        EXPECT_TRUE(w.Failed()) << "the failure stays on record";
        EXPECT_EQ(zktest::ReadBytes(path), "PROG_NAME=Old\r\nREMOVE_FILE(C:\\x);\r\n");
    }
    {
        const Text path = dir + "\\readonly.txt";
        ASSERT_TRUE(zktest::WriteBytes(path, "X=1\r\n"));
        SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY);
        TUninstallWriter w = WriterAt(path);
        EXPECT_FALSE(w.AddLine("X=2"));
        SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    }
    {
        TUninstallWriter w(true, false, [] { return Text(); }); // no target folder known
        EXPECT_FALSE(w.AddLine("SetupType=Typical"));
    }
    {
        const Text path = dir + "\\off.txt";
        TUninstallWriter w(false, false, [path] { return path; });
        EXPECT_TRUE(w.AddLine("SetupType=Typical"));
        EXPECT_FALSE(w.Failed());
        EXPECT_FALSE(zktest::Exists(path));
    }
    zktest::RemoveScratch(dir);
}

TEST(UninstallWriter, KilledWriterLeavesWholeLines) {
    // The writer's process killed at some moment of its run: every line up to the last one is
    // there, in order, each ended by CR LF, and nothing follows the last.
    const Text dir = zktest::ScratchDir("unwriter_kill");
    const Text host = zktest::BinDir() + "\\unwriterhost.exe";
    int round = 0;
    for (const char* form : {"plain", "scrambled"}) {
        for (DWORD wait : {0u, 30u, 150u}) {
            SCOPED_TRACE(std::string(form) + " after " + std::to_string(wait) + " ms");
            const Text path = dir + "\\UnInstall" + std::to_string(++round) + ".txt";
            std::string cmd = "\"" + host + "\" \"" + path + "\" " + form;
            STARTUPINFOA si{};
            si.cb = sizeof si;
            PROCESS_INFORMATION pi{};
            ASSERT_TRUE(CreateProcessA(nullptr, cmd.data(), nullptr, nullptr, FALSE,
                                       CREATE_NO_WINDOW, nullptr, nullptr, &si, &pi));
            for (int i = 0; i < 1000 && !zktest::Exists(path + ".started"); ++i) Sleep(10);
            Sleep(wait);
            TerminateProcess(pi.hProcess, 9);
            WaitForSingleObject(pi.hProcess, 10000);
            DWORD code = 0;
            GetExitCodeProcess(pi.hProcess, &code);
            CloseHandle(pi.hThread);
            CloseHandle(pi.hProcess);
            ASSERT_EQ(code, 9u) << "the writer ended on its own";

            const Text raw = zktest::ReadBytes(path);
            EXPECT_EQ(IsScrambled(raw), Text(form) == "scrambled");
            const Text plain = ScrambleText(raw, false);
            ASSERT_GE(plain.size(), 2u);
            EXPECT_EQ(plain.substr(plain.size() - 2), "\r\n") << "the last line is whole";
            const TextList lines = SplitLines(plain);
            for (size_t n = 0; n < lines.size(); ++n)
                ASSERT_EQ(lines[n], "REMOVE_FILE(C:\\f" + std::to_string(n) + ");") << n;
        }
    }
    zktest::RemoveScratch(dir);
}
