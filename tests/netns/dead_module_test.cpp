// A module that vanishes without closing the connection. The simulator runs
// in one network namespace and the link in another, joined by a veth pair;
// once connected, the simulator's end of the pair goes down, so nothing
// more passes either way and no reset ever comes back. Only TCP keep-alive
// can notice: the link must say "Disconnected." within 10 s.
//
// Needs root (namespaces, links); elsewhere the test says why and is skipped.
#include "netns/child_process.h"
#include "netns/namespace_pair.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace nolt {
namespace {

using namespace std::chrono_literals;
using test::ChildProcess;
using Clock = std::chrono::steady_clock;

class DeadModuleTest : public testing::Test {
protected:
    void SetUp() override
    {
        if (!pair_.skipReason().empty()) GTEST_SKIP() << pair_.skipReason();
        ASSERT_TRUE(pair_.up()) << "the namespaces or the veth pair between them could not be set up";
    }

    std::string inSim(const std::string& c) const { return pair_.inA(c); }

    static constexpr const char* kSimAddress = "10.200.0.1";
    static constexpr const char* kLinkAddress = "10.200.0.2";
    static constexpr const char* kPort = "2000";
    test::NamespacePair pair_{"nolt-sim", "nolt-link", kSimAddress, kLinkAddress};
    const std::string& simNs_ = pair_.nameA;
    const std::string& linkNs_ = pair_.nameB;
    const std::string& simVeth_ = pair_.vethA;
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
    ASSERT_TRUE(test::run(inSim("ip link set " + simVeth_ + " down")));
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
