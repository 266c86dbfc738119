// nolt-cli run in-process against in-process simulators on 127.0.0.1: every
// command's bytes at the module, its outcome and exit status; bad input that
// sends nothing; a silent module; --json parsed; a batch of twenty modules
// with two dead and one slow; and the traffic trace of the CLI and the link.
#include "support/patterns.h"
#include "cli/cli_run.h"
#include "cli/report.h"
#include "commands/command_frames.h"
#include "commands/stream_rules.h"
#include "link/link.h"
#include "link/recording_ui.h"
#include "sim/multi_server.h"
#include "sim/server.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <sstream>
#include <thread>

namespace nolt {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

using test::CliRun;
using test::linesOf;
using test::runCli;

// Collects what a simulator received ("<- " lines), by port for many modules:
// the hex of each block, without the names the simulator puts after frames.
class Received {
public:
    sim::SimServer::LogSink sink()
    {
        return [this](const std::string& line) {
            const auto at = line.find("<- ");
            if (at == std::string::npos) return;
            std::string block = line.substr(at + 3);
            if (block.starts_with("AA ")) block = block.substr(0, block.find("  "));
            std::lock_guard lock(mutex_);
            lines_.push_back(block);
        };
    }
    // Waits briefly: a block the CLI sent without awaiting an answer may
    // still be on its way into the simulator's log.
    std::vector<std::string> lines(std::size_t atLeast = 0) const
    {
        for (const auto until = Clock::now() + 2s; Clock::now() < until; std::this_thread::sleep_for(5ms)) {
            std::lock_guard lock(mutex_);
            if (lines_.size() >= atLeast) break;
        }
        std::lock_guard lock(mutex_);
        return lines_;
    }

private:
    mutable std::mutex mutex_;
    std::vector<std::string> lines_;
};

// One simulated module on a free port of 127.0.0.1.
struct Module {
    explicit Module(sim::Faults faults = {}) : server(options(faults), received.sink())
    {
        EXPECT_TRUE(server.start());
    }
    static sim::ServerOptions options(const sim::Faults& faults)
    {
        sim::ServerOptions o;
        o.port = 0;
        o.module.faults = faults;
        return o;
    }
    // The global options before the command, or after it.
    std::vector<std::string> with(std::vector<std::string> command, bool globalsAfter = false) const
    {
        const std::vector<std::string> globals{"--host", "127.0.0.1", "--port", std::to_string(server.port())};
        command.insert(globalsAfter ? command.end() : command.begin(), globals.begin(), globals.end());
        return command;
    }

    Received received;
    sim::SimServer server;
};

sim::Faults badChecksum()
{
    sim::Faults f;
    f.badChecksum = true;
    return f;
}

sim::Faults upperCasePrefix()
{
    sim::Faults f;
    f.upperCasePrefix = true;
    return f;
}

const std::string kStatusOut =
    "Get current movement status successfully\nOutput Freq: 25\nInput Freq: 25\nSrc Img Size: 1920x1080\n"
    "Dest Img Size: 1920x1080\n";

std::string utf8(std::wstring_view text)
{
    std::string out;
    for (wchar_t c : text) out += static_cast<char>(c);  // the warning is ASCII
    return out;
}

// ---- every command --------------------------------------------------------

struct CommandCase {
    const char* name;
    std::vector<std::string> command;
    sim::Faults faults;
    std::string atModule;  // the one block the module received, in hex
    std::string out;
    int status;
    std::string err = {};
};

TEST(CliCommands, SendTheDialogsBytesAndPrintTheDialogsOutcome)
{
    const std::vector<CommandCase> cases{
        {"status", {"status"}, {}, "AA 01 01 01 01", kStatusOut, 0},
        {"version", {"version"}, {}, "AA 05 01 01 01", "Version number query succeeded\nVersion: 7\n", 0},
        {"set-ip with the UDP receiver",
         {"set-ip", "--module-ip", "192.168.2.119", "--gateway", "192.168.2.1", "--dns", "0.0.0.0", "--mask",
          "255.255.255.0", "--udp-ip", "192.168.5.3", "--udp-port", "23003"},
         {},
         "AA 04 16 C0 A8 05 03 59 DB C0 A8 02 77 C0 A8 02 01 00 00 00 00 FF FF FF 00 ED",
         "IP is set successfully, please power on again.\n",
         0},
        {"set-ip without it",
         {"set-ip", "--module-ip=192.168.2.119", "--gateway=192.168.2.1", "--dns=0.0.0.0", "--mask=255.255.255.0"},
         {},
         "AA 04 16 00 00 00 0E 00 00 C0 A8 02 77 C0 A8 02 01 00 00 00 00 FF FF FF 00 57",
         "IP is set successfully, please power on again.\n",
         0},
        {"set-main-stream, other spellings",
         {"set-main-stream", "--resolution", "1080p", "--bitrate", "4M", "--push-mode", "RTSP", "--encoder", "H264",
          "--frame-rate", "25", "--packet", "by-slice", "--record", "mp4"},
         {},
         "AA 02 07 05 02 02 01 01 01 01 0D",
         "Code setting succeeded, please power on again.\n",
         0},
        {"set-main-stream that only warns",
         {"set-main-stream", "--resolution", "720P", "--bitrate", "1.5M", "--push-mode", "RTSP", "--encoder", "H265",
          "--frame-rate", "30 frame", "--packet", "By Frame", "--record", "H265"},
         {},
         "AA 02 07 02 01 02 02 02 02 03 0E",
         "Code setting succeeded, please power on again.\n",
         0,
         utf8(kUnplayableWarning) + "\n"},
        {"set-sub-stream",
         {"set-sub-stream", "--resolution", "1920x1080", "--bitrate", "8M", "--push-mode", "rtmp", "--encoder",
          "H265", "--frame-rate", "30", "--packet", "BY_FRAME"},
         {},
         "AA 10 06 09 02 02 02 02 02 13",
         "Subcode set successfully\n",
         0},
        {"sub-stream off", {"sub-stream", "off"}, {}, "AA 10 06 00 00 00 00 00 00 00", "Subcode set successfully\n", 0},
        {"bandwidth 10M", {"bandwidth", "10M"}, {}, "AA 20 01 01 01", "Network bandwidth 10m set successfully\n", 0},
        {"bandwidth 100M", {"bandwidth", "100m"}, {}, "AA 20 01 00 00", "Network bandwidth 100m set successfully\n", 0},
        {"dhcp on", {"dhcp", "on"}, {}, "AA 21 01 01 01", "DHCP ON\n", 0},
        {"dhcp off", {"dhcp", "OFF"}, {}, "AA 21 01 00 00", "DHCP OFF\n", 0},
        {"get-push-addr", {"get-push-addr"}, {}, "67 65 74 5F 61 64 64 72 72 74 6D 70  \"get_addrrtmp\"",
         "rtmp://127.0.0.1/live/stream\n", 0},
        {"set-push-addr", {"set-push-addr", "rtmp://a/b"}, {}, "72 74 6D 70 3A 2F 2F 61 2F 62  \"rtmp://a/b\"", "", 0},
        // The module refuses: its reply fails the checksum, or is not an address.
        {"status refused", {"status"}, badChecksum(), "AA 01 01 01 01",
         "Failed to get current movement status\nOutput Freq: 0\nInput Freq: 0\nSrc Img Size: 0\nDest Img Size: 0\n", 1},
        {"set-main-stream refused",
         {"set-main-stream", "--resolution", "2160P", "--bitrate", "8M", "--push-mode", "onvif", "--encoder", "H264",
          "--frame-rate", "25", "--packet", "By Slice", "--record", "MP4"},
         badChecksum(),
         "AA 02 07 09 03 05 01 01 01 01 15",
         "Coding setting failed\n",
         1},
        {"dhcp refused", {"dhcp", "on"}, badChecksum(), "AA 21 01 01 01", "DHCP Setup failed\n", 1},
        {"get-push-addr refused", {"get-push-addr"}, upperCasePrefix(),
         "67 65 74 5F 61 64 64 72 72 74 6D 70  \"get_addrrtmp\"", "The module's answer is not an rtmp:// address\n", 1},
    };
    for (const CommandCase& c : cases) {
        for (const bool globalsAfter : {false, true}) {
            SCOPED_TRACE(std::string(c.name) + (globalsAfter ? ", the global options after it" : ""));
            Module module(c.faults);
            const CliRun run = runCli(module.with(c.command, globalsAfter));
            EXPECT_EQ(run.status, c.status);
            EXPECT_EQ(run.out, c.out);
            EXPECT_EQ(run.err, c.err);
            EXPECT_EQ(module.received.lines(1), std::vector<std::string>{c.atModule});
        }
    }
}

// ---- bad input: the dialog's texts, exit 2, nothing sent -------------------

TEST(CliCommands, BadInputIsRefusedWithTheDialogsTextAndNothingIsSent)
{
    const std::vector<std::string> ip{"--gateway", "10.0.0.1", "--dns", "0.0.0.0", "--mask", "255.0.0.0"};
    const auto setIp = [&ip](std::vector<std::string> more) {
        std::vector<std::string> args{"set-ip"};
        args.insert(args.end(), more.begin(), more.end());
        args.insert(args.end(), ip.begin(), ip.end());
        return args;
    };
    const std::vector<std::string> main720{"set-main-stream", "--resolution", "720P", "--push-mode", "RTSP",
                                           "--encoder", "H264", "--frame-rate", "25", "--packet", "By Slice",
                                           "--record", "MP4"};
    auto with = [](std::vector<std::string> base, std::vector<std::string> more) {
        base.insert(base.end(), more.begin(), more.end());
        return base;
    };
    struct Case {
        std::vector<std::string> command;
        std::string firstLine;  // of stderr
    };
    const std::vector<Case> cases{
        {setIp({"--module-ip", "10.0.0.1"}), "Illegal IP address input, please enter a number between (2 - 254)!"},
        {setIp({"--module-ip", "0.0.0.9"}), "Illegal IP address input, please enter a number between (2 - 254)!"},
        {{"set-ip", "--module-ip", "10.0.0.9", "--gateway", "10.0.0.255", "--dns", "0.0.0.0", "--mask", "0.0.0.0"},
         "The gateway address is illegal. Please enter a number between (1 - 254)!"},
        {setIp({"--module-ip", "10.0.0.9", "--udp-ip", "10.0.0.1", "--udp-port", "23003"}),
         "Illegal IP address input, please enter a number between (2-255)!"},
        {setIp({"--module-ip", "10.0.0.9", "--udp-ip", "10.0.0.255", "--udp-port", "1024"}),
         "The port number is not valid. Please enter a number between (1025-65534)!"},
        {setIp({"--module-ip", "10.0.0.9", "--udp-port", "23003"}),
         "Illegal IP address input, please enter a number between (2-255)!"},
        {setIp({"--module-ip", "10.0.0.300"}),
         "nolt-cli set-ip: --module-ip: \"10.0.0.300\" is not an address of four numbers 0 to 255"},
        {{"set-ip", "--module-ip", "10.0.0.9"}, "nolt-cli set-ip: --gateway is required"},
        {with(main720, {"--bitrate", "5M"}),
         "nolt-cli set-main-stream: --bitrate 5M is not offered with --resolution 720P (1M, 1.5M, 2M, 3M, 4M)"},
        {with(main720, {"--bitrate", "9M"}), "nolt-cli set-main-stream: --bitrate: \"9M\" is not one of 1M, 1.5M, "
                                             "2M, 3M, 4M, 5M, 6M, 7M, 8M"},
        // Every value given is read, the last one counts.
        {with(main720, {"--bitrate", "9M", "--bitrate", "1M"}), "nolt-cli set-main-stream: --bitrate: \"9M\" is not "
                                                              "one of 1M, 1.5M, 2M, 3M, 4M, 5M, 6M, 7M, 8M"},
        {with(main720, {"--bitrate", "1M", "--bitrate", "5M"}),
         "nolt-cli set-main-stream: --bitrate 5M is not offered with --resolution 720P (1M, 1.5M, 2M, 3M, 4M)"},
        {{"set-main-stream", "--resolution", "720P"}, "nolt-cli set-main-stream: --bitrate is required"},
        {{"set-sub-stream", "--resolution", "1280*720", "--bitrate", "6M", "--push-mode", "rtsp", "--encoder",
          "h264", "--frame-rate", "25", "--packet", "by-slice"},
         "nolt-cli set-sub-stream: --bitrate 6M is not offered with --resolution 1280*720 (1M, 1.5M, 2M, 3M, 4M)"},
        {{"bandwidth", "1G"}, "nolt-cli bandwidth: \"1G\" is not 10M or 100M"},
        {{"dhcp"}, "nolt-cli dhcp: on|off is required"},
        {{"dhcp", "on", "off"}, "nolt-cli dhcp: unexpected \"off\""},
        {{"dhcp", "on", "--json=false"}, "nolt-cli dhcp: --json takes no value"},
        {{"dhcp", "on", "--timeout"}, "nolt-cli dhcp: --timeout needs a value"},
        {{"status", "version"}, "nolt-cli status: unexpected \"version\""},
        {{"sub-stream", "on"}, "nolt-cli sub-stream: \"on\" is not off (switching on sends nothing: use set-sub-stream)"},
        {{"status", "--fast"}, "nolt-cli status: unknown option --fast"},
        {{"--fast", "status"}, "nolt-cli status: unknown option --fast"},
        {{"reboot"}, "nolt-cli: unknown command \"reboot\""},
        {{"--port", "2000"}, "nolt-cli: no command given"},
    };
    Module module;
    for (const Case& c : cases) {
        const CliRun run = runCli(module.with(c.command));
        EXPECT_EQ(run.status, 2) << c.firstLine;
        EXPECT_EQ(run.out, "");
        EXPECT_EQ(linesOf(run.err).at(0), c.firstLine);
    }
    // The module's address and port are checked as the dialog's Connect checks them.
    for (const auto& args : std::vector<std::vector<std::string>>{
             {"--host", "0.0.0.0", "status"},
             {"--host", "127.0.0.1", "--port", "65535", "status"},
             {"--host", "127.0.0.1:0", "status"},
             {"--host", "not-an-address", "status"}}) {
        const CliRun run = runCli(args);
        EXPECT_EQ(run.status, 2);
        EXPECT_EQ(run.err, "Please enter the correct IP address or port\n");
    }
    std::this_thread::sleep_for(50ms);
    EXPECT_EQ(module.server.connectionsAccepted(), 0);
}

// ---- the hosts file ---------------------------------------------------------

// Each module is a line of the file as written, read as a person reads it;
// a line that is no module ends the reading with its number.
TEST(CliHostsFile, ListsTheModulesWrittenThereAndNoOther)
{
    struct Case {
        std::string file;
        std::string defaultPort;
        std::vector<std::string> modules;  // label, then the address the socket gets
        std::string error = {};
    };
    const std::string badLine = ": Please enter the correct IP address or port";
    const auto tooLong = [](int n) {
        return "hosts.txt: line " + std::to_string(n) + " is longer than 4,096 characters";
    };
    const std::vector<Case> cases{
        {"# bench\n127.0.0.1\n\n  127.0.0.2:2001  # second\r\n", "2000",
         {"127.0.0.1:2000 127.0.0.1", "127.0.0.2:2001 127.0.0.2"}},
        {"192.168.001.010:02100", "2000", {"192.168.001.010:2100 192.168.1.10"}},  // decimal, not octal
        {"127.0.0.1 north\n", "2000", {}, "hosts.txt:1" + badLine},
        {"127.0.0.1\n127.1\n", "2000", {}, "hosts.txt:2" + badLine},
        {"127.0.0.1\n000.0.0.0\n", "2000", {}, "hosts.txt:2" + badLine},
        {"127.0.0.1:65535\n", "2000", {}, "hosts.txt:1" + badLine},
        {"\t5\t2\xE9", "\n55555", {}, "hosts.txt:1" + badLine},  // found by fuzz_hosts_file
        {"# nothing here\n\n", "2000", {}, "nolt-cli: the hosts file hosts.txt names no module\nTry 'nolt-cli --help'."},
        // A line too long to be a module is not read on (a file named by mistake),
        // a comment too; 4,096 characters before its LF or CR LF are taken.
        {"127.0.0.1\n# " + std::string(5000, 'x') + "\n127.0.0.2\n", "2000", {}, tooLong(2)},
        {"127.0.0.1  # " + std::string(4000, 'x') + "\n", "2000", {"127.0.0.1:2000 127.0.0.1"}},
        {"#" + std::string(4095, 'x') + "\r\n127.0.0.2\n", "2000", {"127.0.0.2:2000 127.0.0.2"}},
        {"127.0.0.2" + std::string(4087, ' ') + "\n", "2000", {"127.0.0.2:2000 127.0.0.2"}},
        {"127.0.0.1\n127.0.0.2" + std::string(4088, ' ') + "\r\n", "2000", {}, tooLong(2)},
        {"127.0.0.1\n\n#" + std::string(4096, 'x'), "2000", {}, tooLong(3)},
        {"127.0.0.2\n#" + std::string(4095, 'x'), "2000", {"127.0.0.2:2000 127.0.0.2"}},
    };
    for (const Case& c : cases) {
        const std::size_t size = c.file.size();
        SCOPED_TRACE(size <= 80 ? c.file : c.file.substr(0, 40) + "... (" + std::to_string(size) + " bytes)");
        std::istringstream in(c.file);
        const auto read = cli::readHostsList(in, "hosts.txt", c.defaultPort);
        if (!c.error.empty()) {
            ASSERT_TRUE(std::holds_alternative<std::string>(read));
            EXPECT_EQ(std::get<std::string>(read), c.error);
            continue;
        }
        ASSERT_TRUE(std::holds_alternative<std::vector<cli::Target>>(read)) << std::get<std::string>(read);
        std::vector<std::string> modules;
        for (const cli::Target& t : std::get<std::vector<cli::Target>>(read)) {
            const auto* a = reinterpret_cast<const std::uint8_t*>(&t.address);
            modules.push_back(t.label() + " " + std::to_string(a[0]) + "." + std::to_string(a[1]) + "." +
                              std::to_string(a[2]) + "." + std::to_string(a[3]));
        }
        EXPECT_EQ(modules, c.modules);
    }
}

// The options every command shares are read with the command's own bounds,
// and a refusal names them: a search opens at most 1,024 connections and
// waits at most 60 s, a command to modules 4,096 and 3,600 s. The time-out
// as given, in whole milliseconds, never 0 for a time above 0.
TEST(CliCommandLine, SharedOptionsAreReadWithinTheCommandsOwnBounds)
{
    struct Case {
        std::vector<std::string> args;
        int jobs = 0;
        long long ms = 0;
        std::string error = {};  // the first line
    };
    const auto jobsOver = [](const char* command, const char* most) {
        return std::string("nolt-cli ") + command + ": --jobs takes a number from 1 to " + most;
    };
    const auto timeoutOver = [](const char* command, const char* most) {
        return std::string("nolt-cli ") + command + ": --timeout takes seconds above 0, at most " + most + " (e.g. 0.5)";
    };
    const std::string range = "127.0.0.0/24";
    std::vector<Case> cases{
        {{"status"}, 64, 3000},
        {{"--jobs", "4096", "status"}, 4096, 3000},
        {{"--jobs", "4097", "status"}, 0, 0, jobsOver("status", "4096")},
        {{"status", "--jobs", "0"}, 0, 0, jobsOver("status", "4096")},
        {{"--jobs", "1.5", "status"}, 0, 0, jobsOver("status", "4096")},
        {{"scan", range}, 256, 500},
        {{"--jobs", "1024", "scan", range}, 1024, 500},
        {{"--jobs", "4096", "scan", range}, 0, 0, jobsOver("scan", "1024")},
        {{"scan", range, "--jobs", "2000"}, 0, 0, jobsOver("scan", "1024")},
        {{"scan", range, "--jobs", "1e3"}, 0, 0, jobsOver("scan", "1024")},
        {{"--timeout", "60", "scan", range}, 256, 60000},
        {{"--timeout", "61", "scan", range}, 0, 0, timeoutOver("scan", "60")},
        {{"scan", range, "--timeout", "0"}, 0, 0, timeoutOver("scan", "60")},
        {{"scan", range, "--port", "65535"}, 0, 0, "nolt-cli scan: --port takes a number from 1 to 65534"},
        {{"--port", "0", "scan", range}, 0, 0, "nolt-cli scan: --port takes a number from 1 to 65534"},
        {{"--timeout", "3", "version"}, 64, 3000},
        {{"--timeout", "0.5", "version"}, 64, 500},
        {{"--timeout", "0.0004", "version"}, 64, 1},
        {{"--timeout", "3600", "version"}, 64, 3600000},
        {{"--timeout", "1e3", "version"}, 64, 1000000},
        {{"--timeout", "0.0000000000000000000000000000000000000000000000000000005", "version"}, 64, 1},  // was 0 ms
        {{"--timeout", "3600.1", "version"}, 0, 0, timeoutOver("version", "3600")},
        {{"--timeout", "61", "version"}, 64, 61000},
    };
    for (const char* bad : {"0", "-1", "nan", "inf", "5s"})
        cases.push_back({{"--timeout", bad, "version"}, 0, 0, timeoutOver("version", "3600")});
    for (const Case& c : cases) {
        std::vector<std::string> args = c.args;
        if (std::find(args.begin(), args.end(), "scan") == args.end()) args.insert(args.begin(), {"--host", "127.0.0.1"});
        SCOPED_TRACE(::testing::PrintToString(args));
        const cli::CommandLine line = cli::readCommandLine(args);
        if (!c.error.empty()) {
            ASSERT_TRUE(std::holds_alternative<cli::Immediate>(line));
            EXPECT_EQ(std::get<cli::Immediate>(line).status, cli::kExitBadInput);
            EXPECT_EQ(linesOf(std::get<cli::Immediate>(line).err).at(0), c.error);
            continue;
        }
        if (const auto* scan = std::get_if<cli::ScanRequest>(&line)) {
            EXPECT_EQ(scan->settings.jobs, c.jobs);
            EXPECT_EQ(scan->settings.timeout.count(), c.ms);
            continue;
        }
        ASSERT_TRUE(std::holds_alternative<cli::Invocation>(line));
        EXPECT_EQ(std::get<cli::Invocation>(line).jobs, c.jobs);
        EXPECT_EQ(std::get<cli::Invocation>(line).timeout.count(), c.ms);
    }
}

// ---- a module that never answers ------------------------------------------

TEST(CliCommands, SilentModuleEndsInTheTimeoutWithExitOne)
{
    sim::Faults silent;
    silent.silent = true;
    Module module(silent);
    const CliRun run = runCli(module.with({"--timeout", "0.3", "version"}));
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "No answer from the module within 300 ms\n");
    EXPECT_GE(run.seconds, 0.28);
    EXPECT_LT(run.seconds, 1.5);
    EXPECT_EQ(module.received.lines(1), std::vector<std::string>{"AA 05 01 01 01"});
}

// ---- many modules ----------------------------------------------------------

struct Batch {
    Batch() : many(options(), 17, received.sink()), slow(slowOptions(), received.sink()), silent(silentOptions())
    {
        EXPECT_TRUE(many.start());
        EXPECT_TRUE(slow.start());
        EXPECT_TRUE(silent.start());
        // A port nobody listens on: taken from the system, then let go.
        auto probe = TcpListener::open("127.0.0.1", 0);
        deadPort = probe->port();
        probe->close();

        hostsFile = std::filesystem::temp_directory_path() /
                    ("nolt-cli-hosts-" + std::to_string(Clock::now().time_since_epoch().count()) + ".txt");
        std::ofstream f(hostsFile);
        f << "# twenty modules: seventeen in one simulator, one slow, two dead\n\n";
        const auto ports = many.ports();
        // The first is given without a port: --port supplies it.
        f << "127.0.0.1   # the default port\n";
        for (std::size_t i = 1; i < ports.size(); ++i) f << "127.0.0.1:" << ports[i] << "\n";
        f << "127.0.0.1:" << slow.port() << "\n127.0.0.1:" << silent.port() << "\n127.0.0.1:" << deadPort << "\n";
    }
    ~Batch() { std::filesystem::remove(hostsFile); }

    static sim::ServerOptions options()
    {
        sim::ServerOptions o;
        o.port = 0;
        return o;
    }
    static sim::ServerOptions slowOptions()
    {
        auto o = options();
        o.module.faults.delayMs = 400;
        return o;
    }
    static sim::ServerOptions silentOptions()
    {
        auto o = options();
        o.module.faults.silent = true;
        return o;
    }
    std::vector<std::string> args(std::vector<std::string> more) const
    {
        std::vector<std::string> a{"--hosts", hostsFile.string(), "--port", std::to_string(many.ports()[0]),
                                   "--timeout", "1"};
        a.insert(a.end(), more.begin(), more.end());
        return a;
    }

    Received received;
    sim::MultiServer many;
    sim::SimServer slow;
    sim::SimServer silent;
    std::uint16_t deadPort = 0;
    std::filesystem::path hostsFile;
};

TEST(CliBatch, TwentyModulesTwoDeadOneSlowEachWithItsOwnOutcome)
{
    Batch batch;
    const CliRun run = runCli(batch.args({"bandwidth", "10M"}));
    EXPECT_EQ(run.status, 1);
    EXPECT_LT(run.seconds, 1.8) << "a dead module held up the batch";
    // Eighteen modules received the frame once each; the silent one too.
    const auto atModules = batch.received.lines(18);
    EXPECT_EQ(std::count(atModules.begin(), atModules.end(), "AA 20 01 01 01"), 18);

    const auto lines = linesOf(run.out);
    ASSERT_EQ(lines.size(), 20u + 1 + 6) << run.out;  // a line each, a blank, the table
    std::map<std::string, std::string> byHost;
    for (std::size_t i = 0; i < 20; ++i) byHost[lines[i].substr(0, lines[i].find("  "))] = lines[i];
    ASSERT_EQ(byHost.size(), 20u);
    const std::string silentPort = std::to_string(batch.silent.port());
    const std::string deadPort = std::to_string(batch.deadPort);
    for (const auto& [host, line] : byHost) {
        const std::string port = host.substr(host.rfind(':') + 1);
        const bool silent = port == silentPort;
        const bool dead = port == deadPort;
        const std::string expected = dead     ? "link failed  exit 1  "
                                     : silent ? "no answer  exit 1  "
                                              : "confirmed  exit 0  ";
        EXPECT_EQ(line.substr(host.size() + 2, expected.size()), expected) << line;
        if (!dead && !silent) {
            EXPECT_TRUE(line.ends_with("Network bandwidth 10m set successfully")) << line;
        }
    }
    EXPECT_TRUE(byHost["127.0.0.1:" + std::to_string(batch.deadPort)].ends_with("Connection failed, please try again."));
    EXPECT_TRUE(byHost["127.0.0.1:" + std::to_string(batch.silent.port())].ends_with("within 1 s"));
    const std::vector<std::string> table(lines.begin() + 21, lines.end());
    EXPECT_EQ(table[0], "Outcome       Modules  Exit");
    EXPECT_EQ(table[1], "confirmed          18     0");
    EXPECT_EQ(table[2], "refused             0     1");
    EXPECT_EQ(table[3], "no answer           1     1");
    EXPECT_EQ(table[4], "link failed         1     1");
    EXPECT_TRUE(table[5].starts_with("all                20        in ")) << table[5];
}

TEST(CliBatch, JsonGivesOneParsedObjectPerModuleAndTheBoundOnLinksHolds)
{
    Batch batch;
    const CliRun run = runCli(batch.args({"--jobs", "3", "--json", "version"}));
    EXPECT_EQ(run.status, 1);
    EXPECT_LT(run.seconds, 1.8);
    const auto lines = linesOf(run.out);
    ASSERT_EQ(lines.size(), 20u);
    int confirmed = 0;
    for (const std::string& line : lines) {
        const auto j = nlohmann::ordered_json::parse(line, nullptr, false);
        ASSERT_FALSE(j.is_discarded()) << line;
        std::vector<std::string> keys;
        for (const auto& item : j.items()) keys.push_back(item.key());
        EXPECT_EQ(keys, (std::vector<std::string>{"host", "port", "command", "outcome", "exit", "lines", "fields", "sent",
                                                  "received", "ms"}));
        EXPECT_EQ(j["host"], "127.0.0.1");
        EXPECT_EQ(j["command"], "version");
        EXPECT_EQ(j["sent"], j["outcome"] == "link failed" ? "" : "AA 05 01 01 01");
        const auto port = j["port"].get<std::uint16_t>();
        if (port == batch.deadPort) {
            EXPECT_EQ(j["outcome"], "link failed");
            EXPECT_EQ(j["exit"], 1);
            EXPECT_EQ(j["lines"].at(0), "Connection failed, please try again.");
            continue;
        }
        if (port == batch.silent.port()) {
            EXPECT_EQ(j["outcome"], "no answer");
            EXPECT_GE(j["ms"].get<double>(), 990);
            EXPECT_TRUE(j["received"].empty());
            continue;
        }
        ++confirmed;
        EXPECT_EQ(j["outcome"], "confirmed");
        EXPECT_EQ(j["exit"], 0);
        EXPECT_EQ(j["lines"].at(0), "Version number query succeeded");
        EXPECT_EQ(j["fields"]["version"], "7");
        ASSERT_EQ(j["received"].size(), 1u);
        EXPECT_EQ(j["received"][0], "AA 05 04 00 00 00 07 07");
        // Only the slow module takes its 400 ms; the others are not held up by it.
        if (port == batch.slow.port()) EXPECT_GE(j["ms"].get<double>(), 390);
        else EXPECT_LT(j["ms"].get<double>(), 390);
    }
    EXPECT_EQ(confirmed, 18);
}

// A JSON line keeps its keys' order and "ms" its three decimals, and text
// that is not UTF-8 is replaced, not refused.
TEST(CliJson, LinesKeepTheirOrderTheTimesDecimalsAndAnyText)
{
    using nlohmann::ordered_json;
    const struct {
        ordered_json object;
        double seconds;
        std::string line;
    } cases[] = {
        {ordered_json{{"host", "127.0.0.1"}, {"port", 2000}}, 0.002, R"({"host":"127.0.0.1","port":2000,"ms":2.000})"},
        {ordered_json{{"z", 1}, {"a", 2}}, 0.0015334, R"({"z":1,"a":2,"ms":1.533})"},
        {ordered_json{{"lines", {"tab\there", "\x01"}}}, 0, R"({"lines":["tab\there","\u0001"],"ms":0.000})"},
        {ordered_json{{"version", "7\xFF\xC3"}}, 1.5, "{\"version\":\"7\xEF\xBF\xBD\xEF\xBF\xBD\",\"ms\":1500.000}"},
        {ordered_json::object(), 0.0001, R"({"ms":0.100})"},
    };
    for (const auto& c : cases) EXPECT_EQ(cli::jsonLine(c.object, c.seconds), c.line);
}

// The modules of one simulator keep their own settings: an address
// uploaded to one is not the other's.
TEST(CliBatch, EachSimulatedModuleKeepsItsOwnState)
{
    sim::MultiServer many(Batch::options(), 2);
    ASSERT_TRUE(many.start());
    const auto ports = many.ports();
    ASSERT_EQ(ports.size(), 2u);
    EXPECT_EQ(ports[1], ports[0] + 1);
    const auto at = [&](std::uint16_t port, std::vector<std::string> command) {
        command.insert(command.begin(), {"--host", "127.0.0.1:" + std::to_string(port)});
        return runCli(command);
    };
    EXPECT_EQ(at(ports[0], {"set-push-addr", "rtmp://first/live"}).status, 0);
    // One client at a time: the next is served after the upload's bytes are read.
    EXPECT_EQ(at(ports[0], {"get-push-addr"}).out, "rtmp://first/live\n");
    EXPECT_EQ(at(ports[1], {"get-push-addr"}).out, "rtmp://127.0.0.1/live/stream\n");
}

// ---- the trace -------------------------------------------------------------

void expectTrace(const std::string& text, std::uint16_t port, const std::vector<std::string>& blocks)
{
    const auto lines = linesOf(text);
    ASSERT_EQ(lines.size(), blocks.size()) << text;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string form = R"(\d\d:\d\d:\d\d\.\d\d\d 127\.0\.0\.1:)" + std::to_string(port) + " " +
                                 test::literally(blocks[i]);
        EXPECT_TRUE(test::matchesWhole(lines[i], form)) << lines[i];
    }
}

TEST(CliTrace, CliAndDialogLinkTraceEveryBlockInTheSimulatorsForm)
{
    Module module;
    const CliRun run = runCli(module.with({"--trace", "get-push-addr"}));
    EXPECT_EQ(run.status, 0);
    expectTrace(run.err, module.server.port(),
                {"-> 67 65 74 5F 61 64 64 72 72 74 6D 70  \"get_addrrtmp\"",
                 "<- 72 74 6D 70 3A 2F 2F 31 32 37 2E 30 2E 30 2E 31 2F 6C 69 76 65 2F 73 74 72 65 61 6D  "
                 "\"rtmp://127.0.0.1/live/stream\""});

    // The dialog's link writes the same lines to its trace.
    std::ostringstream file;
    {
        test::RecordingUi ui;
        Link link(ui, std::make_shared<TraceSink>(file));
        ASSERT_TRUE(link.connect(L"127.0.0.1", std::to_wstring(module.server.port())));
        ASSERT_TRUE(ui.waitForLog(L"Connection to server succeeded."));
        link.sendCommandFrame(versionQueryFrame());
        ASSERT_TRUE(ui.waitForLog(L"Version number query succeeded"));
        link.stop([] {});
    }
    expectTrace(file.str(), module.server.port(), {"-> AA 05 01 01 01  Version query", "<- AA 05 04 00 00 00 07 07  Version report"});
}

TEST(CliHelp, EveryLevelHasHelpAndTheVersionIsTheProjects)
{
    const CliRun top = runCli({"--help"});
    EXPECT_EQ(top.status, 0);
    for (const char* command : {"status", "version", "set-ip", "set-main-stream", "set-sub-stream", "sub-stream",
                                "bandwidth", "dhcp", "get-push-addr", "set-push-addr"}) {
        EXPECT_NE(top.out.find(std::string("\n  ") + command + " "), std::string::npos) << command;
        const CliRun help = runCli({command, "--help"});
        EXPECT_EQ(help.status, 0);
        EXPECT_TRUE(help.out.starts_with(std::string("Usage: nolt-cli [global options] ") + command)) << help.out;
    }
    EXPECT_NE(runCli({"set-main-stream", "--help"}).out.find("\"By Slice\", \"By Frame\""), std::string::npos);
    EXPECT_EQ(runCli({"--version"}).out, "nolt-cli 1.0.0\n");
    EXPECT_EQ(runCli({}).status, 2);
}

}  // namespace
}  // namespace nolt
