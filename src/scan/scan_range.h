// The addresses a search for modules covers, as the user writes them:
// "192.168.2.0/24", "192.168.2.10-192.168.2.60", "192.168.2.10-60" or one
// address. Only ranges that can hold modules on a local network are taken
// (private, link-local and loopback addresses), and at most kMaxScanAddresses
// of them, so that a slip of the keyboard never sends connections out to the
// internet or floods a network.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

namespace nolt {

inline constexpr std::size_t kMaxScanAddresses = 1024;

// Both ends included; addresses in host byte order (127.0.0.1 is 0x7F000001).
struct ScanRange {
    std::uint32_t first = 0;
    std::uint32_t last = 0;

    std::size_t size() const { return static_cast<std::size_t>(last - first) + 1; }
    std::uint32_t at(std::size_t index) const { return first + static_cast<std::uint32_t>(index); }
    bool operator==(const ScanRange&) const = default;
};

struct ScanRangeError {
    std::string message;  // says what is wrong, for the user
};

// Reads a range from text. Pure: it looks at nothing but the text, so any
// input may be thrown at it; the message of an error names the problem.
std::variant<ScanRange, ScanRangeError> parseScanRange(std::string_view text);

// "a.b.c.d" of a host-order address.
std::string dottedText(std::uint32_t address);

// The /24 around an address typed as dotted text ("192.168.2.119" gives
// "192.168.2.0/24"); empty when the text is no address of four numbers.
std::string surroundingSlash24(std::string_view address);

// Limits every later search of this process to 127.0.0.0/8. The tests call
// it, so that no test can reach beyond the machine whatever range it is
// given; the environment variable does the same for a shell and what it
// starts (any value but an empty one).
void limitScansToLoopback();
inline constexpr const char* kScanLoopbackOnlyVariable = "NOLT_SCAN_LOOPBACK_ONLY";

// Why the range may not be searched in this process (the limit above), or
// nothing. The search itself asks before any socket opens, whatever its
// front end has checked; a refusal names the variable when that set it.
std::optional<std::string> scanRefusedHere(const ScanRange& range);

}  // namespace nolt
