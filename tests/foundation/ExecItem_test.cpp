#include "ExecItem.h"

#include <gtest/gtest.h>

#include <vector>

#include "ExecItemBuilder.h"

using namespace zk;
using zktest::BuildExecItem;
using zktest::ExecItemDef;

namespace {

// Conditions answer by their first parameter: "yes" true, "no" false, "left" true while
// passes remain. Operations fail for a first parameter "fail"; 99 raises the exit request.
class FakeServices : public ExecServices {
  public:
    std::vector<Text> calls;
    int passesLeft = 0;
    bool dll = false;

    Text ExpandMacros(const Text& t) override { return ReplaceAll(t, "<T>", "C:\\T"); }
    bool TestCondition(int id, const Text& p, const Text& r, const Text& v) override {
        calls.push_back("C" + IntToStr(id) + ":" + p + "," + r + "," + v);
        if (p == "left") return passesLeft-- > 0;
        return p == "yes";
    }
    bool PerformOperation(int id, const Text& p1, const Text& p2, const Text& p3,
                          bool& exitRequest) override {
        calls.push_back("O" + IntToStr(id) + ":" + p1 + "," + p2 + "," + p3);
        if (id == 99) exitRequest = true;
        return p1 != "fail";
    }
    bool HasDllAliases() override { return dll; }
    bool CallDllAlias(int stage, const Text& a, const Text& t1, const Text& t2,
                      const Text& t3) override {
        calls.push_back("D" + IntToStr(stage) + ":" + a + ":" + t1 + "," + t2 + "," + t3);
        return t1 == "yes";
    }
    void WaitLoopDelay(int ms) override { calls.push_back("W" + IntToStr(ms)); }
    void Trace(const Text& line) override { traces.push_back(line); }
    // The run's stop, asked for once that many calls were made (the user's exit in a pump).
    bool StopRequested() override {
        return stopAfterCalls >= 0 && static_cast<int>(calls.size()) >= stopAfterCalls;
    }
    std::vector<Text> traces;
    int stopAfterCalls = -1;
};

struct ItemResult {
    bool result;
    bool exitRequest;
    Text log;
};

ItemResult RunItem(FakeServices& fake, const ExecItemDef& def, int stage = 1) {
    ItemResult r{};
    r.result = RunExecuteItemWith(fake, BuildExecItem(def), stage, r.exitRequest, r.log);
    return r;
}

ExecItemDef ConditionalItem() {
    ExecItemDef s;
    s.name = "Check";
    s.cond[0] = {"", "File Found", "yes", "", ""};
    s.slot[0] = {"1", "Delete File(s)", "<T>\\a.txt", "", ""};
    s.slot[1] = {"1", "Copy File(s)", "<T>\\a.txt", "<T>\\b.txt", ""};
    s.slot[2] = {"1", "Display Message", "no", "", ""};
    s.slot[3] = {"1", "Wait (MS)", "fail", "", ""};
    return s;
}

} // namespace

TEST(ExecEngine, GoldenLogOfAConditionalItemTakingTheElseBranch) {
    FakeServices fake;
    ExecItemDef s = ConditionalItem();
    s.join[0] = "1";
    s.cond[1] = {"", "File Version is", "<T>\\x.exe", ">=", "1.2"};
    ItemResult r = RunItem(fake, s);
    EXPECT_FALSE(r.result); // slot 4 failed
    EXPECT_EQ(r.log, "  Check\r\n"
                     "    IF File Found  yes  (TRUE)\r\n"
                     "    and\r\n"
                     "    IF File Version is  C:\\T\\x.exe >= 1.2  (FALSE)\r\n"
                     "      Result: FALSE\r\n"
                     "\r\n"
                     "    ELSE Display Message (no)  (TRUE)\r\n"
                     "    ELSE Wait (MS) (fail)  (FALSE)\r\n");
    EXPECT_EQ(r.log, GetExecLog());
}

TEST(ExecEngine, GoldenLogOfTheThenBranchShowsOnlyTheParametersTheLineKeeps) {
    FakeServices fake;
    ExecItemDef s = ConditionalItem();
    s.slot[1] = {"1", "Replace Text in File", "<T>\\f.txt", "old", "new"};
    ItemResult r = RunItem(fake, s);
    EXPECT_TRUE(r.result);
    EXPECT_EQ(r.log, "  Check\r\n"
                     "    IF File Found  yes  (TRUE)\r\n"
                     "      Result: TRUE\r\n"
                     "\r\n"
                     "    THEN Delete File(s) (C:\\T\\a.txt)  (TRUE)\r\n"
                     "    THEN Replace Text in File (C:\\T\\f.txt,new)  (TRUE)\r\n");
    // The operation itself gets every parameter.
    EXPECT_EQ(fake.calls.back(), "O76:C:\\T\\f.txt,old,new");
}

TEST(ExecEngine, OperationLinesShowTheSecondParameterOnlyForTheirIds) {
    struct Case {
        const char* name;
        int id;
        const char* line;
    };
    const Case cases[] = {
        {"Copy File(s)", 12, "    DO Copy File(s) (a,b,c)  (TRUE)"},
        {"Remove Registry Value", 66, "    DO Remove Registry Value (a,c)  (TRUE)"},
        {"Write INI Item", 71, "    DO Write INI Item (a,b,c)  (TRUE)"},
        {"Shell Execute (Hide)", 44, "    DO Shell Execute (Hide) (a,b,c)  (TRUE)"},
        {"Own", -1, "    DO Own (a,c)  (TRUE)"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(OperationLogLine("DO", c.name, c.id, "a", "b", "c", true), c.line) << c.name;
    EXPECT_EQ(OperationLogLine("AND THEN", "Exit", 99, "", "", "", false),
              "    AND THEN Exit  (FALSE)");
    EXPECT_EQ(OperationLogLine("THEN", "Delete INI Item", 72, "", "k", "", true),
              "    THEN Delete INI Item (k)  (TRUE)");
    EXPECT_EQ(OperationLogLine("THEN", "Remove Directory", 21, "", "k", "", true),
              "    THEN Remove Directory  (TRUE)");
}

TEST(ExecEngine, ConditionLinesShowRelationAndValueOnlyForTheirIds) {
    EXPECT_EQ(ConditionLogLine(false, "Registry Value Found", 42, "K", "", "V", true),
              "    IF Registry Value Found  K  V  (TRUE)");
    EXPECT_EQ(ConditionLogLine(true, "Text Found in File", 14, "f", "=", "V", false),
              "    IF NOT Text Found in File  f  (FALSE)");
    EXPECT_EQ(ConditionLogLine(false, "Memory Size is (MB)", 51, "", ">", "64", true),
              "    IF Memory Size is (MB)   > 64  (TRUE)");
}

TEST(ExecEngine, StageNamesAndKinds) {
    struct Case {
        const char* stage;
        int number;
    };
    const Case stages[] = {{"Setup Start", 1},   {"  setup start ", 1}, {"After Destination", 12},
                           {"UnInstall End", 6}, {"Setup", 0},          {"", 0}};
    for (const Case& c : stages) EXPECT_EQ(ExecuteStageNumber(c.stage), c.number) << c.stage;
    struct Kind {
        const char* kind;
        int number;
    };
    const Kind kinds[] = {{"Conditional", 0},
                          {" while LOOP ", 2},
                          {"UnConditional", 1},
                          {"1", 1},
                          {"0", 0},
                          {"2", 0},
                          {"Loop", 0},
                          {"", 0}};
    for (const Kind& k : kinds)
        EXPECT_EQ(GetExecuteItemKind("|||||" + Text(k.kind) + "|"), k.number) << k.kind;
}

TEST(ExecEngine, AnItemOfAnotherStageDoesNothing) {
    FakeServices fake;
    ExecItemDef s = ConditionalItem();
    s.stage = "Before Copy";
    AddExecLogLine("left over");
    ItemResult r = RunItem(fake, s, 1);
    EXPECT_TRUE(r.result);
    EXPECT_EQ(r.log, "");
    EXPECT_EQ(GetExecLog(), "");
    EXPECT_TRUE(fake.calls.empty());
    s.stage = " before copy";
    EXPECT_EQ(RunItem(fake, s, 2).log.substr(0, 9), "  Check\r\n");
}

TEST(ExecEngine, ConditionsJoinLeftToRightWithoutShortCircuit) {
    struct Case {
        const char* c1;
        const char* j1;
        const char* c2;
        const char* j2;
        const char* c3;
        bool result;
        int evaluated;
    };
    const Case cases[] = {
        {"yes", "1", "no", "3", "yes", true, 3},      // (T and F) xor T
        {"no", "1", "yes", "2", "yes", true, 3},      // (F and T) or T: no precedence
        {"yes", "2", "no", "1", "no", false, 3},      // (T or F) and F
        {"no", "1", "no", "1", "no", false, 3},       // F and ... still asks every condition
        {"yes", "", "no", "1", "no", true, 1},        // empty join ends after condition 1
        {"yes", "2", "no", "x", "no", true, 2},       // other join ends after condition 2
        {"yes", "3junk", "yes", "0", "no", false, 2}, // only the first character counts
    };
    for (const Case& c : cases) {
        FakeServices fake;
        ExecItemDef s = ConditionalItem();
        s.cond[0].param = c.c1, s.cond[1] = {"", "Drive Found", c.c2, "", ""};
        s.cond[2] = {"", "Exe is Running", c.c3, "", ""};
        s.join[0] = c.j1, s.join[1] = c.j2;
        ItemResult r = RunItem(fake, s);
        int evaluated = 0;
        for (const Text& call : fake.calls) evaluated += call[0] == 'C';
        EXPECT_EQ(evaluated, c.evaluated) << c.c1 << c.j1 << c.c2 << c.j2 << c.c3;
        EXPECT_NE(r.log.find(c.result ? "Result: TRUE" : "Result: FALSE"), Text::npos) << r.log;
    }
}

TEST(ExecEngine, MacrosExpandInParameterAndValueButNotInTheRelation) {
    FakeServices fake;
    ExecItemDef s = ConditionalItem();
    s.cond[0] = {"", "Registry Value is", "<T>", "<T>", "<T>"};
    RunItem(fake, s);
    EXPECT_EQ(fake.calls[0], "C43:C:\\T,<T>,C:\\T");
}

TEST(ExecEngine, UnknownNamesGoToTheExtensionLibraryOnlyWhenItHasAliases) {
    FakeServices fake;
    ExecItemDef s = ConditionalItem();
    s.cond[0] = {"1", "My Check", "yes", "r", "v"};
    s.slot[2] = {"0", "", "", "", ""};
    s.slot[3] = {"1", "My Op", "a", "b", "c"};
    ItemResult r = RunItem(fake, s);
    // Without aliases: false, so true when negated; the operation does nothing and succeeds.
    EXPECT_NE(r.log.find("    IF NOT My Check  yes  (TRUE)\r\n"), Text::npos) << r.log;
    EXPECT_TRUE(r.result);
    EXPECT_EQ(fake.calls.size(), 2u); // the two THEN slots only
    fake.calls.clear();
    fake.dll = true;
    r = RunItem(fake, s, 1);
    EXPECT_EQ(fake.calls[0], "D1:My Check:yes,r,v");
    EXPECT_EQ(fake.calls[1], "D1:My Op:a,b,"); // an operation gets two texts
    EXPECT_FALSE(r.result);                    // the alias answered false for "a"
}

TEST(ExecEngine, DisabledSlotsAreSkippedAndCountAsTrue) {
    FakeServices fake;
    ExecItemDef s = ConditionalItem();
    s.slot[0].p1 = "fail";
    s.slot[1].enabled = "yes"; // only exactly "1" enables
    ItemResult r = RunItem(fake, s);
    EXPECT_TRUE(r.result); // slot 1 failed, but only the second slot decides
    EXPECT_EQ(r.log.find("Copy File(s)"), Text::npos);
    EXPECT_EQ(fake.calls.size(), 2u); // the condition and slot 1
}

TEST(ExecEngine, ExitInSlotOneOfAnUnconditionalItemStillRunsSlotsTwoToFour) {
    FakeServices fake;
    ExecItemDef s = ConditionalItem();
    s.kind = "UnConditional";
    s.slot[0] = {"1", "Exit", "", "", ""};
    ItemResult r = RunItem(fake, s);
    EXPECT_TRUE(r.exitRequest);
    EXPECT_FALSE(r.result); // slot 4's result
    ASSERT_EQ(fake.calls.size(), 4u);
    EXPECT_EQ(fake.calls[0], "O99:,,");
    EXPECT_EQ(fake.calls[3], "O92:fail,,");
    EXPECT_EQ(r.log, "  Check\r\n"
                     "    THEN Exit  (TRUE)\r\n"
                     "    THEN Copy File(s) (C:\\T\\a.txt,C:\\T\\b.txt)  (TRUE)\r\n"
                     "    THEN Display Message (no)  (TRUE)\r\n"
                     "    THEN Wait (MS) (fail)  (FALSE)\r\n");
}

// A stop asked for while an operation or the loop delay pumped: nothing more is done, and the
// exit request ends the stage; a loop without limit ends too.
TEST(ExecEngine, TheRunsStopEndsTheItemAfterThePumpThatSawIt) {
    struct Case {
        const char* kind;
        int stopAfterCalls;
        std::vector<Text> calls;
    } cases[] = {
        {"UnConditional", 1, {"O11:C:\\T\\a.txt,,"}},
        {"While Loop",
         4,
         {"C11:yes,,", "O11:C:\\T\\a.txt,,", "O12:C:\\T\\a.txt,C:\\T\\b.txt,", "W7"}},
    };
    for (const Case& c : cases) {
        FakeServices fake;
        fake.stopAfterCalls = c.stopAfterCalls;
        ExecItemDef s = ConditionalItem();
        s.kind = c.kind, s.count = "0", s.delay = "7";
        ItemResult r = RunItem(fake, s);
        EXPECT_EQ(fake.calls, c.calls) << c.kind;
        EXPECT_TRUE(r.exitRequest) << c.kind;
    }
}

TEST(ExecEngine, WhileLoopPassesAndItsEnds) {
    struct Case {
        const char* count;
        const char* cond;
        int passesLeft;
        bool exitInLoop;
        int passes;
        bool exitRequest;
    };
    const Case cases[] = {
        {"3", "yes", 0, false, 3, false},  // the count limits
        {"0", "left", 2, false, 2, false}, // no limit: the condition ends it
        {"-1", "left", 4, false, 4, false},
        {"x", "no", 0, false, 0, false}, // false at once: only the AND THEN slots
        {"0", "yes", 0, true, 1, true},  // no limit, always true: Exit ends it
        {"5", "left", 2, false, 2, false},
    };
    for (const Case& c : cases) {
        FakeServices fake;
        fake.passesLeft = c.passesLeft;
        ExecItemDef s = ConditionalItem();
        s.kind = "While Loop", s.count = c.count, s.delay = "7";
        s.cond[0].param = c.cond;
        if (c.exitInLoop) s.slot[1] = {"1", "Exit", "", "", ""};
        ItemResult r = RunItem(fake, s);
        int slot1 = 0, waits = 0, andThen = 0;
        for (const Text& call : fake.calls) {
            slot1 += call.rfind("O11:", 0) == 0;
            waits += call == "W7";
        }
        for (size_t p = r.log.find("AND THEN"); p != Text::npos; p = r.log.find("AND THEN", p + 1))
            ++andThen;
        EXPECT_EQ(slot1, c.passes) << c.count << c.cond;
        EXPECT_EQ(waits, c.exitInLoop ? 0 : c.passes) << c.count << c.cond;
        EXPECT_EQ(andThen, 2) << r.log;
        EXPECT_EQ(r.exitRequest, c.exitRequest);
        EXPECT_FALSE(r.result); // slot 4 fails
        EXPECT_EQ(r.log.find("Result:"), Text::npos);
    }
}

TEST(ExecEngine, TheLogStopsGrowingAtItsLimit) {
    FakeServices fake;
    ExecItemDef s = ConditionalItem();
    s.kind = "While Loop", s.count = "400";
    s.slot[0].p1 = Text(60, 'a');
    s.slot[2] = {"1", "Exit", "", "", ""};
    ItemResult r = RunItem(fake, s);
    int performed = 0;
    for (const Text& call : fake.calls) performed += call.rfind("O11:", 0) == 0;
    EXPECT_EQ(performed, 400); // the items still run, only the log is cut
    EXPECT_GE(r.log.size(), kExecLogLimit);
    EXPECT_LT(r.log.size(), kExecLogLimit + 120);
    EXPECT_EQ(r.log.substr(r.log.size() - 2), "\r\n"); // the crossing line is kept whole
    EXPECT_EQ(r.log.find("AND THEN"), Text::npos);     // later lines are dropped
    EXPECT_TRUE(r.exitRequest);
}

TEST(ExecEngine, TraceLinesOfARun) {
    FakeServices fake;
    ExecItemDef s = ConditionalItem();
    s.slot[1].enabled = "0";
    RunItem(fake, s);
    EXPECT_EQ(fake.traces, std::vector<Text>({"Stage=1", "Performing Execute: Check   ", "DlgLvl=0",
                                              "TRUE  >Delete File(s)< >C:\\T\\a.txt< >< ><",
                                              "OpResult=TRUE", "ExitReq=FALSE", ""}));
    fake.traces.clear();
    s.stage = "Setup End";
    RunItem(fake, s);
    EXPECT_TRUE(fake.traces.empty()); // another stage: nothing at all
}
