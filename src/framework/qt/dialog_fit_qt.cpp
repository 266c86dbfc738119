// Fitting a dialog to the screen it opens on: the template's font size
// decides the size of every dialog unit, so a smaller font lays the whole
// dialog out smaller (see framework/dialog_fit.h).

#include <QApplication>
#include <QScreen>
#include <QStyle>

#include "framework/dialog_fit.h"
#include "framework/qt/dialog_impl.h"

namespace nolt::fw {
namespace {

// The frame a window manager adds is known only once the window is shown;
// taken as the style's title bar and a border of a few pixels around.
constexpr int kFrameBorder = 4;

}  // namespace

int fittedPointSize(const DialogTemplate& tpl, const QWidget* owner)
{
    QScreen* screen = owner && owner->screen() ? owner->screen() : QGuiApplication::primaryScreen();
    if (!screen) return tpl.pointSize;
    FitRequest request;
    request.duWidth = tpl.w;
    request.duHeight = tpl.h;
    request.pointSize = tpl.pointSize;
    request.pixelsPerInch = qRound(screen->logicalDotsPerInchY());
    request.deviceScale = screen->devicePixelRatio();
    request.frameWidth = 2 * kFrameBorder;
    request.frameHeight = QApplication::style()->pixelMetric(QStyle::PM_TitleBarHeight) + 2 * kFrameBorder;
    const QRect available = screen->availableGeometry();
    const Rect work =
        workAreaForTests().value_or(Rect{available.x(), available.y(), available.width(), available.height()});
    request.workWidth = work.w;
    request.workHeight = work.h;
    return fitDialogPointSize(request, [&](int size) {
        QFont font = dialogFont(tpl);
        font.setPointSize(size);
        BaseUnits units;
        computeBaseUnits(font, units.cx, units.cy);
        return units;
    });
}

}  // namespace nolt::fw
