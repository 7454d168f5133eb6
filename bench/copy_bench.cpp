// The copy engine against a plain program that copies and inflates the same tree with the
// system's CopyFile and InflateFile: a tree of 1,000 files (half of them "._z"), 1,000 and
// 10,000 small files (the scaling), and one large "._z" with the peak working set of the
// 32-bit process while the engine installs it. The engine runs with SET_USE_COPY (both sides
// copy) and a host that appends each uninstall line to a file, as the script writer does;
// the sources stand in the origin tree, as on a CD, so that no round consumes them.
// Usage: copy_bench [tree MiB] [large MiB]   (defaults 512 and 2048; work under C:\zkbench\)
#include "BenchClock.h"
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
using zkbench::Seconds;

namespace {

const char WorkDir[] = "C:\\zkbench\\copy";

size_t PeakWorkingSet() {
    PROCESS_MEMORY_COUNTERS c{};
    GetProcessMemoryInfo(GetCurrentProcess(), &c, sizeof c);
    return c.PeakWorkingSetSize;
}

// Text lines, noise and tables in turn, so the streams hold stored and packed blocks.
void Fill(std::vector<unsigned char>& b, uint32_t& seed) {
    auto next = [&] { return (seed = seed * 1103515245u + 12345u) >> 16; };
    for (size_t i = 0; i < b.size();) {
        switch (next() % 3) {
        case 0:
            for (int k = 0; k < 4096 && i < b.size(); ++k)
                b[i++] = static_cast<unsigned char>(next());
            break;
        case 1: {
            char line[96];
            int n = snprintf(line, sizeof line, "Line %u of the readme: copy %u files\r\n", next(),
                             next() % 1000);
            for (int r = 0; r < 64; ++r)
                for (int k = 0; k < n && i < b.size(); ++k)
                    b[i++] = static_cast<unsigned char>(line[k]);
            break;
        }
        default:
            for (int k = 0; k < 4096 && i < b.size(); ++k)
                b[i++] = (k % 64 < 8) ? static_cast<unsigned char>(next()) : 0;
        }
    }
}

bool WriteAll(HANDLE h, const void* p, size_t n) {
    DWORD put = 0;
    return WriteFile(h, p, static_cast<DWORD>(n), &put, nullptr) && put == n;
}

// A file of `bytes` bytes, plain or as its zlib stream (level 1: the bench makes, not packs).
bool MakeFile(const Text& path, int64_t bytes, bool packed, uint32_t seed) {
    UniqueFile f(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    if (!f) return false;
    std::vector<unsigned char> block(static_cast<size_t>(std::min<int64_t>(bytes, 1 << 20))),
        out(1 << 20);
    z_stream s{};
    if (packed) deflateInit(&s, 1);
    bool ok = true;
    for (int64_t done = 0; ok && (done < bytes || (packed && done == 0 && bytes == 0));) {
        size_t n = static_cast<size_t>(std::min<int64_t>(bytes - done, int64_t(block.size())));
        block.resize(n);
        Fill(block, seed);
        done += static_cast<int64_t>(n);
        if (!packed) {
            ok = WriteAll(f.get(), block.data(), n);
            continue;
        }
        s.next_in = block.data();
        s.avail_in = static_cast<uInt>(n);
        int flush = done >= bytes ? Z_FINISH : Z_NO_FLUSH;
        do {
            s.next_out = out.data();
            s.avail_out = static_cast<uInt>(out.size());
            deflate(&s, flush);
            ok = ok && WriteAll(f.get(), out.data(), out.size() - s.avail_out);
        } while (s.avail_out == 0);
        if (bytes == 0) break;
    }
    if (packed) deflateEnd(&s);
    return ok;
}

// Files in folders d0, d1 ... of src (one copy row each), every second one a "._z" stream.
struct Tree {
    Text src;
    std::vector<Text> folders, names; // per folder: its name and its SET_COPY_FILES list
    std::vector<Text> files;          // "dK\\fNNNNN.bin"
    std::vector<bool> packed;
    int64_t bytes = 0;
};

Tree MakeTree(const Text& dir, int count, int folders, int64_t each) {
    Tree t;
    t.src = dir + "\\src";
    CreateDirectoryA(dir.c_str(), nullptr);
    CreateDirectoryA(t.src.c_str(), nullptr);
    for (int k = 0; k < folders; ++k) {
        t.folders.push_back("d" + std::to_string(k));
        t.names.emplace_back();
        CreateDirectoryA((t.src + "\\" + t.folders.back()).c_str(), nullptr);
    }
    for (int i = 0; i < count; ++i) {
        char name[32];
        snprintf(name, sizeof name, "f%05d.bin", i);
        const int k = i * folders / count;
        const bool packed = i % 2 == 1;
        const Text file = t.folders[k] + "\\" + name;
        MakeFile(t.src + "\\" + file + (packed ? "._z" : ""), each, packed, 7919u * i + 1);
        t.files.push_back(file);
        t.packed.push_back(packed);
        t.names[k] += (t.names[k].empty() ? "" : "|") + Text(name);
        t.bytes += each;
    }
    return t;
}

// The plain program: CopyFile or InflateFile per file, nothing else.
bool PlainCopy(const Tree& t, const Text& target) {
    CreateDirectoryA(target.c_str(), nullptr);
    for (const Text& f : t.folders) CreateDirectoryA((target + "\\" + f).c_str(), nullptr);
    bool ok = true;
    for (size_t i = 0; i < t.files.size(); ++i) {
        Text from = t.src + "\\" + t.files[i], to = target + "\\" + t.files[i];
        ok = (t.packed[i] ? InflateFile(from + "._z", to, nullptr)
                          : CopyFileA(from.c_str(), to.c_str(), FALSE) != 0) &&
             ok;
    }
    return ok;
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
        return WriteAll(script.get(), l.data(), l.size());
    };
    cb.showError = [](const Text& text) { printf("  engine error: %s\n", text.c_str()); };
    // The sources stand in the origin tree (as on a CD), so no round consumes them.
    const Text engineDir = FolderOfTree(t);
    CopyInputs in{s, engineDir, target, Text(), Text(), "Typical", {0}, tree};
    TCopyEngine engine(in, cb);
    return engine.CreateDirLogged(target, false, 0) && engine.CopySelectedComponents();
}

// Best of the rounds of each side, interleaved; targets removed outside the clock.
struct Pair {
    double plain = 1e30, engine = 1e30;
    bool ok = true;
};

Pair Race(const Tree& t, const Text& dir, int rounds) {
    Pair p;
    const Text target = dir + "\\dst", script = dir + "\\UnInstall.txt";
    for (int r = 0; r < rounds; ++r) {
        double t0 = Seconds();
        p.ok = PlainCopy(t, target) && p.ok;
        p.plain = std::min(p.plain, Seconds() - t0);
        DeleteTree(target, true);
        t0 = Seconds();
        p.ok = EngineCopy(t, target, script) && p.ok;
        p.engine = std::min(p.engine, Seconds() - t0);
        DeleteTree(target, true);
    }
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
        if (!MakeFile(t.src + "\\d0\\large.bin._z", t.bytes, true, 4242))
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
        Tree t = MakeTree(dir, 1000, 1, (treeMiB << 20) / 1000);
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
        Tree t = MakeTree(dir, c.count, c.folders, 2048);
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
