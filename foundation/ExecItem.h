// One execute item of the setup script (pure text): its header and parameter records, the
// stage it runs at, the join of its conditions, its operation slots and loop, and the ExecLog
// it leaves. Conditions, operations, folder macros and waits come in through ExecServices.
#pragma once
#include "Utils.h"

namespace zk {

enum ExecuteKind { kExecConditional = 0, kExecUnConditional = 1, kExecWhileLoop = 2 };

// 1..12 by name ("Setup Start" ... "After Destination", trimmed, any case); 0 when unknown.
int ExecuteStageNumber(const Text& stageName);
int GetExecuteItemStage(const Text& header);
int GetExecuteItemKind(const Text& header);

// The log of the item being run, module-wide. Lines are dropped once it holds 10240
// characters; the line that crosses the limit is kept whole.
constexpr size_t kExecLogLimit = 10240;
void ClearExecLog();
void AddExecLogLine(const Text& line);
Text GetExecLog();

// The log line of a condition (id -1 for one of the extension library) and of an operation.
Text ConditionLogLine(bool negated, const Text& name, int id, const Text& param,
                      const Text& relation, const Text& value, bool result);
Text OperationLogLine(const Text& kindWord, const Text& name, int id, const Text& p1,
                      const Text& p2, const Text& p3, bool result);

// What the engine needs from the machine and the host.
class ExecServices {
  public:
    virtual ~ExecServices() = default;
    virtual Text ExpandMacros(const Text& text) = 0;
    virtual bool TestCondition(int id, const Text& param, const Text& relation,
                               const Text& value) = 0;
    virtual bool PerformOperation(int id, const Text& p1, const Text& p2, const Text& p3,
                                  bool& exitRequest) = 0;
    virtual bool HasDllAliases() = 0;
    virtual bool CallDllAlias(int stage, const Text& alias, const Text& t1, const Text& t2,
                              const Text& t3) = 0;
    virtual void WaitLoopDelay(int milliseconds) = 0;
    virtual void Trace(const Text& line) = 0;
    // The run was asked to stop (the user's exit during a wait or a box): no operation more.
    virtual bool StopRequested() { return false; }
};

// Runs the item when its stage is the one asked for; true when it does not match. The log
// is the item's ExecLog (empty when the stage did not match).
bool RunExecuteItemWith(ExecServices& services, const Text& item, int stage, bool& exitRequest,
                        Text& log);

} // namespace zk
