// Check marks on the items a dialog appended to its system menu.

#include "framework/backend.h"
#include "framework/dialog.h"

namespace nolt::fw {

void CDialogEx::CheckSystemMenuItem(int command, bool checked)
{
    onUi([&] {
        for (SystemMenuItem& item : sysMenu_) {
            if (item.command == 0 || item.command != command) continue;
            item.checked = checked;
            systemMenuItemChecked(item);
        }
    });
}

bool CDialogEx::IsSystemMenuItemChecked(int command) const
{
    return onUi([&] {
        for (const SystemMenuItem& item : sysMenu_)
            if (item.command != 0 && item.command == command) return item.checked;
        return false;
    });
}

}  // namespace nolt::fw
