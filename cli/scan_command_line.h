// nolt-cli scan's words read into what to search, without searching: like
// the other commands' reading, it opens no socket, so that it can be tested
// and fuzzed on its own.
#pragma once

#include "cli/command_line.h"
#include "scan/scan_range.h"
#include "scan/scanner.h"

#include <string>
#include <variant>
#include <vector>

namespace nolt::cli {

// What a scan's command line asks for.
struct ScanRequest {
    enum class Form { Text, Json, List };
    ScanRange range;
    ScanSettings settings;
    Form form = Form::Text;
};

// Reads a scan's words (what follows "scan", then the global options given
// before it): the request, or --help (status 0, the text for stdout) or bad
// input (status 2, the message for stderr).
std::variant<ScanRequest, Immediate> readScanCommandLine(const std::vector<std::string>& args);

// The synopsis lines of the top-level help.
std::string scanSummary();

}  // namespace nolt::cli
