// The multi-line read-only edit: wraps lines, always shows its vertical
// scroll bar, lets the user select and copy, and never shows a caret; its
// frame takes the highlight colour while it has the focus instead.
// Positions seen from outside count a line end as CR LF (two characters).
#pragma once

#include <QPlainTextEdit>

#include <string>
#include <utility>

namespace nolt::fw {

class LogEdit : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit LogEdit(QWidget* parent);

    std::wstring text() const;  // line ends as CR LF
    void setText(const std::wstring& text);
    int length() const;
    void setSel(int start, int end);
    std::pair<int, int> sel() const;
    void replaceSel(const std::wstring& text);
    void scrollCaret();

signals:
    void gotFocus();

protected:
    bool event(QEvent* e) override;
    void focusInEvent(QFocusEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;

private:
    int toDoc(int pos) const;    // CR LF position -> document position
    int fromDoc(int pos) const;  // document position -> CR LF position
};

}  // namespace nolt::fw
