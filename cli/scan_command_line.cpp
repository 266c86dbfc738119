#include "cli/scan_command_line.h"

#include "cli/text.h"
#include "link/connect_input.h"

#include <charconv>
#include <optional>
#include <variant>

namespace nolt::cli {

namespace {

constexpr double kMaxTimeoutSeconds = 60;
constexpr int kMaxJobs = static_cast<int>(kMaxScanAddresses);

using Form = ScanRequest::Form;

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
           "  --jobs N      at most N connections at once (default 256), fewer when the\n"
           "                limit of open files leaves room for fewer\n"
           "  --json        one JSON object a line per address that answered\n"
           "  --list        host:port lines of the modules, as --hosts takes them\n\n"
           "An address whose port is open but gives no version answer is listed as\n"
           "\"no module answer\". Exit status: 0 when a module was found, 1 when none, 2 for\n"
           "bad input (then nothing is sent) or when not one socket could be opened.\n";
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

}  // namespace

std::variant<ScanRequest, Immediate> readScanCommandLine(const std::vector<std::string>& args)
{
    auto parsed = readScanArguments(args);
    if (auto* help = std::get_if<std::string>(&parsed)) return Immediate{kExitConfirmed, std::move(*help), {}};
    if (auto* bad = std::get_if<Usage>(&parsed)) return Immediate{kExitBadInput, {}, bad->message + '\n'};
    return std::get<ScanRequest>(std::move(parsed));
}

std::string scanSummary()
{
    return "  scan RANGE            find the modules in an address range (192.168.2.0/24)\n"
           "      [--port P] [--timeout S] [--jobs N] [--json] [--list]\n";
}

}  // namespace nolt::cli
