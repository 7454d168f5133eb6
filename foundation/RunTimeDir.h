// The three run-time folders a setup script may declare: each found on the target machine
// (App Paths, a registry value, a file or folder on the drives, a default) the first time its
// macro is expanded, then served from a cache until its definition is set again.
#pragma once
#include "Utils.h"

#include <functional>

namespace zk {

void SetRunTimeDirDefs(const Text& def1, const Text& def2, const Text& def3);
void SetRunTimeDirDef(int n, const Text& def); // n 1..3; the next use resolves again
Text GetRunTimeDir1();
Text GetRunTimeDir2();
Text GetRunTimeDir3();
// The folder without trailing backslash, or "" (after the not-found box and abort request
// when the definition asks for them).
Text ResolveRunTimeDir(const Text& def);
// Set once a required folder was not found; never reset.
bool RunTimeDirAbortRequested();

// Shows the not-found text; the own error box unless replaced (a test records it instead).
using NotFoundBox = std::function<void(const Text& text)>;
void SetRunTimeDirBox(NotFoundBox box);

Text ReadAppPathsFolder(const Text& programName);
Text ReadRegistryPathValue(const Text& address);

} // namespace zk
