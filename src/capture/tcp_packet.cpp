#include "capture/tcp_packet.h"

#include <algorithm>

namespace nolt::capture {

namespace {

constexpr std::uint8_t kIpv4NoOptions = 0x45;  // version 4, five 32-bit words
constexpr std::uint16_t kDontFragment = 0x4000;
constexpr std::uint8_t kTimeToLive = 64;
constexpr std::uint8_t kProtocolTcp = 6;
constexpr std::uint8_t kOptionMss = 2;
constexpr std::size_t kMssOptionSize = 4;

void put16(Bytes& out, std::size_t at, std::uint16_t value)
{
    out[at] = static_cast<std::uint8_t>(value >> 8);
    out[at + 1] = static_cast<std::uint8_t>(value);
}

void put32(Bytes& out, std::size_t at, std::uint32_t value)
{
    put16(out, at, static_cast<std::uint16_t>(value >> 16));
    put16(out, at + 2, static_cast<std::uint16_t>(value));
}

// Addresses are kept in network byte order: their bytes go out as stored.
void putAddress(Bytes& out, std::size_t at, std::uint32_t networkOrder)
{
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(&networkOrder);
    std::copy(bytes, bytes + 4, out.begin() + static_cast<std::ptrdiff_t>(at));
}

}  // namespace

std::uint16_t internetChecksum(std::span<const std::uint8_t> bytes, std::uint32_t sum)
{
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) sum += static_cast<std::uint32_t>(bytes[i] << 8 | bytes[i + 1]);
    if (bytes.size() % 2 != 0) sum += static_cast<std::uint32_t>(bytes.back() << 8);
    while (sum >> 16) sum = (sum & 0xFFFF) + (sum >> 16);
    return static_cast<std::uint16_t>(~sum);
}

Bytes ipv4TcpPacket(const TcpSegment& s, std::span<const std::uint8_t> payload)
{
    const std::size_t tcpHeader = kTcpHeaderSize + (s.mss ? kMssOptionSize : 0);
    const std::size_t tcpLength = tcpHeader + payload.size();
    Bytes out(kIpv4HeaderSize + tcpLength, 0);

    out[0] = kIpv4NoOptions;
    put16(out, 2, static_cast<std::uint16_t>(out.size()));
    put16(out, 4, s.ipId);
    put16(out, 6, kDontFragment);
    out[8] = kTimeToLive;
    out[9] = kProtocolTcp;
    putAddress(out, 12, s.from.address);
    putAddress(out, 16, s.to.address);
    put16(out, 10, internetChecksum(std::span(out).first(kIpv4HeaderSize)));

    const std::size_t t = kIpv4HeaderSize;
    put16(out, t, s.from.port);
    put16(out, t + 2, s.to.port);
    put32(out, t + 4, s.seq);
    put32(out, t + 8, (s.flags & kTcpAck) ? s.ack : 0);
    out[t + 12] = static_cast<std::uint8_t>(tcpHeader / 4 << 4);
    out[t + 13] = s.flags;
    put16(out, t + 14, s.window);
    if (s.mss) {
        out[t + kTcpHeaderSize] = kOptionMss;
        out[t + kTcpHeaderSize + 1] = kMssOptionSize;
        put16(out, t + kTcpHeaderSize + 2, s.mss);
    }
    std::copy(payload.begin(), payload.end(), out.begin() + static_cast<std::ptrdiff_t>(t + tcpHeader));

    // The pseudo-header: both addresses, the protocol and the TCP length.
    std::uint32_t pseudo = kProtocolTcp + static_cast<std::uint32_t>(tcpLength);
    for (std::size_t i = 12; i < 20; i += 2) pseudo += static_cast<std::uint32_t>(out[i] << 8 | out[i + 1]);
    put16(out, t + 16, internetChecksum(std::span(out).subspan(t), pseudo));
    return out;
}

}  // namespace nolt::capture
