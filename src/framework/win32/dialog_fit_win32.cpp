// Fitting a dialog to the work area of its monitor before the dialog manager
// builds it: the template's font size decides the size of every dialog
// unit, so a smaller size in the DLGTEMPLATEEX data lays the whole dialog
// out smaller. Once built, the dialog is placed with all of its frame in
// that work area.

#include "framework/dialog_fit.h"
#include "framework/win32/dpi_win32.h"
#include "framework/win32/win32_impl.h"

namespace nolt::fw {
namespace {

// The base units the dialog manager takes from a font: its height, and the
// average width of the 52 letters, rounded.
BaseUnits baseUnits(std::wstring_view face, int pointSize, UINT dpi)
{
    BaseUnits units;
    HFONT font = createFontForDpi(face, pointSize, dpi);
    HDC dc = GetDC(nullptr);
    if (!font || !dc) {
        if (font) DeleteObject(font);
        if (dc) ReleaseDC(nullptr, dc);
        return units;
    }
    HGDIOBJ old = SelectObject(dc, font);
    TEXTMETRICW tm{};
    GetTextMetricsW(dc, &tm);
    static constexpr wchar_t kLetters[] = L"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
    SIZE size{};
    GetTextExtentPoint32W(dc, kLetters, 52, &size);
    units = {(size.cx / 26 + 1) / 2, tm.tmHeight};
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    DeleteObject(font);
    return units;
}

// The monitor a DS_CENTER dialog opens on: its owner's, else the active
// window's, else the primary one.
HMONITOR monitorFor(HWND owner)
{
    const HWND anchor = owner ? owner : GetActiveWindow();
    return anchor ? MonitorFromWindow(anchor, MONITOR_DEFAULTTOPRIMARY)
                : MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY);
}

// The monitor's work area (without the task bar), or the one a test chose,
// which is relative to the monitor.
Rect workAreaOf(const MONITORINFO& info)
{
    if (const std::optional<Rect> area = workAreaForTests())
        return {info.rcMonitor.left + area->x, info.rcMonitor.top + area->y, area->w, area->h};
    return {info.rcWork.left, info.rcWork.top, info.rcWork.right - info.rcWork.left,
            info.rcWork.bottom - info.rcWork.top};
}

bool monitorInfo(HMONITOR monitor, MONITORINFO& info)
{
    info = {};
    info.cbSize = sizeof(info);
    return GetMonitorInfoW(monitor, &info) != FALSE;
}

}  // namespace

int fittedPointSize(const DialogTemplate& tpl, HWND owner)
{
    const HMONITOR monitor = monitorFor(owner);
    MONITORINFO info;
    if (!monitorInfo(monitor, info)) return tpl.pointSize;
    const UINT dpi = monitorDpi(monitor);
    // The frame as created, sizing border included where the template has one.
    RECT frame{0, 0, 0, 0};
    adjustWindowRectForDpi(frame, dialogStyle(tpl), dialogExStyle(tpl, owner != nullptr), dpi);
    FitRequest request;
    request.duWidth = tpl.w;
    request.duHeight = tpl.h;
    request.pointSize = tpl.pointSize;
    request.pixelsPerInch = static_cast<int>(dpi);
    request.frameWidth = frame.right - frame.left;
    request.frameHeight = frame.bottom - frame.top;
    const Rect work = workAreaOf(info);
    request.workWidth = work.w;
    request.workHeight = work.h;
    return fitDialogPointSize(request, [&](int size) { return baseUnits(tpl.fontFace, size, dpi); });
}

void placeInWorkArea(HWND dialog)
{
    // The dialog manager centres a DS_CENTER dialog as it was created; the
    // frame may have changed since (a sizing border removed), and a dialog
    // larger than the work area would have its title bar above it.
    MONITORINFO info;
    RECT frame{};
    if (!monitorInfo(monitorFor(GetWindow(dialog, GW_OWNER)), info) || !GetWindowRect(dialog, &frame)) return;
    const Rect work = workAreaOf(info);
    const Rect placed = placeWindow(frame.right - frame.left, frame.bottom - frame.top, work, work);
    if (placed.x != frame.left || placed.y != frame.top)
        SetWindowPos(dialog, nullptr, placed.x, placed.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace nolt::fw
