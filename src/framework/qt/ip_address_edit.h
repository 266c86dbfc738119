// The IP-address control: four fields of 0 to 255 with fixed dots. Typing
// "." or a third digit moves to the next field; the text is always dotted
// ("0.0.0.0" when blank); setting a text that is not a dotted address leaves
// the control blank. Tab moves past the whole control, not field by field.
#pragma once

#include <QFrame>
#include <QLineEdit>

#include <array>
#include <string>

namespace nolt::fw {

class IpAddressEdit : public QFrame {
    Q_OBJECT
public:
    explicit IpAddressEdit(QWidget* parent);

    std::wstring text() const;
    void setText(const std::wstring& text);
    void clear();
    bool isBlank() const;
    QLineEdit* field(int i) const { return fields_[static_cast<std::size_t>(i)]; }

signals:
    void gotFocus();

protected:
    bool eventFilter(QObject* obj, QEvent* e) override;
    void focusInEvent(QFocusEvent* e) override;
    bool focusNextPrevChild(bool next) override;
    void changeEvent(QEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;

private:
    int indexOf(QObject* obj) const;
    bool handleKey(int i, QKeyEvent* ke);
    void onEdited(int i);
    void clampField(int i);
    void focusField(int i, bool selectAll);
    void layoutFields();

    std::array<QLineEdit*, 4> fields_{};
    bool passingFocus_ = false;
};

}  // namespace nolt::fw
