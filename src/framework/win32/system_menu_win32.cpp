// Whether the window's system menu is open.

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

}  // namespace nolt::fw
