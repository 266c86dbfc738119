// The well-behaved module: each command and its reply, the state it keeps,
// and input that arrives split or several frames at a time.
#include "sim_test_util.h"

#include <random>

namespace nolt::sim::test {
namespace {

std::string replyTo(Module& m, std::string_view commandHex)
{
    return hexOf(written(m.feed(hex(commandHex)).actions));
}

struct Exchange {
    const char* command;
    const char* reply;  // "" for no reply
};

TEST(SimModule, AnswersEachCommandWithItsReply)
{
    const Exchange table[] = {
        // Status: 25/25 fps, sensor 1920x1080, default 1080P destination.
        {"AA 01 01 01 01", "AA 01 0A 19 19 07 80 04 38 07 80 04 38 B8"},
        {"AA 05 01 01 01", "AA 05 04 00 00 00 07 07"},
        {"AA 02 07 05 02 02 01 01 01 01 0D", "AA 02 07 05 02 02 01 01 01 01 0D"},
        {"AA 04 16 00 00 00 0E 00 00 C0 A8 02 77 C0 A8 02 01 00 00 00 00 FF FF FF 00 57",
         "AA 04 16 00 00 00 0E 00 00 C0 A8 02 77 C0 A8 02 01 00 00 00 00 FF FF FF 00 57"},
        {"AA 10 06 09 02 02 02 02 02 13", "AA 10 06 09 02 02 02 02 02 13"},
        {"AA 10 06 00 00 00 00 00 00 00", "AA 10 06 00 00 00 00 00 00 00"},
        // One-byte commands are echoed, so the reply names the state sent.
        {"AA 20 01 01 01", "AA 20 01 01 01"},
        {"AA 20 01 00 00", "AA 20 01 00 00"},
        {"AA 21 01 01 01", "AA 21 01 01 01"},
        {"AA 21 01 00 00", "AA 21 01 00 00"},
        // A damaged command is refused with a reply that fails its checksum.
        {"AA 02 07 05 02 02 01 01 01 01 0E", "AA 02 07 05 02 02 01 01 01 01 0E"},
        {"AA 01 01 01 00", "AA 01 01 01 02"},
        {"AA 20 02 01 00 01", "AA 20 02 01 00 02"},
        // Codes the module does not know get no answer.
        {"AA 03 00 00", ""},
        {"AA 06 00 00", ""},
        {"AA 7F 01 05 05", ""},
    };
    for (const Exchange& e : table) {
        Module m;
        EXPECT_EQ(replyTo(m, e.command), e.reply) << "command " << e.command;
    }
}

TEST(SimModule, StatusFollowsTheMainStreamSettings)
{
    struct Case {
        const char* mainStream;  // payload of an 0x02 command
        const char* status;      // expected status payload
    } table[] = {
        {"05 01 02 01 01 01 01", "19 19 07 80 04 38 05 00 02 D0"},  // 720P
        {"05 02 02 01 01 01 01", "19 19 07 80 04 38 07 80 04 38"},  // 1080P
        {"05 03 02 01 01 01 01", "19 19 07 80 04 38 0F 00 08 70"},  // 2160P
        {"05 03 02 01 02 01 01", "1E 1E 07 80 04 38 0F 00 08 70"},  // 30 frames
        // No choice (0) or an unknown code keeps the current setting.
        {"00 00 00 00 00 00 00", "19 19 07 80 04 38 07 80 04 38"},
        {"05 07 02 01 09 01 01", "19 19 07 80 04 38 07 80 04 38"},
    };
    for (const Case& c : table) {
        Module m;
        const Bytes payload = hex(c.mainStream);
        m.feed(buildFrame(code::kMainStream, payload));
        const Bytes expected = buildFrame(code::kStatus, hex(c.status));
        EXPECT_EQ(replyTo(m, "AA 01 01 01 01"), hexOf(expected)) << "main stream " << c.mainStream;
    }
}

TEST(SimModule, StatusOverrideIsSentAsGiven)
{
    ModuleOptions o;
    o.initial.statusOverride = hex("C8 32 FF 38 00 64 00 00 02 D0");
    Module m(o);
    EXPECT_EQ(replyTo(m, "AA 01 01 01 01"), "AA 01 0A C8 32 FF 38 00 64 00 00 02 D0 67");
}

TEST(SimModule, KeepsTheSettingsItIsSent)
{
    Module m;
    m.feed(hex("AA 04 16 C0 A8 05 03 59 DB C0 A8 02 77 C0 A8 02 01 08 08 08 08 FF FF FF 00 0D"));
    m.feed(hex("AA 10 06 09 02 02 02 02 02 13"));
    m.feed(hex("AA 20 01 01 01"));
    m.feed(hex("AA 21 01 01 01"));
    ModuleState s = m.state();
    EXPECT_EQ(s.udpDestination, (Ipv4{192, 168, 5, 3}));
    EXPECT_EQ(s.udpPort, 23003);
    EXPECT_EQ(s.ownAddress, (Ipv4{192, 168, 2, 119}));
    EXPECT_EQ(s.gateway, (Ipv4{192, 168, 2, 1}));
    EXPECT_EQ(s.dns, (Ipv4{8, 8, 8, 8}));
    EXPECT_EQ(s.mask, (Ipv4{255, 255, 255, 0}));
    EXPECT_TRUE(s.subStreamOn);
    EXPECT_EQ(s.subStream, (std::array<std::uint8_t, 6>{9, 2, 2, 2, 2, 2}));
    EXPECT_TRUE(s.bandwidth10M);
    EXPECT_TRUE(s.dhcpOn);

    // Outside UDP mode the UDP fields are a filler and the receiver stays;
    // sub stream off keeps its last choices; 100M and DHCP off are stored.
    m.feed(hex("AA 04 16 00 00 00 0E 00 00 C0 A8 02 77 C0 A8 02 01 00 00 00 00 FF FF FF 00 57"));
    m.feed(hex("AA 10 06 00 00 00 00 00 00 00"));
    m.feed(hex("AA 20 01 00 00"));
    m.feed(hex("AA 21 01 00 00"));
    s = m.state();
    EXPECT_EQ(s.udpDestination, (Ipv4{192, 168, 5, 3}));
    EXPECT_EQ(s.dns, (Ipv4{0, 0, 0, 0}));
    EXPECT_FALSE(s.subStreamOn);
    EXPECT_EQ(s.subStream[0], 9);
    EXPECT_FALSE(s.bandwidth10M);
    EXPECT_FALSE(s.dhcpOn);

    // A damaged command changes nothing.
    const ModuleState before = m.state();
    m.feed(hex("AA 02 07 05 01 02 01 01 01 01 0D"));
    EXPECT_EQ(m.state(), before);
}

TEST(SimModule, VersionIsSignedBigEndian)
{
    ModuleOptions o;
    o.initial.version = -2147483647 - 1;
    Module low(o);
    EXPECT_EQ(replyTo(low, "AA 05 01 01 01"), "AA 05 04 80 00 00 00 80");
    o.initial.version = 258;
    Module mid(o);
    EXPECT_EQ(replyTo(mid, "AA 05 01 01 01"), "AA 05 04 00 00 01 02 03");
}

TEST(SimModule, AnswersAndStoresThePushAddress)
{
    Module m;
    EXPECT_EQ(written(m.feed(text("get_addrrtmp")).actions), text("rtmp://127.0.0.1/live/stream"));

    // An upload is the whole block, whatever it holds, and sends no answer.
    const Bytes upload = text("rtmp://10.1.2.3:1935/live/\xE9t\xE9 cam");
    EXPECT_TRUE(m.feed(upload).actions.empty());
    EXPECT_EQ(m.state().pushAddress, std::string(upload.begin(), upload.end()));
    EXPECT_EQ(written(m.feed(text("get_addrrtmp")).actions), upload);

    // Any other text is taken as an address too; a module does not check it.
    m.feed(text("srt://x"));
    EXPECT_EQ(m.state().pushAddress, "srt://x");
}

TEST(SimModule, SeparatesTextFromFramesInOneRead)
{
    Module m;
    Bytes input = text("get_addrrtmp");
    const Bytes status = hex("AA 01 01 01 01");
    input.insert(input.end(), status.begin(), status.end());
    const FeedResult r = m.feed(input);
    ASSERT_EQ(r.received.size(), 2u);
    EXPECT_FALSE(r.received[0].isFrame);
    EXPECT_TRUE(r.received[1].isFrame);
    Bytes expected = text("rtmp://127.0.0.1/live/stream");
    const Bytes report = hex("AA 01 0A 19 19 07 80 04 38 07 80 04 38 B8");
    expected.insert(expected.end(), report.begin(), report.end());
    EXPECT_EQ(written(r.actions), expected);

    // A frame followed by an upload in the same read.
    Bytes both = hex("AA 21 01 01 01");
    const Bytes address = text("rtmp://a/b");
    both.insert(both.end(), address.begin(), address.end());
    EXPECT_EQ(written(m.feed(both).actions), hex("AA 21 01 01 01"));
    EXPECT_EQ(m.state().pushAddress, "rtmp://a/b");
}

TEST(SimModule, WaitsForTheRestOfASplitRequest)
{
    Module m;
    EXPECT_TRUE(m.feed(text("get_")).actions.empty());
    EXPECT_EQ(m.pendingBytes(), 4u);
    EXPECT_EQ(written(m.feed(text("addrrtmp")).actions), text("rtmp://127.0.0.1/live/stream"));
    EXPECT_EQ(m.state().pushAddress, "rtmp://127.0.0.1/live/stream");
}

// One stream of many commands gives the same replies, in the same order,
// however it is cut into reads.
TEST(SimModule, SameRepliesAtEveryChunkSize)
{
    const char* commands[] = {
        "AA 01 01 01 01", "AA 02 07 05 01 02 01 01 01 01 0C", "AA 01 01 01 01", "AA 05 01 01 01",
        "AA 03 00 00", "AA 20 01 01 01", "AA 21 01 00 00", "AA 10 06 09 02 02 02 02 02 13",
        "AA 04 16 00 00 00 0E 00 00 C0 A8 02 77 C0 A8 02 01 00 00 00 00 FF FF FF 00 57",
        "AA 01 01 01 00",
    };
    Bytes stream;
    for (const char* c : commands) {
        const Bytes b = hex(c);
        stream.insert(stream.end(), b.begin(), b.end());
    }
    Module whole;
    const Bytes expected = written(whole.feed(stream).actions);
    ASSERT_FALSE(expected.empty());

    for (std::size_t chunk = 1; chunk <= stream.size(); ++chunk) {
        Module m;
        Bytes got;
        for (std::size_t at = 0; at < stream.size(); at += chunk) {
            const std::size_t n = std::min(chunk, stream.size() - at);
            const Bytes w = written(m.feed(std::span(stream).subspan(at, n)).actions);
            got.insert(got.end(), w.begin(), w.end());
        }
        ASSERT_EQ(hexOf(got), hexOf(expected)) << "chunk size " << chunk;
        EXPECT_EQ(m.pendingBytes(), 0u);
        EXPECT_EQ(m.state(), whole.state());
    }
}

TEST(SimModule, ANewConnectionForgetsAHalfFrameButKeepsTheSettings)
{
    Module m;
    m.feed(hex("AA 02 07 05 01 02 01 01 01 01 0C"));
    m.feed(hex("AA 01 01"));
    EXPECT_EQ(m.pendingBytes(), 3u);
    m.startConnection();
    EXPECT_EQ(m.pendingBytes(), 0u);
    EXPECT_EQ(replyTo(m, "AA 01 01 01 01"), "AA 01 0A 19 19 07 80 04 38 05 00 02 D0 CC");
}

// Random input in random pieces: no crash, and the module never holds more
// than one unfinished frame.
TEST(SimModule, SurvivesRandomInput)
{
    std::mt19937 rng(12345);
    Faults f;
    f.repeat = 2;
    f.splitBytes = 3;
    for (int round = 0; round < 200; ++round) {
        ModuleOptions o;
        o.faults = f;
        Module m(o);
        Bytes input(1 + rng() % 600);
        for (auto& b : input) b = static_cast<std::uint8_t>(rng() % 4 == 0 ? 0xAA : rng());
        for (std::size_t at = 0; at < input.size();) {
            const std::size_t n = std::min<std::size_t>(1 + rng() % 40, input.size() - at);
            m.feed(std::span(input).subspan(at, n));
            at += n;
            ASSERT_LE(m.pendingBytes(), 255u + kFrameOverhead);
        }
    }
}

TEST(SimHex, RoundTripsAndRefusesMalformedText)
{
    EXPECT_EQ(toHex(hex("aa 0f 00ff")), "AA 0F 00 FF");
    EXPECT_FALSE(fromHex("A").has_value());
    EXPECT_FALSE(fromHex("A A").has_value());
    EXPECT_FALSE(fromHex("GG").has_value());
    EXPECT_EQ(fromHex("")->size(), 0u);
}

}  // namespace
}  // namespace nolt::sim::test
