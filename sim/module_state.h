// The settings a camera module keeps, and the status report they imply.
#pragma once

#include "link/frame.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace nolt::sim {

using Ipv4 = std::array<std::uint8_t, 4>;

// Selection codes as the tool sends them: position in the tool's list plus 1.
// Main stream payload order: bit rate, resolution, push mode, encoder,
// frame rate, packet format, record format.
namespace main_field {
inline constexpr int kBitRate = 0, kResolution = 1, kPushMode = 2, kEncoder = 3,
                     kFrameRate = 4, kPacket = 5, kRecord = 6, kCount = 7;
}
// Sub stream payload order: bit rate, resolution, push mode, encoder,
// frame rate, packet format.
inline constexpr int kSubFieldCount = 6;

// The highest code each main-stream field accepts.
inline constexpr std::array<std::uint8_t, main_field::kCount> kMainFieldMax{9, 3, 5, 2, 2, 2, 3};
inline constexpr std::array<std::uint8_t, kSubFieldCount> kSubFieldMax{9, 6, 2, 2, 2, 2};

struct ModuleState {
    // 4M, 1080P, RTSP, H264, 25 frames, by slice, MP4.
    std::array<std::uint8_t, main_field::kCount> mainStream{5, 2, 2, 1, 1, 1, 1};
    bool subStreamOn = false;
    std::array<std::uint8_t, kSubFieldCount> subStream{};

    Ipv4 udpDestination{0, 0, 0, 0};
    std::uint16_t udpPort = 0;
    Ipv4 ownAddress{127, 0, 0, 1};
    Ipv4 gateway{127, 0, 0, 1};
    Ipv4 dns{0, 0, 0, 0};
    Ipv4 mask{255, 0, 0, 0};

    bool bandwidth10M = false;  // false: 100M
    bool dhcpOn = false;
    std::string pushAddress = "rtmp://127.0.0.1/live/stream";
    std::int32_t version = 7;

    // What the sensor delivers; the status report names it as the source size.
    int sensorWidth = 1920;
    int sensorHeight = 1080;

    // When set, the status report carries these payload bytes instead of the
    // ones derived from the settings (for rehearsing odd or negative values).
    std::optional<Bytes> statusOverride;

    bool operator==(const ModuleState&) const = default;
};

// Frames per second of the chosen main-stream frame rate (25 or 30).
int frameRate(const ModuleState& state);

// Width and height the main stream is encoded at.
std::array<int, 2> destinationSize(const ModuleState& state);

// The 10-byte status report: output and input frequency (signed 8-bit),
// then source width, height, destination width, height (signed 16-bit,
// most significant byte first).
Bytes statusPayload(const ModuleState& state);

}  // namespace nolt::sim
