#include "framework/accessible_names.h"

namespace nolt::fw {
namespace {

constexpr std::wstring_view kBlanks = L" \t";

bool isStatic(ControlKind k)
{
    return k == ControlKind::StaticLeft || k == ControlKind::StaticCenter;
}

// The template index of the one static text with this text, or -1.
int findLabel(const DialogTemplate& tpl, std::wstring_view text)
{
    int found = -1;
    for (std::size_t i = 0; i < tpl.controls.size(); ++i) {
        const ControlTemplate& c = tpl.controls[i];
        if (!isStatic(c.kind) || c.text != text) continue;
        if (found >= 0) return -1;
        found = static_cast<int>(i);
    }
    return found;
}

const ControlTemplate* findControl(const DialogTemplate& tpl, int id)
{
    if (id == IDC_STATIC) return nullptr;
    for (const ControlTemplate& c : tpl.controls)
        if (c.id == id) return &c;
    return nullptr;
}

std::wstring_view trimEnd(std::wstring_view s)
{
    const auto end = s.find_last_not_of(kBlanks);
    return end == std::wstring_view::npos ? std::wstring_view() : s.substr(0, end + 1);
}

}  // namespace

std::wstring nameFromLabel(std::wstring_view labelText)
{
    std::wstring_view s = trimEnd(labelText);
    if (s.ends_with(L'：') || s.ends_with(L':')) s = trimEnd(s.substr(0, s.size() - 1));
    return std::wstring(s);
}

std::wstring ipAddressPartName(std::wstring_view controlName, int part)
{
    return std::wstring(controlName) + L", part " + std::to_wstring(part) + L" of 4";
}

std::vector<AccessibleName> accessibleNames(const DialogTemplate& tpl)
{
    std::vector<AccessibleName> names;
    for (const ControlName& entry : tpl.names) {
        const ControlTemplate* control = findControl(tpl, entry.control);
        if (!control) continue;
        if (entry.label.empty()) {
            if (!entry.name.empty()) names.push_back({entry.control, std::wstring(entry.name)});
            continue;
        }
        const int label = findLabel(tpl, entry.label);
        if (label < 0) continue;
        std::wstring name = nameFromLabel(entry.label);
        // A radio button's caption says only which choice it is ("ON"):
        // its group's label comes first.
        if (control->kind == ControlKind::RadioButton) name += L' ' + std::wstring(control->text);
        names.push_back({entry.control, std::move(name), label});
    }
    return names;
}

}  // namespace nolt::fw
