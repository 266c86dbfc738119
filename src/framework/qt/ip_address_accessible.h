// The IP-address control as a screen reader sees it: one field, named by its
// label, whose text and value are the dotted address, and whose children are
// its four number fields (named "<label>, part N of 4"); the dots between
// them are left out.
#pragma once

#include <QAccessibleWidget>

namespace nolt::fw {

class IpAddressEdit;

class IpAddressAccessible : public QAccessibleWidget, public QAccessibleTextInterface {
public:
    explicit IpAddressAccessible(IpAddressEdit* edit);

    void* interface_cast(QAccessible::InterfaceType t) override;
    QString text(QAccessible::Text t) const override;
    int childCount() const override { return 4; }
    QAccessibleInterface* child(int index) const override;
    int indexOfChild(const QAccessibleInterface* child) const override;

    // The text, read only: the dotted address.
    QString text(int start, int end) const override;
    int characterCount() const override { return static_cast<int>(address().size()); }
    int cursorPosition() const override { return 0; }
    void setCursorPosition(int) override {}
    void selection(int, int* start, int* end) const override { *start = *end = 0; }
    int selectionCount() const override { return 0; }
    void addSelection(int, int) override {}
    void removeSelection(int) override {}
    void setSelection(int, int, int) override {}
    QRect characterRect(int) const override { return {}; }
    int offsetAtPoint(const QPoint&) const override { return -1; }
    void scrollToSubstring(int, int) override {}
    QString attributes(int offset, int* start, int* end) const override;

private:
    IpAddressEdit* edit() const;
    QString address() const;
};

}  // namespace nolt::fw
