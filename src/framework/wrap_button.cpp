#include "framework/wrap_button.h"

#include <QStyleOptionButton>
#include <QStylePainter>

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
    const int flags = Qt::AlignCenter | Qt::TextShowMnemonic | (wrap_ ? Qt::TextWordWrap : 0);
    p.drawItemText(r, flags, opt.palette, isEnabled(), caption, QPalette::ButtonText);
}

}  // namespace nolt::fw
