#include "link/trace.h"

#include "link/frame.h"
#include "link/protocol_names.h"
#include "platform/calendar.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace nolt {

std::string toHex(std::span<const std::uint8_t> bytes)
{
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(bytes.size() * 3);
    for (std::uint8_t b : bytes) {
        if (!out.empty()) out += ' ';
        out += kDigits[b >> 4];
        out += kDigits[b & 0x0F];
    }
    return out;
}

std::string printableText(std::span<const std::uint8_t> bytes)
{
    std::string text;
    text.reserve(bytes.size());
    for (std::uint8_t b : bytes) text += (b >= 0x20 && b < 0x7F) ? static_cast<char>(b) : '.';
    return text;
}

namespace {

// The names of the whole frames a block holds, or empty when the block is not
// a run of whole frames of known codes (a piece of a split reply, or text).
std::string frameNames(std::span<const std::uint8_t> bytes, bool fromModule)
{
    std::string names;
    std::size_t at = 0;
    while (at < bytes.size()) {
        if (bytes[at] != kFrameStart || at + 3 > bytes.size()) return {};
        const std::size_t end = at + bytes[at + 2] + kFrameOverhead;
        const std::string_view name = fromModule ? replyName(bytes[at + 1]) : commandName(bytes[at + 1]);
        if (end > bytes.size() || name.empty()) return {};
        names += (names.empty() ? "" : ", ") + std::string(name);
        at = end;
    }
    return names;
}

}  // namespace

std::string blockText(std::span<const std::uint8_t> bytes, TraceDirection direction, TracePeer writer)
{
    if (bytes.empty()) return {};
    if (bytes.front() != kFrameStart) {
        // Text such as the push-address exchange gets its printable form; a
        // binary piece of a split frame would only gain noise.
        const auto printable = std::count_if(bytes.begin(), bytes.end(), [](std::uint8_t b) { return b >= 0x20 && b < 0x7F; });
        if (2 * static_cast<std::size_t>(printable) <= bytes.size()) return toHex(bytes);
        return toHex(bytes) + "  \"" + printableText(bytes) + "\"";
    }
    const bool fromModule = (direction == TraceDirection::Sent) == (writer == TracePeer::Module);
    const std::string names = frameNames(bytes, fromModule);
    return names.empty() ? toHex(bytes) : toHex(bytes) + "  " + names;
}

std::string traceLine(std::chrono::system_clock::time_point when, std::string_view peer,
                      TraceDirection direction, std::span<const std::uint8_t> bytes)
{
    using namespace std::chrono;
    const auto sinceEpoch = when.time_since_epoch();
    const std::time_t seconds = static_cast<std::time_t>(duration_cast<std::chrono::seconds>(sinceEpoch).count());
    const auto millis = duration_cast<milliseconds>(sinceEpoch).count() % 1000;
    const std::tm parts = utcCalendar(seconds);
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "%02d:%02d:%02d.%03d", parts.tm_hour, parts.tm_min, parts.tm_sec,
                  static_cast<int>(millis));
    std::string line = stamp;
    line += ' ';
    line += peer;
    line += direction == TraceDirection::Sent ? " -> " : " <- ";
    line += blockText(bytes, direction, TracePeer::Tool);
    return line;
}

std::shared_ptr<TraceSink> TraceSink::openFile(const std::string& path)
{
    std::shared_ptr<TraceSink> sink(new TraceSink());
    sink->file_.open(path, std::ios::out | std::ios::app | std::ios::binary);
    if (!sink->file_) return nullptr;
    sink->out_ = &sink->file_;
    return sink;
}

std::shared_ptr<TraceSink> TraceSink::fromEnvironment(const char* variable)
{
    const char* path = std::getenv(variable);
    if (!path || !*path) return nullptr;
    return openFile(path);
}

void TraceSink::record(std::string_view peer, TraceDirection direction, std::span<const std::uint8_t> bytes)
{
    const std::string line = traceLine(std::chrono::system_clock::now(), peer, direction, bytes);
    std::lock_guard lock(mutex_);
    *out_ << line << '\n';
    out_->flush();
}

}  // namespace nolt
