// The tool's icon on its windows, at the sizes the system asks for at the
// window's DPI: the large one (Alt+Tab, the task bar at large scalings) and
// the small one (title bar, task bar). Each is loaded at exactly that size
// from the icon's own images; a shared (LR_SHARED) load would hand back
// whichever size was loaded first.

#include <algorithm>
#include <utility>

#include "framework/win32/win32_impl.h"

namespace nolt::fw {
namespace {

// The window icon's resource id in the program's resource script.
constexpr int kWindowIconResource = 140;

// A function of user32 that older Windows lack (GetDpiForWindow and
// GetSystemMetricsForDpi came with Windows 10 1607); nullptr there, so that
// the program still starts on them.
template <typename F>
F user32Function(const char* name)
{
    const FARPROC f = GetProcAddress(GetModuleHandleW(L"user32.dll"), name);
    return reinterpret_cast<F>(reinterpret_cast<void (*)()>(f));
}

}  // namespace

UINT windowDpi(HWND hwnd)
{
    static const auto forWindow = user32Function<UINT(WINAPI*)(HWND)>("GetDpiForWindow");
    if (forWindow && hwnd)
        if (const UINT dpi = forWindow(hwnd)) return dpi;
    // Before per-monitor DPI every window has the system's DPI.
    HDC dc = GetDC(nullptr);
    const int dpi = GetDeviceCaps(dc, LOGPIXELSY);
    ReleaseDC(nullptr, dc);
    return dpi > 0 ? static_cast<UINT>(dpi) : USER_DEFAULT_SCREEN_DPI;
}

WindowIconSizes windowIconSizes(UINT dpi)
{
    static const auto forDpi = user32Function<int(WINAPI*)(int, UINT)>("GetSystemMetricsForDpi");
    if (forDpi) return {forDpi(SM_CXICON, dpi), forDpi(SM_CXSMICON, dpi)};
    return {GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CXSMICON)};
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
