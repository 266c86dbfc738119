// The drop-down list (no typing). Its own class so that screen readers get
// an accessible interface of ours: Qt's own names a list on Linux by its
// current item, so that a list would be heard as "1080P" rather than as
// "Resolution".
#pragma once

#include <QComboBox>

class QAccessibleInterface;

namespace nolt::fw {

class DropDownList : public QComboBox {
    Q_OBJECT
public:
    explicit DropDownList(QWidget* parent) : QComboBox(parent) {}
};

// The accessible interface of a DropDownList: named by its label, its
// value the current item, its child the opened list.
QAccessibleInterface* makeDropDownListAccessible(DropDownList* list);

}  // namespace nolt::fw
