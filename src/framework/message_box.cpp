#include "framework/message_box.h"

#include <QApplication>
#include <QMessageBox>

#include "framework/ui_thread.h"
#include "framework/win_app.h"

namespace nolt::fw {
namespace {

MessageBoxSink& sink()
{
    static MessageBoxSink s;
    return s;
}

QMessageBox::Icon qtIcon(MessageIcon icon)
{
    switch (icon) {
    case MessageIcon::Exclamation: return QMessageBox::Warning;
    case MessageIcon::Information: return QMessageBox::Information;
    case MessageIcon::Error: return QMessageBox::Critical;
    case MessageIcon::None: break;
    }
    return QMessageBox::NoIcon;
}

int showRealBox(const MessageBoxRequest& r)
{
    QWidget* owner = QApplication::activeModalWidget();
    if (!owner) owner = QApplication::activeWindow();
    QMessageBox box(qtIcon(r.icon), QString::fromStdWString(r.caption), QString::fromStdWString(r.text),
                    QMessageBox::Ok, owner);
    box.exec();
    return IDOK;
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
    runOnUiThread([&] { result = sink() ? sink()(request) : showRealBox(request); });
    return result;
}

int AfxMessageBox(const std::wstring& text, MessageIcon icon)
{
    const CWinApp* app = AfxGetApp();
    return showMessageBox(text, app ? app->appTitle() : std::wstring(), icon);
}

}  // namespace nolt::fw
