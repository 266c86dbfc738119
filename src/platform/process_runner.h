// Starts a program with an argument vector (no shell) and waits for it.
// POSIX only; Windows runs its commands through the runtime's system().
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace nolt {

// The status a run returns when the program could not be started.
inline constexpr int kSpawnFailed = -1;

// Runs argv[0] (a path, or a name looked up in PATH) with the tool's standard
// streams and returns its exit status, 128 + the signal number when a signal
// ended it, or kSpawnFailed.
int runProcess(const std::vector<std::string>& argv);

// Runs the program with its standard output captured (standard error and
// input go to /dev/null). Empty when it could not be started or failed.
std::optional<std::string> captureProcessOutput(const std::vector<std::string>& argv);

}  // namespace nolt
