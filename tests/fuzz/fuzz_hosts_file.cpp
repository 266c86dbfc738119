// nolt-cli's hosts file (--hosts), any bytes, with any --port as the default.
//
// Property: the file gives either a list of modules or a clear error, and
// never a module that was not written there: each module is a line of the
// file, in order, one for every line that is not blank or a comment, with
// the address and port a person reads in that line (the default port where
// the line names none). An error names a line that holds something, or says
// that the file names no module when none does.
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

// The lines that name something: comments cut off, blanks and CRs trimmed.
struct Named {
    int number = 0;
    std::string text;
};

std::vector<Named> namedLines(const std::string& file)
{
    std::vector<Named> out;
    int number = 0;
    for (std::size_t start = 0; start < file.size();) {
        std::size_t end = file.find('\n', start);
        if (end == std::string::npos) end = file.size();
        std::string line = file.substr(start, end - start);
        ++number;
        start = end + 1;
        line = line.substr(0, line.find('#'));
        const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
        while (!line.empty() && blank(line.back())) line.pop_back();
        std::size_t first = 0;
        while (first < line.size() && blank(line[first])) ++first;
        if (first < line.size()) out.push_back({number, line.substr(first)});
    }
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider in(data, size);
    const std::string defaultPort = in.ConsumeRandomLengthString(8);
    const std::string file = in.ConsumeRemainingBytesAsString();
    std::istringstream stream(file);
    const auto result = cli::readHostsList(stream, kName, defaultPort);
    const std::vector<Named> named = namedLines(file);
    const std::string detail = "default port " + shown(defaultPort) + ", file " + shown(file);

    if (const auto* message = std::get_if<std::string>(&result)) {
        if (*message == "nolt-cli: the hosts file hosts.txt names no module\nTry 'nolt-cli --help'.") {
            if (!named.empty()) propertyFailed("a file with modules is not said to name none", detail);
            return 0;
        }
        const std::string tail = ": Please enter the correct IP address or port";
        const std::string prefix = std::string(kName) + ":";
        if (!message->starts_with(prefix) || !message->ends_with(tail))
            propertyFailed("an error is clear", detail + "\nmessage: " + shown(*message));
        const std::string number = message->substr(prefix.size(), message->size() - prefix.size() - tail.size());
        bool names = false;
        for (const Named& n : named) names = names || std::to_string(n.number) == number;
        if (!names) propertyFailed("an error names a line that holds something", detail + "\nmessage: " + *message);
        return 0;
    }

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
