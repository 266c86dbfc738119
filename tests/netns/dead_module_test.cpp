// A module that vanishes without closing the connection. The simulator runs
// in one network namespace and the link in another, joined by a veth pair;
// once connected, the simulator's end of the pair goes down, so nothing
// more passes either way and no reset ever comes back. Only TCP keep-alive
// can notice: the link must say "Disconnected." within 10 s.
//
// Needs root (namespaces, links); elsewhere the test says why and is skipped.
#include "netns/child_process.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace nolt {
namespace {

using namespace std::chrono_literals;
using test::ChildProcess;
using Clock = std::chrono::steady_clock;

// Runs a shell command quietly; true when it succeeded.
bool run(const std::string& command) { return std::system((command + " >/dev/null 2>&1").c_str()) == 0; }

// Namespaces left by an earlier run that was killed before its clean-up
// (their names end in the id of a process that no longer exists).
void removeStaleNamespaces()
{
    FILE* list = popen("ip netns list 2>/dev/null", "r");
    if (!list) return;
    char line[256];
    while (std::fgets(line, sizeof line, list)) {
        const std::string name = std::string(line).substr(0, std::string(line).find_first_of(" \n"));
        for (const char* prefix : {"nolt-sim-", "nolt-link-"}) {
            if (name.rfind(prefix, 0) != 0) continue;
            const long pid = std::atol(name.c_str() + std::strlen(prefix));
            if (pid > 0 && kill(static_cast<pid_t>(pid), 0) != 0) run("ip netns del " + name);
        }
    }
    pclose(list);
}

class DeadModuleTest : public testing::Test {
protected:
    void SetUp() override
    {
        if (geteuid() != 0) GTEST_SKIP() << "network namespaces need root; this test runs as uid " << geteuid();
        if (!run("command -v ip")) GTEST_SKIP() << "iproute2 (ip) is not installed";
        removeStaleNamespaces();
        const std::string id = std::to_string(getpid());
        simNs_ = "nolt-sim-" + id;
        linkNs_ = "nolt-link-" + id;
        simVeth_ = "nsim" + id;
        linkVeth_ = "nlnk" + id;
        if (!run("ip netns add " + simNs_)) GTEST_SKIP() << "cannot create a network namespace (ip netns add failed)";
        created_ = true;
        ASSERT_TRUE(run("ip netns add " + linkNs_));
        ASSERT_TRUE(run("ip link add " + simVeth_ + " netns " + simNs_ + " type veth peer name " + linkVeth_ + " netns "
                        + linkNs_));
        ASSERT_TRUE(run(inSim("ip addr add " + std::string(kSimAddress) + "/30 dev " + simVeth_)));
        ASSERT_TRUE(run(inLink("ip addr add " + std::string(kLinkAddress) + "/30 dev " + linkVeth_)));
        for (const std::string& c : {inSim("ip link set lo up"), inSim("ip link set " + simVeth_ + " up"),
                                     inLink("ip link set lo up"), inLink("ip link set " + linkVeth_ + " up")})
            ASSERT_TRUE(run(c)) << c;
    }

    void TearDown() override
    {
        // Deleting a namespace also deletes its end of the veth pair.
        if (!created_) return;
        run("ip netns del " + simNs_);
        run("ip netns del " + linkNs_);
    }

    std::string inSim(const std::string& c) const { return "ip netns exec " + simNs_ + " " + c; }
    std::string inLink(const std::string& c) const { return "ip netns exec " + linkNs_ + " " + c; }

    static constexpr const char* kSimAddress = "10.200.0.1";
    static constexpr const char* kLinkAddress = "10.200.0.2";
    static constexpr const char* kPort = "2000";
    std::string simNs_, linkNs_, simVeth_, linkVeth_;
    bool created_ = false;
};

TEST_F(DeadModuleTest, VanishedModuleIsFoundByKeepAliveWithinTenSeconds)
{
    ChildProcess sim({"ip", "netns", "exec", simNs_, NOLT_SIM_PATH, "--bind", kSimAddress, "--port", kPort});
    ASSERT_TRUE(sim.started());
    const std::string listening = std::string("listening on ") + kSimAddress + ":" + kPort;
    std::string simOutput;
    bool up = false;
    while (auto line = sim.readLine(Clock::now() + 5s)) {
        simOutput += *line + "\n";
        if (line->rfind(listening, 0) == 0) up = true;
        if (up) break;
    }
    ASSERT_TRUE(up) << "the simulator did not start:\n" << simOutput;

    ChildProcess link({"ip", "netns", "exec", linkNs_, NOLT_LINK_CLIENT_PATH, kSimAddress, kPort, "30"});
    ASSERT_TRUE(link.started());
    std::string linkOutput;
    ASSERT_TRUE(link.waitForLine("log Connection to server succeeded.", Clock::now() + 5s, &linkOutput)) << linkOutput;

    // The module's side goes dark: no reset, no answer to any probe.
    ASSERT_TRUE(run(inSim("ip link set " + simVeth_ + " down")));
    const auto gone = Clock::now();
    const bool noticed = link.waitForLine("log Disconnected.", gone + 12s, &linkOutput);
    const auto after = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - gone);
    ASSERT_TRUE(noticed) << "no \"Disconnected.\" within 12 s; the link printed:\n" << linkOutput;
    EXPECT_LE(after.count(), 10000) << linkOutput;
    // Keep-alive probes start after 3 s of silence, so an end noticed much
    // sooner came from somewhere else (a reset, a local error).
    EXPECT_GE(after.count(), 2000) << linkOutput;
    std::printf("dead module noticed after %.1f s\n", after.count() / 1000.0);
}

}  // namespace
}  // namespace nolt
