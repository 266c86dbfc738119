#include "commands/ip_checks.h"

#include <charconv>

#include "commands/stream_rules.h"
#include "platform/code_page.h"

namespace nolt {

namespace {

constexpr std::size_t kFieldCount = 4;
constexpr int kPortMin = 1025;
constexpr int kPortMax = 65534;

// The field's digit sum, kept modulo 2^32: its low 8 bits are exact whatever
// the field's length or characters.
std::uint8_t readField(std::string_view field)
{
    std::uint32_t value = 0;
    std::uint32_t power = 1;
    for (auto it = field.rbegin(); it != field.rend(); ++it) {
        const auto digit = static_cast<std::uint32_t>(static_cast<unsigned char>(*it)) - '0';
        value += digit * power;
        power *= 10;
    }
    return static_cast<std::uint8_t>(value & 0xFF);
}

bool udpAddressOk(const IpBytes& a) { return a[0] != 0 && a[3] >= 2; }
bool portOk(int port) { return port >= kPortMin && port <= kPortMax; }
bool cameraAddressOk(const IpBytes& a) { return a[0] != 0 && a[3] >= 2 && a[3] != 255; }
bool gatewayOk(const IpBytes& a) { return a[0] != 0 && a[3] != 0 && a[3] != 255; }

}  // namespace

IpBytes readDottedAddress(std::string_view narrow)
{
    IpBytes out{};
    std::string_view rest = narrow;
    for (std::size_t i = 0; i < kFieldCount; ++i) {
        const std::size_t dot = rest.find('.');
        out[i] = readField(rest.substr(0, dot));
        if (dot == std::string_view::npos) break;
        rest.remove_prefix(dot + 1);
    }
    return out;
}

IpBytes readDottedAddress(std::wstring_view text) { return readDottedAddress(toNarrow(text)); }

int readPort(std::string_view narrow)
{
    if (narrow.empty()) return 0;
    const bool negative = narrow.front() == '-';
    const std::string_view digits = negative ? narrow.substr(1) : narrow;
    if (digits.empty() || digits.front() == '-' || digits.front() == '+') return 0;
    int value = 0;
    const auto [end, ec] = std::from_chars(narrow.data(), narrow.data() + narrow.size(), value);
    if (ec != std::errc{} || end != narrow.data() + narrow.size()) return 0;
    return value;
}

int readPort(std::wstring_view text) { return readPort(toNarrow(text)); }

SaveIpOutcome checkSaveIp(int pushModeIndex, const IpFieldReader& read)
{
    IpSettings settings;
    if (isUdpBareFlow(pushModeIndex)) {
        UdpTarget udp;
        udp.address = readDottedAddress(read(IpField::UdpAddress));
        if (!udpAddressOk(udp.address)) return IpCheckFailure{kUdpAddressIllegal};
        const int port = readPort(read(IpField::UdpPort));
        if (!portOk(port)) return IpCheckFailure{kPortIllegal};
        udp.port = static_cast<std::uint16_t>(port);
        settings.udp = udp;
    }
    settings.camera = readDottedAddress(read(IpField::CameraAddress));
    settings.gateway = readDottedAddress(read(IpField::Gateway));
    settings.dns = readDottedAddress(read(IpField::Dns));
    settings.mask = readDottedAddress(read(IpField::Mask));
    if (!cameraAddressOk(settings.camera)) return IpCheckFailure{kCameraAddressIllegal};
    if (!gatewayOk(settings.gateway)) return IpCheckFailure{kGatewayIllegal};
    return ipSettingsFrame(settings);
}

const std::wstring& SaveIpTexts::text(IpField field) const
{
    switch (field) {
    case IpField::UdpAddress: return udpAddress;
    case IpField::UdpPort: return udpPort;
    case IpField::CameraAddress: return cameraAddress;
    case IpField::Gateway: return gateway;
    case IpField::Dns: return dns;
    case IpField::Mask: break;
    }
    return mask;
}

SaveIpOutcome checkSaveIp(const SaveIpTexts& texts)
{
    return checkSaveIp(texts.pushModeIndex, [&texts](IpField field) { return texts.text(field); });
}

}  // namespace nolt
