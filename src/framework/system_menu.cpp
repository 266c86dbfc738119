// The dialog's own system menu: Minimise, Close and the appended items.

#include <QMenu>
#include <QTimer>

#include "framework/dialog.h"
#include "framework/dialog_impl.h"
#include "framework/dialog_window.h"

namespace nolt::fw {
namespace {

constexpr auto kMinimizeText = L"最小化(&N)";
constexpr auto kCloseText = L"关闭(&C)\tAlt+F4";

}  // namespace

bool CDialogEx::HasSystemMenu() const
{
    return (tpl_.style & kSysMenu) != 0;
}

void CDialogEx::AppendSystemMenuSeparator()
{
    onUi([&] { d_->sysMenu.push_back({0, {}}); });
}

void CDialogEx::AppendSystemMenuItem(int command, const std::wstring& text)
{
    onUi([&] { d_->sysMenu.push_back({command, text}); });
}

std::vector<SystemMenuItem> CDialogEx::GetSystemMenuItems() const
{
    return onUi([&] {
        std::vector<SystemMenuItem> items;
        if (tpl_.style & kMinimizeBox) items.push_back({SC_MINIMIZE, kMinimizeText});
        items.push_back({SC_CLOSE, kCloseText});
        items.insert(items.end(), d_->sysMenu.begin(), d_->sysMenu.end());
        return items;
    });
}

bool CDialogEx::IsSystemMenuOpen() const
{
    return onUi([&] { return d_->openMenu && d_->openMenu->isVisible(); });
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
        const int cmd = item.command;
        // Run the command once the menu has closed, as a posted command would.
        connect(a, &QAction::triggered, this,
                [this, cmd] { QTimer::singleShot(0, this, [this, cmd] { owner_.OnSysCommand(cmd); }); });
    }
    owner_.d_->openMenu = menu;
    menu->popup(globalPos);
}

}  // namespace nolt::fw
