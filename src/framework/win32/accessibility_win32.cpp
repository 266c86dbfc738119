// The accessibility property service (oleacc, reached through COM) keeps a
// name for a window that overrides what the system's accessibility layer
// would guess from the static text before it in template order.

#include "framework/win32/accessibility_win32.h"

#include <initguid.h>
#include <oleacc.h>

#include <algorithm>
#include <map>

#include "framework/accessible_names.h"

namespace nolt::fw {
namespace {

constexpr UINT_PTR kNamedSubclass = 0x4E4D;  // per procedure, any number will do

struct PropertyService {
    IAccPropServices* service = nullptr;
    HRESULT result = E_FAIL;
};

// The service of the UI thread, made once (the process keeps it).
const PropertyService& propertyService()
{
    static const PropertyService ps = [] {
        PropertyService p;
        // Any apartment will do; a thread already in one stays there.
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        p.result = CoCreateInstance(CLSID_AccPropServices, nullptr, CLSCTX_INPROC_SERVER, IID_IAccPropServices,
                                    reinterpret_cast<void**>(&p.service));
        return p;
    }();
    return ps;
}

// UI thread only.
std::map<HWND, HandedNames>& handed()
{
    static std::map<HWND, HandedNames> byWindow;
    return byWindow;
}

HRESULT setName(HWND hwnd, const std::wstring& name)
{
    const PropertyService& ps = propertyService();
    if (!ps.service) return ps.result;
    return ps.service->SetHwndPropStr(hwnd, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF, PROPID_ACC_NAME,
                                      name.c_str());
}

void clearName(HWND hwnd)
{
    if (IAccPropServices* s = propertyService().service)
        s->ClearHwndProps(hwnd, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF, &PROPID_ACC_NAME, 1);
}

// Takes the names back while the control and its fields still exist.
LRESULT CALLBACK namedControlProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR)
{
    if (msg == WM_DESTROY) {
        if (const HandedNames* h = handedNamesOf(hwnd); h && !h->parts.empty())
            for (HWND field : ipAddressFields(hwnd)) clearName(field);
        clearName(hwnd);
        handed().erase(hwnd);
        RemoveWindowSubclass(hwnd, &namedControlProc, kNamedSubclass);
    }
    return DefSubclassProc(hwnd, msg, wp, lp);
}

void hand(HWND control, const AccessibleName& n, bool isIpAddress)
{
    HandedNames h{n.name, {}, setName(control, n.name)};
    if (isIpAddress) {
        int part = 0;
        for (HWND field : ipAddressFields(control)) {
            h.parts.push_back(ipAddressPartName(n.name, ++part));
            const HRESULT r = setName(field, h.parts.back());
            if (SUCCEEDED(h.result)) h.result = r;
        }
    }
    handed()[control] = std::move(h);
    SetWindowSubclass(control, &namedControlProc, kNamedSubclass, 0);
}

}  // namespace

void applyAccessibleNames(const CDialogEx::Impl& d, const DialogTemplate& tpl)
{
    for (const AccessibleName& n : accessibleNames(tpl))
        if (const Control* c = d.find(n.id); c && c->hwnd) hand(c->hwnd, n, c->kind == ControlKind::IpAddress);
    // A wrapping button's caption is given to the control broken into lines
    // (see caption_fit_win32.cpp), which a screen reader would read out with
    // its line break; it hears the caption as the template writes it.
    for (const ControlTemplate& t : tpl.controls) {
        const bool wraps = (t.kind == ControlKind::PushButton || t.kind == ControlKind::DefPushButton) &&
                           (t.style & kMultiLine) != 0;
        if (const Control* c = wraps ? d.find(t.id) : nullptr; c && c->hwnd && !handedNamesOf(c->hwnd))
            hand(c->hwnd, AccessibleName{t.id, std::wstring(t.text)}, false);
    }
}

std::vector<HWND> ipAddressFields(HWND ip)
{
    std::vector<HWND> fields;
    for (HWND c = GetWindow(ip, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) fields.push_back(c);
    std::sort(fields.begin(), fields.end(), [](HWND a, HWND b) {
        RECT ra, rb;
        GetWindowRect(a, &ra);
        GetWindowRect(b, &rb);
        return ra.left < rb.left;
    });
    return fields;
}

const HandedNames* handedNamesOf(HWND control)
{
    const auto it = handed().find(control);
    return it == handed().end() ? nullptr : &it->second;
}

}  // namespace nolt::fw
