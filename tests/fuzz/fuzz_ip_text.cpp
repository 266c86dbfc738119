// The address and port checks the dialog and nolt-cli share, given any text.
//
// Property: a text is either refused, with the check's own message, or it
// yields the dotted address and the port a person reads in it (see
// person_reading.h); the address 0.0.0.0 is never taken for a connection,
// however it is written. Three roads in:
// - the connection's address and port (the dialog's Connect, --host/--port);
// - the IP settings from nolt-cli's set-ip, whose texts can be anything;
// - the IP settings from the dialog's fields, whose address texts are always
//   four numbers, and whose port text is whatever the field holds.
#include "cli/command_line.h"
#include "cli/text.h"
#include "commands/ip_checks.h"
#include "fuzz_check.h"
#include "link/connect_input.h"
#include "person_reading.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <array>
#include <string>
#include <vector>

using namespace nolt;
using namespace nolt::fuzz;

namespace {

// ---- the connection ---------------------------------------------------------

void checkConnectInput(const std::string& address, const std::string& port, bool rawWide)
{
    // The dialog hands over its fields' wide text; nolt-cli its arguments,
    // read as UTF-8. Both are tried, the first with any 16-bit characters.
    std::wstring wideAddress, widePort;
    if (rawWide) {
        for (std::size_t i = 0; i + 1 < address.size(); i += 2)
            wideAddress += static_cast<wchar_t>(static_cast<unsigned char>(address[i]) |
                                                (static_cast<unsigned char>(address[i + 1]) << 8));
        for (std::size_t i = 0; i + 1 < port.size(); i += 2)
            widePort += static_cast<wchar_t>(static_cast<unsigned char>(port[i]) |
                                             (static_cast<unsigned char>(port[i + 1]) << 8));
    } else {
        wideAddress = cli::wide(address);
        widePort = cli::wide(port);
    }
    const int portNumber = readPortText(widePort);
    const bool acceptable = connectInputAcceptable(wideAddress, portNumber);
    const auto parsed = readAddressText(wideAddress);
    if (!acceptable || !parsed) return;  // refused: the caller shows its message

    // What a person reads, in the narrow text (non-ASCII is never a digit).
    std::string narrowAddress, narrowPort;
    for (wchar_t c : wideAddress) narrowAddress += c > 0 && c < 0x80 ? static_cast<char>(c) : '?';
    for (wchar_t c : widePort) narrowPort += c > 0 && c < 0x80 ? static_cast<char>(c) : '?';
    const auto address4 = addressIn(narrowAddress);
    const auto port4 = numberIn(narrowPort);
    const std::string detail = "address " + shown(narrowAddress) + ", port " + shown(narrowPort);
    if (!address4) propertyFailed("an address is taken only as written", detail + ": it is no address");
    if (*parsed != networkOrder(*address4))
        propertyFailed("an address is taken only as written", detail + ": read as something else");
    if (*address4 == Address{0, 0, 0, 0}) propertyFailed("0.0.0.0 is never connected to", detail);
    if (!port4 || *port4 != portNumber)
        propertyFailed("a port is taken only as written", detail + ": read as " + std::to_string(portNumber));
    if (portNumber < 1 || portNumber > 65534) propertyFailed("a port is in 1 to 65534", detail);
}

// ---- the IP settings ----------------------------------------------------------

struct IpTexts {
    bool udp = false;
    std::string udpAddress, udpPort, camera, gateway, dns, mask;
};

// What the checks must answer, by the rules, for texts a person reads as
// addresses and a port; nothing when some text is none.
struct Expected {
    std::wstring_view message;  // empty: the frame is sent
    std::vector<std::uint8_t> frame;
};

std::optional<Expected> expectedFor(const IpTexts& t, const std::optional<long long>& port)
{
    const auto udp = t.udp ? addressIn(t.udpAddress) : Address{};
    const auto camera = addressIn(t.camera), gateway = addressIn(t.gateway), dns = addressIn(t.dns),
               mask = addressIn(t.mask);
    if (!udp || !camera || !gateway || !dns || !mask) return std::nullopt;
    if (t.udp) {
        if ((*udp)[0] == 0 || (*udp)[3] < 2) return Expected{kUdpAddressIllegal, {}};
        if (!port || *port < 1025 || *port > 65534) return Expected{kPortIllegal, {}};
    }
    if ((*camera)[0] == 0 || (*camera)[3] < 2 || (*camera)[3] == 255) return Expected{kCameraAddressIllegal, {}};
    if ((*gateway)[0] == 0 || (*gateway)[3] == 0 || (*gateway)[3] == 255) return Expected{kGatewayIllegal, {}};
    std::vector<std::uint8_t> payload;
    if (t.udp) {
        payload.assign(udp->begin(), udp->end());
        payload.push_back(static_cast<std::uint8_t>(*port >> 8));
        payload.push_back(static_cast<std::uint8_t>(*port & 0xFF));
    } else {
        payload = {0x00, 0x00, 0x00, 0x0E, 0x00, 0x00};
    }
    for (const Address* a : {&*camera, &*gateway, &*dns, &*mask}) payload.insert(payload.end(), a->begin(), a->end());
    std::uint8_t sum = 0;
    for (std::uint8_t b : payload) sum = static_cast<std::uint8_t>(sum + b);
    std::vector<std::uint8_t> frame{0xAA, 0x04, 0x16};
    frame.insert(frame.end(), payload.begin(), payload.end());
    frame.push_back(sum);
    return Expected{{}, frame};
}

std::string describe(const IpTexts& t)
{
    return "udp " + std::string(t.udp ? "yes" : "no") + " " + shown(t.udpAddress) + " port " + shown(t.udpPort) +
           ", camera " + shown(t.camera) + ", gateway " + shown(t.gateway) + ", dns " + shown(t.dns) + ", mask " +
           shown(t.mask);
}

bool allDigits(const std::string& text)
{
    return !text.empty() && std::all_of(text.begin(), text.end(), isDigit);
}

// Either a refusal's message or the frame sent.
void compare(std::wstring_view refusal, const Bytes* frame, const Expected& expected, const IpTexts& t,
             const std::string& detail)
{
    // A port a person reads but that is not written as digits alone (" 2000")
    // may be refused with the port's message where the rules would pass it.
    if (refusal == kPortIllegal && expected.message != kUdpAddressIllegal && !allDigits(t.udpPort)) return;
    if (!frame) {
        if (refusal != expected.message)
            propertyFailed("the checks answer what the rules say for what a person reads",
                           detail + ": refused with " + cli::utf8(refusal));
        return;
    }
    if (!expected.message.empty() || *frame != expected.frame)
        propertyFailed("the checks answer what the rules say for what a person reads", detail + ": a frame was sent");
}

void compare(const SaveIpOutcome& outcome, const Expected& expected, const IpTexts& t, const std::string& detail)
{
    const auto* failure = std::get_if<IpCheckFailure>(&outcome);
    compare(failure ? failure->message : std::wstring_view(), std::get_if<Bytes>(&outcome), expected, t, detail);
}

// An address as the dialog's field writes it: up to three digits a number.
bool plainAddress(const std::string& text)
{
    if (!addressIn(text)) return false;
    std::size_t run = 0;
    for (char c : text) {
        run = c == '.' ? 0 : run + 1;
        if (run > 3) return false;
    }
    return true;
}

// nolt-cli's set-ip: texts that are no address are refused with the option's
// message; the others go through the dialog's checks.
void checkCliSetIp(const IpTexts& t)
{
    std::vector<std::string> words{"--host", "127.0.0.2", "set-ip", "--module-ip", t.camera, "--gateway", t.gateway,
                                   "--dns", t.dns, "--mask", t.mask};
    if (t.udp) words.insert(words.end(), {"--udp-ip", t.udpAddress, "--udp-port", t.udpPort});
    // A program's arguments are C strings: none holds a NUL.
    if (std::any_of(words.begin(), words.end(), [](const std::string& w) { return w.find('\0') != w.npos; })) return;
    const cli::CommandLine parsed = cli::readCommandLine(words);
    const auto expected = expectedFor(t, numberIn(t.udpPort));
    const std::string detail = describe(t);
    if (const auto* error = std::get_if<cli::Immediate>(&parsed)) {
        // The dialog's text alone, or the option's with a line that points to the help.
        std::string message = error->err.substr(0, error->err.size() - 1);
        message = message.substr(0, message.rfind("\nTry 'nolt-cli set-ip --help'."));
        if (message.starts_with("nolt-cli set-ip: --") &&
            message.find("\" is not an address of four numbers 0 to 255") != std::string::npos) {
            // Refused as no address: right for anything but the plain form.
            const bool allPlain = plainAddress(t.camera) && plainAddress(t.gateway) && plainAddress(t.dns) &&
                                  plainAddress(t.mask) && (!t.udp || plainAddress(t.udpAddress));
            if (allPlain) propertyFailed("plain addresses are taken", detail + ": " + message);
            return;
        }
        if (!expected) propertyFailed("a text that is no address is refused as such", detail + ": " + message);
        compare(cli::wide(message), nullptr, *expected, t, detail);
        return;
    }
    if (!expected) propertyFailed("a text that is no address is refused", detail + ": a frame was sent");
    compare({}, &std::get<cli::Invocation>(parsed).request.bytes, *expected, t, detail);
}

// The dialog's Save IP: its address fields always yield four numbers.
void checkDialogSaveIp(FuzzedDataProvider& in)
{
    const auto field = [&in] {
        const auto a = in.ConsumeIntegral<std::uint32_t>();
        return dotted({static_cast<std::uint8_t>(a >> 24), static_cast<std::uint8_t>(a >> 16),
                       static_cast<std::uint8_t>(a >> 8), static_cast<std::uint8_t>(a)});
    };
    IpTexts t;
    t.udp = in.ConsumeBool();
    t.udpAddress = field();
    t.camera = field();
    t.gateway = field();
    t.dns = field();
    t.mask = field();
    t.udpPort = in.ConsumeRandomLengthString(16);
    SaveIpTexts texts;
    texts.pushModeIndex = t.udp ? 0 : in.ConsumeIntegralInRange<int>(-1, 4);
    t.udp = texts.pushModeIndex == 0;
    texts.udpAddress = cli::wide(t.udpAddress);
    texts.udpPort = cli::wide(t.udpPort);
    texts.cameraAddress = cli::wide(t.camera);
    texts.gateway = cli::wide(t.gateway);
    texts.dns = cli::wide(t.dns);
    texts.mask = cli::wide(t.mask);
    // Every address text is four numbers here, so there is always an answer.
    compare(checkSaveIp(texts), *expectedFor(t, numberIn(t.udpPort)), t, describe(t));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider in(data, size);
    switch (in.ConsumeIntegralInRange<int>(0, 2)) {
    case 0: {
        const bool rawWide = in.ConsumeBool();
        const std::string address = in.ConsumeRandomLengthString(64);
        checkConnectInput(address, in.ConsumeRemainingBytesAsString(), rawWide);
        break;
    }
    case 1: {
        IpTexts t;
        t.udp = in.ConsumeBool();
        t.udpAddress = in.ConsumeRandomLengthString(24);
        t.udpPort = in.ConsumeRandomLengthString(16);
        t.camera = in.ConsumeRandomLengthString(24);
        t.gateway = in.ConsumeRandomLengthString(24);
        t.dns = in.ConsumeRandomLengthString(24);
        t.mask = in.ConsumeRemainingBytesAsString();
        checkCliSetIp(t);
        break;
    }
    default: checkDialogSaveIp(in); break;
    }
    return 0;
}
