#include "framework/qt/log_edit.h"

#include <QPainter>
#include <QScrollBar>
#include <QTextBlock>

#include <algorithm>

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
    // Each block but the last ends with a line end, which counts two.
    return document()->characterCount() - 1 + document()->blockCount() - 1;
}

int LogEdit::toDoc(int pos) const
{
    // Block k starts at document position P and at outside position P + k.
    // Found by bisection, so that appends stay cheap on a long log.
    const QTextDocument* doc = document();
    int lo = 0, hi = doc->blockCount() - 1;
    while (lo < hi) {
        const int mid = (lo + hi + 1) / 2;
        if (doc->findBlockByNumber(mid).position() + mid <= pos)
            lo = mid;
        else
            hi = mid - 1;
    }
    const QTextBlock block = doc->findBlockByNumber(lo);
    const int offset = std::clamp(pos - (block.position() + lo), 0, block.length() - 1);
    return block.position() + offset;
}

int LogEdit::fromDoc(int pos) const
{
    return pos + document()->findBlock(pos).blockNumber();
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

bool LogEdit::event(QEvent* e)
{
    const bool handled = QPlainTextEdit::event(e);
    // Without a caret nothing would show that the log has the focus (the
    // style marks only editable fields), so its frame, painted here, says so.
    if (e->type() == QEvent::Paint && hasFocus()) {
        QPainter p(this);
        p.setPen(palette().color(QPalette::Highlight));
        p.drawRect(rect().adjusted(0, 0, -1, -1));
    }
    return handled;
}

void LogEdit::focusInEvent(QFocusEvent* e)
{
    QPlainTextEdit::focusInEvent(e);
    update();
    emit gotFocus();
}

void LogEdit::focusOutEvent(QFocusEvent* e)
{
    QPlainTextEdit::focusOutEvent(e);
    update();
}

}  // namespace nolt::fw
