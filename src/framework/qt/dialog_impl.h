// Inside of CDialogEx on Qt: the window and its controls. Only the Qt
// backend's sources and its own tests (through qt_access.h) see this.
#pragma once

#include <QButtonGroup>
#include <QFont>
#include <QMenu>
#include <QPointer>
#include <QWidget>

#include <functional>
#include <map>
#include <vector>

#include "framework/backend.h"
#include "framework/dialog.h"
#include "framework/qt/dialog_window.h"

namespace nolt::fw {

struct Control {
    int id;
    ControlKind kind;
    QWidget* widget;
    const ControlTemplate* tpl;
};

struct CDialogEx::Impl {
    QPointer<DialogWindow> window;
    std::vector<Control> controls;        // template order
    std::map<int, std::size_t> byId;      // id -> index in controls
    int cx = 0, cy = 0;                   // dialog base units in pixels
    QFont font;                           // the dialog font
    int result = 0;
    bool modalRunning = false;
    bool ended = false;  // EndDialog was called before the modal run started
    bool resizable = false;

    const Control* find(int id) const;
    QWidget* widget(int id) const;
};

// Builds the controls of a template inside the window, in template order.
void buildControls(CDialogEx::Impl& d, DialogWindow& window, const DialogTemplate& tpl,
                   const std::function<void(int, Notify)>& notify);
// The control that owns a widget (the widget itself or an ancestor).
int controlIdOf(const CDialogEx::Impl& d, const QWidget* w);
// Computes the base units of a font as the platform does.
void computeBaseUnits(const QFont& font, int& cx, int& cy);
QRect mapDialogRect(const CDialogEx::Impl& d, int x, int y, int w, int h);
QFont dialogFont(const DialogTemplate& tpl);
// The font size a dialog is laid out in on the screen it opens on (its
// owner's, else the primary one): the template's own unless the window would
// not fit the screen's available area.
int fittedPointSize(const DialogTemplate& tpl, const QWidget* owner);
// Places a window about to be shown over its owner (or in the middle of the
// screen) with all of its frame, title bar included, in the screen's
// available area.
void placeOnScreen(QWidget& window, const QWidget* owner);
// Moves a shown window as little as needed to bring all of its frame into
// the available area; one already inside stays where it is.
void keepOnScreen(QWidget& window, const QWidget* owner);
// Whether a window manager has put its frame around the window (its real
// margins are known).
bool isFramed(const QWidget* window);
QIcon appIcon();

}  // namespace nolt::fw
