// Running programs: whether one runs (by full path, file name or short path), waiting for
// its end, starting programs directly, through App Paths or through the shell, and two
// facts about the machine (administrator rights, the .NET runtime).
#pragma once
#include "Utils.h"

#include <windows.h>

#include <vector>

namespace zk {

// Id of the first process whose program the text names; 0 when none or the text is empty.
// `skipName` leaves out the comparison with the program's file name.
DWORD FindProcess9x(const Text& program, bool skipName); // ToolHelp
DWORD FindProcessNT(const Text& program, bool skipName); // PSAPI
std::vector<DWORD> GetProcessIdList();
bool IsProcessIdRunning(DWORD id);
bool IsRunning9x(const Text& program);
bool IsProgramRunning(const Text& program);

// Upper bound of every wait for a program.
inline constexpr DWORD ProgramWaitLimitMs = 2 * 60 * 60 * 1000;
// Polls once a second, pumping messages, until the program no longer runs (true) or the
// bound has passed (false).
bool WaitForProgramExit(const Text& program, DWORD limitMs = ProgramWaitLimitMs);

// Starts "path parameters" with the show command; with `wait`, returns once the started
// process has ended (or the bound passed). True when the program was started.
bool RunProgram(const Text& path, const Text& parameters, bool wait, int show);
// The command line RunProgram starts: the path in quotes when it holds a blank and names an
// existing file, so that no other program along the blanks is started.
Text ProgramCommandLine(const Text& path, const Text& parameters);
bool RunRegisteredApp(const Text& name, const Text& parameters, bool wait, int show);
bool ShellOpen(const Text& file, const Text& parameters, int show);

bool IsUserAdmin();
// True when one of the groups is the Administrators group, whatever its attributes.
bool GroupsHoldAdministrators(const TOKEN_GROUPS& groups);
bool IsDotNetInstalled();
bool HasDotNetRuntimeIn(const Text& systemDirWithBackslash);

} // namespace zk
