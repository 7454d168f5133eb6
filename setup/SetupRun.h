// The install engine's run from process start to end: the process-status library check, the
// script, the language, the start checks, the running-product warning, the companion files,
// the wizard and its message loop, and what the wizard left for the end (launch, follow-up
// command, restart).
#pragma once
#include "SScript.h"

namespace zk {

// Exit codes of the program.
inline constexpr int SetupExitDone = 0;    // the wizard ran (or the Setup Start stage ended it)
inline constexpr int SetupExitRefused = 1; // missing script or a failed start check

int ProgramMain();
// On the NT family: whether "psapi.dll" loads. Nothing is ever written: the system's own
// copy serves, else the running-program tests take the ToolHelp path.
bool InstallPsapiDll();
int RunSetup();

bool IsOsAllowed(const TScript& script);
bool CheckAdminRights(const TScript& script);
bool CheckDotNetFramework(const TScript& script);
void WarnIfProgramRunning(const TScript& script);
void ReadOriginalInfoFiles(TScript& script);
bool IsBackgroundUpdateMode();

// The administrator test of CheckAdminRights; the test host replaces it.
using AdminTest = bool (*)();
void SetAdminTest(AdminTest test);

} // namespace zk
