// The dialog templates of the tool, as data: the main dialog (102), the About
// box (100), the Tools dialog (138), the push-address dialog (144) and the
// "Find modules" dialog (150).
#pragma once

#include "framework/dialog_template.h"

namespace nolt::res {

const fw::DialogTemplate& mainTemplate();         // 102
const fw::DialogTemplate& aboutTemplate();        // 100
const fw::DialogTemplate& toolsTemplate();        // 138
const fw::DialogTemplate& pushAddressTemplate();  // 144
const fw::DialogTemplate& findModulesTemplate();  // 150

// Every template of the tool.
std::span<const fw::DialogTemplate* const> allTemplates();

// Looks a template up by its number; nullptr for an unknown number.
const fw::DialogTemplate* findTemplate(int id);

}  // namespace nolt::res
