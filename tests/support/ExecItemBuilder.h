// Builds execute-item texts for the tests: outer delimiter "^", both records "|".
#pragma once
#include <string>

namespace zktest {

struct ExecCondDef {
    std::string notFlag, name, param, relation, value;
};
struct ExecSlotDef {
    std::string enabled, name, p1, p2, p3;
};
struct ExecItemDef {
    std::string name = "Item", stage = "Setup Start", count, kind = "Conditional", delay;
    ExecCondDef cond[3];
    std::string join[2]; // before conditions 2 and 3
    ExecSlotDef slot[4];
};

inline std::string BuildExecItem(const ExecItemDef& s) {
    std::string h[30], p[25];
    h[1] = s.name, h[2] = s.stage, h[3] = s.count, h[4] = s.kind, h[5] = s.delay;
    for (int n = 0; n < 3; ++n) {
        h[6 + 5 * n] = s.cond[n].notFlag, h[7 + 5 * n] = s.cond[n].name;
        p[1 + 4 * n] = s.cond[n].param, p[2 + 4 * n] = s.cond[n].relation;
        p[3 + 4 * n] = s.cond[n].value;
    }
    h[9] = s.join[0], h[14] = s.join[1];
    for (int n = 0; n < 4; ++n) {
        h[19 + 3 * n] = s.slot[n].enabled, h[20 + 3 * n] = s.slot[n].name;
        p[13 + 3 * n] = s.slot[n].p1, p[14 + 3 * n] = s.slot[n].p2, p[15 + 3 * n] = s.slot[n].p3;
    }
    std::string header = "|", params = "|";
    for (const std::string& f : h) header += f + "|";
    for (const std::string& f : p) params += f + "|";
    return "^" + header + "^" + params + "^";
}

} // namespace zktest
