#include "support/Timing.h"

#include <algorithm>
#include <chrono>
#include <stdexcept>
#include <time.h>

double Seconds(const std::function<void()>& fn)
{
    const auto start = std::chrono::steady_clock::now();
    fn();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double CpuSeconds(const std::function<void()>& fn)
{
    auto now = [] {
        timespec t{};
        clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
        return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
    };
    const double start = now();
    fn();
    return now() - start;
}

double Samples::Median() const
{
    if (Values.empty())
        throw std::logic_error("median of no runs");
    std::vector<double> sorted = Values;
    std::sort(sorted.begin(), sorted.end());
    const std::size_t mid = sorted.size() / 2;
    return sorted.size() % 2 ? sorted[mid] : (sorted[mid - 1] + sorted[mid]) / 2;
}

double Samples::Sum() const
{
    double sum = 0;
    for (double value : Values)
        sum += value;
    return sum;
}

double Samples::Best(bool higherIsBetter) const
{
    if (Values.empty())
        throw std::logic_error("best of no runs");
    return higherIsBetter ? *std::max_element(Values.begin(), Values.end())
                          : *std::min_element(Values.begin(), Values.end());
}
