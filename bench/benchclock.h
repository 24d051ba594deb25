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

// The median; of an even count the mean of the two middle values.
inline double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// Prints "<what>: median .. ms over n openings (min .., max ..; target .. ms)", without the
// target when it is 0; `unit` names what was timed.
inline void PrintMedian(const wchar_t* what, std::vector<double> times, double targetMs,
                        const char* unit = "openings") {
    if (times.empty()) return;
    const double median = Median(times);
    std::sort(times.begin(), times.end());
    std::printf("%ls: median %.1f ms over %zu %s (min %.1f, max %.1f", what, median, times.size(), unit,
                times.front(), times.back());
    if (targetMs > 0) std::printf("; target %.0f ms", targetMs);
    std::printf(")\n");
}

}  // namespace kal::bench
