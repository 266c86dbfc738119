// nolt-cli scan: the modules in an address range, for a person looking for a
// module's address or for a script making a --hosts file.
#pragma once

#include "cli/command_line.h"

#include <ostream>

namespace nolt::cli {

// Exit status 0 when a module was found, 1 when none, 2 for a search that
// could not be made (the process is limited to loopback addresses, or not
// one socket could be opened).
int runScan(const ScanRequest& request, std::ostream& out, std::ostream& err);

}  // namespace nolt::cli
