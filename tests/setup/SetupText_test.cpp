// Start-up texts: the allowed-Windows list, the companion-file switch, the follow-up command's
// program path and the file-name rule.
#include "SetupText.h"

#include <gtest/gtest.h>

#include <set>

using namespace zk;

TEST(SetupText, AllowedWindowsListComparesItemsExactly) {
    struct Case {
        const char* list;
        const char* name;
        bool allowed;
    } cases[] = {
        {"XP,2000", "XP", true},  {"XP,2000", "2000", true}, {"XP, 2000", "2000", false},
        {"XP, 2000", "XP", true}, {"xp", "XP", false},       {"", "98", true},
        {"XP", "P", false},       {"NT,XP", "N", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(IsOsAllowedIn(c.list, c.name), c.allowed) << c.list << " / " << c.name;
}

TEST(SetupText, StartMessages) {
    EXPECT_EQ(ScriptNotFoundText("C:\\s\\Setup.txt"),
              "C:\\s\\Setup.txt\\\\nScript file not found.\\\\n\\\\nSetup Aborted!");
    EXPECT_EQ(OsNotAllowedText("Demo", "98"), "\"Demo\" is not allowed to run on Win98. --- Setup "
                                              "Aborted!");
    EXPECT_EQ(DotNetMissingText("Demo"), "\"Demo\" requires .NET Framework<P><P>Please install "
                                         ".NET Framework and run this setup program again");
}

TEST(SetupText, OriginalInfoFileValue) {
    struct Case {
        const char* commandLine;
        const char* value;
    } cases[] = {
        {"Setup.exe /OriginalInfoFile=C:\\u\\x.dat", "C:\\u\\x.dat"},
        {"\"C:\\a b\\Setup.exe\" \"/OriginalInfoFile=C:\\a b\\x.dat\" /Other", "C:\\a b\\x.dat"},
        {"Setup.exe /originalinfofile=\"C:\\a b\\x.dat\"", "C:\\a b\\x.dat"},
        {"Setup.exe /OriginalInfoFile=", ""},
        {"Setup.exe /OriginalInfoFile", ""},
        {"Setup.exe", ""},
        {"/OriginalInfoFile=C:\\self.exe", ""}, // the program's own path is no argument
    };
    for (const Case& c : cases)
        EXPECT_EQ(OriginalInfoFileValue(c.commandLine), c.value) << c.commandLine;
}

TEST(SetupText, ChangeFileExtensionReplacesFromTheLastDotOfTheName) {
    EXPECT_EQ(ChangeFileExtension("C:\\a.b\\x.dat", ".info"), "C:\\a.b\\x.info");
    EXPECT_EQ(ChangeFileExtension("C:\\a.b\\x", ".info"), "C:\\a.b\\x.info");
    EXPECT_EQ(ChangeFileExtension("x.tar.gz", ".original"), "x.tar.original");
}

TEST(SetupText, FollowUpCommandKeepsThePathWithItsBlanks) {
    const std::set<Text> files = {"C:\\Program Files\\Tool\\run.exe", "C:\\Program.exe"};
    const auto exists = [&](const Text& path) { return files.count(path) > 0; };
    struct Case {
        const char* command;
        const char* program;
        const char* parameters;
    } cases[] = {
        {"\"C:\\Program Files\\Tool\\run.exe\" /a b", "C:\\Program Files\\Tool\\run.exe", "/a b"},
        {"C:\\Program Files\\Tool\\run.exe /a b", "C:\\Program Files\\Tool\\run.exe", "/a b"},
        {"C:\\Program Files\\Tool\\run.exe", "C:\\Program Files\\Tool\\run.exe", ""},
        {"C:\\Missing Folder\\x.exe /q", "C:\\Missing", "Folder\\x.exe /q"},
        {"  notepad.exe  x.txt ", "notepad.exe", "x.txt"},
    };
    for (const Case& c : cases) {
        const CommandSplit split = SplitProgramFromCommand(c.command, exists);
        EXPECT_EQ(split.program, c.program) << c.command;
        EXPECT_EQ(split.parameters, c.parameters) << c.command;
    }
    EXPECT_EQ(QuotedCommandLine({"C:\\P F\\a.exe", "/x"}), "\"C:\\P F\\a.exe\" /x");
    EXPECT_EQ(QuotedCommandLine({"a.exe", ""}), "\"a.exe\"");
}

TEST(SetupText, PathParts) {
    EXPECT_EQ(FileNamePartOf("C:\\x\\y.txt"), "y.txt");
    EXPECT_EQ(FileNamePartOf("y.txt"), "y.txt");
    EXPECT_EQ(FolderPartOf("C:\\x\\y.txt"), "C:\\x");
    EXPECT_EQ(FolderPartOf("C:\\y.txt"), "C:\\");
    EXPECT_EQ(FolderPartOf("y.txt"), "");
    EXPECT_EQ(ExtensionOf("C:\\a.b\\README"), "");
    EXPECT_EQ(ExtensionOf("C:\\a\\Read.Me.TXT"), ".TXT");
}

TEST(SetupText, ExtensionDllNamesArePlainFileNames) {
    for (const char* plain : {"", "ext.dll", "my ext.dll", "a.b.dll"})
        EXPECT_TRUE(IsPlainDllName(plain)) << plain;
    for (const char* refused : {"..\\ext.dll", "sub\\ext.dll", "sub/ext.dll", "C:ext.dll",
                                "\\\\server\\ext.dll", "..", "a..dll"})
        EXPECT_FALSE(IsPlainDllName(refused)) << refused;
}
