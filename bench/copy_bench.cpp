// The copy engine against a plain program that copies and inflates the same tree with the
// system's CopyFile and InflateFile: a tree of 1,000 files (half of them "._z"), 1,000 and
// 10,000 small files (the scaling), and one large "._z" with the peak working set of the
// 32-bit process while the engine installs it. The engine runs with SET_USE_COPY (both sides
// copy) and a host that appends each uninstall line to a file, as the script writer does;
// the sources stand in the origin tree, as on a CD, so that no round consumes them.
// Usage: copy_bench [tree MiB] [large MiB]   (defaults 512 and 2048; work under C:\zkbench\)
#include "BenchClock.h"
#include "BenchTree.h"
#include "Files.h"
#include "Handles.h"
#include "SCopy.h"
#include "SKeywords.h"
#include "ZLibOpen.h"

#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

using namespace zk;
using zkbench::Packing;
using zkbench::Seconds;
using zkbench::Tree;

namespace {

const char WorkDir[] = "C:\\zkbench\\copy";

size_t PeakWorkingSet() {
    PROCESS_MEMORY_COUNTERS c{};
    GetProcessMemoryInfo(GetCurrentProcess(), &c, sizeof c);
    return c.PeakWorkingSetSize;
}

Text FolderOfTree(const Tree& t) {
    Text dir = t.src.substr(0, t.src.rfind('\\')) + "\\engine";
    CreateDirectoryA(dir.c_str(), nullptr);
    return dir;
}

bool EngineCopy(const Tree& t, const Text& target, const Text& uninstallPath) {
    TScript s;
    KeywordTable::Apply(s, "SET_USE_COPY", "");
    KeywordTable::Apply(s, "SET_GROUP_DATA", "|Main|Main|0|0|0|1|1|1|0|");
    Text tree = "|" + t.src + "|";
    for (size_t k = 0; k < t.folders.size(); ++k) {
        KeywordTable::Apply(s, "SET_SUB_DIR", "<Application Folder>\\" + t.folders[k]);
        KeywordTable::Apply(s, "SET_COPY_FILES", t.names[k]);
        tree += t.src + "\\" + t.folders[k] + "|";
    }
    UniqueFile script(CreateFileA(uninstallPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                  CREATE_ALWAYS, 0, nullptr));
    std::vector<Text> log;
    CopyCallbacks cb;
    cb.addSetupLogLine = [&](const Text& line) { log.push_back(line); };
    cb.addUninstallLine = [&](const Text& line, bool) {
        Text l = line + (line.empty() ? "\r\n" : ";\r\n");
        return zkbench::WriteAll(script.get(), l.data(), l.size());
    };
    cb.showError = [](const Text& text) { printf("  engine error: %s\n", text.c_str()); };
    // The sources stand in the origin tree (as on a CD), so no round consumes them.
    const Text engineDir = FolderOfTree(t);
    CopyInputs in{s, engineDir, target, Text(), Text(), "Typical", {0}, tree};
    TCopyEngine engine(in, cb);
    return engine.CreateDirLogged(target, false, 0) && engine.CopySelectedComponents();
}

// Best of the rounds of each side, interleaved. Every run writes into a folder of its own and
// the trees go after the last round: on ext4 a file created right after a tree was deleted
// takes the slow new-inode path, which would weigh on whichever side came next.
struct Pair {
    double plain = 1e30, engine = 1e30;
    bool ok = true;
};

Pair Race(const Tree& t, const Text& dir, int rounds) {
    Pair p;
    const Text script = dir + "\\UnInstall.txt";
    for (int r = 0; r < rounds; ++r) {
        const Text round = std::to_string(r);
        double t0 = Seconds();
        p.ok = zkbench::PlainCopy(t, dir + "\\plain" + round) && p.ok;
        p.plain = std::min(p.plain, Seconds() - t0);
        t0 = Seconds();
        p.ok = EngineCopy(t, dir + "\\dst" + round, script) && p.ok;
        p.engine = std::min(p.engine, Seconds() - t0);
    }
    for (int r = 0; r < rounds; ++r)
        for (const char* side : {"\\plain", "\\dst"})
            DeleteTree(dir + side + std::to_string(r), true);
    return p;
}

void Verdict(const char* what, double value, double target) {
    printf("  %-50s %8.2f  target <= %.2f  %s\n", what, value, target,
           value <= target ? "met" : "MISSED");
}

} // namespace

int main(int argc, char** argv) {
    const int64_t treeMiB = argc > 1 ? strtoll(argv[1], nullptr, 10) : 512;
    const int64_t largeMiB = argc > 2 ? strtoll(argv[2], nullptr, 10) : 2048;
    const Text root = WorkDir;
    DeleteTree(root, true);
    CreateDirectoryA("C:\\zkbench", nullptr);
    CreateDirectoryA(root.c_str(), nullptr);
    printf("copy_bench: %d-bit process, zlib %s\n", int(sizeof(void*) * 8), zlibVersion());

    // The large stream first, so the peak working set is the engine's own.
    {
        const Text dir = root + "\\large";
        CreateDirectoryA(dir.c_str(), nullptr);
        Tree t;
        t.src = dir + "\\src";
        CreateDirectoryA(t.src.c_str(), nullptr);
        t.folders = {"d0"};
        CreateDirectoryA((t.src + "\\d0").c_str(), nullptr);
        t.files = {"d0\\large.bin"};
        t.packed = {true};
        t.names = {"large.bin"};
        t.bytes = largeMiB << 20;
        if (!zkbench::MakeFile(t.src + "\\d0\\large.bin._z", t.bytes, true, 4242))
            printf("  cannot make it\n");
        size_t before = PeakWorkingSet();
        double t0 = Seconds();
        bool ok = EngineCopy(t, dir + "\\dst", dir + "\\UnInstall.txt");
        double secs = Seconds() - t0;
        WIN32_FILE_ATTRIBUTE_DATA d{};
        GetFileAttributesExA((dir + "\\dst\\d0\\large.bin").c_str(), GetFileExInfoStandard, &d);
        int64_t got = (int64_t(d.nFileSizeHigh) << 32) | d.nFileSizeLow;
        size_t peak = PeakWorkingSet();
        printf("large \"._z\": %lld MiB inflated by the engine in %.1f s (%.0f MB/s)%s\n",
               (long long)largeMiB, secs, t.bytes / 1048576.0 / secs,
               ok && got == t.bytes ? "" : "  FAILED");
        printf("  peak working set %.1f MiB (%.1f MiB before)\n", peak / 1048576.0,
               before / 1048576.0);
        Verdict("peak working set, MiB", peak / 1048576.0, 64);
        DeleteTree(dir, true);
    }

    {
        const Text dir = root + "\\tree";
        CreateDirectoryA(dir.c_str(), nullptr);
        Tree t = zkbench::MakeTree(dir + "\\src", 1000, 1, (treeMiB << 20) / 1000, Packing::Half);
        Pair p = Race(t, dir, 3);
        printf("1,000 files, %lld MiB (half \"._z\"): plain %.2f s, engine %.2f s%s\n",
               (long long)(t.bytes >> 20), p.plain, p.engine, p.ok ? "" : "  FAILED");
        Verdict("engine / plain, 1,000 files", p.engine / p.plain, 1.2);
        DeleteTree(dir, true);
    }

    // 1,000 small files in one folder against 10,000 in ten folders of 1,000 (a product's
    // tree): Wine's lookup of a new name scans its folder, which no installer can avoid.
    struct Small {
        int count, folders;
        Pair p;
    } small[] = {{1000, 1, {}}, {10000, 10, {}}};
    for (Small& c : small) {
        const Text dir = root + "\\small" + std::to_string(c.count);
        CreateDirectoryA(dir.c_str(), nullptr);
        Tree t = zkbench::MakeTree(dir + "\\src", c.count, c.folders, 2048, Packing::Half);
        c.p = Race(t, dir, 3);
        printf("%d small files of 2 KiB in %d folder(s), half \"._z\": plain %.2f s, engine %.2f "
               "s%s\n",
               c.count, c.folders, c.p.plain, c.p.engine, c.p.ok ? "" : "  FAILED");
        DeleteTree(dir, true);
    }
    Verdict("engine / plain, 10,000 small files", small[1].p.engine / small[1].p.plain, 1.2);
    Verdict("engine 10,000 / 1,000 small files", small[1].p.engine / small[0].p.engine, 11);
    DeleteTree(root, true);
    return 0;
}
