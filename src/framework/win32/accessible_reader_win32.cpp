// Reading back what a screen reader is told, through MSAA: the accessible
// object of a control's window (AccessibleObjectFromWindow), its name and
// value, as screen readers on Windows ask for them.

#include "framework/user_actions.h"
#include "framework/win32/accessibility_win32.h"

#include <oleacc.h>

#include <cstdio>

namespace nolt::fw::user {
namespace {

enum class Property { Name, Value };

std::wstring read(HWND hwnd, Property what)
{
    IAccessible* acc = nullptr;
    if (FAILED(AccessibleObjectFromWindow(hwnd, static_cast<DWORD>(OBJID_CLIENT), IID_IAccessible,
                                          reinterpret_cast<void**>(&acc))) ||
        !acc)
        return {};
    VARIANT self;
    VariantInit(&self);
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    BSTR text = nullptr;
    const HRESULT r = what == Property::Name ? acc->get_accName(self, &text) : acc->get_accValue(self, &text);
    std::wstring s = r == S_OK && text ? std::wstring(text, SysStringLen(text)) : std::wstring();
    SysFreeString(text);
    acc->Release();
    return s;
}

std::string refusal(HRESULT r)
{
    char code[16];
    std::snprintf(code, sizeof code, "0x%08lX", static_cast<unsigned long>(r));
    const std::string answer =
        std::string("the accessibility property service did not take the names (IAccPropServices::SetHwndPropStr "
                    "answered ") +
        code;
    if (r != E_NOTIMPL) return answer + ")";
    return answer + ", not implemented, as in wine 8), so the names handed to it were checked instead of the ones heard";
}

}  // namespace

Spoken spoken(const CDialogEx& dlg, int id)
{
    Spoken s;
    const HWND h = DialogAccess::control(dlg, id);
    if (!h) return s;
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    if (const HandedNames* handed = handedNamesOf(h); handed && FAILED(handed->result)) {
        s.name = handed->name;
        s.parts = handed->parts;
        (handed->result == E_NOTIMPL ? s.unheard : s.refused) = refusal(handed->result);
        return s;
    }
    s.name = read(h, Property::Name);
    s.value = read(h, Property::Value);
    if (dlg.GetControlKind(id) == ControlKind::IpAddress)
        for (HWND field : ipAddressFields(h)) s.parts.push_back(read(field, Property::Name));
    return s;
}

}  // namespace nolt::fw::user
