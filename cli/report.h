// How nolt-cli prints results: the dialog's texts for one module, one line
// per module and a closing table for a batch, or one JSON object per module.
#pragma once

#include "cli/runner.h"

#include <nlohmann/json_fwd.hpp>

#include <ostream>
#include <string>
#include <vector>

namespace nolt::cli {

// One module alone: the module's lines and fields on out, a failure of the
// link or a missing answer on err.
void printSingle(const ModuleResult& result, std::ostream& out, std::ostream& err);

// "127.0.0.1:2001  confirmed  exit 0  3 ms  Get current movement status successfully; Output Freq 25; ..."
std::string outcomeLine(const ModuleResult& result);

// The count of modules by outcome, with the batch's time.
std::string summaryTable(const std::vector<ModuleResult>& results, double seconds);

// One line of JSON: host, port, command, outcome, exit, lines, fields, the
// bytes sent and received in hex, and the time taken.
std::string jsonObject(const ModuleResult& result, const std::string& command);

// The object as one line, its keys in their order, with "ms" last: the time
// in milliseconds with three decimals. Text that is not UTF-8 is replaced
// (U+FFFD), not refused.
std::string jsonLine(const nlohmann::ordered_json& object, double seconds);

}  // namespace nolt::cli
