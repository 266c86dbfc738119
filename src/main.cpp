// The tool: one application object, whose start-up runs the main dialog.

#include <QApplication>

#include "app/nolt_pcclient_app.h"

int main(int argc, char* argv[])
{
    QApplication qapp(argc, argv);
    nolt::Cnolt_PCClientApp app;
    return app.run();
}
