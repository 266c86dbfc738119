// What a toolkit backend of the framework provides, and what the shared part
// offers it. The shared part (this folder) holds everything that is not
// toolkit code: the message table and its dispatch, data exchange, the
// default handlers, the system-menu item list, the message-box sink and
// AfxMessageBox, the save-file dialog's sink, the modal hook, the application object and the socket
// start-up hook. One backend is linked: qt/ (Linux) or win32/ (Windows).
//
// A backend defines:
//
//  * struct CDialogEx::Impl (its window and controls) and these members of
//    CDialogEx (see dialog.h):
//      CDialogEx(const DialogTemplate&, CDialogEx*), ~CDialogEx()
//      DestroyWindow, IsWindowCreated, IsWindowVisible,
//      Create, DoModal, EndDialog, ShowMinimized, systemMenuItemAppended,
//      systemMenuItemChecked,
//      HasControl, GetDlgItemText, SetDlgItemText, EnableControl,
//      IsControlEnabled, IsControlVisible, GetControlRect, MapDialogRect,
//      CheckDlgButton, IsDlgButtonChecked, GetCurSel, SetCurSel,
//      ResetContent, AddString, InsertString, GetCount, GetLBText,
//      SetProgressRange, SetProgressPos, GetProgressPos, SetSel, GetSel,
//      ReplaceSel, GetWindowTextLength, ScrollCaret, HideCaret,
//      GotoDlgCtrl, GetFocusId, SetControlFont, GetWindowText,
//      SetWindowText, SetAppIcon, IsIconic, IsResizable,
//      RemoveSizingBorder, IsSystemMenuOpen.
//    (buildWindow is a private helper of the Qt backend; another backend
//    defines it only if it calls it.)
//    Every control and window call may come from any thread; use onUi().
//    Create and DoModal call DialogEvents::initDialog once the window and
//    its controls exist, and put the focus on the first tab stop when it
//    returns true. DoModal calls DialogEvents::modalStarted once the modal
//    run has begun and returns the value given to EndDialog (IDCANCEL when
//    nothing ended it); a dialog ended during initDialog returns at once,
//    without a modal run.
//    The toolkit's events are handed to DialogEvents (below).
//  * the UI thread functions of ui_thread.h except runWithInputBlocked:
//      isUiThread, runOnUiThread, processPendingEvents, waitWithInputBlocked.
//  * the functions declared in namespace backend below.
//  * the user driver of user_actions.h, as the library nolt_gui_driver
//    (only the tests link it).
#pragma once

#include <functional>

#include "framework/desktop_language.h"
#include "framework/dialog.h"
#include "framework/file_dialog.h"
#include "framework/message_box.h"
#include "framework/ui_thread.h"

namespace nolt::fw {

namespace backend {

// Sets up the toolkit for the process (if it is not set up yet), runs
// initInstance and returns the process exit status (0 on a normal end).
int runApplication(const std::function<void()>& initInstance);

// Shows a real modal box with an OK button, owned by the application's main
// window or the popup last active over it (the active window when there is
// no main window), with the task-bar button flashing while another program
// is in front; returns the button that closed it (IDOK). Called on the UI
// thread.
int showNativeMessageBox(const MessageBoxRequest& request);

// Shows the platform's modal save-file dialog over `owner` (a window the
// user works in) and returns the chosen file, or nullopt when cancelled.
// Called on the UI thread.
std::optional<std::filesystem::path> showNativeSaveFileDialog(const SaveFileRequest& request, CDialogEx* owner);

// The language the desktop draws its own texts in, which the items of the
// system menu follow.
DesktopLanguage systemLanguage();

}  // namespace backend

// Events of the toolkit, handed to the dialog's handlers. Called on the UI
// thread.
struct DialogEvents {
    // A control reported a notification (click, selection change, focus).
    static void notify(CDialogEx& dlg, int id, Notify code) { dlg.dispatch(id, code); }
    // Enter where no focused push button takes it: the default button, which
    // is IDOK unless the template names another.
    static void enterKey(CDialogEx& dlg);
    static void escapeKey(CDialogEx& dlg) { dlg.OnCancel(); }
    // The window's close button, Alt+F4 or a close request of the system.
    static void closeRequested(CDialogEx& dlg) { dlg.OnClose(); }
    static void sysCommand(CDialogEx& dlg, int command) { dlg.OnSysCommand(command); }
    static void endSession(CDialogEx& dlg, bool ending) { dlg.OnEndSession(ending); }
    // Returns true when the framework is to focus the first tab stop.
    static bool initDialog(CDialogEx& dlg) { return dlg.OnInitDialog(); }
    // The modal run has started: runs the modal hook (setModalHook).
    static void modalStarted(CDialogEx& dlg);
    // The items appended to the system menu, in order (separators have command 0).
    static const std::vector<SystemMenuItem>& appendedSystemMenu(const CDialogEx& dlg) { return dlg.sysMenu_; }
};

// Runs f on the UI thread (at once when already there) and returns its value.
template <typename F>
auto onUi(F&& f) -> decltype(f())
{
    using R = decltype(f());
    if (isUiThread()) return f();
    if constexpr (std::is_void_v<R>) {
        runOnUiThread(f);
    } else {
        R r{};
        runOnUiThread([&] { r = f(); });
        return r;
    }
}

}  // namespace nolt::fw
