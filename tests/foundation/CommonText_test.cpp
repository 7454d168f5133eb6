#include "CommonText.h"

#include <gtest/gtest.h>

#include <map>

using namespace zk;

namespace {

using S = FolderSource;

// Folder values of a made-up machine; each source asked for is counted.
struct Machine {
    std::map<S, Text> values = {
        {S::RunTime1, "R:\\One"},
        {S::RunTime2, "R:\\Two"},
        {S::RunTime3, "R:\\Three"},
        {S::Application, "C:\\App"},
        {S::Common, "D:\\Common"},
        {S::Auxiliary, "E:\\Aux"},
        {S::WindowsSlash, "W:\\Win\\"},
        {S::SystemSlash, "Y:\\Win\\Sys32\\"},
        {S::System16, "Y:\\Win\\Sys"},
        {S::ProgramFiles, "P:\\Programs"},
        {S::CommonFiles, "P:\\Programs\\Common"},
        {S::StartMenu, "M:\\Menu"},
        {S::Fonts, "F:\\Fonts"},
        {S::Exe, "S:\\Src"},
        {S::Origin, "O:\\Origin"},
        {S::Temp, "T:\\Temp"},
        {S::User, "U:\\User"},
    };
    std::map<S, int> asked;
    FolderLookup Lookup() {
        return [this](S s) {
            ++asked[s];
            return values[s];
        };
    }
};

} // namespace

TEST(FolderMacros, EachMacroItsValueAndWhetherTheSuffixFollows) {
    struct Case {
        const char* text;
        const char* expanded; // suffix "|" shows where it lands
    };
    const Case cases[] = {
        {"<RunTimeDir_1>x", "R:\\One|x"},
        {"<RunTimeDir_2>x", "R:\\Two|x"},
        {"<RunTimeDir_3>x", "R:\\Three|x"},
        {"<Application Folder>x", "C:\\App|x"},
        {"<Common Folder>x", "D:\\Common|x"},
        {"<Auxiliary Folder>x", "E:\\Aux|x"},
        {"<Windows Directory>x", "W:\\Win\\x"},
        {"<System Directory>x", "Y:\\Win\\Sys32\\x"},
        {"<System16 Directory>x", "Y:\\Win\\Sys|x"},
        {"<AbsoluteDir>x", "x"},
        {"<InstallDir>x", "C:\\App|x"},
        {"<InstallCommonDir>x", "D:\\Common|x"},
        {"<InstallAuxDir>x", "E:\\Aux|x"},
        {"<InstallDrive>x", "C:|x"},
        {"<WinDir>x", "W:\\Win\\x"},
        {"<WinSysDir>x", "Y:\\Win\\Sys32\\x"},
        {"<WinSys32Dir>x", "Y:\\Win\\Sys32\\x"},
        {"<WinSys16Dir>x", "Y:\\Win\\Sys|x"},
        {"<WinDisk>x", "W:|x"},
        {"<WinDrive>x", "W:|x"},
        {"<WinSysDisk>x", "Y:|x"},
        {"<WinSysDrive>x", "Y:|x"},
        {"<ProgramFilesDir>x", "P:\\Programs|x"},
        {"<CommonFilesDir>x", "P:\\Programs\\Common|x"},
        {"<StartMenuDir>x", "M:\\Menu|x"},
        {"<FontDir>x", "F:\\Fonts|x"},
        {"<SrcDir>x", "S:\\Src|x"},
        {"<OriginDir>x", "O:\\Origin|x"},
        {"<OriginDrive>x", "O:|x"},
        {"<TempDir>x", "T:\\Temp|x"},
        {"<UserDir>x", "U:\\User|x"},
        {"<winsysdir>x", "Y:\\Win\\Sys32\\x"}, // any letter case
        {"<WINDIR>x", "W:\\Win\\x"},
        {"<TempDir>a;<TempDir>b", "T:\\Temp|a;T:\\Temp|b"},
        {"<NoSuchDir>x", "<NoSuchDir>x"},
    };
    for (const Case& c : cases) {
        Machine m;
        EXPECT_EQ(ExpandFolderMacrosWith(c.text, "|", m.Lookup()), c.expanded) << c.text;
    }
}

TEST(FolderMacros, PathsOrderAndDeletedPlaceholders) {
    struct Case {
        const char* text;
        const char* expanded;
        S changed = S::User; // source given another value for the case
        const char* value = "U:\\User";
    };
    const Case cases[] = {
        {"<InstallDir>\\bin", "C:\\App\\bin"}, // doubled backslash collapsed
        {"<Windows Directory>Fonts", "W:\\Win\\Fonts"},
        {"<WinDir>\\x", "W:\\Win\\x"},
        {"<Application Folder>\\<InstallDir>\\x", "C:\\App\\x"},
        {"<AbsoluteDir>C:\\Tools", "C:\\Tools"},
        {"a\\\\b", "a\\\\b"}, // nothing expanded: nothing collapsed
        {"\\\\srv\\<InstallDir>", "\\\\srv\\C:\\App\\"},
        {"<InstallDir>x", "\\\\srv\\share\\App\\x", S::Application, "\\\\srv\\share\\App"},
        // An unset install folder leaves the suffix alone: a path on the current drive.
        {"<InstallDir>x", "\\x", S::Application, ""},
        // A value may bring in a placeholder of a later step, not of an earlier one.
        {"<InstallDir>x", "W:\\Win\\App\\x", S::Application, "<WinDir>App"},
        {"<TempDir>x", "<InstallDir>T\\x", S::Temp, "<InstallDir>T"},
        // A value holding its own placeholder is inserted once.
        {"<RunTimeDir_1>x", "R:\\<RUNTIMEDIR_1>\\x", S::RunTime1, "R:\\<RUNTIMEDIR_1>"},
        {"<UserDir>x", "<userdir>\\x", S::User, "<userdir>"},
    };
    for (const Case& c : cases) {
        Machine m;
        m.values[c.changed] = c.value;
        EXPECT_EQ(ExpandFolderMacrosWith(c.text, "\\", m.Lookup()), c.expanded) << c.text;
    }
    EXPECT_FALSE(
        IsAbsolutePath(ExpandFolderMacrosWith("<InstallDir>x", "\\", [](S) { return Text(); })));
}

TEST(FolderMacros, RunTimeFoldersAreAskedForOnlyWhenUsed) {
    Machine m;
    ExpandFolderMacrosWith("<RunTimeDir_1>a<RunTimeDir_3><InstallDir>", "\\", m.Lookup());
    EXPECT_EQ(m.asked[S::RunTime1], 1);
    EXPECT_EQ(m.asked[S::RunTime2], 0);
    EXPECT_EQ(m.asked[S::RunTime3], 1);
}

TEST(DateMacro, CodesAndThePlaceholder) {
    DateFields d;
    d.year = 2026, d.month = 3, d.day = 7, d.daysSince2000 = 9562;
    d.monthName = "March", d.dateSeparator = ".";
    struct Case {
        const char* text;
        const char* expanded;
    };
    const Case cases[] = {
        {"<Date=#>", "07.March.2026"},
        {"<Date=0>", "9562"},
        {"<Date=1>", "07-03-26"},
        {"<Date=2>", "03-07-26"},
        {"<Date=3>", "26-03-07"},
        {"<Date=4>", "07-03-2026"},
        {"<Date=5>", "03-07-2026"},
        {"<Date=6>", "2026-03-07"},
        {"log <date=6>.txt", "log 2026-03-07.txt"},
        {"<Date=1><Date=2>", "07-03-26<Date=2>"}, // the first only
        {"<Date=9>", "<Date=9>"},
        {"<Date=1", "<Date=1"},
        {"<Date=1x>", "<Date=1x>"}, // ">" must follow the code
        {"<Date=>", "<Date=>"},
        {"no date", "no date"},
    };
    for (const Case& c : cases) EXPECT_EQ(ExpandDateMacroWith(c.text, d), c.expanded) << c.text;
    EXPECT_EQ(FormatDateCodeOf('7', d), "");
    d.year = 2005, d.month = 11, d.day = 30;
    EXPECT_EQ(FormatDateCodeOf('3', d), "05-11-30");
}

TEST(PathShape, RootsAndAncestors) {
    struct Case {
        const char* path;
        bool root;
    };
    const Case roots[] = {
        {"C:\\", true},   {"\\\\srv\\share", true},     {"\\\\srv\\share\\", true},
        {"C:\\x", false}, {"\\\\srv\\share\\x", false}, {"", false}};
    for (const Case& c : roots) EXPECT_EQ(IsRootPath(c.path), c.root) << c.path;
    EXPECT_TRUE(IsSameOrAncestor("C:\\", "C:\\windows"));
    EXPECT_TRUE(IsSameOrAncestor("c:\\Windows", "C:\\windows\\system32"));
    EXPECT_TRUE(IsSameOrAncestor("C:\\windows", "C:\\WINDOWS"));
    EXPECT_FALSE(IsSameOrAncestor("C:\\win", "C:\\windows"));
    EXPECT_FALSE(IsSameOrAncestor("C:\\windows\\system32", "C:\\windows"));
    EXPECT_FALSE(IsSameOrAncestor("", "C:\\windows"));
}
