// Reading time of generated setup scripts: 10,000 file items in 200 groups (about 60,000 lines)
// against a tenth of that. Reading is linear, so the ratio of the two times stays near 10.
#include "SScriptRead.h"

#include <chrono>
#include <cstdio>

using namespace zk;

namespace {

// Six lines per file item, as an authoring tool writes them for files in their own folders.
Text GenerateScript(int groups, int filesPerGroup, int& lines) {
    Text s = "SET_PROG_NAME(Bench)\r\nSET_DIALOGS(WelcomeDlg,CopyFilesDlg,CompleteDlg)\r\n";
    lines = 2;
    for (int g = 0; g < groups; ++g) {
        const Text group = IntToStr(g);
        s += "SET_GROUP_DATA(|Group " + group + "|Files of group " + group + "|100|" +
             IntToStr(filesPerGroup) + "|50||1|1|1|0|)\r\n";
        ++lines;
        for (int f = 0; f < filesPerGroup; ++f) {
            const Text file = group + "_" + IntToStr(f);
            s += "// file " + file + "\r\n";
            s += "SET_SUB_DIR(<TARGET_DIR>\\data\\" + group + "\\" + IntToStr(f % 7) + ")\r\n";
            s += "SET_OVERWRITE_FLAG(" + IntToStr(f % 5) + ")   ; overwrite rule\r\n";
            s += "SET_COPY_FILES(1*file" + file + ".dat|0*\"shared.dll\")\r\n";
            s += "SET_PERFORM_REGISTRY_OP(|1|HKEY_CURRENT_USER\\Software\\Bench\\" + file +
                 "|Path|<TARGET_DIR>|)\r\n";
            s += "\r\n";
            lines += 6;
        }
    }
    return s;
}

// Best of a few runs, in seconds.
template <class Work> double BestTime(Work work) {
    double best = 1e9;
    for (int run = 0; run < 15; ++run) {
        auto start = std::chrono::steady_clock::now();
        work();
        std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        if (took.count() < best) best = took.count();
    }
    return best;
}

double TimeReading(const Text& script) {
    return BestTime([&] {
        TScript s;
        ReadScriptText(s, script, {});
    });
}

// The platform's own cost of keeping that many strings: the text split into stored lines.
// Its ratio shows how much of the reading's ratio the heap adds (memory beyond the caches).
double TimeSplitting(const Text& script) {
    return BestTime([&] {
        TextList lines;
        for (size_t start = 0, end; start < script.size(); start = end + 1) {
            end = script.find('\n', start);
            if (end == Text::npos) end = script.size();
            lines.push_back(script.substr(start, end - start));
        }
    });
}

} // namespace

int main() {
    int smallLines = 0, largeLines = 0;
    const Text small = GenerateScript(20, 50, smallLines);
    const Text large = GenerateScript(200, 50, largeLines);
    const double smallTime = TimeReading(small), largeTime = TimeReading(large);
    std::printf("small: %6d lines %8.4f s %7.3f us/line\n", smallLines, smallTime,
                smallTime * 1e6 / smallLines);
    std::printf("large: %6d lines %8.4f s %7.3f us/line\n", largeLines, largeTime,
                largeTime * 1e6 / largeLines);
    std::printf("ratio: %.2f (lines %.2f)\n", largeTime / smallTime,
                static_cast<double>(largeLines) / smallLines);
    const double smallSplit = TimeSplitting(small), largeSplit = TimeSplitting(large);
    std::printf("split into lines only: small %.4f s, large %.4f s, ratio %.2f\n", smallSplit,
                largeSplit, largeSplit / smallSplit);
    return largeTime < 0.5 ? 0 : 1;
}
