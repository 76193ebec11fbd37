#pragma once

#include <algorithm>
#include <chrono>
#include <ctime>
#include <utility>
#include <vector>

namespace bench {

// One run, in microseconds: wall time, and CPU time of the whole process (every thread,
// user and system). Waiting for the disk to sync counts in the first only.
struct Sample {
    double wall = 0;
    double cpu = 0;
};

inline double processCpuMicros() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e6 + double(now.tv_nsec) / 1e3;
}

template <class F> Sample measure(F&& f) {
    const double cpuStart = processCpuMicros();
    const auto start = std::chrono::steady_clock::now();
    std::forward<F>(f)();
    const auto stop = std::chrono::steady_clock::now();
    const double cpuStop = processCpuMicros();
    return {std::chrono::duration<double, std::micro>(stop - start).count(), cpuStop - cpuStart};
}

// The median resists the odd slow write-back of the file system better than a mean.
inline double median(std::vector<double> values) {
    if (values.empty())
        return 0.0;
    const auto middle = values.begin() + std::ptrdiff_t(values.size() / 2);
    std::nth_element(values.begin(), middle, values.end());
    if (values.size() % 2 == 1)
        return *middle;
    const double upper = *middle;
    const double lower = *std::max_element(values.begin(), middle);
    return (lower + upper) / 2.0;
}

// Medians of wall and of CPU time, each taken on its own.
inline Sample median(const std::vector<Sample>& samples) {
    std::vector<double> wall;
    std::vector<double> cpu;
    for (const Sample& sample : samples) {
        wall.push_back(sample.wall);
        cpu.push_back(sample.cpu);
    }
    return {median(std::move(wall)), median(std::move(cpu))};
}

} // namespace bench
