// Each injected fault, seen in the actions the module plans.
#include "sim_test_util.h"

#include <algorithm>

namespace nolt::sim::test {
namespace {

constexpr const char* kStatusQuery = "AA 01 01 01 01";
constexpr const char* kStatusReport = "AA 01 0A 19 19 07 80 04 38 07 80 04 38 B8";

Module withFaults(const Faults& f)
{
    ModuleOptions o;
    o.faults = f;
    return Module(o);
}

Bytes concat(std::initializer_list<const char*> parts)
{
    Bytes out;
    for (const char* p : parts) {
        const Bytes b = hex(p);
        out.insert(out.end(), b.begin(), b.end());
    }
    return out;
}

TEST(SimFaults, WrongChecksumOnEveryReply)
{
    Faults f;
    f.badChecksum = true;
    Module m = withFaults(f);
    EXPECT_EQ(hexOf(written(m.feed(hex(kStatusQuery)).actions)),
              "AA 01 0A 19 19 07 80 04 38 07 80 04 38 B9");
    EXPECT_EQ(hexOf(written(m.feed(hex("AA 20 01 01 01")).actions)), "AA 20 01 01 02");
}

TEST(SimFaults, SilentModuleStillTakesItsSettings)
{
    Faults f;
    f.silent = true;
    Module m = withFaults(f);
    EXPECT_TRUE(m.feed(hex("AA 21 01 01 01")).actions.empty());
    EXPECT_TRUE(m.feed(text("get_addrrtmp")).actions.empty());
    EXPECT_TRUE(m.unsolicitedInfo().empty());
    EXPECT_TRUE(m.state().dhcpOn);
}

TEST(SimFaults, PushAddressFaults)
{
    Faults f;
    f.upperCasePrefix = true;
    Module upper = withFaults(f);
    EXPECT_EQ(written(upper.feed(text("get_addrrtmp")).actions), text("RTMP://127.0.0.1/live/stream"));

    Faults g;
    g.silentOnAddressRequest = true;
    Module quiet = withFaults(g);
    EXPECT_TRUE(quiet.feed(text("get_addrrtmp")).actions.empty());
    EXPECT_EQ(hexOf(written(quiet.feed(hex(kStatusQuery)).actions)), kStatusReport);
}

TEST(SimFaults, RepeatFloodAndCoalesce)
{
    struct Case {
        int repeat, flood;
        bool coalesce;
        int writes;   // expected number of writes
        int reports;  // expected number of status reports
    } table[] = {
        {1, 1, false, 1, 1}, {3, 1, false, 3, 3}, {3, 1, true, 1, 3},
        {1, 4, false, 4, 4}, {2, 5, true, 1, 10},
    };
    const Bytes report = hex(kStatusReport);
    for (const Case& c : table) {
        Faults f;
        f.repeat = c.repeat;
        f.statusFlood = c.flood;
        f.coalesce = c.coalesce;
        Module m = withFaults(f);
        const auto actions = m.feed(hex(kStatusQuery)).actions;
        EXPECT_EQ(countOf(actions, Action::Kind::Write), c.writes) << c.repeat << "/" << c.flood;
        Bytes expected;
        for (int i = 0; i < c.reports; ++i) expected.insert(expected.end(), report.begin(), report.end());
        EXPECT_EQ(written(actions), expected) << c.repeat << "/" << c.flood;
    }
}

TEST(SimFaults, CoalesceJoinsTheRepliesToOneRead)
{
    Faults f;
    f.coalesce = true;
    Module m = withFaults(f);
    const auto actions = m.feed(concat({"AA 05 01 01 01", "AA 20 01 00 00"})).actions;
    ASSERT_EQ(actions.size(), 1u);
    EXPECT_EQ(hexOf(actions[0].bytes), "AA 05 04 00 00 00 07 07 AA 20 01 00 00");
}

TEST(SimFaults, DelayAndSplitWithPauses)
{
    Faults f;
    f.delayMs = 40;
    f.splitBytes = 4;
    f.splitPauseMs = 15;
    Module m = withFaults(f);
    const auto actions = m.feed(hex(kStatusQuery)).actions;
    // Pause 40, then 14 bytes in pieces of 4, 4, 4, 2 with a pause between each.
    const std::vector<Action> expected{
        Action::pause(40),
        Action::write(hex("AA 01 0A 19")), Action::pause(15),
        Action::write(hex("19 07 80 04")), Action::pause(15),
        Action::write(hex("38 07 80 04")), Action::pause(15),
        Action::write(hex("38 B8")),
    };
    EXPECT_EQ(actions, expected);
}

TEST(SimFaults, ClosesAfterNFrames)
{
    Faults f;
    f.closeAfterFrames = 2;
    Module m = withFaults(f);
    const auto actions = m.feed(concat({"AA 20 01 01 01", "AA 21 01 01 01", "AA 01 01 01 01"})).actions;
    ASSERT_FALSE(actions.empty());
    EXPECT_EQ(actions.back().kind, Action::Kind::Close);
    EXPECT_EQ(hexOf(written(actions)), "AA 20 01 01 01 AA 21 01 01 01");
    EXPECT_TRUE(m.feed(hex(kStatusQuery)).actions.empty());

    // The next client gets its own count.
    m.startConnection();
    EXPECT_EQ(hexOf(written(m.feed(hex(kStatusQuery)).actions)), kStatusReport);
}

TEST(SimFaults, UnsolicitedInformationStorageReply)
{
    Faults f;
    f.infoAfterFrames = 2;
    Module m = withFaults(f);
    EXPECT_EQ(hexOf(written(m.feed(hex("AA 20 01 01 01")).actions)), "AA 20 01 01 01");
    EXPECT_EQ(hexOf(written(m.feed(hex("AA 05 01 01 01")).actions)), "AA 05 04 00 00 00 07 07 AA 06 00 00");
    EXPECT_EQ(hexOf(written(m.feed(hex("AA 20 01 01 01")).actions)), "AA 20 01 01 01");
    EXPECT_EQ(hexOf(written(m.unsolicitedInfo())), "AA 06 00 00");
}

// The drop cuts one of the first N replies strictly inside it, closes, and
// is the same for the same seed.
TEST(SimFaults, DropsInsideAReplyReproducibly)
{
    const Bytes report = hex(kStatusReport);
    for (std::uint32_t seed = 1; seed <= 40; ++seed) {
        Faults f;
        f.dropSeed = seed;
        f.dropWithinReplies = 5;
        std::vector<std::vector<Action>> runs;
        for (int run = 0; run < 2; ++run) {
            Module m = withFaults(f);
            std::vector<Action> all;
            for (int i = 0; i < 6; ++i) {
                const auto a = m.feed(hex(kStatusQuery)).actions;
                all.insert(all.end(), a.begin(), a.end());
            }
            runs.push_back(all);
        }
        EXPECT_EQ(runs[0], runs[1]) << "seed " << seed;
        const auto& all = runs[0];
        ASSERT_FALSE(all.empty());
        EXPECT_EQ(all.back().kind, Action::Kind::Close) << "seed " << seed;
        const std::size_t total = written(all).size();
        EXPECT_LT(total, 5 * report.size()) << "seed " << seed;
        EXPECT_NE(total % report.size(), 0u) << "seed " << seed << ": cut on a frame boundary";
    }
}

TEST(SimFaults, DropPointIsDrawnAgainForEachConnection)
{
    Faults f;
    f.dropSeed = 7;
    f.dropWithinReplies = 50;
    Module m = withFaults(f);
    std::vector<std::size_t> cuts;
    for (int connection = 0; connection < 6; ++connection) {
        m.startConnection();
        std::size_t total = 0;
        for (int i = 0; i < 60; ++i) total += written(m.feed(hex(kStatusQuery)).actions).size();
        cuts.push_back(total);
    }
    std::sort(cuts.begin(), cuts.end());
    EXPECT_NE(cuts.front(), cuts.back());
}

}  // namespace
}  // namespace nolt::sim::test
