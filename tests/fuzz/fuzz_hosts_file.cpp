// nolt-cli's hosts file (--hosts), any bytes, with any --port as the default.
//
// Property: the file gives either a list of modules or a clear error, and
// never a module that was not written there: each module is a line of the
// file, in order, one for every line that is not blank or a comment, with
// the address and port a person reads in that line (the default port where
// the line names none). No line may be longer than 4,096 characters, a
// comment neither, counted before its LF or CR LF: the first such line is
// named as too long unless a line before it is no module. Any other error
// names a line that holds something, or says that the file names no module
// when none does.
#include "cli/command_line.h"
#include "fuzz_check.h"
#include "person_reading.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <sstream>
#include <string>
#include <vector>

using namespace nolt;
using namespace nolt::fuzz;

namespace {

constexpr const char* kName = "hosts.txt";

constexpr std::size_t kLongestLine = 4096;

// A line's number, its length before its line end, and what it names:
// comments cut off, blanks and CRs trimmed.
struct Line {
    int number = 0;
    std::size_t length = 0;
    std::string text;
};

std::vector<Line> linesOf(const std::string& file)
{
    std::vector<Line> out;
    int number = 0;
    for (std::size_t start = 0; start < file.size();) {
        std::size_t end = file.find('\n', start);
        const bool ended = end != std::string::npos;
        if (!ended) end = file.size();
        std::string line = file.substr(start, end - start);
        start = end + 1;
        const bool crlf = ended && !line.empty() && line.back() == '\r';
        Line l{++number, line.size() - (crlf ? 1 : 0), {}};
        line = line.substr(0, line.find('#'));
        const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
        while (!line.empty() && blank(line.back())) line.pop_back();
        std::size_t first = 0;
        while (first < line.size() && blank(line[first])) ++first;
        l.text = line.substr(first);
        out.push_back(std::move(l));
    }
    return out;
}

// The lines before the first one that is too long, and that one's number
// (0 for none).
int firstTooLong(std::vector<Line>& lines)
{
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].length <= kLongestLine) continue;
        const int number = lines[i].number;
        lines.resize(i);
        return number;
    }
    return 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider in(data, size);
    const std::string defaultPort = in.ConsumeRandomLengthString(8);
    const std::string file = in.ConsumeRemainingBytesAsString();
    std::istringstream stream(file);
    const auto result = cli::readHostsList(stream, kName, defaultPort);
    std::vector<Line> named = linesOf(file);
    const int tooLong = firstTooLong(named);
    std::erase_if(named, [](const Line& l) { return l.text.empty(); });
    const std::string detail = "default port " + shown(defaultPort) + ", file " + shown(file);

    if (const auto* message = std::get_if<std::string>(&result)) {
        const std::string tooLongMessage =
            std::string(kName) + ": line " + std::to_string(tooLong) + " is longer than 4,096 characters";
        if (*message == tooLongMessage && tooLong != 0) return 0;
        if (*message == "nolt-cli: the hosts file hosts.txt names no module\nTry 'nolt-cli --help'.") {
            if (!named.empty() || tooLong != 0)
                propertyFailed("a file is said to name no module only when it names none, in lines not too long",
                               detail);
            return 0;
        }
        const std::string tail = ": Please enter the correct IP address or port";
        const std::string prefix = std::string(kName) + ":";
        if (!message->starts_with(prefix) || !message->ends_with(tail))
            propertyFailed("an error is clear, and a line too long is named as such",
                           detail + "\nmessage: " + shown(*message));
        const std::string number = message->substr(prefix.size(), message->size() - prefix.size() - tail.size());
        bool names = false;
        for (const Line& n : named) names = names || std::to_string(n.number) == number;
        if (!names)
            propertyFailed("an error names a line that holds something, before any line too long",
                           detail + "\nmessage: " + *message);
        return 0;
    }

    if (tooLong != 0) propertyFailed("a line too long is refused", detail + "\nline " + std::to_string(tooLong));
    const auto& targets = std::get<std::vector<cli::Target>>(result);
    if (targets.size() != named.size())
        propertyFailed("a module for every line that names one, and no other",
                       detail + "\n" + std::to_string(targets.size()) + " modules for " +
                           std::to_string(named.size()) + " lines");
    for (std::size_t i = 0; i < targets.size(); ++i) {
        const std::string& line = named[i].text;
        const std::size_t colon = line.find(':');
        const std::string host = line.substr(0, colon);
        const std::string portText = colon == std::string::npos ? defaultPort : line.substr(colon + 1);
        const auto address = addressIn(host);
        const auto port = numberIn(portText);
        const std::string which = detail + "\nline " + std::to_string(named[i].number) + ": " + shown(line) +
                                  " gave " + shown(targets[i].host) + " " + std::to_string(targets[i].port);
        if (targets[i].host != host) propertyFailed("each module is its line's address, as written", which);
        if (!address || targets[i].address != networkOrder(*address) || *address == Address{0, 0, 0, 0})
            propertyFailed("each module's address is what a person reads in its line", which);
        if (!port || *port != targets[i].port || *port < 1 || *port > 65534)
            propertyFailed("each module's port is what a person reads in its line", which);
    }
    return 0;
}
