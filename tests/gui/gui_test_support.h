// Shared helpers of the GUI tests: a QApplication on the offscreen platform,
// a message-box recorder, dialogs opened without the application's loop,
// and user actions (click, list selection, typing an address).
#pragma once

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTest>

#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "framework/dialog.h"
#include "framework/qt/ip_address_edit.h"
#include "framework/message_box.h"
#include "framework/qt/qt_access.h"

namespace nolt::test {

// The one QApplication of a test program, created on first use.
inline QApplication& guiApp()
{
    static int argc = 1;
    static char name[] = "gui_tests";
    static char* argv[] = {name, nullptr};
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    // Never destroyed: widgets of static objects and Qt's own globals must not
    // outlive it during the program's exit.
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

// Serves events for a while (cross-thread calls, posted commands).
inline void pump(int ms = 20)
{
    QElapsedTimer t;
    t.start();
    do {
        QApplication::processEvents(QEventLoop::AllEvents, 5);
    } while (t.elapsed() < ms);
}

// Serves events until cond() holds or timeoutMs passes; returns cond().
inline bool pumpUntil(const std::function<bool()>& cond, int timeoutMs = 3000)
{
    QElapsedTimer t;
    t.start();
    while (!cond() && t.elapsed() < timeoutMs) QApplication::processEvents(QEventLoop::AllEvents, 5);
    return cond();
}

// Records every message box instead of showing it; each returns OK at once.
class BoxRecorder {
public:
    BoxRecorder()
    {
        fw::setMessageBoxSink([this](const fw::MessageBoxRequest& r) {
            boxes.push_back(r);
            return fw::IDOK;
        });
    }
    ~BoxRecorder() { fw::setMessageBoxSink({}); }
    BoxRecorder(const BoxRecorder&) = delete;
    BoxRecorder& operator=(const BoxRecorder&) = delete;
    std::vector<fw::MessageBoxRequest> boxes;
};

// Runs `onOpen` with each dialog whose modal run starts while it lives.
class ModalHook {
public:
    explicit ModalHook(std::function<void(fw::CDialogEx&)> onOpen) : onOpen_(std::move(onOpen))
    {
        fw::setModalHook([this](fw::CDialogEx& dlg) {
            ++calls;
            onOpen_(dlg);
        });
    }
    ~ModalHook() { fw::setModalHook({}); }
    ModalHook(const ModalHook&) = delete;
    ModalHook& operator=(const ModalHook&) = delete;
    int calls = 0;

private:
    std::function<void(fw::CDialogEx&)> onOpen_;
};

// Points the settings file at a fresh file of its own while it lives, so
// that tests neither read nor write the user's settings nor each other's.
class IsolatedSettings {
public:
    IsolatedSettings()
    {
        static std::atomic<int> counter{0};
        path_ = std::filesystem::temp_directory_path() /
                ("nolt-gui-test-" + std::to_string(getpid()) + "-" + std::to_string(++counter) + ".ini");
        std::filesystem::remove(path_);
        setenv("NOLT_PCCLIENT_CONFIG", path_.c_str(), 1);
    }
    ~IsolatedSettings()
    {
        std::error_code ec;
        std::filesystem::remove(path_, ec);
        unsetenv("NOLT_PCCLIENT_CONFIG");
    }
    IsolatedSettings(const IsolatedSettings&) = delete;
    IsolatedSettings& operator=(const IsolatedSettings&) = delete;
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

// Shows a dialog (built, initialised, shown, active) without a modal run.
template <typename Dlg, typename... Args>
std::unique_ptr<Dlg> openDialog(Args&&... args)
{
    guiApp();
    auto dlg = std::make_unique<Dlg>(std::forward<Args>(args)...);
    dlg->Create();
    QDialog* w = fw::DialogAccess::window(*dlg);
    w->activateWindow();
    QApplication::setActiveWindow(w);
    (void)QTest::qWaitForWindowActive(w, 2000);
    pump(10);
    return dlg;
}

inline QWidget* widgetOf(const fw::CDialogEx& dlg, int id)
{
    return fw::DialogAccess::control(dlg, id);
}

// Clicks a button with the mouse, as a user would: only a visible, enabled
// button can be clicked. Returns whether the click reached the button.
inline bool click(fw::CDialogEx& dlg, int id)
{
    auto* b = qobject_cast<QAbstractButton*>(widgetOf(dlg, id));
    if (!b || !b->isVisible() || !b->isEnabled()) return false;
    QTest::mouseClick(b, Qt::LeftButton, Qt::NoModifier, b->rect().center());
    return true;
}

// Picks an item of a drop-down list as a user would (fires the selection
// change); only a visible, enabled list can be used.
inline bool selectItem(fw::CDialogEx& dlg, int id, int index)
{
    auto* c = qobject_cast<QComboBox*>(widgetOf(dlg, id));
    if (!c || !c->isVisible() || !c->isEnabled() || index < 0 || index >= c->count()) return false;
    c->setFocus(Qt::MouseFocusReason);
    c->setCurrentIndex(index);
    emit c->activated(index);
    return true;
}

// Types text into the focused widget, key by key.
inline void typeKeys(const QString& text)
{
    for (QChar ch : text) {
        QWidget* f = QApplication::focusWidget();
        if (!f) return;
        QTest::keyClick(f, ch.toLatin1());
    }
}

// Empties an IP-address control and types an address into it as a user
// would (digits and dots, starting in the first field).
inline bool setIpText(fw::CDialogEx& dlg, int id, const QString& text)
{
    auto* ip = qobject_cast<fw::IpAddressEdit*>(widgetOf(dlg, id));
    if (!ip || !ip->isVisible() || !ip->isEnabled()) return false;
    ip->clear();
    ip->field(0)->setFocus(Qt::MouseFocusReason);
    typeKeys(text);
    return true;
}

// A test fixture with one dialog open (shown, initialised, active) and the
// message boxes recorded.
template <typename Dlg>
class DialogTest : public ::testing::Test {
protected:
    void SetUp() override { dlg = openDialog<Dlg>(); }
    IsolatedSettings settings;
    BoxRecorder boxes;
    std::unique_ptr<Dlg> dlg;
};

}  // namespace nolt::test
