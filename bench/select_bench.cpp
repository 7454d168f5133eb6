// The components list of 2,000 groups against 200: filling the selection from the script and
// recounting the required space and the group names after one click. Both are one pass over
// the groups, so each ratio stays near 10.
#include "BenchClock.h"
#include "SScript.h"
#include "SSelect.h"

#include <cstdio>

using namespace zk;

namespace {

TScript MakeScript(int groups) {
    TScript s;
    s.SetPageList("WelcomeDlg,SetupTypeDlg,CustomDlg,DestinationDlg,CopyFilesDlg");
    for (int g = 0; g < groups; ++g)
        s.AddGroup("|Group " + IntToStr(g) + "|Files of group " + IntToStr(g) +
                   "\\\\nsecond line|" + IntToStr(100 + g % 900) + "|" + IntToStr(g % 50) + "|" +
                   IntToStr(g % 300) + "||" + (g % 2 ? "1" : "0") + "|" + (g % 3 ? "0" : "1") +
                   "|" + (g % 4 ? "1" : "0") + "|" + (g % 10 ? "0" : "1") + "|");
    return s;
}

template <class Work> double BestTime(int runs, Work work) {
    double best = 1e9;
    for (int run = 0; run < runs; ++run) {
        double start = zkbench::Seconds();
        work();
        double took = zkbench::Seconds() - start;
        if (took < best) best = took;
    }
    return best;
}

struct Times {
    double fill, recount;
};

Times Measure(int groups) {
    TScript s = MakeScript(groups);
    ComponentSelection sel;
    sel.type = SetupType::Custom;
    volatile long double sink = 0;
    Times t;
    t.fill = BestTime(20, [&] { FillComponentSelection(s, sel); });
    int click = 0;
    t.recount = BestTime(20, [&] {
        // One click on an item the user can change, then what the pages show again.
        int i = (click++ * 7) % groups;
        while (!sel.items[i].enabled) i = (i + 1) % groups;
        SetComponentChecked(sel, i, !sel.items[i].checked);
        sink = GetRequiredSpace(s, sel, SpaceMegabytes) + GetGroupNames(s, sel).size() +
               CountSelectedFiles(s, sel);
    });
    return t;
}

} // namespace

int main() {
    Times small = Measure(200), large = Measure(2000);
    std::printf("components list: 200 groups    fill %8.1f us  recount after a click %8.1f us\n",
                small.fill * 1e6, small.recount * 1e6);
    std::printf("components list: 2,000 groups  fill %8.1f us  recount after a click %8.1f us\n",
                large.fill * 1e6, large.recount * 1e6);
    std::printf("ratio 2,000 / 200: fill %.1f  recount %.1f\n", large.fill / small.fill,
                large.recount / small.recount);
    return 0;
}
