// The reply table and the status display, one received frame at a time.
#include "hex.h"
#include "link/connect_input.h"
#include "link/replies.h"
#include "link/status_report.h"
#include "stream_outcome.h"
#include "res/resource.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <optional>

namespace nolt {
namespace {

using test::hex;
using namespace res;

struct ReplyCase {
    const char* name;
    const char* frame;
    std::vector<Effect> expected;
};

std::vector<Effect> status(const wchar_t* out, const wchar_t* in, const wchar_t* src, const wchar_t* dst)
{
    return {Effect::field(IDC_OUTPUT_FREQ, out), Effect::field(IDC_INPUT_FREQ, in),
            Effect::field(IDC_SRC_IMG_SIZE, src), Effect::field(IDC_DEST_IMG_SIZE, dst)};
}

std::vector<Effect> with(std::vector<Effect> a, const std::vector<Effect>& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

const Effect kStatusOk = Effect::log(L"Get current movement status successfully");
const Effect kStatusFailed = Effect::log(L"Failed to get current movement status");
const std::vector<Effect> kZeros = status(L"0", L"0", L"0", L"0");

// A status report whose payload is the longest one the receive buffer
// verifies whole (252 bytes): the report's ten bytes, zeros, the checksum.
const std::string kLongestStatus = "AA 01 FC 19 32 07 80 04 38 05 00 02 D0" + [] {
    std::string zeros;
    for (int i = 0; i < 242; ++i) zeros += " 00";
    return zeros;
}() + " E5";

const ReplyCase kCases[] = {
    {"status", "AA 01 0A 19 32 07 80 04 38 05 00 02 D0 E5",
     with(status(L"25", L"50", L"1920x1080", L"1280x720"), {kStatusOk})},
    {"status_negative_freq", "AA 01 0A C8 FF 00 01 00 01 00 00 00 00 C9",
     with(status(L"-56", L"-1", L"1x1", L"0"), {kStatusOk})},
    {"status_negative_size", "AA 01 0A 00 00 FF 38 00 64 00 00 00 05 A0",
     with(status(L"0", L"0", L"-200x100", L"0"), {kStatusOk})},
    {"status_zero_height", "AA 01 0A 00 00 07 80 00 00 00 00 00 00 87",
     with(status(L"0", L"0", L"0", L"0"), {kStatusOk})},
    {"status_all_zero", "AA 01 00 00", with(kZeros, {kStatusOk})},
    {"status_bad_checksum", "AA 01 0A 19 32 07 80 04 38 05 00 02 D0 00", with({kStatusFailed}, kZeros)},
    {"status_n_252", kLongestStatus.c_str(), with(status(L"25", L"50", L"1920x1080", L"1280x720"), {kStatusOk})},
    {"status_n_over_252", "AA 01 FD 00", with({kStatusFailed}, kZeros)},
    {"checksum_wraps", "AA 10 02 FF 02 01", {Effect::log(L"Subcode set successfully")}},
    {"checksum_not_wrapped", "AA 10 02 FF 02 00", {Effect::log(L"Sub stream setting failed")}},
    {"main_stream_ok", "AA 02 00 00",
     {Effect::log(L"Code setting succeeded, please power on again."),
      Effect::box(L"Code setting succeeded, please power on again.", BoxIcon::Exclamation)}},
    {"main_stream_failed", "AA 02 01 05 04", {Effect::log(L"Coding setting failed")}},
    {"ip_ok", "AA 04 01 07 07",
     {Effect::log(L"IP is set successfully, please power on again."),
      Effect::box(L"IP is set successfully, please power on again.", BoxIcon::Exclamation)}},
    {"ip_failed", "AA 04 00 01", {Effect::log(L"IP setting failed")}},
    {"version_258", "AA 05 04 00 00 01 02 03",
     {Effect::field(IDC_VERSION, L"258"), Effect::log(L"Version number query succeeded")}},
    {"version_min", "AA 05 04 80 00 00 00 80",
     {Effect::field(IDC_VERSION, L"-2147483648"), Effect::log(L"Version number query succeeded")}},
    {"version_7", "AA 05 04 00 00 00 07 07",
     {Effect::field(IDC_VERSION, L"7"), Effect::log(L"Version number query succeeded")}},
    {"version_failed", "AA 05 04 00 00 00 07 08", {Effect::log(L"Version number query failed")}},
    {"storage_ok", "AA 06 00 00",
     {Effect::log(L"Information storage succeeded, please power on again."), Effect::linkReset()}},
    {"storage_failed", "AA 06 00 01", {Effect::log(L"Information storage failed")}},
    {"bandwidth_10m", "AA 20 01 01 01", {Effect::log(L"Network bandwidth 10m set successfully")}},
    {"bandwidth_100m", "AA 20 01 00 00", {Effect::log(L"Network bandwidth 100m set successfully")}},
    {"bandwidth_other", "AA 20 02 05 02 07", {}},
    {"bandwidth_failed", "AA 20 01 01 00", {Effect::log(L"Network bandwidth setting failed")}},
    {"dhcp_on", "AA 21 01 01 01", {Effect::log(L"DHCP ON")}},
    {"dhcp_off", "AA 21 01 00 00", {Effect::log(L"DHCP OFF")}},
    {"dhcp_failed", "AA 21 01 01 02", {Effect::log(L"DHCP Setup failed")}},
    {"unknown_03_bad_sum", "AA 03 01 05 00", {}},
    {"unknown_7F_bad_sum", "AA 7F 00 09", {}},
    {"no_start_byte", "AB 02 00 00", {}},
};

// A row as CTest lists it and a failure names it (after the row's name):
// its frame, a long one cut after its first bytes, and the effects' count.
void PrintTo(const ReplyCase& c, std::ostream* out)
{
    constexpr std::size_t kShown = 3 * 16 - 1;  // sixteen bytes, "AA 01 ... D0"
    const std::string_view frame = c.frame;
    *out << "frame " << frame.substr(0, kShown);
    if (frame.size() > kShown) *out << " ... (" << hex(frame).size() << " bytes)";
    *out << ", effects expected: " << c.expected.size();
}

class ReplyTable : public testing::TestWithParam<ReplyCase> {};

TEST_P(ReplyTable, GivesTheEffectsInOrder)
{
    EXPECT_EQ(handleReply(toFrameBuffer(hex(GetParam().frame))), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Replies, ReplyTable, testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(StatusDisplay, IgnoresTheDeclaredLength)
{
    for (int n : {0, 1, 10, 200, 255}) {
        Bytes frame = hex("AA 01 00 19 32 07 80 04 38 05 00 02 D0");
        frame[2] = static_cast<std::uint8_t>(n);
        EXPECT_EQ(statusDisplay(toFrameBuffer(frame)), status(L"25", L"50", L"1920x1080", L"1280x720")) << n;
    }
}

TEST(ConnectInput, ReadsThePortAsASignedNumber)
{
    const std::pair<const wchar_t*, int> cases[] = {
        {L"2000", 2000}, {L" 65534 ", 65534}, {L"-5", -5}, {L"", 0}, {L"abc", 0}, {L"12a", 0},
        {L"-", 0}, {L"99999999999", 0}, {L"2147483647", 2147483647}, {L"-2147483648", -2147483647 - 1},
    };
    for (const auto& [text, value] : cases) EXPECT_EQ(readPortText(text), value) << text;
}

TEST(ConnectInput, AcceptsOnlyUsableAddressAndPort)
{
    EXPECT_TRUE(connectInputAcceptable(L"127.0.0.1", 1));
    EXPECT_TRUE(connectInputAcceptable(L"127.0.0.1", 65534));
    for (int port : {65535, 0, -1, 70000}) EXPECT_FALSE(connectInputAcceptable(L"127.0.0.1", port)) << port;
    EXPECT_FALSE(connectInputAcceptable(L"0.0.0.0", 2000));
}

// Only the address a person reads in the text is taken; the socket
// library's other forms (short, octal, hexadecimal, trailing words) are not.
TEST(ConnectInput, TakesOnlyTheAddressAPersonReads)
{
    using Address = std::array<std::uint8_t, 4>;
    const std::pair<const wchar_t*, std::optional<Address>> cases[] = {
        {L"127.0.0.1", Address{127, 0, 0, 1}},
        {L"192.168.001.010", Address{192, 168, 1, 10}},  // decimal, not octal
        {L"255.255.255.254", Address{255, 255, 255, 254}},
        {L"127.1", std::nullopt},
        {L"0x7f.0.0.1", std::nullopt},
        {L"010.0.0.1 x", std::nullopt},
        {L"1.2.3.4 ", std::nullopt},
        {L"666666\f7\f\f?\f?", std::nullopt},  // found by fuzz_ip_text: one number, then a blank and more
        {L"5\t2\u00E9", std::nullopt},           // found by fuzz_hosts_file
        {L"0.0.0.0", std::nullopt},
        {L"000.0.0.0", std::nullopt},  // this PC, however written
        {L"255.255.255.255", std::nullopt},
        {L"1.2.3.300", std::nullopt},
        {L"0001.2.3.4", std::nullopt},
        {L"１２７.0.0.1", std::nullopt},  // fullwidth digits are no address
        {L"1.2.3.", std::nullopt},
        {L".1.2.3", std::nullopt},
        {L"1..2.3", std::nullopt},
        {L"1.2.3.4.5", std::nullopt},
        {L"", std::nullopt},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const auto& [text, address] = cases[i];
        std::optional<std::uint32_t> expected;  // network byte order: the first number first in memory
        if (address) std::memcpy(&expected.emplace(), address->data(), 4);
        EXPECT_EQ(readAddressText(text), expected) << "case " << i;
    }
}

}  // namespace
}  // namespace nolt
