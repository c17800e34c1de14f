// What the benchmarks share: timing a piece of work, and the noisy tensile test of 10000
// records they time it on.
#pragma once

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <functional>
#include <utility>
#include <vector>

#include "run/run_state.h"

// The median and the 90th percentile, in ms, of `runs` timings of the work.
inline std::pair<double, double> TimeMs(int runs, const std::function<void()>& work) {
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        const auto start = std::chrono::steady_clock::now();
        work();
        times.push_back(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                .count());
    }
    std::sort(times.begin(), times.end());
    return {times[times.size() / 2], times[times.size() * 9 / 10]};
}

inline double MedianMs(int runs, const std::function<void()>& work) {
    return TimeMs(runs, work).first;
}

// Elastic, hardening, necking, break, with a little noise: 10000 records 30 ms apart.
inline void FillNoisyTensileTest(TestRun& run) {
    for (int i = 1; i <= 10000; ++i) {
        const double d = i * 0.002;
        const double f = d < 2    ? 10 * d
                         : d < 15 ? 20 + 12.5 * std::sqrt((d - 2) / 13)
                                  : 32.5 - (d - 15);
        char text[32];
        std::snprintf(text, sizeof text, "%07.3f", f + 0.02 * std::sin(i * 12.9898));
        run.g_strRecord0[i] = text;
        std::snprintf(text, sizeof text, "%07.3f", d);
        run.g_strRecord1[i] = text;
        run.g_dRecordTime[i] = i * 0.03;
    }
    run.g_nRecordCount = 10000;
    run.g_nBreakRecord = 10000;
}
