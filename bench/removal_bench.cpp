// Removal of a product through its uninstall lines: the script text read into work lists,
// ordered deepest first, then every REMOVE_FILE and REMOVE_DIR item handled, for 1,000 files
// in 50 folders and 10,000 in 500 (the ratio should stay near 10), each next to a plain
// "cmd /c rd /s /q" of the same tree. Each tree is made again at the same place outside the
// clock; only removals are timed, so the slow creation of files right after a deletion (ext4)
// does not count.
// Usage: removal_bench   (work files under C:\zkbench\removal, removed afterwards)
#include "UnRemove.h"
#include "UnScript.h"

#include "BenchClock.h"
#include "Handles.h"

#include <windows.h>

#include <cstdio>

using namespace zk;

namespace {

const char Root[] = "C:\\zkbench\\removal";

using zkbench::Seconds;

// The product folder with `folders` folders (ten groups of sub-folders) holding `files` files
// in all; returns the uninstall lines that name them, as an installation writes them.
Text MakeProduct(int files, int folders) {
    CreateDirectoryA("C:\\zkbench", nullptr);
    CreateDirectoryA(Root, nullptr);
    const Text product = Text(Root) + "\\Product";
    CreateDirectoryA(product.c_str(), nullptr);
    Text script = "PROG_NAME=Bench\r\n\r\nREMOVE_DIR(" + product + ");\r\n";
    TextList dirs;
    for (int g = 0; g < 10; ++g) {
        const Text group = product + "\\Group " + IntToStr(g);
        CreateDirectoryA(group.c_str(), nullptr);
        script += "REMOVE_DIR(" + group + ");\r\n";
        for (int d = 0; d < folders / 10; ++d) {
            const Text dir = group + "\\Folder " + IntToStr(d);
            CreateDirectoryA(dir.c_str(), nullptr);
            script += "REMOVE_DIR(" + dir + ");\r\n";
            dirs.push_back(dir);
        }
    }
    for (int f = 0; f < files; ++f) {
        const Text file = dirs[f % dirs.size()] + "\\file" + IntToStr(f) + ".dat";
        UniqueFile h(
            CreateFileA(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
        DWORD written = 0;
        WriteFile(h.get(), "data", 4, &written, nullptr);
        script += "REMOVE_FILE(" + file + ");\r\n";
    }
    return script;
}

// Reading, ordering and handling as the uninstaller does; false when something stayed.
bool RemoveByScript(const Text& script, int& failures) {
    const UninstallWorkLists lists = ParseUninstallScript(SplitLines(script));
    const RemovalContext ctx = MakeRemovalContext(lists, Text(Root) + "\\UnInstall.exe");
    failures = 0;
    for (const Text& item : LongestFirst(lists[WorkList::File]))
        if (!RemoveFileItem(ctx, item).success) ++failures;
    for (const Text& item : LongestFirst(lists[WorkList::Dir]))
        if (!RemoveDirItem(ctx, item).success) ++failures;
    return GetFileAttributesA((Text(Root) + "\\Product").c_str()) == INVALID_FILE_ATTRIBUTES;
}

bool RemoveByCmd() {
    char system[MAX_PATH];
    GetSystemDirectoryA(system, MAX_PATH);
    Text cmd = "\"" + Text(system) + "\\cmd.exe\" /c rd /s /q \"" + Root + "\\Product\"";
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessA(nullptr, cmd.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                        nullptr, &si, &pi))
        return false;
    UniqueHandle process(pi.hProcess), thread(pi.hThread);
    WaitForSingleObject(process.get(), INFINITE);
    return GetFileAttributesA((Text(Root) + "\\Product").c_str()) == INVALID_FILE_ATTRIBUTES;
}

double Measure(int files, int folders) {
    const Text script = MakeProduct(files, folders);
    int failures = 0;
    const double start = Seconds();
    const bool gone = RemoveByScript(script, failures);
    const double uninstall = Seconds() - start;

    MakeProduct(files, folders);
    const double cmdStart = Seconds();
    const bool cmdGone = RemoveByCmd();
    const double rd = Seconds() - cmdStart;
    printf("%6d files in %4d folders: uninstall %7.3f s%s%s, rd /s /q %7.3f s%s\n", files, folders,
           uninstall, gone ? "" : " (left something)", failures ? " (failures)" : "", rd,
           cmdGone ? "" : " (left something)");
    return uninstall;
}

} // namespace

int main() {
    const double small = Measure(1000, 50);
    const double large = Measure(10000, 500);
    printf("ratio 10,000 / 1,000 files: %.1f (near 10 when no step is quadratic)\n", large / small);
    RemoveDirectoryA(Root);
    RemoveDirectoryA("C:\\zkbench");
    return 0;
}
