#include "sim/module_state.h"

namespace nolt::sim {

namespace {

void appendBigEndian16(Bytes& out, int value)
{
    const auto v = static_cast<std::uint16_t>(static_cast<std::int16_t>(value));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
    out.push_back(static_cast<std::uint8_t>(v & 0xFF));
}

}  // namespace

int frameRate(const ModuleState& state)
{
    return state.mainStream[main_field::kFrameRate] == 2 ? 30 : 25;
}

std::array<int, 2> destinationSize(const ModuleState& state)
{
    switch (state.mainStream[main_field::kResolution]) {
    case 1: return {1280, 720};
    case 3: return {3840, 2160};
    default: return {1920, 1080};
    }
}

Bytes statusPayload(const ModuleState& state)
{
    if (state.statusOverride) return *state.statusOverride;
    Bytes p;
    const int fps = frameRate(state);
    p.push_back(static_cast<std::uint8_t>(fps));  // output frequency
    p.push_back(static_cast<std::uint8_t>(fps));  // input frequency
    appendBigEndian16(p, state.sensorWidth);
    appendBigEndian16(p, state.sensorHeight);
    const auto [w, h] = destinationSize(state);
    appendBigEndian16(p, w);
    appendBigEndian16(p, h);
    return p;
}

}  // namespace nolt::sim
