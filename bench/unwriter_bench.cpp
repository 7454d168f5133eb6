// Writing the uninstall script line by line, as the copy engine does for every file: 10,000
// lines against 1,000, plain and scrambled, and a second run continuing the larger script
// (every line checked against the ones already written). Appending makes each line cost the
// same, so the ratio of the two sizes stays near 10.
// Usage: unwriter_bench   (work files under C:\zkbench\unwriter, removed afterwards)
#include "BenchClock.h"
#include "SUnWriter.h"

#include <windows.h>

#include <cstdio>

using namespace zk;
using zkbench::Seconds;

namespace {

const char Root[] = "C:\\zkbench\\unwriter";

Text FileLine(int i) {
    return "REMOVE_FILE(C:\\Program Files\\Bench Product\\data\\" + IntToStr(i % 97) + "\\file_" +
           IntToStr(i) + ".dat)";
}

// Seconds for `lines` lines into a fresh script (or continuing one when keep is set).
double TimeLines(const Text& path, int lines, bool scrambled, bool keep) {
    if (!keep) DeleteFileA(path.c_str());
    const double start = Seconds();
    TUninstallWriter writer(true, scrambled, [&] { return path; });
    for (int i = 0; i < lines; ++i)
        if (!writer.AddLine(FileLine(i))) {
            std::printf("write failed at line %d\n", i);
            return -1;
        }
    writer.Close();
    return Seconds() - start;
}

double Best(const Text& path, int lines, bool scrambled) {
    double best = 1e9;
    for (int run = 0; run < 5; ++run) {
        const double t = TimeLines(path, lines, scrambled, false);
        if (t < 0) return t;
        if (t < best) best = t;
    }
    return best;
}

} // namespace

int main() {
    CreateDirectoryA("C:\\zkbench", nullptr);
    CreateDirectoryA(Root, nullptr);
    const Text path = Text(Root) + "\\UnInstall.txt";
    int rc = 0;
    for (bool scrambled : {false, true}) {
        const double small = Best(path, 1000, scrambled), large = Best(path, 10000, scrambled);
        if (small < 0 || large < 0) return 1;
        std::printf("%-9s  1,000 lines %7.4f s  10,000 lines %7.4f s  %6.2f us/line  ratio %.2f\n",
                    scrambled ? "scrambled" : "plain", small, large, large * 1e6 / 10000,
                    large / small);
        // A second installation over the same 10,000 lines: all duplicates, nothing written.
        const double again = TimeLines(path, 10000, scrambled, true);
        std::printf("%-9s  continuing 10,000 lines with 10,000 duplicates %7.4f s\n", "", again);
        if (large / small > 15) rc = 1;
    }
    DeleteFileA(path.c_str());
    RemoveDirectoryA(Root);
    RemoveDirectoryA("C:\\zkbench");
    return rc;
}
