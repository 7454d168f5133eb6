// The host window's two callbacks for execute items (pure text): an action callback
// ("SetFolderTo", "SetStupType") and a variable reader ("SetupType", "GroupNameString",
// "UserName", "CompanyName"). One pair per process; main thread only.
#pragma once
#include <functional>

#include "Utils.h"

namespace zk {

using ExecHostAction =
    std::function<bool(const Text& action, const Text& arg1, const Text& arg2, const Text& arg3)>;
using ExecHostVariable = std::function<Text(const Text& name)>;

// Replaces both; empty functions clear them. A host clears them before it is destroyed.
void SetExecHostCallbacks(ExecHostAction action, ExecHostVariable reader);
// True without calling anything when no action callback is installed.
bool CallExecHostAction(const Text& action, const Text& arg1, const Text& arg2, const Text& arg3);
// Empty when no reader is installed.
Text GetExecHostVariable(const Text& name);
// The host's "SetupType", "Typical" when it gives none.
Text GetHostSetupType();

} // namespace zk
