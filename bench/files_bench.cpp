// Throughput of the copy and inflate paths on one large file of mixed data and its "._z"
// companion: the system's CopyFile, CopyFileWithProgress, InflateFile and zlib's in-memory
// uncompress of the same stream, plus the peak working set of InflateFile.
// Usage: files_bench [MiB]   (default 512; work files under C:\zkbench\, removed afterwards)
#include "Files.h"
#include "BenchClock.h"
#include "BenchTree.h"
#include "Handles.h"
#include "ZLibOpen.h"

#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <cstdlib>
#include <new>
#include <vector>

using namespace zk;

namespace {

const char WorkDir[] = "C:\\zkbench";
const size_t Block = 1 << 20;

using zkbench::Seconds;

size_t PeakWorkingSet() {
    PROCESS_MEMORY_COUNTERS c{};
    GetProcessMemoryInfo(GetCurrentProcess(), &c, sizeof c);
    return c.PeakWorkingSetSize;
}

// Blocks in turn: noise, text lines, a small alphabet, and sparse tables (as in programs).
void FillBlock(std::vector<unsigned char>& b, size_t index, uint32_t& seed) {
    auto next = [&] { return (seed = seed * 1103515245u + 12345u) >> 16; };
    switch (index % 4) {
    case 0:
        for (auto& c : b) c = static_cast<unsigned char>(next());
        break;
    case 1:
        for (size_t i = 0; i < b.size();) {
            char line[96];
            int n = snprintf(line, sizeof line,
                             "Line %u of the readme: copy %u files to <TARGET_DIR>\r\n", next(),
                             next() % 1000);
            for (int k = 0; k < n && i < b.size(); ++k)
                b[i++] = static_cast<unsigned char>(line[k]);
        }
        break;
    case 2:
        for (auto& c : b) c = static_cast<unsigned char>('a' + next() % 12);
        break;
    default:
        for (size_t i = 0; i < b.size(); ++i)
            b[i] = (i % 64 < 8) ? static_cast<unsigned char>(next()) : 0;
    }
}

// Writes the plain file and its zlib stream side by side, one block at a time.
bool MakeFiles(const Text& plain, const Text& packed, size_t mib) {
    UniqueFile a(CreateFileA(plain.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    UniqueFile z(CreateFileA(packed.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    if (!a || !z) return false;
    z_stream s{};
    deflateInit(&s, Z_DEFAULT_COMPRESSION);
    std::vector<unsigned char> block(Block), out(Block);
    uint32_t seed = 20260101;
    bool ok = true;
    for (size_t i = 0; i < mib && ok; ++i) {
        FillBlock(block, i, seed);
        ok = zkbench::WriteAll(a.get(), block.data(), block.size()) &&
             zkbench::DeflateInto(s, block.data(), block.size(),
                                  i + 1 == mib ? Z_FINISH : Z_NO_FLUSH, z.get(), out);
    }
    deflateEnd(&s);
    return ok;
}

int64_t SizeOf(const Text& path) {
    WIN32_FILE_ATTRIBUTE_DATA d;
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &d)) return -1;
    return (int64_t(d.nFileSizeHigh) << 32) | d.nFileSizeLow;
}

// One timed run; the target is removed afterwards, outside the clock.
template <typename Run> double MBps(int64_t bytes, const Text& target, Run run) {
    double t0 = Seconds();
    bool ok = run();
    double t = Seconds() - t0;
    DeleteFileA(target.c_str());
    return ok ? double(bytes) / (1 << 20) / t : -1;
}

// zlib's one-call uncompress of the whole stream into one buffer, both held in memory.
class InMemory {
  public:
    InMemory(const Text& packed, size_t bytes)
        : stream_(LoadFile(packed)), out_(new (std::nothrow) unsigned char[bytes]), bytes_(bytes) {}
    ~InMemory() { delete[] out_; }
    InMemory(const InMemory&) = delete;
    InMemory& operator=(const InMemory&) = delete;
    bool Fits() const { return !stream_.empty() && out_; }
    double MBps() {
        if (!Fits()) return -1;
        uLongf n = static_cast<uLongf>(bytes_);
        double t0 = Seconds();
        int code = uncompress(out_, &n, reinterpret_cast<const Bytef*>(stream_.data()),
                              static_cast<uLong>(stream_.size()));
        double t = Seconds() - t0;
        return code == Z_OK && n == bytes_ ? double(bytes_) / (1 << 20) / t : -1;
    }

  private:
    Text stream_;
    unsigned char* out_;
    size_t bytes_;
};

void Verdict(const char* what, double value, double target, bool below) {
    bool ok = below ? value < target : value >= target;
    printf("  %-52s %8.2f  target %s %.2f  %s\n", what, value, below ? "<" : ">=", target,
           ok ? "met" : "MISSED");
}

} // namespace

int main(int argc, char** argv) {
    size_t mib = argc > 1 ? strtoul(argv[1], nullptr, 10) : 512;
    Text dir = WorkDir, plain = dir + "\\mixed.bin", packed = plain + "._z";
    DeleteTree(dir, true);
    CreateDirectoryA(dir.c_str(), nullptr);
    printf("files_bench: %zu MiB of mixed data, %d-bit process, zlib %s\n", mib,
           int(sizeof(void*) * 8), zlibVersion());
    if (!MakeFiles(plain, packed, mib)) {
        printf("cannot make the work files under %s\n", WorkDir);
        DeleteTree(dir, true);
        return 1;
    }
    const int64_t bytes = SizeOf(plain), zbytes = SizeOf(packed);
    printf("  plain %lld bytes, ._z %lld bytes (%.1f%%)\n", (long long)bytes, (long long)zbytes,
           100.0 * zbytes / bytes);

    const Text copy = dir + "\\copy.bin", inflated = dir + "\\inflated.bin";
    size_t peakBefore = PeakWorkingSet();
    bool same = InflateFile(packed, inflated, nullptr) && SizeOf(inflated) == bytes;
    size_t peakInflate = PeakWorkingSet();
    DeleteFileA(inflated.c_str());

    // Rounds interleaved so that all see the same cache and load; the best of each counts.
    InMemory inMemory(packed, size_t(bytes));
    double system = 0, ours = 0, inflate = 0, memory = inMemory.Fits() ? 0 : -1;
    for (int round = 0; round < 5; ++round) {
        double r1 =
            MBps(bytes, copy, [&] { return CopyFileA(plain.c_str(), copy.c_str(), FALSE); });
        double r2 = MBps(bytes, copy, [&] { return CopyFileWithProgress(plain, copy, nullptr); });
        double r3 = MBps(bytes, inflated, [&] { return InflateFile(packed, inflated, nullptr); });
        double r4 = inMemory.MBps();
        printf("  round %d: CopyFile %.0f, CopyFileWithProgress %.0f, InflateFile %.0f, "
               "uncompress %.0f MB/s\n",
               round + 1, r1, r2, r3, r4);
        system = std::max(system, r1);
        ours = std::max(ours, r2);
        inflate = std::max(inflate, r3);
        if (memory >= 0) memory = std::max(memory, r4);
    }
    DeleteTree(dir, true);

    printf("  CopyFile                      %8.1f MB/s\n", system);
    printf("  CopyFileWithProgress          %8.1f MB/s\n", ours);
    printf("  InflateFile (file to file)    %8.1f MB/s%s\n", inflate, same ? "" : "  WRONG SIZE");
    if (memory < 0)
        printf("  uncompress (in memory)        does not fit in this process\n");
    else
        printf("  uncompress (in memory)        %8.1f MB/s\n", memory);
    printf("  InflateFile peak working set  %8.1f MiB (%.1f MiB before it)\n",
           peakInflate / 1048576.0, peakBefore / 1048576.0);
    Verdict("CopyFileWithProgress / CopyFile", ours / system, 0.9, false);
    if (memory > 0)
        Verdict("InflateFile / min(CopyFile, in-memory)", inflate / std::min(system, memory), 0.8,
                false);
    Verdict("InflateFile peak working set, MiB", peakInflate / 1048576.0, 32, true);
    return 0;
}
