// The benchmarks' clock (milliseconds of the performance counter) and the line each prints.
#pragma once
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace kal::bench {

inline double NowMs() {
    static const LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        ::QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER now;
    ::QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

// Prints "<what>: median .. ms over n openings (min .., max ..; target .. ms)"; the median of an
// even count is the mean of the two middle times.
inline void PrintMedian(const wchar_t* what, std::vector<double> times, double targetMs) {
    if (times.empty()) return;
    std::sort(times.begin(), times.end());
    const std::size_t n = times.size();
    const double median = n % 2 ? times[n / 2] : (times[n / 2 - 1] + times[n / 2]) / 2;
    std::printf("%ls: median %.1f ms over %zu openings (min %.1f, max %.1f; target %.0f ms)\n", what, median, n,
                times.front(), times.back(), targetMs);
}

}  // namespace kal::bench
