// The process's QApplication, made by the application object's run.

#include <QApplication>

#include "framework/backend.h"

namespace nolt::fw {

int backend::runApplication(const std::function<void()>& initInstance)
{
    if (QApplication::instance() != nullptr) {
        initInstance();
        return 0;
    }
    // Qt keeps references to these for the life of the application. The
    // platform and the like are chosen through Qt's environment variables.
    static int argc = 1;
    static char name[] = "nolt-pcclient";
    static char* argv[] = {name, nullptr};
    QApplication app(argc, argv);
    initInstance();
    return 0;
}

}  // namespace nolt::fw
