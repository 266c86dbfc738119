// Whether the window's system menu is open, and the tool's icon from the
// program's resources.

#include "framework/win32/win32_impl.h"

namespace nolt::fw {
namespace {

// The window icon's resource id in the program's resource script.
constexpr int kWindowIconResource = 140;

HICON loadIcon(int sizeMetric)
{
    const int size = GetSystemMetrics(sizeMetric);
    return static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(kWindowIconResource),
                                         IMAGE_ICON, size, size, LR_SHARED));
}

}  // namespace

bool CDialogEx::IsSystemMenuOpen() const
{
    return onUi([&] {
        GUITHREADINFO info{};
        info.cbSize = sizeof(info);
        return d_->hwnd && GetGUIThreadInfo(GetCurrentThreadId(), &info) &&
               (info.flags & GUI_SYSTEMMENUMODE) != 0 && info.hwndMenuOwner == d_->hwnd;
    });
}

void CDialogEx::SetAppIcon()
{
    onUi([&] {
        if (!d_->hwnd) return;
        if (HICON big = loadIcon(SM_CXICON))
            SendMessageW(d_->hwnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big));
        if (HICON small = loadIcon(SM_CXSMICON))
            SendMessageW(d_->hwnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small));
    });
}

}  // namespace nolt::fw
