// A dialog built from a template, run modally or modeless, with its
// controls addressed by id. Every control call may be made from any thread:
// off the UI thread it is carried out by the UI thread while the caller waits.
#pragma once

#include <functional>
#include <memory>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "framework/dialog_template.h"
#include "framework/geometry.h"
#include "framework/message_box.h"
#include "framework/message_map.h"

namespace nolt::fw {

class CDialogEx;
class DialogWindow;

// System commands the framework's own system menu sends.
inline constexpr int SC_MINIMIZE = 0xF020;
inline constexpr int SC_CLOSE = 0xF060;

struct SystemMenuItem {
    int command;           // 0 for a separator
    std::wstring text;     // empty for a separator
    bool checked = false;  // shows a check mark
};

// Passed to DoDataExchange; `saving` is true when controls are read into
// members, false when members are written to controls.
struct DataExchange {
    CDialogEx& dialog;
    bool saving;
};

// Called once a dialog's modal run has started (the dialog is shown), with
// the dialog. Tests use it to look at a modal dialog and end it; an empty
// function removes the hook.
void setModalHook(std::function<void(CDialogEx&)> hook);

class CDialogEx {
public:
    explicit CDialogEx(const DialogTemplate& tpl, CDialogEx* parent = nullptr);
    virtual ~CDialogEx();
    CDialogEx(const CDialogEx&) = delete;
    CDialogEx& operator=(const CDialogEx&) = delete;

    // Builds the window, runs OnInitDialog, shows it and runs it modally until
    // EndDialog. Returns the value given to EndDialog.
    int DoModal();
    // Builds the window, runs OnInitDialog and shows it without a modal run.
    bool Create();
    // Ends the modal run (or hides a modeless dialog) with the given result.
    void EndDialog(int result);
    void DestroyWindow();
    bool IsWindowCreated() const;
    bool IsWindowVisible() const;
    const DialogTemplate& Template() const { return tpl_; }
    // The dialog whose window owns this one's, or nullptr. An owned window
    // stays above its owner and has no task-bar entry of its own.
    CDialogEx* GetOwner() const;

    // Controls, by id.
    bool HasControl(int id) const;
    ControlKind GetControlKind(int id) const;
    std::wstring GetDlgItemText(int id) const;
    void SetDlgItemText(int id, const std::wstring& text);
    // Signed value of the text; 0 with *ok false when it is not a number.
    int GetDlgItemInt(int id, bool* ok = nullptr) const;
    void SetDlgItemInt(int id, int value);
    void EnableControl(int id, bool enabled);
    bool IsControlEnabled(int id) const;
    bool IsControlVisible(int id) const;
    Rect GetControlRect(int id) const;  // pixels, relative to the client area
    // Check boxes and radio buttons (checking one radio unchecks its group).
    void CheckDlgButton(int id, bool checked);
    bool IsDlgButtonChecked(int id) const;
    // Drop-down lists and list boxes. Index -1 means no selection. A
    // selection the program makes reports no selection change.
    int GetCurSel(int id) const;
    void SetCurSel(int id, int index);
    void ResetContent(int id);
    int AddString(int id, const std::wstring& text);  // returns the new index
    // Puts an item at `index` (-1: at the end); returns its index.
    int InsertString(int id, int index, const std::wstring& text);
    int GetCount(int id) const;
    std::wstring GetLBText(int id, int index) const;
    // Progress bars: the range (both ends included) and the position in it.
    void SetProgressRange(int id, int lower, int upper);
    void SetProgressPos(int id, int pos);  // kept within the range
    int GetProgressPos(int id) const;
    // Edits. Positions count a line end as two characters (CR LF). start -1
    // removes the selection; end -1 means the end of the text.
    void SetSel(int id, int start, int end);
    std::pair<int, int> GetSel(int id) const;
    void ReplaceSel(int id, const std::wstring& text);
    int GetWindowTextLength(int id) const;
    void ScrollCaret(int id);
    void HideCaret(int id);
    // Keyboard focus.
    void GotoDlgCtrl(int id);
    int GetFocusId() const;  // 0 when no control of this dialog has the focus
    // Gives a control its own font; a missing face is substituted by the system.
    void SetControlFont(int id, const std::wstring& face, int pointSize);

    // The window.
    std::wstring GetWindowText() const;
    void SetWindowText(const std::wstring& text);
    void SetAppIcon();  // the tool's icon, as the large and the small icon
    bool IsIconic() const;
    bool IsResizable() const;
    void RemoveSizingBorder();
    // Dialog units to pixels with this dialog's font.
    Rect MapDialogRect(int x, int y, int w, int h) const;

    // The system menu (Alt+Space or a right-click on the background opens it).
    bool HasSystemMenu() const;
    void AppendSystemMenuSeparator();
    void AppendSystemMenuItem(int command, const std::wstring& text);
    std::vector<SystemMenuItem> GetSystemMenuItems() const;
    bool IsSystemMenuOpen() const;
    // The check mark of an appended item (an item that is not there is left alone).
    void CheckSystemMenuItem(int command, bool checked);
    bool IsSystemMenuItemChecked(int command) const;

    // Messages. SendNotification dispatches through the message table whatever
    // the control's state (tests reach hidden controls this way).
    void SendNotification(int id, Notify code);
    void SendClose();               // WM_CLOSE
    void SendSysCommand(int command);
    int MessageBox(const std::wstring& text, const std::wstring& caption,
                   MessageIcon icon = MessageIcon::None);

    struct Impl;  // the backend's window and controls (qt/ or win32/)

protected:
    virtual void DoDataExchange(DataExchange& dx);
    // Runs the data exchange; returns true to let the framework put the
    // focus on the first tab stop, false when the dialog has set it.
    virtual bool OnInitDialog();
    virtual void OnOK();      // Enter: ends the dialog with IDOK
    virtual void OnCancel();  // Escape: ends the dialog with IDCANCEL
    virtual void OnClose();   // window close: ends the dialog with IDCANCEL
    virtual void OnSysCommand(int command);
    // The session ends (log-off, shut-down; `ending` false: it was called
    // off). The process may end once this returns, without a window close.
    virtual void OnEndSession(bool ending);
    virtual std::span<const MessageEntry> GetMessageMap() const;
    void UpdateData(bool saving);

private:
    friend struct DialogEvents;  // the backend's events, see backend.h
    friend struct DialogAccess;  // the backend's own tests
    void dispatch(int id, Notify code);
    // The window that owns a dialog's window: its parent, or else the
    // application's main window (never the dialog itself).
    CDialogEx* modalOwner() const;
    void buildWindow(CDialogEx* owner);
    void ShowMinimized();
    // Lets a backend with a native system menu add the item to it.
    void systemMenuItemAppended(const SystemMenuItem& item);
    // Lets a backend with a native system menu show an item's new check mark.
    void systemMenuItemChecked(const SystemMenuItem& item);
    const DialogTemplate& tpl_;
    CDialogEx* parent_;
    std::vector<SystemMenuItem> sysMenu_;  // appended items
    std::unique_ptr<Impl> d_;
};

// Binds a control member to its control (members are thin id handles).
class CWndRef;
void DDX_Control(DataExchange& dx, int id, CWndRef& control);

}  // namespace nolt::fw
