// Reading back what a screen reader is told, through QAccessible (what the
// AT-SPI bridge serves on Linux).

#include <QAccessible>

#include "framework/qt/qt_access.h"
#include "framework/user_actions.h"

namespace nolt::fw::user {

Spoken spoken(const CDialogEx& dlg, int id)
{
    Spoken s;
    QAccessibleInterface* a = QAccessible::queryAccessibleInterface(DialogAccess::control(dlg, id));
    if (!a) return s;
    s.name = a->text(QAccessible::Name).toStdWString();
    s.value = a->text(QAccessible::Value).toStdWString();
    if (dlg.GetControlKind(id) == ControlKind::IpAddress)
        for (int i = 0; i < a->childCount(); ++i)
            if (QAccessibleInterface* part = a->child(i)) s.parts.push_back(part->text(QAccessible::Name).toStdWString());
    return s;
}

}  // namespace nolt::fw::user
