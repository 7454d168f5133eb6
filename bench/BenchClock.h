// The benchmarks' clock: seconds from the performance counter.
#pragma once

#include <windows.h>

namespace zkbench {

inline double Seconds() {
    static const LARGE_INTEGER freq = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return double(t.QuadPart) / double(freq.QuadPart);
}

} // namespace zkbench
