#include "cli/commands.h"

#include "cli/text.h"
#include "commands/command_frames.h"
#include "commands/ip_checks.h"
#include "commands/push_address_text.h"
#include "commands/stream_rules.h"
#include "res/list_items.h"

#include <algorithm>
#include <cctype>
#include <map>

namespace nolt::cli {

namespace {

using Items = std::span<const std::wstring_view>;

// The options a command was given: "--name value" or "--name=value" pairs
// and the words that are not options.
struct Arguments {
    std::map<std::string, std::string> values;
    std::vector<std::string> words;

    const std::string* find(const std::string& name) const
    {
        const auto it = values.find(name);
        return it == values.end() ? nullptr : &it->second;
    }
};

struct Command {
    const char* name;
    const char* synopsis;  // the arguments after the name
    const char* summary;
    std::vector<std::string> options;  // every option takes a value
    std::size_t words;                 // how many plain words it takes
    CommandParse (*build)(const Arguments&);
    std::string (*details)();  // more help, may be null
};

InputError usage(const std::string& command, const std::string& why)
{
    return {"nolt-cli " + command + ": " + why + "\nTry 'nolt-cli " + command + " --help'."};
}

// ---- the stream lists -----------------------------------------------------

// Lower case, with blanks, hyphens and underscores dropped and "*" read as
// "x", so "by-frame", "By Frame" and "BY_FRAME" are one spelling.
std::string normalised(std::string_view text)
{
    std::string out;
    for (char c : text) {
        if (c == ' ' || c == '-' || c == '_') continue;
        if (c == '*') c = 'x';
        out += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return out;
}

// The spellings an item goes by: its text, and its first word alone when the
// rest only repeats what the list is ("25" for "25 frame", "RTMP" for
// "RTMP  to network").
std::vector<std::string> spellings(std::wstring_view item)
{
    const std::string full = normalised(utf8(item));
    std::vector<std::string> out{full};
    for (std::string_view tail : {"frame", "tonetwork"}) {
        if (full.size() > tail.size() && full.ends_with(tail)) out.push_back(full.substr(0, full.size() - tail.size()));
    }
    return out;
}

int findItem(Items items, const std::string& text)
{
    const std::string wanted = normalised(text);
    for (std::size_t i = 0; i < items.size(); ++i) {
        const auto names = spellings(items[i]);
        if (std::find(names.begin(), names.end(), wanted) != names.end()) return static_cast<int>(i);
    }
    return -1;
}

std::string itemList(Items items)
{
    std::string out;
    for (std::wstring_view item : items) {
        if (!out.empty()) out += ", ";
        const std::string text = utf8(item);
        out += text.find(' ') == std::string::npos ? text : "\"" + text + "\"";
    }
    return out;
}

struct ListOption {
    const char* name;  // without the leading "--"
    Items items;
};

const ListOption kMainLists[] = {
    {"resolution", res::kMainResolutionItems}, {"bitrate", res::kBitRateListItems},
    {"push-mode", res::kMainPushModeItems},   {"encoder", res::kEncoderItems},
    {"frame-rate", res::kFrameRateItems},     {"packet", res::kPacketItems},
    {"record", res::kRecordItems},
};
const ListOption kSubLists[] = {
    {"resolution", res::kSubResolutionItems}, {"bitrate", res::kBitRateListItems},
    {"push-mode", res::kSubPushModeItems},    {"encoder", res::kEncoderItems},
    {"frame-rate", res::kFrameRateItems},     {"packet", res::kPacketItems},
};

template <std::size_t N>
std::vector<std::string> optionNames(const ListOption (&lists)[N])
{
    std::vector<std::string> names;
    for (const ListOption& l : lists) names.emplace_back(l.name);
    return names;
}

template <std::size_t N>
std::string listHelp(const ListOption (&lists)[N])
{
    std::string text = "Choices (the dialog's list items; case, blanks, '-' and '_' do not matter, a\n"
                       "frame rate may be given as its number, a sub-stream push mode as RTSP or RTMP):\n";
    for (const ListOption& l : lists) {
        std::string left = std::string("  --") + l.name;
        left.resize(16, ' ');
        text += left + itemList(l.items) + "\n";
    }
    return text;
}

// The selection index of every list, in the order of the lists given; the
// settings button of the dialog needs a choice in each of them.
template <std::size_t N>
std::variant<std::array<int, N>, InputError> readLists(const std::string& command, const Arguments& args,
                                                      const ListOption (&lists)[N])
{
    std::array<int, N> indexes{};
    for (std::size_t i = 0; i < N; ++i) {
        const std::string* text = args.find(lists[i].name);
        if (!text) return usage(command, std::string("--") + lists[i].name + " is missing: the settings need a choice in every list");
        indexes[i] = findItem(lists[i].items, *text);
        if (indexes[i] < 0)
            return usage(command, std::string("--") + lists[i].name + " \"" + *text + "\" is not one of " +
                                      itemList(lists[i].items));
    }
    return indexes;
}

// The dialog rebuilds the bit-rate list for some resolutions; a bit rate the
// rebuilt list lacks cannot be chosen there and is refused here.
std::optional<InputError> checkBitRate(const std::string& command, std::optional<BitRateForm> form,
                                       int bitRate, Items resolutions, int resolution)
{
    const Items offered = bitRateItems(form.value_or(BitRateForm::Long));
    if (bitRate < static_cast<int>(offered.size())) return std::nullopt;
    return usage(command, "--bitrate " + utf8(res::kBitRateListItems[static_cast<std::size_t>(bitRate)]) +
                              " is not offered with --resolution " +
                              utf8(resolutions[static_cast<std::size_t>(resolution)]) + " (" +
                              itemList(offered) + ")");
}

Request frameRequest(std::string command, Bytes bytes, std::uint8_t replyCode)
{
    Request r;
    r.command = std::move(command);
    r.bytes = std::move(bytes);
    r.replyCode = replyCode;
    return r;
}

// ---- the commands ---------------------------------------------------------

CommandParse buildStatus(const Arguments&) { return frameRequest("status", statusQueryFrame(), code::kStatus); }
CommandParse buildVersion(const Arguments&) { return frameRequest("version", versionQueryFrame(), code::kVersion); }

CommandParse buildMainStream(const Arguments& args)
{
    const std::string command = "set-main-stream";
    const auto read = readLists(command, args, kMainLists);
    if (const auto* error = std::get_if<InputError>(&read)) return *error;
    const auto& [resolution, bitRate, pushMode, encoder, frameRate, packet, record] = std::get<0>(read);
    if (auto error = checkBitRate(command, mainBitRateFormFor(resolution), bitRate, res::kMainResolutionItems,
                                  resolution))
        return *error;
    const auto frame = mainStreamFrame({{bitRate, resolution, pushMode, encoder, frameRate, packet}, record});
    Request r = frameRequest(command, *frame, code::kMainStream);
    if (mainStreamNeedsWarning(frameRate, pushMode, packet)) r.warnings.emplace_back(kUnplayableWarning);
    return r;
}

CommandParse buildSubStream(const Arguments& args)
{
    const std::string command = "set-sub-stream";
    const auto read = readLists(command, args, kSubLists);
    if (const auto* error = std::get_if<InputError>(&read)) return *error;
    const auto& [resolution, bitRate, pushMode, encoder, frameRate, packet] = std::get<0>(read);
    // The list starts in its long form and only two resolutions rebuild it.
    if (auto error = checkBitRate(command, subBitRateFormFor(resolution), bitRate, res::kSubResolutionItems,
                                  resolution))
        return *error;
    const auto frame = subStreamFrame({bitRate, resolution, pushMode, encoder, frameRate, packet});
    return frameRequest(command, *frame, code::kSubStream);
}

CommandParse buildSubStreamSwitch(const Arguments& args)
{
    if (normalised(args.words[0]) != "off")
        return usage("sub-stream", "\"" + args.words[0] + "\" is not off (switching on sends nothing: use set-sub-stream)");
    return frameRequest("sub-stream", subStreamOffFrame(), code::kSubStream);
}

// A choice between two words, for the radio buttons.
std::optional<bool> twoWay(const std::string& text, const char* first, const char* second)
{
    const std::string n = normalised(text);
    if (n == first) return true;
    if (n == second) return false;
    return std::nullopt;
}

CommandParse buildBandwidth(const Arguments& args)
{
    const auto tenM = twoWay(args.words[0], "10m", "100m");
    if (!tenM) return usage("bandwidth", "\"" + args.words[0] + "\" is not 10M or 100M");
    Request r = frameRequest("bandwidth", bandwidthFrame(*tenM ? Bandwidth::Mbit10 : Bandwidth::Mbit100),
                             code::kBandwidth);
    r.state = *tenM ? 1 : 0;
    return r;
}

CommandParse buildDhcp(const Arguments& args)
{
    const auto on = twoWay(args.words[0], "on", "off");
    if (!on) return usage("dhcp", "\"" + args.words[0] + "\" is not on or off");
    Request r = frameRequest("dhcp", dhcpFrame(*on), code::kDhcp);
    r.state = *on ? 1 : 0;
    return r;
}

// The dialog's address controls hold four numbers of 0 to 255 and nothing
// else; text they could not hold is refused before the dialog's own checks.
bool addressShaped(const std::string& text)
{
    int fields = 0;
    std::size_t start = 0;
    for (;;) {
        const std::size_t dot = text.find('.', start);
        const std::string field = text.substr(start, dot == std::string::npos ? std::string::npos : dot - start);
        if (field.empty() || field.size() > 3 || !std::all_of(field.begin(), field.end(), [](char c) {
                return c >= '0' && c <= '9';
            }) || std::stoi(field) > 255)
            return false;
        ++fields;
        if (dot == std::string::npos) break;
        start = dot + 1;
    }
    return fields == 4;
}

CommandParse buildSetIp(const Arguments& args)
{
    const std::string command = "set-ip";
    for (const char* name : {"module-ip", "gateway", "dns", "mask"})
        if (!args.find(name)) return usage(command, std::string("--") + name + " is missing");
    for (const char* name : {"module-ip", "gateway", "dns", "mask", "udp-ip"}) {
        const std::string* text = args.find(name);
        if (text && !addressShaped(*text))
            return usage(command, std::string("--") + name + " \"" + *text + "\" is not an address of four numbers 0 to 255");
    }
    const auto text = [&args](const char* name) {
        const std::string* value = args.find(name);
        return value ? wide(*value) : std::wstring();
    };
    // The UDP receiver goes into the settings exactly when the push mode is
    // "UDP Bare flow"; here, when either of its options is given.
    const bool udp = args.find("udp-ip") || args.find("udp-port");
    SaveIpTexts texts;
    texts.pushModeIndex = udp ? 0 : -1;
    texts.udpAddress = text("udp-ip");
    texts.udpPort = text("udp-port");
    texts.cameraAddress = text("module-ip");
    texts.gateway = text("gateway");
    texts.dns = text("dns");
    texts.mask = text("mask");
    const SaveIpOutcome outcome = checkSaveIp(texts);
    if (const auto* failure = std::get_if<IpCheckFailure>(&outcome)) return InputError{utf8(failure->message)};
    return frameRequest(command, std::get<Bytes>(outcome), code::kIpSettings);
}

CommandParse buildGetPushAddress(const Arguments&)
{
    Request r;
    r.command = "get-push-addr";
    r.bytes.assign(kPushAddressRequest.begin(), kPushAddressRequest.end());
    r.await = Request::Await::PushAddress;
    return r;
}

// The address goes as typed, in the narrow code page, unchecked: the module
// takes whatever arrives.
CommandParse buildSetPushAddress(const Arguments& args)
{
    Request r;
    r.command = "set-push-addr";
    const std::string& url = args.words[0];
    r.bytes.assign(url.begin(), url.end());
    r.await = Request::Await::Nothing;
    return r;
}

std::string mainListHelp()
{
    return listHelp(kMainLists) + "With 720P the bit rate goes up to 4M, as the dialog's list then does.\n";
}
std::string subListHelp()
{
    return listHelp(kSubLists) + "A size may be written 1280x720. With 1280*720 the bit rate goes up to 4M.\n";
}
std::string setIpHelp()
{
    return "The module's address must not end in .0, .1 or .255, the gateway's not in .0 or\n"
           ".255, and neither may start with 0. --udp-ip and --udp-port (1025 to 65534) set\n"
           "where the module pushes its bare UDP stream; without them the settings carry\n"
           "no UDP receiver.\n";
}

const std::vector<Command>& commands()
{
    static const std::vector<Command> table{
        {"status", "", "ask the module for its current state (frequencies, image sizes)", {}, 0, buildStatus, nullptr},
        {"version", "", "ask the module for its version number", {}, 0, buildVersion, nullptr},
        {"set-ip", "--module-ip A --gateway A --dns A --mask A [--udp-ip A --udp-port N]",
         "give the module its network identity", {"module-ip", "gateway", "dns", "mask", "udp-ip", "udp-port"}, 0,
         buildSetIp, setIpHelp},
        {"set-main-stream",
         "--resolution R --bitrate B --push-mode P --encoder E --frame-rate F --packet K --record M",
         "set the encoding of the main stream", optionNames(kMainLists), 0, buildMainStream, mainListHelp},
        {"set-sub-stream", "--resolution R --bitrate B --push-mode P --encoder E --frame-rate F --packet K",
         "set the encoding of the sub stream", optionNames(kSubLists), 0, buildSubStream, subListHelp},
        {"sub-stream", "off", "switch the sub stream off", {}, 1, buildSubStreamSwitch, nullptr},
        {"bandwidth", "10M|100M", "set the module's network bandwidth", {}, 1, buildBandwidth, nullptr},
        {"dhcp", "on|off", "switch the module's DHCP on or off", {}, 1, buildDhcp, nullptr},
        {"get-push-addr", "", "print the module's stream push address", {}, 0, buildGetPushAddress, nullptr},
        {"set-push-addr", "URL", "upload a stream push address (the module does not answer)", {}, 1,
         buildSetPushAddress, nullptr},
    };
    return table;
}

std::string commandHelp(const Command& c)
{
    std::string text = std::string("Usage: nolt-cli [global options] ") + c.name;
    if (*c.synopsis) text += std::string(" ") + c.synopsis;
    text += "\n" + std::string(1, static_cast<char>(std::toupper(static_cast<unsigned char>(c.summary[0])))) +
            (c.summary + 1) + ".\n";
    if (c.details) text += "\n" + c.details();
    return text;
}

std::variant<Arguments, InputError, HelpText> readArguments(const Command& c, std::span<const std::string> rest)
{
    Arguments args;
    for (std::size_t i = 0; i < rest.size(); ++i) {
        const std::string& word = rest[i];
        if (word == "--help" || word == "-h") return HelpText{commandHelp(c)};
        if (!word.starts_with("--")) {
            args.words.push_back(word);
            continue;
        }
        const std::size_t eq = word.find('=');
        const std::string name = word.substr(2, eq == std::string::npos ? std::string::npos : eq - 2);
        if (std::find(c.options.begin(), c.options.end(), name) == c.options.end())
            return usage(c.name, "unknown option --" + name);
        if (eq != std::string::npos) {
            args.values[name] = word.substr(eq + 1);
        } else if (i + 1 < rest.size()) {
            args.values[name] = rest[++i];
        } else {
            return usage(c.name, "--" + name + " needs a value");
        }
    }
    if (args.words.size() != c.words)
        return usage(c.name, args.words.size() < c.words ? "needs " + std::string(c.synopsis)
                                                         : "unexpected \"" + args.words[c.words] + "\"");
    return args;
}

}  // namespace

CommandParse parseCommand(std::span<const std::string> words)
{
    for (const Command& c : commands()) {
        if (words.front() != c.name) continue;
        auto args = readArguments(c, words.subspan(1));
        if (auto* help = std::get_if<HelpText>(&args)) return *help;
        if (auto* error = std::get_if<InputError>(&args)) return *error;
        return c.build(std::get<Arguments>(args));
    }
    return InputError{"nolt-cli: unknown command \"" + words.front() + "\"\nTry 'nolt-cli --help'."};
}

std::string commandSummary()
{
    std::string text;
    for (const Command& c : commands()) {
        const std::string synopsis = c.synopsis;
        const bool inLine = synopsis.size() < 10;
        std::string left = std::string("  ") + c.name + (inLine && !synopsis.empty() ? " " + synopsis : "");
        if (left.size() < 24) left.resize(24, ' ');
        else left += ' ';
        text += left + c.summary + "\n";
        if (!inLine) text += "      " + synopsis + "\n";
    }
    return text;
}

}  // namespace nolt::cli
