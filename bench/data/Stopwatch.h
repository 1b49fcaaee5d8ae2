#pragma once

#include <algorithm>
#include <chrono>
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

private:
    using Clock = std::chrono::steady_clock;
    Clock::time_point m_start;
};
