// The UI thread on Qt: the application's main thread and its event loop.

#include "framework/ui_thread.h"

#include <QApplication>
#include <QCoreApplication>
#include <QEvent>
#include <QEventLoop>
#include <QPointer>
#include <QThread>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <condition_variable>
#include <memory>
#include <mutex>

namespace nolt::fw {
namespace {

constexpr std::chrono::milliseconds kPollInterval{5};

bool isUserInput(QEvent::Type t)
{
    switch (t) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::NonClientAreaMouseButtonPress:
    case QEvent::NonClientAreaMouseButtonRelease:
    case QEvent::NonClientAreaMouseButtonDblClick:
    case QEvent::InputMethod:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::Wheel:
    case QEvent::ContextMenu:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TabletPress:
    case QEvent::TabletRelease:
    case QEvent::TabletMove:
        return true;
    default:
        return false;
    }
}

// Eats user input while installed: the input is dropped, not queued, so
// nothing the user did during the wait takes effect afterwards.
class InputBlocker : public QObject {
public:
    InputBlocker() : modalAtStart_(QApplication::activeModalWidget())
    {
        QCoreApplication::instance()->installEventFilter(this);
    }
    ~InputBlocker() override { QCoreApplication::instance()->removeEventFilter(this); }
    bool eventFilter(QObject* target, QEvent* e) override
    {
        return isUserInput(e->type()) && !inModalOpenedDuringWait(target);
    }

private:
    // A modal window opened during the wait, such as a message box another
    // thread asked for, takes input as usual: otherwise nobody could close
    // it, and the wait, which runs it, could never end.
    bool inModalOpenedDuringWait(QObject* target) const
    {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || modal == modalAtStart_) return false;
        if (auto* window = qobject_cast<QWindow*>(target)) return window == modal->windowHandle();
        return target->isWidgetType() && static_cast<QWidget*>(target)->window() == modal;
    }

    QPointer<QWidget> modalAtStart_;
};

}  // namespace

bool isUiThread()
{
    const QCoreApplication* app = QCoreApplication::instance();
    return app == nullptr || QThread::currentThread() == app->thread();
}

void runOnUiThread(const std::function<void()>& fn)
{
    if (isUiThread()) {
        fn();
        return;
    }
    // The hand-off is made with the standard library's lock rather than
    // Qt's blocking connection, so that ThreadSanitizer sees the call ordered
    // after everything the caller did, and the caller after the call.
    struct HandOff {
        std::mutex mutex;
        std::condition_variable cv;
        bool done = false;
    };
    auto handOff = std::make_shared<HandOff>();
    std::unique_lock lock(handOff->mutex);
    QMetaObject::invokeMethod(
        QCoreApplication::instance(),
        [handOff, &fn] {
            { std::lock_guard acquire(handOff->mutex); }
            fn();
            {
                std::lock_guard release(handOff->mutex);
                handOff->done = true;
            }
            handOff->cv.notify_one();
        },
        Qt::QueuedConnection);
    handOff->cv.wait(lock, [&] { return handOff->done; });
}

void processPendingEvents()
{
    if (QCoreApplication::instance() && isUiThread())
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

bool waitWithInputBlocked(const std::function<bool()>& done, std::chrono::milliseconds timeout)
{
    if (done()) return true;
    InputBlocker blocker;
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (done()) loop.quit();
    });
    QTimer::singleShot(timeout, &loop, &QEventLoop::quit);
    poll.start(kPollInterval);
    loop.exec();
    return done();
}

}  // namespace nolt::fw
