// nolt-cli scan: the modules in an address range, for a person looking for a
// module's address or for a script making a --hosts file.
#pragma once

#include "cli/scan_command_line.h"

#include <ostream>
#include <string>
#include <vector>

namespace nolt::cli {

// args: what follows the word "scan" (the range and the scan's options).
// Exit status 0 when a module was found, 1 when none, 2 for bad input (then
// nothing is sent) or a search that could not be made (the process is
// limited to loopback addresses, or not one socket could be opened).
int runScanCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace nolt::cli
