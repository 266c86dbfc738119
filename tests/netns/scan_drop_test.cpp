// The search for modules where addresses drop packets: nolt-cli scan runs in
// one network namespace and searches 10.214.0.0/24, routed to a second
// namespace that holds two modules (10.214.0.5, and 10.214.0.77 silent) and
// forwards nothing, so every other address of the /24 swallows the
// connection attempt without a reset. Each such address may cost the
// time-out and no more, all at once: the whole /24 within about two
// time-outs. The addresses exist only inside the two namespaces.
//
// Needs root (namespaces, links); elsewhere the test says why and is skipped.
#include "netns/child_process.h"
#include "netns/namespace_pair.h"
#include "support/patterns.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace nolt {
namespace {

using namespace std::chrono_literals;
using test::ChildProcess;
using Clock = std::chrono::steady_clock;

class ScanDropTest : public testing::Test {
protected:
    void SetUp() override
    {
        if (!pair_.skipReason().empty()) GTEST_SKIP() << pair_.skipReason();
        ASSERT_TRUE(pair_.up()) << "the namespaces or the veth pair between them could not be set up";
        // The modules' side answers for its own two addresses only; a new
        // namespace forwards nothing, so it drops the rest of the /24.
        for (const std::string& c : {pair_.inA("ip route add 10.214.0.0/24 via " + pair_.addressB),
                                     pair_.inB("ip addr add 10.214.0.5/32 dev lo"),
                                     pair_.inB("ip addr add 10.214.0.77/32 dev lo")})
            ASSERT_TRUE(test::run(c)) << c;
        module_ = startSim({"--address", "10.214.0.5"});
        silent_ = startSim({"--address", "10.214.0.77", "--silent"});
    }

    std::unique_ptr<ChildProcess> startSim(std::vector<std::string> args)
    {
        std::vector<std::string> command{"ip", "netns", "exec", pair_.nameB, NOLT_SIM_PATH, "--port", "2000", "--quiet"};
        command.insert(command.end(), args.begin(), args.end());
        auto sim = std::make_unique<ChildProcess>(command);
        const auto line = sim->readLine(Clock::now() + 5s);
        EXPECT_TRUE(line && line->starts_with("listening on " + args[1])) << "the simulator did not start";
        return sim;
    }

    // nolt-cli scan in the scanner's namespace: its output lines, and the
    // time it took. Every test runs limited to loopback addresses; the limit
    // is lifted for this one program, whose addresses exist only in the two
    // namespaces (no route leads out of them, and neither forwards).
    std::vector<std::string> scan(const std::string& range, double& seconds)
    {
        ChildProcess cli({"ip", "netns", "exec", pair_.nameA, "env", "-u", "NOLT_SCAN_LOOPBACK_ONLY", NOLT_CLI_PATH,
                          "scan", range, "--timeout", "0.5"});
        const auto start = Clock::now();
        std::vector<std::string> lines;
        while (auto line = cli.readLine(start + 10s)) lines.push_back(*line);
        seconds = std::chrono::duration<double>(Clock::now() - start).count();
        return lines;
    }

    test::NamespacePair pair_{"nolt-scan", "nolt-mods", "10.213.0.1", "10.213.0.2"};
    std::unique_ptr<ChildProcess> module_, silent_;
};

TEST_F(ScanDropTest, AddressesThatDropCostTheTimeOutAndNoMore)
{
    double one = 0;
    const auto dropped = scan("10.214.0.100", one);
    ASSERT_EQ(dropped.size(), 1u);
    EXPECT_TRUE(dropped[0].starts_with("0 modules found; 0 addresses")) << dropped[0];
    EXPECT_GE(one, 0.45) << "the address answered (a reset?) instead of dropping";
    EXPECT_LE(one, 0.9) << "a dropping address cost more than the time-out of 0.5 s";

    double whole = 0;
    const auto lines = scan("10.214.0.0/24", whole);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_TRUE(test::matchesWhole(lines[0], R"(10\.214\.0\.5:2000 +version 7 +\d+ ms)")) << lines[0];
    EXPECT_TRUE(test::matchesWhole(lines[1], R"(10\.214\.0\.77:2000 +no module answer +\d+ ms)")) << lines[1];
    EXPECT_TRUE(lines[2].starts_with("1 module found; 1 address with the port open but no module answer; "
                                     "256 addresses searched in "))
        << lines[2];
    EXPECT_GE(whole, 0.45);
    EXPECT_LE(whole, 1.0) << "254 dropping addresses took more than two time-outs";
    std::printf("a dropping address: %.2f s; the /24: %.2f s (time-out 0.5 s)\n", one, whole);
}

}  // namespace
}  // namespace nolt
