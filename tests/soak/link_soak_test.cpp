// The core link held against the simulated module for a long time: many
// connections, a flood of replies, and connections cut inside frames.
#include "link/link.h"
#include "link/recording_ui.h"
#include "process_counts.h"
#include "reply_stream.h"
#include "res/resource.h"
#include "sim/server.h"

#include <gtest/gtest.h>

#include <thread>

namespace nolt {
namespace {

using namespace std::chrono_literals;

constexpr const wchar_t* kConnected = L"Connection to server succeeded.";
constexpr const wchar_t* kDisconnected = L"Disconnected.";

// What a link reset leaves in the window, in its order.
const std::vector<std::wstring> kResetEvents = {L"enable 1008=1", L"enable 1005=0", L"text 1027=", L"text 1014=",
                                                L"text 1013=",    L"text 1016=",    L"text 1018="};

bool waitFor(const std::function<bool()>& done, std::chrono::milliseconds limit = 5s)
{
    const auto until = std::chrono::steady_clock::now() + limit;
    while (!done() && std::chrono::steady_clock::now() < until) std::this_thread::sleep_for(1ms);
    return done();
}

sim::ServerOptions simOptions()
{
    sim::ServerOptions options;
    options.port = 0;
    return options;
}

std::wstring portText(const sim::SimServer& server) { return std::to_wstring(server.port()); }

TEST(LinkSoak, ThousandConnectDisconnectCyclesLeaveNoDescriptorOrThread)
{
    sim::SimServer server(simOptions());
    ASSERT_TRUE(server.start());
    test::RecordingUi ui;
    Link link(ui);
    const int descriptors = test::openDescriptors();
    const int threads = test::runningThreads();

    constexpr int kCycles = 1000;
    for (int i = 0; i < kCycles; ++i) {
        ASSERT_TRUE(link.connect(L"127.0.0.1", portText(server))) << "cycle " << i;
        ASSERT_TRUE(waitFor([&] { return link.connected(); })) << "cycle " << i;
        link.reset();
        ASSERT_TRUE(waitFor([&] { return !link.threadRunning(); })) << "cycle " << i;
    }
    ASSERT_TRUE(waitFor([&] { return server.connectionsAccepted() == kCycles && !server.clientConnected(); }));
    link.stop([] {});

    EXPECT_EQ(test::openDescriptors(), descriptors);
    EXPECT_EQ(test::runningThreads(), threads);
    // Disconnect adds no line: the log still shows the last connection only.
    EXPECT_EQ(ui.log(), std::vector<std::wstring>{kConnected});
}

// Every reply of a long stream reaches the log, in order, with nothing lost,
// doubled or reported as failed.
class FloodUi : public LinkUi {
public:
    // A window that stalls for `stall` every `stallEvery` lines (0: never),
    // as one does while it is busy or a message box is open.
    explicit FloodUi(std::size_t stallEvery = 0, std::chrono::milliseconds stall = {})
        : stallEvery_(stallEvery), stall_(stall) {}

    void appendLog(const std::wstring& line) override
    {
        std::size_t lines = 0;
        change([&] { log_.push_back(line); lines = log_.size(); });
        if (stallEvery_ && lines % stallEvery_ == 0) std::this_thread::sleep_for(stall_);
    }
    void clearLog() override { change([&] { log_.clear(); }); }
    void messageBox(const std::wstring&, BoxIcon) override { change([&] { ++boxes_; }); }
    void setControlText(int id, const std::wstring& text) override
    {
        if (id == res::IDC_VERSION) change([&] { versions_.push_back(text); });
    }
    void enableControl(int, bool) override {}

    bool waitForLines(std::size_t count, std::chrono::milliseconds limit)
    {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, limit, [&] { return log_.size() >= count; });
    }
    std::vector<std::wstring> log() const { std::lock_guard l(mutex_); return log_; }
    std::vector<std::wstring> versions() const { std::lock_guard l(mutex_); return versions_; }
    int boxes() const { std::lock_guard l(mutex_); return boxes_; }

private:
    template <typename F>
    void change(F f)
    {
        {
            std::lock_guard lock(mutex_);
            f();
        }
        changed_.notify_all();
    }
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<std::wstring> log_;
    std::vector<std::wstring> versions_;
    int boxes_ = 0;
    std::size_t stallEvery_;
    std::chrono::milliseconds stall_;
};

// Connects a link with this window to a simulator, sends the stream in one
// write and checks that the log then holds every reply's line in order and
// the version field every running number.
void floodAndCheck(FloodUi& ui, const test::ReplyStream& stream, std::chrono::seconds limit)
{
    const auto replies = stream.expected().size();
    sim::SimServer server(simOptions());
    ASSERT_TRUE(server.start());
    Link link(ui);
    ASSERT_TRUE(link.connect(L"127.0.0.1", portText(server)));
    ASSERT_TRUE(ui.waitForLines(1, 5s));
    ASSERT_TRUE(waitFor([&] { return server.clientConnected(); }));
    // The whole stream in one write: the simulator sends as fast as the
    // socket takes it.
    ASSERT_TRUE(server.inject(stream.bytes()));

    EXPECT_TRUE(ui.waitForLines(replies + 1, limit));
    const std::vector<std::wstring> log = ui.log();
    ASSERT_EQ(log.size(), replies + 1);
    EXPECT_EQ(log[0], kConnected);
    std::vector<std::wstring> versions;
    for (std::size_t i = 0; i < replies; ++i) {
        ASSERT_EQ(log[i + 1], stream.expected()[i].logLine) << "reply " << i;
        if (!stream.expected()[i].versionText.empty()) versions.push_back(stream.expected()[i].versionText);
    }
    EXPECT_EQ(ui.versions(), versions);
    EXPECT_EQ(ui.boxes(), 0);
    EXPECT_TRUE(link.connected());
    link.reset();
    link.stop([] {});
}

TEST(LinkSoak, HundredThousandRepliesAllHandledInOrder)
{
    FloodUi ui;
    floodAndCheck(ui, test::ReplyStream(100000), 60s);
}

// Replies keep arriving while the window is busy for longer than a partial
// frame may wait: what waits in the socket meanwhile is still read whole.
TEST(LinkSoak, RepliesArrivingWhileTheWindowStallsAreAllHandled)
{
    FloodUi ui(7001, 300ms);
    floodAndCheck(ui, test::ReplyStream(30000), 60s);
}

// The module drops the connection at a random point inside a reply, a
// thousand times: every time the link says "Disconnected." last and is back
// to idle, and the cut reply is never reported.
TEST(LinkSoak, ThousandDropsInsideFramesEndInDisconnectedAndIdle)
{
    sim::ServerOptions options = simOptions();
    options.module.faults.dropSeed = 20261208;
    options.module.faults.dropWithinReplies = 4;
    sim::SimServer server(options);
    ASSERT_TRUE(server.start());
    test::RecordingUi ui;
    Link link(ui);
    const std::uint8_t one[] = {0x01};
    // The four queries go out in one send, so that no send can meet the
    // connection already cut (which would rightly log a send failure).
    Bytes queries;
    for (std::uint8_t c : {code::kStatus, code::kVersion, code::kBandwidth, code::kDhcp}) {
        const Bytes q = buildFrame(c, one);
        queries.insert(queries.end(), q.begin(), q.end());
    }
    const std::vector<std::wstring> answers = {L"Get current movement status successfully",
                                               L"Version number query succeeded",
                                               L"Network bandwidth 10m set successfully", L"DHCP ON"};

    constexpr int kDrops = 1000;
    for (int i = 0; i < kDrops; ++i) {
        ASSERT_TRUE(link.connect(L"127.0.0.1", portText(server))) << "drop " << i;
        ASSERT_TRUE(waitFor([&] { return link.connected(); })) << "drop " << i;
        ui.clearEvents();
        ASSERT_TRUE(link.sendCommandFrame(queries)) << "drop " << i;
        ASSERT_TRUE(ui.waitForLog(kDisconnected)) << "drop " << i;
        ASSERT_TRUE(waitFor([&] { return !link.threadRunning(); })) << "drop " << i;

        EXPECT_FALSE(link.connected());
        const std::vector<std::wstring> log = ui.log();
        ASSERT_GE(log.size(), 2u);
        EXPECT_EQ(log.front(), kConnected);
        EXPECT_EQ(log.back(), kDisconnected) << "drop " << i;
        // Only the whole replies before the cut, each answering its query.
        ASSERT_LE(log.size() - 2, answers.size()) << "drop " << i;
        for (std::size_t k = 1; k + 1 < log.size(); ++k) EXPECT_EQ(log[k], answers[k - 1]) << "drop " << i;
        const std::vector<std::wstring> events = ui.events();
        ASSERT_GE(events.size(), kResetEvents.size());
        EXPECT_TRUE(std::equal(kResetEvents.begin(), kResetEvents.end(), events.end() - static_cast<long>(kResetEvents.size())))
            << "drop " << i;
        EXPECT_TRUE(ui.boxes().empty());
        if (HasFailure()) break;
    }
    link.stop([] {});
    EXPECT_EQ(server.connectionsAccepted(), kDrops);
}

}  // namespace
}  // namespace nolt
