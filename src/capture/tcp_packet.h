// IPv4 packets carrying one TCP segment, built byte by byte with correct
// header checksums, for recordings of a connection's traffic that capture
// tools read as if taken from the wire.
#pragma once

#include "platform/socket_endpoints.h"

#include <cstdint>
#include <span>
#include <vector>

namespace nolt::capture {

using Bytes = std::vector<std::uint8_t>;

inline constexpr std::uint8_t kTcpFin = 0x01;
inline constexpr std::uint8_t kTcpSyn = 0x02;
inline constexpr std::uint8_t kTcpPush = 0x08;
inline constexpr std::uint8_t kTcpAck = 0x10;

inline constexpr std::size_t kIpv4HeaderSize = 20;
inline constexpr std::size_t kTcpHeaderSize = 20;

struct TcpSegment {
    SocketEndpoint from;
    SocketEndpoint to;
    std::uint32_t seq = 0;
    std::uint32_t ack = 0;  // sent as 0 unless kTcpAck is set
    std::uint8_t flags = 0;
    std::uint16_t window = 0;
    std::uint16_t ipId = 0;
    std::uint16_t mss = 0;  // announced in an option when not 0 (SYN segments)
};

// The one's-complement sum of 16-bit words that IP and TCP use, folded and
// inverted; `sum` carries a partial sum in (the pseudo-header's).
std::uint16_t internetChecksum(std::span<const std::uint8_t> bytes, std::uint32_t sum = 0);

// The whole IPv4 packet: header (no options, "don't fragment", TTL 64),
// TCP header with the MSS option when given, then the payload. The payload
// must fit one packet (at most 65,495 bytes with these headers).
Bytes ipv4TcpPacket(const TcpSegment& segment, std::span<const std::uint8_t> payload);

}  // namespace nolt::capture
