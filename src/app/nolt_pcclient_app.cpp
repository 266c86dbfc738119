#include "app/nolt_pcclient_app.h"

#include "app/nolt_pcclient_dlg.h"
#include "framework/message_box.h"
#include "res/resource.h"
#include "res/strings.h"

namespace nolt {
namespace {

constexpr auto kRegistryKey = L"应用程序向导生成的本地应用程序";
constexpr unsigned kRestartSupport = 1;

}  // namespace

Cnolt_PCClientApp::Cnolt_PCClientApp() : fw::CWinApp(std::wstring(res::kAppTitle))
{
    restartManagerSupportFlags = kRestartSupport;
}

bool Cnolt_PCClientApp::InitInstance()
{
    // The common controls need no registration here: the framework builds
    // every control kind itself.
    CWinApp::InitInstance();
    if (!fw::AfxSocketInit()) {
        fw::AfxMessageBox(std::wstring(res::loadString(res::IDP_SOCKETS_INIT_FAILED)));
        return false;
    }
    SetRegistryKey(kRegistryKey);

    Cnolt_PCClientDlg dlg;
    setMainWindow(&dlg);
    dlg.DoModal();
    setMainWindow(nullptr);
    // Returning false ends the process instead of starting a message loop.
    return false;
}

}  // namespace nolt
