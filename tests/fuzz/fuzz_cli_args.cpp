// nolt-cli's command line, any arguments (the input split at NUL bytes, or
// made of the program's own words), read as the program reads it before it
// sends anything.
//
// Property: either the program ends at once - exit 2 with a message on
// stderr and nothing on stdout, or exit 0 with the help or version text
// asked for - or it sends a request whose bytes the frame builders made,
// for the choices the arguments name, to the modules the arguments name
// (the address and port a person reads in them) and to no other.
#include "cli/cli.h"
#include "cli/scan_command_line.h"
#include "cli/text.h"
#include "commands/command_frames.h"
#include "commands/push_address_text.h"
#include "commands/stream_rules.h"
#include "fuzz_check.h"
#include "person_reading.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <map>
#include <sstream>
#include <string>
#include <vector>

using namespace nolt;
using namespace nolt::fuzz;

namespace {

constexpr const char* kHostsName = "hosts.txt";
constexpr const char* kHostsText = "# two modules\n127.0.0.1\n127.0.0.2:2001  # the second\n";

// ---- what the arguments say, read apart from the program ----------------------

struct Said {
    std::optional<std::string> host, hostsFile;
    std::string port = "2000";
    std::string command;
    std::map<std::string, std::string> options;  // the command's, without "--"
    std::vector<std::string> words;              // the command's other arguments
    bool asksHelp = false;
};

Said readSaid(const std::vector<std::string>& args)
{
    Said s;
    std::size_t i = 0;
    for (; i < args.size() && args[i].starts_with("-"); ++i) {
        const std::string& a = args[i];
        s.asksHelp = s.asksHelp || a == "--help" || a == "-h" || a == "--version";
        const std::size_t eq = a.find('=');
        const std::string name = a.substr(0, eq);
        std::string value;
        const bool takesValue = name == "--host" || name == "--port" || name == "--hosts" || name == "--jobs" ||
                                name == "--timeout";
        if (eq != std::string::npos) value = a.substr(eq + 1);
        else if (takesValue && i + 1 < args.size()) value = args[++i];
        if (name == "--host") s.host = value;
        if (name == "--port") s.port = value;
        if (name == "--hosts") s.hostsFile = value;
    }
    if (i < args.size()) s.command = args[i++];
    for (; i < args.size(); ++i) {
        const std::string& a = args[i];
        s.asksHelp = s.asksHelp || a == "--help" || a == "-h";
        if (!a.starts_with("--")) {
            s.words.push_back(a);
            continue;
        }
        const std::size_t eq = a.find('=');
        if (eq != std::string::npos) s.options[a.substr(2, eq - 2)] = a.substr(eq + 1);
        else if (i + 1 < args.size()) s.options[a.substr(2)] = args[++i];
    }
    return s;
}

// Lower case without blanks, '-' and '_', '*' read as 'x': how a person may
// write a list's item.
std::string squeezed(std::string_view text)
{
    std::string out;
    for (char c : text) {
        if (c == ' ' || c == '-' || c == '_') continue;
        if (c == '*') c = 'x';
        out += c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    }
    return out;
}

// ---- the request's bytes ---------------------------------------------------------

using Items = std::span<const std::wstring_view>;

// A list's payload byte must name an item of the list that the option's
// text spells (the text may leave off what the item's last word repeats).
int indexFor(std::uint8_t code, Items items, const Said& said, const char* option, const std::string& detail)
{
    if (code < 1 || code > items.size())
        propertyFailed("each list's byte is an item of the list", std::string(option) + detail);
    const auto text = said.options.find(option);
    const std::string item = squeezed(cli::utf8(items[code - 1]));
    if (text == said.options.end() || squeezed(text->second).empty() || !item.starts_with(squeezed(text->second)))
        propertyFailed("each list's byte is the item the argument names", std::string(option) + detail);
    return code - 1;
}

void checkMainStream(const Bytes& bytes, const Said& said, const std::string& detail)
{
    if (bytes.size() != 11) propertyFailed("the main stream frame is the builder's", detail);
    MainStreamSelection s;
    s.lists.bitRate = indexFor(bytes[3], res::kBitRateListItems, said, "bitrate", detail);
    s.lists.resolution = indexFor(bytes[4], res::kMainResolutionItems, said, "resolution", detail);
    s.lists.pushMode = indexFor(bytes[5], res::kMainPushModeItems, said, "push-mode", detail);
    s.lists.encoder = indexFor(bytes[6], res::kEncoderItems, said, "encoder", detail);
    s.lists.frameRate = indexFor(bytes[7], res::kFrameRateItems, said, "frame-rate", detail);
    s.lists.packet = indexFor(bytes[8], res::kPacketItems, said, "packet", detail);
    s.record = indexFor(bytes[9], res::kRecordItems, said, "record", detail);
    const auto form = mainBitRateFormFor(s.lists.resolution).value_or(BitRateForm::Long);
    if (static_cast<std::size_t>(s.lists.bitRate) >= bitRateItems(form).size())
        propertyFailed("the bit rate is one the resolution offers", detail);
    if (mainStreamFrame(s) != bytes) propertyFailed("the main stream frame is the builder's", detail);
}

void checkSubStream(const Bytes& bytes, const Said& said, const std::string& detail)
{
    if (bytes.size() != 10) propertyFailed("the sub stream frame is the builder's", detail);
    StreamSelection s;
    s.bitRate = indexFor(bytes[3], res::kBitRateListItems, said, "bitrate", detail);
    s.resolution = indexFor(bytes[4], res::kSubResolutionItems, said, "resolution", detail);
    s.pushMode = indexFor(bytes[5], res::kSubPushModeItems, said, "push-mode", detail);
    s.encoder = indexFor(bytes[6], res::kEncoderItems, said, "encoder", detail);
    s.frameRate = indexFor(bytes[7], res::kFrameRateItems, said, "frame-rate", detail);
    s.packet = indexFor(bytes[8], res::kPacketItems, said, "packet", detail);
    const auto form = subBitRateFormFor(s.resolution).value_or(BitRateForm::Long);
    if (static_cast<std::size_t>(s.bitRate) >= bitRateItems(form).size())
        propertyFailed("the bit rate is one the resolution offers", detail);
    if (subStreamFrame(s) != bytes) propertyFailed("the sub stream frame is the builder's", detail);
}

// The addresses of set-ip are those the options hold, as a person reads them.
void checkSetIp(const Bytes& bytes, const Said& said, const std::string& detail)
{
    const auto addressOf = [&](const char* option) {
        const auto text = said.options.find(option);
        const auto a = text == said.options.end() ? std::optional<Address>() : addressIn(text->second);
        if (!a) propertyFailed("set-ip sends only addresses written as such", option + detail);
        return *a;
    };
    IpSettings s;
    s.camera = addressOf("module-ip");
    s.gateway = addressOf("gateway");
    s.dns = addressOf("dns");
    s.mask = addressOf("mask");
    if (said.options.contains("udp-ip") || said.options.contains("udp-port")) {
        const auto port = numberIn(said.options.contains("udp-port") ? said.options.at("udp-port") : "");
        if (!port || *port < 1025 || *port > 65534) propertyFailed("set-ip sends only a port written as such", detail);
        s.udp = UdpTarget{addressOf("udp-ip"), static_cast<std::uint16_t>(*port)};
    }
    if (ipSettingsFrame(s) != bytes) propertyFailed("the IP settings frame is the builder's for the options", detail);
}

// A choice between two words, written in any case, with '-' or '_' anywhere.
bool says(const Said& said, const char* word)
{
    return said.words.size() == 1 && squeezed(said.words[0]) == word;
}

void checkRequest(const cli::Request& r, const Said& said, const std::string& detail)
{
    if (r.command != said.command) propertyFailed("the request is the command named", detail);
    const std::string& c = said.command;
    const auto expect = [&](bool holds, const char* what) {
        if (!holds) propertyFailed(what, detail);
    };
    if (c == "status") expect(r.bytes == statusQueryFrame(), "status sends the status query");
    else if (c == "version") expect(r.bytes == versionQueryFrame(), "version sends the version query");
    else if (c == "sub-stream") expect(r.bytes == subStreamOffFrame() && says(said, "off"), "sub-stream off");
    else if (c == "bandwidth")
        expect((says(said, "10m") && r.bytes == bandwidthFrame(Bandwidth::Mbit10) && r.state == 1) ||
                   (says(said, "100m") && r.bytes == bandwidthFrame(Bandwidth::Mbit100) && r.state == 0),
               "bandwidth sends the frame of the speed named");
    else if (c == "dhcp")
        expect((says(said, "on") && r.bytes == dhcpFrame(true) && r.state == 1) ||
                   (says(said, "off") && r.bytes == dhcpFrame(false) && r.state == 0),
               "dhcp sends the frame of the state named");
    else if (c == "get-push-addr")
        expect(std::string(r.bytes.begin(), r.bytes.end()) == kPushAddressRequest &&
                   r.await == cli::Request::Await::PushAddress,
               "get-push-addr sends the request");
    else if (c == "set-push-addr")
        expect(said.words.size() == 1 && std::string(r.bytes.begin(), r.bytes.end()) == said.words[0] &&
                   r.await == cli::Request::Await::Nothing,
               "set-push-addr sends the address as typed");
    else if (c == "set-main-stream") checkMainStream(r.bytes, said, detail);
    else if (c == "set-sub-stream") checkSubStream(r.bytes, said, detail);
    else if (c == "set-ip") checkSetIp(r.bytes, said, detail);
    else propertyFailed("a request is one of the commands", detail);
}

// ---- the modules -----------------------------------------------------------------

void checkTarget(const cli::Target& t, const std::string& host, const std::string& port, const std::string& detail)
{
    const auto address = addressIn(host);
    const auto number = numberIn(port);
    const std::string which = detail + "\nmodule " + shown(t.host) + " " + std::to_string(t.port);
    if (t.host != host || !address || t.address != networkOrder(*address) || *address == Address{0, 0, 0, 0})
        propertyFailed("the module is the address written, as a person reads it", which);
    if (!number || *number != t.port || t.port < 1 || t.port > 65534)
        propertyFailed("the module's port is the one written, as a person reads it", which);
}

void checkTargets(const std::vector<cli::Target>& targets, const Said& said, const std::string& detail)
{
    if (said.hostsFile) {
        if (*said.hostsFile != kHostsName || targets.size() != 2)
            propertyFailed("the modules are those of the hosts file", detail);
        checkTarget(targets[0], "127.0.0.1", said.port, detail);
        checkTarget(targets[1], "127.0.0.2", "2001", detail);
        return;
    }
    if (!said.host || targets.size() != 1) propertyFailed("one --host is one module", detail);
    const std::size_t colon = said.host->find(':');
    checkTarget(targets[0], said.host->substr(0, colon),
                colon == std::string::npos ? said.port : said.host->substr(colon + 1), detail);
}

std::unique_ptr<std::istream> openHosts(const std::string& path)
{
    if (path != kHostsName) return nullptr;
    return std::make_unique<std::istringstream>(kHostsText);
}

// Words the program knows, for inputs that are made of them: mutating
// bytes alone seldom keeps a whole command line valid.
const std::vector<std::string>& vocabulary()
{
    static const std::vector<std::string> words = [] {
        std::vector<std::string> w{
            "--host", "--port", "--hosts", "--jobs", "--timeout", "--json", "--trace", "--help", "-h", "--version",
            "status", "version", "set-ip", "set-main-stream", "set-sub-stream", "sub-stream", "bandwidth", "dhcp",
            "get-push-addr", "set-push-addr", "scan", "--list", "127.0.0.0/24", "10.0.0.1-20", "--module-ip", "--gateway", "--dns", "--mask", "--udp-ip",
            "--udp-port", "--resolution", "--bitrate", "--push-mode", "--encoder", "--frame-rate", "--packet",
            "--record", "off", "on", "10M", "100m", "127.0.0.1", "127.0.0.2:2001", "192.168.2.119", "192.168.2.1",
            "192.168.001.010", "0.0.0.0", "000.0.0.0", "255.255.255.0", "10.0.0.255", "1.2.3.300", "127.1",
            "2000", "23003", "1025", "65534", "65535", "0", "-1", "0.5", "3", "hosts.txt", "rtmp://a/b", "1280x720",
            "30"};
        for (Items items : {Items(res::kMainResolutionItems), Items(res::kBitRateListItems),
                            Items(res::kMainPushModeItems), Items(res::kEncoderItems), Items(res::kFrameRateItems),
                            Items(res::kPacketItems), Items(res::kRecordItems), Items(res::kSubResolutionItems),
                            Items(res::kSubPushModeItems)})
            for (std::wstring_view item : items) w.push_back(cli::utf8(item));
        return w;
    }();
    return words;
}

// The input as arguments: split at NUL bytes; or, when it starts with 0x01,
// each byte a word of the vocabulary (0xFF: the next bytes up to a NUL are a
// word of their own).
std::vector<std::string> argumentsOf(const std::uint8_t* data, std::size_t size)
{
    constexpr std::size_t kMaxArgs = 40;
    std::vector<std::string> args;
    const std::string all(reinterpret_cast<const char*>(data), size);
    if (size > 0 && data[0] == 0x01) {
        for (std::size_t i = 1; i < size && args.size() < kMaxArgs; ++i) {
            if (data[i] != 0xFF) {
                args.push_back(vocabulary()[data[i] % vocabulary().size()]);
                continue;
            }
            const std::size_t end = std::min(all.find('\0', i + 1), all.size());
            args.push_back(all.substr(i + 1, end - i - 1));
            i = end;
        }
        return args;
    }
    for (std::size_t start = 0; size > 0 && start <= all.size() && args.size() < kMaxArgs;) {
        const std::size_t end = std::min(all.find('\0', start), all.size());
        args.push_back(all.substr(start, end - start));
        start = end + 1;
    }
    return args;
}

// ---- the scan -----------------------------------------------------------------

// A scan's words are what follows "scan", then the options before it. Read
// on, they end at once as any command line does, or ask for a search of a
// range written among them (fuzz_scan_range checks how a range is read),
// within the scan's bounds.
void checkScan(const cli::ScanCall& call, const std::vector<std::string>& args, const Said& said,
               const std::string& detail)
{
    if (said.command != "scan") propertyFailed("only the word scan starts a scan", detail);
    std::vector<std::string> sorted = call.args, given = args;
    given.erase(std::find(given.begin(), given.end(), "scan"));
    std::sort(sorted.begin(), sorted.end());
    std::sort(given.begin(), given.end());
    if (sorted != given) propertyFailed("a scan's words are the command line's but the word scan", detail);

    const auto has = [&](const char* word) { return std::find(call.args.begin(), call.args.end(), word) != call.args.end(); };
    const auto read = cli::readScanCommandLine(call.args);
    if (const auto* now = std::get_if<cli::Immediate>(&read)) {
        const bool bad = now->status == cli::kExitBadInput && now->out.empty() && now->err.ends_with("\n");
        const bool help = now->status == cli::kExitConfirmed && !now->out.empty() && now->err.empty() &&
                          (has("--help") || has("-h"));
        if (!bad && !help) propertyFailed("a scan ends at once with its help, or exit 2 and a message", detail);
        return;
    }
    const cli::ScanRequest& r = std::get<cli::ScanRequest>(read);
    if (r.range.size() > kMaxScanAddresses || r.range.last < r.range.first)
        propertyFailed("a scan searches 1 to 1,024 addresses", detail);
    const bool written = std::any_of(call.args.begin(), call.args.end(), [&](const std::string& w) {
        const auto parsed = parseScanRange(w);
        return std::holds_alternative<ScanRange>(parsed) && std::get<ScanRange>(parsed) == r.range;
    });
    if (!written) propertyFailed("a scan searches a range written on its command line", detail);
    if (r.settings.port < 1 || r.settings.port > 65534 || r.settings.jobs < 1 ||
        r.settings.jobs > static_cast<int>(kMaxScanAddresses) || r.settings.timeout.count() < 1 ||
        r.settings.timeout.count() > 60 * 1000)
        propertyFailed("a scan's port, jobs and time-out stay within their bounds", detail);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::vector<std::string> args = argumentsOf(data, size);
    std::string detail = "\narguments:";
    for (const std::string& a : args) detail += " " + shown(a);
    const cli::CommandLine line = cli::readCommandLine(args, openHosts);
    const Said said = readSaid(args);

    if (const auto* now = std::get_if<cli::Immediate>(&line)) {
        if (now->status == cli::kExitBadInput) {
            if (!now->out.empty() || now->err.size() < 2 || !now->err.ends_with("\n"))
                propertyFailed("bad input: exit 2 with a message on stderr alone", detail + "\nerr: " + now->err);
        } else if (now->status == cli::kExitConfirmed) {
            if (now->out.empty() || !now->err.empty() || !said.asksHelp)
                propertyFailed("exit 0 at once only with the help or version asked for", detail);
        } else {
            propertyFailed("an immediate end is exit 0 or 2", detail);
        }
        return 0;
    }
    if (const auto* scan = std::get_if<cli::ScanCall>(&line)) {
        checkScan(*scan, args, said, detail);
        return 0;
    }
    const cli::Invocation& run = std::get<cli::Invocation>(line);
    checkRequest(run.request, said, detail);
    checkTargets(run.targets, said, detail);
    if (run.jobs < 1 || run.jobs > 4096 || run.timeout.count() <= 0 || run.timeout.count() > 3600 * 1000)
        propertyFailed("jobs and time-out stay within their bounds", detail);
    return 0;
}
