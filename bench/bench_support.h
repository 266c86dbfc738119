// Shared by the measurements: the table rows they print, CPU time, and
// percentiles.
#pragma once

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

namespace nolt::bench {

// One row of the table that scripts/bench.sh prints: what was measured, the
// figure, and the goal it is held against (empty when there is none).
inline void printRow(const std::string& what, const std::string& figure, const std::string& goal = {})
{
    std::printf("| %-66s | %22s | %-16s |\n", what.c_str(), figure.c_str(), goal.c_str());
    std::fflush(stdout);
}

inline std::string format(const char* pattern, double value)
{
    char text[64];
    std::snprintf(text, sizeof text, pattern, value);
    return text;
}

// CPU time of the whole process (every thread), in seconds.
inline double processCpuSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

// CPU time of the calling thread, in seconds.
inline double threadCpuSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

// The value below which `share` (0..1) of the samples lie.
inline double percentile(std::vector<double> samples, double share)
{
    if (samples.empty()) return 0;
    std::sort(samples.begin(), samples.end());
    const auto index = static_cast<std::size_t>(share * static_cast<double>(samples.size() - 1) + 0.5);
    return samples[std::min(index, samples.size() - 1)];
}

// A positive count from an environment variable, or the fallback (used to
// make a quick run of the measurements while developing).
inline int settingFromEnvironment(const char* name, int fallback)
{
    const char* text = std::getenv(name);
    const int value = text ? std::atoi(text) : 0;
    return value > 0 ? value : fallback;
}

// The measurements, each printing its rows.
void runReceivePath(int& argc, char** argv);
bool runLinkLatency(int queries);
bool runIdleCpu(int seconds);

}  // namespace nolt::bench
