// How many descriptors and threads this process holds, read from /proc, so
// that a soak test can show that nothing leaks over many connections.
#pragma once

#include <filesystem>

namespace nolt::test {

inline int entriesIn(const char* folder)
{
    int count = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder)) ++count;
    return count;
}

inline int openDescriptors() { return entriesIn("/proc/self/fd"); }
inline int runningThreads() { return entriesIn("/proc/self/task"); }

}  // namespace nolt::test
