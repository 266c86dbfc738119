// The process on Windows: the UI thread's set-up, and the real message box.

#include "framework/win32/win32_impl.h"

namespace nolt::fw {

int backend::runApplication(const std::function<void()>& initInstance)
{
    setUpUiThread();
    initInstance();
    return 0;
}

// MessageBoxW, owned by the UI thread's active window, so that it is modal
// to the dialog the user works in.
int backend::showNativeMessageBox(const MessageBoxRequest& r)
{
    UINT flags = MB_OK;
    switch (r.icon) {
    case MessageIcon::Exclamation: flags |= MB_ICONEXCLAMATION; break;
    case MessageIcon::Information: flags |= MB_ICONINFORMATION; break;
    case MessageIcon::Error: flags |= MB_ICONERROR; break;
    case MessageIcon::None: break;
    }
    MessageBoxW(GetActiveWindow(), r.text.c_str(), r.caption.c_str(), flags);
    return IDOK;
}

}  // namespace nolt::fw
