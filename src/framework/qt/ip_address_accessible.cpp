#include "framework/qt/ip_address_accessible.h"

#include <algorithm>

#include "framework/qt/ip_address_edit.h"

namespace nolt::fw {

IpAddressAccessible::IpAddressAccessible(IpAddressEdit* edit) : QAccessibleWidget(edit, QAccessible::EditableText) {}

IpAddressEdit* IpAddressAccessible::edit() const
{
    return static_cast<IpAddressEdit*>(widget());
}

QString IpAddressAccessible::address() const
{
    return QString::fromStdWString(edit()->text());
}

void* IpAddressAccessible::interface_cast(QAccessible::InterfaceType t)
{
    if (t == QAccessible::TextInterface) return static_cast<QAccessibleTextInterface*>(this);
    return QAccessibleWidget::interface_cast(t);
}

QString IpAddressAccessible::text(QAccessible::Text t) const
{
    if (t == QAccessible::Value) return address();
    return QAccessibleWidget::text(t);
}

QAccessibleInterface* IpAddressAccessible::child(int index) const
{
    return index >= 0 && index < 4 ? QAccessible::queryAccessibleInterface(edit()->field(index)) : nullptr;
}

int IpAddressAccessible::indexOfChild(const QAccessibleInterface* child) const
{
    for (int i = 0; child && i < 4; ++i)
        if (child->object() == edit()->field(i)) return i;
    return -1;
}

QString IpAddressAccessible::text(int start, int end) const
{
    const QString a = address();
    if (end < 0 || end > a.size()) end = static_cast<int>(a.size());
    start = std::clamp(start, 0, end);
    return a.mid(start, end - start);
}

QString IpAddressAccessible::attributes(int offset, int* start, int* end) const
{
    *start = *end = offset;
    return {};
}

}  // namespace nolt::fw
