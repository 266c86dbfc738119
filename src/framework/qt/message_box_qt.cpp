// The real message box on Qt.

#include <QApplication>
#include <QMessageBox>

#include "framework/backend.h"
#include "framework/qt/qt_access.h"
#include "framework/win_app.h"

namespace nolt::fw {
namespace {

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

// The window a box belongs to: a modal window open over the main window,
// else the main window itself; the active window only when there is no main
// window (none is active while another program is in front).
QWidget* boxOwner()
{
    const CWinApp* app = AfxGetApp();
    const CDialogEx* main = app ? app->mainWindow() : nullptr;
    QWidget* mainWindow = main ? DialogAccess::window(*main) : nullptr;
    QWidget* modal = QApplication::activeModalWidget();
    if (modal) return modal;
    return mainWindow ? mainWindow : QApplication::activeWindow();
}

}  // namespace

int backend::showNativeMessageBox(const MessageBoxRequest& r)
{
    QWidget* owner = boxOwner();
    // The task-bar entry asks for attention while another program is in front.
    if (owner && !owner->isActiveWindow()) QApplication::alert(owner->window());
    QMessageBox box(qtIcon(r.icon), QString::fromStdWString(r.caption), QString::fromStdWString(r.text),
                    QMessageBox::Ok, owner);
    box.exec();
    return IDOK;
}

}  // namespace nolt::fw
