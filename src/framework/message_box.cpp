#include "framework/message_box.h"

#include "framework/backend.h"
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

int showMessageBox(const std::wstring& text, const std::wstring& caption, MessageIcon icon)
{
    const MessageBoxRequest request{caption, text, icon};
    int result = IDOK;
    runOnUiThread([&] { result = sink() ? sink()(request) : backend::showNativeMessageBox(request); });
    return result;
}

int AfxMessageBox(const std::wstring& text, MessageIcon icon)
{
    const CWinApp* app = AfxGetApp();
    return showMessageBox(text, app ? app->appTitle() : std::wstring(), icon);
}

}  // namespace nolt::fw
