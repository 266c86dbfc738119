#include "framework/message_box.h"

#include "framework/backend.h"
#include "framework/dialog.h"
#include "framework/ui_thread.h"
#include "framework/win_app.h"

namespace nolt::fw {
namespace {

MessageBoxSink& sink()
{
    static MessageBoxSink s;
    return s;
}

}  // namespace

void setMessageBoxSink(MessageBoxSink s)
{
    sink() = std::move(s);
}

// The application's main window has closed (its dialog may still be
// stopping its link thread).
bool mainWindowGone()
{
    const CWinApp* app = AfxGetApp();
    return app && (!app->mainWindow() || !app->mainWindow()->IsWindowCreated());
}

int showMessageBox(const std::wstring& text, const std::wstring& caption, MessageIcon icon)
{
    const MessageBoxRequest request{caption, text, icon};
    const bool fromWorker = !isUiThread();
    int result = IDOK;
    runOnUiThread([&] {
        // A worker's box after the main window has gone would stand alone
        // on the desktop, about a window the user has already closed.
        if (fromWorker && mainWindowGone()) return;
        result = sink() ? sink()(request) : backend::showNativeMessageBox(request);
    });
    return result;
}

int AfxMessageBox(const std::wstring& text, MessageIcon icon)
{
    const CWinApp* app = AfxGetApp();
    return showMessageBox(text, app ? app->appTitle() : std::wstring(), icon);
}

}  // namespace nolt::fw
