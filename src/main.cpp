// The tool: one application object, whose start-up runs the main dialog.
// The framework's run sets up the window system first.

#include "app/nolt_pcclient_app.h"

int main()
{
    nolt::Cnolt_PCClientApp app;
    return app.run();
}
