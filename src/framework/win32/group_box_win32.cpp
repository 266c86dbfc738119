// Group boxes behind the controls they enclose. The dialog manager stacks
// the controls in template order, which is also the order of the Tab key
// and of the radio groups, so a group box that comes after a label in the
// template lies above it and its frame is painted across the label's text.
// Restacking the group boxes would change the keyboard's order; instead a
// group box paints around its visible siblings, never over them.

#include <string_view>

#include "framework/win32/win32_impl.h"

namespace nolt::fw {
namespace {

bool isGroupBox(HWND hwnd)
{
    wchar_t cls[8] = {};
    return GetClassNameW(hwnd, cls, 8) && std::wstring_view(cls) == L"Button" &&
           (GetWindowLongPtrW(hwnd, GWL_STYLE) & BS_TYPEMASK) == BS_GROUPBOX;
}

// Leaves the other visible controls over the box out of what it paints.
void excludeSiblings(HWND box, HDC dc)
{
    RECT mine;
    GetWindowRect(box, &mine);
    for (HWND s = GetWindow(GetParent(box), GW_CHILD); s; s = GetWindow(s, GW_HWNDNEXT)) {
        RECT r, overlap;
        if (s == box || !IsWindowVisible(s) || isGroupBox(s)) continue;
        GetWindowRect(s, &r);
        if (!IntersectRect(&overlap, &r, &mine)) continue;
        MapWindowPoints(HWND_DESKTOP, box, reinterpret_cast<POINT*>(&r), 2);
        ExcludeClipRect(dc, r.left, r.top, r.right, r.bottom);
    }
}

LRESULT CALLBACK groupBoxProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR)
{
    if (msg != WM_PAINT) return DefSubclassProc(hwnd, msg, wp, lp);
    // A device context in wParam asks for painting into it, as the
    // system's controls take it.
    PAINTSTRUCT ps;
    HDC dc = wp ? reinterpret_cast<HDC>(wp) : BeginPaint(hwnd, &ps);
    const int saved = SaveDC(dc);
    excludeSiblings(hwnd, dc);
    DefSubclassProc(hwnd, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
    RestoreDC(dc, saved);
    if (!wp) EndPaint(hwnd, &ps);
    return 0;
}

}  // namespace

void keepGroupBoxesBehind(const CDialogEx::Impl& d)
{
    for (const Control& c : d.controls)
        if (c.kind == ControlKind::GroupBox && c.hwnd) SetWindowSubclass(c.hwnd, &groupBoxProc, 1, 0);
}

}  // namespace nolt::fw
