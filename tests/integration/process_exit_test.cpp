// Closing the tool's window with a connection open, or while a connect
// pends, ends the whole process cleanly (status 0) within a second.
#include "dialog_fixture.h"
#include "raw_peer.h"

#include "close_child_run.h"

#include <chrono>

namespace nolt::test {
namespace {

using Clock = std::chrono::steady_clock;

struct ChildRun {
    CloseChildRun run;
    Clock::duration sinceClosing{};
};

// Runs the scripted tool, timing from its "closing" line to its exit.
ChildRun runChild(const char* mode, std::uint16_t port)
{
    Clock::time_point closing{};
    ChildRun result;
    result.run = runCloseChild(mode, port, [&](const std::string& output) {
        if (closing == Clock::time_point{} && output.find("closing") != std::string::npos) closing = Clock::now();
    });
    result.sinceClosing = Clock::now() - closing;
    return result;
}

class ProcessExitTest : public DialogFixture {};

TEST_F(ProcessExitTest, ClosingWithAConnectionOpenExitsCleanlyWithinASecond)
{
    RawPeer module;
    const ChildRun run = runChild("open", module.port());
    ASSERT_TRUE(run.run.exitedNormally) << run.run.output;
    EXPECT_EQ(run.run.exitCode, 0);
    EXPECT_EQ(run.run.output, "closing\n");
    EXPECT_LT(run.sinceClosing, std::chrono::seconds(1));
    EXPECT_TRUE(module.accepted());
    EXPECT_TRUE(waitUntil([&] { return module.peerClosed(0); }));
    // The window-close path saved the settings the tool was using.
    EXPECT_TRUE(std::filesystem::exists(settingsFile()));
}

TEST_F(ProcessExitTest, ClosingWhileAConnectPendsExitsCleanlyWithinASecond)
{
    const std::uint16_t port = fullListener();
    ASSERT_NE(port, 0);
    const ChildRun run = runChild("pending", port);
    ASSERT_TRUE(run.run.exitedNormally) << run.run.output;
    EXPECT_EQ(run.run.exitCode, 0);
    EXPECT_EQ(run.run.output, "closing\n") << "no box when the window closes";
    EXPECT_LT(run.sinceClosing, std::chrono::seconds(1));
}

}  // namespace
}  // namespace nolt::test
