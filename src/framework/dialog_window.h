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

protected:
    void keyPressEvent(QKeyEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    void contextMenuEvent(QContextMenuEvent* e) override;

private:
    CDialogEx& owner_;
};

}  // namespace nolt::fw
