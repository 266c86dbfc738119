// The limit to the machine's own addresses holds in the search engine
// itself: a Scanner handed 10.214.0.0/24 while limited refuses it, naming
// the variable, and not one connection is attempted.
//
// It runs in a child process in a network namespace of its own, whose one
// interface is its own loopback (10.214.0.0/24 put on it too) and which
// forwards nothing: even a broken guard would reach nothing beyond it. The
// namespace's TCP counters tell whether a connection was attempted; the same
// search with the limit lifted (inside that namespace only) shows that they
// see one for every address.
//
// Needs root (a namespace); elsewhere the test says why and is skipped.
#include "scan/scanner.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <sched.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

namespace nolt {
namespace {

using namespace std::chrono_literals;

constexpr int kNoNamespace = 77;

// Connections this namespace's TCP has started (the ActiveOpens counter).
long connectAttempts()
{
    std::ifstream snmp("/proc/net/snmp");
    std::string names, values;
    while (std::getline(snmp, names) && std::getline(snmp, values)) {
        if (!names.starts_with("Tcp:")) continue;
        std::istringstream n(names), v(values);
        for (std::string name, value; n >> name && v >> value;)
            if (name == "ActiveOpens") return std::stol(value);
    }
    return -1;
}

// In the child: the namespace, then both searches; one line each on `out`:
// "<attempts> <results> <error>".
int searchInOwnNamespace(int out)
{
    if (::unshare(CLONE_NEWNET) != 0) return kNoNamespace;
    std::ofstream("/proc/sys/net/ipv4/ip_forward") << "0\n";
    if (std::system("ip link set lo up && ip addr add 10.214.0.1/16 dev lo") != 0) return 1;
    const ScanRange range{0x0AD60000, 0x0AD600FF};  // 10.214.0.0/24
    ScanSettings settings;
    settings.timeout = 300ms;
    std::string report;
    for (bool limited : {true, false}) {
        if (limited) ::setenv(kScanLoopbackOnlyVariable, "1", 1);
        else ::unsetenv(kScanLoopbackOnlyVariable);  // here, where nothing leads out
        const long before = connectAttempts();
        Scanner scanner(range, settings);
        const ScanOutcome outcome = scanner.run();
        report += std::to_string(connectAttempts() - before) + " " + std::to_string(outcome.results.size()) + " " +
                  outcome.error + "\n";
    }
    return ::write(out, report.data(), report.size()) == static_cast<ssize_t>(report.size()) ? 0 : 1;
}

TEST(ScanLimit, TheEngineRefusesARangeOutsideLoopbackBeforeAnyConnectAttempt)
{
    if (::geteuid() != 0) GTEST_SKIP() << "a network namespace needs root; this test runs as uid " << ::geteuid();
    int pipeEnds[2];
    ASSERT_EQ(::pipe2(pipeEnds, O_CLOEXEC), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) ::_exit(searchInOwnNamespace(pipeEnds[1]));
    ::close(pipeEnds[1]);
    std::string lines;
    pollfd p{pipeEnds[0], POLLIN, 0};
    char chunk[512];
    for (ssize_t n = 1; n > 0 && ::poll(&p, 1, 20000) > 0;) {
        n = ::read(pipeEnds[0], chunk, sizeof chunk);
        if (n > 0) lines.append(chunk, static_cast<std::size_t>(n));
    }
    ::close(pipeEnds[0]);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    if (WEXITSTATUS(status) == kNoNamespace) GTEST_SKIP() << "unshare(CLONE_NEWNET) was refused";
    ASSERT_EQ(WEXITSTATUS(status), 0) << "the namespace could not be set up";

    std::istringstream in(lines);
    std::string limited, lifted;
    std::getline(in, limited);
    std::getline(in, lifted);
    EXPECT_EQ(limited, "0 0 this process may search 127.0.0.0/8 only: NOLT_SCAN_LOOPBACK_ONLY is set, which limits "
                       "searches to the machine's own addresses");
    EXPECT_EQ(lifted, "256 256 ") << "the counter sees every attempt once nothing stops them";
}

}  // namespace
}  // namespace nolt
