// The selection rules as tables: setup type x group fields x list size -> selected groups,
// names, files and required space; the space figures; the list items from the script.
#include "FileFlags.h"
#include "Files.h"
#include "SScriptRead.h"
#include "SSelect.h"

#include <gtest/gtest.h>

#include <clocale>
#include <string>
#include <utility>
#include <vector>

using namespace zk;

namespace {

// name, description, KB, files, partial KB, -, typical, compact, by default, required
const char GroupA[] = "|A|a|100|3|40||1|0|1|0|"; // typical, checked by default
const char GroupB[] = "|B|b|200|5|60||0|1|0|0|"; // compact
const char GroupC[] = "|C|c|300|2|70||0|0|0|1|"; // required
const char GroupD[] = "|D|d|abc|x|y||1|1|1|0|";  // numbers that are none

const char BothPages[] = "SET_DIALOGS(WelcomeDlg,SetupTypeDlg,CustomDlg,DestinationDlg)";

TScript MakeScript(const std::vector<std::string>& lines, const std::vector<const char*>& groups) {
    Text text;
    for (const std::string& l : lines) text += l + "\r\n";
    for (const char* g : groups) text += Text("SET_GROUP_DATA(") + g + ")\r\n";
    TScript s;
    ReadScriptText(s, text, [](const Text& m) { ADD_FAILURE() << m; });
    return s;
}

} // namespace

TEST(SSelect, SelectionRules) {
    using T = SetupType;
    struct Case {
        const char* what;
        std::vector<std::string> lines;
        std::vector<const char*> groups;
        T type;
        std::vector<std::pair<int, bool>> clicks; // the user's, after the list is filled
        const char *typeName, *mask, *names;
        int files;
        long double kb;
    };
    const std::vector<std::string> pages = {BothPages};
    const std::vector<std::string> cd = {BothPages, "SET_CD_SETUP()"};
    const std::vector<std::string> partial = {BothPages, "SET_FORCE_PARTIAL_SETUP()"};
    const std::vector<const char*> ab = {GroupA, GroupB}, b = {GroupB}, none = {};
    const Case cases[] = {
        {"typical", pages, ab, T::Typical, {}, "Typical", "10", "|A|", 3, 100},
        {"compact", pages, ab, T::Compact, {}, "Compact", "01", "|B|", 5, 200},
        {"custom defaults", pages, ab, T::Custom, {}, "Custom", "10", "|A|", 3, 100},
        {"custom changed",
         pages,
         ab,
         T::Custom,
         {{0, false}, {1, true}},
         "Custom",
         "01",
         "|B|",
         5,
         200},
        {"custom nothing", pages, ab, T::Custom, {{0, false}}, "Custom", "00", "", 0, 0},
        {"no button", pages, ab, T::None, {}, "", "11", "|A|B|", 8, 300},
        {"cd typical", cd, ab, T::Typical, {}, "Complete", "11", "|A|B|", 8, 300},
        // Partial counts every group's partial size.
        {"cd compact", cd, ab, T::Compact, {}, "Partial", "11", "|A|B|", 8, 100},
        {"cd custom", cd, ab, T::Custom, {{0, false}}, "Custom", "11", "|A|B|", 8, 300},
        {"forced typical", partial, ab, T::Typical, {}, "Partial", "10", "|A|", 3, 100},
        {"forced custom", partial, ab, T::Custom, {{1, true}}, "Partial", "11", "|A|B|", 8, 100},
        {"forced none", partial, ab, T::None, {}, "Partial", "11", "|A|B|", 8, 100},
        // One group is installed whatever the type says, and cannot be unticked.
        {"one typical", pages, b, T::Typical, {}, "Typical", "1", "|B|", 5, 200},
        {"one custom", pages, b, T::Custom, {{0, false}}, "Custom", "1", "|B|", 5, 200},
        {"one cd partial", cd, b, T::Compact, {}, "Partial", "1", "|B|", 5, 60},
        {"empty typical", pages, none, T::Typical, {}, "Typical", "", "", 0, 0},
        {"empty custom", pages, none, T::Custom, {{0, true}}, "Custom", "", "", 0, 0},
        {"empty partial", partial, none, T::Custom, {}, "Partial", "", "", 0, 0},
        // A required group stays checked under Custom.
        {"required",
         pages,
         {GroupA, GroupB, GroupC},
         T::Custom,
         {{2, false}},
         "Custom",
         "101",
         "|A|C|",
         5,
         400},
        {"required typical",
         pages,
         {GroupA, GroupC},
         T::Typical,
         {},
         "Typical",
         "10",
         "|A|",
         3,
         100},
        {"not numbers", pages, {GroupD, GroupB}, T::Typical, {}, "Typical", "10", "|D|", 0, 0},
        {"not numbers partial",
         partial,
         {GroupD, GroupB},
         T::Typical,
         {},
         "Partial",
         "10",
         "|D|",
         0,
         60},
        // Without both pages every group is checked and Custom is the type.
        {"no pages",
         {"SET_DIALOGS(WelcomeDlg,DestinationDlg)"},
         ab,
         T::Typical,
         {},
         "Custom",
         "11",
         "|A|B|",
         8,
         300},
        {"no page list", {}, ab, T::Compact, {}, "Custom", "11", "|A|B|", 8, 300},
        // A components page without a type page: Custom with the defaults.
        {"custom page only",
         {"SET_DIALOGS(WelcomeDlg,CustomDlg)"},
         ab,
         T::Typical,
         {},
         "Custom",
         "10",
         "|A|",
         3,
         100},
        {"type page only",
         {"SET_DIALOGS(SetupTypeDlg)"},
         ab,
         T::Compact,
         {},
         "Compact",
         "01",
         "|B|",
         5,
         200},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TScript s = MakeScript(c.lines, c.groups);
        ComponentSelection sel;
        sel.type = c.type;
        FillComponentSelection(s, sel);
        ASSERT_EQ(sel.items.size(), c.groups.size());
        for (auto [index, checked] : c.clicks) SetComponentChecked(sel, index, checked);
        EXPECT_EQ(GetSetupTypeName(s, sel.type), c.typeName);
        EXPECT_EQ(GetSelectionMask(s, sel), c.mask);
        EXPECT_EQ(GetGroupNames(s, sel), c.names);
        EXPECT_EQ(CountSelectedFiles(s, sel), c.files);
        EXPECT_EQ(GetRequiredSpace(s, sel, SpaceKilobytes), c.kb);
        EXPECT_EQ(GetRequiredSpace(s, sel, SpaceBytes), c.kb * 1024);
        EXPECT_EQ(GetRequiredSpace(s, sel, SpaceMegabytes), c.kb / 1024);
        // Outside the list every index counts as selected.
        EXPECT_TRUE(IsComponentSelected(s, sel, -1));
        EXPECT_TRUE(IsComponentSelected(s, sel, static_cast<int>(c.groups.size())));
    }
}

TEST(SSelect, ListItemsAndGreyedGroups) {
    TScript s = MakeScript({BothPages}, {GroupA, GroupB, GroupC});
    ComponentSelection sel;
    FillComponentSelection(s, sel);
    ASSERT_EQ(sel.items.size(), 3u);
    EXPECT_TRUE(sel.items[0].checked && sel.items[0].enabled);
    EXPECT_TRUE(!sel.items[1].checked && sel.items[1].enabled);
    EXPECT_TRUE(sel.items[2].checked && !sel.items[2].enabled);
    EXPECT_TRUE(SetComponentChecked(sel, 1, true));
    EXPECT_FALSE(SetComponentChecked(sel, 2, false));
    EXPECT_FALSE(SetComponentChecked(sel, 3, true));
    EXPECT_FALSE(SetComponentChecked(sel, -1, true));
    EXPECT_TRUE(sel.items[1].checked && sel.items[2].checked);
    // The type chosen on the type page stays when the list is filled again.
    sel.type = SetupType::Compact;
    FillComponentSelection(s, sel);
    EXPECT_EQ(sel.type, SetupType::Compact);
    EXPECT_FALSE(sel.items[1].checked);

    // The only group of a list is shown checked and greyed, though not checked by default.
    TScript one = MakeScript({BothPages}, {GroupB});
    FillComponentSelection(one, sel);
    ASSERT_EQ(sel.items.size(), 1u);
    EXPECT_TRUE(sel.items[0].checked && !sel.items[0].enabled);

    GroupFields f = ReadGroupFields(GroupC);
    EXPECT_EQ(f.name, "C");
    EXPECT_EQ(f.sizeKb, 300);
    EXPECT_EQ(f.files, 2);
    EXPECT_EQ(f.partialKb, 70);
    EXPECT_TRUE(f.required && !f.byDefault && !f.typical && !f.compact);
    EXPECT_EQ(ComponentSizeText(GroupB), "200 KB");
    EXPECT_EQ(ComponentSizeText(GroupD), "abc KB");
    EXPECT_EQ(ComponentDescriptionText("|N|one\\\\ntwo\\\\n\\\\nthree|1|"),
              "one\r\ntwo\r\n\r\nthree");
    EXPECT_EQ(ComponentDescriptionText("|N|a\\nb|1|"), "a\\nb"); // one backslash is text
}

TEST(SSelect, SpaceFigures) {
    struct Case {
        long double mb;
        const char* text;
    };
    const Case cases[] = {
        {0, "0.000"},
        {300.0L / 1024, "0.293"},
        {1, "1.00"},
        {10, "10.00"},
        {12, "12.0"},
        {0.0005L, "0.001"},
        {0.9994L, "0.999"},
        {9.994L, "9.99"},
        {10.04L, "10.0"},
        {1023.96L, "1024.0"},
        {-0.5L, "0.000"},
        {123456.78L, "123456.8"},
        {1.0L / 1024, "0.001"},
    };
    for (const Case& c : cases) EXPECT_EQ(FormatSpaceFigure(c.mb), c.text) << double(c.mb);
    // The user's locale never changes the separator.
    if (std::setlocale(LC_ALL, "German_Germany.1252") || std::setlocale(LC_ALL, "de-DE")) {
        EXPECT_EQ(FormatSpaceFigure(300.0L / 1024), "0.293");
        std::setlocale(LC_ALL, "C");
    }

    EXPECT_EQ(AvailableSpaceText("", 5e9), "0.0");
    EXPECT_EQ(AvailableSpaceText("C:\\x", 12.0 * 1048576), "12.0");
    EXPECT_EQ(AvailableSpaceText("C:\\x", -1), "0.000");
    // A letter that is no drive.
    EXPECT_EQ(AvailableSpaceText("Q:\\Program", GetDiskFree("Q:\\Program")), "0.000");
    EXPECT_TRUE(SpaceFiguresOnLeft(177) && SpaceFiguresOnLeft(178));
    EXPECT_FALSE(SpaceFiguresOnLeft(0) || SpaceFiguresOnLeft(186));
}

TEST(SSelect, RequiredSpaceAnnouncedOrSelected) {
    TScript s = MakeScript({BothPages}, {"|A|a|512|1|0||1|0|1|0|", "|B|b|512|1|0||1|0|1|0|"});
    ComponentSelection sel;
    FillComponentSelection(s, sel);
    struct Case {
        const char* announced; // SET_SPACE_REQ_ON_DRIVE or an execute item, in MB
        const char* text;
    };
    const Case cases[] = {
        {"0", "1.00"}, {"12", "12.0"}, {"0.25", "0.250"}, {"-0.5", "0.000"}, {"10", "10.00"}};
    for (const Case& c : cases) {
        SetSpaceRequired(c.announced, SpaceMegabytes, '.');
        EXPECT_EQ(RequiredSpaceText(s, sel), c.text) << c.announced;
    }
    SetSpaceRequired("0", SpaceMegabytes, '.');
    sel.type = SetupType::Compact; // neither group is Compact
    EXPECT_EQ(RequiredSpaceText(s, sel), "0.000");
}

TEST(SSelect, AssociationItems) {
    TScript s = MakeScript({"SET_ADD_ASSOCIATION_ITEM(|txtfile|Text Document|.txt||notepad %1|||"
                            "Create|Remove|)",
                            "SET_ADD_ASSOCIATION_ITEM(#zk.doc#Zk Document#zkd#)"},
                           {});
    std::vector<AssociationItem> items = FillAssociationItems(s);
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(items[0].extension, ".txt");
    EXPECT_EQ(items[0].description, "Text Document");
    EXPECT_EQ(items[1].extension, "zkd");
    EXPECT_EQ(items[1].description, "Zk Document");
    EXPECT_TRUE(items[0].checked && items[1].checked);
    EXPECT_TRUE(FillAssociationItems(MakeScript({}, {})).empty());
}
