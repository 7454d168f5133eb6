#include "ExecItem.h"

#include "ExecCondStr.h"

namespace zk {

namespace {

const char kStageNames[] = "|Setup Start|Before Copy|After Copy|Setup End|UnInstall Start|"
                           "UnInstall End|Before Setup Type|After Setup Type|Before Custom|"
                           "After Custom|Before Destination|After Destination|";
const char kKindNames[] = "|Conditional|UnConditional|While Loop|0|1|";

// Header fields.
constexpr int kItemNameField = 1, kStageField = 2, kLoopCountField = 3, kKindField = 4,
              kDelayField = 5;
constexpr int kConditionNotField[] = {6, 11, 16};
constexpr int kConditionNameField[] = {7, 12, 17};
constexpr int kJoinField[] = {9, 14}; // before conditions 2 and 3
constexpr int kSlotEnabledField[] = {19, 22, 25, 28};
constexpr int kSlotNameField[] = {20, 23, 26, 29};
// Parameter record: first field of condition n and of slot n; three fields each.
constexpr int kConditionParamField[] = {1, 5, 9};
constexpr int kSlotParamField[] = {13, 16, 19, 22};

// Conditions whose log line shows the relation and the value.
constexpr int kRelationLogged[] = {23, 34, 42, 43, 51, 52, 53, 54, 63};
// Operations whose log line shows parameter 2.
bool ShowsSecondParam(int id) {
    return (id >= 12 && id <= 14) || id == 24 || id == 25 || (id >= 34 && id <= 44) || id == 53 ||
           (id >= 63 && id <= 65) || id == 71 || id == 72;
}

Text gExecLog;

const char* TrueFalse(bool b) {
    return b ? "TRUE" : "FALSE";
}

struct ItemRun {
    ExecServices& services;
    int stage;
    const Text& header;
    const Text& params;
    bool& exitRequest;

    bool EvaluateCondition(int n);
    bool EvaluateConditions();
    bool PerformOperation(const char* kindWord, int slot);
    bool RunBody();
    bool Stopped();
};

// The run was asked to stop while something pumped (a wait, a box): the item does no more,
// and its exit request tells the stage to end.
bool ItemRun::Stopped() {
    if (!services.StopRequested()) return false;
    exitRequest = true;
    return true;
}

bool ItemRun::EvaluateCondition(int n) {
    const bool negated = ListItem(header, kConditionNotField[n]) == "1";
    const Text name = ListItem(header, kConditionNameField[n]);
    const int f = kConditionParamField[n];
    const Text param = services.ExpandMacros(ListItem(params, f));
    const Text relation = ListItem(params, f + 1);
    const Text value = services.ExpandMacros(ListItem(params, f + 2));
    const int id = ConditionIdOf(name);
    bool result = false;
    if (id != -1)
        result = services.TestCondition(id, param, relation, value);
    else if (services.HasDllAliases())
        result = services.CallDllAlias(stage, name, param, relation, value);
    if (negated) result = !result;
    AddExecLogLine(ConditionLogLine(negated, name, id, param, relation, value, result));
    return result;
}

// ((c1 join c2) join c3), left to right, every condition reached evaluated in full.
bool ItemRun::EvaluateConditions() {
    bool r = EvaluateCondition(0);
    for (int j = 0; j < 2; ++j) {
        const Text join = ListItem(header, kJoinField[j]);
        const char c = join.empty() ? '0' : join[0];
        static const char* const kJoinWords[] = {"and", "or", "xor"};
        if (c < '1' || c > '3') return r;
        AddExecLogLine(Text("    ") + kJoinWords[c - '1']);
        const bool next = EvaluateCondition(j + 1);
        if (c == '1') r = r && next;
        if (c == '2') r = r || next;
        if (c == '3') r = r != next;
    }
    return r;
}

bool ItemRun::PerformOperation(const char* kindWord, int slot) {
    if (Stopped()) return false;
    if (ListItem(header, kSlotEnabledField[slot]) != "1") return true;
    const Text name = ListItem(header, kSlotNameField[slot]);
    const int f = kSlotParamField[slot];
    const Text p1 = services.ExpandMacros(ListItem(params, f));
    const Text p2 = services.ExpandMacros(ListItem(params, f + 1));
    const Text p3 = services.ExpandMacros(ListItem(params, f + 2));
    services.Trace("TRUE  >" + name + "< >" + p1 + "< >" + p2 + "< >" + p3 + "<");
    const int id = OperationIdOf(name);
    bool result = true;
    if (id != -1)
        result = services.PerformOperation(id, p1, p2, p3, exitRequest);
    else if (services.HasDllAliases())
        result = services.CallDllAlias(stage, name, p1, p2, Text());
    services.Trace(Text("OpResult=") + TrueFalse(result));
    AddExecLogLine(OperationLogLine(kindWord, name, id, p1, p2, p3, result));
    return result;
}

bool ItemRun::RunBody() {
    const int kind = GetExecuteItemKind(header);
    services.Trace("DlgLvl=" + IntToStr(kind));
    if (kind == kExecUnConditional) {
        for (int slot = 0; slot < 3; ++slot) PerformOperation("THEN", slot);
        return PerformOperation("THEN", 3);
    }
    if (kind == kExecWhileLoop) {
        int count = StrToIntDef(ListItem(header, kLoopCountField), 0);
        const int delay = StrToIntDef(ListItem(header, kDelayField), 0);
        // A count above 0 limits the passes; otherwise the conditions alone end the loop.
        // An exit request ends it too: a loop without limit could not end otherwise.
        while (!Stopped() && EvaluateConditions()) {
            PerformOperation("DO", 0);
            PerformOperation("DO", 1);
            if (exitRequest) break;
            services.WaitLoopDelay(delay);
            if (count > 0 && --count == 0) break;
        }
        PerformOperation("AND THEN", 2);
        return PerformOperation("AND THEN", 3);
    }
    const bool c = EvaluateConditions();
    AddExecLogLine(Text("      Result: ") + TrueFalse(c));
    AddExecLogLine("");
    const int first = c ? 0 : 2;
    const char* word = c ? "THEN" : "ELSE";
    PerformOperation(word, first);
    return PerformOperation(word, first + 1);
}

} // namespace

int ExecuteStageNumber(const Text& stageName) {
    return ListIndexOf(kStageNames, stageName) + 1;
}

int GetExecuteItemStage(const Text& header) {
    return ExecuteStageNumber(ListItem(header, kStageField));
}

int GetExecuteItemKind(const Text& header) {
    const int k = ListIndexOf(kKindNames, ListItem(header, kKindField));
    if (k == 3 || k == 4) return k - 3;
    return k < 0 ? kExecConditional : k;
}

void ClearExecLog() {
    gExecLog.clear();
}

void AddExecLogLine(const Text& line) {
    if (gExecLog.size() < kExecLogLimit) gExecLog += line + "\r\n";
}

Text GetExecLog() {
    return gExecLog;
}

Text ConditionLogLine(bool negated, const Text& name, int id, const Text& param,
                      const Text& relation, const Text& value, bool result) {
    Text line = Text("    IF ") + (negated ? "NOT " : "") + name + "  " + param + " ";
    for (int logged : kRelationLogged)
        if (logged == id) line += relation + " " + value + " ";
    return line + " (" + TrueFalse(result) + ")";
}

Text OperationLogLine(const Text& kindWord, const Text& name, int id, const Text& p1,
                      const Text& p2, const Text& p3, bool result) {
    Text line = "    " + kindWord + " " + name;
    Text shown;
    for (const Text* p : {&p1, ShowsSecondParam(id) ? &p2 : nullptr, &p3}) {
        if (!p || p->empty()) continue;
        shown += (shown.empty() ? "" : ",") + *p;
    }
    if (!shown.empty()) line += " (" + shown + ")";
    return line + "  (" + TrueFalse(result) + ")";
}

bool RunExecuteItemWith(ExecServices& services, const Text& item, int stage, bool& exitRequest,
                        Text& log) {
    ClearExecLog();
    log.clear();
    exitRequest = false;
    const Text header = ListItem(item, 0), params = ListItem(item, 1);
    if (GetExecuteItemStage(header) != stage) return true;
    services.Trace("Stage=" + IntToStr(stage));
    services.Trace("Performing Execute: " + ListItem(header, kItemNameField) + "   ");
    AddExecLogLine("  " + ListItem(header, kItemNameField));
    ItemRun run{services, stage, header, params, exitRequest};
    const bool result = run.RunBody();
    services.Trace(Text("ExitReq=") + TrueFalse(exitRequest));
    services.Trace("");
    log = GetExecLog();
    return result;
}

} // namespace zk
