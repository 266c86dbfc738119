// The Windows API for the Win32 backend. The framework's names (the
// MessageBox and GetWindowText members, IDOK, SC_CLOSE) are also macros of
// windows.h, so those macros are dropped here and the backend calls the
// wide-character functions by their own names.
#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#include <commctrl.h>
#include <psapi.h>

#undef MessageBox
#undef GetWindowText
#undef SetWindowText
#undef GetDlgItemText
#undef SetDlgItemText
#undef GetWindowTextLength
#undef IDOK
#undef IDCANCEL
#undef SC_CLOSE
#undef SC_MINIMIZE
