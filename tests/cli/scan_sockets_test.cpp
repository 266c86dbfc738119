// Searches with fewer descriptors than addresses, in a child process under a
// limit of open files: the room for sockets keeps a reserve, nolt-cli scan
// under a limit of 64 still finds every planted module, one at the end of
// the range too, and a process that can open no socket at all says so.
#include "support/patterns.h"
#include "cli/cli_run.h"
#include "platform/socket_poll.h"
#include "sim/multi_server.h"
#include "support/planted_modules.h"

#include <gtest/gtest.h>

#include <cstdio>

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace nolt {
namespace {

struct ChildRun {
    int status = -1;
    std::string output;  // stdout and stderr together
};

// Runs `body` in a child process whose open files are limited to `limit`
// (soft and hard alike, as a container or a service unit may set them):
// what it writes, and its return value as the status.
template <typename Body>
ChildRun withFileLimit(rlim_t limit, Body body)
{
    ChildRun run;
    int out[2];
    if (::pipe2(out, O_CLOEXEC) != 0) return run;
    const pid_t child = ::fork();
    if (child == 0) {
        ::dup2(out[1], STDOUT_FILENO);
        ::dup2(out[1], STDERR_FILENO);
        const rlimit low{limit, limit};
        ::_exit(::setrlimit(RLIMIT_NOFILE, &low) == 0 ? body() : 99);
    }
    ::close(out[1]);
    char chunk[4096];
    for (ssize_t n; child > 0 && (n = ::read(out[0], chunk, sizeof chunk)) > 0;)
        run.output.append(chunk, static_cast<std::size_t>(n));
    ::close(out[0]);
    int status = 0;
    if (child > 0 && ::waitpid(child, &status, 0) == child && WIFEXITED(status)) run.status = WEXITSTATUS(status);
    return run;
}

// What the engine opens at once under a limit of 64: that many sockets can
// be had, and a reserve of descriptors is left after them.
TEST(CliScanSockets, TheRoomForSocketsLeavesAReserve)
{
    const ChildRun run = withFileLimit(64, [] {
        const std::size_t room = socketRoom(1000);
        std::size_t opened = 0, reserve = 0;
        while (opened < room && ::socket(AF_INET, SOCK_STREAM, 0) >= 0) ++opened;
        while (::open("/dev/null", O_RDONLY) >= 0) ++reserve;
        std::printf("%zu of %zu, then %zu", opened, room, reserve);
        std::fflush(stdout);
        return 0;
    });
    std::size_t opened = 0, room = 0, reserve = 0;
    ASSERT_EQ(std::sscanf(run.output.c_str(), "%zu of %zu, then %zu", &opened, &room, &reserve), 3) << run.output;
    EXPECT_EQ(opened, room);
    EXPECT_GE(room, 32u) << "a limit of 64 leaves room for more";
    EXPECT_GE(reserve, 8u) << "the sockets left too few descriptors for anything else";
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
    EXPECT_EQ(run.status, 0) << run.output;
    const auto lines = test::linesOf(run.output);
    ASSERT_EQ(lines.size(), 6u) << run.output;
    const std::string at = ":" + port + " +";
    const char* expected[] = {"127\\.0\\.0\\.5", "127\\.0\\.0\\.9", "127\\.0\\.0\\.77", "127\\.0\\.0\\.200",
                              "127\\.0\\.0\\.250"};
    for (std::size_t i = 0; i < 5; ++i)
        EXPECT_TRUE(test::containsMatch(lines[i], "^" + std::string(expected[i]) + at)) << lines[i];
    EXPECT_TRUE(lines[4].find("version 7") != std::string::npos) << lines[4];
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
    EXPECT_EQ(run.output, "1||nolt-cli scan: no socket could be opened (too many are open)\n");
}

}  // namespace
}  // namespace nolt
