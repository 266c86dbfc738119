// The real message box on Qt.

#include <QApplication>
#include <QMessageBox>

#include "framework/backend.h"

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

}  // namespace

int backend::showNativeMessageBox(const MessageBoxRequest& r)
{
    QWidget* owner = QApplication::activeModalWidget();
    if (!owner) owner = QApplication::activeWindow();
    QMessageBox box(qtIcon(r.icon), QString::fromStdWString(r.caption), QString::fromStdWString(r.text),
                    QMessageBox::Ok, owner);
    box.exec();
    return IDOK;
}

}  // namespace nolt::fw
