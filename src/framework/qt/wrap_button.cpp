#include "framework/qt/wrap_button.h"

#include <QStyleOptionButton>
#include <QStylePainter>

#include <algorithm>

namespace nolt::fw {

WrapButton::WrapButton(const QString& text, bool wrap, QWidget* parent)
    : QPushButton(text, parent), wrap_(wrap)
{
}

void WrapButton::paintEvent(QPaintEvent*)
{
    QStylePainter p(this);
    QStyleOptionButton opt;
    initStyleOption(&opt);
    const QString caption = opt.text;
    opt.text.clear();
    p.drawControl(QStyle::CE_PushButton, opt);

    QRect r = style()->subElementRect(QStyle::SE_PushButtonContents, &opt, this);
    if (isDown()) r.translate(style()->pixelMetric(QStyle::PM_ButtonShiftHorizontal, &opt, this),
                              style()->pixelMetric(QStyle::PM_ButtonShiftVertical, &opt, this));
    // A one-line caption that the style's margins would cut gets the whole
    // face of the button, and, where the substitute font is wider than the
    // face the template was laid out for, a slightly smaller size.
    if (!wrap_ && fontMetrics().horizontalAdvance(caption) > r.width()) {
        r.setLeft(rect().left() + 2);
        r.setRight(rect().right() - 2);
        const int needed = fontMetrics().horizontalAdvance(caption);
        if (needed > r.width()) {
            QFont f = font();
            f.setPointSizeF(std::max(f.pointSizeF() * r.width() / needed, f.pointSizeF() * 0.75));
            p.setFont(f);
        }
    }
    const int flags = Qt::AlignCenter | Qt::TextShowMnemonic | (wrap_ ? Qt::TextWordWrap : 0);
    p.drawItemText(r, flags, opt.palette, isEnabled(), caption, QPalette::ButtonText);
}

}  // namespace nolt::fw
