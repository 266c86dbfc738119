// nolt-cli's command line read into what to run, without running it: the
// request and the modules it goes to, or the range to search, and how.
// Nothing here opens a socket, so the reading can be tested and fuzzed on
// its own. The grammar (every option and command) is in command_line.cpp.
#pragma once

#include "cli/request.h"
#include "cli/runner.h"
#include "cli/targets.h"
#include "scan/scan_range.h"
#include "scan/scanner.h"

#include <chrono>
#include <optional>
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
    std::optional<std::string> pcap;  // record every module's connection into this file
    int jobs = 64;
    std::chrono::milliseconds timeout{3000};
};

// A command line that asks for a search.
struct ScanRequest {
    enum class Form { Text, Json, List };
    ScanRange range;
    ScanSettings settings;
    Form form = Form::Text;
};

// A command line that ends before anything is sent: --help or --version
// (status 0, the text for stdout) or bad input (status 2, the message for
// stderr, with its line end).
struct Immediate {
    int status = kExitBadInput;
    std::string out;
    std::string err;
};

using CommandLine = std::variant<Invocation, ScanRequest, Immediate>;

// args excludes the program name.
CommandLine readCommandLine(const std::vector<std::string>& args, const HostsOpener& open = openHostsFile);

}  // namespace nolt::cli
