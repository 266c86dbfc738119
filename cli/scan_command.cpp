#include "cli/scan_command.h"

#include "cli/cli.h"
#include "cli/text.h"
#include "link/connect_input.h"
#include "platform/socket_poll.h"
#include "scan/scanner.h"

#include <charconv>
#include <cstdio>
#include <optional>
#include <variant>

namespace nolt::cli {

namespace {

constexpr double kMaxTimeoutSeconds = 60;
constexpr int kMaxJobs = static_cast<int>(kMaxScanAddresses);

enum class Form { Text, Json, List };

struct ScanRequest {
    ScanRange range;
    ScanSettings settings;
    Form form = Form::Text;
};

struct Usage {
    std::string message;
};

std::string usage(const std::string& why) { return "nolt-cli scan: " + why + "\nTry 'nolt-cli scan --help'."; }

std::string helpText()
{
    return "Usage: nolt-cli scan RANGE [--port P] [--timeout S] [--jobs N] [--json] [--list]\n"
           "Finds the modules in an address range: each address is asked for its version on\n"
           "the module's port, many at once, and those that answer are listed in address order\n"
           "with their version and the time the answer took, then a count line.\n\n"
           "RANGE is 192.168.2.0/24, 192.168.2.10-192.168.2.60, 192.168.2.10-60 or one address.\n"
           "Only private (10/8, 172.16/12, 192.168/16), link-local (169.254/16) and loopback\n"
           "(127/8) addresses are searched, at most 1024 at once.\n\n"
           "  --port P      the modules' port (default 2000)\n"
           "  --timeout S   seconds each address has for the connect and the answer (default 0.5)\n"
           "  --jobs N      at most N connections at once (default 256)\n"
           "  --json        one JSON object a line per address that answered\n"
           "  --list        host:port lines of the modules, as --hosts takes them\n\n"
           "An address whose port is open but gives no version answer is listed as\n"
           "\"no module answer\". Exit status: 0 when a module was found, 1 when none, 2 for\n"
           "bad input (then nothing is sent).\n";
}

std::optional<double> readDecimal(const std::string& text, double lowest, double highest)
{
    double value = 0;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (ec != std::errc() || ptr != end || !(value >= lowest) || value > highest) return std::nullopt;
    return value;
}

// Applies one option with its value; an error text when it is refused.
std::optional<std::string> applyOption(ScanRequest& r, const std::string& name, const std::string& value)
{
    if (name == "--port") {
        const int port = readPortText(wide(value));
        if (port < 1 || port > 65534) return usage("--port takes a number from 1 to 65534");
        r.settings.port = static_cast<std::uint16_t>(port);
    } else if (name == "--timeout") {
        const auto seconds = readDecimal(value, 0.001, kMaxTimeoutSeconds);
        if (!seconds) return usage("--timeout takes seconds from 0.001 to 60 (e.g. 0.5)");
        r.settings.timeout = std::chrono::milliseconds(static_cast<long long>(*seconds * 1000.0 + 0.5));
    } else if (name == "--jobs") {
        const auto jobs = readDecimal(value, 1, kMaxJobs);
        if (!jobs || *jobs != static_cast<int>(*jobs)) return usage("--jobs takes a number from 1 to 1024");
        r.settings.jobs = static_cast<int>(*jobs);
    } else if (name == "--host" || name == "--hosts") {
        return usage(name + " does not apply: the range names the addresses");
    } else {
        return usage("unknown option " + name);
    }
    return std::nullopt;
}

bool takesValue(const std::string& name)
{
    return name == "--port" || name == "--timeout" || name == "--jobs" || name == "--host" || name == "--hosts";
}

std::variant<ScanRequest, Usage, std::string> readScanArguments(const std::vector<std::string>& args)
{
    ScanRequest r;
    std::vector<std::string> words;
    bool json = false, list = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& word = args[i];
        if (word == "--help" || word == "-h") return helpText();
        if (!word.starts_with("--")) {
            words.push_back(word);
            continue;
        }
        if (word == "--json" || word == "--list") {
            (word == "--json" ? json : list) = true;
            continue;
        }
        if (word == "--trace") return Usage{usage("--trace does not apply to a scan")};
        const std::size_t eq = word.find('=');
        const std::string name = word.substr(0, eq);
        std::string value;
        if (eq != std::string::npos) value = word.substr(eq + 1);
        else if (takesValue(name) && i + 1 < args.size()) value = args[++i];
        else if (takesValue(name)) return Usage{usage(name + " needs a value")};
        if (auto error = applyOption(r, name, value)) return Usage{*error};
    }
    if (json && list) return Usage{usage("give --json or --list, not both")};
    if (words.empty()) return Usage{usage("needs a RANGE, such as 192.168.2.0/24")};
    if (words.size() > 1) return Usage{usage("unexpected \"" + words[1] + "\" after the range")};
    auto range = parseScanRange(words[0]);
    if (const auto* error = std::get_if<ScanRangeError>(&range)) return Usage{"nolt-cli scan: " + error->message};
    r.range = std::get<ScanRange>(range);
    if (const auto refused = scanRefusedHere(r.range)) return Usage{"nolt-cli scan: " + *refused};
    r.form = json ? Form::Json : list ? Form::List : Form::Text;
    return r;
}

std::string hostPort(const ScanResult& r, std::uint16_t port) { return dottedText(r.address) + ":" + std::to_string(port); }

std::string count(std::size_t n, const char* one, const char* many)
{
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

std::string resultLine(const ScanResult& r, const ScanRequest& q)
{
    const std::string what = r.verdict == ScanVerdict::Module ? "version " + utf8(r.version) : "no module answer";
    char line[128];
    std::snprintf(line, sizeof line, "%-21s  %-16s  %s", hostPort(r, q.settings.port).c_str(), what.c_str(),
                  secondsText(r.seconds).c_str());
    return line;
}

std::string jsonLine(const ScanResult& r, const ScanRequest& q)
{
    char ms[32];
    std::snprintf(ms, sizeof ms, "%.3f", r.seconds * 1000.0);
    std::string json = "{\"host\":\"" + dottedText(r.address) + "\",\"port\":" + std::to_string(q.settings.port);
    if (r.verdict == ScanVerdict::Module) json += ",\"outcome\":\"module\",\"version\":\"" + utf8(r.version) + "\"";
    else json += ",\"outcome\":\"no module answer\"";
    return json + ",\"ms\":" + ms + "}";
}

std::string countLine(const ScanOutcome& outcome, std::size_t modules, std::size_t open, std::size_t addresses)
{
    return count(modules, "module", "modules") + " found; " + count(open, "address", "addresses") +
           " with the port open but no module answer; " + count(addresses, "address", "addresses") +
           " searched in " + secondsText(outcome.seconds);
}

void print(const ScanOutcome& outcome, const ScanRequest& q, std::ostream& out)
{
    std::size_t modules = 0, open = 0;
    for (const ScanResult& r : outcome.results) {
        if (r.verdict == ScanVerdict::Nothing) continue;
        r.verdict == ScanVerdict::Module ? ++modules : ++open;
        if (q.form == Form::Json) out << jsonLine(r, q) << '\n';
        else if (q.form == Form::Text) out << resultLine(r, q) << '\n';
        else if (r.verdict == ScanVerdict::Module) out << hostPort(r, q.settings.port) << '\n';
    }
    const std::string summary = countLine(outcome, modules, open, q.range.size());
    // A comment line keeps the list usable as a --hosts file.
    if (q.form == Form::List) out << "# " << summary << '\n';
    else if (q.form == Form::Text) out << summary << '\n';
}

}  // namespace

std::string scanSummary()
{
    return "  scan RANGE            find the modules in an address range (192.168.2.0/24)\n"
           "      [--port P] [--timeout S] [--jobs N] [--json] [--list]\n";
}

int runScanCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    const auto parsed = readScanArguments(args);
    if (const auto* help = std::get_if<std::string>(&parsed)) {
        out << *help;
        return kExitConfirmed;
    }
    if (const auto* bad = std::get_if<Usage>(&parsed)) {
        err << bad->message << '\n';
        return kExitBadInput;
    }
    const ScanRequest& request = std::get<ScanRequest>(parsed);
    raiseOpenFileLimit();
    Scanner scanner(request.range, request.settings);
    const ScanOutcome outcome = scanner.run();
    print(outcome, request, out);
    for (const ScanResult& r : outcome.results)
        if (r.verdict == ScanVerdict::Module) return kExitConfirmed;
    return kExitFailed;
}

}  // namespace nolt::cli
