// The DPI of a window or a monitor, and the measures that depend on it.
// Windows before 10 (1607) lacks the per-window functions and Windows 7 the
// per-monitor one, so each is looked up at run time; where it is missing,
// the system's DPI is used, which is what those systems scale to anyway.
#pragma once

#include "framework/win32/windows_api.h"

#include <string_view>

namespace nolt::fw {

UINT systemDpi();
UINT windowDpi(HWND hwnd);
UINT monitorDpi(HMONITOR monitor);

// The window rectangle around a client rectangle at a DPI.
void adjustWindowRectForDpi(RECT& rect, DWORD style, DWORD exStyle, UINT dpi);
int systemMetricForDpi(int index, UINT dpi);

// A font of a face at a size in points for a DPI, or at an em height in
// pixels, made as the dialog manager makes the dialog's font.
HFONT createFontForDpi(std::wstring_view face, int pointSize, UINT dpi);
HFONT createFontOfHeight(std::wstring_view face, int heightPixels);

}  // namespace nolt::fw
