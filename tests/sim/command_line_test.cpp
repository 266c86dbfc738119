#include "sim/command_line.h"

#include <gtest/gtest.h>

namespace nolt::sim {
namespace {

using Outcome = CommandLine::Outcome;

TEST(SimCommandLine, DefaultsListenOnLoopbackPort2000AndPrint)
{
    const CommandLine cl = parseCommandLine({});
    EXPECT_EQ(cl.outcome, Outcome::Run);
    EXPECT_EQ(cl.options.bindAddress, "127.0.0.1");
    EXPECT_EQ(cl.options.port, 2000);
    EXPECT_FALSE(cl.options.quiet);
}

TEST(SimCommandLine, EveryFlagReachesItsOption)
{
    const CommandLine cl = parseCommandLine(
        {"--bind", "127.0.0.2", "--port", "0", "--quiet", "--version-number", "-5", "--push-address",
         "rtmp://x/y", "--bad-checksum", "--split", "3", "--split-pause", "20", "--coalesce", "--repeat", "2",
         "--flood", "10000", "--delay", "100", "--silent", "--close-after", "4", "--info-after-frames", "5",
         "--info-after-ms", "300", "--upper-prefix", "--silent-address", "--drop-seed", "4294967295",
         "--drop-within", "8", "--status-payload", "19 32 07 80", "--modules", "1000"});
    ASSERT_EQ(cl.outcome, Outcome::Run) << cl.text;
    const ServerOptions& o = cl.options;
    const Faults& f = o.module.faults;
    EXPECT_EQ(o.bindAddress, "127.0.0.2");
    EXPECT_EQ(o.port, 0);
    EXPECT_TRUE(o.quiet);
    EXPECT_EQ(o.modules, 1000);
    EXPECT_EQ(o.module.initial.version, -5);
    EXPECT_EQ(o.module.initial.pushAddress, "rtmp://x/y");
    EXPECT_TRUE(f.badChecksum);
    EXPECT_EQ(f.splitBytes, 3);
    EXPECT_EQ(f.splitPauseMs, 20);
    EXPECT_TRUE(f.coalesce);
    EXPECT_EQ(f.repeat, 2);
    EXPECT_EQ(f.statusFlood, 10000);
    EXPECT_EQ(f.delayMs, 100);
    EXPECT_TRUE(f.silent);
    EXPECT_EQ(f.closeAfterFrames, 4);
    EXPECT_EQ(f.infoAfterFrames, 5);
    EXPECT_EQ(f.infoAfterMs, 300);
    EXPECT_TRUE(f.upperCasePrefix);
    EXPECT_TRUE(f.silentOnAddressRequest);
    EXPECT_EQ(f.dropSeed, 4294967295u);
    EXPECT_EQ(f.dropWithinReplies, 8);
    EXPECT_EQ(o.module.initial.statusOverride, (Bytes{0x19, 0x32, 0x07, 0x80}));
    // --address is the name the help gives; --bind stays for older scripts.
    EXPECT_EQ(parseCommandLine({"--address", "127.0.0.5"}).options.bindAddress, "127.0.0.5");
}

// Numbers are decimal however they are written, and the last of an option
// given twice counts.
TEST(SimCommandLine, NumbersAreDecimalAndTheLastOneCounts)
{
    const std::vector<std::pair<std::vector<std::string>, int>> cases{
        {{"--port", "010"}, 10},           {{"--port=0x10"}, -1},   {{"--port", " 12"}, -1},
        {{"--port", "1", "--port", "2"}, 2}, {{"--port=3", "--bind", "127.0.0.2", "--port", "4"}, 4},
    };
    for (const auto& [args, port] : cases) {
        const CommandLine cl = parseCommandLine(args);
        EXPECT_EQ(cl.outcome, port < 0 ? Outcome::Error : Outcome::Run) << args[0] << " " << cl.text;
        if (port >= 0) {
            EXPECT_EQ(cl.options.port, port) << args[0];
        }
    }
    EXPECT_EQ(parseCommandLine({"--drop-seed", "007"}).options.module.faults.dropSeed, 7u);
}

TEST(SimCommandLine, RefusesBadInput)
{
    const std::vector<std::vector<std::string>> table{
        {"--nope"}, {"--port"}, {"--port", "65536"}, {"--port", "-1"}, {"--port", "20x"},
        {"--split", "0"}, {"--repeat", ""}, {"--drop-seed", "4294967296"},
        {"--status-payload", "19 3"}, {"--status-payload", "zz"}, {"--modules", "0"}, {"--modules", "10001"},
    };
    for (const auto& args : table) {
        const CommandLine cl = parseCommandLine(args);
        EXPECT_EQ(cl.outcome, Outcome::Error) << args[0];
        EXPECT_TRUE(cl.text.starts_with("nolt-sim: ")) << cl.text;
        EXPECT_NE(cl.text.find(args[0]), std::string::npos) << cl.text;
        EXPECT_TRUE(cl.text.ends_with("\nTry nolt-sim --help.\n")) << cl.text;
    }
    EXPECT_EQ(parseCommandLine({"--port", "65536"}).text,
              "nolt-sim: --port: \"65536\" is not a number from 0 to 65535\nTry nolt-sim --help.\n");
    EXPECT_EQ(parseCommandLine({"--quiet", "--nope", "x"}).text, "nolt-sim: unknown option: --nope\nTry nolt-sim --help.\n");
    EXPECT_EQ(parseCommandLine({"--quiet", "--delay"}).text, "nolt-sim: --delay needs a value\nTry nolt-sim --help.\n");
    EXPECT_EQ(parseCommandLine({"--quiet", "--help"}).outcome, Outcome::Help);
    EXPECT_EQ(parseCommandLine({"--port", "0", "--version"}).outcome, Outcome::Version);
    // The module's version number is an option of its own, not --version.
    EXPECT_EQ(parseCommandLine({"--version-number", "3"}).outcome, Outcome::Run);
    const std::string help = parseCommandLine({"--help"}).text;
    for (const char* flag : {"--drop-seed SEED", "--address,--bind IP", "--version ", "--help "})
        EXPECT_NE(help.find(flag), std::string::npos) << flag;
    EXPECT_EQ(parseCommandLine({"--version"}).text, "nolt-sim 1.0.0\n");
}

}  // namespace
}  // namespace nolt::sim
