#include "cli/cli.h"

#include "cli/report.h"
#include "cli/runner.h"
#include "cli/scan_command.h"
#include "cli/text.h"
#include "platform/file_failure_text.h"
#include "platform/program_info.h"
#include "platform/socket_poll.h"

#include <chrono>

namespace nolt::cli {

int runCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    const CommandLine line = readCommandLine(args);
    if (const auto* now = std::get_if<Immediate>(&line)) {
        out << now->out;
        err << now->err;
        return now->status;
    }
    if (const auto* scan = std::get_if<ScanRequest>(&line)) return runScan(*scan, out, err);
    const Invocation& run = std::get<Invocation>(line);
    const Request& request = run.request;

    // The dialog's warnings only warn: the frame still goes.
    for (const std::wstring& warning : request.warnings) err << utf8(warning) << '\n';

    RunSettings settings;
    if (run.pcap) {
        int error = 0;
        settings.capture = capture::CaptureFile::create(std::filesystem::path(*run.pcap), versionLine("nolt-cli"), &error);
        if (!settings.capture) {
            err << "nolt-cli: " << *run.pcap << ": " << utf8(fileFailureReason(FileStatus::CreateFailed, error)) << '\n';
            return kExitBadInput;
        }
    }
    raiseOpenFileLimit();
    TraceSink trace(err);
    settings.jobs = run.jobs;
    settings.timeout = run.timeout;
    settings.trace = run.trace ? &trace : nullptr;
    settings.finished = [&](const ModuleResult& r) {
        if (run.json) out << jsonObject(r, request.command) << '\n';
        else if (run.batch) out << outcomeLine(r) << '\n';
        else printSingle(r, out, err);
        out.flush();
    };
    const auto start = std::chrono::steady_clock::now();
    const auto results = runRequest(request, run.targets, settings);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (run.batch && !run.json) out << '\n' << summaryTable(results, seconds);
    // The run's outcome stands; a recording that broke off is said once.
    if (settings.capture)
        if (const auto error = settings.capture->takeFailure())
            err << "nolt-cli: the recording stopped: " << *run.pcap << ": "
                << utf8(fileFailureReason(FileStatus::WriteFailed, *error)) << '\n';

    for (const ModuleResult& r : results)
        if (exitStatus(r.outcome) != 0) return kExitFailed;
    return kExitConfirmed;
}

}  // namespace nolt::cli
