// The modules a command goes to: the one --host names, or every module of a
// --hosts file, each checked as the dialog checks its Connect inputs.
#pragma once

#include "cli/runner.h"

#include <functional>
#include <istream>
#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace nolt::cli {

// Opens the file that --hosts names; nullptr when it cannot be read.
using HostsOpener = std::function<std::unique_ptr<std::istream>(const std::string& path)>;
std::unique_ptr<std::istream> openHostsFile(const std::string& path);

// The modules of a hosts file: one "host[:port]" a line, "#" starts a
// comment, blank lines are skipped, defaultPort where a line names none.
// Either every module, or the message for the first line that is none
// ("name:line: ...") or for a file that names no module.
std::variant<std::vector<Target>, std::string> readHostsList(std::istream& in, const std::string& name,
                                                             const std::string& defaultPort);

// The modules of --host or --hosts (not both), with --port where they name
// none; or the message that says why there are none.
std::variant<std::vector<Target>, std::string> readTargets(const std::optional<std::string>& host,
                                                           const std::optional<std::string>& hostsFile,
                                                           const std::string& port, const HostsOpener& open);

}  // namespace nolt::cli
