#include "framework/qt/accessibility_qt.h"

#include <QAccessible>
#include <QLabel>

#include "framework/accessible_names.h"
#include "framework/qt/drop_down_list.h"
#include "framework/qt/ip_address_accessible.h"
#include "framework/qt/ip_address_edit.h"

namespace nolt::fw {
namespace {

// Qt asks the factories with each class name of an object, most derived
// first; its own factory knows only Qt's classes, so ours is asked for ours.
QAccessibleInterface* accessibleFactory(const QString& className, QObject* object)
{
    if (className == QLatin1String(IpAddressEdit::staticMetaObject.className()))
        if (auto* ip = qobject_cast<IpAddressEdit*>(object)) return new IpAddressAccessible(ip);
    if (className == QLatin1String(DropDownList::staticMetaObject.className()))
        if (auto* list = qobject_cast<DropDownList*>(object)) return makeDropDownListAccessible(list);
    return nullptr;
}

}  // namespace

void installAccessibleInterfaces()
{
    static const bool installed = [] {
        QAccessible::installFactory(&accessibleFactory);
        return true;
    }();
    (void)installed;
}

void applyAccessibleNames(CDialogEx::Impl& d, const DialogTemplate& tpl)
{
    for (const AccessibleName& n : accessibleNames(tpl)) {
        QWidget* w = d.widget(n.id);
        if (!w) continue;
        w->setAccessibleName(QString::fromStdWString(n.name));
        if (auto* ip = qobject_cast<IpAddressEdit*>(w))
            for (int i = 0; i < 4; ++i)
                ip->field(i)->setAccessibleName(QString::fromStdWString(ipAddressPartName(n.name, i + 1)));
        // The label points at its control (the first one, where it names a
        // radio group), which screen readers follow from either end.
        auto* label = n.label >= 0 ? qobject_cast<QLabel*>(d.controls[static_cast<std::size_t>(n.label)].widget) : nullptr;
        if (label && !label->buddy()) label->setBuddy(w);
    }
}

}  // namespace nolt::fw
