// The user driver on Qt: mouse clicks and key presses through QTest's event
// simulation, delivered as the window system's would be.

#include "framework/user_actions.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QElapsedTimer>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QTest>
#include <QTextBlock>
#include <QTimer>

#include <cstdlib>
#include <optional>

#include "framework/qt/dialog_impl.h"
#include "framework/qt/ip_address_edit.h"
#include "framework/qt/qt_access.h"

namespace nolt::fw::user {
namespace {

QWidget* usable(const CDialogEx& dlg, int id)
{
    QWidget* w = DialogAccess::control(dlg, id);
    return w && w->isVisible() && w->isEnabled() ? w : nullptr;
}

Qt::Key qtKey(Key key)
{
    switch (key) {
    case Key::Enter: return Qt::Key_Return;
    case Key::Escape: return Qt::Key_Escape;
    case Key::Tab: return Qt::Key_Tab;
    case Key::Space: return Qt::Key_Space;
    }
    return Qt::Key_unknown;
}

void typeAtFocus(std::wstring_view text)
{
    for (wchar_t ch : text) {
        QWidget* f = QApplication::focusWidget();
        if (!f) return;
        if (ch > 0 && ch < 0x80) {
            QTest::keyClick(f, static_cast<char>(ch));
        } else {
            const QString s = QString::fromWCharArray(&ch, 1);
            QTest::sendKeyEvent(QTest::Press, f, Qt::Key_unknown, s, Qt::NoModifier);
            QTest::sendKeyEvent(QTest::Release, f, Qt::Key_unknown, s, Qt::NoModifier);
        }
    }
}

QMessageBox* openBox()
{
    return qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
}

QFileDialog* openFileDialog()
{
    return qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
}

// Opens the dialog's system menu with Alt+Space, as a user does.
QMenu* openSystemMenu(CDialogEx& dlg)
{
    QDialog* w = DialogAccess::window(dlg);
    if (!w || !activate(dlg)) return nullptr;
    QTest::keyClick(w->focusWidget() ? w->focusWidget() : w, Qt::Key_Space, Qt::AltModifier);
    return qobject_cast<QMenu*>(QApplication::activePopupWidget());
}

// The system-menu item that sends `command`.
QAction* menuItem(const QMenu& menu, int command)
{
    for (QAction* a : menu.actions())
        if (!a->isSeparator() && a->data().toInt() == command) return a;
    return nullptr;
}

// The middle of a list box's item, in its viewport, scrolled into view;
// nullopt when there is no such item.
std::optional<QPoint> itemPoint(QListWidget* l, int index)
{
    if (!l || index < 0 || index >= l->count()) return std::nullopt;
    l->scrollToItem(l->item(index));
    return l->visualItemRect(l->item(index)).center();
}

}  // namespace

void setUpGui()
{
    if (QApplication::instance()) return;
    if (!std::getenv("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "nolt-tests";
    static char* argv[] = {name, nullptr};
    // Never destroyed: widgets of static objects and Qt's own globals must
    // not outlive it during the program's exit.
    new QApplication(argc, argv);
}

bool activate(CDialogEx& dlg)
{
    QDialog* w = DialogAccess::window(dlg);
    if (!w) return false;
    w->activateWindow();
    QApplication::setActiveWindow(w);
    return QTest::qWaitForWindowActive(w, 2000);
}

bool click(CDialogEx& dlg, int id)
{
    auto* b = qobject_cast<QAbstractButton*>(usable(dlg, id));
    if (!b) return false;
    QTest::mouseClick(b, Qt::LeftButton, Qt::NoModifier, b->rect().center());
    return true;
}

bool choose(CDialogEx& dlg, int id, int index)
{
    if (auto* l = qobject_cast<QListWidget*>(usable(dlg, id))) {
        const auto at = itemPoint(l, index);
        if (!at) return false;
        QTest::mouseClick(l->viewport(), Qt::LeftButton, Qt::NoModifier, *at);
        return true;
    }
    auto* c = qobject_cast<QComboBox*>(usable(dlg, id));
    if (!c || index < 0 || index >= c->count()) return false;
    c->setFocus(Qt::MouseFocusReason);
    c->setCurrentIndex(index);
    emit c->activated(index);
    return true;
}

bool doubleClick(CDialogEx& dlg, int id, int index)
{
    auto* l = qobject_cast<QListWidget*>(usable(dlg, id));
    const auto at = itemPoint(l, index);
    if (!at) return false;
    QTest::mouseClick(l->viewport(), Qt::LeftButton, Qt::NoModifier, *at);
    QTest::mouseDClick(l->viewport(), Qt::LeftButton, Qt::NoModifier, *at);
    return true;
}

bool type(CDialogEx& dlg, int id, std::wstring_view text)
{
    QWidget* w = usable(dlg, id);
    if (!w) return false;
    if (auto* ip = qobject_cast<IpAddressEdit*>(w)) {
        ip->clear();
        ip->field(0)->setFocus(Qt::MouseFocusReason);
    } else if (qobject_cast<QLineEdit*>(w) || qobject_cast<QPlainTextEdit*>(w)) {
        w->setFocus(Qt::MouseFocusReason);
    } else {
        return false;
    }
    typeAtFocus(text);
    return true;
}

bool press(Key key)
{
    // A modal window (a message box, a modal dialog) takes the keys while it is open.
    QWidget* f = QApplication::focusWidget();
    if (QWidget* modal = QApplication::activeModalWidget(); modal && (!f || f->window() != modal))
        f = modal->focusWidget() ? modal->focusWidget() : modal;
    if (!f) return false;
    QTest::keyClick(f, qtKey(key));
    return true;
}

void closeWindow(CDialogEx& dlg)
{
    if (QDialog* w = DialogAccess::window(dlg)) w->close();
}

bool messageBoxOpen()
{
    return openBox() != nullptr;
}

bool closeMessageBox()
{
    QMessageBox* box = openBox();
    if (!box) return false;
    box->done(QMessageBox::Ok);
    return true;
}

bool chooseSystemMenuItem(CDialogEx& dlg, int command)
{
    QMenu* menu = openSystemMenu(dlg);
    if (!menu) return false;
    QAction* item = menuItem(*menu, command);
    const bool usable = item && item->isEnabled();
    if (usable) item->trigger();
    menu->close();
    // The menu hands the command on once it has closed, as a posted call.
    QApplication::processEvents();
    return usable;
}

bool systemMenuItemChecked(CDialogEx& dlg, int command)
{
    QMenu* menu = openSystemMenu(dlg);
    if (!menu) return false;
    const QAction* item = menuItem(*menu, command);
    const bool checked = item && item->isChecked();
    menu->close();
    return checked;
}

std::vector<std::wstring> saveFileTypes()
{
    const QFileDialog* d = openFileDialog();
    if (!d) return {};
    std::vector<std::wstring> types{d->selectedNameFilter().toStdWString()};
    for (const QString& filter : d->nameFilters())
        if (filter != d->selectedNameFilter()) types.push_back(filter.toStdWString());
    return types;
}

bool answerSaveFile(const std::filesystem::path& file)
{
    QFileDialog* d = openFileDialog();
    if (!d) return false;
    if (file.empty()) {
        d->reject();
        return true;
    }
    // Put into its file-name field whole, as a pasted path: typed key by
    // key, each part of it would select a folder it names in the list, and
    // Save would then open that folder.
    const QString name = QFile::decodeName(QByteArray::fromStdString(file.string()));
    if (auto* field = d->findChild<QLineEdit*>("fileNameEdit")) {
        field->setFocus(Qt::MouseFocusReason);
        field->setText(name);
    } else {
        d->selectFile(name);
    }
    // Its Save button (the desktop's own dialog, where one stands in, has
    // none of Qt's buttons: it is accepted as the button would).
    const auto* buttons = d->findChild<QDialogButtonBox*>();
    for (QAbstractButton* b : buttons ? buttons->buttons() : QList<QAbstractButton*>()) {
        if (buttons->buttonRole(b) != QDialogButtonBox::AcceptRole) continue;
        b->click();
        return true;
    }
    QMetaObject::invokeMethod(d, "accept");
    return true;
}

void pump(int ms)
{
    QElapsedTimer t;
    t.start();
    do {
        QApplication::processEvents(QEventLoop::AllEvents, 5);
    } while (t.elapsed() < ms);
}

bool pumpUntil(const std::function<bool()>& cond, int timeoutMs)
{
    QElapsedTimer t;
    t.start();
    while (!cond() && t.elapsed() < timeoutMs) QApplication::processEvents(QEventLoop::AllEvents, 5);
    return cond();
}

void after(int ms, std::function<void()> action)
{
    QTimer::singleShot(ms, QApplication::instance(), std::move(action));
}

Rect windowRect(const CDialogEx& dlg)
{
    const QDialog* w = DialogAccess::window(dlg);
    const QRect r = w ? w->frameGeometry() : QRect();
    return {r.x(), r.y(), r.width(), r.height()};
}

TitleBarButtons titleBarButtons(const CDialogEx& dlg)
{
    const QDialog* w = DialogAccess::window(dlg);
    const Qt::WindowFlags f = w ? w->windowFlags() : Qt::WindowFlags();
    return {f.testFlag(Qt::WindowMinimizeButtonHint), f.testFlag(Qt::WindowMaximizeButtonHint),
            f.testFlag(Qt::WindowCloseButtonHint)};
}

int lineCount(const CDialogEx& dlg, int id)
{
    auto* box = qobject_cast<QPlainTextEdit*>(DialogAccess::control(dlg, id));
    if (!box) return -1;
    const QTextDocument* doc = box->document();
    return doc->blockCount() - (doc->lastBlock().length() <= 1 ? 1 : 0);
}

bool isBlank(const CDialogEx& dlg, int id)
{
    auto* ip = qobject_cast<IpAddressEdit*>(DialogAccess::control(dlg, id));
    return ip && ip->isBlank();
}

}  // namespace nolt::fw::user
