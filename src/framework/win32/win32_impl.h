// Inside of CDialogEx on Windows: the dialog manager's window and its child
// controls. Only the Win32 backend's sources see this.
#pragma once

#include "framework/win32/windows_api.h"

#include <map>
#include <vector>

#include "framework/backend.h"
#include "framework/dialog.h"

namespace nolt::fw {

struct Control {
    int id;
    ControlKind kind;
    HWND hwnd;
    const ControlTemplate* tpl;
};

struct CDialogEx::Impl {
    HWND hwnd = nullptr;
    std::vector<Control> controls;    // template order
    std::map<int, std::size_t> byId;  // id -> index in controls
    std::vector<HFONT> fonts;         // fonts given to controls, freed with the window
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

// A template turned into DLGTEMPLATEEX data for the dialog manager.
std::vector<WORD> buildDialogTemplate(const DialogTemplate& tpl, bool hasOwner);

// Pairs the dialog's child windows with its template's controls and fills
// in what a template cannot say (list items, the log edit's set-up).
void attachControls(CDialogEx::Impl& d, HWND hwnd, const DialogTemplate& tpl);

// The log edit: no text limit, and no caret even when it has the focus.
void prepareLogEdit(HWND edit);

// The window's DPI (the system's where Windows knows no other).
UINT windowDpi(HWND hwnd);

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
