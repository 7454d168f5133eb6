// The whole silent installation (Setup.exe from its start to its exit: script, wizard, uninstall
// header, Add/Remove entry, copy, Setup.log and UnInstall.txt line by line) against a plain
// program (a process of its own) that copies or inflates the same files with CopyFile and
// InflateFile. Payloads: 1,000 files of `MiB` in all and 1,000 and 10,000 files of 4 KiB (the
// scaling), each stored and as "._z" streams, and an install of nothing (the engine's start and
// end). Both copy (SET_USE_COPY); the sources stand in a sub-folder of the engine's folder, which
// the engine searches as its origin tree and never consumes. Setup.exe's peak working set is read
// while it runs. Each row prints its target beside it.
//
// Every run writes into a folder of its own. On the disk the trees stay until their payload is
// done: on ext4 a file created right after a tree was deleted takes the slow new-inode path. On
// a tmpfs drive (--tmpfs D:, which scripts/bench.sh maps) each run's tree goes right after it.
// --setup PATH takes another Setup.exe; --compare PATH races a second one (an earlier build) in
// the same rounds; each runs with the UnInstall.exe beside it (else the bench's own). --nsis
// races an NSIS installer of the same files, built by the host's makensis when the bench asks
// for it with a ".request" file (scripts/bench.sh answers).
// Usage: install_bench [MiB] [--rounds N] [--tmpfs D:] [--setup PATH] [--compare PATH] [--nsis]
//                      [--only empty,large,small1k,small10k]
//        (default 512 MiB, 3 rounds; work under C:\zkbench\install and D:\zkbench)
#include "BenchClock.h"
#include "BenchTree.h"
#include "Files.h"
#include "Handles.h"

#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <vector>

using namespace zk;
using zkbench::Median;
using zkbench::Packing;
using zkbench::Seconds;
using zkbench::Tree;

namespace {

constexpr double RatioTarget = 1.2, EmptyTarget = 0.25, ScalingTarget = 11, PeakTargetMiB = 32;
constexpr DWORD RunLimitMs = 600000;

struct Options {
    int64_t mib = 512;
    int rounds = 3;
    Text tmpfs, setup, compare, only;
    bool nsis = false;
};

Text BinDir() {
    char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    Text p = path;
    return p.substr(0, p.rfind('\\'));
}

bool IsFile(const Text& path) {
    const DWORD a = GetFileAttributesA(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

int64_t FileSize(const Text& path) {
    WIN32_FILE_ATTRIBUTE_DATA d{};
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &d)) return -1;
    return (int64_t(d.nFileSizeHigh) << 32) | d.nFileSizeLow;
}

double MiB(double bytes) {
    return bytes / 1048576.0;
}

struct RunResult {
    double seconds = 0;
    size_t peak = 0;
    bool ok = false;
};

// A program from start to exit, its peak working set polled while it runs (Wine answers 0
// once it has exited).
RunResult RunProgram(const Text& exe, const Text& args, const Text& dir) {
    RunResult r;
    Text line = "\"" + exe + "\"" + (args.empty() ? "" : " " + args);
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    const double t0 = Seconds();
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, dir.c_str(), &si,
                        &pi))
        return r;
    UniqueHandle process(pi.hProcess), thread(pi.hThread);
    bool ended = false;
    while (!ended && Seconds() - t0 < RunLimitMs / 1000.0) {
        ended = WaitForSingleObject(process.get(), 10) == WAIT_OBJECT_0;
        PROCESS_MEMORY_COUNTERS c{};
        if (!ended && GetProcessMemoryInfo(process.get(), &c, sizeof c))
            r.peak = std::max(r.peak, static_cast<size_t>(c.PeakWorkingSetSize));
    }
    r.seconds = Seconds() - t0;
    if (!ended) {
        TerminateProcess(process.get(), 1);
        WaitForSingleObject(process.get(), 10000);
        return r;
    }
    DWORD code = 1;
    GetExitCodeProcess(process.get(), &code);
    r.ok = code == 0;
    return r;
}

void ForgetEntry() {
    RegDeleteKeyA(HKEY_LOCAL_MACHINE,
                  "Software\\Microsoft\\Windows\\CurrentVersion\\UnInstall\\ZkInstallBench");
}

// One payload as a setup: the engine folder with the Setup.exe copies and the script, its
// sources in payload\dK.
struct Package {
    Text dir, engine;
    Tree tree;
    Text title;
    Text nsisInstaller; // empty without one
};

Text ScriptFor(const Package& p, const Text& target) {
    const Tree& t = p.tree;
    Text s = "SET_PROG_NAME(ZkInstallBench)\r\nSET_PROG_VERSION(1.0)\r\nSET_TARGET_DIR(" + target +
             ")\r\nSET_DIALOGS(WelcomeDlg,CopyFilesDlg,CompleteDlg)\r\n"
             "SET_SILENT_SETUP\r\nSET_USE_COPY\r\nSET_CREATE_UNINSTALL\r\nSET_CREATE_SETUP_LOG\r\n"
             "SET_GROUP_DATA(|Main|Main|0|" +
             std::to_string(t.files.size()) + "|0||1|1|1|0|)\r\n";
    for (size_t k = 0; k < t.folders.size(); ++k)
        s += "SET_SUB_DIR(<Application Folder>\\" + t.folders[k] + ")\r\nSET_COPY_FILES(" +
             t.names[k] + ")\r\n";
    return s;
}

struct Engine {
    Text label, exe; // exe: the file name inside each engine folder
};

Package MakePackage(const Text& dir, const Text& title, int count, int64_t each, Packing packing,
                    const std::vector<std::pair<Text, Text>>& engines) {
    Package p;
    p.dir = dir;
    p.engine = dir + "\\engine";
    p.title = title;
    CreateDirectoryA(dir.c_str(), nullptr);
    CreateDirectoryA(p.engine.c_str(), nullptr);
    p.tree =
        zkbench::MakeTree(p.engine + "\\payload", count, std::max(1, count / 100), each, packing);
    for (const auto& [from, name] : engines)
        p.tree.made =
            CopyFileA(from.c_str(), (p.engine + "\\" + name).c_str(), FALSE) && p.tree.made;
    return p;
}

bool Installed(const Package& p, const Text& target) {
    const Tree& t = p.tree;
    if (t.files.empty()) return true;
    const int64_t each = t.bytes / static_cast<int64_t>(t.files.size());
    return FileSize(target + "\\" + t.files.front()) == each &&
           FileSize(target + "\\" + t.files.back()) == each;
}

RunResult RunSetup(const Package& p, const Text& exe, const Text& target) {
    // The installation consumes the engine folder's uninstaller: a fresh one per run, of the
    // same build as the engine.
    CopyFileA((p.engine + "\\UnInstall-" + exe).c_str(), (p.engine + "\\UnInstall.exe").c_str(),
              FALSE);
    SaveFile(p.engine + "\\Setup.txt", ScriptFor(p, target), 0);
    ForgetEntry();
    RunResult r = RunProgram(p.engine + "\\" + exe, "", p.engine);
    ForgetEntry();
    return r;
}

// --- NSIS ---

// The .nsi of a payload: its stored files, kept as they are or packed with zlib.
Text NsisScript(const Text& storedPayload, bool empty, bool packed, const Text& outFile) {
    Text s = "Unicode true\r\nName \"ZkInstallBench\"\r\nOutFile \"" + outFile +
             "\"\r\nInstallDir \"C:\\zkbench\\nsis\"\r\nRequestExecutionLevel user\r\n" +
             (packed ? "SetCompressor zlib\r\n" : "SetCompress off\r\n") +
             "SilentInstall silent\r\nSection\r\n  SetOutPath \"$INSTDIR\"\r\n";
    if (!empty) s += "  File /r \"" + storedPayload + "\\*.*\"\r\n";
    return s + "SectionEnd\r\n";
}

// Asks the host for the installer: NAME.request beside NAME.nsi; the host renames it to
// NAME.building at once and to NAME.done or NAME.failed at the end.
Text BuildNsisInstaller(const Text& dir, const Text& name, const Text& script) {
    const Text base = dir + "\\" + name;
    SaveFile(base + ".nsi", script, 0);
    SaveFile(base + ".request", "", 0);
    const double t0 = Seconds();
    while (IsFile(base + ".request")) {
        if (Seconds() - t0 > 30) {
            DeleteFileA((base + ".request").c_str());
            printf("  no NSIS builder answered (run through scripts/bench.sh): no NSIS\n");
            return Text();
        }
        Sleep(50);
    }
    while (!IsFile(base + ".done") && !IsFile(base + ".failed") && Seconds() - t0 < 1800)
        Sleep(100);
    if (!IsFile(base + ".done") || !IsFile(base + ".exe")) {
        printf("  makensis failed for %s.nsi\n", base.c_str());
        return Text();
    }
    return base + ".exe";
}

// --- Rounds ---

struct Contender {
    Contender(Text l, Text t) : label(std::move(l)), tag(std::move(t)) {}
    Text label, tag; // tag: the name of its target folders
    std::vector<double> times;
    size_t peak = 0;
    bool ok = true;
    bool ran = false;
    double Time() const { return Median(times); }
};

struct Row {
    Contender plain{"plain", "plain"}, setup{"Setup.exe", "dst"},
        earlier{"earlier Setup.exe", "old"}, nsis{"NSIS", "nsis"};
    int files = 0;
};

class Bench {
  public:
    Bench(Options o, Text root, bool onTmpfs)
        : o_(std::move(o)), root_(std::move(root)), tmpfs_(onTmpfs) {}

    // Plain, Setup.exe, the earlier Setup.exe and NSIS in turn, the order turning each round.
    Row Race(const Package& p) {
        Row row;
        row.files = static_cast<int>(p.tree.files.size());
        std::vector<Contender*> order{&row.plain, &row.setup};
        if (!o_.compare.empty()) order.push_back(&row.earlier);
        if (!p.nsisInstaller.empty()) order.push_back(&row.nsis);
        for (int r = 0; r < o_.rounds; ++r) {
            for (size_t i = 0; i < order.size(); ++i) {
                Contender& c = *order[(i + static_cast<size_t>(r)) % order.size()];
                const Text target = p.dir + "\\" + c.tag + std::to_string(r);
                RunResult run = RunOne(p, c, target);
                c.ran = true;
                c.times.push_back(run.seconds);
                c.peak = std::max(c.peak, run.peak);
                c.ok = run.ok && Installed(p, target) && c.ok;
                if (tmpfs_) DeleteTree(target, true);
            }
        }
        return row;
    }

    const Text& Root() const { return root_; }
    const char* Where() const { return tmpfs_ ? "tmpfs" : "disk "; }
    const Options& Opts() const { return o_; }

  private:
    RunResult RunOne(const Package& p, const Contender& c, const Text& target) {
        // A process of its own, as Setup.exe is: both pay the system's start of a program.
        if (c.tag == "plain")
            return RunProgram(BinDir() + "\\install_bench.exe",
                              "--plain \"" + p.tree.src + "\" \"" + target + "\"", p.dir);
        if (c.tag == "nsis") return RunProgram(p.nsisInstaller, "/S /D=" + target, p.dir);
        return RunSetup(p, c.tag == "dst" ? "Setup.exe" : "SetupEarlier.exe", target);
    }

    Options o_;
    Text root_;
    bool tmpfs_;
};

const char* Met(bool met) {
    return met ? "met" : "MISSED";
}

void PrintHeader(const Options& o, const Text& setup) {
    printf("Silent installation by Setup.exe against a plain CopyFile/InflateFile program, each a "
           "process of its own\n");
    printf("  Setup.exe: %s (%.1f MiB)%s%s\n", setup.c_str(), MiB(double(FileSize(setup))),
           o.compare.empty() ? "" : "; earlier Setup.exe: ", o.compare.c_str());
    printf(
        "  medians of %d rounds, the order of the programs turning each round; every run in a\n"
        "  folder of its own (disk: trees kept until the payload is done; tmpfs: each run's tree\n"
        "  deleted after it). per file = (Setup.exe - plain - install of nothing) / files\n",
        o.rounds);
    printf("  %-5s %-34s %8s %11s %6s %7s %9s %17s\n", "on", "payload", "plain s", "Setup.exe s",
           "ratio", "<= 1.2", "per file", "peak WS (< 32)");
}

// The earlier Setup.exe against the plain program, NSIS against Setup.exe.
void PrintExtra(const Contender& c, const Row& row) {
    if (!c.ran) return;
    const double t = c.Time(), plain = row.plain.Time(), setup = row.setup.Time();
    char relation[48] = "";
    if (c.tag == "nsis" && t > 0)
        snprintf(relation, sizeof relation, "Setup.exe / NSIS %.2f", setup / t);
    else if (c.tag != "nsis" && row.files > 0 && plain > 0)
        snprintf(relation, sizeof relation, "ratio %.2f", t / plain);
    printf("  %-5s   %-32s %8s %11.2f   %-24s peak WS %.1f MiB%s\n", "", c.label.c_str(), "", t,
           relation, MiB(double(c.peak)), c.ok ? "" : "   FAILED");
}

void PrintRow(const Bench& b, const Package& p, const Row& row, double empty) {
    const double plain = row.plain.Time(), setup = row.setup.Time();
    if (row.files == 0) {
        printf("  %-5s %-34s %8s %11.2f %6s %7s %9s %9.1f MiB %s   (target < %.2f s: %s)%s\n",
               b.Where(), p.title.c_str(), "-", setup, "-", "", "-", MiB(double(row.setup.peak)),
               Met(MiB(double(row.setup.peak)) < PeakTargetMiB), EmptyTarget,
               Met(setup < EmptyTarget), row.setup.ok ? "" : "   FAILED");
        PrintExtra(row.earlier, row);
        PrintExtra(row.nsis, row);
        return;
    }
    const double ratio = plain > 0 ? setup / plain : 0;
    const double perFile = row.files > 0 ? (setup - plain - empty) / row.files * 1e6 : 0;
    const double peak = MiB(double(row.setup.peak));
    printf("  %-5s %-34s %8.2f %11.2f %6.2f %7s %6.0f us %9.1f MiB %s%s\n", b.Where(),
           p.title.c_str(), plain, setup, ratio, Met(ratio <= RatioTarget), perFile, peak,
           Met(peak < PeakTargetMiB), row.plain.ok && row.setup.ok ? "" : "   FAILED");
    PrintExtra(row.earlier, row);
    PrintExtra(row.nsis, row);
    fflush(stdout);
}

bool RowOk(const Row& row) {
    return row.plain.ok && row.setup.ok && row.earlier.ok && row.nsis.ok;
}

struct PayloadSet {
    const char* key;
    int count;
    int64_t each;
};

Text SetTitle(const PayloadSet& s, int64_t mib, bool packed) {
    char text[64];
    if (s.count == 0)
        snprintf(text, sizeof text, "install of nothing");
    else if (s.each >= 65536)
        snprintf(text, sizeof text, "%d files, %lld MiB, %s", s.count, static_cast<long long>(mib),
                 packed ? "\"._z\"" : "stored");
    else
        snprintf(text, sizeof text, "%d files of %lld KiB, %s", s.count,
                 static_cast<long long>(s.each / 1024), packed ? "\"._z\"" : "stored");
    Text t = text;
    if (s.count >= 1000) t.insert(t.find(' ') - 3, ",");
    return t;
}

bool Wanted(const Options& o, const char* key) {
    return o.only.empty() || ("," + o.only + ",").find("," + Text(key) + ",") != Text::npos;
}

// Every payload at one place; false when a run failed.
bool RunAt(Bench& b, const std::vector<std::pair<Text, Text>>& engines) {
    const Options& o = b.Opts();
    const PayloadSet sets[] = {{"empty", 0, 0},
                               {"large", 1000, o.mib * 1024 * 1024 / 1000},
                               {"small1k", 1000, 4096},
                               {"small10k", 10000, 4096}};
    bool ok = true;
    double empty = 0;
    std::optional<Row> small1k[2], small10k[2]; // stored, packed
    for (const PayloadSet& s : sets) {
        if (!Wanted(o, s.key)) continue;
        const Text dir = b.Root() + "\\" + s.key;
        DeleteTree(dir, true);
        CreateDirectoryA(dir.c_str(), nullptr);
        for (bool packed : {false, true}) {
            if (s.count == 0 && packed) continue;
            Package p =
                MakePackage(dir + (packed ? "\\packed" : "\\stored"), SetTitle(s, o.mib, packed),
                            s.count, s.each, packed ? Packing::Packed : Packing::Stored, engines);
            if (!p.tree.made) {
                printf("  %s %s: the payload cannot be made (disk full?)\n", b.Where(),
                       p.title.c_str());
                DeleteTree(dir, true);
                return false;
            }
            if (o.nsis) {
                // Built from stored files (they hold the same bytes as the streams), named
                // relative to the .nsi, which lies in `dir`.
                const Text files = packed ? "storedfiles" : "stored\\engine\\payload";
                if (packed)
                    zkbench::MakeTree(dir + "\\" + files, s.count, std::max(1, s.count / 100),
                                      s.each, Packing::Stored);
                const Text name = packed ? "nsis-zlib" : "nsis-stored";
                p.nsisInstaller = BuildNsisInstaller(
                    dir, name, NsisScript(files, s.count == 0, packed, name + ".exe"));
                if (packed) DeleteTree(dir + "\\" + files, true);
            }
            Row row = b.Race(p);
            if (s.count == 0) empty = row.setup.Time();
            PrintRow(b, p, row, empty);
            if (s.count == 1000 && s.each == 4096) small1k[packed] = row;
            if (s.count == 10000) small10k[packed] = row;
            ok = RowOk(row) && ok;
            DeleteTree(p.dir, true);
        }
        DeleteTree(dir, true);
    }
    // The plain program's own scaling beside it: what the disk adds for ten times the files.
    for (bool packed : {false, true}) {
        if (!small1k[packed] || !small10k[packed]) continue;
        const auto scale = [&](const Contender Row::*c) {
            const double one = ((*small1k[packed]).*c).Time();
            return one > 0 ? ((*small10k[packed]).*c).Time() / one : 0.0;
        };
        const double setup = scale(&Row::setup);
        printf("  %-5s 10,000 / 1,000 files of 4 KiB, %s: Setup.exe %.2f times (<= %.0f: %s), "
               "plain %.2f times\n",
               b.Where(), packed ? "\"._z\"" : "stored", setup, ScalingTarget,
               Met(setup > 0 && setup <= ScalingTarget), scale(&Row::plain));
    }
    return ok;
}

Options ParseOptions(int argc, char** argv) {
    Options o;
    for (int i = 1; i < argc; ++i) {
        const Text a = argv[i];
        const bool more = i + 1 < argc;
        if (a == "--rounds" && more)
            o.rounds = std::max(1, atoi(argv[++i]));
        else if (a == "--tmpfs" && more)
            o.tmpfs = argv[++i];
        else if (a == "--setup" && more)
            o.setup = argv[++i];
        else if (a == "--compare" && more)
            o.compare = argv[++i];
        else if (a == "--only" && more)
            o.only = argv[++i];
        else if (a == "--nsis")
            o.nsis = true;
        else if (!a.empty() && isdigit(static_cast<unsigned char>(a[0])))
            o.mib = std::max<int64_t>(1, atoll(a.c_str()));
        else
            printf("install_bench: unknown argument %s\n", a.c_str());
    }
    return o;
}

// Room for the largest payload at one time on the tmpfs drive: its stored and packed files,
// the NSIS installers and one run's tree.
bool TmpfsHasRoom(const Options& o) {
    ULARGE_INTEGER free{};
    if (!GetDiskFreeSpaceExA((o.tmpfs + "\\").c_str(), &free, nullptr, nullptr)) {
        printf("tmpfs %s: not reachable, no tmpfs rows\n", o.tmpfs.c_str());
        return false;
    }
    const double need = double(o.mib) * (o.nsis ? 5 : 3) + 256;
    if (MiB(double(free.QuadPart)) >= need) return true;
    printf("tmpfs %s: %.0f MiB free, the payloads need about %.0f MiB: no tmpfs rows\n",
           o.tmpfs.c_str(), MiB(double(free.QuadPart)), need);
    return false;
}

} // namespace

// The tree of a payload folder as MakeTree made it: its folders dK, their files, "._z" packed.
Tree ReadTree(const Text& src) {
    Tree t;
    t.src = src;
    WIN32_FIND_DATAA fd;
    UniqueFind folders(FindFirstFileA((src + "\\d*").c_str(), &fd));
    if (!folders) return t;
    do {
        if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) t.folders.push_back(fd.cFileName);
    } while (FindNextFileA(folders.get(), &fd));
    std::sort(t.folders.begin(), t.folders.end());
    for (const Text& folder : t.folders) {
        std::vector<Text> names;
        UniqueFind files(FindFirstFileA((src + "\\" + folder + "\\*.bin*").c_str(), &fd));
        if (files) {
            do names.push_back(fd.cFileName);
            while (FindNextFileA(files.get(), &fd));
        }
        std::sort(names.begin(), names.end());
        for (const Text& name : names) {
            const bool packed = name.size() > 3 && name.substr(name.size() - 3) == "._z";
            t.files.push_back(folder + "\\" + (packed ? name.substr(0, name.size() - 3) : name));
            t.packed.push_back(packed);
        }
    }
    return t;
}

int main(int argc, char** argv) {
    if (argc == 4 && Text(argv[1]) == "--plain") // the plain program: SRC TARGET
        return zkbench::PlainCopy(ReadTree(argv[2]), argv[3]) ? 0 : 1;
    Options o = ParseOptions(argc, argv);
    const Text setup = o.setup.empty() ? BinDir() + "\\Setup.exe" : o.setup;
    // Each Setup.exe with the UnInstall.exe beside it, else the bench's own.
    std::vector<std::pair<Text, Text>> engines;
    auto addEngine = [&](const Text& exe, const Text& name) {
        const Text beside = exe.substr(0, exe.rfind('\\') + 1) + "UnInstall.exe";
        engines.push_back({exe, name});
        engines.push_back(
            {IsFile(beside) ? beside : BinDir() + "\\UnInstall.exe", "UnInstall-" + name});
    };
    addEngine(setup, "Setup.exe");
    if (!o.compare.empty()) addEngine(o.compare, "SetupEarlier.exe");
    PrintHeader(o, setup);
    bool ok = true;
    CreateDirectoryA("C:\\zkbench", nullptr);
    {
        Bench disk(o, "C:\\zkbench\\install", false);
        CreateDirectoryA(disk.Root().c_str(), nullptr);
        ok = RunAt(disk, engines) && ok;
        DeleteTree(disk.Root(), true);
    }
    if (o.tmpfs.empty()) {
        printf("  no tmpfs drive given (scripts/bench.sh maps one where /dev/shm allows it)\n");
    } else if (TmpfsHasRoom(o)) {
        Bench tmpfs(o, o.tmpfs + "\\zkbench", true);
        CreateDirectoryA(tmpfs.Root().c_str(), nullptr);
        ok = RunAt(tmpfs, engines) && ok;
        DeleteTree(tmpfs.Root(), true);
    }
    return ok ? 0 : 1;
}
