#include "framework/log_edit.h"

#include <QScrollBar>
#include <QTextBlock>

namespace nolt::fw {
namespace {

// The document keeps "\n" line ends; CR LF and a lone CR count as one line end.
QString toDocText(const std::wstring& text)
{
    QString s = QString::fromStdWString(text);
    s.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    s.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return s;
}

}  // namespace

LogEdit::LogEdit(QWidget* parent) : QPlainTextEdit(parent)
{
    setReadOnly(true);
    setUndoRedoEnabled(false);
    setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    setCursorWidth(0);  // read-only: no insertion caret, ever
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
}

std::wstring LogEdit::text() const
{
    QString s = toPlainText();
    s.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    return s.toStdWString();
}

void LogEdit::setText(const std::wstring& text)
{
    setPlainText(toDocText(text));
}

int LogEdit::length() const
{
    return fromDoc(document()->characterCount() - 1);
}

int LogEdit::toDoc(int pos) const
{
    // Each line end before pos takes two positions outside, one inside.
    const QString s = toPlainText();
    int outside = 0;
    int i = 0;
    for (; i < s.size() && outside < pos; ++i) outside += (s[i] == QLatin1Char('\n')) ? 2 : 1;
    return i;
}

int LogEdit::fromDoc(int pos) const
{
    const QString s = toPlainText();
    const int n = std::min<int>(pos, s.size());
    return pos + static_cast<int>(s.left(n).count(QLatin1Char('\n')));
}

void LogEdit::setSel(int start, int end)
{
    QTextCursor c = textCursor();
    const int len = document()->characterCount() - 1;
    if (start < 0) {
        c.clearSelection();
    } else {
        const int e = end < 0 ? len : std::min(toDoc(end), len);
        c.setPosition(std::min(toDoc(start), len));
        c.setPosition(e, QTextCursor::KeepAnchor);
    }
    setTextCursor(c);
}

std::pair<int, int> LogEdit::sel() const
{
    const QTextCursor c = textCursor();
    return {fromDoc(c.selectionStart()), fromDoc(c.selectionEnd())};
}

void LogEdit::replaceSel(const std::wstring& text)
{
    QTextCursor c = textCursor();
    c.insertText(toDocText(text));
    setTextCursor(c);
    ensureCursorVisible();  // the platform's edit keeps the caret in view after a replace
}

void LogEdit::scrollCaret()
{
    ensureCursorVisible();
}

void LogEdit::focusInEvent(QFocusEvent* e)
{
    QPlainTextEdit::focusInEvent(e);
    emit gotFocus();
}

}  // namespace nolt::fw
