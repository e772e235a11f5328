// Stopwatch and the samples of repeated runs: every figure the benchmarks
// report is the median of its runs, with the best beside it.
#pragma once

#include <functional>
#include <vector>

// Seconds fn took, on the monotonic clock.
double Seconds(const std::function<void()>& fn);
// Seconds of processor time (user and system) this process spent in fn: what
// other programs running beside it on a busy machine change least.
double CpuSeconds(const std::function<void()>& fn);

struct Samples {
    std::vector<double> Values;

    void Add(double value) { Values.push_back(value); }
    bool Empty() const { return Values.empty(); }
    std::size_t Count() const { return Values.size(); }
    double Sum() const;
    // The middle value (the mean of the two middle ones for an even count).
    double Median() const;
    // The smallest value, or the largest where more is better.
    double Best(bool higherIsBetter = false) const;
};
