// nolt-cli's grammar: every global option and every command with its own
// options and words, declared once with CLI11, from which the parsing, the
// help of the program and of each command, and the messages for words that
// do not fit come. The global options may stand before or after the command,
// and where an option is given twice the last one counts, as with any Unix
// tool. What the words mean is checked after the parsing, each with the
// bounds of the command given: a search has other ones than a command sent
// to modules.
#include "cli/command_line.h"

#include "cli/commands.h"
#include "cli/help_format.h"
#include "cli/text.h"
#include "link/connect_input.h"
#include "res/list_items.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <charconv>
#include <functional>
#include <map>
#include <optional>
#include <sstream>

#ifndef NOLT_VERSION
#define NOLT_VERSION "unknown"
#endif

namespace nolt::cli {

namespace {

using std::chrono::milliseconds;

constexpr const char* kDescription =
    "Configures camera modules from scripts: each command sends its frame to the module,\n"
    "waits for the reply and prints what the PC client's dialog would show. The global\n"
    "options may stand before or after the command; given twice, the last one counts.";
constexpr const char* kExitStatus =
    "Exit status: 0 when every module confirmed, 1 when one refused, did not answer or\n"
    "could not be reached, 2 for bad input (then nothing is sent).\n"
    "The dialog writes the same trace to a file when NOLT_PCCLIENT_TRACE=FILE is set.";
constexpr const char* kChoices =
    "Choices: the dialog's list items; case, blanks, '-' and '_' do not matter, a frame\n"
    "rate may be given as its number, a sub-stream push mode as RTSP or RTMP.\n";
constexpr const char* kScanNotes =
    "Each address is asked for its version on the module's port, many at once, and\n"
    "those that answer are listed in address order with their version and the time\n"
    "the answer took, then a count line; an address whose port is open but gives no\n"
    "version answer as \"no module answer\". Exit status: 0 when a module was found,\n"
    "1 when none, 2 for bad input (then nothing is sent) or when not one socket\n"
    "could be opened.";

constexpr const char* kDefaultPort = "2000";  // the dialog's start-up port

// The options that every command shares, as written: their bounds and
// defaults are the command's own.
struct SharedOptions {
    std::optional<std::string> host, hostsFile, port, jobs, timeout;
};

// A command's bounds and defaults for the number of modules or addresses
// asked at once and the time each one has.
struct Limits {
    int jobs;
    int maxJobs;
    milliseconds timeout;
    int maxSeconds;
};

constexpr Limits kModuleLimits{64, 4096, milliseconds(3000), 3600};
constexpr ScanSettings kScanDefaults{};
constexpr Limits kScanLimits{kScanDefaults.jobs, static_cast<int>(kMaxScanAddresses), kScanDefaults.timeout, 60};

std::optional<int> readCount(const std::string& text, int highest)
{
    int n = 0;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, n);
    if (ec != std::errc() || ptr != end || n < 1 || n > highest) return std::nullopt;
    return n;
}

std::optional<milliseconds> readSeconds(const std::string& text, int highest)
{
    double seconds = 0;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, seconds);
    if (ec != std::errc() || ptr != end || !(seconds > 0) || seconds > highest) return std::nullopt;
    // A time above 0 but below half a millisecond is still a time to wait:
    // rounded to 0 it would end every wait before it began.
    return milliseconds(std::max(1LL, static_cast<long long>(seconds * 1000.0 + 0.5)));
}

// --jobs and --timeout as given, or the command's defaults; the message
// when one is out of the command's bounds.
std::optional<std::string> readLimits(const SharedOptions& given, const Limits& limits, int& jobs,
                                      milliseconds& timeout)
{
    const auto n = given.jobs ? readCount(*given.jobs, limits.maxJobs) : limits.jobs;
    if (!n) return "--jobs takes a number from 1 to " + std::to_string(limits.maxJobs);
    const auto t = given.timeout ? readSeconds(*given.timeout, limits.maxSeconds) : limits.timeout;
    if (!t) return "--timeout takes seconds above 0, at most " + std::to_string(limits.maxSeconds) + " (e.g. 0.5)";
    jobs = *n;
    timeout = *t;
    return std::nullopt;
}

Immediate badInput(const std::string& message) { return Immediate{kExitBadInput, {}, message + "\n"}; }

// CLI11's own words, but where they say less than they could: for the words
// it could not place, which it lists last first, the first one is named (an
// unknown option, an unexpected word or an unknown command); an option
// without its value, and a switch given one, say so plainly.
std::string failureMessage(const CLI::App* app, const CLI::Error& error)
{
    const std::vector<CLI::App*> chosen = app->get_subcommands();
    const std::string command = chosen.empty() ? "" : chosen.front()->get_name();
    const std::vector<std::string> left = app->remaining(true);
    std::string why = error.what();
    if (dynamic_cast<const CLI::ExtrasError*>(&error) ||
        (chosen.empty() && dynamic_cast<const CLI::RequiredError*>(&error))) {
        if (left.empty()) why = "no command given";
        else if (left.front().starts_with("-")) why = "unknown option " + left.front();
        else why = (chosen.empty() ? "unknown command \"" : "unexpected \"") + left.front() + "\"";
    } else if (dynamic_cast<const CLI::ArgumentMismatch*>(&error)) {
        // "--timeout: 1 required S missing", "json was given a disallowed flag override"
        if (why.ends_with(" missing")) why = why.substr(0, why.find(':')) + " needs a value";
        else if (why.ends_with(" flag override")) why = "--" + why.substr(0, why.find(' ')) + " takes no value";
    }
    return usageMessage(command, why) + "\n";
}

// A list's item, as the dialog's list would select it: the option's value
// becomes the item's index.
CLI::Validator itemOf(Items items)
{
    return CLI::Validator(
        [items](std::string& text) -> std::string {
            const int index = findItem(items, text);
            if (index < 0) return "\"" + text + "\" is not one of " + itemList(items);
            text = std::to_string(index);
            return {};
        },
        "");
}

const CLI::Validator kAddressShaped(
    [](std::string& text) -> std::string {
        return addressShaped(text) ? "" : "\"" + text + "\" is not an address of four numbers 0 to 255";
    },
    "");

class Grammar {
public:
    Grammar();
    Grammar(const Grammar&) = delete;
    Grammar& operator=(const Grammar&) = delete;

    // Throws CLI::ParseError, which app().exit() turns into the help, the
    // version or the message for words that do not fit.
    void parse(std::vector<std::string> args);
    const CLI::App& app() const { return app_; }
    CommandLine result(const HostsOpener& open) const;

private:
    using Build = std::function<CommandParse()>;

    CLI::App* command(const char* name, const char* description, Build build);
    void choice(CLI::App* command, const char* name, const char* value, Items items, int& index);
    CLI::Option* ipText(CLI::App* command, const char* name, const char* value, std::wstring& to,
                        const char* help, bool udp = false);
    CommandLine moduleRequest(const CLI::App* chosen, const HostsOpener& open) const;
    CommandLine scanRequest() const;

    CLI::App app_{kDescription, "nolt-cli"};
    SharedOptions global_;
    SharedOptions scanOwn_;  // the same options after "scan", with the search's help
    Invocation run_;
    SaveIpTexts ip_;
    MainStreamSelection main_;
    StreamSelection sub_;
    std::string word_;
    std::string range_;
    bool list_ = false;
    std::map<const CLI::App*, Build> builds_;
    CLI::App* scan_ = nullptr;
};

Grammar::Grammar()
{
    app_.option_defaults()->multi_option_policy(CLI::MultiOptionPolicy::TakeLast)->disable_flag_override();
    app_.option_defaults()->group("Global options");
    app_.formatter(std::make_shared<HelpFormat>());
    app_.failure_message(failureMessage);
    app_.require_subcommand(1);
    app_.fallthrough();  // for the commands: what they do not know is the program's
    app_.set_help_flag("-h,--help", "this text; after a command, the command's");
    app_.add_option("--host", global_.host, "the module's IPv4 address, optionally H:PORT")->type_name("H");
    app_.add_option("--port", global_.port, "the module's port (default 2000)")->type_name("P");
    app_.add_option("--hosts", global_.hostsFile,
                    "run against every module in FILE at once: one\n"
                    "host[:port] a line, '#' starts a comment; a summary\n"
                    "table closes the output")
        ->type_name("FILE");
    app_.add_option("--jobs", global_.jobs, "at most N modules at a time (default 64)")->type_name("N");
    app_.add_option("--timeout", global_.timeout, "seconds each module has to answer (default 3)")->type_name("S");
    app_.add_flag("--json", run_.json, "one JSON object per module (a line each), no text");
    app_.add_flag("--trace", run_.trace, "every block sent and received on stderr, in hex");
    app_.add_option("--pcap", run_.pcap,
                    "record every module's connection into FILE, a pcapng\n"
                    "capture that Wireshark opens (with nolt.lua)")
        ->type_name("FILE");
    app_.set_version_flag("--version", "nolt-cli " NOLT_VERSION, "print the version");

    command("status", "Ask the module for its state (frequencies, sizes)", statusRequest);
    command("version", "Ask the module for its version number", versionRequest);

    CLI::App* ip = command("set-ip", "Give the module its network identity", [this] { return setIpRequest(ip_); });
    ipText(ip, "--module-ip", "A", ip_.cameraAddress, "the module's address")->required()->check(kAddressShaped);
    ipText(ip, "--gateway", "A", ip_.gateway, "the gateway's address")->required()->check(kAddressShaped);
    ipText(ip, "--dns", "A", ip_.dns, "the DNS server's address")->required()->check(kAddressShaped);
    ipText(ip, "--mask", "A", ip_.mask, "the subnet mask")->required()->check(kAddressShaped);
    ipText(ip, "--udp-ip", "A", ip_.udpAddress, "where the module pushes its bare UDP stream", true)
        ->check(kAddressShaped);
    ipText(ip, "--udp-port", "N", ip_.udpPort, "the port there (1025 to 65534)", true);
    ip->footer("The module's address must not end in .0, .1 or .255, the gateway's not in .0 or\n"
               ".255, and neither may start with 0. Without --udp-ip and --udp-port the\n"
               "settings carry no UDP receiver.");

    CLI::App* main = command("set-main-stream", "Set the encoding of the main stream",
                             [this] { return mainStreamRequest(main_); });
    choice(main, "--resolution", "R", res::kMainResolutionItems, main_.lists.resolution);
    choice(main, "--bitrate", "B", res::kBitRateListItems, main_.lists.bitRate);
    choice(main, "--push-mode", "P", res::kMainPushModeItems, main_.lists.pushMode);
    choice(main, "--encoder", "E", res::kEncoderItems, main_.lists.encoder);
    choice(main, "--frame-rate", "F", res::kFrameRateItems, main_.lists.frameRate);
    choice(main, "--packet", "K", res::kPacketItems, main_.lists.packet);
    choice(main, "--record", "M", res::kRecordItems, main_.record);
    main->footer(std::string(kChoices) + "With 720P the bit rate goes up to 4M, as the dialog's list then does.");

    CLI::App* sub = command("set-sub-stream", "Set the encoding of the sub stream",
                            [this] { return subStreamRequest(sub_); });
    choice(sub, "--resolution", "R", res::kSubResolutionItems, sub_.resolution);
    choice(sub, "--bitrate", "B", res::kBitRateListItems, sub_.bitRate);
    choice(sub, "--push-mode", "P", res::kSubPushModeItems, sub_.pushMode);
    choice(sub, "--encoder", "E", res::kEncoderItems, sub_.encoder);
    choice(sub, "--frame-rate", "F", res::kFrameRateItems, sub_.frameRate);
    choice(sub, "--packet", "K", res::kPacketItems, sub_.packet);
    sub->footer(std::string(kChoices) + "A size may be written 1280x720. With 1280*720 the bit rate goes up to 4M.");

    command("sub-stream", "Switch the sub stream off", [this] { return subStreamSwitchRequest(word_); })
        ->add_option("off", word_, "switching on sends nothing: set-sub-stream does")
        ->required();
    command("bandwidth", "Set the module's network bandwidth", [this] { return bandwidthRequest(word_); })
        ->add_option("10M|100M", word_, "the bandwidth")
        ->required();
    command("dhcp", "Switch the module's DHCP on or off", [this] { return dhcpRequest(word_); })
        ->add_option("on|off", word_, "the DHCP's state")
        ->required();
    command("get-push-addr", "Print the module's stream push address", getPushAddressRequest);
    command("set-push-addr", "Upload a stream push address (no answer comes)",
            [this] { return setPushAddressRequest(word_); })
        ->add_option("URL", word_, "sent as typed")
        ->required();

    scan_ = command("scan", "Find the modules in an address range", nullptr);
    scan_->add_option("RANGE", range_,
                      "192.168.2.0/24, 192.168.2.10-192.168.2.60,\n"
                      "192.168.2.10-60 or one address; only private (10/8,\n"
                      "172.16/12, 192.168/16), link-local (169.254/16) and\n"
                      "loopback (127/8) addresses, at most 1024 at once")
        ->required();
    scan_->add_option("--port", scanOwn_.port, "the modules' port (default 2000)")->type_name("P");
    scan_->add_option("--timeout", scanOwn_.timeout,
                      "seconds each address has for the connect and the\n"
                      "answer (default 0.5)")
        ->type_name("S");
    scan_->add_option("--jobs", scanOwn_.jobs,
                      "at most N connections at once (default 256), fewer\n"
                      "where the limit of open files leaves room for fewer")
        ->type_name("N");
    scan_->add_flag("--json", run_.json, "one JSON object a line per address that answered");
    scan_->add_flag("--list", list_, "host:port lines of the modules, as --hosts takes them");
    scan_->footer(kScanNotes);

    // After the commands, which would take it over.
    app_.footer(kExitStatus);
}

CLI::App* Grammar::command(const char* name, const char* description, Build build)
{
    CLI::App* command = app_.add_subcommand(name, description);
    command->group("Commands (nolt-cli COMMAND --help tells more)");
    command->option_defaults()->group("Options");
    if (build) builds_.emplace(command, std::move(build));
    return command;
}

void Grammar::choice(CLI::App* command, const char* name, const char* value, Items items, int& index)
{
    command->add_option(name, index, itemList(items))->type_name(value)->transform(itemOf(items))->required();
}

// The UDP receiver goes into the settings exactly when the push mode is "UDP
// Bare flow"; here, when either of its options is given.
CLI::Option* Grammar::ipText(CLI::App* command, const char* name, const char* value, std::wstring& to,
                             const char* help, bool udp)
{
    const auto take = [this, &to, udp](const std::string& text) {
        to = wide(text);
        if (udp) ip_.pushModeIndex = 0;
    };
    return command->add_option_function<std::string>(name, take, help)->type_name(value);
}

void Grammar::parse(std::vector<std::string> args)
{
    std::reverse(args.begin(), args.end());  // CLI11 takes the words last first
    app_.parse(args);
}

CommandLine Grammar::result(const HostsOpener& open) const
{
    const CLI::App* chosen = app_.get_subcommands().front();
    return chosen == scan_ ? scanRequest() : moduleRequest(chosen, open);
}

CommandLine Grammar::moduleRequest(const CLI::App* chosen, const HostsOpener& open) const
{
    Invocation run = run_;
    if (const auto refused = readLimits(global_, kModuleLimits, run.jobs, run.timeout))
        return badInput(usageMessage(chosen->get_name(), *refused));
    CommandParse parsed = builds_.at(chosen)();
    if (const auto* error = std::get_if<InputError>(&parsed)) return badInput(error->message);
    auto targets = readTargets(global_.host, global_.hostsFile, global_.port.value_or(kDefaultPort), open);
    if (const auto* message = std::get_if<std::string>(&targets)) return badInput(*message);
    run.request = std::get<Request>(std::move(parsed));
    run.targets = std::get<std::vector<Target>>(std::move(targets));
    run.batch = global_.hostsFile.has_value();
    return run;
}

CommandLine Grammar::scanRequest() const
{
    const auto refused = [](const std::string& why) { return badInput(usageMessage("scan", why)); };
    if (global_.host || global_.hostsFile)
        return refused(std::string(global_.host ? "--host" : "--hosts") + " does not apply: the range names the addresses");
    if (run_.trace) return refused("--trace does not apply to a scan");
    if (run_.pcap) return refused("--pcap does not apply to a scan");
    if (run_.json && list_) return refused("give --json or --list, not both");

    // The search's own options stand after its name, so they are the later
    // ones where the global ones are given too.
    SharedOptions given = global_;
    for (auto field : {&SharedOptions::port, &SharedOptions::jobs, &SharedOptions::timeout})
        if (scanOwn_.*field) given.*field = scanOwn_.*field;
    ScanRequest r;
    const int port = given.port ? readPortText(wide(*given.port)) : r.settings.port;
    if (port < 1 || port > 65534) return refused("--port takes a number from 1 to 65534");
    r.settings.port = static_cast<std::uint16_t>(port);
    if (const auto why = readLimits(given, kScanLimits, r.settings.jobs, r.settings.timeout)) return refused(*why);

    auto range = parseScanRange(range_);
    if (const auto* error = std::get_if<ScanRangeError>(&range)) return badInput("nolt-cli scan: " + error->message);
    r.range = std::get<ScanRange>(range);
    if (const auto limited = scanRefusedHere(r.range)) return badInput("nolt-cli scan: " + *limited);
    r.form = run_.json ? ScanRequest::Form::Json : list_ ? ScanRequest::Form::List : ScanRequest::Form::Text;
    return r;
}

}  // namespace

CommandLine readCommandLine(const std::vector<std::string>& args, const HostsOpener& open)
{
    Grammar grammar;
    try {
        grammar.parse(args);
    } catch (const CLI::ParseError& e) {
        std::ostringstream out, err;
        const int status = grammar.app().exit(e, out, err);
        return Immediate{status == 0 ? kExitConfirmed : kExitBadInput, out.str(), err.str()};
    }
    return grammar.result(open);
}

}  // namespace nolt::cli
