// The binary frame exchanged with the module: AA, code, N, N payload bytes,
// checksum (low 8 bits of the payload sum). Used by the tool, the module
// simulator and the tests, so it depends on nothing but the standard library.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace nolt {

using Bytes = std::vector<std::uint8_t>;

inline constexpr std::uint8_t kFrameStart = 0xAA;
inline constexpr std::size_t kFrameOverhead = 4;      // start, code, length, checksum
inline constexpr std::size_t kReceiveBufferSize = 256; // one reply is verified in this many bytes
inline constexpr std::size_t kMaxVerifiablePayload = kReceiveBufferSize - kFrameOverhead; // 252

// Command codes. A reply carries the code of the command it answers.
namespace code {
inline constexpr std::uint8_t kStatus = 0x01;
inline constexpr std::uint8_t kMainStream = 0x02;
inline constexpr std::uint8_t kIpSettings = 0x04;
inline constexpr std::uint8_t kVersion = 0x05;
inline constexpr std::uint8_t kInfoStorage = 0x06;  // reply only: the tool never sends it
inline constexpr std::uint8_t kSubStream = 0x10;
inline constexpr std::uint8_t kBandwidth = 0x20;
inline constexpr std::uint8_t kDhcp = 0x21;
}  // namespace code

// True for the codes the tool knows how to handle as replies.
bool isKnownReplyCode(std::uint8_t code);

// Low 8 bits of the sum of the bytes.
std::uint8_t checksum(std::span<const std::uint8_t> payload);

// AA, code, N, payload, checksum. The payload must hold at most 255 bytes.
Bytes buildFrame(std::uint8_t code, std::span<const std::uint8_t> payload);

// What the receive side learns from one 256-byte receive buffer.
struct Verification {
    bool startOk = false;     // byte 0 is 0xAA
    std::uint8_t code = 0;    // byte 1
    bool known = false;       // the code is in the reply table
    bool checksumOk = false;  // only computed for known codes
};

// Verifies the frame at offset 0 of a receive buffer. A declared N above 252
// would put the checksum past the buffer; it counts as a failed checksum and
// nothing beyond the buffer is read.
Verification verifyFrame(const std::array<std::uint8_t, kReceiveBufferSize>& buffer);

}  // namespace nolt
