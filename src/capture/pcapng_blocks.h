// The blocks of a pcapng capture file (the format Wireshark writes by
// default): the section header that starts the file, the description of
// the one interface its packets were taken on, and one block per packet.
// Written little-endian, as the byte-order magic in the section header says.
#pragma once

#include <chrono>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace nolt::capture {

using Bytes = std::vector<std::uint8_t>;

// Packets that start with their IPv4 header, with no link-layer header
// before it (LINKTYPE_RAW).
inline constexpr std::uint16_t kLinkTypeRawIp = 101;

// The section header; `application` names the program that wrote the file
// (left out when empty).
Bytes sectionHeaderBlock(std::string_view application);

// The interface the packets were "taken" on; packets longer than
// snapLength would be cut.
Bytes interfaceDescriptionBlock(std::uint16_t linkType, std::uint32_t snapLength);

// One packet of interface 0, stamped in microseconds since 1970.
Bytes enhancedPacketBlock(std::chrono::system_clock::time_point when, std::span<const std::uint8_t> packet);

}  // namespace nolt::capture
