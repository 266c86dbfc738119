// The tool's icon, drawn rather than loaded: a camera body with its lens.

#include <QIcon>
#include <QPainter>
#include <QPixmap>

#include "framework/qt/dialog_impl.h"

namespace nolt::fw {
namespace {

QPixmap drawIcon(int size)
{
    QPixmap pm(size, size);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal s = size / 32.0;
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x1f, 0x5f, 0xa8));
    p.drawRoundedRect(QRectF(2 * s, 8 * s, 28 * s, 19 * s), 4 * s, 4 * s);
    p.drawRect(QRectF(10 * s, 5 * s, 9 * s, 4 * s));
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(16 * s, 17.5 * s), 7 * s, 7 * s);
    p.setBrush(QColor(0x20, 0x20, 0x30));
    p.drawEllipse(QPointF(16 * s, 17.5 * s), 4.5 * s, 4.5 * s);
    return pm;
}

}  // namespace

QIcon appIcon()
{
    QIcon icon;
    for (int size : {16, 32, 48}) icon.addPixmap(drawIcon(size));
    return icon;
}

}  // namespace nolt::fw
