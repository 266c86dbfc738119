#include "framework/win32/dpi_win32.h"

#include <string>

namespace nolt::fw {
namespace {

template <typename F>
F lookUp(const wchar_t* module, const char* name)
{
    HMODULE m = GetModuleHandleW(module);
    if (!m) m = LoadLibraryW(module);
    return m ? reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(m, name))) : nullptr;
}

using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
using GetDpiForMonitorFn = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);
using AdjustWindowRectExForDpiFn = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);
using GetSystemMetricsForDpiFn = int(WINAPI*)(int, UINT);

constexpr int kEffectiveDpi = 0;  // MDT_EFFECTIVE_DPI

}  // namespace

UINT systemDpi()
{
    HDC dc = GetDC(nullptr);
    const int dpi = dc ? GetDeviceCaps(dc, LOGPIXELSY) : USER_DEFAULT_SCREEN_DPI;
    if (dc) ReleaseDC(nullptr, dc);
    return dpi > 0 ? static_cast<UINT>(dpi) : USER_DEFAULT_SCREEN_DPI;
}

UINT windowDpi(HWND hwnd)
{
    static const auto fn = lookUp<GetDpiForWindowFn>(L"user32.dll", "GetDpiForWindow");
    const UINT dpi = fn && hwnd ? fn(hwnd) : 0;
    return dpi ? dpi : systemDpi();
}

UINT monitorDpi(HMONITOR monitor)
{
    static const auto fn = lookUp<GetDpiForMonitorFn>(L"shcore.dll", "GetDpiForMonitor");
    UINT x = 0, y = 0;
    if (fn && monitor && SUCCEEDED(fn(monitor, kEffectiveDpi, &x, &y)) && y) return y;
    return systemDpi();
}

void adjustWindowRectForDpi(RECT& rect, DWORD style, DWORD exStyle, UINT dpi)
{
    static const auto fn = lookUp<AdjustWindowRectExForDpiFn>(L"user32.dll", "AdjustWindowRectExForDpi");
    if (!fn || !fn(&rect, style, FALSE, exStyle, dpi)) AdjustWindowRectEx(&rect, style, FALSE, exStyle);
}

int systemMetricForDpi(int index, UINT dpi)
{
    static const auto fn = lookUp<GetSystemMetricsForDpiFn>(L"user32.dll", "GetSystemMetricsForDpi");
    return fn ? fn(index, dpi) : GetSystemMetrics(index);
}

HFONT createFontOfHeight(std::wstring_view face, int heightPixels)
{
    const std::wstring name(face);
    return CreateFontW(-heightPixels, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                       CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, name.c_str());
}

HFONT createFontForDpi(std::wstring_view face, int pointSize, UINT dpi)
{
    return createFontOfHeight(face, MulDiv(pointSize, static_cast<int>(dpi), 72));
}

}  // namespace nolt::fw
