// Reassembly: frames split over reads, several frames in one read, text
// blocks, and partial frames that never complete.
#include "hex.h"
#include "link/frame_reader.h"
#include "link/trace.h"
#include "res/resource.h"
#include "stream_outcome.h"

#include <gtest/gtest.h>

namespace nolt {
namespace {

using namespace std::chrono_literals;
using test::concat;
using test::hex;

std::vector<std::wstring> logLines(const test::StreamOutcome& outcome)
{
    std::vector<std::wstring> lines;
    for (const Effect& e : outcome.effects)
        if (e.kind == Effect::Kind::Log) lines.push_back(e.text);
    return lines;
}

// Many replies of every kind back to back, including frames whose declared
// length runs past the receive buffer (up to the longest a frame can say)
// and codes the tool does not know.
Bytes recordedStream()
{
    Bytes oversized = hex("AA 01 FD");
    oversized.resize(3 + 253, 0x11);
    oversized.push_back(0x00);
    return concat({
        hex("AA 01 0A 19 32 07 80 04 38 05 00 02 D0 E5"),
        hex("AA 05 04 00 00 01 02 03"),
        hex("AA 03 01 05 00"),
        hex("AA 20 01 01 01"),
        oversized,
        buildFrame(code::kStatus, Bytes(255, 0x22)),
        hex("AA 21 01 00 00"),
        hex("AA 10 00 00"),
        hex("AA 7F 00 09"),
        hex("AA 02 01 05 04"),
        hex("AA 20 02 05 02 07"),
        hex("AA 06 00 00"),
        hex("AA 05 04 80 00 00 00 80"),
    });
}

TEST(FrameReader, ReSplittingTheStreamNeverChangesTheOutcome)
{
    const Bytes stream = recordedStream();
    const test::StreamOutcome whole = test::feedInChunks(stream, stream.size());
    const std::vector<std::wstring> expected = {
        L"Get current movement status successfully",
        L"Version number query succeeded",
        L"Network bandwidth 10m set successfully",
        L"Failed to get current movement status",
        L"Failed to get current movement status",
        L"DHCP OFF",
        L"Subcode set successfully",
        L"Coding setting failed",
        L"Information storage succeeded, please power on again.",
        L"Version number query succeeded",
    };
    EXPECT_EQ(logLines(whole), expected);
    EXPECT_TRUE(whole.texts.empty());
    for (std::size_t chunk = 1; chunk < stream.size(); ++chunk)
        ASSERT_EQ(test::feedInChunks(stream, chunk), whole) << "chunk size " << chunk;
}

TEST(FrameReader, BytesAfterAFrameReadAsZeroInItsDisplay)
{
    // A status report of two payload bytes and a one-byte version report (its
    // number is payload and checksum, 07 07, then zeros),
    // each followed at once by another frame.
    const Bytes stream = concat({hex("AA 01 02 19 32 4B"), hex("AA 05 01 07 07"), hex("AA 20 01 01 01")});
    const auto out = test::feedInChunks(stream, stream.size());
    const std::vector<Effect> expected = {
        Effect::field(res::IDC_OUTPUT_FREQ, L"25"), Effect::field(res::IDC_INPUT_FREQ, L"50"),
        Effect::field(res::IDC_SRC_IMG_SIZE, L"0"), Effect::field(res::IDC_DEST_IMG_SIZE, L"0"),
        Effect::log(L"Get current movement status successfully"),
        Effect::field(res::IDC_VERSION, L"117899264"), Effect::log(L"Version number query succeeded"),
        Effect::log(L"Network bandwidth 10m set successfully"),
    };
    EXPECT_EQ(out.effects, expected);
}

TEST(FrameReader, TextBlocksAreWholeReadsOrTheRestOfOne)
{
    FrameReader reader;
    const auto now = FrameReader::Clock::now();
    test::StreamOutcome out;
    test::collect(reader.feed(hex("72 74 6D 70 AA 01"), now), out);            // "rtmp" then AA 01
    test::collect(reader.feed(concat({hex("AA 10 00 00"), hex("00 41")}), now), out);  // frame, then text
    ASSERT_EQ(out.texts.size(), 2u);
    EXPECT_EQ(out.texts[0], hex("72 74 6D 70 AA 01"));
    EXPECT_EQ(out.texts[1], hex("00 41"));
    EXPECT_EQ(logLines(out), std::vector<std::wstring>{L"Subcode set successfully"});
}

struct PartialCase {
    const char* name;
    const char* first;
    std::vector<std::wstring> lines;
    const char* traced;  // the piece in the tool's trace: no frame's name
};

void PrintTo(const PartialCase& c, std::ostream* out)
{
    *out << "first " << c.first << ", lines " << testing::PrintToString(c.lines) << ", traced " << c.traced;
}

class PartialFrame : public testing::TestWithParam<PartialCase> {};

// A frame whose rest never comes is judged after 200 ms with the missing
// bytes as zero, as a zero-filled buffer would have it.
TEST_P(PartialFrame, IsJudgedWithZerosAfterItsTimeout)
{
    FrameReader reader;
    const auto t0 = FrameReader::Clock::now();
    test::StreamOutcome out;
    test::collect(reader.feed(hex(GetParam().first), t0), out);
    EXPECT_TRUE(out.effects.empty());
    EXPECT_FALSE(reader.expire(t0 + 199ms).has_value());
    EXPECT_EQ(reader.deadline(), t0 + 200ms);
    // Once judged, a later read starts afresh.
    std::vector<ReceivedItem> stale;
    if (auto item = reader.expire(t0 + 200ms)) stale.push_back(std::move(*item));
    test::collect(std::move(stale), out);
    test::collect(reader.feed(hex("AA 21 01 01 01"), t0 + 200ms), out);
    auto expected = GetParam().lines;
    expected.push_back(L"DHCP ON");
    EXPECT_EQ(logLines(out), expected);
    EXPECT_FALSE(reader.framePending());
    EXPECT_EQ(blockText(hex(GetParam().first), TraceDirection::Received, TracePeer::Tool), GetParam().traced);
}

INSTANTIATE_TEST_SUITE_P(
    FrameReader, PartialFrame,
    testing::Values(PartialCase{"storage_short", "AA 06 00", {L"Information storage succeeded, please power on again."},
                                "AA 06 00"},
                    PartialCase{"payload_sums_to_zero", "AA 10 03 FF 01", {L"Subcode set successfully"},
                                "AA 10 03 FF 01"},
                    PartialCase{"payload_missing", "AA 02 05 01", {L"Coding setting failed"}, "AA 02 05 01"},
                    PartialCase{"start_byte_only", "AA", {}, "AA"},
                    PartialCase{"code_only", "AA 05", {L"Version number query succeeded"}, "AA 05"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(FrameReader, ARestArrivingInTimeJoinsTheFrame)
{
    FrameReader reader;
    const auto t0 = FrameReader::Clock::now();
    test::StreamOutcome out;
    test::collect(reader.feed(hex("AA 20 01"), t0), out);
    test::collect(reader.feed(hex("01"), t0 + 150ms), out);
    test::collect(reader.feed(hex("01"), t0 + 300ms), out);  // within 200 ms of the last bytes
    EXPECT_EQ(logLines(out), std::vector<std::wstring>{L"Network bandwidth 10m set successfully"});
}

// The link thread may be busy in a window call for longer than the timeout
// while the rest of a frame already waits in the socket: bytes in hand are
// never a reason to cut the frame short, or the reads after it would fall
// out of step and whole replies be lost.
TEST(FrameReader, BytesReadLateStillJoinTheFrame)
{
    FrameReader reader;
    const auto t0 = FrameReader::Clock::now();
    test::StreamOutcome out;
    test::collect(reader.feed(hex("AA 20 01"), t0), out);
    test::collect(reader.feed(hex("01 01 AA 21 01 00 00"), t0 + 5s), out);
    EXPECT_EQ(logLines(out), (std::vector<std::wstring>{L"Network bandwidth 10m set successfully", L"DHCP OFF"}));
}

}  // namespace
}  // namespace nolt
