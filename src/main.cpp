// The tool: one application object, whose start-up runs the main dialog.
// The framework's run sets up the window system first.

#include "app/nolt_pcclient_app.h"
#include "platform/program_info.h"

namespace {

constexpr const char* kHelpText =
    "Usage: nolt-pcclient [--help] [--version]\n"
    "Configures a networked camera module over one TCP connection: status and\n"
    "version queries, main and sub stream encoding, the module's IP settings,\n"
    "bandwidth, DHCP and its rtmp:// push address.\n"
    "\n"
    "The link address and the module's address fields are kept in\n"
    "$XDG_CONFIG_HOME/nolt-pcclient/Config.ini, or in the file named by\n"
    "NOLT_PCCLIENT_CONFIG.\n";

}  // namespace

int main(int argc, char* argv[])
{
    if (auto rc = nolt::handleInfoOptions(argc, argv, "nolt-pcclient", kHelpText)) return *rc;
    nolt::Cnolt_PCClientApp app;
    return app.run();
}
