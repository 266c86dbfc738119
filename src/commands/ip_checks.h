// Reading the address fields of the main dialog and the checks that the
// "Save IP to Camera" button makes before it sends the IP settings.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

#include "commands/command_frames.h"

namespace nolt {

// The dotted text of an IP-address control as four bytes. The text is split
// at dots: field 1 before the first, field 4 after the third; anything after
// a fourth dot is ignored, missing or empty fields read as 0. Each field is
// the sum of (character - '0') * 10^place, place counted from the right from
// 0, and keeps its low 8 bits. The control never yields more than three
// characters a field; longer fields are still read by the same rule, with the
// arithmetic kept modulo 256 so any input is safe.
IpBytes readDottedAddress(std::string_view narrow);
IpBytes readDottedAddress(std::wstring_view text);  // converted to narrow first

// The port field as a signed whole number: optional leading "-", then only
// decimal digits. Anything else, including empty text and numbers outside the
// range of int, reads as 0.
int readPort(std::string_view narrow);
int readPort(std::wstring_view text);

// The inputs of the Save IP procedure, named by the control they come from.
enum class IpField { UdpAddress, UdpPort, CameraAddress, Gateway, Dns, Mask };

// Gives the current text of a field. The procedure asks for each field at the
// moment it needs it, so a field after the first failing check is never read.
using IpFieldReader = std::function<std::wstring(IpField)>;

// The first failing check, as the text to show the user.
struct IpCheckFailure {
    std::wstring_view message;
};

// Either the 26-byte IP settings frame to send, or the first failure.
using SaveIpOutcome = std::variant<Bytes, IpCheckFailure>;

// The Save IP procedure after its connected guard: with push mode index 0
// ("UDP Bare flow") the UDP address is checked, then the port; then the
// module's address, gateway, DNS server and mask are read and the module's
// address and the gateway are checked. DNS and mask are sent as they are.
SaveIpOutcome checkSaveIp(int pushModeIndex, const IpFieldReader& read);

// The same from texts already read.
struct SaveIpTexts {
    int pushModeIndex = -1;
    std::wstring udpAddress;
    std::wstring udpPort;
    std::wstring cameraAddress;
    std::wstring gateway;
    std::wstring dns;
    std::wstring mask;

    const std::wstring& text(IpField field) const;
};
SaveIpOutcome checkSaveIp(const SaveIpTexts& texts);

// The messages of the checks, in the order the checks run.
inline constexpr std::wstring_view kUdpAddressIllegal =
    L"Illegal IP address input, please enter a number between (2-255)!";
inline constexpr std::wstring_view kPortIllegal =
    L"The port number is not valid. Please enter a number between (1025-65534)!";
inline constexpr std::wstring_view kCameraAddressIllegal =
    L"Illegal IP address input, please enter a number between (2 - 254)!";
inline constexpr std::wstring_view kGatewayIllegal =
    L"The gateway address is illegal. Please enter a number between (1 - 254)!";

}  // namespace nolt
