// Inside of CDialogEx on Windows: the dialog manager's window and its child
// controls. Only the Win32 backend's sources see this.
#pragma once

#include "framework/win32/windows_api.h"

#include <map>
#include <string>
#include <vector>

#include "framework/backend.h"
#include "framework/dialog.h"

namespace nolt::fw {

struct Control {
    int id;
    ControlKind kind;
    HWND hwnd;
    const ControlTemplate* tpl;
    HFONT font = nullptr;  // a font of its own instead of the dialog's, freed with the window
};

// A font the program gave a control, kept so that it can be made again for
// another DPI.
struct ControlFont {
    int id;
    std::wstring face;
    int pointSize;
};

struct CDialogEx::Impl {
    HWND hwnd = nullptr;
    std::vector<Control> controls;    // template order
    std::map<int, std::size_t> byId;  // id -> index in controls
    std::vector<ControlFont> controlFonts;  // the program's own fonts, by control
    std::vector<HICON> icons;         // the window's icons, freed with the window
    std::vector<WORD> templateData;   // the in-memory DLGTEMPLATEEX
    int result = 0;
    bool modal = false;

    const Control* find(int id) const;
    HWND control(int id) const;
};

// The backend's way into a dialog: its window, its parent and its inside.
struct DialogAccess {
    static CDialogEx::Impl& impl(const CDialogEx& dlg) { return *dlg.d_; }
    static const CDialogEx* parent(const CDialogEx& dlg) { return dlg.parent_; }
    static HWND window(const CDialogEx& dlg) { return dlg.d_->hwnd; }
    static HWND control(const CDialogEx& dlg, int id) { return dlg.d_->control(id); }
};

// The dialog procedure: hands the dialog manager's messages to DialogEvents.
INT_PTR CALLBACK dialogProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

// A template turned into DLGTEMPLATEEX data for the dialog manager, with
// its font at pointSize.
std::vector<WORD> buildDialogTemplate(const DialogTemplate& tpl, bool hasOwner, int pointSize);
DWORD dialogStyle(const DialogTemplate& tpl);
DWORD dialogExStyle(const DialogTemplate& tpl, bool hasOwner);

// The font size a dialog is laid out in on the monitor it opens on (its
// owner's, else the active window's, else the primary one): the template's
// own unless the window would not fit the monitor's work area.
int fittedPointSize(const DialogTemplate& tpl, HWND owner);
// Moves a dialog, once it has its final frame, to the middle of its
// monitor's work area with all of that frame inside it.
void placeInWorkArea(HWND dialog);

// Gives each control whose caption does not fit it in the dialog's font a
// slightly smaller font (the program's own control fonts are left alone),
// and keeps group boxes from painting over the controls they enclose.
void fitCaptions(CDialogEx::Impl& d, UINT dpi);
void keepGroupBoxesBehind(const CDialogEx::Impl& d);
// Makes the program's own control fonts and the captions' fonts again for
// a DPI (the window's new one, after it moved to a monitor with another
// scaling).
void remakeFonts(CDialogEx::Impl& d, UINT dpi);
// Gives a control a font of its own (nullptr: the dialog's font again); the
// font it had of its own is freed.
void setOwnFont(Control& c, HFONT font, HFONT dialogFont);
// Frees the controls' own fonts, once the window is gone.
void freeOwnFonts(CDialogEx::Impl& d);

// Pairs the dialog's child windows with its template's controls and fills
// in what a template cannot say (list items, the log edit's set-up).
void attachControls(CDialogEx::Impl& d, HWND hwnd, const DialogTemplate& tpl);

// The log edit: no text limit, and no caret even when it has the focus.
void prepareLogEdit(HWND edit);

// The large and the small icon's size in pixels that the system asks for at
// a DPI.
struct WindowIconSizes {
    int big;
    int small;
};
WindowIconSizes windowIconSizes(UINT dpi);

// The tool's icon at exactly size x size pixels, made from the icon's image
// nearest that size; the caller destroys it.
HICON loadAppIcon(int size);

// Gives the window the tool's icons at its DPI's sizes; they are freed by
// releaseWindowIcons when the window goes.
void setWindowIcons(CDialogEx::Impl& d);
void releaseWindowIcons(CDialogEx::Impl& d);

// The dialog a window belongs to (the window itself or an ancestor), if any.
CDialogEx* dialogOf(HWND hwnd);

// Sets up the UI thread (the one that builds windows), its call window and
// the common controls, once.
void setUpUiThread();

// Serves the queued messages, giving keys to the dialog manager of the
// window they are for, as a modeless dialog's message loop does.
void serveMessages();

}  // namespace nolt::fw
