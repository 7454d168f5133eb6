// The whole uninstaller on a product: UnInstall.exe started beside its script, confirmed, and
// timed from the confirmation until its Close button comes alive (reading, ordering, every
// stage with its memo, the summary), for 1,000 files in 50 folders and 10,000 in 500 (the
// ratio should stay near 10), each next to a plain "cmd /c rd /s /q" of the same tree in the
// same run. The window's own fixed waits (the start-up timer and the pauses between stages)
// are shown apart. Each tree is made again at the same place outside the clock; only removals
// are timed, so the slow creation of files right after a deletion (ext4) does not count.
// Usage: uninstall_bench   (work files under C:\zkbench\uninstall, removed afterwards)
#include "ControlIds.h"
#include "BenchClock.h"
#include "Handles.h"
#include "UnScript.h"

#include <windows.h>

#include <cstdio>

using namespace zk;

namespace {

const char Root[] = "C:\\zkbench\\uninstall";
constexpr double kFixedWaits = 1.0 + 6 * 0.5; // start-up timer, six stage pauses

using zkbench::Seconds;

Text ProductDir() {
    return Text(Root) + "\\Product";
}

bool Gone(const Text& path) {
    return GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES;
}

void Touch(const Text& path) {
    UniqueFile h(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    DWORD written = 0;
    WriteFile(h.get(), "data", 4, &written, nullptr);
}

// Folders two levels deep under the product folder, files spread over them; the script names
// each file and folder as an installation does, the uninstaller sits in the product folder.
Text MakeTree(int files, int folders) {
    CreateDirectoryA("C:\\zkbench", nullptr);
    CreateDirectoryA(Root, nullptr);
    const Text product = ProductDir();
    CreateDirectoryA(product.c_str(), nullptr);
    Text lines = "PROG_NAME=Bench\r\nBTN_TEXT=|OK|Cancel|Yes|No|Abort|Retry|Ignore|\r\n"
                 "GET_HIDE_ERR_MSG_UNINSTALL=1\r\n\r\nREMOVE_DIR(" +
                 product + ");\r\nREMOVE_FILE(" + product + "\\UnInstall.txt);\r\n";
    TextList leaves;
    for (int d = 0; leaves.size() < static_cast<size_t>(folders); ++d) {
        const Text outer = product + "\\Part" + IntToStr(d);
        CreateDirectoryA(outer.c_str(), nullptr);
        lines += "REMOVE_DIR(" + outer + ");\r\n";
        for (int s = 0; s < 9 && leaves.size() < static_cast<size_t>(folders); ++s) {
            leaves.push_back(outer + "\\Data" + IntToStr(s));
            CreateDirectoryA(leaves.back().c_str(), nullptr);
            lines += "REMOVE_DIR(" + leaves.back() + ");\r\n";
        }
    }
    for (int f = 0; f < files; ++f) {
        const Text file = leaves[f % leaves.size()] + "\\item" + IntToStr(f) + ".bin";
        Touch(file);
        lines += "REMOVE_FILE(" + file + ");\r\n";
    }
    return lines;
}

Text BinDir() {
    char path[MAX_PATH];
    const DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    const Text exe(path, n);
    return exe.substr(0, exe.rfind('\\'));
}

HWND WaitForWindow(const char* cls, double limit) {
    for (const double start = Seconds(); Seconds() - start < limit; Sleep(5))
        if (HWND w = FindWindowA(cls, nullptr); w && IsWindowVisible(w)) return w;
    return nullptr;
}

// Seconds from the confirmation to the end of the removal; negative when it did not end.
double RunUninstaller(int files, int folders) {
    const Text script = MakeTree(files, folders);
    const Text product = ProductDir();
    UniqueFile out(CreateFileA((product + "\\UnInstall.txt").c_str(), GENERIC_WRITE, 0, nullptr,
                               CREATE_ALWAYS, 0, nullptr));
    DWORD written = 0;
    WriteFile(out.get(), script.data(), static_cast<DWORD>(script.size()), &written, nullptr);
    out.reset();
    const Text exe = product + "\\UnInstall.exe";
    CopyFileA((BinDir() + "\\UnInstall.exe").c_str(), exe.c_str(), FALSE);
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    Text command = "\"" + exe + "\"";
    if (!CreateProcessA(exe.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        product.c_str(), &si, &pi))
        return -1;
    UniqueHandle process(pi.hProcess), thread(pi.hThread);
    HWND box = WaitForWindow(ids::MsgBoxClass, 30);
    if (!box) return -1;
    const double start = Seconds();
    PostMessageA(GetDlgItem(box, ids::MsgBoxButton1), BM_CLICK, 0, 0);
    HWND form = WaitForWindow(ids::UninstallClass, 30);
    HWND close = form ? GetDlgItem(form, ids::UnCloseButton) : nullptr;
    double elapsed = -1;
    for (; close && Seconds() - start < 600; Sleep(5)) {
        if (IsWindowEnabled(close)) {
            elapsed = Seconds() - start;
            break;
        }
    }
    if (close) PostMessageA(close, BM_CLICK, 0, 0);
    WaitForSingleObject(process.get(), 30000);
    for (const double end = Seconds(); !Gone(product) && Seconds() - end < 60;) Sleep(100);
    return elapsed;
}

double RemoveWithRd(int files, int folders) {
    MakeTree(files, folders);
    char system[MAX_PATH];
    GetSystemDirectoryA(system, MAX_PATH);
    const Text cmd = Text(system) + "\\cmd.exe";
    Text command = "\"" + cmd + "\" /c rd /s /q \"" + ProductDir() + "\"";
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    const double start = Seconds();
    if (!CreateProcessA(cmd.c_str(), command.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW,
                        nullptr, nullptr, &si, &pi))
        return -1;
    UniqueHandle process(pi.hProcess), thread(pi.hThread);
    WaitForSingleObject(process.get(), INFINITE);
    return Seconds() - start;
}

double Report(int files, int folders) {
    const double run = RunUninstaller(files, folders);
    const bool removed = Gone(ProductDir());
    const double rd = RemoveWithRd(files, folders);
    const double work = run - kFixedWaits;
    printf("%6d files in %3d folders: UnInstall %7.2f s (%.1f s fixed waits, %7.2f s work)%s, "
           "rd /s /q %6.2f s\n",
           files, folders, run, kFixedWaits, work, removed ? "" : " LEFT FILES", rd);
    return work;
}

} // namespace

int main() {
    const double small = Report(1000, 50);
    const double large = Report(10000, 500);
    printf("ratio of the work, 10,000 / 1,000 files: %.1f (near 10 when no step is quadratic)\n",
           large / small);
    RemoveDirectoryA(Root);
    RemoveDirectoryA("C:\\zkbench");
    return 0;
}
