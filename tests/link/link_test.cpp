// The link against a scripted peer on the loopback interface.
#include "capture/capture_file.h"
#include "hex.h"
#include "link/link.h"
#include "platform/tcp_listener.h"
#include "platform/tcp_socket.h"
#include "recording_ui.h"
#include "res/resource.h"
#include "support/capture_reader.h"

#include <gtest/gtest.h>

#include <deque>
#include <thread>

namespace nolt {
namespace {

using namespace std::chrono_literals;
using test::hex;

constexpr const wchar_t* kConnected = L"Connection to server succeeded.";
constexpr const wchar_t* kBadInput = L"Please enter the correct IP address or port";
constexpr const wchar_t* kFailedBox =
    L"Connection failed, please check whether the filling is correct and whether the network connection is normal!";
constexpr const wchar_t* kFailedLog = L"Connection failed, please try again.";
constexpr const wchar_t* kResetFields[] = {L"text 1027=", L"text 1014=", L"text 1013=", L"text 1016=", L"text 1018="};

// Reads from a connection until `count` bytes have come or a second passes.
Bytes readBytes(TcpConnection& peer, std::size_t count)
{
    Bytes got;
    std::uint8_t buffer[512];
    while (got.size() < count) {
        const auto r = peer.receive(buffer, 1000);
        if (r.status != ReceiveResult::Status::Data) break;
        got.insert(got.end(), buffer, buffer + r.count);
    }
    return got;
}

// Polls for a condition that no window call announces.
template <typename Condition>
bool within(std::chrono::milliseconds limit, Condition done)
{
    const auto until = std::chrono::steady_clock::now() + limit;
    while (!done() && std::chrono::steady_clock::now() < until) std::this_thread::sleep_for(1ms);
    return done();
}

bool endsWithin(Link& link, std::chrono::milliseconds limit)
{
    return within(limit, [&] { return !link.threadRunning(); });
}

// The flag is set after the window shows the connection.
bool connectedWithin(Link& link, std::chrono::milliseconds limit)
{
    return within(limit, [&] { return link.connected(); });
}

class LinkTest : public testing::Test {
protected:
    void SetUp() override
    {
        auto opened = TcpListener::open("127.0.0.1", 0);
        ASSERT_TRUE(opened);
        listener = std::move(*opened);
    }

    std::wstring port() const { return std::to_wstring(listener.port()); }

    // Connects the link to the listener and returns the peer's end.
    TcpConnection connectPeer()
    {
        EXPECT_TRUE(link.connect(L"127.0.0.1", port()));
        auto accepted = listener.accept(5000);
        EXPECT_TRUE(accepted);
        EXPECT_TRUE(connectedWithin(link, 5s));
        ui.clearEvents();
        return accepted ? std::move(*accepted) : TcpConnection{};
    }

    // The events of a link reset, in their order.
    static std::vector<std::wstring> resetEvents()
    {
        std::vector<std::wstring> events = {L"enable 1008=1", L"enable 1005=0"};
        events.insert(events.end(), std::begin(kResetFields), std::end(kResetFields));
        return events;
    }

    // A listener that never accepts: once its queue is full, connects pend.
    void fillListenQueue()
    {
        auto opened = TcpListener::open("127.0.0.1", 0, 0);
        ASSERT_TRUE(opened);
        full = std::move(*opened);
        bool pending = false;
        for (int i = 0; i < 16 && !pending; ++i) {
            auto s = TcpSocket::create();
            ASSERT_TRUE(s);
            pending = s->connect(*parseDottedAddress("127.0.0.1"), full->port(), nullptr, 300)
                      == TcpSocket::ConnectOutcome::TimedOut;
            fillers.push_back(std::move(*s));
        }
        ASSERT_TRUE(pending) << "could not fill the listen queue";
    }

    test::RecordingUi ui;
    TcpListener listener;
    std::optional<TcpListener> full;
    std::vector<TcpSocket> fillers;
    Link link{ui};
};

TEST_F(LinkTest, ConnectLeavesOnlyTheSuccessLine)
{
    EXPECT_TRUE(link.connect(L"127.0.0.1", port()));
    auto peer = listener.accept(5000);
    ASSERT_TRUE(peer);
    ASSERT_TRUE(connectedWithin(link, 5s));
    EXPECT_EQ(ui.log(), std::vector<std::wstring>{kConnected});
    const std::vector<std::wstring> expected = {
        L"log Waiting for connection..........", L"enable 1008=0", L"enable 1005=1", L"clear",
        L"log Connection to server succeeded.", L"enable 1005=1", L"enable 1008=0"};
    EXPECT_EQ(ui.events(), expected);
    EXPECT_TRUE(link.connected());
    EXPECT_FALSE(link.connect(L"127.0.0.1", port())) << "a second link thread started";

    ui.clearEvents();
    link.reset();
    EXPECT_TRUE(endsWithin(link, 1s));
    EXPECT_FALSE(link.connected());
    EXPECT_EQ(ui.events(), resetEvents()) << "Disconnect adds no log line";
}

TEST_F(LinkTest, RefusesUnusableAddressOrPort)
{
    const std::pair<std::wstring, std::wstring> refused[] = {
        {L"127.0.0.1", L"65535"}, {L"127.0.0.1", L"0"}, {L"127.0.0.1", L""},
        {L"127.0.0.1", L"-1"},    {L"127.0.0.1", L"x1"}, {L"0.0.0.0", port()}};
    for (const auto& [ip, p] : refused) {
        ui.clearEvents();
        ASSERT_TRUE(link.connect(ip, p));
        ASSERT_TRUE(endsWithin(link, 2s));
        EXPECT_EQ(ui.events(), std::vector<std::wstring>{std::wstring(L"box ") + kBadInput}) << ip << L":" << p;
        EXPECT_EQ(ui.boxes().back().icon, BoxIcon::None);
    }
}

TEST_F(LinkTest, HighestPortIsAccepted)
{
    EXPECT_TRUE(link.connect(L"127.0.0.1", L"65534"));
    ASSERT_TRUE(ui.waitForEvent(L"enable 1005=1"));
    link.reset();
    ASSERT_TRUE(endsWithin(link, 2s));
    EXPECT_EQ(ui.log().front(), L"Waiting for connection..........");
    EXPECT_TRUE(ui.boxes().empty() || ui.boxes().front().text != kBadInput);
}

TEST_F(LinkTest, FailedConnectTakesTheFailurePath)
{
    const std::wstring closedPort = port();
    listener.close();
    for (const wchar_t* ip : {L"127.0.0.1", L"1.2.3.300"}) {
        ui.clearEvents();
        ASSERT_TRUE(link.connect(ip, closedPort));
        ASSERT_TRUE(endsWithin(link, 5s)) << ip;
        const std::vector<std::wstring> expected = {
            L"log Waiting for connection..........", L"enable 1008=0", L"enable 1005=1",
            std::wstring(L"box ") + kFailedBox, std::wstring(L"log ") + kFailedLog, L"enable 1005=0",
            L"enable 1008=1"};
        EXPECT_EQ(ui.events(), expected) << ip;
        EXPECT_EQ(ui.boxes().back().icon, BoxIcon::Exclamation);
        EXPECT_FALSE(link.connected());
    }
}

TEST_F(LinkTest, DisconnectEndsAPendingConnectAtOnce)
{
    ASSERT_NO_FATAL_FAILURE(fillListenQueue());
    ASSERT_TRUE(link.connect(L"127.0.0.1", std::to_wstring(full->port())));
    ASSERT_TRUE(ui.waitForEvent(L"enable 1005=1"));
    std::this_thread::sleep_for(100ms);
    ASSERT_TRUE(link.threadRunning()) << "the connect did not pend";
    const auto start = std::chrono::steady_clock::now();
    link.reset();
    ASSERT_TRUE(endsWithin(link, 1s));
    EXPECT_LT(std::chrono::steady_clock::now() - start, 500ms);
    EXPECT_TRUE(ui.waitForLog(kFailedLog));
    EXPECT_EQ(ui.boxes().back().text, kFailedBox);
    // The reset's own calls may interleave here (a real window runs them one
    // after the other), so only the failure path's order is checked.
    std::vector<std::wstring> tail;
    for (const auto& e : ui.events())
        if (e.rfind(L"text ", 0) != 0) tail.push_back(e);
    ASSERT_GE(tail.size(), 4u);
    const std::vector<std::wstring> failurePath = {std::wstring(L"box ") + kFailedBox,
                                                   std::wstring(L"log ") + kFailedLog, L"enable 1005=0",
                                                   L"enable 1008=1"};
    EXPECT_EQ(std::vector(tail.end() - 4, tail.end()), failurePath);
    EXPECT_FALSE(link.connected());
}

TEST_F(LinkTest, ModuleClosingIsALostLink)
{
    TcpConnection peer = connectPeer();
    peer.close();
    ASSERT_TRUE(ui.waitForLog(L"Disconnected."));
    ASSERT_TRUE(endsWithin(link, 1s));
    auto expected = resetEvents();
    expected.insert(expected.begin(), L"log Disconnected.");
    EXPECT_EQ(ui.events(), expected);
    EXPECT_FALSE(link.connected());
}

TEST_F(LinkTest, StorageReplyResetsTheLinkWithoutDisconnectedLine)
{
    for (const char* reply : {"AA 06 00 00", "AA 06 00"}) {  // the short one after its timeout
        TcpConnection peer = connectPeer();
        ASSERT_TRUE(peer.sendAll(hex(reply)));
        ASSERT_TRUE(endsWithin(link, 2s)) << reply;
        auto expected = resetEvents();
        expected.insert(expected.begin(), L"log Information storage succeeded, please power on again.");
        EXPECT_EQ(ui.events(), expected) << reply;
        EXPECT_FALSE(link.connected());
    }
}

TEST_F(LinkTest, FloodOfRepliesIsHandledInOrder)
{
    TcpConnection peer = connectPeer();
    constexpr int kCount = 10000;
    Bytes flood;
    for (int i = 0; i < kCount; ++i) {
        const std::uint8_t hi = static_cast<std::uint8_t>(i >> 8), lo = static_cast<std::uint8_t>(i);
        const Bytes frame = buildFrame(code::kVersion, std::vector<std::uint8_t>{0, 0, hi, lo});
        flood.insert(flood.end(), frame.begin(), frame.end());
    }
    ASSERT_TRUE(peer.sendAll(flood));
    // Each reply is a field then a log line: wait for the last log line, not
    // the last field, or the check below races the link thread.
    ASSERT_TRUE(ui.waitForEventCount(2u * kCount, 20s));
    std::this_thread::sleep_for(50ms);  // room for any event too many to arrive
    const auto events = ui.events();
    ASSERT_EQ(events.size(), 2u * kCount);
    for (int i = 0; i < kCount; ++i) {
        ASSERT_EQ(events[2 * i], L"text 1027=" + std::to_wstring(i));
        ASSERT_EQ(events[2 * i + 1], L"log Version number query succeeded");
    }
}

TEST_F(LinkTest, TextGoesToTheWaitingRequestOnly)
{
    TcpConnection peer = connectPeer();
    // Each block is one read, so the peer pauses after it; a frame behind it
    // shows that the link thread has read (and dropped) it.
    auto sendBlock = [&](const Bytes& block, const char* marker, const wchar_t* line) {
        ASSERT_TRUE(peer.sendAll(block));
        std::this_thread::sleep_for(50ms);
        ASSERT_TRUE(peer.sendAll(hex(marker)));
        ASSERT_TRUE(ui.waitForLog(line));
    };
    sendBlock(hex("72 74 6D 70"), "AA 21 01 01 01", L"DHCP ON");  // nobody asked: dropped

    auto request = link.beginTextRequest();
    ASSERT_EQ(link.sendRaw(hex("67 65 74")), 3);
    EXPECT_EQ(readBytes(peer, 3), hex("67 65 74"));
    ASSERT_TRUE(peer.sendAll(hex("72 74 6D 70 3A 2F 2F 61 00 7A")));
    ASSERT_TRUE(within(2s, [&] { return request->ready(); }));
    EXPECT_EQ(request->take(), hex("72 74 6D 70 3A 2F 2F 61"));  // cut at the zero byte
    EXPECT_FALSE(request->take().has_value());

    auto whole = link.beginTextRequest();
    const Bytes block(256, 0x78);
    ASSERT_TRUE(peer.sendAll(block));
    ASSERT_TRUE(within(2s, [&] { return whole->ready(); }));
    EXPECT_EQ(whole->take(), block);

    auto cancelled = link.beginTextRequest();
    cancelled->cancel();
    sendBlock(hex("41 42"), "AA 21 01 00 00", L"DHCP OFF");
    EXPECT_FALSE(cancelled->ready());
    EXPECT_EQ(ui.log(), (std::vector<std::wstring>{kConnected, L"DHCP ON", L"DHCP OFF"}));
}

TEST_F(LinkTest, SendsFramesAndReportsFailedSends)
{
    EXPECT_FALSE(link.sendCommandFrame(hex("AA 01 01 01 01")));
    EXPECT_EQ(link.sendRaw(hex("01")), -1);
    EXPECT_EQ(ui.log(), std::vector<std::wstring>{L"Operation failed, please check the connection"});

    TcpConnection peer = connectPeer();
    EXPECT_TRUE(link.sendCommandFrame(hex("AA 05 01 01 01")));
    EXPECT_EQ(readBytes(peer, 5), hex("AA 05 01 01 01"));
    link.reset();
    EXPECT_FALSE(link.sendCommandFrame(hex("AA 01 01 01 01")));
    EXPECT_EQ(ui.log().back(), L"Operation failed, please check the connection");
}

TEST_F(LinkTest, StopEndsTheThreadQuicklyAndSilently)
{
    TcpConnection peer = connectPeer();
    int pumps = 0;
    const auto start = std::chrono::steady_clock::now();
    link.stop([&] { ++pumps; });
    EXPECT_LT(std::chrono::steady_clock::now() - start, 1s);
    EXPECT_FALSE(link.threadRunning());
    EXPECT_TRUE(ui.events().empty());
    EXPECT_FALSE(link.connected());
}

TEST_F(LinkTest, StopEndsAPendingConnect)
{
    ASSERT_NO_FATAL_FAILURE(fillListenQueue());
    ASSERT_TRUE(link.connect(L"127.0.0.1", std::to_wstring(full->port())));
    ASSERT_TRUE(ui.waitForEvent(L"enable 1005=1"));
    std::this_thread::sleep_for(50ms);
    ASSERT_TRUE(link.threadRunning());
    const auto start = std::chrono::steady_clock::now();
    link.stop([] {});
    EXPECT_LT(std::chrono::steady_clock::now() - start, 1s);
    EXPECT_FALSE(link.threadRunning());
}

TEST_F(LinkTest, SplitReplyIsJoined)
{
    TcpConnection peer = connectPeer();
    ASSERT_TRUE(peer.sendAll(hex("AA 20 01")));
    std::this_thread::sleep_for(100ms);
    ASSERT_TRUE(peer.sendAll(hex("01 01 AA 21 01 00 00")));
    ASSERT_TRUE(ui.waitForLog(L"DHCP OFF"));
    EXPECT_EQ(ui.log(), (std::vector<std::wstring>{kConnected, L"Network bandwidth 10m set successfully", L"DHCP OFF"}));
}

// A window whose calls from another thread wait until the UI thread runs
// them, as the real dialog's do.
class MarshallingUi : public LinkUi {
public:
    void appendLog(const std::wstring& line) override { call([=, this] { inner.appendLog(line); }); }
    void clearLog() override { call([this] { inner.clearLog(); }); }
    void messageBox(const std::wstring& text, BoxIcon icon) override { call([=, this] { inner.messageBox(text, icon); }); }
    void setControlText(int id, const std::wstring& text) override { call([=, this] { inner.setControlText(id, text); }); }
    void enableControl(int id, bool on) override { call([=, this] { inner.enableControl(id, on); }); }

    // Runs the calls waiting for the UI thread.
    void pump()
    {
        std::unique_lock lock(mutex_);
        while (!queue_.empty()) {
            auto task = std::move(queue_.front());
            queue_.pop_front();
            lock.unlock();
            task();
            lock.lock();
            ++done_;
            ran_.notify_all();
        }
    }
    std::size_t waiting() const { std::lock_guard lock(mutex_); return queue_.size(); }

    test::RecordingUi inner;

private:
    void call(std::function<void()> task)
    {
        std::unique_lock lock(mutex_);
        queue_.push_back(std::move(task));
        const std::size_t ticket = done_ + queue_.size();
        ran_.wait(lock, [&] { return done_ >= ticket; });
    }

    mutable std::mutex mutex_;
    std::condition_variable ran_;
    std::deque<std::function<void()>> queue_;
    std::size_t done_ = 0;
};

TEST_F(LinkTest, StopPumpsTheWindowCallTheThreadIsWaitingFor)
{
    MarshallingUi window;
    Link marshalled(window);
    ASSERT_TRUE(marshalled.connect(L"127.0.0.1", port()));
    std::optional<TcpConnection> peer;
    ASSERT_TRUE(within(5s, [&] {
        window.pump();
        if (!peer) peer = listener.accept(10);
        return peer && marshalled.connected();
    }));
    ASSERT_TRUE(peer->sendAll(hex("AA 10 00 00")));
    ASSERT_TRUE(within(2s, [&] { return window.waiting() > 0; })) << "the reply's log line is not waiting";
    const auto start = std::chrono::steady_clock::now();
    marshalled.stop([&] { window.pump(); });
    EXPECT_LT(std::chrono::steady_clock::now() - start, 1s);
    EXPECT_FALSE(marshalled.threadRunning());
    EXPECT_EQ(window.inner.log().back(), L"Subcode set successfully");
}

// Recording the link's traffic. Whenever it starts, the session's
// connection begins in the file with a handshake and holds what was sent
// and received from then on; it ends with the close of whoever ended the
// session, and a recording stopped before that leaves it open.
enum class SessionEnd { ModuleCloses, ToolDisconnects, RecordingStops };
struct RecordingCase {
    const char* name;
    bool beforeConnecting;
    SessionEnd end;
};

void PrintTo(const RecordingCase& c, std::ostream* out)
{
    static const char* const kEnds[] = {"the module closes", "the tool disconnects", "the recording stops"};
    *out << "recording " << (c.beforeConnecting ? "before connecting" : "mid-session") << ", ends as "
         << kEnds[static_cast<int>(c.end)];
}

class LinkRecordingTest : public LinkTest, public testing::WithParamInterface<RecordingCase> {
protected:
    void SetUp() override
    {
        LinkTest::SetUp();
        path = std::filesystem::temp_directory_path()
               / ("nolt-link-recording-" + std::to_string(listener.port()) + ".pcapng");
    }
    void TearDown() override { std::filesystem::remove(path); }
    std::filesystem::path path;
};

TEST_P(LinkRecordingTest, TheSessionIsRecordedFromTheStartToItsEnd)
{
    const RecordingCase& c = GetParam();
    auto file = capture::CaptureFile::create(path, "test", nullptr);
    ASSERT_TRUE(file);
    if (c.beforeConnecting) link.startRecording(file);
    TcpConnection peer = connectPeer();
    ASSERT_TRUE(link.sendCommandFrame(hex("AA 01 01 01 01")));
    ASSERT_EQ(readBytes(peer, 5), hex("AA 01 01 01 01"));
    if (!c.beforeConnecting) link.startRecording(file);
    EXPECT_TRUE(link.recording());
    file.reset();  // the link keeps it
    ASSERT_TRUE(link.sendCommandFrame(hex("AA 05 01 01 01")));
    ASSERT_EQ(readBytes(peer, 5), hex("AA 05 01 01 01"));
    // The version report in two reads.
    ASSERT_TRUE(peer.sendAll(hex("AA 05 04 00")));
    std::this_thread::sleep_for(50ms);
    ASSERT_TRUE(peer.sendAll(hex("00 01 02 03")));
    ASSERT_TRUE(ui.waitForLog(L"Version number query succeeded"));
    switch (c.end) {
    case SessionEnd::ModuleCloses:
        peer.close();
        ASSERT_TRUE(ui.waitForLog(L"Disconnected."));
        break;
    case SessionEnd::ToolDisconnects: link.reset(); break;
    case SessionEnd::RecordingStops:
        link.stopRecording();
        EXPECT_FALSE(link.recording());
        ASSERT_TRUE(link.sendCommandFrame(hex("AA 01 01 01 01")));  // not recorded
        break;
    }
    link.stop([] {});
    link.stopRecording();  // closes the file

    const auto segments = test::readCapture(path).segments;
    const test::FollowedConnection f = test::followConnection(segments);
    EXPECT_EQ(f.problems, std::vector<std::string>{});
    const Bytes version = hex("AA 05 01 01 01");
    EXPECT_EQ(f.toModule, c.beforeConnecting ? test::concat({hex("AA 01 01 01 01"), version}) : version);
    EXPECT_EQ(f.toTool, hex("AA 05 04 00 00 01 02 03"));
    EXPECT_EQ(f.toToolSegments, (std::vector<std::size_t>{4, 4})) << "each read is a segment";
    using Closer = test::FollowedConnection::Closer;
    const Closer closer[] = {Closer::Module, Closer::Tool, Closer::None};
    EXPECT_EQ(f.closer, closer[static_cast<int>(c.end)]);
    ASSERT_FALSE(segments.empty());
    EXPECT_EQ(segments.front().toPort, listener.port());
}

INSTANTIATE_TEST_SUITE_P(
    Sessions, LinkRecordingTest,
    testing::Values(RecordingCase{"MidSessionUntilTheModuleCloses", false, SessionEnd::ModuleCloses},
                    RecordingCase{"BeforeConnectingUntilDisconnect", true, SessionEnd::ToolDisconnects},
                    RecordingCase{"StoppedWhileTheSessionGoesOn", false, SessionEnd::RecordingStops}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(LinkTest, ARecordingWhoseFileFailsEndsAndIsSaidOnce)
{
    int blocks = 0;
    // The headers and the handshake go in; the first data block fails.
    auto file = capture::CaptureFile::create(
        [&](std::span<const std::uint8_t>, int* error) {
            *error = 5;
            return ++blocks < 6;
        },
        "memory", "test", nullptr);
    ASSERT_TRUE(file);
    TcpConnection peer = connectPeer();
    link.startRecording(file);
    ASSERT_TRUE(link.sendCommandFrame(hex("AA 05 01 01 01")));
    EXPECT_FALSE(link.recording());
    ASSERT_TRUE(peer.sendAll(hex("AA 05 04 00 00 00 07 07")));
    ASSERT_TRUE(ui.waitForLog(L"Version number query succeeded"));
    ASSERT_TRUE(link.sendCommandFrame(hex("AA 05 01 01 01")));
    EXPECT_EQ(ui.events(), (std::vector<std::wstring>{L"recording failed 5", L"text 1027=7",
                                                      L"log Version number query succeeded"}));
    EXPECT_EQ(blocks, 6) << "the link writes nothing more to a failed file";
}

}  // namespace
}  // namespace nolt
