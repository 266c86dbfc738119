#include "framework/qt/dialog_window.h"

#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QGroupBox>
#include <QKeyEvent>
#include <QPushButton>
#include <QLabel>
#include <QShortcut>

#include "framework/backend.h"
#include "framework/dialog.h"
#include "framework/qt/dialog_impl.h"

namespace nolt::fw {

DialogWindow::DialogWindow(CDialogEx& owner, QWidget* parent) : QDialog(parent), owner_(owner)
{
    // Alt+Space opens the dialog's own system menu (see system_menu.cpp).
    auto* sc = new QShortcut(QKeySequence(Qt::ALT | Qt::Key_Space), this);
    sc->setContext(Qt::WindowShortcut);
    connect(sc, &QShortcut::activated, this, [this] { openSystemMenu(mapToGlobal(QPoint(0, 0))); });
}

void DialogWindow::placeOnScreen()
{
    fw::placeOnScreen(*this, parentWidget());
    placedByGuess_ = !isFramed(this);
}

bool DialogWindow::event(QEvent* e)
{
    // The frame is known once the window manager has put it around the
    // window, soon after the window is shown: a frame larger than guessed
    // could leave the title bar off the screen.
    if (placedByGuess_ && isFramed(this)) {
        placedByGuess_ = false;
        keepOnScreen(*this, parentWidget());
    }
    return QDialog::event(e);
}

void DialogWindow::keyPressEvent(QKeyEvent* e)
{
    const bool plain = (e->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
    if (plain && (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter)) {
        // A focused push button is pressed by Enter; elsewhere Enter means
        // the default button, which is OK unless the template names another.
        if (auto* button = qobject_cast<QPushButton*>(focusWidget())) {
            button->click();
            return;
        }
        DialogEvents::enterKey(owner_);
        return;
    }
    if (plain && e->key() == Qt::Key_Escape) {
        DialogEvents::escapeKey(owner_);
        return;
    }
    QDialog::keyPressEvent(e);
}

void DialogWindow::closeEvent(QCloseEvent* e)
{
    // The dialog decides in OnClose whether and how it ends.
    e->ignore();
    DialogEvents::closeRequested(owner_);
}

void DialogWindow::contextMenuEvent(QContextMenuEvent* e)
{
    QWidget* hit = childAt(e->pos());
    if (hit == nullptr || qobject_cast<QLabel*>(hit) || qobject_cast<QGroupBox*>(hit)) {
        openSystemMenu(e->globalPos());
        e->accept();
        return;
    }
    QDialog::contextMenuEvent(e);
}

}  // namespace nolt::fw
