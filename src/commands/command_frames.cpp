#include "commands/command_frames.h"

#include <algorithm>

namespace nolt {

namespace {

// The payload bytes of the constant query frames carry no value of their own.
constexpr std::uint8_t kQueryPayload = 0x01;

Bytes selectionCodes(const StreamSelection& s)
{
    return {SelectionCode(s.bitRate), SelectionCode(s.resolution), SelectionCode(s.pushMode),
            SelectionCode(s.encoder), SelectionCode(s.frameRate),  SelectionCode(s.packet)};
}

std::optional<Bytes> selectionFrame(std::uint8_t c, const Bytes& payload)
{
    const bool allZero = std::all_of(payload.begin(), payload.end(), [](std::uint8_t b) { return b == 0; });
    if (allZero) return std::nullopt;
    return buildFrame(c, payload);
}

void append(Bytes& out, const IpBytes& address)
{
    out.insert(out.end(), address.begin(), address.end());
}

}  // namespace

std::uint8_t SelectionCode(int index)
{
    return (index >= 0 && index <= 8) ? static_cast<std::uint8_t>(index + 1) : 0;
}

Bytes statusQueryFrame()
{
    const std::uint8_t payload[] = {kQueryPayload};
    return buildFrame(code::kStatus, payload);
}

Bytes versionQueryFrame()
{
    const std::uint8_t payload[] = {kQueryPayload};
    return buildFrame(code::kVersion, payload);
}

std::optional<Bytes> mainStreamFrame(const MainStreamSelection& s)
{
    Bytes payload = selectionCodes(s.lists);
    payload.push_back(SelectionCode(s.record));
    return selectionFrame(code::kMainStream, payload);
}

std::optional<Bytes> subStreamFrame(const StreamSelection& s)
{
    return selectionFrame(code::kSubStream, selectionCodes(s));
}

Bytes subStreamOffFrame()
{
    const std::array<std::uint8_t, 6> payload{};
    return buildFrame(code::kSubStream, payload);
}

Bytes bandwidthFrame(Bandwidth bandwidth)
{
    const std::uint8_t payload[] = {static_cast<std::uint8_t>(bandwidth == Bandwidth::Mbit10 ? 1 : 0)};
    return buildFrame(code::kBandwidth, payload);
}

Bytes dhcpFrame(bool on)
{
    const std::uint8_t payload[] = {static_cast<std::uint8_t>(on ? 1 : 0)};
    return buildFrame(code::kDhcp, payload);
}

Bytes ipSettingsFrame(const IpSettings& settings)
{
    Bytes payload;
    payload.reserve(22);
    if (settings.udp) {
        append(payload, settings.udp->address);
        payload.push_back(static_cast<std::uint8_t>(settings.udp->port >> 8));
        payload.push_back(static_cast<std::uint8_t>(settings.udp->port & 0xFF));
    } else {
        payload.insert(payload.end(), kNoUdpFiller.begin(), kNoUdpFiller.end());
    }
    append(payload, settings.camera);
    append(payload, settings.gateway);
    append(payload, settings.dns);
    append(payload, settings.mask);
    return buildFrame(code::kIpSettings, payload);
}

}  // namespace nolt
