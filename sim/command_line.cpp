#include "sim/command_line.h"

#include "sim/hex.h"

#include <charconv>
#include <functional>
#include <limits>
#include <optional>

namespace nolt::sim {

namespace {

std::optional<long long> parseNumber(const std::string& text, long long lowest, long long highest)
{
    long long v = 0;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, v);
    if (ec != std::errc() || ptr != end || v < lowest || v > highest) return std::nullopt;
    return v;
}

struct Flag {
    const char* name;
    const char* value;  // placeholder shown in the help; nullptr for a switch
    const char* help;
    long long lowest = 0;
    long long highest = 0;
    // Applies the flag; number is the parsed value for numeric flags.
    std::function<void(ServerOptions&, const std::string& text, long long number)> apply;
    bool (*accepts)(const std::string& text) = nullptr;  // checks a text value
};

bool isHexPayload(const std::string& text)
{
    const auto bytes = fromHex(text);
    return bytes && bytes->size() <= 255;
}

constexpr long long kMaxInt = std::numeric_limits<int>::max();

const std::vector<Flag>& flags()
{
    using O = ServerOptions;
    static const std::vector<Flag> table{
        {"--address", "IP", "address to listen on, e.g. 127.0.0.5 (default 127.0.0.1)", 0, 0,
         [](O& o, const std::string& t, long long) { o.bindAddress = t; }},
        {"--bind", "IP", "the same as --address", 0, 0,
         [](O& o, const std::string& t, long long) { o.bindAddress = t; }},
        {"--port", "N", "port to listen on, 0 picks a free one (default 2000)", 0, 65535,
         [](O& o, const std::string&, long long n) { o.port = static_cast<std::uint16_t>(n); }},
        {"--modules", "N", "serve N modules, each with its own state, on consecutive ports", 1, 10000,
         [](O& o, const std::string&, long long n) { o.modules = static_cast<int>(n); }},
        {"--quiet", nullptr, "do not print the frames", 0, 0,
         [](O& o, const std::string&, long long) { o.quiet = true; }},
        {"--version-number", "N", "version the module reports (default 7)",
         std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max(),
         [](O& o, const std::string&, long long n) { o.module.initial.version = static_cast<std::int32_t>(n); }},
        {"--push-address", "TEXT", "push address the module starts with", 0, 0,
         [](O& o, const std::string& t, long long) { o.module.initial.pushAddress = t; }},
        {"--status-payload", "HEX", "status report payload to send, e.g. \"19 32 07 80 04 38 05 00 02 D0\"", 0, 0,
         [](O& o, const std::string& t, long long) { o.module.initial.statusOverride = fromHex(t); },
         isHexPayload},
        {"--bad-checksum", nullptr, "send every reply with a wrong checksum", 0, 0,
         [](O& o, const std::string&, long long) { o.module.faults.badChecksum = true; }},
        {"--split", "BYTES", "write replies in pieces of this many bytes", 1, kMaxInt,
         [](O& o, const std::string&, long long n) { o.module.faults.splitBytes = static_cast<int>(n); }},
        {"--split-pause", "MS", "pause between the pieces of a split reply", 0, kMaxInt,
         [](O& o, const std::string&, long long n) { o.module.faults.splitPauseMs = static_cast<int>(n); }},
        {"--coalesce", nullptr, "send all replies to one read in one write", 0, 0,
         [](O& o, const std::string&, long long) { o.module.faults.coalesce = true; }},
        {"--repeat", "N", "send each reply N times", 1, 1000000,
         [](O& o, const std::string&, long long n) { o.module.faults.repeat = static_cast<int>(n); }},
        {"--flood", "K", "answer a status query K times", 1, 1000000,
         [](O& o, const std::string&, long long n) { o.module.faults.statusFlood = static_cast<int>(n); }},
        {"--delay", "MS", "wait this long before answering", 0, kMaxInt,
         [](O& o, const std::string&, long long n) { o.module.faults.delayMs = static_cast<int>(n); }},
        {"--silent", nullptr, "never reply", 0, 0,
         [](O& o, const std::string&, long long) { o.module.faults.silent = true; }},
        {"--close-after", "N", "close the connection after answering N frames", 1, kMaxInt,
         [](O& o, const std::string&, long long n) { o.module.faults.closeAfterFrames = static_cast<int>(n); }},
        {"--info-after-frames", "N", "send an unsolicited AA 06 00 00 after N frames", 1, kMaxInt,
         [](O& o, const std::string&, long long n) { o.module.faults.infoAfterFrames = static_cast<int>(n); }},
        {"--info-after-ms", "MS", "send an unsolicited AA 06 00 00 MS after a client connects", 1, kMaxInt,
         [](O& o, const std::string&, long long n) { o.module.faults.infoAfterMs = static_cast<int>(n); }},
        {"--upper-prefix", nullptr, "answer the push address with \"RTMP://\"", 0, 0,
         [](O& o, const std::string&, long long) { o.module.faults.upperCasePrefix = true; }},
        {"--silent-address", nullptr, "do not answer \"get_addrrtmp\"", 0, 0,
         [](O& o, const std::string&, long long) { o.module.faults.silentOnAddressRequest = true; }},
        {"--drop-seed", "SEED", "drop each connection inside a reply, at points drawn from SEED", 0,
         std::numeric_limits<std::uint32_t>::max(),
         [](O& o, const std::string&, long long n) { o.module.faults.dropSeed = static_cast<std::uint32_t>(n); }},
        {"--drop-within", "N", "the drop hits one of the first N replies (default 10)", 1, kMaxInt,
         [](O& o, const std::string&, long long n) { o.module.faults.dropWithinReplies = static_cast<int>(n); }},
    };
    return table;
}

const Flag* findFlag(const std::string& name)
{
    for (const Flag& f : flags())
        if (name == f.name) return &f;
    return nullptr;
}

}  // namespace

CommandLine parseCommandLine(const std::vector<std::string>& args)
{
    CommandLine cl;
    cl.options.quiet = false;
    auto fail = [&cl](std::string why) {
        cl.outcome = CommandLine::Outcome::Error;
        cl.error = std::move(why);
        return cl;
    };
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--help" || args[i] == "-h") {
            cl.outcome = CommandLine::Outcome::Help;
            return cl;
        }
        if (args[i] == "--version") {
            cl.outcome = CommandLine::Outcome::Version;
            return cl;
        }
        const Flag* flag = findFlag(args[i]);
        if (!flag) return fail("unknown option: " + args[i]);
        std::string text;
        long long number = 0;
        if (flag->value) {
            if (i + 1 >= args.size()) return fail(args[i] + " needs a value");
            text = args[++i];
            if (flag->lowest != 0 || flag->highest != 0) {
                const auto n = parseNumber(text, flag->lowest, flag->highest);
                if (!n)
                    return fail(std::string(flag->name) + " takes a number from " +
                                std::to_string(flag->lowest) + " to " + std::to_string(flag->highest));
                number = *n;
            } else if (flag->accepts && !flag->accepts(text)) {
                return fail(std::string(flag->name) + " does not take \"" + text + "\"");
            }
        }
        flag->apply(cl.options, text, number);
    }
    return cl;
}

std::string usageText()
{
    std::string text =
        "Usage: nolt-sim [options]\n"
        "Imitates a camera module on a TCP port and prints every frame in hex.\n"
        "The first line printed is \"listening on ADDRESS:PORT\"; with --modules, one such\n"
        "line per module, and every frame line starts with the module's port.\n\nOptions:\n";
    for (const Flag& f : flags()) {
        std::string left = std::string("  ") + f.name + (f.value ? std::string(" ") + f.value : "");
        if (left.size() < 26) left.resize(26, ' ');
        else left += ' ';
        text += left + f.help + "\n";
    }
    text += "  --version               print the program's version\n";
    text += "  --help                  this text\n";
    return text;
}

}  // namespace nolt::sim
