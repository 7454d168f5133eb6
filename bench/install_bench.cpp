// The whole silent installation (Setup.exe from its start to its exit: script, wizard, uninstall
// header, Add/Remove entry, copy, Setup.log and UnInstall.txt line by line) against a plain
// program that copies and inflates the same tree with CopyFile and InflateFile. Both copy
// (SET_USE_COPY); the sources stand in a sub-folder of the engine's folder, which the engine
// searches as its origin tree and never consumes. Trees: 1,000 files of `MiB` in all (half of
// them "._z"), and 1,000 against 10,000 small files for the scaling. An install of no file
// shows the fixed cost of starting the engine.
// With a second size, one "._z" stream of that many MiB is installed too, with the peak working
// set of the 32-bit Setup.exe.
// Usage: install_bench [MiB [large MiB]]   (default 512, no large; work under C:\zkbench\install)
#include "BenchClock.h"
#include "Files.h"
#include "Handles.h"
#include "ZLibOpen.h"

#include <windows.h>
#include <psapi.h>
#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

using namespace zk;
using zkbench::Seconds;

namespace {

const char WorkDir[] = "C:\\zkbench\\install";

void Fill(std::vector<unsigned char>& b, uint32_t& seed) {
    auto next = [&] { return (seed = seed * 1103515245u + 12345u) >> 16; };
    for (size_t i = 0; i < b.size();) {
        if (next() % 2) {
            for (int k = 0; k < 4096 && i < b.size(); ++k)
                b[i++] = static_cast<unsigned char>(next());
        } else {
            static const char line[] = "Line of the readme: copy the files of the product\r\n";
            for (int k = 0; k < 4096 && i < b.size(); ++k) b[i++] = line[k % (sizeof line - 1)];
        }
    }
}

bool WriteAll(HANDLE h, const void* p, size_t n) {
    DWORD put = 0;
    return WriteFile(h, p, static_cast<DWORD>(n), &put, nullptr) && put == n;
}

bool MakeFile(const Text& path, int64_t bytes, bool packed, uint32_t seed) {
    UniqueFile f(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    if (!f) return false;
    std::vector<unsigned char> block(
        static_cast<size_t>(std::max<int64_t>(1, std::min<int64_t>(bytes, 1 << 20)))),
        out(1 << 20);
    z_stream s{};
    if (packed) deflateInit(&s, 1);
    bool ok = true;
    int64_t done = 0;
    do {
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
        const int flush = done >= bytes ? Z_FINISH : Z_NO_FLUSH;
        do {
            s.next_out = out.data();
            s.avail_out = static_cast<uInt>(out.size());
            deflate(&s, flush);
            ok = ok && WriteAll(f.get(), out.data(), out.size() - s.avail_out);
        } while (s.avail_out == 0);
    } while (ok && done < bytes);
    if (packed) deflateEnd(&s);
    return ok;
}

// An engine folder with its sources in payload\dK (a copy row per folder).
struct Package {
    Text dir, engine, payload;
    std::vector<Text> folders, lists, files;
    std::vector<bool> packed;
    int64_t bytes = 0;
};

Text BinDir() {
    char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    Text p = path;
    return p.substr(0, p.rfind('\\'));
}

Package MakePackage(const Text& name, int count, int folders, int64_t each, bool halfPacked) {
    Package p;
    p.dir = Text(WorkDir) + "\\" + name;
    p.engine = p.dir + "\\engine";
    p.payload = p.engine + "\\payload";
    DeleteTree(p.dir, true);
    for (const Text& d : {p.dir, p.engine, p.payload}) CreateDirectoryA(d.c_str(), nullptr);
    for (int k = 0; k < folders; ++k) {
        p.folders.push_back("d" + std::to_string(k));
        p.lists.emplace_back();
        CreateDirectoryA((p.payload + "\\" + p.folders.back()).c_str(), nullptr);
    }
    for (int i = 0; i < count; ++i) {
        char file[32];
        snprintf(file, sizeof file, "f%05d.bin", i);
        const int k = i * folders / count;
        const bool packed = halfPacked && (i % 2 == 1 || count == 1);
        const Text rel = p.folders[k] + "\\" + file;
        MakeFile(p.payload + "\\" + rel + (packed ? "._z" : ""), each, packed, 7919u * i + 1);
        p.files.push_back(rel);
        p.packed.push_back(packed);
        p.lists[k] += (p.lists[k].empty() ? "" : "|") + Text(file);
        p.bytes += each;
    }
    Text script = "SET_PROG_NAME(ZkInstallBench)\r\nSET_PROG_VERSION(1.0)\r\n"
                  "SET_TARGET_DIR(" +
                  p.dir +
                  "\\dst)\r\n"
                  "SET_DIALOGS(WelcomeDlg,CopyFilesDlg,CompleteDlg)\r\n"
                  "SET_SILENT_SETUP\r\nSET_USE_COPY\r\nSET_CREATE_UNINSTALL\r\n"
                  "SET_CREATE_SETUP_LOG\r\n"
                  "SET_GROUP_DATA(|Main|Main|0|" +
                  std::to_string(count) + "|0||1|1|1|0|)\r\n";
    for (size_t k = 0; k < p.folders.size(); ++k)
        script += "SET_SUB_DIR(<Application Folder>\\" + p.folders[k] + ")\r\nSET_COPY_FILES(" +
                  p.lists[k] + ")\r\n";
    SaveFile(p.engine + "\\Setup.txt", script, 0);
    CopyFileA((BinDir() + "\\Setup.exe").c_str(), (p.engine + "\\Setup.exe").c_str(), FALSE);
    return p;
}

bool PlainCopy(const Package& p, const Text& target) {
    CreateDirectoryA(target.c_str(), nullptr);
    for (const Text& f : p.folders) CreateDirectoryA((target + "\\" + f).c_str(), nullptr);
    bool ok = true;
    for (size_t i = 0; i < p.files.size(); ++i) {
        const Text from = p.payload + "\\" + p.files[i], to = target + "\\" + p.files[i];
        ok = (p.packed[i] ? InflateFile(from + "._z", to, nullptr)
                          : CopyFileA(from.c_str(), to.c_str(), FALSE) != 0) &&
             ok;
    }
    return ok;
}

size_t lastPeakWorkingSet = 0; // of the last Setup.exe run

// Setup.exe from start to exit; false when it failed or took over ten minutes.
bool RunSetup(const Package& p) {
    // The installation consumes the engine folder's uninstaller: a fresh one per round.
    CopyFileA((BinDir() + "\\UnInstall.exe").c_str(), (p.engine + "\\UnInstall.exe").c_str(),
              FALSE);
    Text line = "\"" + p.engine + "\\Setup.exe\"";
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, p.engine.c_str(),
                        &si, &pi))
        return false;
    CloseHandle(pi.hThread);
    DWORD code = 1;
    const bool ended = WaitForSingleObject(pi.hProcess, 600000) == WAIT_OBJECT_0;
    GetExitCodeProcess(pi.hProcess, &code);
    PROCESS_MEMORY_COUNTERS c{};
    lastPeakWorkingSet = GetProcessMemoryInfo(pi.hProcess, &c, sizeof c) ? c.PeakWorkingSetSize : 0;
    CloseHandle(pi.hProcess);
    return ended && code == 0;
}

bool Installed(const Package& p) {
    const Text dst = p.dir + "\\dst\\";
    return !p.files.empty() &&
           GetFileAttributesA((dst + p.files.back()).c_str()) != INVALID_FILE_ATTRIBUTES;
}

void ForgetEntry() {
    RegDeleteKeyA(HKEY_LOCAL_MACHINE,
                  "Software\\Microsoft\\Windows\\CurrentVersion\\UnInstall\\ZkInstallBench");
}

struct Pair {
    double plain = 1e30, engine = 1e30;
    bool ok = true;
};

Pair Race(const Package& p, int rounds) {
    Pair r;
    const Text plain = p.dir + "\\plain", dst = p.dir + "\\dst";
    for (int i = 0; i < rounds; ++i) {
        DeleteTree(plain, true);
        double t0 = Seconds();
        r.ok = PlainCopy(p, plain) && r.ok;
        r.plain = std::min(r.plain, Seconds() - t0);
        DeleteTree(dst, true);
        ForgetEntry();
        t0 = Seconds();
        r.ok = RunSetup(p) && r.ok;
        r.engine = std::min(r.engine, Seconds() - t0);
        r.ok = (p.files.empty() || Installed(p)) && r.ok;
    }
    DeleteTree(dst, true);
    ForgetEntry();
    return r;
}

void Report(const char* what, const Package& p, const Pair& r) {
    printf("  %-34s plain %8.2f s   Setup.exe %8.2f s   ratio %5.2f%s\n", what, r.plain, r.engine,
           r.plain > 0 ? r.engine / r.plain : 0.0, r.ok ? "" : "   FAILED");
    (void)p;
    fflush(stdout);
}

} // namespace

int main(int argc, char** argv) {
    const int64_t mib = argc > 1 ? atoll(argv[1]) : 512;
    const bool smallOnly = argc > 2 && Text(argv[2]) == "small";
    const int64_t largeMib = argc > 2 && !smallOnly ? atoll(argv[2]) : 0;
    CreateDirectoryA("C:\\zkbench", nullptr);
    CreateDirectoryA(WorkDir, nullptr);
    printf("Silent installation by Setup.exe against a plain CopyFile/InflateFile program\n");

    Package none = MakePackage("none", 0, 1, 0, false);
    Pair start = Race(none, 3);
    printf("  %-34s Setup.exe %8.2f s (the engine's start and end, no file)\n",
           "install of nothing", start.engine);

    if (smallOnly) {
        Package small = MakePackage("small1k", 1000, 10, 4096, false);
        Report("1,000 files of 4 KiB", small, Race(small, 2));
        return 0;
    }
    Package large = MakePackage("large", 1000, 10, mib * 1024 * 1024 / 1000, true);
    Pair big = Race(large, 2);
    char what[64];
    snprintf(what, sizeof what, "1,000 files, %lld MiB, half ._z", static_cast<long long>(mib));
    Report(what, large, big);
    DeleteTree(large.dir, true);

    Package small = MakePackage("small1k", 1000, 10, 4096, false);
    Pair s1 = Race(small, 3);
    Report("1,000 files of 4 KiB", small, s1);
    DeleteTree(small.dir, true);
    Package many = MakePackage("small10k", 10000, 100, 4096, false);
    Pair s10 = Race(many, 2);
    Report("10,000 files of 4 KiB", many, s10);
    DeleteTree(many.dir, true);
    printf("  scaling: 10,000 / 1,000 files: Setup.exe %.2f times, plain %.2f times\n",
           s1.engine > 0 ? s10.engine / s1.engine : 0.0, s1.plain > 0 ? s10.plain / s1.plain : 0.0);
    printf("  without the start: 10,000 / 1,000 files %.2f times\n",
           s1.engine - start.engine > 0 ? (s10.engine - start.engine) / (s1.engine - start.engine)
                                        : 0.0);
    bool one = true;
    if (largeMib > 0) {
        Package single = MakePackage("single", 1, 1, largeMib * 1024 * 1024, true);
        const double t0 = Seconds();
        one = RunSetup(single) && Installed(single);
        printf("  one \"._z\" of %lld MiB: Setup.exe %.2f s, peak working set %.1f MiB%s\n",
               static_cast<long long>(largeMib), Seconds() - t0, lastPeakWorkingSet / 1048576.0,
               one ? "" : "   FAILED");
        DeleteTree(single.dir, true);
        ForgetEntry();
    }
    return big.ok && s1.ok && s10.ok && one ? 0 : 1;
}
