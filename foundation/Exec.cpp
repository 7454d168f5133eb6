#include "Exec.h"

#include "Common.h"
#include "ExecCond.h"
#include "ExecOp.h"
#include "Global.h"
#include "U_DEBUG0.h"

namespace zk {

namespace {

class MachineServices : public ExecServices {
  public:
    explicit MachineServices(TExecDll* binding) : binding_(binding) {}

    Text ExpandMacros(const Text& text) override { return ExpandFolderMacros(text, "\\"); }
    bool TestCondition(int id, const Text& param, const Text& relation,
                       const Text& value) override {
        return zk::TestCondition(id, param, relation, value);
    }
    bool PerformOperation(int id, const Text& p1, const Text& p2, const Text& p3,
                          bool& exitRequest) override {
        return PerformOperationId(id, p1, p2, p3, exitRequest);
    }
    bool HasDllAliases() override { return binding_ && binding_->HasDllAliases(); }
    bool CallDllAlias(int stage, const Text& alias, const Text& t1, const Text& t2,
                      const Text& t3) override {
        return binding_ && binding_->CallDllAlias(stage, alias, t1, t2, t3);
    }
    void WaitLoopDelay(int milliseconds) override {
        WaitWithMessagesSleep(static_cast<DWORD>(GreaterInt(milliseconds, 0)));
    }
    void Trace(const Text& line) override { TraceLine(line); }
    bool StopRequested() override { return IsStopRequested(); }

  private:
    TExecDll* binding_;
};

} // namespace

bool RunExecuteItem(TExecDll* binding, const Text& item, int stage, bool& exitRequest, Text& log) {
    MachineServices services(binding);
    return RunExecuteItemWith(services, item, stage, exitRequest, log);
}

} // namespace zk
