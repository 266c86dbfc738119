// Shows the Tools dialog on the current display for a few seconds so that a
// screenshot can be taken of it. Its buttons only record their commands;
// nothing is ever run. Prints the window's position and size on screen as
// "x y width height" once it is shown.
//   tools_dialog_show [seconds]

#include <QApplication>
#include <QDialog>
#include <QTimer>

#include <cstdio>
#include <cstdlib>

#include "framework/qt/qt_access.h"
#include "platform/command_interpreter.h"
#include "tools/tools_dialog.h"

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const int seconds = argc > 1 ? std::atoi(argv[1]) : 5;
    nolt::RecordingCommandInterpreter recorder;
    nolt::DlgOther dlg(recorder);
    dlg.Create();
    QDialog* w = nolt::fw::DialogAccess::window(dlg);
    QTimer::singleShot(300, w, [w] {
        const QRect r = w->frameGeometry();
        std::printf("%d %d %d %d\n", r.x(), r.y(), r.width(), r.height());
        std::fflush(stdout);
    });
    QTimer::singleShot(seconds * 1000, &app, &QApplication::quit);
    return app.exec();
}
