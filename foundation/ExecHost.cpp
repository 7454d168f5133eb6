#include "ExecHost.h"

#include <utility>

namespace zk {

namespace {
ExecHostAction gAction;
ExecHostVariable gReader;
} // namespace

void SetExecHostCallbacks(ExecHostAction action, ExecHostVariable reader) {
    gAction = std::move(action);
    gReader = std::move(reader);
}

bool CallExecHostAction(const Text& action, const Text& arg1, const Text& arg2, const Text& arg3) {
    if (!gAction) return true;
    return gAction(action, arg1, arg2, arg3);
}

Text GetExecHostVariable(const Text& name) {
    return gReader ? gReader(name) : Text();
}

Text GetHostSetupType() {
    Text st = GetExecHostVariable("SetupType");
    return st.empty() ? Text("Typical") : st;
}

} // namespace zk
