#include "cli/targets.h"

#include "cli/text.h"
#include "link/connect_input.h"
#include "link/link_texts.h"

#include <fstream>

namespace nolt::cli {

namespace {

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

std::unique_ptr<std::istream> openHostsFile(const std::string& path)
{
    auto in = std::make_unique<std::ifstream>(path);
    if (!*in) return nullptr;
    return in;
}

std::variant<std::vector<Target>, std::string> readHostsList(std::istream& in, const std::string& name,
                                                             const std::string& defaultPort)
{
    std::vector<Target> targets;
    std::string line;
    for (int number = 1;; ++number) {
        const LineRead read = readHostsLine(in, line);
        if (read == LineRead::End) break;
        if (read == LineRead::TooLong) return name + ": line " + std::to_string(number) + kLineTooLong;
        const std::string text = trimmed(line.substr(0, line.find('#')));
        if (text.empty()) continue;
        const auto target = targetOf(text, defaultPort);
        if (!target) return name + ":" + std::to_string(number) + ": " + utf8(kLinkBadInput);
        targets.push_back(*target);
    }
    if (targets.empty()) return usageMessage("", "the hosts file " + name + " names no module");
    return targets;
}

std::variant<std::vector<Target>, std::string> readTargets(const std::optional<std::string>& host,
                                                           const std::optional<std::string>& hostsFile,
                                                           const std::string& port, const HostsOpener& open)
{
    if (host && hostsFile) return usageMessage("", "give either --host or --hosts, not both");
    if (hostsFile) {
        const std::unique_ptr<std::istream> in = open(*hostsFile);
        if (!in) return usageMessage("", "cannot read the hosts file " + *hostsFile);
        return readHostsList(*in, *hostsFile, port);
    }
    if (!host) return usageMessage("", "no module given: use --host ADDRESS or --hosts FILE");
    const auto target = targetOf(*host, port);
    if (!target) return utf8(kLinkBadInput);
    return std::vector<Target>{*target};
}

}  // namespace nolt::cli
