// The Qt window of a CDialogEx: routes keys, window close and the system
// menu back to the dialog object's virtual functions.
#pragma once

#include <QDialog>
#include <QMenu>
#include <QPointer>

namespace nolt::fw {

class CDialogEx;

class DialogWindow : public QDialog {
    Q_OBJECT
public:
    DialogWindow(CDialogEx& owner, QWidget* parent);

    void openSystemMenu(const QPoint& globalPos);
    bool isSystemMenuOpen() const { return openMenu_ && openMenu_->isVisible(); }
    void focusFirstTabStop() { focusNextChild(); }
    CDialogEx& dialog() const { return owner_; }
    // Places the window before it is shown, with a frame guessed until the
    // window manager has framed it; then once more with the real frame.
    void placeOnScreen();

protected:
    bool event(QEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    void contextMenuEvent(QContextMenuEvent* e) override;

private:
    CDialogEx& owner_;
    QPointer<QMenu> openMenu_;  // the system menu while it is open
    bool placedByGuess_ = false;  // placed with a guessed frame, not yet framed
};

}  // namespace nolt::fw
