// The tool's icon on its windows, at the sizes the system asks for at the
// window's DPI: the large one (Alt+Tab, the task bar at large scalings) and
// the small one (title bar, task bar). Each is loaded at exactly that size
// from the icon's own images; a shared (LR_SHARED) load would hand back
// whichever size was loaded first.

#include <algorithm>
#include <utility>

#include "framework/win32/dpi_win32.h"
#include "framework/win32/win32_impl.h"

namespace nolt::fw {
namespace {

// The window icon's resource id in the program's resource script.
constexpr int kWindowIconResource = 140;

}  // namespace

WindowIconSizes windowIconSizes(UINT dpi)
{
    return {systemMetricForDpi(SM_CXICON, dpi), systemMetricForDpi(SM_CXSMICON, dpi)};
}

HICON loadAppIcon(int size)
{
    return static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(kWindowIconResource), IMAGE_ICON,
                                         size, size, LR_DEFAULTCOLOR));
}

void setWindowIcons(CDialogEx::Impl& d)
{
    if (!d.hwnd) return;
    const WindowIconSizes sizes = windowIconSizes(windowDpi(d.hwnd));
    const std::pair<WPARAM, int> wanted[] = {{ICON_BIG, sizes.big}, {ICON_SMALL, sizes.small}};
    for (const auto& [which, size] : wanted) {
        HICON icon = loadAppIcon(size);
        if (!icon) continue;
        d.icons.push_back(icon);
        // An icon of ours that this one replaces (a new DPI) goes now.
        const auto old = reinterpret_cast<HICON>(SendMessageW(d.hwnd, WM_SETICON, which, reinterpret_cast<LPARAM>(icon)));
        if (const auto it = std::find(d.icons.begin(), d.icons.end(), old); old && it != d.icons.end()) {
            d.icons.erase(it);
            DestroyIcon(old);
        }
    }
}

void releaseWindowIcons(CDialogEx::Impl& d)
{
    for (HICON icon : d.icons) DestroyIcon(icon);
    d.icons.clear();
}

void CDialogEx::SetAppIcon()
{
    onUi([&] { setWindowIcons(*d_); });
}

}  // namespace nolt::fw
