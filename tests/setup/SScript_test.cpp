#include "SKeywords.h"
#include "SScript.h"
#include "SScriptRead.h"

#include <gtest/gtest.h>

#include <cstring>
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
        {"99999999999", 0, 1}, {"-$80000000", INT_MIN, INT_MIN},
        {"$80000000", 0, 1},   {"$FFFFFFFF", 0, 1},
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

namespace {

// The script's vocabulary, written out independently of the table: a misspelt or missing
// keyword, or one stored the wrong way, shows here.
std::vector<Text> Words(const char* text) {
    std::vector<Text> words;
    for (const char* p = text; *p;) {
        const char* end = std::strchr(p, ' ');
        if (!end) end = p + std::strlen(p);
        words.emplace_back(p, end);
        p = *end ? end + 1 : end;
    }
    return words;
}

const char* const TextKeywords =
    "SET_PROG_NAME SET_COMPOSER_BUILD SET_BG_BITMAP_FILE_NAME SET_BG_WAVE_FILE_NAME "
    "SET_DIALOG_BITMAP_FILE_NAME SET_TOP_LABEL_SIDE SET_TOP_LABEL_FONT SET_TOP_LABEL_SIDE_2 "
    "SET_TOP_LABEL_FONT_2 SET_TOP_LABEL_SIZE SET_TOP_LABEL_STYLE SET_BOTTOM_LABEL_SIDE "
    "SET_BOTTOM_LABEL_SIZE SET_BOTTOM_LABEL_FONT SET_BOTTOM_LABEL_STYLE SET_BG_BITMAP_LOCATION "
    "SET_BG_WAVE_LOCATION SET_BG_WAVE_LOOP SET_BG_WAVE_DELAY SET_BG_WAVE_SLIDER "
    "SET_DIALOG_LOCATION SET_LANG_NAMES SET_DELIVERY_FILES SET_COMPANY_URL "
    "SET_ORIGINAL_INFO_FILE_NAME SET_AUTO_UPDATE_EXE_FILE_NAME SET_LICENSE_FILE_NAME "
    "SET_README_FILE_NAME SET_README_FILE_NAME_2 SET_EXECUTION_DLL_NAME SET_SPACE_REQ_ON_DRIVE "
    "SET_TOP_LABEL_TEXT SET_TOP_LABEL_TEXT_2 SET_BOTTOM_LABEL_TEXT SET_PROG_VERSION "
    "SET_COMPANY_NAME SET_COPYRIGHT_NOTICE SET_TOP_BG_COLOR SET_BOTTOM_BG_COLOR "
    "SET_PROG_EXE_NAME SET_TARGET_DIR SET_COMMON_DIR SET_AUX_DIR SET_PROG_STAMP "
    "SET_RUN_TIME_DIR_1 SET_RUN_TIME_DIR_2 SET_RUN_TIME_DIR_3 SET_START_PROGRAM_LINK_FOLDER "
    "SET_START_PROGRAM_LINK_NAME SET_START_PROGRAM_LINK_PARAM SET_START_PROGRAM_LINK_WORKDIR "
    "SET_START_PROGRAM_LINK_RUN SET_START_PROGRAM_LINK_ICON_FILE SET_START_PROGRAM_LINK_ICON_NUM "
    "SET_START_MENU_LINK_NAME SET_DESKTOP_LINK_NAME SET_SENDTO_LINK_NAME SET_STARTUP_LINK_NAME "
    "SET_QUICK_LAUNCH_LINK_NAME SET_BILLBOARD_DATA SET_OPEN_WITH_NAME SET_OPEN_WITH_MENU_TEXT "
    "SET_OPEN_WITH_EXTENSIONS SET_ALLOWED_OS";
const char* const FlagKeywords =
    "SET_BG_BITMAP_TRANSPARENT SET_DIALOG_BITMAP_3D_FRAME SET_DIALOG_STYLE_MODERN "
    "SET_TOP_LABEL_VER SET_RUN_AUTO_UPDATE_AT_STARTUP SET_SETUP_BACKGROUND "
    "SET_REGISTER_AS_APPLICATION SET_SPLIT_SETUP SET_BOTTOM_BG_COLOR_REQ SET_ALL_USERS "
    "SET_FORCE_REMOVE_SHORTCUT_FOLDER SET_REQUEST_USER_NAME SET_REQUEST_COMPANY_NAME "
    "SET_CD_SETUP SET_SHOW_COMPACT_SETUP SET_FORCE_PARTIAL_SETUP SET_SHOW_PROG_BAR_2 "
    "SET_USE_NOTEPAD SET_PROPOSE_README SET_PROPOSE_LAUNCH SET_PROPOSE_RESTART "
    "SET_PROPOSE_README_CHECKED SET_PROPOSE_LAUNCH_CHECKED SET_SHOW_CLOSE_RECOMMENDATION "
    "SET_SHOW_ADWARE_DISCLAIMER SET_SHOW_COPYRIGHT_WARNING SET_ADD_BILLBOARD SET_OPEN_WITH "
    "SET_USE_COPY SET_SILENT_SETUP SET_TEST_ADMIN_RIGHTS SET_TEST_ADMIN_RIGHTS_UNINSTALL "
    "SET_TEST_FOR_DOT_NET_FRAMEWORK SET_TEST_EXE_BEFORE_INSTALL SET_TEST_EXE_BEFORE_UNINSTALL "
    "SET_CREATE_UNINSTALL SET_SCRAMBLE_UNINSTALL SET_HIDE_ERR_MSG_UNINSTALL "
    "SET_HIDE_LOG_BTN_UNINSTALL SET_CREATE_SETUP_LOG";

struct ListKeyword {
    const char* name;
    const TextList& (TScript::*list)() const;
};
const ListKeyword ListKeywords[] = {
    {"SET_START_PROGRAM_LINK_ITEM", &TScript::GetProgramGroupItems},
    {"SET_BILLBOARD_FILE", &TScript::GetBillboardFiles},
    {"SET_DIALOG_IMAGE", &TScript::GetPageImages},
    {"SET_PERFORM_REGISTRY_OP", &TScript::GetRegistryRows},
    {"SET_PERFORM_INIFILE_OP", &TScript::GetIniRows},
    {"SET_PERFORM_ENVIRONMENT_OP", &TScript::GetEnvironmentRows},
    {"SET_PERFORM_EXECUTE_OP", &TScript::GetExecuteItems},
    {"SET_ADD_ASSOCIATION_ITEM", &TScript::GetAssociationRows},
    {"SET_WIN_EXEC", &TScript::GetProgramRuns},
    {"SET_START_SERVICE", &TScript::GetServiceStarts},
    {"SET_STOP_SERVICE", &TScript::GetServiceStops},
};

struct NumberKeyword {
    const char* name;
    int notNumber; // stored for a word; -1: a word is ignored
};
const NumberKeyword NumberKeywords[] = {
    {"SET_BG_BITMAP_DX", 0},
    {"SET_BG_BITMAP_DY", 0},
    {"SET_DIALOG_DX", 0},
    {"SET_DIALOG_DY", 0},
    {"SET_LANG_FLAG", 1},
    {"SET_OVERWRITE_FLAG", -1},
    {"SET_GLOBAL_OVERWRITE_FLAG", -1},
};

struct LineKeyword {
    const char* name;
    const char* line; // for the argument "Arg"
};
const LineKeyword UninstallKeywords[] = {
    {"SET_REMOVE_REG_KEY", "REMOVE_REG_KEY(Arg)"},
    {"SET_REMOVE_ABSOLUTE_FILE", "REMOVE_FILE(Arg)"},
    {"SET_REMOVE_ABSOLUTE_DIR", "REMOVE_DIR(Arg)"},
    {"SET_FORCE_REMOVE_ABSOLUTE_DIR", "FORCE_REMOVE_DIR(Arg)"},
    {"SET_FORCE_REMOVE_TARGET_SUB_DIR", "FORCE_REMOVE_DIR(<TARGET_DIR>\\Arg)"},
    {"SET_FORCE_REMOVE_TARGET_DIR", "FORCE_REMOVE_DIR(<TARGET_DIR>)"},
};

const char* const StructuralKeywords =
    "SET_GROUP_DATA SET_SUB_DIR SET_COPY_FILES SET_DIALOGS SET_COPY_TO_UNINSTALL";

const KeywordRow* RowOf(const Text& keyword) {
    for (const KeywordRow& row : KeywordTable::Rows())
        if (row.name == keyword) return &row;
    return nullptr;
}

// One script line, the keyword written in lower case as authors may; boxes are failures.
TScript ReadLine(const Text& keyword, const Text& argument) {
    TScript s;
    ReadScriptText(s, "SET_GROUP_DATA(|g|)\r\n" + LowerCase(keyword) + "(" + argument + ")",
                   [&](const Text& box) { ADD_FAILURE() << box; });
    return s;
}

} // namespace

TEST(KeywordTable, EveryKeywordOfTheScriptIsStoredAsItsKindSays) {
    std::set<Text> seen;
    auto row = [&](const Text& keyword, KeywordKind kind) {
        EXPECT_TRUE(seen.insert(keyword).second) << keyword;
        const KeywordRow* r = RowOf(keyword);
        EXPECT_TRUE(r && r->kind == kind) << keyword;
        return r && r->kind == kind ? r : nullptr;
    };
    for (const Text& k : Words(TextKeywords)) {
        if (const KeywordRow* r = row(k, KeywordKind::Text)) {
            EXPECT_EQ(ReadLine(k, " a;b ").*r->text, " a;b ") << k;
        }
    }
    for (const Text& k : Words(FlagKeywords))
        if (const KeywordRow* r = row(k, KeywordKind::Flag)) {
            EXPECT_FALSE(TScript().*r->flag) << k;
            EXPECT_TRUE(ReadLine(k, "0").*r->flag) << k;
        }
    for (const ListKeyword& k : ListKeywords)
        if (row(k.name, KeywordKind::Append)) {
            TScript s = ReadLine(k.name, "|1|x|");
            EXPECT_EQ((s.*k.list)(), TextList{"|1|x|"}) << k.name;
        }
    for (const NumberKeyword& k : NumberKeywords)
        if (const KeywordRow* r = row(k.name, KeywordKind::Integer)) {
            EXPECT_EQ(ReadLine(k.name, "$3").*r->number, 3) << k.name;
            const int before = TScript().*r->number;
            EXPECT_EQ(ReadLine(k.name, "word").*r->number, k.notNumber < 0 ? before : k.notNumber)
                << k.name;
        }
    for (const LineKeyword& k : UninstallKeywords) {
        if (row(k.name, KeywordKind::UninstallLine)) {
            EXPECT_EQ(ReadLine(k.name, "Arg").GetUninstallLines(), TextList{k.line}) << k.name;
        }
    }
    for (const Text& k : Words(StructuralKeywords)) row(k, KeywordKind::Structural);
    EXPECT_EQ(seen.size(), 133u);
    EXPECT_EQ(KeywordTable::Rows().size(), seen.size()) << "the table holds no other keyword";
}
