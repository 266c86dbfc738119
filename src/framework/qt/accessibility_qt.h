// Screen-reader names on Qt: the names worked out from a dialog's template
// (framework/accessible_names.h) given to its widgets, and the accessible
// interfaces of the framework's own widgets.
#pragma once

#include "framework/qt/dialog_impl.h"

namespace nolt::fw {

// Makes Qt use the framework's accessible interfaces for its own widgets
// (IpAddressEdit, DropDownList). Called before a dialog's widgets are made:
// with a screen reader running, Qt builds a widget's interface as soon as
// the widget exists.
void installAccessibleInterfaces();

// Gives each named control of a freshly built dialog its accessible name
// (an IP-address control's fields theirs too) and makes each naming label
// the buddy of its control.
void applyAccessibleNames(CDialogEx::Impl& d, const DialogTemplate& tpl);

}  // namespace nolt::fw
