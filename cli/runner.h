// Runs one request against many modules at once from one thread: each
// module gets its own non-blocking connection, at most `jobs` are open at a
// time, and each is bounded by the time-out from its own start, so a slow or
// dead module never holds up the others.
#pragma once

#include "cli/request.h"
#include "link/effect.h"
#include "link/trace.h"
#include "capture/capture_file.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace nolt::cli {

struct Target {
    std::string host;           // dotted IPv4 text as given
    std::uint16_t port = 0;
    std::uint32_t address = 0;  // network byte order

    std::string label() const { return host + ":" + std::to_string(port); }
};

enum class Outcome {
    Confirmed,   // the module's reply reports success
    Sent,        // sent whole; the module answers nothing to this command
    Refused,     // the module's reply reports a failure
    NoAnswer,    // connected, but no reply within the time-out
    LinkFailed,  // no connection, or it broke
};

const char* outcomeName(Outcome outcome);
inline int exitStatus(Outcome outcome) { return outcome == Outcome::Confirmed || outcome == Outcome::Sent ? 0 : 1; }

struct ModuleResult {
    Target target;
    Outcome outcome = Outcome::LinkFailed;
    // What the dialog would show, in order: log lines and box texts, and the
    // fields it fills (by control id). Failures of the link add its line.
    std::vector<std::wstring> lines;
    std::vector<Effect> fields;
    Bytes sent;
    std::vector<Bytes> received;  // each read as it arrived
    double seconds = 0;
};

struct RunSettings {
    int jobs = 64;
    std::chrono::milliseconds timeout{3000};
    TraceSink* trace = nullptr;
    // Every module's connection is recorded here when set.
    std::shared_ptr<capture::CaptureFile> capture;
    // Called as each module finishes, in the order they finish.
    std::function<void(const ModuleResult&)> finished;
};

// One result per target, in the targets' order.
std::vector<ModuleResult> runRequest(const Request& request, const std::vector<Target>& targets,
                                     const RunSettings& settings);

}  // namespace nolt::cli
