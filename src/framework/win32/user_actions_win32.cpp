// The user driver on Windows: clicks, keys and list choices sent to the
// system's controls as the messages their own input produces, and served by
// a message loop that gives keys to the dialog manager, as a modeless
// dialog's loop does.

#include "framework/user_actions.h"

#include <chrono>
#include <map>

#include "framework/win32/win32_impl.h"

#include <dlgs.h>

namespace nolt::fw::user {
namespace {

using Clock = std::chrono::steady_clock;

HWND usable(const CDialogEx& dlg, int id)
{
    HWND h = DialogAccess::control(dlg, id);
    return h && IsWindowVisible(h) && IsWindowEnabled(h) ? h : nullptr;
}

ControlKind kindOf(const CDialogEx& dlg, int id)
{
    return dlg.GetControlKind(id);
}

UINT virtualKey(Key key)
{
    switch (key) {
    case Key::Enter: return VK_RETURN;
    case Key::Escape: return VK_ESCAPE;
    case Key::Tab: return VK_TAB;
    case Key::Space: return VK_SPACE;
    }
    return 0;
}

// Posts a key's press and release to a window, as the keyboard would.
void postKey(HWND to, UINT vk)
{
    const UINT scan = MapVirtualKeyW(vk, MAPVK_VK_TO_VSC);
    PostMessageW(to, WM_KEYDOWN, vk, 1 | (scan << 16));
    PostMessageW(to, WM_KEYUP, vk, 1 | (scan << 16) | 0xC0000000u);
}

// The common dialogs' file-name field: a combo box in the explorer style,
// an edit in the older one.
HWND fileNameField(HWND dialog)
{
    HWND field = GetDlgItem(dialog, cmb13);
    return field ? field : GetDlgItem(dialog, edt1);
}

// A window open on the UI thread that is a dialog-class window but none of
// the framework's dialogs: a message box, or (fileDialog) a save-file dialog.
HWND findSystemDialog(bool fileDialog)
{
    struct Search {
        bool fileDialog;
        HWND found = nullptr;
    } search{fileDialog};
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND hwnd, LPARAM lp) -> BOOL {
            auto& s = *reinterpret_cast<Search*>(lp);
            wchar_t cls[16] = {};
            GetClassNameW(hwnd, cls, 16);
            if (std::wstring_view(cls) == L"#32770" && IsWindowVisible(hwnd) && !dialogOf(hwnd)
                && (fileNameField(hwnd) != nullptr) == s.fileDialog) {
                s.found = hwnd;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND findMessageBox()
{
    return findSystemDialog(false);
}

// The state of a system-menu item (-1: the menu has no such item).
UINT systemMenuState(CDialogEx& dlg, int command)
{
    HWND w = DialogAccess::window(dlg);
    HMENU menu = w ? GetSystemMenu(w, FALSE) : nullptr;
    return menu ? GetMenuState(menu, static_cast<UINT>(command), MF_BYCOMMAND) : static_cast<UINT>(-1);
}

std::map<UINT_PTR, std::function<void()>>& timers()
{
    static std::map<UINT_PTR, std::function<void()>> t;
    return t;
}

void CALLBACK timerFired(HWND, UINT, UINT_PTR id, DWORD)
{
    KillTimer(nullptr, id);
    const auto it = timers().find(id);
    if (it == timers().end()) return;
    const std::function<void()> action = std::move(it->second);
    timers().erase(it);
    action();
}

// The middle of a list box's item, scrolled into view, in the list's
// client coordinates; false when there is no such item.
bool itemPoint(HWND list, int index, LPARAM& at)
{
    if (index < 0 || index >= static_cast<int>(SendMessageW(list, LB_GETCOUNT, 0, 0))) return false;
    RECT client, item;
    GetClientRect(list, &client);
    SendMessageW(list, LB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
    if (item.top < client.top || item.bottom > client.bottom) {
        SendMessageW(list, LB_SETTOPINDEX, static_cast<WPARAM>(index), 0);
        SendMessageW(list, LB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
    }
    at = MAKELPARAM((item.left + item.right) / 2, (item.top + item.bottom) / 2);
    return true;
}

}  // namespace

void setUpGui()
{
    setUpUiThread();
}

bool activate(CDialogEx& dlg)
{
    HWND h = DialogAccess::window(dlg);
    if (!h) return false;
    SetForegroundWindow(h);
    SetActiveWindow(h);
    pumpUntil([&] { return GetActiveWindow() == h; }, 500);
    return GetActiveWindow() == h;
}

bool click(CDialogEx& dlg, int id)
{
    HWND b = usable(dlg, id);
    if (!b) return false;
    const ControlKind k = kindOf(dlg, id);
    if (k != ControlKind::PushButton && k != ControlKind::DefPushButton && k != ControlKind::RadioButton) return false;
    // A left click in its middle, queued as the mouse's would be: a wait
    // that blocks input drops it.
    RECT r;
    GetClientRect(b, &r);
    const LPARAM at = MAKELPARAM((r.right - r.left) / 2, (r.bottom - r.top) / 2);
    PostMessageW(b, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageW(b, WM_LBUTTONUP, 0, at);
    serveMessages();
    return true;
}

bool choose(CDialogEx& dlg, int id, int index)
{
    if (kindOf(dlg, id) == ControlKind::ListBox) {
        HWND list = usable(dlg, id);
        LPARAM at = 0;
        if (!list || !itemPoint(list, index, at)) return false;
        // A click on the item: the list selects it and tells the dialog.
        PostMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, at);
        PostMessageW(list, WM_LBUTTONUP, 0, at);
        serveMessages();
        return true;
    }
    HWND c = usable(dlg, id);
    if (!c || kindOf(dlg, id) != ControlKind::DropDownList) return false;
    if (index < 0 || index >= static_cast<int>(SendMessageW(c, CB_GETCOUNT, 0, 0))) return false;
    SetFocus(c);
    // What the list does when the user picks an item from it.
    SendMessageW(c, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    SendMessageW(GetParent(c), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(c), CBN_SELCHANGE), reinterpret_cast<LPARAM>(c));
    pump(0);
    return true;
}

bool doubleClick(CDialogEx& dlg, int id, int index)
{
    HWND list = kindOf(dlg, id) == ControlKind::ListBox ? usable(dlg, id) : nullptr;
    LPARAM at = 0;
    if (!list || !itemPoint(list, index, at)) return false;
    // The mouse's messages of a double-click, as the system queues them.
    PostMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageW(list, WM_LBUTTONUP, 0, at);
    PostMessageW(list, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
    PostMessageW(list, WM_LBUTTONUP, 0, at);
    serveMessages();
    return true;
}

bool type(CDialogEx& dlg, int id, std::wstring_view text)
{
    HWND h = usable(dlg, id);
    if (!h) return false;
    const ControlKind k = kindOf(dlg, id);
    if (k == ControlKind::IpAddress) {
        SendMessageW(h, IPM_CLEARADDRESS, 0, 0);
        SendMessageW(h, IPM_SETFOCUS, 0, 0);
    } else if (k == ControlKind::Edit || k == ControlKind::DigitsEdit || k == ControlKind::ReadOnlyEdit ||
               k == ControlKind::LogEdit) {
        if (GetFocus() != h) {
            // As a click after the text: the caret goes to its end.
            SetFocus(h);
            const int len = GetWindowTextLengthW(h);
            SendMessageW(h, EM_SETSEL, static_cast<WPARAM>(len), len);
        }
    } else {
        return false;
    }
    for (wchar_t ch : text) {
        // Each key goes where the focus is then: it moves on inside an
        // IP-address control as an address is typed.
        HWND f = GetFocus();
        if (!f) return false;
        PostMessageW(f, WM_CHAR, ch, 1);
        serveMessages();
    }
    return true;
}

bool press(Key key)
{
    HWND f = GetFocus();
    if (!f) f = GetActiveWindow();
    if (!f) return false;
    postKey(f, virtualKey(key));
    serveMessages();
    return true;
}

void closeWindow(CDialogEx& dlg)
{
    if (HWND h = DialogAccess::window(dlg)) SendMessageW(h, WM_SYSCOMMAND, static_cast<WPARAM>(SC_CLOSE), 0);
    pump(0);
}

bool messageBoxOpen()
{
    return findMessageBox() != nullptr;
}

bool closeMessageBox()
{
    HWND box = findMessageBox();
    if (!box) return false;
    PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    return true;
}

bool chooseSystemMenuItem(CDialogEx& dlg, int command)
{
    const UINT state = systemMenuState(dlg, command);
    if (state == static_cast<UINT>(-1) || (state & (MF_DISABLED | MF_GRAYED | MF_SEPARATOR))) return false;
    // What the menu sends when the item is clicked; the handler (and any
    // modal dialog it opens) has run when SendMessage returns.
    SendMessageW(DialogAccess::window(dlg), WM_SYSCOMMAND, static_cast<WPARAM>(command), 0);
    serveMessages();
    return true;
}

bool systemMenuItemChecked(CDialogEx& dlg, int command)
{
    const UINT state = systemMenuState(dlg, command);
    return state != static_cast<UINT>(-1) && (state & MF_CHECKED) != 0;
}

std::vector<std::wstring> saveFileTypes()
{
    HWND dialog = findSystemDialog(true);
    HWND list = dialog ? GetDlgItem(dialog, cmb1) : nullptr;
    if (!list) return {};
    const int count = static_cast<int>(SendMessageW(list, CB_GETCOUNT, 0, 0));
    const int first = std::max(0, static_cast<int>(SendMessageW(list, CB_GETCURSEL, 0, 0)));
    std::vector<std::wstring> types;
    for (int n = 0; n < count; ++n) {
        const int i = (first + n) % count;
        std::wstring text(static_cast<std::size_t>(SendMessageW(list, CB_GETLBTEXTLEN, i, 0)) + 1, L'\0');
        text.resize(static_cast<std::size_t>(SendMessageW(list, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text.data()))));
        types.push_back(text);
    }
    return types;
}

bool answerSaveFile(const std::filesystem::path& file)
{
    HWND dialog = findSystemDialog(true);
    if (!dialog) return false;
    const int button = file.empty() ? IDCANCEL : IDOK;
    if (!file.empty()) SetWindowTextW(fileNameField(dialog), file.c_str());
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, button)));
    return true;
}

void pump(int ms)
{
    const auto end = Clock::now() + std::chrono::milliseconds(ms);
    do {
        serveMessages();
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now()).count();
        if (left > 0) MsgWaitForMultipleObjectsEx(0, nullptr, static_cast<DWORD>(std::min<long long>(left, 5)),
                                                  QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    } while (Clock::now() < end);
}

bool pumpUntil(const std::function<bool()>& cond, int timeoutMs)
{
    const auto end = Clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!cond() && Clock::now() < end) {
        serveMessages();
        if (cond()) break;
        MsgWaitForMultipleObjectsEx(0, nullptr, 5, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    }
    return cond();
}

void after(int ms, std::function<void()> action)
{
    setUpGui();
    // A thread timer: whichever loop runs then (a modal dialog's, a message
    // box's, a wait's) dispatches it.
    const UINT_PTR id = SetTimer(nullptr, 0, static_cast<UINT>(std::max(ms, 1)), &timerFired);
    if (id) timers()[id] = std::move(action);
}

Rect windowRect(const CDialogEx& dlg)
{
    RECT r{};
    if (HWND h = DialogAccess::window(dlg)) GetWindowRect(h, &r);
    return {r.left, r.top, r.right - r.left, r.bottom - r.top};
}

TitleBarButtons titleBarButtons(const CDialogEx& dlg)
{
    const HWND h = DialogAccess::window(dlg);
    const LONG_PTR style = h ? GetWindowLongPtrW(h, GWL_STYLE) : 0;
    // The close button comes with the system menu.
    return {(style & WS_MINIMIZEBOX) != 0, (style & WS_MAXIMIZEBOX) != 0, (style & WS_SYSMENU) != 0};
}

int lineCount(const CDialogEx& dlg, int id)
{
    if (kindOf(dlg, id) != ControlKind::LogEdit) return -1;
    HWND h = DialogAccess::control(dlg, id);
    if (!h) return -1;
    // The edit counts wrapped lines; the log's lines are its line ends.
    const int n = GetWindowTextLengthW(h);
    std::wstring s(static_cast<std::size_t>(n) + 1, L'\0');
    s.resize(static_cast<std::size_t>(GetWindowTextW(h, s.data(), n + 1)));
    int lines = 0;
    for (std::size_t at = 0; (at = s.find(L"\r\n", at)) != std::wstring::npos; at += 2) ++lines;
    if (!s.empty() && !s.ends_with(L"\r\n")) ++lines;
    return lines;
}

bool isBlank(const CDialogEx& dlg, int id)
{
    HWND h = DialogAccess::control(dlg, id);
    return h && kindOf(dlg, id) == ControlKind::IpAddress && SendMessageW(h, IPM_ISBLANK, 0, 0) != 0;
}

}  // namespace nolt::fw::user
