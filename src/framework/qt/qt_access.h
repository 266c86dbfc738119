// The Qt widgets behind a dialog, for GUI tests that act as a user would
// (typing into a field, opening a list). Dialog code never needs this.
#pragma once

#include <QDialog>
#include <QWidget>

#include <cstddef>

#include "framework/dialog.h"

namespace nolt::fw {

struct DialogAccess {
    static QDialog* window(const CDialogEx& dlg);
    static QWidget* control(const CDialogEx& dlg, int id);
    // The widget of the control at a template position (static texts have no id).
    static QWidget* controlAt(const CDialogEx& dlg, std::size_t index);
};

}  // namespace nolt::fw
