// Binding of the setup author's extension DLL: up to ten condition and ten operation entries,
// each found by the alias text the DLL reports for it. The DLL is loaded around every call.
#pragma once
#include <windows.h>

#include <vector>

#include "Handles.h"
#include "Utils.h"

namespace zk {

class TExecDll {
  public:
    explicit TExecDll(HWND ownerWindow) : OwnerWindow(ownerWindow) {}

    // Collects the condition and then the operation aliases of the library.
    void LoadDllAliases(const Text& libraryPath, bool clearFirst, bool showErrors);
    bool HasDllAliases() const { return !DllAliasMap.empty(); }
    // Runs the first entry collected under the alias; true exactly when it returned 1.
    bool CallDllAlias(int stage, const Text& alias, const Text& t1, const Text& t2, const Text& t3);

    // "alias=|library path|entry name|", in the order collected.
    std::vector<Text> DllAliasMap;
    std::vector<Text> ConditionAliases;
    std::vector<Text> ExecutionAliases;
    HWND OwnerWindow;

  private:
    void CollectDllAliases(std::vector<Text>& aliases, bool showErrors, const Text& libraryPath,
                           const Text& kind);
};

// Only the file-name part of the path counts: the library is taken from the engine's own
// folder, never through the search path. An empty name loads nothing and shows nothing.
UniqueModule LoadExecDll(const Text& libraryPath, bool showErrors);
FARPROC GetExecDllFunction(HMODULE module, const Text& libraryPath, bool showErrors,
                           const Text& exportName);

// The texts of the two error boxes (message markup).
Text DllNotFoundText(const Text& libraryPath);
Text DllFunctionNotFoundText(const Text& exportName, const Text& libraryPath);
// Where LoadExecDll looks for the library: the engine's folder and the file-name part.
Text ExecDllLocation(const Text& libraryPath);

} // namespace zk
