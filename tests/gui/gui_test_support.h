// Helpers of the framework's own Qt tests: the shared dialog-test helpers
// (support/dialog_support.h) and, on top, the QApplication and the widgets
// behind a dialog's controls.
#pragma once

#include <QApplication>
#include <QLineEdit>
#include <QTest>

#include "framework/qt/ip_address_edit.h"
#include "framework/qt/qt_access.h"
#include "support/dialog_support.h"

namespace nolt::test {

// The one QApplication of a test program, created on first use.
inline QApplication& guiApp()
{
    fw::user::setUpGui();
    return *qApp;
}

inline QWidget* widgetOf(const fw::CDialogEx& dlg, int id)
{
    return fw::DialogAccess::control(dlg, id);
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

}  // namespace nolt::test
