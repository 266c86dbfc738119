// The dialog's own system menu: window managers on Linux do not let a
// program add items to their window menu, so the dialog carries its own
// (Minimise, Close and the appended items), opened as on Windows, its own
// items in the desktop's language.

#include <QMenu>
#include <QTimer>

#include <cstdlib>

#include "framework/dialog.h"
#include "framework/qt/dialog_impl.h"
#include "framework/qt/dialog_window.h"

namespace nolt::fw {

DesktopLanguage backend::systemLanguage()
{
    return desktopLanguage(std::getenv("LANGUAGE"), std::getenv("LC_ALL"), std::getenv("LC_MESSAGES"),
                           std::getenv("LANG"));
}

void CDialogEx::systemMenuItemAppended(const SystemMenuItem&)
{
    // The menu is built from GetSystemMenuItems each time it opens.
}

void CDialogEx::systemMenuItemChecked(const SystemMenuItem&)
{
    // The check marks too.
}

bool CDialogEx::IsSystemMenuOpen() const
{
    return onUi([&] { return d_->window && d_->window->isSystemMenuOpen(); });
}

void DialogWindow::openSystemMenu(const QPoint& globalPos)
{
    if (!owner_.HasSystemMenu()) return;
    auto* menu = new QMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    for (const SystemMenuItem& item : owner_.GetSystemMenuItems()) {
        if (item.command == 0) {
            menu->addSeparator();
            continue;
        }
        QAction* a = menu->addAction(QString::fromStdWString(item.text));
        a->setCheckable(item.checked);
        a->setChecked(item.checked);
        a->setData(item.command);
        const int cmd = item.command;
        // Run the command once the menu has closed, as a posted command would.
        connect(a, &QAction::triggered, this, [this, cmd] {
            QTimer::singleShot(0, this, [this, cmd] { DialogEvents::sysCommand(owner_, cmd); });
        });
    }
    openMenu_ = menu;
    menu->popup(globalPos);
}

}  // namespace nolt::fw
