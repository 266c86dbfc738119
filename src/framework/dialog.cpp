// The toolkit-free part of a dialog: the message table, data exchange, the
// default handlers and the system menu's items. The window itself is the
// backend's (see backend.h).

#include "framework/dialog.h"

#include <cwctype>

#include "framework/backend.h"
#include "framework/controls.h"
#include "framework/win_app.h"

namespace nolt::fw {
namespace {

std::function<void(CDialogEx&)>& modalHook()
{
    static std::function<void(CDialogEx&)> hook;
    return hook;
}

// The system menu's own items as the platform writes them in each language.
constexpr auto kMinimizeText = L"Mi&nimize";
constexpr auto kCloseText = L"&Close\tAlt+F4";
constexpr auto kMinimizeTextChinese = L"最小化(&N)";
constexpr auto kCloseTextSimplified = L"关闭(&C)\tAlt+F4";
constexpr auto kCloseTextTraditional = L"關閉(&C)\tAlt+F4";

const wchar_t* closeText(DesktopLanguage language)
{
    switch (language) {
    case DesktopLanguage::SimplifiedChinese: return kCloseTextSimplified;
    case DesktopLanguage::TraditionalChinese: return kCloseTextTraditional;
    default: return kCloseText;
    }
}

}  // namespace

void setModalHook(std::function<void(CDialogEx&)> hook)
{
    modalHook() = std::move(hook);
}

// A dialog given no parent belongs to the application's main window, as the
// platform does it for a modal dialog: otherwise it could fall behind the
// main window, which would then seem frozen, and it would get a task-bar
// entry of its own.
CDialogEx* CDialogEx::modalOwner() const
{
    if (parent_) return parent_;
    CWinApp* app = AfxGetApp();
    CDialogEx* main = app ? app->mainWindow() : nullptr;
    return main && main != this && main->IsWindowCreated() ? main : nullptr;
}

void DialogEvents::modalStarted(CDialogEx& dlg)
{
    if (modalHook()) modalHook()(dlg);
}

void DialogEvents::enterKey(CDialogEx& dlg)
{
    int defId = IDOK;
    for (const ControlTemplate& c : dlg.Template().controls)
        if (c.kind == ControlKind::DefPushButton) defId = c.id;
    if (defId == IDOK)
        dlg.OnOK();
    else
        dlg.dispatch(defId, Notify::Click);
}

bool CDialogEx::OnInitDialog()
{
    UpdateData(false);
    return true;
}

void CDialogEx::UpdateData(bool saving)
{
    DataExchange dx{*this, saving};
    DoDataExchange(dx);
}

void CDialogEx::DoDataExchange(DataExchange&) {}

void CDialogEx::OnOK()
{
    EndDialog(IDOK);
}

void CDialogEx::OnCancel()
{
    EndDialog(IDCANCEL);
}

void CDialogEx::OnClose()
{
    // Closing the window always ends the dialog, even where a dialog has
    // turned Escape (OnCancel) off.
    EndDialog(IDCANCEL);
}

void CDialogEx::OnSysCommand(int command)
{
    switch (command & 0xFFF0) {
    case SC_CLOSE: SendClose(); break;
    case SC_MINIMIZE: ShowMinimized(); break;
    default: break;
    }
}

void CDialogEx::OnEndSession(bool) {}

std::span<const MessageEntry> CDialogEx::GetMessageMap() const
{
    return {};
}

void CDialogEx::dispatch(int id, Notify code)
{
    for (const MessageEntry& e : GetMessageMap())
        if (e.id == id && e.code == code) {
            e.handler(*this);
            return;
        }
    // Without an entry of their own, the standard buttons end the dialog.
    if (code == Notify::Click && id == IDOK) OnOK();
    if (code == Notify::Click && id == IDCANCEL) OnCancel();
}

void CDialogEx::SendNotification(int id, Notify code)
{
    onUi([&] { dispatch(id, code); });
}

void CDialogEx::SendClose()
{
    onUi([&] { OnClose(); });
}

void CDialogEx::SendSysCommand(int command)
{
    onUi([&] { OnSysCommand(command); });
}

int CDialogEx::MessageBox(const std::wstring& text, const std::wstring& caption, MessageIcon icon)
{
    return showMessageBox(text, caption, icon);
}

ControlKind CDialogEx::GetControlKind(int id) const
{
    for (const ControlTemplate& t : tpl_.controls)
        if (t.id == id) return t.kind;
    return ControlKind::StaticLeft;
}

int CDialogEx::GetDlgItemInt(int id, bool* ok) const
{
    // A signed decimal number, blanks around it allowed, that fits an int.
    const std::wstring s = GetDlgItemText(id);
    std::size_t at = 0, end = s.size();
    while (at < end && std::iswspace(s[at])) ++at;
    while (end > at && std::iswspace(s[end - 1])) --end;
    bool negative = false;
    if (at < end && (s[at] == L'+' || s[at] == L'-')) negative = s[at++] == L'-';
    long long v = 0;
    bool good = at < end;
    for (std::size_t i = at; good && i < end; ++i) {
        good = s[i] >= L'0' && s[i] <= L'9';
        v = v * 10 + (s[i] - L'0');
        good = good && v <= 2147483648LL;
    }
    if (good) v = negative ? -v : v;
    good = good && v <= 2147483647LL;
    if (ok) *ok = good;
    return good ? static_cast<int>(v) : 0;
}

void CDialogEx::SetDlgItemInt(int id, int value)
{
    SetDlgItemText(id, std::to_wstring(value));
}

bool CDialogEx::HasSystemMenu() const
{
    return (tpl_.style & kSysMenu) != 0;
}

void CDialogEx::AppendSystemMenuSeparator()
{
    onUi([&] {
        sysMenu_.push_back({0, {}});
        systemMenuItemAppended(sysMenu_.back());
    });
}

void CDialogEx::AppendSystemMenuItem(int command, const std::wstring& text)
{
    onUi([&] {
        sysMenu_.push_back({command, text});
        systemMenuItemAppended(sysMenu_.back());
    });
}

std::vector<SystemMenuItem> CDialogEx::GetSystemMenuItems() const
{
    return onUi([&] {
        std::vector<SystemMenuItem> items;
        const DesktopLanguage language = backend::systemLanguage();
        const bool english = language == DesktopLanguage::English;
        if (tpl_.style & kMinimizeBox) items.push_back({SC_MINIMIZE, english ? kMinimizeText : kMinimizeTextChinese});
        items.push_back({SC_CLOSE, closeText(language)});
        items.insert(items.end(), sysMenu_.begin(), sysMenu_.end());
        return items;
    });
}

void DDX_Control(DataExchange& dx, int id, CWndRef& control)
{
    control.attach(&dx.dialog, id);
}

}  // namespace nolt::fw
