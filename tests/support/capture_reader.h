// Reads back a pcapng file of IPv4/TCP packets, as the tool's recorder
// writes it, for tests: its blocks, and each packet's TCP segment with its
// checksums verified here (independently of the writer's own code).
#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace nolt::test {

struct CapturedSegment {
    std::uint32_t from = 0, to = 0;  // addresses as they stand in the packet, first byte highest
    std::uint16_t fromPort = 0, toPort = 0;
    std::uint32_t seq = 0, ack = 0;
    std::uint8_t flags = 0;
    std::uint16_t window = 0;
    std::uint16_t mss = 0;  // from the options, 0 when none
    std::vector<std::uint8_t> payload;
    bool checksumsGood = false;  // IPv4 header and TCP
    std::uint64_t micros = 0;
};

struct CaptureContents {
    bool wellFormed = false;  // section header, interface, packets; lengths agree
    std::uint16_t linkType = 0;
    std::vector<CapturedSegment> segments;
    std::vector<std::size_t> blockEnds;  // the offset after each block
};

namespace capture_detail {

inline std::uint32_t le32(const std::vector<std::uint8_t>& b, std::size_t at)
{
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<std::uint32_t>(b[at + 3]) << 24;
}
inline std::uint32_t be16(const std::uint8_t* p) { return static_cast<std::uint32_t>(p[0] << 8 | p[1]); }
inline std::uint32_t be32(const std::uint8_t* p) { return be16(p) << 16 | be16(p + 2); }

// The sum of 16-bit words with end-around carry; a correct header (or
// segment with its pseudo-header) sums to 0xFFFF.
inline std::uint32_t onesSum(const std::uint8_t* p, std::size_t n, std::uint32_t sum = 0)
{
    for (std::size_t i = 0; i < n; i += 2) sum += (p[i] << 8) | (i + 1 < n ? p[i + 1] : 0);
    while (sum >> 16) sum = (sum & 0xFFFF) + (sum >> 16);
    return sum;
}

inline bool readSegment(const std::uint8_t* p, std::size_t n, CapturedSegment& s)
{
    if (n < 40 || p[0] != 0x45 || p[9] != 6 || be16(p + 2) != n) return false;
    const std::uint8_t* t = p + 20;
    const std::size_t tcpLength = n - 20, header = (t[12] >> 4) * 4u;
    if (header < 20 || header > tcpLength) return false;
    s.from = be32(p + 12);
    s.to = be32(p + 16);
    s.fromPort = static_cast<std::uint16_t>(be16(t));
    s.toPort = static_cast<std::uint16_t>(be16(t + 2));
    s.seq = be32(t + 4);
    s.ack = be32(t + 8);
    s.flags = t[13];
    s.window = static_cast<std::uint16_t>(be16(t + 14));
    if (header >= 24 && t[20] == 2 && t[21] == 4) s.mss = static_cast<std::uint16_t>(be16(t + 22));
    s.payload.assign(t + header, p + n);
    const std::uint32_t pseudo = onesSum(p + 12, 8, 6 + static_cast<std::uint32_t>(tcpLength));
    s.checksumsGood = onesSum(p, 20) == 0xFFFF && onesSum(t, tcpLength, pseudo) == 0xFFFF;
    return true;
}

}  // namespace capture_detail

inline CaptureContents readCapture(const std::vector<std::uint8_t>& b)
{
    using namespace capture_detail;
    CaptureContents c;
    std::size_t at = 0;
    while (at + 12 <= b.size()) {
        const std::uint32_t type = le32(b, at), length = le32(b, at + 4);
        if (length < 12 || length % 4 || at + length > b.size() || le32(b, at + length - 4) != length) return c;
        if (at == 0 && (type != 0x0A0D0D0A || le32(b, 8) != 0x1A2B3C4D)) return c;
        if (type == 1) c.linkType = static_cast<std::uint16_t>(b[at + 8] | b[at + 9] << 8);
        if (type == 6) {
            CapturedSegment s;
            const std::uint32_t captured = le32(b, at + 20);
            if (28 + captured + 4 > length || !readSegment(&b[at + 28], captured, s)) return c;
            s.micros = static_cast<std::uint64_t>(le32(b, at + 12)) << 32 | le32(b, at + 16);
            c.segments.push_back(std::move(s));
        }
        at += length;
        c.blockEnds.push_back(at);
    }
    c.wellFormed = at == b.size() && c.blockEnds.size() >= 2;
    return c;
}

inline CaptureContents readCapture(const std::filesystem::path& file)
{
    std::ifstream in(file, std::ios::binary);
    return readCapture(std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {}));
}

// The segments of each connection, by the tool's (the SYN sender's) port, in file order.
inline std::map<std::uint16_t, std::vector<CapturedSegment>> byConnection(const CaptureContents& c)
{
    std::map<std::pair<std::uint16_t, std::uint16_t>, std::uint16_t> toolPort;
    std::map<std::uint16_t, std::vector<CapturedSegment>> out;
    for (const CapturedSegment& s : c.segments) {
        const auto key = std::minmax(s.fromPort, s.toPort);
        if (s.flags == 0x02) toolPort[key] = s.fromPort;
        const auto it = toolPort.find(key);
        if (it != toolPort.end()) out[it->second].push_back(s);
    }
    return out;
}

// One connection followed as a TCP receiver would: the bytes each side
// sent, who closed it, and every way it breaks the rules of a clean
// connection (handshake first, sequence and acknowledgement numbers
// continuous, segments within the MSS and the window, close last).
struct FollowedConnection {
    std::vector<std::uint8_t> toModule, toTool;
    std::vector<std::size_t> toToolSegments;  // payload sizes, module to tool
    enum class Closer { None, Tool, Module } closer = Closer::None;
    std::vector<std::string> problems;
};

inline FollowedConnection followConnection(const std::vector<CapturedSegment>& segments, std::uint16_t mss = 1460)
{
    constexpr std::uint8_t kFin = 0x01, kSyn = 0x02, kAck = 0x10;
    FollowedConnection f;
    auto problem = [&](std::size_t i, const std::string& what) {
        f.problems.push_back("segment " + std::to_string(i) + ": " + what);
    };
    if (segments.size() < 3 || segments[0].flags != kSyn || segments[1].flags != (kSyn | kAck)
        || segments[2].flags != kAck || segments[0].mss == 0 || segments[1].mss == 0) {
        f.problems.push_back("no handshake (SYN with MSS, SYN-ACK with MSS, ACK) at the start");
        return f;
    }
    const std::uint16_t toolPort = segments[0].fromPort;
    std::uint32_t next[2] = {segments[0].seq, segments[1].seq};  // tool, module
    std::uint32_t acked[2] = {next[0], next[1]};
    int fins = 0;
    for (std::size_t i = 0; i < segments.size(); ++i) {
        const CapturedSegment& s = segments[i];
        const int side = s.fromPort == toolPort ? 0 : 1;
        if (!s.checksumsGood) problem(i, "bad checksum");
        if (s.window == 0) problem(i, "zero window");
        if (s.payload.size() > mss) problem(i, "longer than the MSS");
        if (s.seq != next[side]) problem(i, "sequence number jumps");
        if (i > 0 && (!(s.flags & kAck) || s.ack != next[1 - side])) problem(i, "acknowledges the wrong byte");
        if (fins == 2 && s.flags != kAck) problem(i, "after the close");
        if (fins > 2) problem(i, "after the close");
        // An empty segment that acknowledges nothing new reads as a duplicate ACK.
        if (i > 1 && s.payload.empty() && !(s.flags & (kSyn | kFin)) && s.ack == acked[1 - side])
            problem(i, "an empty segment that acknowledges nothing new");
        if (s.flags & kAck) acked[1 - side] = s.ack;
        next[side] += static_cast<std::uint32_t>(s.payload.size()) + ((s.flags & (kSyn | kFin)) ? 1 : 0);
        if (next[side] - acked[side] >= s.window) problem(i, "fills the window");
        auto& stream = side == 0 ? f.toModule : f.toTool;
        stream.insert(stream.end(), s.payload.begin(), s.payload.end());
        if (side == 1 && !s.payload.empty()) f.toToolSegments.push_back(s.payload.size());
        if (s.flags & kFin) {
            if (fins == 0) f.closer = side == 0 ? FollowedConnection::Closer::Tool : FollowedConnection::Closer::Module;
            ++fins;
        } else if (fins == 2) {
            ++fins;  // the last ACK
        }
    }
    if (fins == 1 || fins == 2) f.problems.push_back("the close is not complete");
    return f;
}

}  // namespace nolt::test
