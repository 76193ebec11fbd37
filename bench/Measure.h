#pragma once

#include <algorithm>
#include <chrono>
#include <utility>
#include <vector>

namespace bench {

// Microseconds that one call of f takes.
template <class F> double micros(F&& f) {
    const auto start = std::chrono::steady_clock::now();
    std::forward<F>(f)();
    const auto stop = std::chrono::steady_clock::now();
    return std::chrono::duration<double, std::micro>(stop - start).count();
}

// The median resists the odd slow write-back of the file system better than a mean.
inline double median(std::vector<double> samples) {
    if (samples.empty())
        return 0.0;
    const auto middle = samples.begin() + std::ptrdiff_t(samples.size() / 2);
    std::nth_element(samples.begin(), middle, samples.end());
    if (samples.size() % 2 == 1)
        return *middle;
    const double upper = *middle;
    const double lower = *std::max_element(samples.begin(), middle);
    return (lower + upper) / 2.0;
}

} // namespace bench
