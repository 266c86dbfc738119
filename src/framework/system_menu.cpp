// The dialog's own system menu: Minimise, Close and the appended items.

#include <QMenu>
#include <QTimer>

#ifdef _WIN32
#include <windows.h>
#endif

#include "framework/dialog.h"
#include "framework/dialog_impl.h"
#include "framework/dialog_window.h"

namespace nolt::fw {
namespace {

constexpr auto kMinimizeText = L"最小化(&N)";
constexpr auto kCloseText = L"关闭(&C)\tAlt+F4";

#ifdef _WIN32
// The window's native system menu, created with the window handle.
HMENU nativeSystemMenu(DialogWindow* w)
{
    return w ? ::GetSystemMenu(reinterpret_cast<HWND>(w->winId()), FALSE) : nullptr;
}
#endif

}  // namespace

bool CDialogEx::HasSystemMenu() const
{
    return (tpl_.style & kSysMenu) != 0;
}

void CDialogEx::AppendSystemMenuSeparator()
{
    onUi([&] {
        d_->sysMenu.push_back({0, {}});
#ifdef _WIN32
        if (HMENU menu = nativeSystemMenu(d_->window)) ::AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
#endif
    });
}

void CDialogEx::AppendSystemMenuItem(int command, const std::wstring& text)
{
    onUi([&] {
        d_->sysMenu.push_back({command, text});
#ifdef _WIN32
        if (HMENU menu = nativeSystemMenu(d_->window))
            ::AppendMenuW(menu, MF_STRING, static_cast<UINT_PTR>(command), text.c_str());
#endif
    });
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

#ifdef _WIN32
bool DialogWindow::nativeEvent(const QByteArray& eventType, void* message, qintptr* result)
{
    auto* msg = static_cast<MSG*>(message);
    if (eventType == "windows_generic_MSG" && msg->message == WM_SYSCOMMAND) {
        const int command = static_cast<int>(msg->wParam & 0xFFF0);
        for (const SystemMenuItem& item : owner_.d_->sysMenu) {
            if (item.command != 0 && item.command == command) {
                owner_.OnSysCommand(command);
                *result = 0;
                return true;
            }
        }
    }
    return QDialog::nativeEvent(eventType, message, result);
}
#endif

}  // namespace nolt::fw
