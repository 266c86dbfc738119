// The window's real system menu: whether it is open, and its check marks.

#include "framework/win32/win32_impl.h"

namespace nolt::fw {

bool CDialogEx::IsSystemMenuOpen() const
{
    return onUi([&] {
        GUITHREADINFO info{};
        info.cbSize = sizeof(info);
        return d_->hwnd && GetGUIThreadInfo(GetCurrentThreadId(), &info) &&
               (info.flags & GUI_SYSTEMMENUMODE) != 0 && info.hwndMenuOwner == d_->hwnd;
    });
}

void CDialogEx::systemMenuItemChecked(const SystemMenuItem& item)
{
    HMENU menu = d_->hwnd ? GetSystemMenu(d_->hwnd, FALSE) : nullptr;
    if (menu)
        CheckMenuItem(menu, static_cast<UINT>(item.command), MF_BYCOMMAND | (item.checked ? MF_CHECKED : MF_UNCHECKED));
}

}  // namespace nolt::fw
