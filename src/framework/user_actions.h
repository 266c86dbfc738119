// Acting on dialogs as a user would, for tests: clicks, list choices, keys
// typed into fields, all by control id, through the window system's own
// input path of the backend. Nothing here is used by the tool itself; each
// backend implements it (qt/user_actions_qt.cpp, win32/...).
// Call these on the UI thread (the test's main thread).
#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "framework/dialog.h"

namespace nolt::fw::user {

// Sets up the window system for a test program, once (later calls do
// nothing). On Qt: the QApplication, on the offscreen platform unless
// QT_QPA_PLATFORM names another.
void setUpGui();

// Builds and shows a dialog without a modal run (Create), makes its window
// the active one and serves events until it is (or a short while passed).
void open(CDialogEx& dlg);

// Makes a shown dialog's window the active one, as a click on its title
// would. Returns whether it became active.
bool activate(CDialogEx& dlg);

// Clicks a button (push, radio) with the mouse. Only a visible, enabled
// button can be clicked; returns whether the click reached it. Whatever the
// click starts (a handler, a modal dialog) has run when this returns.
bool click(CDialogEx& dlg, int id);

// Picks the item `index` of a drop-down list, as a user does by opening it
// and choosing, or of a list box, with a click on the item: the list gets
// the focus, the selection changes and the dialog gets the
// selection-change notification (for a drop-down list also when the item
// was already selected). Only a visible, enabled list with that item can be
// used; returns whether it was.
bool choose(CDialogEx& dlg, int id, int index);

// Double-clicks the item `index` of a list box: it is selected and the
// dialog gets the double-click notification. Only a visible, enabled list
// box with that item can be used; returns whether it was.
bool doubleClick(CDialogEx& dlg, int id, int index);

// Types text into an edit or an IP-address control, key by key, after
// focusing it. An edit keeps its text and takes the keys at its caret; an
// IP-address control is emptied first and typing starts in its first field
// (digits and dots, as a user types an address). Only a visible, enabled
// control can take keys; returns whether it did.
bool type(CDialogEx& dlg, int id, std::wstring_view text);

enum class Key { Enter, Escape, Tab, Space };

// Presses and releases a key at the control that has the keyboard focus
// (of any window, message boxes included). Returns false when no window of
// the program has the focus.
bool press(Key key);

// Closes a dialog's window with its title bar's close button.
void closeWindow(CDialogEx& dlg);

// True while a message box (a real one, not one of the test sink) is open.
bool messageBoxOpen();
// Closes an open message box as if its OK button were pressed; returns
// whether there was one.
bool closeMessageBox();

// Chooses the item `command` of a dialog's system menu as a user does. On
// Qt the menu is opened (Alt+Space) and the item triggered; on Windows,
// whose menu runs a tracking loop of its own, the item is looked up in the
// real menu and the command sent as the menu sends it. Only an item the
// menu holds can be chosen; returns whether it was. Whatever the choice
// starts (a modal dialog too) has run when this returns.
bool chooseSystemMenuItem(CDialogEx& dlg, int command);
// Whether the item `command` shows a check mark in the dialog's system menu
// as the platform draws it (false when there is no such item).
bool systemMenuItemChecked(CDialogEx& dlg, int command);

// The save-file dialog open now (a real one, not the test sink's): its file
// types as listed, the one it starts with first; empty when none is open.
std::vector<std::wstring> saveFileTypes();
// Answers the open save-file dialog: puts the name in its file-name field
// and presses Save, or with an empty path presses Cancel. Returns whether
// a dialog was open.
bool answerSaveFile(const std::filesystem::path& file);

// Serves the window system's events, posted commands and calls from other
// threads for `ms` milliseconds.
void pump(int ms = 20);
// Serves events until cond() holds or timeoutMs passes; returns cond().
bool pumpUntil(const std::function<bool()>& cond, int timeoutMs = 3000);

// Runs action on the UI thread once, `ms` milliseconds from now, from the
// event loop that runs then (a modal dialog's or a wait's too).
void after(int ms, std::function<void()> action);

// The dialog's window with its frame, in pixels on the screen (the frame a
// window manager adds counts where the backend knows it).
Rect windowRect(const CDialogEx& dlg);

// The buttons a dialog's title bar is made with, as the program asks the
// window system for them. A window manager may draw more, disabled ones
// (openbox draws a maximise button on every window).
struct TitleBarButtons {
    bool minimize = false, maximize = false, close = false;
    friend bool operator==(const TitleBarButtons&, const TitleBarButtons&) = default;
};
TitleBarButtons titleBarButtons(const CDialogEx& dlg);

// Lines in a multi-line (log) edit, counted without copying its text: a
// final line end starts no new line. -1 when the id is no such edit.
int lineCount(const CDialogEx& dlg, int id);

// True when an IP-address control shows no address at all (blank fields:
// its text then reads "0.0.0.0").
bool isBlank(const CDialogEx& dlg, int id);

// What a screen reader is told about a control, read back through the
// platform's accessibility interface: QAccessible on Qt, MSAA
// (AccessibleObjectFromWindow, get_accName, get_accValue) on Windows.
struct Spoken {
    std::wstring name;
    std::wstring value;               // an IP-address control's dotted address, a list's item
    std::vector<std::wstring> parts;  // the names of an IP-address control's four fields
    // Empty when the platform answered. Where it ignores what the framework
    // handed to it because it does not implement that part (wine's property
    // service), why; name and parts then hold what was handed (values are
    // the platform's own, so value stays empty), so that a test still sees
    // the framework's side.
    std::string unheard;
    // Where the platform refused the names for any other reason (a COM or
    // apartment fault), what it answered; name and parts as above. Nothing
    // a screen reader hears can be trusted then: a test fails on it.
    std::string refused;
};
Spoken spoken(const CDialogEx& dlg, int id);

}  // namespace nolt::fw::user
