// Screen-reader names on Windows: the names worked out from a dialog's
// template (framework/accessible_names.h) handed to the system's
// accessibility property service for each control's window, and the log's
// focus frame.
#pragma once

#include <string>
#include <vector>

#include "framework/win32/win32_impl.h"

namespace nolt::fw {

// Hands each named control of a freshly attached dialog its name, and an
// IP-address control's four fields "<name>, part N of 4"
// (IAccPropServices::SetHwndPropStr, PROPID_ACC_NAME). The names are
// cleared when the control is destroyed.
void applyAccessibleNames(const CDialogEx::Impl& d, const DialogTemplate& tpl);

// What was handed for a control's window, for as long as the control lives.
struct HandedNames {
    std::wstring name;
    std::vector<std::wstring> parts;  // an IP-address control's fields, left to right
    HRESULT result = S_OK;            // the property service's answer (the first failure)
};
const HandedNames* handedNamesOf(HWND control);

// The four fields (edits) of an IP-address control, left to right.
std::vector<HWND> ipAddressFields(HWND ip);

// The read-only log never shows a caret, so its border takes the highlight
// colour while it has the focus.
void showFocusFrame(HWND edit);

}  // namespace nolt::fw
