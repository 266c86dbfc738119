#include "sim/command_line.h"

#include "platform/program_info.h"
#include "sim/hex.h"

#include <CLI/CLI.hpp>

#include <charconv>
#include <limits>
#include <sstream>

namespace nolt::sim {

namespace {

constexpr const char* kDescription =
    "Imitates a camera module on a TCP port and prints every frame in hex.\n"
    "The first line printed is \"listening on ADDRESS:PORT\"; with --modules, one such\n"
    "line per module, and every frame line starts with the module's port.";

constexpr long long kMaxInt = std::numeric_limits<int>::max();

// A whole number from lowest to highest, written in decimal, as the value
// CLI11 then converts: by itself it would read "010" as octal.
CLI::Validator decimal(long long lowest, long long highest)
{
    return CLI::Validator(
        [lowest, highest](std::string& text) -> std::string {
            long long n = 0;
            const char* end = text.data() + text.size();
            const auto [ptr, ec] = std::from_chars(text.data(), end, n);
            if (ec != std::errc() || ptr != end || n < lowest || n > highest)
                return "\"" + text + "\" is not a number from " + std::to_string(lowest) + " to " +
                       std::to_string(highest);
            text = std::to_string(n);
            return {};
        },
        "");
}

const CLI::Validator kHexPayload(
    [](std::string& text) -> std::string {
        const auto bytes = fromHex(text);
        return bytes && bytes->size() <= 255 ? "" : "\"" + text + "\" is not a payload of at most 255 bytes in hex";
    },
    "");

// CLI11's own words, but for words it could not place, which it lists last
// first (the first one is named), and for an option without its value
// ("--port: 1 required N missing").
std::string failureMessage(const CLI::App* app, const CLI::Error& error)
{
    const std::vector<std::string> left = app->remaining();
    std::string why = error.what();
    if (dynamic_cast<const CLI::ExtrasError*>(&error) && !left.empty()) why = "unknown option: " + left.front();
    else if (dynamic_cast<const CLI::ArgumentMismatch*>(&error) && why.ends_with(" missing"))
        why = why.substr(0, why.find(':')) + " needs a value";
    return "nolt-sim: " + why + "\nTry nolt-sim --help.\n";
}

// Every option and the part of the options it sets.
void declare(CLI::App& app, ServerOptions& o)
{
    ModuleState& m = o.module.initial;
    Faults& f = o.module.faults;
    const auto number = [&app](const char* name, auto& to, const char* value, const char* help, long long lowest,
                               long long highest) {
        app.add_option(name, to, help)->type_name(value)->transform(decimal(lowest, highest));
    };
    app.add_option("--address,--bind", o.bindAddress, "address to listen on, e.g. 127.0.0.5 (default 127.0.0.1)")
        ->type_name("IP");
    number("--port", o.port, "N", "port to listen on, 0 picks a free one (default 2000)", 0, 65535);
    number("--modules", o.modules, "N", "serve N modules, each with its own state, on consecutive ports", 1, 10000);
    app.add_flag("--quiet", o.quiet, "do not print the frames");
    number("--version-number", m.version, "N", "version the module reports (default 7)",
           std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max());
    app.add_option("--push-address", m.pushAddress, "push address the module starts with")->type_name("TEXT");
    app.add_option_function<std::string>(
           "--status-payload", [&m](const std::string& hex) { m.statusOverride = fromHex(hex); },
           "status report payload to send, e.g. \"19 32 07 80 04 38 05 00 02 D0\"")
        ->type_name("HEX")
        ->check(kHexPayload);
    app.add_flag("--bad-checksum", f.badChecksum, "send every reply with a wrong checksum");
    number("--split", f.splitBytes, "BYTES", "write replies in pieces of this many bytes", 1, kMaxInt);
    number("--split-pause", f.splitPauseMs, "MS", "pause between the pieces of a split reply", 0, kMaxInt);
    app.add_flag("--coalesce", f.coalesce, "send all replies to one read in one write");
    number("--repeat", f.repeat, "N", "send each reply N times", 1, 1000000);
    number("--flood", f.statusFlood, "K", "answer a status query K times", 1, 1000000);
    number("--delay", f.delayMs, "MS", "wait this long before answering", 0, kMaxInt);
    app.add_flag("--silent", f.silent, "never reply");
    number("--close-after", f.closeAfterFrames, "N", "close the connection after answering N frames", 1, kMaxInt);
    number("--info-after-frames", f.infoAfterFrames, "N", "send an unsolicited AA 06 00 00 after N frames", 1,
           kMaxInt);
    number("--info-after-ms", f.infoAfterMs, "MS", "send an unsolicited AA 06 00 00 MS after a client connects", 1,
           kMaxInt);
    app.add_flag("--upper-prefix", f.upperCasePrefix, "answer the push address with \"RTMP://\"");
    app.add_flag("--silent-address", f.silentOnAddressRequest, "do not answer \"get_addrrtmp\"");
    app.add_option_function<std::uint32_t>(
           "--drop-seed", [&f](std::uint32_t seed) { f.dropSeed = seed; },
           "drop each connection inside a reply, at points drawn from SEED")
        ->type_name("SEED")
        ->transform(decimal(0, std::numeric_limits<std::uint32_t>::max()));
    number("--drop-within", f.dropWithinReplies, "N", "the drop hits one of the first N replies (default 10)", 1,
           kMaxInt);
}

}  // namespace

CommandLine parseCommandLine(const std::vector<std::string>& args)
{
    CommandLine cl;
    cl.options.quiet = false;
    CLI::App app{kDescription, "nolt-sim"};
    app.option_defaults()->multi_option_policy(CLI::MultiOptionPolicy::TakeLast)->disable_flag_override();
    app.get_formatter()->column_width(26);
    app.failure_message(failureMessage);
    app.set_help_flag("-h,--help", "this text");
    app.set_version_flag("--version", versionLine("nolt-sim"), "print the program's version");
    declare(app, cl.options);
    try {
        std::vector<std::string> words(args.rbegin(), args.rend());  // CLI11 takes the words last first
        app.parse(words);
    } catch (const CLI::ParseError& e) {
        std::ostringstream out, err;
        const int status = app.exit(e, out, err);
        const bool version = dynamic_cast<const CLI::CallForVersion*>(&e) != nullptr;
        cl.outcome = status != 0 ? CommandLine::Outcome::Error : version ? CommandLine::Outcome::Version
                                                                         : CommandLine::Outcome::Help;
        cl.text = status != 0 ? err.str() : out.str();
    }
    return cl;
}

}  // namespace nolt::sim
