// The simulator's TCP server on 127.0.0.1, driven by a plain socket client.
#include "sim/server.h"
#include "sim_test_util.h"

#include "platform/tcp_socket.h"
#include "platform/wake_signal.h"

#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

namespace nolt::sim::test {
namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// A minimal client with bounded reads.
class Client {
public:
    explicit Client(std::uint16_t port)
    {
        auto created = TcpSocket::create();
        const auto loopback = parseDottedAddress("127.0.0.1");
        if (!created || !loopback) return;
        socket_ = std::move(*created);
        connected_ = socket_.connect(*loopback, port, nullptr, 2000) == TcpSocket::ConnectOutcome::Connected;
    }
    bool connected() const { return connected_; }

    void send(const Bytes& b) { ASSERT_EQ(socket_.send(b), static_cast<long>(b.size())); }

    // Reads until `count` bytes arrived, the peer closed, or the time is up.
    Bytes read(std::size_t count, int timeoutMs = 2000)
    {
        Bytes out;
        const auto end = Clock::now() + milliseconds(timeoutMs);
        while (out.size() < count && Clock::now() < end) {
            if (readOnce(out, end) <= 0) break;
        }
        return out;
    }

    // True when the peer closes within the time.
    bool closedWithin(int timeoutMs)
    {
        Bytes ignored;
        const auto end = Clock::now() + milliseconds(timeoutMs);
        long n = 1;
        while (n > 0 && Clock::now() < end) n = readOnce(ignored, end);
        return n == 0 || n == kFailed;
    }

    int reads = 0;

private:
    static constexpr long kFailed = -1;
    static constexpr long kTimedOut = -2;

    // Bytes read, 0 when the peer closed, kFailed or kTimedOut.
    long readOnce(Bytes& out, Clock::time_point end)
    {
        const auto left = std::chrono::duration_cast<milliseconds>(end - Clock::now()).count();
        const auto waited = socket_.waitReadable(never_, static_cast<int>(std::max<long long>(left, 0)));
        if (waited == TcpSocket::WaitOutcome::TimedOut) return kTimedOut;
        if (waited != TcpSocket::WaitOutcome::Readable) return kFailed;
        std::uint8_t buf[65536];
        const long n = socket_.receive(buf);
        if (n <= 0) return n < 0 ? kFailed : 0;
        ++reads;
        out.insert(out.end(), buf, buf + n);
        return n;
    }

    TcpSocket socket_;
    WakeSignal never_;  // nothing signals it: waits end by data or time
    bool connected_ = false;
};

ServerOptions onFreePort(Faults faults = {})
{
    ServerOptions o;
    o.port = 0;
    o.module.faults = faults;
    return o;
}

bool waitFor(const std::function<bool()>& condition, int timeoutMs = 2000)
{
    const auto end = Clock::now() + milliseconds(timeoutMs);
    while (Clock::now() < end) {
        if (condition()) return true;
        std::this_thread::sleep_for(milliseconds(2));
    }
    return condition();
}

// A server with the given faults, started on a free port.
std::unique_ptr<SimServer> started(const Faults& faults)
{
    auto server = std::make_unique<SimServer>(onFreePort(faults));
    EXPECT_TRUE(server->start());
    return server;
}

constexpr const char* kStatusReport = "AA 01 0A 19 19 07 80 04 38 07 80 04 38 B8";

TEST(SimServer, AnswersOverLoopbackAndKeepsState)
{
    SimServer server(onFreePort());
    ASSERT_TRUE(server.start());
    ASSERT_NE(server.port(), 0);
    Client c(server.port());
    ASSERT_TRUE(c.connected());

    c.send(hex("AA 01 01 01 01"));
    EXPECT_EQ(hexOf(c.read(14)), kStatusReport);
    c.send(hex("AA 02 07 05 01 02 01 01 01 01 0C"));
    EXPECT_EQ(hexOf(c.read(11)), "AA 02 07 05 01 02 01 01 01 01 0C");
    c.send(hex("AA 01 01 01 01"));
    EXPECT_EQ(hexOf(c.read(14)), "AA 01 0A 19 19 07 80 04 38 05 00 02 D0 CC");
    c.send(text("get_addrrtmp"));
    EXPECT_EQ(c.read(28), text("rtmp://127.0.0.1/live/stream"));

    EXPECT_EQ(server.state().mainStream[1], 1);
    EXPECT_EQ(server.framesReceived(), 3);
    server.stop();
    EXPECT_FALSE(server.running());
}

// The trace: hex of every block, with the names of the whole frames it holds.
TEST(SimServer, LogsEveryFrameInHexWithItsName)
{
    struct Case {
        Faults faults;
        std::size_t replyBytes;
        std::vector<std::string> replyLines;
    };
    const Case cases[] = {
        {{}, 8, {"-> AA 05 04 00 00 00 07 07  Version report"}},
        {{.coalesce = true, .repeat = 2}, 16,
         {"-> AA 05 04 00 00 00 07 07 AA 05 04 00 00 00 07 07  Version report, Version report"}},
        // Pieces of a split frame are not frames of their own.
        {{.splitBytes = 5}, 8, {"-> AA 05 04 00 00", "-> 00 07 07"}},
        {{.badChecksum = true}, 8, {"-> AA 05 04 00 00 00 07 08  Version report"}},
    };
    for (const Case& t : cases) {
        std::mutex m;
        std::vector<std::string> lines;
        SimServer server(onFreePort(t.faults), [&](const std::string& line) {
            std::lock_guard lock(m);
            lines.push_back(line);
        });
        ASSERT_TRUE(server.start());
        Client c(server.port());
        c.send(hex("AA 05 01 01 01"));
        EXPECT_EQ(c.read(t.replyBytes).size(), t.replyBytes);
        server.stop();
        std::vector<std::string> expected{"listening on 127.0.0.1:" + std::to_string(server.port()),
                                          "client connected", "<- AA 05 01 01 01  Version query"};
        expected.insert(expected.end(), t.replyLines.begin(), t.replyLines.end());
        EXPECT_EQ(lines, expected);
    }
}

TEST(SimServer, SplitRepliesArriveInPiecesAndWhole)
{
    auto server = started({.splitBytes = 3, .splitPauseMs = 30});
    ASSERT_TRUE(server->running());
    Client c(server->port());
    const auto started = Clock::now();
    c.send(hex("AA 01 01 01 01"));
    EXPECT_EQ(hexOf(c.read(14)), kStatusReport);
    EXPECT_GE(Clock::now() - started, milliseconds(4 * 30));
    EXPECT_GE(c.reads, 2);
}

TEST(SimServer, FloodOfTenThousandReplies)
{
    auto server = started({.statusFlood = 10000});
    ASSERT_TRUE(server->running());
    Client c(server->port());
    c.send(hex("AA 01 01 01 01"));
    const Bytes all = c.read(14 * 10000, 30000);  // generous: wine on a loaded machine is slow
    ASSERT_EQ(all.size(), 14u * 10000);
    EXPECT_EQ(hexOf(Bytes(all.end() - 14, all.end())), kStatusReport);
}

TEST(SimServer, ClosesAfterNFramesThenServesTheNextClient)
{
    auto server = started({.closeAfterFrames = 1});
    ASSERT_TRUE(server->running());
    {
        Client first(server->port());
        first.send(hex("AA 02 07 05 03 02 01 01 01 01 0E"));
        EXPECT_EQ(first.read(11).size(), 11u);
        EXPECT_TRUE(first.closedWithin(2000));
    }
    Client second(server->port());
    second.send(hex("AA 01 01 01 01"));
    EXPECT_EQ(hexOf(second.read(14)), "AA 01 0A 19 19 07 80 04 38 0F 00 08 70 7C");
    EXPECT_TRUE(waitFor([&] { return server->connectionsAccepted() == 2; }));
}

TEST(SimServer, UnsolicitedInfoAfterATime)
{
    auto server = started({.infoAfterMs = 50});
    ASSERT_TRUE(server->running());
    Client c(server->port());
    EXPECT_EQ(hexOf(c.read(4)), "AA 06 00 00");
}

TEST(SimServer, DropCutsTheConnectionInsideAReply)
{
    auto server = started({.dropSeed = 3, .dropWithinReplies = 3});
    ASSERT_TRUE(server->running());
    Client c(server->port());
    Bytes got;
    for (int i = 0; i < 3; ++i) {
        c.send(hex("AA 01 01 01 01"));
        const Bytes part = c.read(14, 300);
        got.insert(got.end(), part.begin(), part.end());
        if (part.size() < 14) break;
    }
    EXPECT_TRUE(c.closedWithin(2000));
    EXPECT_NE(got.size() % 14, 0u);
}

TEST(SimServer, StopsAtOnceEvenDuringALongDelay)
{
    auto server = started({.delayMs = 60000});
    ASSERT_TRUE(server->running());
    Client c(server->port());
    c.send(hex("AA 01 01 01 01"));
    ASSERT_TRUE(waitFor([&] { return server->framesReceived() == 1; }));
    const auto started = Clock::now();
    server->stop();
    EXPECT_LT(Clock::now() - started, milliseconds(500));
    EXPECT_TRUE(c.closedWithin(1000));
}

TEST(SimServer, RefusesAPortInUseAndABadAddress)
{
    SimServer first(onFreePort());
    ASSERT_TRUE(first.start());
    ServerOptions o = onFreePort();
    o.port = first.port();
    SimServer second(o);
    std::string error;
    EXPECT_FALSE(second.start(&error));
    EXPECT_NE(error.find("bind"), std::string::npos) << error;

    ServerOptions bad = onFreePort();
    bad.bindAddress = "300.1.1.1";
    SimServer third(bad);
    EXPECT_FALSE(third.start(&error));
    EXPECT_FALSE(first.start(&error));  // already running
}

TEST(SimServer, TestsCanChangeTheStateAndInjectRawBytes)
{
    SimServer server(onFreePort());
    ASSERT_TRUE(server.start());
    EXPECT_FALSE(server.inject(hex("AA 06 00 00")));  // nobody to send to
    Client c(server.port());
    ASSERT_TRUE(waitFor([&] { return server.clientConnected(); }));

    server.modifyState([](ModuleState& s) { s.version = 258; });
    c.send(hex("AA 05 01 01 01"));
    EXPECT_EQ(hexOf(c.read(8)), "AA 05 04 00 00 01 02 03");

    EXPECT_TRUE(server.inject(hex("AA 20 02 05 02 07")));
    EXPECT_EQ(hexOf(c.read(6)), "AA 20 02 05 02 07");
}

TEST(SimServer, RestartsAfterStop)
{
    SimServer server(onFreePort());
    ASSERT_TRUE(server.start());
    server.stop();
    ASSERT_TRUE(server.start());
    Client c(server.port());
    c.send(hex("AA 20 01 01 01"));
    EXPECT_EQ(hexOf(c.read(5)), "AA 20 01 01 01");
}

}  // namespace
}  // namespace nolt::sim::test
