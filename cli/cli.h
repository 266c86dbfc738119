// nolt-cli as a function: the whole program but for its process, so tests
// can run it in-process against an in-process simulator.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace nolt::cli {

// Exit statuses: 0 every module confirmed, 1 a module refused, did not answer
// or could not be reached, 2 bad input (nothing sent).
inline constexpr int kExitConfirmed = 0;
inline constexpr int kExitFailed = 1;
inline constexpr int kExitBadInput = 2;

// args excludes the program name.
int runCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

// The top-level --help text.
std::string usageText();

}  // namespace nolt::cli
