#pragma once

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

namespace calvora::bench {

// How often each figure is taken: a few untimed runs first, so that caches,
// the file's pages and lazily built state are warm, then the measured runs.
constexpr int WarmupRuns = 2;
constexpr int MeasuredRuns = 15;

class Stopwatch
{
public:
    Stopwatch() : m_start(std::chrono::steady_clock::now()) {}
    double elapsedMs() const
    {
        return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - m_start).count();
    }

private:
    std::chrono::steady_clock::time_point m_start;
};

inline double median(std::vector<double> values)
{
    if (values.empty())
        return 0.0;
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2.0;
}

// Runs one sample WarmupRuns times, then MeasuredRuns times, and returns the
// median of the measured ones. A sample does its own set-up and tidying and
// returns only the milliseconds of the part it times (with a Stopwatch).
// A sample that takes long may ask for fewer runs.
template <typename Sample>
double medianMs(Sample sample, int warmupRuns = WarmupRuns, int measuredRuns = MeasuredRuns)
{
    for (int run = 0; run < warmupRuns; ++run)
        sample();
    std::vector<double> times;
    times.reserve(std::size_t(measuredRuns));
    for (int run = 0; run < measuredRuns; ++run)
        times.push_back(sample());
    return median(std::move(times));
}

inline void report(const char *name, double medianMs)
{
    std::printf("%s: median_ms=%.3f\n", name, medianMs);
    std::fflush(stdout);
}

// decimals: of the two times. Figures per single call, of a few microseconds
// or less, need 6 to show anything but 0.000.
inline void report(const char *name, double medianMs, double baselineMs, int decimals = 3)
{
    std::printf("%s: median_ms=%.*f baseline_ms=%.*f ratio=%.2f\n", name, decimals, medianMs, decimals, baselineMs,
                baselineMs > 0.0 ? medianMs / baselineMs : 0.0);
    std::fflush(stdout);
}

} // namespace calvora::bench
