#include "SKeywords.h"
#include "SScript.h"

#include <gtest/gtest.h>

#include <set>
#include <utility>
#include <vector>

using namespace zk;

namespace {

struct Line {
    const char* keyword;
    const char* argument;
};

// Runs keyword lines through the table; returns the results in order.
std::vector<KeywordResult> Apply(TScript& s, const std::vector<Line>& lines) {
    std::vector<KeywordResult> results;
    for (const Line& l : lines) results.push_back(KeywordTable::Apply(s, l.keyword, l.argument));
    return results;
}

// A setting that has no read operation, through its table row.
int StoredNumber(const TScript& s, const Text& keyword) {
    for (const KeywordRow& row : KeywordTable::Rows())
        if (row.name == keyword) return s.*row.number;
    ADD_FAILURE() << keyword;
    return 0;
}

TextList Entries(const TScript& s, size_t group) {
    return s.GetFileGroups().at(group).entries;
}

} // namespace

TEST(TScript, FreshAndClearedObjectsHoldTheDefaults) {
    TScript used;
    Apply(used, {{"SET_TOP_BG_COLOR", "1"},
                 {"SET_LANG_FLAG", "2"},
                 {"SET_GLOBAL_OVERWRITE_FLAG", "3"},
                 {"SET_OVERWRITE_FLAG", "2"},
                 {"SET_SILENT_SETUP", ""},
                 {"SET_GROUP_DATA", "|g|"},
                 {"SET_SUB_DIR", "<Common Folder>\\x"},
                 {"SET_COPY_FILES", "1*a"},
                 {"SET_DIALOGS", "WelcomeDlg"},
                 {"SET_COPY_TO_UNINSTALL", ""},
                 {"SET_REMOVE_REG_KEY", "k"}});
    used.NextPage();
    used.Clear();
    TScript fresh;
    for (TScript* s : {&used, &fresh}) {
        EXPECT_EQ(s->GetTopBgColor(), "16711680");
        EXPECT_EQ(s->GetBottomBgColor(), "0");
        EXPECT_EQ(s->GetLangFlag(), 1);
        EXPECT_EQ(s->GetGlobalOverwriteFlag(), 1);
        EXPECT_EQ(s->GetOverwriteFlag(), 0);
        EXPECT_FALSE(s->GetSilentSetup());
        EXPECT_FALSE(s->GetCopyToUninstall());
        EXPECT_FALSE(s->GetUsesCommonFolder());
        EXPECT_EQ(s->GetSubDir(), "");
        EXPECT_EQ(s->GetPageIndex(), 0);
        EXPECT_EQ(s->GetPageList(), "");
        EXPECT_TRUE(s->GetFileGroups().empty());
        EXPECT_TRUE(s->GetUninstallLines().empty());
        EXPECT_FALSE(s->ReleaseFileName("a"));
    }
}

TEST(KeywordTable, HoldsEveryKeywordOnceAndStoresEach) {
    auto rows = KeywordTable::Rows();
    ASSERT_EQ(rows.size(), 133u);
    std::set<Text> names;
    for (const KeywordRow& row : rows) {
        EXPECT_TRUE(names.insert(row.name).second) << row.name;
        EXPECT_EQ(UpperCase(row.name), row.name);
        TScript s;
        Apply(s, {{"SET_GROUP_DATA", "|g|"}});
        EXPECT_EQ(KeywordTable::Apply(s, row.name, "7"), KeywordResult::Stored) << row.name;
    }
    // No two keywords feed one setting or list.
    for (size_t i = 0; i < rows.size(); ++i)
        for (size_t j = i + 1; j < rows.size(); ++j) {
            const KeywordRow &a = rows[i], &b = rows[j];
            if (a.kind != b.kind) continue;
            bool same = (a.text && a.text == b.text) || (a.flag && a.flag == b.flag) ||
                        (a.number && a.number == b.number) || (a.list && a.list == b.list);
            EXPECT_FALSE(same) << a.name << " and " << b.name;
        }
    TScript s;
    EXPECT_EQ(KeywordTable::Apply(s, "SET_PROG_NAMES", "x"), KeywordResult::Unknown);
    EXPECT_EQ(KeywordTable::Apply(s, "set_prog_name", "x"), KeywordResult::Unknown)
        << "the reader folds the case, the table matches exactly";
}

TEST(KeywordTable, TextsFlagsAndListsLandInTheirSettings) {
    TScript s;
    Apply(s, {{"SET_PROG_NAME", "First"},
              {"SET_PROG_NAME", "Prog"},
              {"SET_TARGET_DIR", "<ProgramFiles>\\Prog"},
              {"SET_SENDTO_LINK_NAME", "Send"},
              {"SET_START_PROGRAM_LINK_WORKDIR", "<TARGET_DIR>"},
              {"SET_TOP_BG_COLOR", ""},
              {"SET_DIALOG_BITMAP_3D_FRAME", "0"},
              {"SET_SILENT_SETUP", ""},
              {"SET_SILENT_SETUP", "anything"},
              {"SET_PERFORM_REGISTRY_OP", "|r1|"},
              {"SET_PERFORM_REGISTRY_OP", ""},
              {"SET_BILLBOARD_FILE", "b1.rtf"},
              {"SET_DIALOG_IMAGE", "|Welcome|w.bmp|"},
              {"SET_PERFORM_EXECUTE_OP", "|e|"},
              {"SET_START_PROGRAM_LINK_ITEM", "|i|"}});
    EXPECT_EQ(s.GetProgName(), "Prog");
    EXPECT_EQ(s.GetTargetDir(), "<ProgramFiles>\\Prog") << "macros stay unexpanded";
    EXPECT_EQ(s.GetSendToLinkName(), "Send");
    EXPECT_EQ(s.GetStartProgramLinkWorkDir(), "<TARGET_DIR>");
    EXPECT_EQ(s.GetTopBgColor(), "") << "an empty text replaces the default";
    EXPECT_TRUE(s.GetDialogBitmap3DFrame()) << "a flag ignores its argument";
    EXPECT_TRUE(s.GetSilentSetup());
    EXPECT_EQ(s.GetRegistryRows(), (TextList{"|r1|", ""}));
    EXPECT_EQ(s.GetBillboardFiles(), TextList{"b1.rtf"});
    EXPECT_EQ(s.GetPageImages(), TextList{"|Welcome|w.bmp|"});
    EXPECT_EQ(s.GetExecuteItems(), TextList{"|e|"});
    EXPECT_EQ(s.GetProgramGroupItems(), TextList{"|i|"});
}

TEST(KeywordTable, IntegerTexts) {
    struct Case {
        const char* text;
        int dx;   // SET_DIALOG_DX, not a number: 0
        int lang; // SET_LANG_FLAG, not a number: 1
    } cases[] = {
        {"$2", 2, 2},          {" 12", 12, 12},
        {"0x1F", 31, 31},      {"x1f", 31, 31},
        {"-7", -7, -7},        {"+3", 3, 3},
        {"12 ", 0, 1},         {"1 2", 0, 1},
        {"word", 0, 1},        {"", 0, 1},
        {"$", 0, 1},           {"2147483647", 2147483647, 2147483647},
        {"2147483648", 0, 1},  {"-2147483648", INT_MIN, INT_MIN},
        {"99999999999", 0, 1},
    };
    for (const Case& c : cases) {
        TScript s;
        Apply(s, {{"SET_DIALOG_DX", "5"}, {"SET_LANG_FLAG", "2"}});
        Apply(s, {{"SET_DIALOG_DX", c.text}, {"SET_LANG_FLAG", c.text}});
        EXPECT_EQ(StoredNumber(s, "SET_DIALOG_DX"), c.dx) << "'" << c.text << "'";
        EXPECT_EQ(s.GetLangFlag(), c.lang) << "'" << c.text << "'";
    }
}

TEST(KeywordTable, OverwriteModesKeepTheirRange) {
    struct Case {
        const char* text;
        int mode;   // SET_OVERWRITE_FLAG after 3
        int global; // SET_GLOBAL_OVERWRITE_FLAG after 3
    } cases[] = {{"0", 0, 3},  {"4", 4, 4},    {"1", 1, 1},  {"7", 3, 3},
                 {"-1", 3, 3}, {"word", 3, 3}, {"$2", 2, 2}, {"", 3, 3}};
    for (const Case& c : cases) {
        TScript s;
        Apply(s, {{"SET_OVERWRITE_FLAG", "3"}, {"SET_GLOBAL_OVERWRITE_FLAG", "3"}});
        Apply(s, {{"SET_OVERWRITE_FLAG", c.text}, {"SET_GLOBAL_OVERWRITE_FLAG", c.text}});
        EXPECT_EQ(s.GetOverwriteFlag(), c.mode) << c.text;
        EXPECT_EQ(s.GetGlobalOverwriteFlag(), c.global) << c.text;
    }
}

TEST(KeywordTable, CopyRowsAcrossGroupsAndSubFolders) {
    struct Case {
        const char* name;
        std::vector<Line> lines;
        std::vector<TextList> groups;
    } cases[] = {
        {"pending sub-folder flushed into the group still last",
         {{"SET_GROUP_DATA", "|A|"},
          {"SET_SUB_DIR", "X"},
          {"SET_GROUP_DATA", "|B|"},
          {"SET_COPY_FILES", "1*F"}},
         {{"0|X|"}, {"0|X|1*F"}}},
        {"an empty sub-folder keeps the current one",
         {{"SET_GROUP_DATA", "|A|"},
          {"SET_SUB_DIR", "X"},
          {"SET_COPY_FILES", "F"},
          {"SET_SUB_DIR", ""},
          {"SET_COPY_FILES", "G"}},
         {{"0|X|F", "0|X|G"}}},
        {"rows keep the mode stamped when made",
         {{"SET_GROUP_DATA", "|A|"},
          {"SET_OVERWRITE_FLAG", "3"},
          {"SET_COPY_FILES", "F"},
          {"SET_OVERWRITE_FLAG", "9"},
          {"SET_COPY_FILES", "G"},
          {"SET_OVERWRITE_FLAG", "2"}},
         {{"3||F", "3||G"}}},
        {"two sub-folders in a row, the last one pending at the end",
         {{"SET_GROUP_DATA", "|A|"},
          {"SET_SUB_DIR", "X"},
          {"SET_SUB_DIR", "Y"},
          {"SET_COPY_FILES", ""},
          {"SET_SUB_DIR", "Z"}},
         {{"0|X|", "0|Y|"}}},
        {"no group yet: the rows are dropped",
         {{"SET_COPY_FILES", "F"},
          {"SET_SUB_DIR", "X"},
          {"SET_SUB_DIR", "Y"},
          {"SET_GROUP_DATA", "|A|"},
          {"SET_COPY_FILES", "G"}},
         {{"0|Y|G"}}},
    };
    for (const Case& c : cases) {
        TScript s;
        Apply(s, c.lines);
        ASSERT_EQ(s.GetFileGroups().size(), c.groups.size()) << c.name;
        for (size_t g = 0; g < c.groups.size(); ++g)
            EXPECT_EQ(Entries(s, g), c.groups[g]) << c.name;
    }
}

TEST(KeywordTable, ACopyRowWithoutGroupIsRejected) {
    TScript s;
    auto r = Apply(s, {{"SET_COPY_FILES", "1*a.dll"},
                       {"SET_SUB_DIR", "X"},
                       {"SET_SUB_DIR", "Y"},
                       {"SET_GROUP_DATA", "|A|"}});
    EXPECT_EQ(r, (std::vector<KeywordResult>{KeywordResult::Rejected, KeywordResult::Stored,
                                             KeywordResult::Rejected, KeywordResult::Rejected}));
    EXPECT_FALSE(s.ReleaseFileName("a.dll")) << "a dropped row needs no source file";
    EXPECT_EQ(s.GetSubDir(), "Y");
    ASSERT_EQ(s.GetFileGroups().size(), 1u) << "the group itself is kept";
    EXPECT_TRUE(Entries(s, 0).empty());
}

TEST(KeywordTable, SourceFileNamesAndTheirRelease) {
    TScript s;
    Apply(s, {{"SET_GROUP_DATA", "|A|"},
              {"SET_COPY_FILES", "1*a.dll|b.txt|2*x*y"},
              {"SET_GROUP_DATA", "|B|"},
              {"SET_COPY_FILES", "5*A.DLL"}});
    EXPECT_TRUE(s.ReleaseFileName("C:\\src\\a.dll")) << "a second row still needs it";
    EXPECT_FALSE(s.ReleaseFileName("a.dll"));
    EXPECT_FALSE(s.ReleaseFileName("a.dll")) << "released twice";
    EXPECT_FALSE(s.ReleaseFileName("b.txt"));
    EXPECT_FALSE(s.ReleaseFileName("x*y"));
    EXPECT_FALSE(s.ReleaseFileName("y"));
    EXPECT_FALSE(s.ReleaseFileName("never.dll"));
}

TEST(KeywordTable, SubFolderMacrosMarkTheFolders) {
    struct Case {
        const char* folder;
        bool common, auxiliary;
    } cases[] = {{"<Common Folder>\\x", true, false},
                 {"<common folder>\\x", false, false},
                 {"<Auxiliary Folder>", false, true},
                 {"<TARGET_DIR>\\x", false, false}};
    for (const Case& c : cases) {
        TScript s;
        Apply(s, {{"SET_GROUP_DATA", "|A|"}, {"SET_SUB_DIR", c.folder}, {"SET_SUB_DIR", "plain"}});
        EXPECT_EQ(s.GetUsesCommonFolder(), c.common) << c.folder;
        EXPECT_EQ(s.GetUsesAuxiliaryFolder(), c.auxiliary) << c.folder;
    }
}

TEST(KeywordTable, UninstallLines) {
    TScript s;
    Apply(s, {{"SET_REMOVE_REG_KEY", "HKEY_CURRENT_USER\\Software\\P"},
              {"SET_REMOVE_ABSOLUTE_FILE", "C:\\f.txt"},
              {"SET_REMOVE_ABSOLUTE_DIR", "C:\\d"},
              {"SET_FORCE_REMOVE_ABSOLUTE_DIR", "C:\\e"},
              {"SET_FORCE_REMOVE_TARGET_SUB_DIR", "Data"},
              {"SET_FORCE_REMOVE_TARGET_DIR", "ignored"},
              {"SET_COPY_TO_UNINSTALL", ""}});
    EXPECT_EQ(s.GetUninstallLines(),
              (TextList{"REMOVE_REG_KEY(HKEY_CURRENT_USER\\Software\\P)", "REMOVE_FILE(C:\\f.txt)",
                        "REMOVE_DIR(C:\\d)", "FORCE_REMOVE_DIR(C:\\e)",
                        "FORCE_REMOVE_DIR(<TARGET_DIR>\\Data)", "FORCE_REMOVE_DIR(<TARGET_DIR>)"}));
    EXPECT_TRUE(s.GetCopyToUninstall());
}

TEST(TScript, PageListAndItsCursor) {
    TScript none;
    EXPECT_EQ(none.GetCurrentPage(), "");
    EXPECT_FALSE(none.HasPage("WelcomeDlg"));
    EXPECT_FALSE(none.HasPage(","));
    none.SetPageIndex(3);
    none.SelectPage("WelcomeDlg");
    EXPECT_EQ(none.GetPageIndex(), 0);

    TScript empty;
    Apply(empty, {{"SET_DIALOGS", ""}});
    EXPECT_TRUE(empty.HasPage(","));
    EXPECT_EQ(empty.GetCurrentPage(), "");

    TScript s;
    Apply(s, {{"SET_DIALOGS", "Old"}, {"SET_DIALOGS", "WelcomeDlg, LicenseDlg,CustomDlg"}});
    EXPECT_FALSE(s.HasPage("Old")) << "a later list replaces the earlier";
    EXPECT_TRUE(s.HasPage("custom")) << "a substring test, case ignored";
    s.SetPageIndex(1);
    EXPECT_EQ(s.GetCurrentPage(), "LicenseDlg");
    s.SelectPage("LicenseDlg");
    EXPECT_EQ(s.GetPageIndex(), 0) << "the stored item keeps its blank";
    s.SelectPage("customdlg");
    EXPECT_EQ(s.GetPageIndex(), 2);
    EXPECT_EQ(s.GetCurrentPage(), "CustomDlg");
    for (int index : {-1, 3, 1000, INT_MIN, INT_MAX}) {
        s.SetPageIndex(index);
        EXPECT_EQ(s.GetCurrentPage(), "") << index;
    }
    s.SetPageIndex(0);
    s.PrevPage();
    EXPECT_EQ(s.GetPageIndex(), -1);
    EXPECT_EQ(s.GetCurrentPage(), "");
    s.NextPage();
    s.NextPage();
    EXPECT_EQ(s.GetCurrentPage(), "LicenseDlg");
}
