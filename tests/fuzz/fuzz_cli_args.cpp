// nolt-cli's command line, any arguments (the input split at NUL bytes, or
// made of the program's own words), read as the program reads it before it
// sends anything.
//
// Property: either the program ends at once - exit 2 with a message on
// stderr and nothing on stdout, or exit 0 with the help or version text
// asked for - or every value it took is the one the words say, read here
// apart from the program: the command named, its words, and for each option
// the last value written for it, wherever it stands (before the command or
// after it). A request's bytes are those the frame builders make for the
// choices named, to the modules named (the address and port a person reads
// in them) and to no other; a search covers the range written, on the port
// written, and the numbers of connections and the time-outs are those
// written, within the command's own bounds.
#include "cli/cli.h"
#include "cli/text.h"
#include "commands/command_frames.h"
#include "commands/push_address_text.h"
#include "commands/stream_rules.h"
#include "fuzz_check.h"
#include "person_reading.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

using namespace nolt;
using namespace nolt::fuzz;

namespace {

constexpr const char* kHostsName = "hosts.txt";
constexpr const char* kHostsText = "# two modules\n127.0.0.1\n127.0.0.2:2001  # the second\n";

// ---- what the words say, read apart from the program --------------------------

// The grammar as its help describes it: options that take a value (the
// global ones anywhere, a command's own after its name), switches, and the
// words each command takes.
const std::set<std::string> kGlobalValues{"--host", "--port", "--hosts", "--jobs", "--timeout"};
const std::set<std::string> kGlobalSwitches{"--json", "--trace", "--help", "--version"};
const std::map<std::string, std::set<std::string>> kCommandValues{
    {"set-ip", {"--module-ip", "--gateway", "--dns", "--mask", "--udp-ip", "--udp-port"}},
    {"set-main-stream", {"--resolution", "--bitrate", "--push-mode", "--encoder", "--frame-rate", "--packet", "--record"}},
    {"set-sub-stream", {"--resolution", "--bitrate", "--push-mode", "--encoder", "--frame-rate", "--packet"}},
};
const std::map<std::string, std::size_t> kCommandWords{
    {"status", 0},     {"version", 0},   {"set-ip", 0}, {"set-main-stream", 0}, {"set-sub-stream", 0},
    {"sub-stream", 1}, {"bandwidth", 1}, {"dhcp", 1},   {"get-push-addr", 0},   {"set-push-addr", 1},
    {"scan", 1},
};

struct Said {
    std::string command;
    std::map<std::string, std::string> last;  // the last value written for each option
    std::set<std::string> switches;
    std::vector<std::string> words;  // the command's own
    bool asksInfo = false;           // -h..., --help or --version, as an option
    bool mentionsInfo = false;       // any word like those, even where it is none
    bool unplaced = false;           // a word the grammar has no place for

    const std::string* value(const std::string& option) const
    {
        const auto it = last.find(option);
        return it == last.end() ? nullptr : &it->second;
    }
};

// What may follow "--" or "-" as an option's name.
bool nameStart(char c) { return c != '-' && c != '!' && c != ' ' && c != '\n'; }

bool takesValue(const std::string& name, const std::string& command, bool commandClosed)
{
    if (kGlobalValues.contains(name)) return true;
    if (command.empty() || commandClosed) return false;
    const auto own = kCommandValues.find(command);
    return own != kCommandValues.end() && own->second.contains(name);
}

// Reads the words as the program's help says they are read: the first word
// that is not an option or an option's value names the command; an option's
// value is the rest after "=" or else the next word, whatever it is; "--"
// makes every later word one of the command's; "++" ends the command's own
// options and words; "-" followed by a digit is a word (a negative number).
Said readSaid(const std::vector<std::string>& args)
{
    Said s;
    bool onlyWords = false, closed = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        s.mentionsInfo = s.mentionsInfo || a.starts_with("-h") || a.starts_with("--help") || a.starts_with("--version");
        const bool isLong = !onlyWords && a.size() > 2 && a.starts_with("--") && nameStart(a[2]);
        const bool isShort = !onlyWords && !isLong && a.size() > 1 && a[0] == '-' && nameStart(a[1]) &&
                             !(a[1] >= '0' && a[1] <= '9');
        if (!onlyWords && a == "--") {
            onlyWords = true;
        } else if (!onlyWords && s.command.empty() && kCommandWords.contains(a)) {
            s.command = a;
        } else if (!onlyWords && a == "++" && !s.command.empty()) {
            s.unplaced = s.unplaced || closed;
            closed = true;
        } else if (isLong) {
            const std::size_t eq = a.find('=');
            const std::string name = a.substr(0, eq);
            std::string value = eq == std::string::npos ? "" : a.substr(eq + 1);
            if (takesValue(name, s.command, closed)) {
                // An empty value after "=" is no value: the next word is.
                if (value.empty() && i + 1 >= args.size()) s.unplaced = true;
                else s.last[name] = value.empty() ? args[++i] : value;
            } else if (kGlobalSwitches.contains(name) || (name == "--list" && s.command == "scan" && !closed)) {
                // A switch takes no value, but for the one it means anyway.
                s.unplaced = s.unplaced || !(value.empty() || value == "true" || value == "{}");
                s.asksInfo = s.asksInfo || name == "--help" || name == "--version";
                s.switches.insert(name);
            } else {
                s.unplaced = true;
            }
        } else if (isShort) {
            s.asksInfo = s.asksInfo || a[1] == 'h';
            s.unplaced = s.unplaced || a[1] != 'h';
        } else if (s.command.empty() || closed) {
            s.unplaced = true;
        } else {
            s.words.push_back(a);
        }
    }
    return s;
}

// Seconds written as a decimal number ("0.5", "1e3"), in whole milliseconds,
// and never 0 for a time above 0; nothing for anything else.
std::optional<long long> millisecondsIn(const std::string& text)
{
    const bool plain = !text.empty() && text.find_first_not_of("0123456789.eE+-") == std::string::npos &&
                       text[0] != '+' && text[0] != '-';
    if (!plain) return std::nullopt;
    char* end = nullptr;
    const double seconds = std::strtod(text.c_str(), &end);
    if (end != text.c_str() + text.size() || !(seconds > 0) || seconds > 1e6) return std::nullopt;
    return std::max(1LL, static_cast<long long>(seconds * 1000.0 + 0.5));
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
    const std::string* text = said.value(std::string("--") + option);
    const std::string item = squeezed(cli::utf8(items[code - 1]));
    if (!text || squeezed(*text).empty() || !item.starts_with(squeezed(*text)))
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
        const std::string* text = said.value(std::string("--") + option);
        const auto a = text ? addressIn(*text) : std::optional<Address>();
        if (!a) propertyFailed("set-ip sends only addresses written as such", option + detail);
        return *a;
    };
    IpSettings s;
    s.camera = addressOf("module-ip");
    s.gateway = addressOf("gateway");
    s.dns = addressOf("dns");
    s.mask = addressOf("mask");
    if (said.value("--udp-ip") || said.value("--udp-port")) {
        const std::string* text = said.value("--udp-port");
        const auto port = numberIn(text ? *text : "");
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
    const std::string* port = said.value("--port");
    const std::string defaultPort = port ? *port : "2000";
    if (const std::string* hosts = said.value("--hosts")) {
        if (*hosts != kHostsName || targets.size() != 2 || said.value("--host"))
            propertyFailed("the modules are those of the hosts file", detail);
        checkTarget(targets[0], "127.0.0.1", defaultPort, detail);
        checkTarget(targets[1], "127.0.0.2", "2001", detail);
        return;
    }
    const std::string* host = said.value("--host");
    if (!host || targets.size() != 1) propertyFailed("one --host is one module", detail);
    const std::size_t colon = host->find(':');
    checkTarget(targets[0], host->substr(0, colon), colon == std::string::npos ? defaultPort : host->substr(colon + 1),
                detail);
}

// The number of connections and the time-out: the last ones written, within
// the command's bounds, or its defaults.
void checkLimits(int jobs, long long ms, const Said& said, bool scan, const std::string& detail)
{
    const std::string* jobsText = said.value("--jobs");
    const auto wantJobs = jobsText ? numberIn(*jobsText) : std::optional<long long>(scan ? 256 : 64);
    if (!wantJobs || *wantJobs != jobs || jobs < 1 || jobs > (scan ? 1024 : 4096))
        propertyFailed("--jobs is the number written last, within the command's bounds", detail);
    const std::string* timeText = said.value("--timeout");
    const auto wantMs = timeText ? millisecondsIn(*timeText) : std::optional<long long>(scan ? 500 : 3000);
    if (!wantMs || *wantMs != ms || ms > (scan ? 60 : 3600) * 1000LL)
        propertyFailed("--timeout is the time written last, within the command's bounds", detail);
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
        // Added later, after the list items, so that the seeds keep their words.
        w.insert(w.end(), {"--", "++", "-5", "127.0.0.5/32", "127.0.0.250-250", "1024", "4096", "4097", "60", "61",
                           "--port=", "--json=true", "--json=false", "1e3", "0.0004"});
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

void checkScan(const cli::ScanRequest& r, const Said& said, const std::string& detail)
{
    if (said.value("--host") || said.value("--hosts") || said.switches.contains("--trace"))
        propertyFailed("a search takes no modules and no trace", detail);
    const auto range = whatTheTextSays(said.words.at(0));
    if (!range || range->first != r.range.first || range->last != r.range.last || r.range.last < r.range.first ||
        r.range.size() > kMaxScanAddresses)
        propertyFailed("a search covers the range written, 1 to 1,024 addresses", detail);
    const std::string* port = said.value("--port");
    if (r.settings.port != (port ? numberIn(*port).value_or(-1) : 2000) || r.settings.port < 1 ||
        r.settings.port > 65534)
        propertyFailed("a search asks the port written last", detail);
    checkLimits(r.settings.jobs, r.settings.timeout.count(), said, true, detail);
    const bool json = said.switches.contains("--json"), list = said.switches.contains("--list");
    using Form = cli::ScanRequest::Form;
    if (json && list) propertyFailed("--json and --list are not both taken", detail);
    if (r.form != (json ? Form::Json : list ? Form::List : Form::Text))
        propertyFailed("a search prints in the form asked for", detail);
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
            if (now->out.empty() || !now->err.empty() || !said.mentionsInfo)
                propertyFailed("exit 0 at once only with the help or version asked for", detail);
        } else {
            propertyFailed("an immediate end is exit 0 or 2", detail);
        }
        return 0;
    }
    if (said.unplaced) propertyFailed("a word the grammar has no place for is refused", detail);
    if (said.asksInfo) propertyFailed("the help or version asked for is given", detail);
    const auto words = kCommandWords.find(said.command);
    if (words == kCommandWords.end() || words->second != said.words.size())
        propertyFailed("a command takes its own words and no more", detail);
    if (const auto* scan = std::get_if<cli::ScanRequest>(&line)) {
        if (said.command != "scan") propertyFailed("only the word scan starts a search", detail);
        checkScan(*scan, said, detail);
        return 0;
    }
    const cli::Invocation& run = std::get<cli::Invocation>(line);
    checkRequest(run.request, said, detail);
    checkTargets(run.targets, said, detail);
    checkLimits(run.jobs, run.timeout.count(), said, false, detail);
    if (run.batch != (said.value("--hosts") != nullptr) || run.json != said.switches.contains("--json") ||
        run.trace != said.switches.contains("--trace"))
        propertyFailed("--hosts, --json and --trace are taken as written", detail);
    return 0;
}
