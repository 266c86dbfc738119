// nolt-cli's command line read into what to run, without running it: the
// request, the modules it goes to and how. Nothing here opens a socket, so
// the reading can be tested and fuzzed on its own.
#pragma once

#include "cli/request.h"
#include "cli/runner.h"

#include <chrono>
#include <functional>
#include <istream>
#include <memory>
#include <string>
#include <variant>
#include <vector>

namespace nolt::cli {

// Exit statuses: 0 every module confirmed, 1 a module refused, did not answer
// or could not be reached, 2 bad input (nothing sent).
inline constexpr int kExitConfirmed = 0;
inline constexpr int kExitFailed = 1;
inline constexpr int kExitBadInput = 2;

// A command line that asks for something to be sent.
struct Invocation {
    Request request;
    std::vector<Target> targets;
    bool batch = false;  // --hosts: an outcome line per module, then the table
    bool json = false;
    bool trace = false;
    int jobs = 64;
    std::chrono::milliseconds timeout{3000};
};

// A command line that ends before anything is sent: --help or --version
// (status 0, the text for stdout) or bad input (status 2, the message for
// stderr, with its line end).
struct Immediate {
    int status = kExitBadInput;
    std::string out;
    std::string err;
};

// The scan command, whose words are read by the scan itself: what follows
// "scan", then the global options given before it.
struct ScanCall {
    std::vector<std::string> args;
};

using CommandLine = std::variant<Invocation, Immediate, ScanCall>;

// Opens the file that --hosts names; nullptr when it cannot be read.
using HostsOpener = std::function<std::unique_ptr<std::istream>(const std::string& path)>;
std::unique_ptr<std::istream> openHostsFile(const std::string& path);

// args excludes the program name.
CommandLine readCommandLine(const std::vector<std::string>& args, const HostsOpener& open = openHostsFile);

// The modules of a hosts file: one "host[:port]" a line, "#" starts a
// comment, blank lines are skipped, defaultPort where a line names none.
// Either every module, or the message for the first line that is none
// ("name:line: ...") or for a file that names no module.
std::variant<std::vector<Target>, std::string> readHostsList(std::istream& in, const std::string& name,
                                                             const std::string& defaultPort);

// The top-level --help text.
std::string usageText();

}  // namespace nolt::cli
