// The names a screen reader hears for a dialog's controls, worked out once
// from its template (its ControlName table) for every backend to apply.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "framework/dialog_template.h"

namespace nolt::fw {

struct AccessibleName {
    int id;            // the control
    std::wstring name;
    int label = -1;    // template index of the static text that names it; -1 for none
};

// One name per entry of the template's table, in the table's order. An
// entry is left out when the template has no control with its id, or not
// exactly one static text with its label's text, since a name from the
// wrong label would mislead more than none.
std::vector<AccessibleName> accessibleNames(const DialogTemplate& tpl);

// The name of one of an IP-address control's four fields (part 1 to 4).
std::wstring ipAddressPartName(std::wstring_view controlName, int part);

// A label's text as a name: without its closing colon ("：" or ":").
std::wstring nameFromLabel(std::wstring_view labelText);

}  // namespace nolt::fw
