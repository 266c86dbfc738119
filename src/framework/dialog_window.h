// The Qt window of a CDialogEx: routes keys, window close and the system
// menu back to the dialog object's virtual functions.
#pragma once

#include <QDialog>

namespace nolt::fw {

class CDialogEx;

class DialogWindow : public QDialog {
    Q_OBJECT
public:
    DialogWindow(CDialogEx& owner, QWidget* parent);

    void openSystemMenu(const QPoint& globalPos);
    void focusFirstTabStop() { focusNextChild(); }
    CDialogEx& dialog() const { return owner_; }

protected:
    void keyPressEvent(QKeyEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    void contextMenuEvent(QContextMenuEvent* e) override;
#ifdef _WIN32
    // On Windows the appended items live in the real system menu of the
    // window; its WM_SYSCOMMAND for them reaches the dialog here.
    bool nativeEvent(const QByteArray& eventType, void* message, qintptr* result) override;
#endif

private:
    CDialogEx& owner_;
};

}  // namespace nolt::fw
