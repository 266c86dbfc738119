// The command line of nolt-sim, turned into server options.
#pragma once

#include "sim/sim_options.h"

#include <string>
#include <vector>

namespace nolt::sim {

struct CommandLine {
    enum class Outcome { Run, Help, Version, Error };
    Outcome outcome = Outcome::Run;
    ServerOptions options;
    std::string error;  // for Outcome::Error
};

// args excludes the program name. The executable is not quiet by default.
CommandLine parseCommandLine(const std::vector<std::string>& args);

// The text printed by --help.
std::string usageText();

}  // namespace nolt::sim
