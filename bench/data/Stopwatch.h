#pragma once

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

// Measures elapsed wall-clock time from its creation or last restart.
class Stopwatch
{
public:
    Stopwatch() : m_start(Clock::now()) {}

    void restart() { m_start = Clock::now(); }
    double seconds() const { return std::chrono::duration<double>(Clock::now() - m_start).count(); }
    double milliseconds() const { return seconds() * 1000.0; }

    // The median of some measurements (0 for none).
    static double median(std::vector<double> values)
    {
        if (values.empty())
            return 0;
        std::sort(values.begin(), values.end());
        const size_t n = values.size();
        return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
    }

    // Prints the median of runs in milliseconds against its target, and the runs.
    static void printMedian(const char *what, const std::vector<double> &ms, double target)
    {
        const double m = median(ms);
        std::printf("%-40s median %7.2f ms  target < %3.0f ms: %s  (runs:", what, m, target,
                    m < target ? "met" : "MISSED");
        for (double run : ms)
            std::printf(" %.1f", run);
        std::printf(")\n");
    }

private:
    using Clock = std::chrono::steady_clock;
    Clock::time_point m_start;
};
