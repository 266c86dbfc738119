// A record of the traffic with modules, for bug reports: every block sent and
// received, time-stamped, in hex, one line each, in the same form as the
// simulator prints its frames ("-> AA 01 01 01 01  Status query"; unframed text is followed
// by its printable form in quotes). The command-line client writes it to
// stderr; the dialog's link writes it to the file named by
// NOLT_PCCLIENT_TRACE when that is set.
#pragma once

#include <chrono>
#include <cstdint>
#include <fstream>
#include <memory>
#include <mutex>
#include <ostream>
#include <span>
#include <string>
#include <string_view>

namespace nolt {

inline constexpr const char* kTraceVariable = "NOLT_PCCLIENT_TRACE";

// "AA 01 01 01 01": upper case, one blank between bytes.
std::string toHex(std::span<const std::uint8_t> bytes);

// The bytes as text, with every byte outside printable ASCII shown as ".".
std::string printableText(std::span<const std::uint8_t> bytes);

enum class TraceDirection { Sent, Received };
// Who writes the trace: the tool (its blocks sent are commands) or the module
// (its blocks sent are replies). It decides how whole frames are named.
enum class TracePeer { Tool, Module };

// The simulator's form of one block: "HEX", then after two blanks the names of
// the whole frames it holds ("Status report, Status report") when it is a run
// of whole frames of known codes; a block that does not start a frame and is
// mostly printable is followed by its printable form ("HEX  \"text\"").
std::string blockText(std::span<const std::uint8_t> bytes, TraceDirection direction, TracePeer writer);

// One line: "HH:MM:SS.mmm PEER -> HEX" in UTC, "<-" for received blocks.
std::string traceLine(std::chrono::system_clock::time_point when, std::string_view peer,
                      TraceDirection direction, std::span<const std::uint8_t> bytes);

// Writes trace lines to a stream; callable from any thread, one line whole.
class TraceSink {
public:
    explicit TraceSink(std::ostream& out) : out_(&out) {}

    // Appends to a file; nullptr when it cannot be opened.
    static std::shared_ptr<TraceSink> openFile(const std::string& path);
    // The file named by the environment variable; nullptr when it is unset,
    // empty, or cannot be opened.
    static std::shared_ptr<TraceSink> fromEnvironment(const char* variable = kTraceVariable);

    void record(std::string_view peer, TraceDirection direction, std::span<const std::uint8_t> bytes);

private:
    TraceSink() = default;

    std::mutex mutex_;
    std::ofstream file_;
    std::ostream* out_ = nullptr;
};

}  // namespace nolt
