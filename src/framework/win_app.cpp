#include "framework/win_app.h"

#include "framework/backend.h"
#include "platform/socket_layer.h"

namespace nolt::fw {
namespace {

CWinApp* g_app = nullptr;

std::function<bool()>& socketStartup()
{
    static std::function<bool()> startup;
    return startup;
}

}  // namespace

CWinApp::CWinApp(std::wstring appTitle) : title_(std::move(appTitle))
{
    g_app = this;
}

CWinApp::~CWinApp()
{
    if (g_app == this) g_app = nullptr;
}

bool CWinApp::InitInstance()
{
    return true;
}

int CWinApp::run()
{
    // A dialog application does all its work in InitInstance and returns
    // false from it; either way the process then ends normally.
    return backend::runApplication([this] { InitInstance(); });
}

CWinApp* AfxGetApp()
{
    return g_app;
}

bool AfxSocketInit()
{
    // Winsock must be started once per process (POSIX needs nothing); a
    // replaced start-up lets tests fail it.
    return socketStartup() ? socketStartup()() : initSocketLayer();
}

void setSocketStartup(std::function<bool()> startup)
{
    socketStartup() = std::move(startup);
}

}  // namespace nolt::fw
