// Fitting a dialog to the screen it opens on: the template's font size
// decides the size of every dialog unit, so a smaller font lays the whole
// dialog out smaller; and the window goes where all of its frame is on the
// screen (see framework/dialog_fit.h).

#include <QApplication>
#include <QScreen>
#include <QStyle>
#include <QWindow>

#include "framework/dialog_fit.h"
#include "framework/qt/dialog_impl.h"

namespace nolt::fw {

bool isFramed(const QWidget* w)
{
    // Every window manager's frame has at least a border; none is known
    // before the window is managed.
    return w && w->windowHandle() && !w->windowHandle()->frameMargins().isNull();
}

namespace {

// Until a window manager has framed a window, its frame is taken as the
// style's title bar and a border of a few pixels around.
constexpr int kFrameBorder = 4;

QScreen* screenFor(const QWidget* owner)
{
    return owner && owner->screen() ? owner->screen() : QGuiApplication::primaryScreen();
}

// The screen's available area (without task bars and docks), or the one a
// test chose, which is relative to the screen.
Rect workAreaOf(const QScreen& screen)
{
    if (const std::optional<Rect> area = workAreaForTests()) {
        const QPoint origin = screen.geometry().topLeft();
        return {origin.x() + area->x, origin.y() + area->y, area->w, area->h};
    }
    const QRect available = screen.availableGeometry();
    return {available.x(), available.y(), available.width(), available.height()};
}

Rect toRect(const QRect& r)
{
    return {r.x(), r.y(), r.width(), r.height()};
}

QMargins frameMargins(const QWidget* window, const QWidget* owner)
{
    // The window's own frame once it is framed; before that its owner's,
    // framed by the same manager.
    for (const QWidget* w : {window, owner})
        if (isFramed(w)) return w->windowHandle()->frameMargins();
    const int title = QApplication::style()->pixelMetric(QStyle::PM_TitleBarHeight);
    return {kFrameBorder, title + kFrameBorder, kFrameBorder, kFrameBorder};
}

// Puts the window's frame where placeWindow says.
void place(QWidget& window, const QWidget* owner, const Rect& centreOn, const Rect& work)
{
    const QMargins m = frameMargins(&window, owner);
    const Rect frame =
        placeWindow(window.width() + m.left() + m.right(), window.height() + m.top() + m.bottom(), centreOn, work);
    // The client area's place: a frame position would be taken as the
    // client's by a window system that does not know the frame yet.
    const QRect client(QPoint(frame.x + m.left(), frame.y + m.top()), window.size());
    if (!window.testAttribute(Qt::WA_Moved) || window.geometry() != client) window.setGeometry(client);
}

}  // namespace

int fittedPointSize(const DialogTemplate& tpl, const QWidget* owner)
{
    QScreen* screen = screenFor(owner);
    if (!screen) return tpl.pointSize;
    const QMargins frame = frameMargins(nullptr, owner);
    FitRequest request;
    request.duWidth = tpl.w;
    request.duHeight = tpl.h;
    request.pointSize = tpl.pointSize;
    request.pixelsPerInch = qRound(screen->logicalDotsPerInchY());
    request.deviceScale = screen->devicePixelRatio();
    request.frameWidth = frame.left() + frame.right();
    request.frameHeight = frame.top() + frame.bottom();
    const Rect work = workAreaOf(*screen);
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

void placeOnScreen(QWidget& window, const QWidget* owner)
{
    QScreen* screen = screenFor(owner);
    if (!screen) return;
    // Over its owner, as a dialog opens; a window of its own in the middle
    // of the screen.
    const Rect work = workAreaOf(*screen);
    const bool overOwner = owner && owner->isVisible() && !owner->isMinimized();
    place(window, owner, overOwner ? toRect(owner->frameGeometry()) : work, work);
}

void keepOnScreen(QWidget& window, const QWidget* owner)
{
    // Centred on where it is, it stays there when all of it is in the work area.
    if (QScreen* screen = screenFor(owner)) place(window, owner, toRect(window.frameGeometry()), workAreaOf(*screen));
}

}  // namespace nolt::fw
