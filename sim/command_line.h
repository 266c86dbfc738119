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
    // Help and Version: the text for stdout; Error: the message for stderr.
    // Both end with a line end.
    std::string text;
};

// args excludes the program name. The executable is not quiet by default.
CommandLine parseCommandLine(const std::vector<std::string>& args);

}  // namespace nolt::sim
