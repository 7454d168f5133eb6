// The install engine's start and its log: Setup.exe started beside a script of 3, 6,000 and
// 60,000 lines (up to 20,000 components), timed from process start until the wizard shows its
// first page; the part that grows with the script (reading it, filling the wizard's lists) is
// timed in this process too, where the ratio of the two sizes should stay near 10. Then
// Setup.log written line by line, 1,000 and 10,000 lines, as the wizard appends them, beside
// the whole-file rewrite per line for comparison.
// Usage: setup_bench   (work files under C:\zkbench\setup, removed afterwards)
#include "BenchClock.h"
#include "BenchTree.h"
#include "ControlIds.h"
#include "Files.h"
#include "Handles.h"
#include "SDialog.h"
#include "SLang.h"
#include "SScriptRead.h"

#include <windows.h>

#include <cstdio>
#include <vector>

using namespace zk;

namespace {

const char Root[] = "C:\\zkbench\\setup";
using zkbench::Median;
using zkbench::Seconds;

Text Dir(const char* name) {
    return Text(Root) + "\\" + name;
}

// A script of `lines` lines: a header, then groups with their copy rows and registry rows.
Text MakeScript(int lines) {
    Text s = "SET_PROG_NAME(Bench)\r\nSET_TARGET_DIR(C:\\zkbench\\setup\\App)\r\n"
             "SET_DIALOGS(WelcomeDlg,DestinationDlg,CompleteDlg)\r\n";
    for (int i = 3; i < lines; i += 3) {
        const Text n = IntToStr(i);
        s += "SET_GROUP_DATA(|Group" + n + "|Files of group " + n + "|120|3|60||1|1|1|0|)\r\n";
        s += "SET_COPY_FILES(1*file" + n + "a.dat|1*file" + n + "b.dat|0*file" + n + "c.txt)\r\n";
        s += "SET_PERFORM_REGISTRY_OP(|1|HKEY_CURRENT_USER\\Software\\Bench|V" + n +
             "|<TARGET_DIR>|)\r\n";
    }
    return s;
}

struct FindWizard {
    DWORD pid;
    HWND found;
};

BOOL CALLBACK IsShownWizard(HWND w, LPARAM lp) {
    auto& f = *reinterpret_cast<FindWizard*>(lp);
    DWORD owner = 0;
    GetWindowThreadProcessId(w, &owner);
    char cls[64] = {}, title[64] = {};
    GetClassNameA(w, cls, sizeof cls);
    GetWindowTextA(w, title, sizeof title);
    if (owner == f.pid && IsWindowVisible(w) && Text(cls) == ids::WizardClass &&
        Text(title) == "Welcome") {
        f.found = w;
        return FALSE;
    }
    return TRUE;
}

// The wizard of the process, once it shows the first page (the built-in "Welcome" caption).
HWND FindShownWizard(DWORD pid) {
    FindWizard find{pid, nullptr};
    EnumWindows(IsShownWizard, reinterpret_cast<LPARAM>(&find));
    return find.found;
}

// Seconds from CreateProcess until the first page is up; -1 when it never came.
double TimeToFirstPage(int lines) {
    const Text dir = Dir(("start" + IntToStr(lines)).c_str());
    CreateDirectoryA(dir.c_str(), nullptr);
    const Text exe = dir + "\\Setup.exe";
    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    Text bin(self);
    bin = bin.substr(0, bin.find_last_of('\\'));
    CopyFileA((bin + "\\Setup.exe").c_str(), exe.c_str(), FALSE);
    SaveFile(dir + "\\Setup.txt", MakeScript(lines), 0);
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    Text command = "\"" + exe + "\"";
    const double start = Seconds();
    if (!CreateProcessA(exe.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        dir.c_str(), &si, &pi))
        return -1;
    UniqueHandle process(pi.hProcess), thread(pi.hThread);
    double shown = -1;
    while (Seconds() - start < 120) {
        if (FindShownWizard(pi.dwProcessId)) {
            shown = Seconds() - start;
            break;
        }
        Sleep(5);
    }
    TerminateProcess(process.get(), 0);
    WaitForSingleObject(process.get(), 10000);
    return shown;
}

// In this process: the script of `lines` lines read and the wizard filled from it, as Setup.exe
// does before its first page; the best of five, in seconds.
double TimeScriptedStart(int lines) {
    const Text dir = Dir(("inproc" + IntToStr(lines)).c_str());
    CreateDirectoryA(dir.c_str(), nullptr);
    const Text scriptPath = dir + "\\Setup.txt";
    SaveFile(scriptPath, MakeScript(lines), 0);
    double best = 1e30;
    for (int run = 0; run < 5; ++run) {
        TSDialogForm wizard; // its making is the same for every script
        if (!wizard.Make(nullptr)) return -1;
        const double start = Seconds();
        TScript script;
        script.LoadFromFile(scriptPath, ShowUnrecognizedCommandBox);
        wizard.Script = &script;
        wizard.InitFromScript();
        best = std::min(best, Seconds() - start);
        DestroyWindow(wizard.Handle());
    }
    return best;
}

// The wizard's own appending, with the log in a folder that exists.
double TimeLogAppend(int lines) {
    const Text dir = Dir(("log" + IntToStr(lines)).c_str());
    CreateDirectoryA(dir.c_str(), nullptr);
    TScript script;
    const Text scriptPath = dir + "\\Setup.txt";
    SaveFile(scriptPath, "SET_CREATE_SETUP_LOG\r\nSET_TARGET_DIR(" + dir + ")\r\n", 0);
    script.LoadFromFile(scriptPath, ShowUnrecognizedCommandBox);
    TSDialogForm wizard;
    if (!wizard.Make(nullptr)) return -1;
    wizard.Script = &script;
    SetWindowTextA(wizard.TargetDirEdit, dir.c_str());
    const double start = Seconds();
    for (int i = 0; i < lines; ++i) {
        wizard.AddSetupLogLine("  Copy File: ", dir + "\\file" + IntToStr(i) + ".dat");
        wizard.AddSetupLogLine("\\\\x ... OK");
    }
    const double took = Seconds() - start;
    DestroyWindow(wizard.Handle());
    return took;
}

// The log rewritten whole after every line, for comparison.
double TimeLogRewrite(int lines) {
    const Text path = Dir("rewrite.log");
    Text all;
    const double start = Seconds();
    for (int i = 0; i < lines; ++i) {
        all += "  Copy File: C:\\zkbench\\setup\\file" + IntToStr(i) + ".dat ... OK\r\n";
        SaveFile(path, all, 0);
    }
    return Seconds() - start;
}

} // namespace

int main() {
    InitializeLanguage();
    DeleteTree(Root, true);
    CreateDirectoryA("C:\\zkbench", nullptr);
    CreateDirectoryA(Root, nullptr);
    // The process start of Wine is a fixed part: a script of its three header lines shows it.
    // Medians of five starts each, in turns, so the machine's load weighs on every size alike.
    const int sizes[] = {3, 6000, 60000};
    std::vector<double> times[3];
    for (int round = 0; round < 5; ++round)
        for (int i = 0; i < 3; ++i) times[i].push_back(TimeToFirstPage(sizes[i]));
    std::printf("Setup.exe start to first page (medians of 5): 3 lines %.3f s, 6,000 lines %.3f s, "
                "60,000 lines %.3f s\n",
                Median(times[0]), Median(times[1]), Median(times[2]));
    // What grows with the script, without the process start's noise: best of five.
    const double small = TimeScriptedStart(sizes[1]), large = TimeScriptedStart(sizes[2]);
    const double ratio = small > 0 ? large / small : 0.0;
    std::printf("script read and wizard filled:       6,000 lines %.3f s, 60,000 lines %.3f s, "
                "ratio %.1f (linear: about 10; target at most 11: %s)\n",
                small, large, ratio, ratio > 0 && ratio <= 11 ? "met" : "MISSED");
    const double a1 = TimeLogAppend(1000), a10 = TimeLogAppend(10000);
    std::printf("Setup.log appended:             1,000 lines %.3f s, 10,000 lines %.3f s, "
                "ratio %.1f\n",
                a1, a10, a1 > 0 ? a10 / a1 : 0.0);
    const double r1 = TimeLogRewrite(1000), r3 = TimeLogRewrite(3000);
    std::printf("whole-file rewrite per line:    1,000 lines %.3f s,  3,000 lines %.3f s, "
                "ratio %.1f (quadratic: about 9)\n",
                r1, r3, r1 > 0 ? r3 / r1 : 0.0);
    DeleteTree(Root, true);
    return 0;
}
