#include "Process.h"
#include "Global.h"
#include "Handles.h"
#include "SysLibs.h"
#include "U_DEBUG0.h"
#include "UtilPlus.h"

#include <shellapi.h>
#include <tlhelp32.h>

namespace zk {

namespace {

// Neither library is there on every system the engines run on (PSAPI is missing on a bare
// NT 4, ToolHelp on NT 4 altogether), so both are looked up when first used.
struct PsapiFunctions {
    BOOL(WINAPI* enumProcesses)(DWORD*, DWORD, DWORD*) = nullptr;
    BOOL(WINAPI* enumProcessModules)(HANDLE, HMODULE*, DWORD, DWORD*) = nullptr;
    DWORD(WINAPI* moduleFileName)(HANDLE, HMODULE, LPSTR, DWORD) = nullptr;
    DWORD(WINAPI* moduleBaseName)(HANDLE, HMODULE, LPSTR, DWORD) = nullptr;
    bool Complete() const {
        return enumProcesses && enumProcessModules && moduleFileName && moduleBaseName;
    }
};

template <typename F> void Bind(F& f, HMODULE module, const char* name) {
    f = module ? reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module, name)))
               : nullptr;
}

const PsapiFunctions& Psapi() {
    static const PsapiFunctions f = [] {
        PsapiFunctions p;
        HMODULE module = LoadSystemLibrary("psapi.dll"); // kept for the life of the process
        Bind(p.enumProcesses, module, "EnumProcesses");
        Bind(p.enumProcessModules, module, "EnumProcessModules");
        Bind(p.moduleFileName, module, "GetModuleFileNameExA");
        Bind(p.moduleBaseName, module, "GetModuleBaseNameA");
        return p;
    }();
    return f;
}

struct ToolHelpFunctions {
    HANDLE(WINAPI* snapshot)(DWORD, DWORD) = nullptr;
    BOOL(WINAPI* first)(HANDLE, PROCESSENTRY32*) = nullptr;
    BOOL(WINAPI* next)(HANDLE, PROCESSENTRY32*) = nullptr;
};

const ToolHelpFunctions& ToolHelp() {
    static const ToolHelpFunctions f = [] {
        ToolHelpFunctions t;
        HMODULE kernel = GetModuleHandleA("kernel32.dll");
        Bind(t.snapshot, kernel, "CreateToolhelp32Snapshot");
        Bind(t.first, kernel, "Process32First");
        Bind(t.next, kernel, "Process32Next");
        return t;
    }();
    return f;
}

// Texts that no real path or name can equal.
const Text NoShortPath = "*XX*", NoName = "*X*";

Text ShortPathOr(const Text& path, const Text& none) {
    char buf[MAX_PATH + 1];
    DWORD n = GetShortPathNameA(path.c_str(), buf, sizeof buf);
    return n > 0 && n < sizeof buf ? Text(buf, n) : none;
}

struct Sought {
    Text text, shortText;
    bool skipName;
};

bool Matches(const Sought& s, const Text& path, const Text& name) {
    return TextEquals(s.text, path) || TextEquals(s.text, s.skipName ? NoName : name) ||
           TextEquals(ShortPathOr(path, ""), s.shortText);
}

Text FileNamePart(const Text& path) {
    size_t cut = LastCharOf(path, "\\");
    return cut == Text::npos ? path : path.substr(cut + 1);
}

// The full and base name of the process's first module; false when it cannot be read.
bool ReadProcessNames(DWORD id, Text& full, Text& base) {
    const PsapiFunctions& p = Psapi();
    UniqueHandle process(OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, id));
    HMODULE first = nullptr;
    DWORD needed = 0;
    if (!process || !p.enumProcessModules(process.get(), &first, sizeof first, &needed))
        return false;
    char buf[MAX_PATH + 1];
    DWORD n = p.moduleFileName(process.get(), first, buf, sizeof buf);
    if (n == 0) return false;
    full.assign(buf, n);
    n = p.moduleBaseName(process.get(), first, buf, sizeof buf);
    base.assign(buf, n);
    return true;
}

} // namespace

DWORD FindProcess9x(const Text& program, bool skipName) {
    const ToolHelpFunctions& t = ToolHelp();
    if (program.empty() || !t.snapshot) return 0;
    Sought s{program, ShortPathOr(program, NoShortPath), skipName};
    UniqueFile snapshot(t.snapshot(TH32CS_SNAPPROCESS, 0)); // INVALID_HANDLE_VALUE on failure
    if (!snapshot) return 0;
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = t.first(snapshot.get(), &entry); more; more = t.next(snapshot.get(), &entry)) {
        Text path = entry.szExeFile;
        if (Matches(s, path, FileNamePart(path))) return entry.th32ProcessID;
    }
    return 0;
}

std::vector<DWORD> GetProcessIdList() {
    const PsapiFunctions& p = Psapi();
    if (!p.Complete()) return {};
    std::vector<DWORD> ids(256);
    for (;;) {
        DWORD bytes = 0, size = static_cast<DWORD>(ids.size() * sizeof(DWORD));
        if (!p.enumProcesses(ids.data(), size, &bytes)) return {};
        if (bytes < size) {
            ids.resize(bytes / sizeof(DWORD));
            return ids;
        }
        ids.resize(ids.size() + 256); // a full buffer may have cut the list
    }
}

bool IsProcessIdRunning(DWORD id) {
    for (DWORD running : GetProcessIdList())
        if (running == id) return true;
    return false;
}

DWORD FindProcessNT(const Text& program, bool skipName) {
    if (program.empty()) return 0;
    Sought s{program, ShortPathOr(program, NoShortPath), skipName};
    for (DWORD id : GetProcessIdList()) {
        Text full, base;
        if (ReadProcessNames(id, full, base) && Matches(s, full, base)) return id;
    }
    return 0;
}

bool IsRunning9x(const Text& program) {
    return FindProcess9x(program, false) != 0;
}

bool IsProgramRunning(const Text& program) {
    return (IsWinNT() ? FindProcessNT(program, false) : FindProcess9x(program, false)) != 0;
}

namespace {

bool WaitedTooLong(DWORD start, DWORD limitMs, const Text& what) {
    if (!TicksPassed(start, GetTickCount(), limitMs)) return false;
    TraceLine("Wait for " + what + " ended after " + IntToStr(limitMs) + " ms");
    return true;
}

} // namespace

bool WaitForProgramExit(const Text& program, DWORD limitMs) {
    DWORD start = GetTickCount();
    if (IsWinNT()) {
        // By id: a later process of the same program does not extend the wait.
        DWORD id = FindProcessNT(program, false);
        if (id == 0) return true;
        do {
            WaitWithMessages(1000);
            if (!IsProcessIdRunning(id)) return true;
        } while (!WaitedTooLong(start, limitMs, program));
        return false;
    }
    do {
        WaitWithMessages(1000);
        if (!IsRunning9x(program)) return true;
    } while (!WaitedTooLong(start, limitMs, program));
    return false;
}

namespace {

bool IsFile(const Text& path) {
    DWORD a = GetFileAttributesA(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

// Waits on the started process itself, in rounds that keep the caller's windows alive.
void WaitForProcess(HANDLE process, const Text& what) {
    DWORD start = GetTickCount();
    while (WaitForSingleObject(process, 0) == WAIT_TIMEOUT &&
           !WaitedTooLong(start, ProgramWaitLimitMs, what))
        WaitWithMessages(100);
}

Text CurrentFolder() {
    char buf[MAX_PATH + 1];
    DWORD n = GetCurrentDirectoryA(sizeof buf, buf);
    return n > 0 && n < sizeof buf ? Text(buf, n) : Text();
}

} // namespace

Text ProgramCommandLine(const Text& path, const Text& parameters) {
    // Unquoted, "C:\Prog Dir\app.exe" would start a C:\Prog.exe first.
    bool quote =
        path.find(' ') != Text::npos && path[0] != '"' && (IsFile(path) || IsFile(path + ".exe"));
    return (quote ? "\"" + path + "\"" : path) + " " + parameters;
}

bool RunProgram(const Text& path, const Text& parameters, bool wait, int show) {
    Text folder = CurrentFolder();
    Text commandLine = ProgramCommandLine(path, parameters);
    STARTUPINFOA si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESHOWWINDOW;
    si.wShowWindow = static_cast<WORD>(show);
    PROCESS_INFORMATION pi{};
    bool started = CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                  nullptr, &si, &pi);
    if (started) {
        UniqueHandle process(pi.hProcess), thread(pi.hThread);
        if (wait) WaitForProcess(process.get(), path);
    }
    if (!folder.empty()) SetCurrentDirectoryA(folder.c_str());
    return started;
}

bool RunRegisteredApp(const Text& name, const Text& parameters, bool wait, int show) {
    Text path = RegPathReadString(
        "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\" + name, "",
        "");
    return RunProgram(path, parameters, wait, show);
}

bool ShellOpen(const Text& file, const Text& parameters, int show) {
    auto result = reinterpret_cast<INT_PTR>(
        ShellExecuteA(GetDesktopWindow(), nullptr, file.c_str(),
                      parameters.empty() ? nullptr : parameters.c_str(), nullptr, show));
    return result > 32;
}

bool GroupsHoldAdministrators(const TOKEN_GROUPS& groups) {
    SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
    PSID admins = nullptr;
    if (!AllocateAndInitializeSid(&nt, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0,
                                  0, 0, 0, 0, 0, &admins))
        return false;
    bool found = false;
    for (DWORD i = 0; i < groups.GroupCount && !found; ++i)
        found = EqualSid(groups.Groups[i].Sid, admins);
    FreeSid(admins);
    return found;
}

bool IsUserAdmin() {
    UniqueHandle token;
    if (!OpenThreadToken(GetCurrentThread(), TOKEN_QUERY, TRUE, token.put())) {
        if (GetLastError() != ERROR_NO_TOKEN ||
            !OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.put()))
            return false;
    }
    // Asked for the size it needs: a token of many groups does not fit a fixed buffer.
    DWORD size = 0;
    GetTokenInformation(token.get(), TokenGroups, nullptr, 0, &size);
    if (size == 0) return false;
    std::vector<DWORD> buf((size + sizeof(DWORD) - 1) / sizeof(DWORD)); // aligned
    if (!GetTokenInformation(token.get(), TokenGroups, buf.data(), size, &size)) return false;
    return GroupsHoldAdministrators(*reinterpret_cast<const TOKEN_GROUPS*>(buf.data()));
}

bool HasDotNetRuntimeIn(const Text& systemDirWithBackslash) {
    return IsFile(systemDirWithBackslash + "mscoree.dll");
}

bool IsDotNetInstalled() {
    return HasDotNetRuntimeIn(GetSystemDir(true));
}

} // namespace zk
