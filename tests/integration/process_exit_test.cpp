// Closing the tool's window with a connection open, or while a connect
// pends, ends the whole process cleanly (status 0) within a second.
#include "dialog_fixture.h"
#include "raw_peer.h"

#include <spawn.h>
#include <sys/wait.h>

#include <chrono>

extern char** environ;

namespace nolt::test {
namespace {

using Clock = std::chrono::steady_clock;

struct ChildRun {
    bool exited = false;
    int status = -1;
    std::string output;
    Clock::duration sinceClosing{};
};

// Runs the scripted tool and reads its output until it exits.
ChildRun runChild(const char* mode, std::uint16_t port)
{
    ChildRun run;
    int out[2];
    if (::pipe(out) != 0) return run;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    std::string exe = NOLT_CLOSE_CHILD, portText = std::to_string(port);
    char* argv[] = {exe.data(), const_cast<char*>(mode), portText.data(), nullptr};
    pid_t child = -1;
    const bool spawned = posix_spawn(&child, exe.c_str(), &actions, nullptr, argv, environ) == 0;
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    Clock::time_point closing{};
    char chunk[256];
    for (ssize_t n; spawned && (n = ::read(out[0], chunk, sizeof chunk)) > 0;) {
        run.output.append(chunk, static_cast<std::size_t>(n));
        if (closing == Clock::time_point{} && run.output.find("closing") != std::string::npos) closing = Clock::now();
    }
    ::close(out[0]);
    if (!spawned || ::waitpid(child, &run.status, 0) != child) return run;
    run.exited = WIFEXITED(run.status);
    run.sinceClosing = Clock::now() - closing;
    return run;
}

class ProcessExitTest : public DialogFixture {};

TEST_F(ProcessExitTest, ClosingWithAConnectionOpenExitsCleanlyWithinASecond)
{
    RawPeer module;
    const ChildRun run = runChild("open", module.port());
    ASSERT_TRUE(run.exited) << run.output;
    EXPECT_EQ(WEXITSTATUS(run.status), 0);
    EXPECT_EQ(run.output, "closing\n");
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
    ASSERT_TRUE(run.exited) << run.output;
    EXPECT_EQ(WEXITSTATUS(run.status), 0);
    EXPECT_EQ(run.output, "closing\n") << "no box when the window closes";
    EXPECT_LT(run.sinceClosing, std::chrono::seconds(1));
}

}  // namespace
}  // namespace nolt::test
