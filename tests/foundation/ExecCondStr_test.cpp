#include "ExecCondStr.h"
#include "ExecHost.h"

#include <gtest/gtest.h>

#include <set>

using namespace zk;

TEST(ExecTables, NamesFindTheirRowsInAnyCaseButNotPadded) {
    struct Case {
        const char* name;
        int row;
        int id;
    };
    const Case conditions[] = {{"File Found", 0, 11},        {"fILE fOUND", 0, 11},
                               {" File Found", -1, -1},      {"Company Name is", 30, 76},
                               {"HWindow is Found", 11, 35}, {"", -1, -1}};
    for (const Case& c : conditions) {
        EXPECT_EQ(FindConditionType(c.name), c.row) << c.name;
        EXPECT_EQ(ConditionIdOf(c.name), c.id) << c.name;
    }
    const Case operations[] = {{"Delete File(s)", 0, 11},
                               {"exit", 43, 99},
                               {"Replace Text in File", 38, 76},
                               {"Exit ", -1, -1},
                               {"Create Registry Value (Hex)", 31, 65}};
    for (const Case& c : operations) {
        EXPECT_EQ(FindOperationType(c.name), c.row) << c.name;
        EXPECT_EQ(OperationIdOf(c.name), c.id) << c.name;
    }
}

TEST(ExecTables, RangesAndFieldsAsStored) {
    EXPECT_EQ(ConditionTypeFirst(), 0);
    EXPECT_EQ(ConditionTypeLast(), 30);
    EXPECT_EQ(OperationTypeFirst(), 0);
    EXPECT_EQ(OperationTypeLast(), 43);
    EXPECT_EQ(ConditionTypeId(31), -1);
    EXPECT_EQ(OperationTypeId(-1), -1);
    EXPECT_EQ(ConditionTypeName(31), "");
    EXPECT_EQ(ConditionTypeField(2, 2), " 5"); // one-digit kind codes carry a blank
    EXPECT_EQ(ConditionTypeField(30, 8), "Enter Comapny Name");
    EXPECT_EQ(ConditionTypeField(14, 10), "Enter value - String or Integer");
    EXPECT_EQ(OperationTypeField(4, 10), "Enter Required File Atributes");
    EXPECT_EQ(OperationTypeField(37, 10),
              "Enter text to be added (\\\\n for NewLine  \\\\t for TAB)");
    EXPECT_EQ(OperationTypeName(43), "Exit");
    EXPECT_EQ(OperationTypeField(43, 9), "");
}

TEST(ExecTables, IdsAreTwoDigitsAndUniquePerTableAndEveryRowHasAName) {
    auto check = [](int first, int last, int (*id)(int), Text (*name)(int)) {
        std::set<int> seen;
        for (int row = first; row <= last; ++row) {
            EXPECT_GE(id(row), 10) << row;
            EXPECT_LE(id(row), 99) << row;
            EXPECT_TRUE(seen.insert(id(row)).second) << row;
            EXPECT_NE(name(row), "") << row;
        }
    };
    check(ConditionTypeFirst(), ConditionTypeLast(), ConditionTypeId, ConditionTypeName);
    check(OperationTypeFirst(), OperationTypeLast(), OperationTypeId, OperationTypeName);
}

TEST(ExecHostCallbacks, WithoutHostActionsSucceedAndVariablesAreEmpty) {
    SetExecHostCallbacks(nullptr, nullptr);
    EXPECT_TRUE(CallExecHostAction("SetStupType", "Custom", "", ""));
    EXPECT_EQ(GetExecHostVariable("UserName"), "");
    EXPECT_EQ(GetHostSetupType(), "Typical");
}

TEST(ExecHostCallbacks, HostAnswersUntilCleared) {
    Text seen;
    SetExecHostCallbacks(
        [&](const Text& a, const Text& x, const Text& y, const Text& z) {
            seen = a + "," + x + "," + y + "," + z;
            return false;
        },
        [](const Text& name) { return name == "SetupType" ? Text("Custom") : Text(); });
    EXPECT_FALSE(CallExecHostAction("SetFolderTo", "Common Folder", "C:\\x", ""));
    EXPECT_EQ(seen, "SetFolderTo,Common Folder,C:\\x,");
    EXPECT_EQ(GetHostSetupType(), "Custom");
    EXPECT_EQ(GetExecHostVariable("UserName"), "");
    // A reader only, as the uninstall window installs it.
    SetExecHostCallbacks(nullptr, [](const Text&) { return Text("Ann"); });
    EXPECT_TRUE(CallExecHostAction("SetStupType", "Custom", "", ""));
    EXPECT_EQ(GetExecHostVariable("UserName"), "Ann");
    SetExecHostCallbacks(nullptr, nullptr);
    EXPECT_EQ(GetExecHostVariable("UserName"), "");
}
