#include "cli/command_line.h"

#include "cli/commands.h"
#include "cli/scan_command_line.h"
#include "cli/text.h"
#include "link/connect_input.h"
#include "link/link_texts.h"

#include <algorithm>
#include <charconv>
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

Immediate badInput(const std::string& message) { return Immediate{kExitBadInput, {}, message + "\n"}; }

std::optional<std::chrono::milliseconds> readTimeout(const std::string& text)
{
    double seconds = 0;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, seconds);
    if (ec != std::errc() || ptr != end || !(seconds > 0) || seconds > kMaxTimeoutSeconds) return std::nullopt;
    // A time above 0 but below half a millisecond is still a time to wait:
    // rounded to 0 it would end every module's wait before it began.
    return std::chrono::milliseconds(std::max(1LL, static_cast<long long>(seconds * 1000.0 + 0.5)));
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

std::variant<std::vector<Target>, Failure> readHostsFile(const HostsOpener& open, const std::string& path,
                                                        const std::string& defaultPort)
{
    const std::unique_ptr<std::istream> in = open(path);
    if (!in) return Failure{usageError("cannot read the hosts file " + path)};
    auto list = readHostsList(*in, path, defaultPort);
    if (auto* message = std::get_if<std::string>(&list)) return Failure{std::move(*message)};
    return std::get<std::vector<Target>>(std::move(list));
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

std::variant<std::vector<Target>, Failure> targetsOf(const Globals& g, const HostsOpener& open)
{
    if (g.host && g.hostsFile) return Failure{usageError("give either --host or --hosts, not both")};
    if (g.hostsFile) return readHostsFile(open, *g.hostsFile, g.portText);
    if (!g.host) return Failure{usageError("no module given: use --host ADDRESS or --hosts FILE")};
    const auto target = g.host->find(':') == std::string::npos ? makeTarget(*g.host, g.portText)
                                                               : targetOf(*g.host, g.portText);
    if (!target) return Failure{utf8(kLinkBadInput)};
    return std::vector<Target>{*target};
}

}  // namespace

std::unique_ptr<std::istream> openHostsFile(const std::string& path)
{
    auto in = std::make_unique<std::ifstream>(path);
    if (!*in) return nullptr;
    return in;
}

namespace {

// No module line comes near this; a longer one is not read on, so that a
// file named by mistake (a disk image, /dev/zero) is refused at once
// instead of being read into memory whole. It holds for every line, a
// comment too, and counts the characters before the line's end, which is
// a LF or a CR LF alike.
constexpr std::size_t kLongestHostsLine = 4096;
constexpr const char* kLineTooLong = " is longer than 4,096 characters";

enum class LineRead { Line, TooLong, End };

LineRead readHostsLine(std::istream& in, std::string& line)
{
    line.clear();
    for (int c = in.get(); c != std::char_traits<char>::eof(); c = in.get()) {
        if (c == '\n') {
            const bool crlf = !line.empty() && line.back() == '\r';
            return line.size() - (crlf ? 1 : 0) > kLongestHostsLine ? LineRead::TooLong : LineRead::Line;
        }
        // One character more is held: it may be the CR of a CR LF.
        if (line.size() > kLongestHostsLine) return LineRead::TooLong;
        line.push_back(static_cast<char>(c));
    }
    if (line.empty()) return LineRead::End;
    return line.size() > kLongestHostsLine ? LineRead::TooLong : LineRead::Line;
}

}  // namespace

std::variant<std::vector<Target>, std::string> readHostsList(std::istream& in, const std::string& name,
                                                             const std::string& defaultPort)
{
    std::vector<Target> targets;
    std::string line;
    for (int number = 1;; ++number) {
        const LineRead read = readHostsLine(in, line);
        if (read == LineRead::End) break;
        if (read == LineRead::TooLong) return name + ": line " + std::to_string(number) + kLineTooLong;
        const std::string badLine = name + ":" + std::to_string(number) + ": " + utf8(kLinkBadInput);
        const std::string text = trimmed(line.substr(0, line.find('#')));
        if (text.empty()) continue;
        const auto target = targetOf(text, defaultPort);
        if (!target) return badLine;
        targets.push_back(*target);
    }
    if (targets.empty()) return usageError("the hosts file " + name + " names no module");
    return targets;
}

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

CommandLine readCommandLine(const std::vector<std::string>& args, const HostsOpener& open)
{
    std::size_t at = 0;
    const auto globals = readGlobals(args, at);
    if (const auto* text = std::get_if<std::string>(&globals)) return Immediate{kExitConfirmed, *text, {}};
    if (const auto* failure = std::get_if<Failure>(&globals)) return badInput(failure->message);
    const Globals& g = std::get<Globals>(globals);
    if (at >= args.size()) return badInput(usageError("no command given"));
    if (args[at] == "scan") {
        ScanCall scan{{args.begin() + static_cast<std::ptrdiff_t>(at) + 1, args.end()}};
        scan.args.insert(scan.args.end(), args.begin(), args.begin() + static_cast<std::ptrdiff_t>(at));
        return scan;
    }

    CommandParse parsed = parseCommand(std::span(args).subspan(at));
    if (const auto* help = std::get_if<HelpText>(&parsed)) return Immediate{kExitConfirmed, help->text, {}};
    if (const auto* error = std::get_if<InputError>(&parsed)) return badInput(error->message);

    auto targets = targetsOf(g, open);
    if (const auto* failure = std::get_if<Failure>(&targets)) return badInput(failure->message);

    Invocation run;
    run.request = std::get<Request>(std::move(parsed));
    run.targets = std::get<std::vector<Target>>(std::move(targets));
    run.batch = g.hostsFile.has_value();
    run.json = g.json;
    run.trace = g.trace;
    run.jobs = g.jobs;
    run.timeout = g.timeout;
    return run;
}

}  // namespace nolt::cli
