#include "cli/cli.h"

#include "cli/commands.h"
#include "cli/report.h"
#include "cli/runner.h"
#include "cli/scan_command.h"
#include "cli/text.h"
#include "link/connect_input.h"
#include "link/link_texts.h"
#include "platform/socket_poll.h"

#include <charconv>
#include <chrono>
#include <fstream>
#include <optional>

#ifndef NOLT_VERSION
#define NOLT_VERSION "unknown"
#endif

namespace nolt::cli {

namespace {

constexpr std::uint16_t kDefaultPort = 2000;  // the dialog's start-up port
constexpr int kMaxJobs = 4096;
constexpr double kMaxTimeoutSeconds = 3600;

struct Globals {
    std::optional<std::string> host;
    std::string portText = std::to_string(kDefaultPort);
    std::optional<std::string> hostsFile;
    int jobs = 64;
    std::chrono::milliseconds timeout{3000};
    bool json = false;
    bool trace = false;
};

struct Failure {
    std::string message;  // printed on err, exit 2
};

std::string usageError(const std::string& why) { return "nolt-cli: " + why + "\nTry 'nolt-cli --help'."; }

std::optional<std::chrono::milliseconds> readTimeout(const std::string& text)
{
    double seconds = 0;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, seconds);
    if (ec != std::errc() || ptr != end || !(seconds > 0) || seconds > kMaxTimeoutSeconds) return std::nullopt;
    return std::chrono::milliseconds(static_cast<long long>(seconds * 1000.0 + 0.5));
}

std::optional<int> readCount(const std::string& text, int highest)
{
    int n = 0;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, n);
    if (ec != std::errc() || ptr != end || n < 1 || n > highest) return std::nullopt;
    return n;
}

// The address and port checked as the dialog checks its Connect inputs.
std::optional<Target> makeTarget(const std::string& host, const std::string& portText)
{
    const std::wstring address = wide(host);
    const int port = readPortText(wide(portText));
    if (!connectInputAcceptable(address, port)) return std::nullopt;
    const auto parsed = readAddressText(address);
    if (!parsed) return std::nullopt;
    return Target{host, static_cast<std::uint16_t>(port), *parsed};
}

// "host" or "host:port".
std::optional<Target> targetOf(const std::string& text, const std::string& defaultPort)
{
    const std::size_t colon = text.find(':');
    if (colon == std::string::npos) return makeTarget(text, defaultPort);
    return makeTarget(text.substr(0, colon), text.substr(colon + 1));
}

std::string trimmed(const std::string& text)
{
    const std::size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

// One "host[:port]" a line; "#" starts a comment; blank lines are skipped.
std::variant<std::vector<Target>, Failure> readHostsFile(const std::string& path, const std::string& defaultPort)
{
    std::ifstream in(path);
    if (!in) return Failure{usageError("cannot read the hosts file " + path)};
    std::vector<Target> targets;
    std::string line;
    for (int number = 1; std::getline(in, line); ++number) {
        const std::string text = trimmed(line.substr(0, line.find('#')));
        if (text.empty()) continue;
        const auto target = targetOf(text, defaultPort);
        if (!target) return Failure{path + ":" + std::to_string(number) + ": " + utf8(kLinkBadInput)};
        targets.push_back(*target);
    }
    if (targets.empty()) return Failure{usageError("the hosts file " + path + " names no module")};
    return targets;
}

// Reads the global options up to the command's name.
std::variant<Globals, Failure, std::string> readGlobals(const std::vector<std::string>& args, std::size_t& at)
{
    Globals g;
    for (; at < args.size() && args[at].starts_with("-"); ++at) {
        const std::string& word = args[at];
        if (word == "--help" || word == "-h") return usageText();
        if (word == "--version") return std::string("nolt-cli " NOLT_VERSION "\n");
        if (word == "--json") { g.json = true; continue; }
        if (word == "--trace") { g.trace = true; continue; }
        const std::size_t eq = word.find('=');
        const std::string name = word.substr(0, eq);
        std::string value;
        if (eq != std::string::npos) {
            value = word.substr(eq + 1);
        } else if (name == "--host" || name == "--port" || name == "--hosts" || name == "--jobs" || name == "--timeout") {
            if (at + 1 >= args.size()) return Failure{usageError(name + " needs a value")};
            value = args[++at];
        }
        if (name == "--host") g.host = value;
        else if (name == "--port") g.portText = value;
        else if (name == "--hosts") g.hostsFile = value;
        else if (name == "--jobs") {
            const auto n = readCount(value, kMaxJobs);
            if (!n) return Failure{usageError("--jobs takes a number from 1 to " + std::to_string(kMaxJobs))};
            g.jobs = *n;
        } else if (name == "--timeout") {
            const auto t = readTimeout(value);
            if (!t) return Failure{usageError("--timeout takes seconds above 0, at most 3600 (e.g. 0.5)")};
            g.timeout = *t;
        } else {
            return Failure{usageError("unknown option " + name)};
        }
    }
    return g;
}

std::variant<std::vector<Target>, Failure> targetsOf(const Globals& g)
{
    if (g.host && g.hostsFile) return Failure{usageError("give either --host or --hosts, not both")};
    if (g.hostsFile) return readHostsFile(*g.hostsFile, g.portText);
    if (!g.host) return Failure{usageError("no module given: use --host ADDRESS or --hosts FILE")};
    const auto target = g.host->find(':') == std::string::npos ? makeTarget(*g.host, g.portText)
                                                               : targetOf(*g.host, g.portText);
    if (!target) return Failure{utf8(kLinkBadInput)};
    return std::vector<Target>{*target};
}

}  // namespace

std::string usageText()
{
    return "Usage: nolt-cli [--host H] [--port P] [--hosts FILE] [--jobs N] [--timeout SECONDS]\n"
           "                [--json] [--trace] COMMAND [ARGS]\n"
           "Configures camera modules from scripts: each command sends its frame to the module,\n"
           "waits for the reply and prints what the PC client's dialog would show.\n\n"
           "Commands (nolt-cli COMMAND --help tells more):\n" +
           commandSummary() + scanSummary() +
           "\nOptions:\n"
           "  --host H          the module's IPv4 address, optionally H:PORT\n"
           "  --port P          the module's port (default 2000)\n"
           "  --hosts FILE      run against every module in FILE at once: one host[:port] a\n"
           "                    line, '#' starts a comment; a summary table closes the output\n"
           "  --jobs N          at most N modules at a time (default 64)\n"
           "  --timeout S       seconds each module has to answer (default 3)\n"
           "  --json            one JSON object per module (a line each) instead of text\n"
           "  --trace           every block sent and received on stderr, time-stamped, in hex\n"
           "  --version         print the version\n"
           "  --help            this text\n\n"
           "Exit status: 0 when every module confirmed, 1 when one refused, did not answer or\n"
           "could not be reached, 2 for bad input (then nothing is sent).\n"
           "The dialog writes the same trace to a file when NOLT_PCCLIENT_TRACE=FILE is set.\n";
}

int runCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    std::size_t at = 0;
    const auto globals = readGlobals(args, at);
    if (const auto* text = std::get_if<std::string>(&globals)) {
        out << *text;
        return kExitConfirmed;
    }
    if (const auto* failure = std::get_if<Failure>(&globals)) {
        err << failure->message << '\n';
        return kExitBadInput;
    }
    const Globals& g = std::get<Globals>(globals);
    if (at >= args.size()) {
        err << usageError("no command given") << '\n';
        return kExitBadInput;
    }
    if (args[at] == "scan") {
        // Options given before the command count as the scan's own.
        std::vector<std::string> scanArgs(args.begin() + static_cast<std::ptrdiff_t>(at) + 1, args.end());
        scanArgs.insert(scanArgs.end(), args.begin(), args.begin() + static_cast<std::ptrdiff_t>(at));
        return runScanCommand(scanArgs, out, err);
    }

    const CommandParse parsed = parseCommand(std::span(args).subspan(at));
    if (const auto* help = std::get_if<HelpText>(&parsed)) {
        out << help->text;
        return kExitConfirmed;
    }
    if (const auto* error = std::get_if<InputError>(&parsed)) {
        err << error->message << '\n';
        return kExitBadInput;
    }
    const Request& request = std::get<Request>(parsed);

    const auto targets = targetsOf(g);
    if (const auto* failure = std::get_if<Failure>(&targets)) {
        err << failure->message << '\n';
        return kExitBadInput;
    }
    const auto& modules = std::get<std::vector<Target>>(targets);

    // The dialog's warnings only warn: the frame still goes.
    for (const std::wstring& warning : request.warnings) err << utf8(warning) << '\n';

    raiseOpenFileLimit();
    TraceSink trace(err);
    RunSettings settings;
    settings.jobs = g.jobs;
    settings.timeout = g.timeout;
    settings.trace = g.trace ? &trace : nullptr;
    const bool batch = g.hostsFile.has_value();
    settings.finished = [&](const ModuleResult& r) {
        if (g.json) out << jsonObject(r, request.command) << '\n';
        else if (batch) out << outcomeLine(r) << '\n';
        else printSingle(r, out, err);
        out.flush();
    };
    const auto start = std::chrono::steady_clock::now();
    const auto results = runRequest(request, modules, settings);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (batch && !g.json) out << '\n' << summaryTable(results, seconds);

    for (const ModuleResult& r : results)
        if (exitStatus(r.outcome) != 0) return kExitFailed;
    return kExitConfirmed;
}

}  // namespace nolt::cli
