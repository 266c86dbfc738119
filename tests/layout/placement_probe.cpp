// The tool's own start-up for placed_whole.sh: once the main dialog is up,
// prints where the middle of its Close button is in the client area, in the
// screen's pixels ("close X Y"), so that the script can click it where the
// window manager put the window. Then it runs as the tool does until the
// dialog ends.
#include <QApplication>

#include <cmath>
#include <cstdio>

#include "app/nolt_pcclient_app.h"
#include "framework/dialog.h"
#include "res/resource.h"

int main(int argc, char** argv)
{
    QApplication qapp(argc, argv);
    nolt::fw::setModalHook([&](nolt::fw::CDialogEx& dlg) {
        const nolt::fw::Rect r = dlg.GetControlRect(nolt::res::IDC_CLOSE);
        // Layout pixels are the screen's pixels divided by the scale factor.
        const double scale = qapp.devicePixelRatio();
        std::printf("close %ld %ld\n", std::lround((r.x + r.w / 2.0) * scale), std::lround((r.y + r.h / 2.0) * scale));
        std::fflush(stdout);
    });
    nolt::Cnolt_PCClientApp app;
    return app.run();
}
