// Searches with fewer sockets than addresses: the engine of many connections
// puts a connection that found no socket back in line instead of giving it a
// verdict (a table over scripted connections), nolt-cli scan under a limit of
// 64 open files still finds every planted module, one at the end of the
// range too, and a process that can open no socket at all says so.
#include "cli/cli_run.h"
#include "platform/poll_loop.h"
#include "sim/multi_server.h"
#include "support/planted_modules.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <regex>
#include <set>

#ifndef _WIN32
#include <fcntl.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace nolt {
namespace {

// ---- the engine, with connections that lack a socket when told to --------

// A connection that is open for one wait, or that found no socket when its
// start was one of the `lacking` ones (counted over every start of the run).
class ScriptedConnection : public PolledConnection {
public:
    ScriptedConnection(bool lacked, int& open, int& mostOpen) : lacked_(lacked), open_(open)
    {
        if (lacked_) return;
        mostOpen = std::max(mostOpen, ++open_);
    }
    ~ScriptedConnection() override
    {
        if (!lacked_) --open_;
    }
    bool done() const override { return lacked_ || done_; }
    PollItem pollItem() const override { return {}; }
    Clock::time_point dueAt() const override { return Clock::now(); }
    void onEvent(const PollItem&) override {}
    void onTime(Clock::time_point) override { done_ = true; }
    bool lackedSocket() const override { return lacked_; }

private:
    bool lacked_;
    bool done_ = false;
    int& open_;
};

TEST(ConnectionEngine, AConnectionWithoutASocketWaitsForOneAndNeverGetsLost)
{
    struct Case {
        const char* what;
        std::size_t count, jobs;
        std::set<int> lacking;  // the starts that find no socket, from 0
        RunEnd end;
        std::size_t finished;
        int mostOpenAfterLack;  // what was open when the last start lacked
    };
    // Each scripted connection is done after one wait, so the open ones end
    // together and the next round starts.
    const Case cases[] = {
        {"no shortage", 10, 4, {}, RunEnd::Finished, 10, 0},
        {"the fifth start of four open", 10, 8, {4}, RunEnd::Finished, 10, 4},
        {"a second shortage lowers it again", 12, 6, {3, 6}, RunEnd::Finished, 12, 2},
        {"the last address", 5, 8, {4}, RunEnd::Finished, 5, 4},
        {"not one socket", 5, 2, {0}, RunEnd::NoSocket, 0, 0},
        {"none once all had closed theirs", 6, 3, {3}, RunEnd::NoSocket, 3, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        int starts = 0, open = 0, mostOpen = 0, mostOpenAfterLack = 0;
        bool lackedBefore = false;
        std::map<std::size_t, int> finished;
        ConnectionRun run;
        run.count = c.count;
        run.jobs = c.jobs;
        run.start = [&](std::size_t) {
            const bool lacks = c.lacking.contains(starts++);
            auto connection = std::make_unique<ScriptedConnection>(lacks, open, mostOpen);
            if (lackedBefore && !lacks) mostOpenAfterLack = std::max(mostOpenAfterLack, open);
            lackedBefore = lackedBefore || lacks;
            return connection;
        };
        run.finished = [&](std::size_t index, PolledConnection& connection) {
            EXPECT_FALSE(connection.lackedSocket()) << "a connection without a socket has no verdict";
            ++finished[index];
        };
        EXPECT_EQ(runConnections(run), c.end);
        EXPECT_EQ(finished.size(), c.finished);
        for (const auto& [index, times] : finished) EXPECT_EQ(times, 1) << "connection " << index;
        if (c.end == RunEnd::Finished) {
            EXPECT_EQ(starts, static_cast<int>(c.count + c.lacking.size())) << "each shortage costs one start";
        }
        EXPECT_LE(mostOpen, static_cast<int>(c.jobs));
        EXPECT_LE(mostOpenAfterLack, c.mostOpenAfterLack) << "more open than the system gave";
    }
}

#ifndef _WIN32

struct ChildRun {
    int status = -1;
    std::string out, err;
};

// Reads both pipes to their end, then the child's exit status.
ChildRun collect(pid_t child, int out, int err)
{
    ChildRun run;
    pollfd fds[] = {{out, POLLIN, 0}, {err, POLLIN, 0}};
    std::string* into[] = {&run.out, &run.err};
    for (int left = 2; left > 0;) {
        if (::poll(fds, 2, 20000) <= 0) break;
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || !fds[i].revents) continue;
            char chunk[4096];
            const ssize_t n = ::read(fds[i].fd, chunk, sizeof chunk);
            if (n > 0) {
                into[i]->append(chunk, static_cast<std::size_t>(n));
                continue;
            }
            ::close(fds[i].fd);
            fds[i].fd = -1;
            --left;
        }
    }
    for (const pollfd& p : fds)
        if (p.fd >= 0) ::close(p.fd);
    int status = 0;
    if (::waitpid(child, &status, 0) == child && WIFEXITED(status)) run.status = WEXITSTATUS(status);
    return run;
}

// Runs `body` in a child process whose open files are limited to `limit`
// (soft and hard alike, as a container or a service unit may set them);
// body's stdout and stderr are the run's, its return value the status.
template <typename Body>
ChildRun withFileLimit(rlim_t limit, Body body)
{
    int out[2], err[2];
    if (::pipe2(out, O_CLOEXEC) != 0 || ::pipe2(err, O_CLOEXEC) != 0) return {};
    const pid_t child = ::fork();
    if (child == 0) {
        ::dup2(out[1], STDOUT_FILENO);
        ::dup2(err[1], STDERR_FILENO);
        const rlimit low{limit, limit};
        if (::setrlimit(RLIMIT_NOFILE, &low) != 0) ::_exit(99);
        ::_exit(body());
    }
    ::close(out[1]);
    ::close(err[1]);
    if (child < 0) {
        ::close(out[0]);
        ::close(err[0]);
        return {};
    }
    return collect(child, out[0], err[0]);
}

TEST(CliScanSockets, SixtyFourOpenFilesStillSearchEveryAddress)
{
    test::PlantedModules planted;
    // One more module, on the range's last but five address.
    sim::MultiServer last({{"127.0.0.250", {}}}, planted.port);
    ASSERT_TRUE(last.start());
    const std::string port = std::to_string(planted.port);
    const ChildRun run = withFileLimit(64, [&] {
        const char* argv[] = {NOLT_CLI_PATH, "scan", "127.0.0.0/24", "--jobs", "256", "--port", port.c_str(),
                              "--timeout", "1", nullptr};
        ::execv(NOLT_CLI_PATH, const_cast<char* const*>(argv));
        return 98;
    });
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    const auto lines = test::linesOf(run.out);
    ASSERT_EQ(lines.size(), 6u) << run.out;
    const std::string at = ":" + port + " +";
    const char* expected[] = {"127\\.0\\.0\\.5", "127\\.0\\.0\\.9", "127\\.0\\.0\\.77", "127\\.0\\.0\\.200",
                              "127\\.0\\.0\\.250"};
    for (std::size_t i = 0; i < 5; ++i)
        EXPECT_TRUE(std::regex_search(lines[i], std::regex("^" + std::string(expected[i]) + at))) << lines[i];
    EXPECT_TRUE(std::regex_search(lines[4], std::regex("version 7"))) << lines[4];
    EXPECT_TRUE(lines[5].starts_with("3 modules found; 2 addresses with the port open but no module answer; "
                                     "256 addresses searched in "))
        << lines[5];
    EXPECT_EQ(last.connectionsAccepted(0), 1);
}

// Every descriptor taken before the second search: nothing can be
// searched, and the scan says so with the status of a run that could not
// be made. The first search, with descriptors to spare, also lets a
// sanitizer's checks of dynamic types (which take descriptors of their own
// the first time they meet a type) see every type beforehand.
TEST(CliScanSockets, NotOneSocketIsSaidWithExitTwo)
{
    const ChildRun run = withFileLimit(256, [] {
        const std::vector<std::string> args{"scan", "127.0.0.0/30", "--port", "1"};
        std::ostringstream out, err, outAfter, errAfter;
        const int before = cli::runCli(args, out, err);
        std::vector<int> taken;
        taken.reserve(256);
        for (int fd; (fd = ::open("/dev/null", O_RDONLY)) >= 0;) taken.push_back(fd);
        const int status = cli::runCli(args, outAfter, errAfter);
        for (int fd : taken) ::close(fd);
        const std::string texts = std::to_string(before) + "|" + outAfter.str() + "|" + errAfter.str();
        [[maybe_unused]] const auto written = ::write(STDOUT_FILENO, texts.data(), texts.size());
        return status;
    });
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.out, "1||nolt-cli scan: no socket could be opened (too many are open)\n") << run.err;
}

#endif

}  // namespace
}  // namespace nolt
