#include "framework/qt/drop_down_list.h"

#include <QAbstractItemView>
#include <QAccessibleWidget>

namespace nolt::fw {
namespace {

class DropDownListAccessible : public QAccessibleWidget {
public:
    explicit DropDownListAccessible(DropDownList* list) : QAccessibleWidget(list, QAccessible::ComboBox) {}

    // The name is the accessible name (or the buddy label's text), as for
    // any other control; the current item is the value.
    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Value) return list()->currentText();
        return QAccessibleWidget::text(t);
    }
    int childCount() const override { return 1; }
    QAccessibleInterface* child(int index) const override
    {
        return index == 0 ? QAccessible::queryAccessibleInterface(list()->view()) : nullptr;
    }
    int indexOfChild(const QAccessibleInterface* child) const override
    {
        return child && child->object() == list()->view() ? 0 : -1;
    }
    QAccessible::State state() const override
    {
        QAccessible::State s = QAccessibleWidget::state();
        s.expandable = true;
        s.expanded = list()->view()->isVisible();
        return s;
    }
    QStringList actionNames() const override
    {
        return QStringList{showMenuAction(), pressAction()} + QAccessibleWidget::actionNames();
    }
    void doAction(const QString& action) override
    {
        if (action != showMenuAction() && action != pressAction()) return QAccessibleWidget::doAction(action);
        if (list()->view()->isVisible())
            list()->hidePopup();
        else
            list()->showPopup();
    }

private:
    DropDownList* list() const { return static_cast<DropDownList*>(widget()); }
};

}  // namespace

QAccessibleInterface* makeDropDownListAccessible(DropDownList* list)
{
    return new DropDownListAccessible(list);
}

}  // namespace nolt::fw
