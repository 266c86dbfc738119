// nolt-cli run in-process, with what it printed, its exit status and the
// time it took; shared by the command-line client's tests.
#pragma once

#include "cli/cli.h"

#include <chrono>
#include <sstream>
#include <string>
#include <vector>

namespace nolt::test {

struct CliRun {
    int status = -1;
    std::string out;
    std::string err;
    double seconds = 0;
};

inline CliRun runCli(const std::vector<std::string>& args)
{
    std::ostringstream out, err;
    CliRun run;
    const auto start = std::chrono::steady_clock::now();
    run.status = cli::runCli(args, out, err);
    run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    run.out = out.str();
    run.err = err.str();
    return run;
}

inline std::vector<std::string> linesOf(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

}  // namespace nolt::test
