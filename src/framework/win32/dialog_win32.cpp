// The life of a dialog on Windows: the dialog manager builds the window from
// the in-memory template and runs the modal loop (DialogBoxIndirectParamW),
// or builds a modeless window that the caller's loop serves
// (CreateDialogIndirectParamW). The dialog procedure hands the dialog
// manager's messages to the dialog's handlers.

#include <map>

#include "framework/win32/dpi_win32.h"
#include "framework/win32/win32_impl.h"
#include "framework/win_app.h"

namespace nolt::fw {
namespace {

// Posted at the end of WM_INITDIALOG of a modal dialog; it arrives once the
// modal loop runs and the dialog is shown.
constexpr UINT kModalStarted = WM_APP + 0x10;
// Posted on a change of DPI, with the new DPI: the controls' own fonts are
// made again once the system has scaled the dialog and its font.
constexpr UINT kRemakeFonts = WM_APP + 0x11;

// The dialogs whose windows exist, by window (UI thread only).
std::map<HWND, CDialogEx*>& dialogs()
{
    static std::map<HWND, CDialogEx*> byWindow;
    return byWindow;
}

CDialogEx* dialogFromWindow(HWND hwnd)
{
    const auto it = dialogs().find(hwnd);
    return it == dialogs().end() ? nullptr : it->second;
}

// Enter for which the dialog manager found no default button. A push
// button that has the focus takes it (the dialog manager passes it on only
// when the button has become the default one, which a click does not make
// it); elsewhere it is the dialog's Enter.
void enterKey(CDialogEx& dlg)
{
    const HWND focus = GetFocus();
    for (const Control& c : DialogAccess::impl(dlg).controls)
        if (c.hwnd == focus && c.id != IDC_STATIC &&
            (c.kind == ControlKind::PushButton || c.kind == ControlKind::DefPushButton)) {
            DialogEvents::notify(dlg, c.id, Notify::Click);
            return;
        }
    DialogEvents::enterKey(dlg);
}

void command(CDialogEx& dlg, int id, int code, HWND from)
{
    const Control* c = DialogAccess::impl(dlg).find(id);
    if (!from || !c) {
        // Enter and Escape from the dialog manager where no control has
        // that id: IDOK (or the default button's id) and IDCANCEL.
        if (code != BN_CLICKED) return;
        if (id == IDOK) enterKey(dlg);
        else if (id == IDCANCEL) DialogEvents::escapeKey(dlg);
        else DialogEvents::notify(dlg, id, Notify::Click);
        return;
    }
    switch (c->kind) {
    case ControlKind::PushButton:
    case ControlKind::DefPushButton:
    case ControlKind::RadioButton:
        if (code == BN_CLICKED) DialogEvents::notify(dlg, id, Notify::Click);
        break;
    case ControlKind::DropDownList:
        if (code == CBN_SELCHANGE) DialogEvents::notify(dlg, id, Notify::SelChange);
        if (code == CBN_SETFOCUS) DialogEvents::notify(dlg, id, Notify::SetFocus);
        break;
    case ControlKind::ListBox:
        if (code == LBN_SELCHANGE) DialogEvents::notify(dlg, id, Notify::SelChange);
        if (code == LBN_DBLCLK) DialogEvents::notify(dlg, id, Notify::DblClick);
        if (code == LBN_SETFOCUS) DialogEvents::notify(dlg, id, Notify::SetFocus);
        break;
    case ControlKind::Edit:
    case ControlKind::DigitsEdit:
    case ControlKind::ReadOnlyEdit:
    case ControlKind::LogEdit:
    case ControlKind::IpAddress:
        // The IP-address control reports its own focus, not its fields'.
        if (code == EN_SETFOCUS) DialogEvents::notify(dlg, id, Notify::SetFocus);
        break;
    default: break;
    }
}

bool isAppendedCommand(const CDialogEx& dlg, int command)
{
    for (const SystemMenuItem& item : DialogEvents::appendedSystemMenu(dlg))
        if (item.command != 0 && item.command == command) return true;
    return false;
}

}  // namespace

const Control* CDialogEx::Impl::find(int id) const
{
    if (!hwnd) return nullptr;
    const auto it = byId.find(id);
    return it == byId.end() ? nullptr : &controls[it->second];
}

HWND CDialogEx::Impl::control(int id) const
{
    const Control* c = find(id);
    return c ? c->hwnd : nullptr;
}

CDialogEx* dialogOf(HWND hwnd)
{
    // Up through the parents only: GetParent of a top-level window is its owner.
    for (; hwnd; hwnd = (GetWindowLongPtrW(hwnd, GWL_STYLE) & WS_CHILD) ? GetParent(hwnd) : nullptr)
        if (CDialogEx* dlg = dialogFromWindow(hwnd)) return dlg;
    return nullptr;
}

HWND windowOf(const CDialogEx* dlg)
{
    return dlg ? DialogAccess::window(*dlg) : nullptr;
}

INT_PTR CALLBACK dialogProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    if (msg == WM_INITDIALOG) {
        auto& dlg = *reinterpret_cast<CDialogEx*>(lp);
        dialogs()[hwnd] = &dlg;
        CDialogEx::Impl& d = DialogAccess::impl(dlg);
        attachControls(d, hwnd, dlg.Template());
        fitCaptions(d, windowDpi(hwnd));
        keepGroupBoxesBehind(d);
        const bool focusFirst = DialogEvents::initDialog(dlg);
        if (d.hwnd) placeInWorkArea(hwnd);
        if (d.modal && d.hwnd) PostMessageW(hwnd, kModalStarted, 0, 0);
        // TRUE lets the dialog manager put the focus on the first tab stop.
        return focusFirst ? TRUE : FALSE;
    }
    CDialogEx* dlg = dialogFromWindow(hwnd);
    if (!dlg) return FALSE;
    switch (msg) {
    case WM_COMMAND: command(*dlg, LOWORD(wp), HIWORD(wp), reinterpret_cast<HWND>(lp)); return TRUE;
    case WM_CLOSE:
        // The dialog decides in OnClose whether and how it ends (the dialog
        // manager would turn the close into IDCANCEL).
        DialogEvents::closeRequested(*dlg);
        return TRUE;
    case WM_ENDSESSION:
        // Log-off or shut-down: no WM_CLOSE comes, and the process may end
        // as soon as this returns.
        DialogEvents::endSession(*dlg, wp != FALSE);
        return TRUE;
    case WM_SYSCOMMAND: {
        const int cmd = static_cast<int>(wp & 0xFFF0);
        if (!isAppendedCommand(*dlg, cmd)) return FALSE;  // the system's own: move, minimise, close
        DialogEvents::sysCommand(*dlg, cmd);
        return TRUE;
    }
    case WM_QUERYDRAGICON:
        // The icon shown while the minimised window is dragged (a dialog
        // procedure returns this message's result directly).
        return static_cast<INT_PTR>(SendMessageW(hwnd, WM_GETICON, ICON_BIG, 0));
    case WM_DPICHANGED:
        PostMessageW(hwnd, kRemakeFonts, HIWORD(wp), 0);
        return FALSE;
    case kRemakeFonts: {
        CDialogEx::Impl& d = DialogAccess::impl(*dlg);
        remakeFonts(d, static_cast<UINT>(wp));
        // A window that shows the program's icons takes them at the sizes
        // the new DPI asks for.
        if (!d.icons.empty()) setWindowIcons(d);
        return TRUE;
    }
    case kModalStarted:
        // The dialog manager shows a modal dialog once its queue is idle; the
        // run has begun, so it is shown now.
        if (!IsWindowVisible(hwnd)) ShowWindow(hwnd, SW_SHOWNORMAL);
        DialogEvents::modalStarted(*dlg);
        return TRUE;
    case WM_NCDESTROY: {
        CDialogEx::Impl& d = DialogAccess::impl(*dlg);
        d.hwnd = nullptr;
        freeOwnFonts(d);
        d.controls.clear();
        d.byId.clear();
        d.controlFonts.clear();
        releaseWindowIcons(d);
        dialogs().erase(hwnd);
        return FALSE;
    }
    default: return FALSE;
    }
}

CDialogEx::CDialogEx(const DialogTemplate& tpl, CDialogEx* parent)
    : tpl_(tpl), parent_(parent), d_(std::make_unique<Impl>())
{
}

CDialogEx::~CDialogEx()
{
    DestroyWindow();
}

CDialogEx* CDialogEx::GetOwner() const
{
    return onUi([&]() -> CDialogEx* { return d_->hwnd ? dialogFromWindow(GetWindow(d_->hwnd, GW_OWNER)) : nullptr; });
}

void CDialogEx::buildWindow(CDialogEx* owner)
{
    DestroyWindow();
    setUpUiThread();
    const HWND ownerWindow = windowOf(owner);
    d_->templateData = buildDialogTemplate(tpl_, ownerWindow != nullptr, fittedPointSize(tpl_, ownerWindow));
}

void CDialogEx::DestroyWindow()
{
    if (!d_->hwnd) return;
    onUi([&] {
        if (d_->hwnd) ::DestroyWindow(d_->hwnd);
    });
}

bool CDialogEx::IsWindowCreated() const
{
    return d_->hwnd != nullptr;
}

bool CDialogEx::IsWindowVisible() const
{
    return onUi([&] { return d_->hwnd && ::IsWindowVisible(d_->hwnd); });
}

bool CDialogEx::Create()
{
    // A modeless dialog belongs to the main window too, so that it never
    // falls behind it.
    CDialogEx* owner = modalOwner();
    buildWindow(owner);
    d_->modal = false;
    const HWND hwnd = CreateDialogIndirectParamW(
        GetModuleHandleW(nullptr), reinterpret_cast<LPCDLGTEMPLATEW>(d_->templateData.data()), windowOf(owner),
        &dialogProc, reinterpret_cast<LPARAM>(this));
    if (!hwnd) return false;
    ShowWindow(hwnd, SW_SHOWNORMAL);
    UpdateWindow(hwnd);
    return true;
}

int CDialogEx::DoModal()
{
    CDialogEx* owner = modalOwner();
    buildWindow(owner);
    d_->modal = true;
    d_->result = IDCANCEL;
    const INT_PTR r = DialogBoxIndirectParamW(
        GetModuleHandleW(nullptr), reinterpret_cast<LPCDLGTEMPLATEW>(d_->templateData.data()), windowOf(owner),
        &dialogProc, reinterpret_cast<LPARAM>(this));
    d_->modal = false;
    return r == -1 ? -1 : d_->result;  // -1: the dialog manager could not build it
}

void CDialogEx::EndDialog(int result)
{
    onUi([&] {
        d_->result = result;
        if (!d_->hwnd) return;
        if (d_->modal)
            ::EndDialog(d_->hwnd, result);
        else
            ShowWindow(d_->hwnd, SW_HIDE);
    });
}

void CDialogEx::ShowMinimized()
{
    onUi([&] {
        if (d_->hwnd) ShowWindow(d_->hwnd, SW_MINIMIZE);
    });
}

void CDialogEx::systemMenuItemAppended(const SystemMenuItem& item)
{
    // The item goes into the window's real system menu; its WM_SYSCOMMAND
    // reaches the dialog through the dialog procedure.
    HMENU menu = d_->hwnd ? GetSystemMenu(d_->hwnd, FALSE) : nullptr;
    if (!menu) return;
    if (item.command == 0)
        AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    else
        AppendMenuW(menu, MF_STRING, static_cast<UINT_PTR>(item.command), item.text.c_str());
}

}  // namespace nolt::fw
