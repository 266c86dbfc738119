// Builders of the command frames the tool sends to the module. They are pure:
// the dialog reads its controls, hands the selection indexes or address bytes
// in, and sends the bytes that come back.
#pragma once

#include <array>
#include <cstdint>
#include <optional>

#include "link/frame.h"

namespace nolt {

// A drop-down list's selection index as its payload byte: positions 0..8 give
// 1..9; anything else, the "no selection" answer -1 included, gives 0.
std::uint8_t SelectionCode(int index);

Bytes statusQueryFrame();   // AA 01 01 01 01
Bytes versionQueryFrame();  // AA 05 01 01 01

// The six lists both streams have, as the lists report their selection
// (-1: none). Their payload bytes come in this order: the bit rate first and
// the resolution second, the reverse of the order on screen.
struct StreamSelection {
    int bitRate = -1;
    int resolution = -1;
    int pushMode = -1;
    int encoder = -1;
    int frameRate = -1;
    int packet = -1;
};

// The main stream has a seventh list, the record format, sent last.
struct MainStreamSelection {
    StreamSelection lists;
    int record = -1;
};

// Main stream frame (code 0x02, 11 bytes). Empty when every list gives code 0:
// such a frame is refused and nothing is sent.
std::optional<Bytes> mainStreamFrame(const MainStreamSelection& selection);

// Sub stream frame (code 0x10, 10 bytes). Empty when every list gives code 0.
std::optional<Bytes> subStreamFrame(const StreamSelection& selection);

// AA 10 06 00 00 00 00 00 00 00: tells the module to switch the sub stream off.
Bytes subStreamOffFrame();

enum class Bandwidth { Mbit10, Mbit100 };
Bytes bandwidthFrame(Bandwidth bandwidth);  // AA 20 01 01 01 / AA 20 01 00 00
Bytes dhcpFrame(bool on);                   // AA 21 01 01 01 / AA 21 01 00 00

// An IPv4 address as four bytes, field 1 (the leftmost written) first.
using IpBytes = std::array<std::uint8_t, 4>;

// Where the module pushes its bare UDP stream.
struct UdpTarget {
    IpBytes address{};
    std::uint16_t port = 0;
};

// Payload bytes 0-5 of the IP settings when the push mode is not bare UDP.
inline constexpr std::array<std::uint8_t, 6> kNoUdpFiller{0x00, 0x00, 0x00, 0x0E, 0x00, 0x00};

// Payload of the IP settings command. Without a UDP target the payload starts
// with kNoUdpFiller.
struct IpSettings {
    std::optional<UdpTarget> udp;
    IpBytes camera{};
    IpBytes gateway{};
    IpBytes dns{};
    IpBytes mask{};
};

// IP settings frame (code 0x04, 22 payload bytes, 26 bytes in all).
Bytes ipSettingsFrame(const IpSettings& settings);

}  // namespace nolt
