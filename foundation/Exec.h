// Runs execute items on this machine: the built-in condition tests and operations, the host's
// extension DLL for names outside the tables, folder macros in the parameters, loop delays
// that pump messages, and trace lines to the debug channel.
#pragma once
#include "ExecDll.h"
#include "ExecItem.h"

namespace zk {

// Runs the item when its stage is the one asked for; true when it does not match. The exit
// request is set when an "Exit" operation ran; the log is the item's ExecLog. The binding may
// be null (no extension DLL).
bool RunExecuteItem(TExecDll* binding, const Text& item, int stage, bool& exitRequest, Text& log);

} // namespace zk
