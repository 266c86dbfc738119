// The tool: one application object, whose start-up runs the main dialog.
// The framework's run sets up the window system first.

#include "app/nolt_pcclient_app.h"
#include "platform/program_info.h"

int main(int argc, char* argv[])
{
    const std::string help = nolt::pcclientHelpText(nolt::hostSystem());
    if (auto rc = nolt::handleInfoOptions(argc, argv, "nolt-pcclient", help)) return *rc;
    nolt::Cnolt_PCClientApp app;
    return app.run();
}
