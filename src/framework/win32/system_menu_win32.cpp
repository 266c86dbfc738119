// The window's real system menu: whether it is open, its check marks, and
// the language its own items are in.

#include "framework/win32/win32_impl.h"

namespace nolt::fw {

DesktopLanguage backend::systemLanguage()
{
    const LANGID id = GetUserDefaultUILanguage();
    if (PRIMARYLANGID(id) != LANG_CHINESE) return DesktopLanguage::English;
    switch (SUBLANGID(id)) {
    case SUBLANG_CHINESE_TRADITIONAL:
    case SUBLANG_CHINESE_HONGKONG:
    case SUBLANG_CHINESE_MACAU: return DesktopLanguage::TraditionalChinese;
    default: return DesktopLanguage::SimplifiedChinese;
    }
}

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
