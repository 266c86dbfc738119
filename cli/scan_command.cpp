#include "cli/scan_command.h"

#include "cli/report.h"
#include "cli/text.h"
#include "scan/scanner.h"

#include <nlohmann/json.hpp>

#include <cstdio>

namespace nolt::cli {

namespace {

using Form = ScanRequest::Form;

std::string hostPort(const ScanResult& r, std::uint16_t port) { return dottedText(r.address) + ":" + std::to_string(port); }

std::string count(std::size_t n, const char* one, const char* many)
{
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

std::string resultLine(const ScanResult& r, const ScanRequest& q)
{
    const std::string what = r.verdict == ScanVerdict::Module ? "version " + utf8(r.version) : "no module answer";
    char line[128];
    std::snprintf(line, sizeof line, "%-21s  %-16s  %s", hostPort(r, q.settings.port).c_str(), what.c_str(),
                  secondsText(r.seconds).c_str());
    return line;
}

std::string scanJson(const ScanResult& r, const ScanRequest& q)
{
    nlohmann::ordered_json json{{"host", dottedText(r.address)}, {"port", q.settings.port}};
    if (r.verdict == ScanVerdict::Module) {
        json["outcome"] = "module";
        json["version"] = utf8(r.version);
    } else {
        json["outcome"] = "no module answer";
    }
    return jsonLine(json, r.seconds);
}

std::string countLine(const ScanOutcome& outcome, std::size_t modules, std::size_t open, std::size_t addresses)
{
    return count(modules, "module", "modules") + " found; " + count(open, "address", "addresses") +
           " with the port open but no module answer; " + count(addresses, "address", "addresses") +
           " searched in " + secondsText(outcome.seconds);
}

void print(const ScanOutcome& outcome, const ScanRequest& q, std::ostream& out)
{
    std::size_t modules = 0, open = 0;
    for (const ScanResult& r : outcome.results) {
        if (r.verdict == ScanVerdict::Nothing) continue;
        r.verdict == ScanVerdict::Module ? ++modules : ++open;
        if (q.form == Form::Json) out << scanJson(r, q) << '\n';
        else if (q.form == Form::Text) out << resultLine(r, q) << '\n';
        else if (r.verdict == ScanVerdict::Module) out << hostPort(r, q.settings.port) << '\n';
    }
    // The addresses that have their verdict, which is all of them unless the
    // search was broken off.
    const std::string summary = countLine(outcome, modules, open, outcome.results.size());
    // A comment line keeps the list usable as a --hosts file.
    if (q.form == Form::List) out << "# " << summary << '\n';
    else if (q.form == Form::Text) out << summary << '\n';
}

}  // namespace

int runScan(const ScanRequest& request, std::ostream& out, std::ostream& err)
{
    Scanner scanner(request.range, request.settings);
    const ScanOutcome outcome = scanner.run();
    if (!outcome.error.empty()) {
        err << "nolt-cli scan: " << outcome.error << '\n';
        return kExitBadInput;
    }
    print(outcome, request, out);
    for (const ScanResult& r : outcome.results)
        if (r.verdict == ScanVerdict::Module) return kExitConfirmed;
    return kExitFailed;
}

}  // namespace nolt::cli
