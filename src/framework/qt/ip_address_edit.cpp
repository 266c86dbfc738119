#include "framework/qt/ip_address_edit.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QRegularExpression>
#include <QRegularExpressionValidator>

namespace nolt::fw {
namespace {

constexpr int kMaxDigits = 3;
constexpr int kMaxField = 255;

}  // namespace

IpAddressEdit::IpAddressEdit(QWidget* parent) : QFrame(parent)
{
    setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Base);
    setFocusPolicy(Qt::StrongFocus);
    auto* digits = new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,3}")), this);
    for (int i = 0; i < 4; ++i) {
        auto* f = new QLineEdit(this);
        f->setFrame(false);
        f->setAlignment(Qt::AlignCenter);
        f->setMaxLength(kMaxDigits);
        f->setValidator(digits);
        f->setFocusPolicy(Qt::ClickFocus);  // Tab treats the control as one stop
        f->installEventFilter(this);
        connect(f, &QLineEdit::textEdited, this, [this, i] { onEdited(i); });
        connect(f, &QLineEdit::editingFinished, this, [this, i] { clampField(i); });
        fields_[static_cast<std::size_t>(i)] = f;
        if (i < 3) {
            auto* dot = new QLabel(QStringLiteral("."), this);
            dot->setObjectName(QStringLiteral("dot%1").arg(i));
            dot->setAlignment(Qt::AlignCenter);
        }
    }
}

std::wstring IpAddressEdit::text() const
{
    std::wstring s;
    for (int i = 0; i < 4; ++i) {
        if (i) s += L'.';
        const QString t = field(i)->text();
        s += std::to_wstring(t.isEmpty() ? 0 : std::min(t.toInt(), kMaxField));
    }
    return s;
}

void IpAddressEdit::setText(const std::wstring& text)
{
    static const QRegularExpression dotted(QStringLiteral("^(\\d{1,3})\\.(\\d{1,3})\\.(\\d{1,3})\\.(\\d{1,3})$"));
    const QRegularExpressionMatch m = dotted.match(QString::fromStdWString(text).trimmed());
    bool ok = m.hasMatch();
    for (int i = 1; ok && i <= 4; ++i) ok = m.captured(i).toInt() <= kMaxField;
    for (int i = 0; i < 4; ++i)
        field(i)->setText(ok ? QString::number(m.captured(i + 1).toInt()) : QString());
}

void IpAddressEdit::clear()
{
    for (QLineEdit* f : fields_) f->clear();
}

bool IpAddressEdit::isBlank() const
{
    for (QLineEdit* f : fields_)
        if (!f->text().isEmpty()) return false;
    return true;
}

int IpAddressEdit::indexOf(QObject* obj) const
{
    for (int i = 0; i < 4; ++i)
        if (fields_[static_cast<std::size_t>(i)] == obj) return i;
    return -1;
}

bool IpAddressEdit::eventFilter(QObject* obj, QEvent* e)
{
    const int i = indexOf(obj);
    if (i >= 0 && e->type() == QEvent::KeyPress) return handleKey(i, static_cast<QKeyEvent*>(e));
    if (i >= 0 && e->type() == QEvent::FocusIn) emit gotFocus();
    return QFrame::eventFilter(obj, e);
}

bool IpAddressEdit::handleKey(int i, QKeyEvent* ke)
{
    QLineEdit* f = field(i);
    switch (ke->key()) {
    case Qt::Key_Period:
        // The dot moves on once the field holds a number, as on the platform.
        if (i < 3 && !f->text().isEmpty()) focusField(i + 1, true);
        return true;
    case Qt::Key_Right:
        if (i < 3 && f->cursorPosition() == f->text().size() && !f->hasSelectedText()) {
            focusField(i + 1, false);
            field(i + 1)->setCursorPosition(0);
            return true;
        }
        return false;
    case Qt::Key_Left:
    case Qt::Key_Backspace:
        if (i > 0 && f->cursorPosition() == 0 && !f->hasSelectedText()) {
            focusField(i - 1, false);
            field(i - 1)->end(false);
            return true;
        }
        return false;
    default:
        return false;
    }
}

void IpAddressEdit::onEdited(int i)
{
    QLineEdit* f = field(i);
    if (f->text().size() < kMaxDigits || f->cursorPosition() < kMaxDigits) return;
    clampField(i);
    if (i < 3) focusField(i + 1, true);
}

void IpAddressEdit::clampField(int i)
{
    QLineEdit* f = field(i);
    if (!f->text().isEmpty() && f->text().toInt() > kMaxField) f->setText(QString::number(kMaxField));
}

void IpAddressEdit::focusField(int i, bool selectAll)
{
    QLineEdit* f = field(i);
    f->setFocus(Qt::OtherFocusReason);
    if (selectAll) f->selectAll();
}

void IpAddressEdit::focusInEvent(QFocusEvent* e)
{
    QFrame::focusInEvent(e);
    if (passingFocus_) return;
    focusField(e->reason() == Qt::BacktabFocusReason ? 3 : 0, true);
}

bool IpAddressEdit::focusNextPrevChild(bool next)
{
    // Move on from the control as a whole, not from the field inside it.
    passingFocus_ = true;
    setFocus(Qt::OtherFocusReason);
    passingFocus_ = false;
    return QFrame::focusNextPrevChild(next);
}

void IpAddressEdit::changeEvent(QEvent* e)
{
    QFrame::changeEvent(e);
    if (e->type() == QEvent::EnabledChange) setBackgroundRole(isEnabled() ? QPalette::Base : QPalette::Window);
}

void IpAddressEdit::resizeEvent(QResizeEvent* e)
{
    QFrame::resizeEvent(e);
    layoutFields();
}

void IpAddressEdit::layoutFields()
{
    const QRect r = contentsRect();
    const int dotW = std::max(3, fontMetrics().horizontalAdvance(QLatin1Char('.')) + 2);
    const int fieldW = (r.width() - 3 * dotW) / 4;
    int x = r.x();
    for (int i = 0; i < 4; ++i) {
        field(i)->setGeometry(x, r.y(), fieldW, r.height());
        x += fieldW;
        if (i < 3) {
            if (auto* dot = findChild<QLabel*>(QStringLiteral("dot%1").arg(i)))
                dot->setGeometry(x, r.y(), dotW, r.height());
            x += dotW;
        }
    }
}

}  // namespace nolt::fw
