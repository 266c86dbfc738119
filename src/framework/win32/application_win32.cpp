// The process on Windows: the UI thread's set-up, and the real message box.

#include "framework/win32/win32_impl.h"
#include "framework/win_app.h"

namespace nolt::fw {

int backend::runApplication(const std::function<void()>& initInstance)
{
    setUpUiThread();
    initInstance();
    return 0;
}

namespace {

// The window a box belongs to: the popup the user last worked in over the
// main window (a modal dialog, another box), else the main window itself.
// Not the active window: while another program is in front there is none,
// and an unowned box may open behind other windows, leaving the main window
// enabled and the box unseen.
HWND boxOwner()
{
    const CWinApp* app = AfxGetApp();
    const CDialogEx* main = app ? app->mainWindow() : nullptr;
    const HWND mainWindow = main ? DialogAccess::window(*main) : nullptr;
    if (!mainWindow) return GetActiveWindow();
    const HWND popup = GetLastActivePopup(mainWindow);
    return popup && IsWindowVisible(popup) ? popup : mainWindow;
}

// Flashes the tool's task-bar button until the user brings it to the front,
// when another program is in front now.
void drawAttention(HWND owner)
{
    const HWND front = GetForegroundWindow();
    DWORD process = 0;
    if (front) GetWindowThreadProcessId(front, &process);
    if (!owner || process == GetCurrentProcessId()) return;
    FLASHWINFO flash{sizeof(flash), GetAncestor(owner, GA_ROOTOWNER), FLASHW_TRAY | FLASHW_TIMERNOFG, 0, 0};
    FlashWindowEx(&flash);
}

}  // namespace

int backend::showNativeMessageBox(const MessageBoxRequest& r)
{
    UINT flags = MB_OK;
    switch (r.icon) {
    case MessageIcon::Exclamation: flags |= MB_ICONEXCLAMATION; break;
    case MessageIcon::Information: flags |= MB_ICONINFORMATION; break;
    case MessageIcon::Error: flags |= MB_ICONERROR; break;
    case MessageIcon::None: break;
    }
    const HWND owner = boxOwner();
    drawAttention(owner);
    MessageBoxW(owner, r.text.c_str(), r.caption.c_str(), flags);
    return IDOK;
}

}  // namespace nolt::fw
