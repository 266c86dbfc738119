// nolt-cli as a function: the whole program but for its process, so tests
// can run it in-process against an in-process simulator.
#pragma once

#include "cli/command_line.h"

#include <ostream>
#include <string>
#include <vector>

namespace nolt::cli {

// args excludes the program name.
int runCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace nolt::cli
