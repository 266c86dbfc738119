// The log's focus frame: its one-pixel border drawn in the highlight colour
// while it has the focus, on screen (WM_NCPAINT) and in a printed copy of
// the window (WM_PRINT), which is how a test sees it.

#include "framework/win32/accessibility_win32.h"

namespace nolt::fw {
namespace {

constexpr UINT_PTR kFocusFrameSubclass = 0x4646;

void drawFrame(HWND hwnd, HDC dc)
{
    RECT r;
    GetWindowRect(hwnd, &r);
    OffsetRect(&r, -r.left, -r.top);
    FrameRect(dc, &r, GetSysColorBrush(COLOR_HIGHLIGHT));
}

LRESULT CALLBACK focusFrameProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR)
{
    if (msg == WM_PRINT) {
        // The control's own printing may move the origin to its client area
        // and clip to it; the frame is drawn in window coordinates.
        const auto dc = reinterpret_cast<HDC>(wp);
        const int saved = SaveDC(dc);
        const LRESULT r = DefSubclassProc(hwnd, msg, wp, lp);
        RestoreDC(dc, saved);
        if ((lp & PRF_NONCLIENT) && GetFocus() == hwnd) drawFrame(hwnd, dc);
        return r;
    }
    const LRESULT r = DefSubclassProc(hwnd, msg, wp, lp);
    switch (msg) {
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        // The border only, with the focus as it now is.
        SendMessageW(hwnd, WM_NCPAINT, 1, 0);
        break;
    case WM_NCPAINT:
        if (GetFocus() == hwnd) {
            HDC dc = GetWindowDC(hwnd);
            drawFrame(hwnd, dc);
            ReleaseDC(hwnd, dc);
        }
        break;
    case WM_NCDESTROY: RemoveWindowSubclass(hwnd, &focusFrameProc, kFocusFrameSubclass); break;
    default: break;
    }
    return r;
}

}  // namespace

void showFocusFrame(HWND edit)
{
    SetWindowSubclass(edit, &focusFrameProc, kFocusFrameSubclass, 0);
}

}  // namespace nolt::fw
