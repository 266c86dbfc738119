// The search for modules: the range parser on its own (a table of texts and
// what they give), and nolt-cli scan and the scanner against modules planted
// at 127.0.0.5, 127.0.0.9, 127.0.0.77 (silent) and 127.0.0.200 (a plain TCP
// listener), and the engine of many connections with scripted ones that
// find no socket. Every search here covers 127.0.0.0/8 only (PlantedModules).
#include "support/patterns.h"
#include "cli/cli_run.h"
#include "platform/poll_loop.h"
#include "scan/background_scan.h"
#include "scan/scanner.h"
#include "support/planted_modules.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <map>
#include <set>
#include <span>
#include <sstream>
#include <thread>

namespace nolt {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using test::PlantedModules;

constexpr std::uint32_t ip(unsigned a, unsigned b, unsigned c, unsigned d) { return a << 24 | b << 16 | c << 8 | d; }

// ---- the range, as text ----------------------------------------------------

struct RangeCase {
    const char* text;
    std::uint32_t first = 0, last = 0;  // when it is a range
    const char* error = nullptr;        // a part of the message when it is not
};

TEST(ScanRange, TextsGiveTheirRangeOrSayWhatIsWrong)
{
    const RangeCase cases[] = {
        {"192.168.2.0/24", ip(192, 168, 2, 0), ip(192, 168, 2, 255)},
        {" 192.168.2.119/24\t", ip(192, 168, 2, 0), ip(192, 168, 2, 255)},  // the host bits go
        {"192.168.2.10-192.168.2.60", ip(192, 168, 2, 10), ip(192, 168, 2, 60)},
        {"192.168.2.10 - 60", ip(192, 168, 2, 10), ip(192, 168, 2, 60)},
        {"192.168.2.10-192.168.2.10", ip(192, 168, 2, 10), ip(192, 168, 2, 10)},  // one address, both ways
        {"127.0.0.250-250", ip(127, 0, 0, 250), ip(127, 0, 0, 250)},
        {"10.1.2.3", ip(10, 1, 2, 3), ip(10, 1, 2, 3)},
        {"10.0.0.0/32", ip(10, 0, 0, 0), ip(10, 0, 0, 0)},
        {"172.16.0.0/22", ip(172, 16, 0, 0), ip(172, 16, 3, 255)},
        {"169.254.7.0/24", ip(169, 254, 7, 0), ip(169, 254, 7, 255)},
        {"127.0.0.0/22", ip(127, 0, 0, 0), ip(127, 0, 3, 255)},
        {"127.0.0.1-127.0.4.0", ip(127, 0, 0, 1), ip(127, 0, 4, 0)},  // 1,024 exactly
        {"192.168.002.010", ip(192, 168, 2, 10), ip(192, 168, 2, 10)},  // decimal, never octal
        {"", 0, 0, "no range given"},
        {"  \t", 0, 0, "no range given"},
        {"192.168.2", 0, 0, "\"192.168.2\" is not an address of four numbers 0 to 255"},
        {"192.168.2.256/24", 0, 0, "\"192.168.2.256\" is not an address"},
        {"192.168.2.1.5", 0, 0, "is not an address"},
        {"192.168..1", 0, 0, "is not an address"},
        {"+192.168.2.1", 0, 0, "is not an address"},
        {"192.168.2.0/33", 0, 0, "\"33\" after \"/\" is not a prefix length 0 to 32"},
        {"192.168.2.0/", 0, 0, "\"\" after \"/\" is not a prefix length"},
        {"192.168.2.60-10", 0, 0, "the range ends (192.168.2.10) before it starts (192.168.2.60)"},
        {"192.168.2.1-x", 0, 0, "\"x\" is not an address"},
        {"192.168.2.1-256", 0, 0, "\"256\" is not an address"},
        {"host.example", 0, 0, "is not an address"},
        {"192.168.0.0/21", 0, 0, "holds 2048 addresses; at most 1024 are searched at once"},
        {"127.0.0.0-127.0.4.0", 0, 0, "holds 1025 addresses"},
        {"127.0.0.1/8", 0, 0, "holds 16777216 addresses"},
        {"8.8.8.0/24", 0, 0, "holds 8.8.8.0, which is no address of a local network; only private"},
        {"0.0.0.0/0", 0, 0, "holds 0.0.0.0, which is no address of a local network"},
        {"224.0.0.0/24", 0, 0, "holds 224.0.0.0"},
        {"172.15.255.250-172.16.0.5", 0, 0, "holds 172.15.255.250"},
        {"172.31.255.250-172.32.0.5", 0, 0, "holds 172.32.0.0"},
        {"192.167.255.255-192.168.0.3", 0, 0, "holds 192.167.255.255"},
        {"126.255.255.0-127.0.0.255", 0, 0, "holds 126.255.255.0"},
        {"1234567890123456789012345678901234567890123456789/24", 0, 0,
         "\"1234567890123456789012345678901234567890...\" is not an address"},
    };
    for (const RangeCase& c : cases) {
        SCOPED_TRACE(std::string("\"") + c.text + "\"");
        const auto parsed = parseScanRange(c.text);
        if (c.error) {
            ASSERT_TRUE(std::holds_alternative<ScanRangeError>(parsed));
            EXPECT_NE(std::get<ScanRangeError>(parsed).message.find(c.error), std::string::npos)
                << std::get<ScanRangeError>(parsed).message;
        } else {
            ASSERT_TRUE(std::holds_alternative<ScanRange>(parsed)) << std::get<ScanRangeError>(parsed).message;
            EXPECT_EQ(std::get<ScanRange>(parsed), (ScanRange{c.first, c.last}));
        }
    }
}

TEST(ScanRange, TheSlash24AroundAnAddressAndDottedText)
{
    EXPECT_EQ(surroundingSlash24("192.168.2.119"), "192.168.2.0/24");
    EXPECT_EQ(surroundingSlash24(" 127.0.0.42 "), "127.0.0.0/24");
    EXPECT_EQ(surroundingSlash24("192.168.2"), "");
    EXPECT_EQ(dottedText(ip(10, 200, 0, 255)), "10.200.0.255");
    EXPECT_EQ((ScanRange{ip(127, 0, 0, 0), ip(127, 0, 3, 255)}).size(), 1024u);
}

// ---- nolt-cli scan against the planted modules -----------------------------

using cli::Immediate;
using test::CliRun;
using test::linesOf;

CliRun scan(const std::vector<std::string>& args)
{
    return test::runCli(args);
}

void expectLines(const std::string& text, const std::vector<std::string>& patterns)
{
    const auto lines = linesOf(text);
    ASSERT_EQ(lines.size(), patterns.size()) << text;
    for (std::size_t i = 0; i < lines.size(); ++i)
        EXPECT_TRUE(test::matchesWhole(lines[i], patterns[i])) << lines[i] << "\n  !~ " << patterns[i];
}

TEST(CliScan, FindsExactlyThePlantedModulesWithTheirVersionsInAddressOrder)
{
    PlantedModules planted;
    const std::string port = std::to_string(planted.port);
    // A time-out of 1 s: a loaded machine (a sanitizer build) may take a
    // few hundred milliseconds for a module's answer.
    const CliRun run = scan({"scan", "127.0.0.0/24", "--port", port, "--timeout", "1"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, "");
    const std::string ms = R"( +(\d+ ms|[\d.]+ s))";
    expectLines(run.out, {"127\\.0\\.0\\.5:" + port + " +version 7" + ms,
                          "127\\.0\\.0\\.9:" + port + " +version 1234" + ms,
                          "127\\.0\\.0\\.77:" + port + " +no module answer" + ms,
                          "127\\.0\\.0\\.200:" + port + " +no module answer" + ms,
                          "2 modules found; 2 addresses with the port open but no module answer; "
                          "256 addresses searched in [\\d.]+ s"});
    // Each silent address costs its own time-out, at the same time as the others.
    EXPECT_LT(run.seconds, 2.0) << "the whole range took more than two time-outs";
    EXPECT_GE(run.seconds, 0.95);
    // One connection each, with the version query.
    EXPECT_EQ(planted.modules->blocksReceived(PlantedModules::kModuleIndex), 1);
    EXPECT_EQ(planted.modules->blocksReceived(PlantedModules::kOtherIndex), 1);
}

TEST(CliScan, JsonAndListFormsAndTheExitStatusWithoutModules)
{
    PlantedModules planted;
    const std::string port = std::to_string(planted.port);

    const CliRun json = scan({"--json", "--timeout", "1", "scan", "127.0.0.1-127.0.0.255", "--port", port});
    EXPECT_EQ(json.status, 0);
    const auto lines = linesOf(json.out);
    ASSERT_EQ(lines.size(), 4u) << json.out;
    const char* hosts[] = {"127.0.0.5", "127.0.0.9", "127.0.0.77", "127.0.0.200"};
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const auto j = nlohmann::ordered_json::parse(lines[i], nullptr, false);
        ASSERT_FALSE(j.is_discarded()) << lines[i];
        EXPECT_EQ(j.begin().key(), "host");
        EXPECT_EQ(j["host"], hosts[i]);
        EXPECT_EQ(j["port"], planted.port);
        EXPECT_EQ(j["outcome"], i < 2 ? "module" : "no module answer");
        EXPECT_EQ(j.contains("version"), i < 2);
        if (i < 2) {
            EXPECT_EQ(j["version"], i == 0 ? "7" : "1234");
        }
        if (i == 2) {
            EXPECT_GE(j["ms"].get<double>(), 990);  // the silent module had the whole time-out
        }
    }

    const CliRun list = scan({"scan", "127.0.0.0-12", "--list", "--port=" + port, "--jobs", "1", "--timeout", "2"});
    EXPECT_EQ(list.status, 0);
    expectLines(list.out, {"127\\.0\\.0\\.5:" + port, "127\\.0\\.0\\.9:" + port,
                           "# 2 modules found; 0 addresses with the port open but no module answer; "
                           "13 addresses searched in \\d+ ms"});

    const CliRun none = scan({"scan", "127.0.1.0/24", "--port", port});
    EXPECT_EQ(none.status, 1);
    EXPECT_TRUE(none.out.starts_with("0 modules found; 0 addresses with the port open")) << none.out;
}

// Wherever an option stands, before the command or after it, the last one
// given counts: the search goes to the port written last.
TEST(CliScan, TheLastPortWrittenIsTheOneSearched)
{
    PlantedModules planted;
    const std::string port = std::to_string(planted.port);
    const struct {
        std::vector<std::string> args;
        bool found;
    } cases[] = {
        {{"--port", "1", "scan", "127.0.0.5/32", "--port", port}, true},
        {{"--port", port, "scan", "127.0.0.5/32"}, true},
        {{"--port", "1", "--port", port, "scan", "127.0.0.5/32"}, true},
        {{"scan", "127.0.0.5/32", "--port", "1", "--port=" + port}, true},
        {{"--port", port, "scan", "127.0.0.5/32", "--port", "1"}, false},
    };
    for (const auto& c : cases) {
        std::vector<std::string> args = c.args;
        args.insert(args.end(), {"--timeout", "1"});
        SCOPED_TRACE(::testing::PrintToString(args));
        const CliRun run = scan(args);
        EXPECT_EQ(run.status, c.found ? 0 : 1);
        EXPECT_TRUE(run.out.starts_with(c.found ? "127.0.0.5:" + port + " " : "0 modules found")) << run.out;
    }
}

// A scan's command line read as nolt-cli reads it but without running
// anything: a refused range never reaches the code that opens sockets.
Immediate readScan(const std::vector<std::string>& args)
{
    const cli::CommandLine line = cli::readCommandLine(args);
    if (const auto* now = std::get_if<Immediate>(&line)) return *now;
    const auto* scan = std::get_if<cli::ScanRequest>(&line);
    if (!scan) return {-1, "", "not read as a scan"};
    return {-1, "", "taken as a search of " + dottedText(scan->range.first)};
}

// Refused input: exit 2 and a message, from the reader alone.
TEST(CliScan, BadRangesAndOptionsAreRefusedBeforeAnythingIsSent)
{
    const std::string port = "2000";
    struct Case {
        std::vector<std::string> args;
        std::string firstLine;
    };
    const Case cases[] = {
        {{"scan", "8.8.8.0/24"}, "nolt-cli scan: \"8.8.8.0/24\" holds 8.8.8.0, which is no address of a local network; "
                                 "only private (10.0.0.0/8, 172.16.0.0/12, 192.168.0.0/16), link-local "
                                 "(169.254.0.0/16) and loopback (127.0.0.0/8) addresses are searched"},
        {{"scan", "126.255.255.0-127.0.0.255", "--port", port}, "nolt-cli scan: \"126.255.255.0-127.0.0.255\" holds "
                                                                "126.255.255.0, which is no address of a local "
                                                                "network; only private (10.0.0.0/8, 172.16.0.0/12, "
                                                                "192.168.0.0/16), link-local (169.254.0.0/16) and "
                                                                "loopback (127.0.0.0/8) addresses are searched"},
        {{"scan", "127.0.0.0/21", "--port", port},
         "nolt-cli scan: \"127.0.0.0/21\" holds 2048 addresses; at most 1024 are searched at once"},
        {{"scan", "127.0.0.five", "--port", port},
         "nolt-cli scan: \"127.0.0.five\" is not an address of four numbers 0 to 255; write it as 192.168.2.0/24, "
         "192.168.2.10-192.168.2.60 or 192.168.2.10-60"},
        // The loopback limit every test process runs under. Every row here
        // goes through the pure reader only: nothing is run or sent.
        {{"scan", "10.0.0.0/24", "--port", port},
         "nolt-cli scan: this process may search 127.0.0.0/8 only: NOLT_SCAN_LOOPBACK_ONLY is set, which limits "
         "searches to the machine's own addresses"},
        {{"scan"}, "nolt-cli scan: RANGE is required"},
        {{"scan", "127.0.0.0/24", "127.0.1.0/24"}, "nolt-cli scan: unexpected \"127.0.1.0/24\""},
        {{"scan", "127.0.0.0/24", "--json", "--list"}, "nolt-cli scan: give --json or --list, not both"},
        {{"--json", "scan", "127.0.0.0/24", "--list"}, "nolt-cli scan: give --json or --list, not both"},
        {{"scan", "127.0.0.0/24", "--fast"}, "nolt-cli scan: unknown option --fast"},
        {{"scan", "127.0.0.0/24", "--timeout"}, "nolt-cli scan: --timeout needs a value"},
        {{"--host", "127.0.0.5", "scan", "127.0.0.0/24"},
         "nolt-cli scan: --host does not apply: the range names the addresses"},
        {{"--trace", "scan", "127.0.0.0/24"}, "nolt-cli scan: --trace does not apply to a scan"},
    };
    for (const Case& c : cases) {
        const Immediate read = readScan(c.args);
        EXPECT_EQ(read.status, 2) << c.firstLine;
        EXPECT_EQ(read.out, "");
        EXPECT_EQ(linesOf(read.err).at(0), c.firstLine);
    }
    // The runner prints what the reader says and sends nothing.
    PlantedModules planted;
    const std::vector<std::string> tooLarge{"scan", "127.0.0.0/21", "--port", std::to_string(planted.port)};
    const CliRun run = scan(tooLarge);
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, readScan(tooLarge).err);
    std::this_thread::sleep_for(50ms);
    EXPECT_EQ(planted.connectionsAccepted(), 0);
    // And help is no search either.
    const CliRun help = scan({"scan", "--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_TRUE(help.out.starts_with("Usage: nolt-cli [global options] scan RANGE [--port P]")) << help.out;
    EXPECT_NE(scan({"--help"}).out.find("\n  scan RANGE "), std::string::npos);
}

// ---- the scanner itself ----------------------------------------------------

ScanRange slash24()
{
    return std::get<ScanRange>(parseScanRange("127.0.0.0/24"));
}

TEST(Scanner, EveryAddressGetsItsVerdictAndReportsComeAsAddressesFinish)
{
    PlantedModules planted;
    ScanSettings settings;
    settings.port = planted.port;
    settings.timeout = 1500ms;
    settings.jobs = 64;  // four rounds of the /24
    Scanner scanner(slash24(), settings);
    std::size_t reported = 0, calls = 0;
    const ScanOutcome outcome = scanner.run([&](std::span<const ScanResult> batch) {
        reported += batch.size();
        ++calls;
    });
    EXPECT_FALSE(outcome.stopped);
    EXPECT_EQ(reported, 256u);
    EXPECT_GT(calls, 1u);
    ASSERT_EQ(outcome.results.size(), 256u);
    for (std::size_t i = 0; i < 256; ++i) {
        const ScanResult& r = outcome.results[i];
        ASSERT_EQ(r.address, ip(127, 0, 0, static_cast<unsigned>(i)));
        const ScanVerdict expected = i == 5 || i == 9 ? ScanVerdict::Module
                                     : i == 77 || i == 200 ? ScanVerdict::NoModuleAnswer
                                                           : ScanVerdict::Nothing;
        EXPECT_EQ(r.verdict, expected) << dottedText(r.address);
        EXPECT_EQ(r.version, i == 5 ? L"7" : i == 9 ? L"1234" : L"") << dottedText(r.address);
        if (expected == ScanVerdict::NoModuleAnswer) {
            EXPECT_GE(r.seconds, 1.49);
        }
    }
}

TEST(Scanner, StopEndsASearchAtOnceFromAnotherThread)
{
    PlantedModules planted;
    ScanSettings settings;
    settings.port = planted.port;
    settings.timeout = 20s;  // the silent two would hold the search this long
    Scanner scanner(slash24(), settings);
    // The stop comes once every address but the two silent ones has its
    // verdict (or after 10 s on a machine slow enough to need it), so what
    // is measured is the stop, not how fast the machine searches.
    std::atomic<std::size_t> reported{0};
    std::atomic<Clock::time_point> stoppedAt{Clock::time_point{}};
    std::thread stopper([&] {
        const auto until = Clock::now() + 10s;
        while (reported.load() < 254 && Clock::now() < until) std::this_thread::sleep_for(10ms);
        stoppedAt = Clock::now();
        scanner.stop();
    });
    const ScanOutcome outcome = scanner.run([&](std::span<const ScanResult> batch) { reported += batch.size(); });
    const double afterStop = std::chrono::duration<double>(Clock::now() - stoppedAt.load()).count();
    stopper.join();
    EXPECT_TRUE(outcome.stopped);
    EXPECT_LT(afterStop, 1.0);
    EXPECT_EQ(outcome.results.size(), 254u) << "all but the two silent addresses had finished";
}

// A stop before the search starts nothing: no module is asked.
TEST(Scanner, StopBeforeRunStartsNoConnection)
{
    PlantedModules planted;
    ScanSettings settings;
    settings.port = planted.port;
    Scanner early(std::get<ScanRange>(parseScanRange("127.0.0.5-127.0.0.9")), settings);
    early.stop();
    const ScanOutcome outcome = early.run();
    EXPECT_TRUE(outcome.stopped);
    EXPECT_TRUE(outcome.results.empty());
    std::this_thread::sleep_for(100ms);
    EXPECT_EQ(planted.connectionsAccepted(), 0);
}

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

TEST(BackgroundScan, ReportsThenFinishesOnceAndStopsWithThePumpRunning)
{
    PlantedModules planted;
    ScanSettings settings;
    settings.port = planted.port;
    settings.timeout = 300ms;
    BackgroundScan scan;
    std::atomic<std::size_t> reported{0};
    std::atomic<int> finished{0};
    std::atomic<bool> stoppedFlag{true};
    ASSERT_TRUE(scan.start(
        slash24(), settings, [&](std::span<const ScanResult> batch) { reported += batch.size(); },
        [&](const ScanOutcome& o) {
            stoppedFlag = o.stopped;
            ++finished;
        }));
    EXPECT_FALSE(scan.start(slash24(), settings, {}, {})) << "a second search while one runs";
    for (const auto until = Clock::now() + 10s; scan.running() && Clock::now() < until;)
        std::this_thread::sleep_for(10ms);
    scan.stop([] {});
    EXPECT_EQ(finished.load(), 1);
    EXPECT_FALSE(stoppedFlag.load());
    EXPECT_EQ(reported.load(), 256u);

    // Stopped while the silent ones still wait: finished says so, and the
    // pump ran while stop() waited.
    settings.timeout = 20s;
    ASSERT_TRUE(scan.start(slash24(), settings, {}, [&](const ScanOutcome& o) {
        std::this_thread::sleep_for(50ms);  // a window call that takes a while
        stoppedFlag = o.stopped;
        ++finished;
    }));
    std::this_thread::sleep_for(200ms);
    int pumped = 0;
    const auto start = Clock::now();
    scan.stop([&] { ++pumped; });
    EXPECT_LT(std::chrono::duration<double>(Clock::now() - start).count(), 2.0);
    EXPECT_FALSE(scan.running());
    EXPECT_EQ(finished.load(), 2);
    EXPECT_TRUE(stoppedFlag.load());
    EXPECT_GT(pumped, 0);
}

}  // namespace
}  // namespace nolt
