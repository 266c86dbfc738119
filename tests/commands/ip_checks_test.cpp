#include "commands/ip_checks.h"

#include <gtest/gtest.h>

#include <vector>

#include "commands/hex.h"

namespace nolt {
namespace {

using test::hex;

TEST(DottedAddress, Reading)
{
    const struct { std::string_view text; IpBytes bytes; } cases[] = {
        {"192.168.2.119", {0xC0, 0xA8, 0x02, 0x77}},
        {"0.0.0.0", {0, 0, 0, 0}},
        {"1..3.", {1, 0, 3, 0}},          // empty fields read 0
        {"", {0, 0, 0, 0}},
        {"10.20", {10, 20, 0, 0}},        // missing fields stay 0
        {"1.2.3.4.99", {1, 2, 3, 4}},     // text after a fourth dot is ignored
        {"300.256.999.255", {300 & 0xFF, 0, 999 & 0xFF, 255}},
        {"1.2.3.a", {1, 2, 3, 'a' - '0'}},  // any character counts by its code
        {"1.2.3.1000", {1, 2, 3, 1000 & 0xFF}},
        {"1.2.3.12345678901234567890", {1, 2, 3, 0xD2}},  // long fields wrap, never overflow
    };
    for (const auto& c : cases) EXPECT_EQ(readDottedAddress(c.text), c.bytes) << c.text;
    EXPECT_EQ(readDottedAddress(std::wstring_view(L"192.168.5.3")), (IpBytes{192, 168, 5, 3}));
}

TEST(Port, Reading)
{
    const struct { std::string_view text; int value; } cases[] = {
        {"23003", 23003}, {"-5", -5}, {"", 0}, {"-", 0}, {"12a", 0}, {" 12", 0},
        {"+12", 0}, {"--3", 0}, {"99999999999", 0}, {"0065534", 65534},
    };
    for (const auto& c : cases) EXPECT_EQ(readPort(c.text), c.value) << c.text;
}

SaveIpTexts defaults(int pushMode = 2)
{
    return {pushMode, L"192.168.5.3", L"23003", L"192.168.2.119", L"192.168.2.1", L"0.0.0.0", L"255.255.255.0"};
}

std::wstring_view failure(const SaveIpOutcome& outcome)
{
    const auto* f = std::get_if<IpCheckFailure>(&outcome);
    return f ? f->message : std::wstring_view(L"<sent>");
}

TEST(SaveIp, FramesOfTheDefaults)
{
    EXPECT_EQ(std::get<Bytes>(checkSaveIp(defaults())),
              hex("AA 04 16 00 00 00 0E 00 00 C0 A8 02 77 C0 A8 02 01 00 00 00 00 FF FF FF 00 57"));
    EXPECT_EQ(std::get<Bytes>(checkSaveIp(defaults(0))),
              hex("AA 04 16 C0 A8 05 03 59 DB C0 A8 02 77 C0 A8 02 01 00 00 00 00 FF FF FF 00 ED"));
}

TEST(SaveIp, WithoutUdpPushTheUdpFieldsAreFillerWhateverTheyHold)
{
    SaveIpTexts t = defaults(-1);
    t.udpAddress = L"0.0.0.0";
    t.udpPort = L"1";
    const Bytes frame = std::get<Bytes>(checkSaveIp(t));
    EXPECT_EQ(Bytes(frame.begin() + 3, frame.begin() + 9), hex("00 00 00 0E 00 00"));
}

TEST(SaveIp, ChecksAtTheirEdges)
{
    const struct { std::wstring SaveIpTexts::*field; std::wstring text; std::wstring_view expected; } cases[] = {
        {&SaveIpTexts::udpAddress, L"192.168.5.255", L"<sent>"},
        {&SaveIpTexts::udpAddress, L"192.168.5.2", L"<sent>"},
        {&SaveIpTexts::udpAddress, L"192.168.5.1", kUdpAddressIllegal},
        {&SaveIpTexts::udpAddress, L"192.168.5.0", kUdpAddressIllegal},
        {&SaveIpTexts::udpAddress, L"0.168.5.3", kUdpAddressIllegal},
        {&SaveIpTexts::udpPort, L"1025", L"<sent>"},
        {&SaveIpTexts::udpPort, L"65534", L"<sent>"},
        {&SaveIpTexts::udpPort, L"1024", kPortIllegal},
        {&SaveIpTexts::udpPort, L"65535", kPortIllegal},
        {&SaveIpTexts::udpPort, L"0", kPortIllegal},
        {&SaveIpTexts::udpPort, L"", kPortIllegal},
        {&SaveIpTexts::udpPort, L"-1025", kPortIllegal},
        {&SaveIpTexts::cameraAddress, L"192.168.2.2", L"<sent>"},
        {&SaveIpTexts::cameraAddress, L"192.168.2.254", L"<sent>"},
        {&SaveIpTexts::cameraAddress, L"192.168.2.1", kCameraAddressIllegal},
        {&SaveIpTexts::cameraAddress, L"192.168.2.0", kCameraAddressIllegal},
        {&SaveIpTexts::cameraAddress, L"192.168.2.255", kCameraAddressIllegal},
        {&SaveIpTexts::cameraAddress, L"0.168.2.119", kCameraAddressIllegal},
        {&SaveIpTexts::gateway, L"192.168.2.1", L"<sent>"},
        {&SaveIpTexts::gateway, L"192.168.2.254", L"<sent>"},
        {&SaveIpTexts::gateway, L"192.168.2.0", kGatewayIllegal},
        {&SaveIpTexts::gateway, L"192.168.2.255", kGatewayIllegal},
        {&SaveIpTexts::gateway, L"0.168.2.1", kGatewayIllegal},
        {&SaveIpTexts::dns, L"0.0.0.0", L"<sent>"},
        {&SaveIpTexts::mask, L"0.0.0.0", L"<sent>"},
    };
    for (const auto& c : cases) {
        SaveIpTexts t = defaults(0);
        t.*c.field = c.text;
        EXPECT_EQ(failure(checkSaveIp(t)), c.expected) << std::string(c.text.begin(), c.text.end());
    }
}

TEST(SaveIp, PortTravelsHighByteFirst)
{
    SaveIpTexts t = defaults(0);
    t.udpPort = L"65534";
    const Bytes frame = std::get<Bytes>(checkSaveIp(t));
    EXPECT_EQ(frame[7], 0xFF);
    EXPECT_EQ(frame[8], 0xFE);
}

// Records which fields the procedure asked for.
struct ReadLog {
    SaveIpTexts texts;
    std::vector<IpField> read;
    SaveIpOutcome run()
    {
        return checkSaveIp(texts.pushModeIndex, [this](IpField f) {
            read.push_back(f);
            return texts.text(f);
        });
    }
};

TEST(SaveIp, OnlyTheFirstFailureIsReportedAndLaterFieldsAreNotRead)
{
    ReadLog badUdp{defaults(0), {}};
    badUdp.texts.udpAddress = L"1.1.1.1";
    badUdp.texts.udpPort = L"0";
    badUdp.texts.cameraAddress = L"0.0.0.0";
    EXPECT_EQ(failure(badUdp.run()), kUdpAddressIllegal);
    EXPECT_EQ(badUdp.read, std::vector<IpField>{IpField::UdpAddress});

    ReadLog badPort{defaults(0), {}};
    badPort.texts.udpPort = L"x";
    EXPECT_EQ(failure(badPort.run()), kPortIllegal);
    EXPECT_EQ(badPort.read, (std::vector<IpField>{IpField::UdpAddress, IpField::UdpPort}));

    ReadLog badBoth{defaults(1), {}};
    badBoth.texts.cameraAddress = L"192.168.2.1";
    badBoth.texts.gateway = L"192.168.2.0";
    EXPECT_EQ(failure(badBoth.run()), kCameraAddressIllegal);
    EXPECT_EQ(badBoth.read, (std::vector<IpField>{IpField::CameraAddress, IpField::Gateway, IpField::Dns,
                                                  IpField::Mask}));
}

}  // namespace
}  // namespace nolt
