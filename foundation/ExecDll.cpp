#include "ExecDll.h"

#include <cstdint>
#include <cstring>

#include "ZMsgBox.h"

namespace zk {

namespace {

using AliasProc = const char*(__cdecl*)(int32_t index, char* buffer);
using ConditionProc = int32_t(__cdecl*)(HWND owner, int32_t stage, char* param, char* relation,
                                        char* value);
using ExecutionProc = int32_t(__cdecl*)(HWND owner, int32_t stage, char* param1, char* param2);

constexpr int kAliasBufferSize = 256;

// The entries have their own signatures; FARPROC is only the carrier.
template <typename Proc> Proc ProcAs(FARPROC proc) {
    return reinterpret_cast<Proc>(reinterpret_cast<void*>(proc));
}
constexpr int kEntriesPerKind = 10;

void ShowDllError(const Text& text) {
    ShowErrorBox(nullptr, text, "Error", DefaultButtonCaptions);
}

Text FileNamePart(const Text& path) {
    size_t cut = LastCharOf(path, "\\/:");
    return cut == Text::npos ? path : path.substr(cut + 1);
}

Text OwnFolder() {
    char buf[MAX_PATH + 1] = {};
    DWORD n = GetModuleFileNameA(nullptr, buf, MAX_PATH);
    Text path(buf, n < MAX_PATH ? n : 0);
    size_t cut = LastCharOf(path, "\\");
    return cut == Text::npos ? Text() : path.substr(0, cut + 1);
}

// The alias as a text of our own, read before the library goes away. The buffer is ours and
// cleared first; a pointer into the library is read no further than the buffer size.
Text AliasAt(AliasProc proc, int index) {
    char buffer[kAliasBufferSize] = {};
    const char* p = proc(index, buffer);
    buffer[kAliasBufferSize - 1] = 0;
    if (!p) return {};
    return Text(p, strnlen(p, kAliasBufferSize - 1));
}

// A text argument the library may write into.
std::vector<char> ArgBuffer(const Text& t) {
    std::vector<char> b(t.begin(), t.end());
    b.push_back(0);
    return b;
}

} // namespace

Text DllNotFoundText(const Text& libraryPath) {
    return libraryPath + "\\\\n\\\\nDLL File Not Found!";
}

Text DllFunctionNotFoundText(const Text& exportName, const Text& libraryPath) {
    return "Function: \"" + exportName + "\"\\\\n\\\\nNot Found in Library: \"" + libraryPath +
           "\"";
}

Text ExecDllLocation(const Text& libraryPath) {
    Text name = FileNamePart(libraryPath);
    if (name.empty()) return {};
    return OwnFolder() + name;
}

UniqueModule LoadExecDll(const Text& libraryPath, bool showErrors) {
    Text location = ExecDllLocation(libraryPath);
    if (location.empty()) return UniqueModule();
    UniqueModule module(LoadLibraryExA(location.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
    if (!module && showErrors) ShowDllError(DllNotFoundText(libraryPath));
    return module;
}

FARPROC GetExecDllFunction(HMODULE module, const Text& libraryPath, bool showErrors,
                           const Text& exportName) {
    FARPROC proc = module ? GetProcAddress(module, exportName.c_str()) : nullptr;
    if (!proc && showErrors) ShowDllError(DllFunctionNotFoundText(exportName, libraryPath));
    return proc;
}

void TExecDll::LoadDllAliases(const Text& libraryPath, bool clearFirst, bool showErrors) {
    if (clearFirst) {
        ConditionAliases.clear();
        ExecutionAliases.clear();
        DllAliasMap.clear();
    }
    CollectDllAliases(ConditionAliases, showErrors, libraryPath, "Condition");
    CollectDllAliases(ExecutionAliases, showErrors, libraryPath, "Execution");
}

void TExecDll::CollectDllAliases(std::vector<Text>& aliases, bool showErrors,
                                 const Text& libraryPath, const Text& kind) {
    const bool condition = kind == "Condition";
    if (!condition && kind != "Execution") return;
    const Text aliasExport = condition ? "GetConditionAlias" : "GetExecutionAlias";
    const Text prefix = condition ? "GetCondition_" : "SetExecution_";
    UniqueModule module = LoadExecDll(libraryPath, showErrors);
    if (!module) return;
    auto proc =
        ProcAs<AliasProc>(GetExecDllFunction(module.get(), libraryPath, showErrors, aliasExport));
    if (!proc) return;
    for (int i = 0; i < kEntriesPerKind; ++i) {
        Text alias = AliasAt(proc, i);
        if (alias.empty()) continue;
        aliases.push_back(alias);
        DllAliasMap.push_back(alias + "=|" + libraryPath + "|" + prefix + IntToStr(i) + "|");
    }
}

bool TExecDll::CallDllAlias(int stage, const Text& alias, const Text& t1, const Text& t2,
                            const Text& t3) {
    Text entry;
    for (const Text& line : DllAliasMap) {
        if (TextEquals(TextBefore(line, "="), alias)) {
            entry = TextAfter(line, "=");
            break;
        }
    }
    if (entry.empty()) return false;
    const Text libraryPath = ListItem(entry, 0), entryName = ListItem(entry, 1);
    UniqueModule module = LoadExecDll(libraryPath, true);
    if (!module) return false;
    FARPROC proc = GetExecDllFunction(module.get(), libraryPath, true, entryName);
    if (!proc) return false;
    std::vector<char> a1 = ArgBuffer(t1), a2 = ArgBuffer(t2), a3 = ArgBuffer(t3);
    int32_t result;
    if (PosText("Condition", entryName) > 0)
        result = ProcAs<ConditionProc>(proc)(OwnerWindow, stage, a1.data(), a2.data(), a3.data());
    else
        result = ProcAs<ExecutionProc>(proc)(OwnerWindow, stage, a1.data(), a2.data());
    return result == 1;
}

} // namespace zk
