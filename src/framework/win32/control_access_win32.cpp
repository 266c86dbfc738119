// Control calls by id, as window messages to the system's own controls.
// Each one runs on the UI thread (see onUi); an id the dialog does not have
// is ignored and reads as empty.

#include <algorithm>
#include <cstdio>

#include "framework/win32/accessibility_win32.h"
#include "framework/win32/dpi_win32.h"
#include "framework/win32/win32_impl.h"

namespace nolt::fw {
namespace {

std::wstring windowText(HWND hwnd)
{
    const int n = GetWindowTextLengthW(hwnd);
    std::wstring s(static_cast<std::size_t>(std::max(n, 0)) + 1, L'\0');
    const int got = GetWindowTextW(hwnd, s.data(), n + 1);
    s.resize(static_cast<std::size_t>(std::max(got, 0)));
    return s;
}

// The IP-address control reads as a dotted address, "0.0.0.0" when blank.
std::wstring ipText(HWND hwnd)
{
    DWORD a = 0;
    SendMessageW(hwnd, IPM_GETADDRESS, 0, reinterpret_cast<LPARAM>(&a));
    return std::to_wstring(FIRST_IPADDRESS(a)) + L'.' + std::to_wstring(SECOND_IPADDRESS(a)) + L'.' +
           std::to_wstring(THIRD_IPADDRESS(a)) + L'.' + std::to_wstring(FOURTH_IPADDRESS(a));
}

// A text that is not a dotted address of four fields of 0 to 255 leaves the
// control blank.
void setIpText(HWND hwnd, const std::wstring& text)
{
    unsigned f[4];
    wchar_t tail = 0;
    const std::wstring t = [&] {
        const auto b = text.find_first_not_of(L" \t");
        const auto e = text.find_last_not_of(L" \t");
        return b == std::wstring::npos ? std::wstring() : text.substr(b, e - b + 1);
    }();
    const bool digitsAndDots = !t.empty() && t.find_first_not_of(L"0123456789.") == std::wstring::npos;
    const bool ok = digitsAndDots && swscanf(t.c_str(), L"%3u.%3u.%3u.%3u%lc", &f[0], &f[1], &f[2], &f[3], &tail) == 4 &&
                    std::all_of(f, f + 4, [](unsigned v) { return v <= 255; });
    if (ok)
        SendMessageW(hwnd, IPM_SETADDRESS, 0, MAKEIPADDRESS(f[0], f[1], f[2], f[3]));
    else
        SendMessageW(hwnd, IPM_CLEARADDRESS, 0, 0);
}

// The messages of the two kinds of list: a drop-down list's and a list box's.
struct ListMessages {
    UINT getCurSel, setCurSel, reset, add, insert, count, textLength, text;
};
constexpr ListMessages kComboMessages{CB_GETCURSEL, CB_SETCURSEL, CB_RESETCONTENT, CB_ADDSTRING,
                                      CB_INSERTSTRING, CB_GETCOUNT, CB_GETLBTEXTLEN, CB_GETLBTEXT};
constexpr ListMessages kListBoxMessages{LB_GETCURSEL, LB_SETCURSEL, LB_RESETCONTENT, LB_ADDSTRING,
                                        LB_INSERTSTRING, LB_GETCOUNT, LB_GETTEXTLEN, LB_GETTEXT};

struct ListControl {
    HWND hwnd = nullptr;  // null when the id is no list
    ListMessages m = kComboMessages;
};

ListControl listControl(const CDialogEx::Impl& d, int id)
{
    const Control* c = d.find(id);
    if (c && c->kind == ControlKind::ListBox) return {c->hwnd, kListBoxMessages};
    if (c && c->kind == ControlKind::DropDownList) return {c->hwnd, kComboMessages};
    return {};
}

HWND progressBar(const CDialogEx::Impl& d, int id)
{
    const Control* c = d.find(id);
    return c && c->kind == ControlKind::Progress ? c->hwnd : nullptr;
}

LRESULT CALLBACK logEditProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR)
{
    const LRESULT r = DefSubclassProc(hwnd, msg, wp, lp);
    // The edit makes and shows its caret when it gains the focus; the
    // read-only log never shows one.
    if (msg == WM_SETFOCUS) ::HideCaret(hwnd);
    return r;
}

}  // namespace

void attachControls(CDialogEx::Impl& d, HWND hwnd, const DialogTemplate& tpl)
{
    // The dialog manager creates the children in template order, each at
    // the bottom of the z-order, so the children from the top are the
    // template's controls in order.
    d.hwnd = hwnd;
    d.controls.clear();
    d.byId.clear();
    HWND child = GetWindow(hwnd, GW_CHILD);
    for (const ControlTemplate& t : tpl.controls) {
        d.byId[t.id] = d.controls.size();
        d.controls.push_back({t.id, t.kind, child, &t});
        if (t.kind == ControlKind::DropDownList)
            for (std::wstring_view item : t.items)
                SendMessageW(child, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(std::wstring(item).c_str()));
        if (t.kind == ControlKind::LogEdit) prepareLogEdit(child);
        if (child) child = GetWindow(child, GW_HWNDNEXT);
    }
    d.byId.erase(IDC_STATIC);
    applyAccessibleNames(d, tpl);
}

void prepareLogEdit(HWND edit)
{
    if (!edit) return;
    // The log grows past the edit's default limit of about 30,000 characters.
    SendMessageW(edit, EM_SETLIMITTEXT, 0x7FFFFFFE, 0);
    SetWindowSubclass(edit, &logEditProc, 1, 0);
    showFocusFrame(edit);
}

bool CDialogEx::HasControl(int id) const
{
    return onUi([&] { return d_->find(id) != nullptr; });
}

namespace {

// A push button whose caption wraps shows it broken into lines (see
// caption_fit_win32.cpp); its caption reads as one line, as it was given.
std::wstring captionText(const Control& c)
{
    std::wstring text = windowText(c.hwnd);
    if ((c.kind == ControlKind::PushButton || c.kind == ControlKind::DefPushButton) && (c.tpl->style & kMultiLine))
        for (std::size_t at; (at = text.find(L"\r\n")) != std::wstring::npos;) text.replace(at, 2, L" ");
    return text;
}

}  // namespace

std::wstring CDialogEx::GetDlgItemText(int id) const
{
    return onUi([&]() -> std::wstring {
        const Control* c = d_->find(id);
        if (!c) return {};
        return c->kind == ControlKind::IpAddress ? ipText(c->hwnd) : captionText(*c);
    });
}

void CDialogEx::SetDlgItemText(int id, const std::wstring& text)
{
    onUi([&] {
        const Control* c = d_->find(id);
        if (!c) return;
        if (c->kind == ControlKind::IpAddress)
            setIpText(c->hwnd, text);
        else
            SetWindowTextW(c->hwnd, text.c_str());
    });
}

void CDialogEx::EnableControl(int id, bool enabled)
{
    onUi([&] {
        HWND h = d_->control(id);
        if (!h) return;
        // A disabled control loses the focus, and the keyboard would then
        // reach nothing: the focus moves on to the next tab stop first.
        const HWND focus = GetFocus();
        const bool focused = !enabled && focus && (focus == h || IsChild(h, focus));
        const HWND next = focused ? GetNextDlgTabItem(d_->hwnd, h, FALSE) : nullptr;
        EnableWindow(h, enabled ? TRUE : FALSE);
        if (next && next != h) SendMessageW(d_->hwnd, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(next), TRUE);
    });
}

bool CDialogEx::IsControlEnabled(int id) const
{
    return onUi([&] {
        HWND h = d_->control(id);
        return h && IsWindowEnabled(h);
    });
}

bool CDialogEx::IsControlVisible(int id) const
{
    return onUi([&] {
        HWND h = d_->control(id);
        return h && ::IsWindowVisible(h);
    });
}

Rect CDialogEx::GetControlRect(int id) const
{
    return onUi([&] {
        HWND h = d_->control(id);
        if (!h) return Rect{};
        RECT r;
        GetWindowRect(h, &r);
        MapWindowPoints(HWND_DESKTOP, d_->hwnd, reinterpret_cast<POINT*>(&r), 2);
        return Rect{r.left, r.top, r.right - r.left, r.bottom - r.top};
    });
}

Rect CDialogEx::MapDialogRect(int x, int y, int w, int h) const
{
    return onUi([&] {
        RECT r{x, y, x + w, y + h};
        if (d_->hwnd) ::MapDialogRect(d_->hwnd, &r);
        return Rect{r.left, r.top, r.right - r.left, r.bottom - r.top};
    });
}

void CDialogEx::CheckDlgButton(int id, bool checked)
{
    onUi([&] {
        const Control* c = d_->find(id);
        if (!c) return;
        SendMessageW(c->hwnd, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
        if (!checked || c->kind != ControlKind::RadioButton) return;
        // Checking a radio button unchecks the others of its group: the
        // radio buttons from the group's start to the next group's start.
        const auto at = static_cast<std::size_t>(c - d_->controls.data());
        std::size_t first = at;
        while (first > 0 && !(d_->controls[first].tpl->style & kGroup)) --first;
        for (std::size_t i = first; i < d_->controls.size(); ++i) {
            const Control& o = d_->controls[i];
            if (i > first && (o.tpl->style & kGroup)) break;
            if (i != at && o.kind == ControlKind::RadioButton) SendMessageW(o.hwnd, BM_SETCHECK, BST_UNCHECKED, 0);
        }
    });
}

bool CDialogEx::IsDlgButtonChecked(int id) const
{
    return onUi([&] {
        HWND h = d_->control(id);
        return h && SendMessageW(h, BM_GETCHECK, 0, 0) == BST_CHECKED;
    });
}

int CDialogEx::GetCurSel(int id) const
{
    return onUi([&] {
        const ListControl l = listControl(*d_, id);
        return l.hwnd ? static_cast<int>(SendMessageW(l.hwnd, l.m.getCurSel, 0, 0)) : -1;
    });
}

void CDialogEx::SetCurSel(int id, int index)
{
    onUi([&] {
        const ListControl l = listControl(*d_, id);
        if (l.hwnd) SendMessageW(l.hwnd, l.m.setCurSel, static_cast<WPARAM>(index), 0);
    });
}

void CDialogEx::ResetContent(int id)
{
    onUi([&] {
        const ListControl l = listControl(*d_, id);
        if (l.hwnd) SendMessageW(l.hwnd, l.m.reset, 0, 0);
    });
}

int CDialogEx::AddString(int id, const std::wstring& text)
{
    return onUi([&] {
        const ListControl l = listControl(*d_, id);
        return l.hwnd ? static_cast<int>(SendMessageW(l.hwnd, l.m.add, 0, reinterpret_cast<LPARAM>(text.c_str()))) : -1;
    });
}

int CDialogEx::InsertString(int id, int index, const std::wstring& text)
{
    return onUi([&] {
        const ListControl l = listControl(*d_, id);
        if (!l.hwnd) return -1;
        return static_cast<int>(
            SendMessageW(l.hwnd, l.m.insert, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.c_str())));
    });
}

int CDialogEx::GetCount(int id) const
{
    return onUi([&] {
        const ListControl l = listControl(*d_, id);
        return l.hwnd ? static_cast<int>(SendMessageW(l.hwnd, l.m.count, 0, 0)) : 0;
    });
}

std::wstring CDialogEx::GetLBText(int id, int index) const
{
    return onUi([&]() -> std::wstring {
        const ListControl l = listControl(*d_, id);
        if (!l.hwnd) return {};
        const LRESULT n = SendMessageW(l.hwnd, l.m.textLength, static_cast<WPARAM>(index), 0);
        if (n < 0) return {};  // CB_ERR, LB_ERR
        std::wstring s(static_cast<std::size_t>(n) + 1, L'\0');
        const LRESULT got = SendMessageW(l.hwnd, l.m.text, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(s.data()));
        s.resize(got < 0 ? 0 : static_cast<std::size_t>(got));
        return s;
    });
}

void CDialogEx::SetProgressRange(int id, int lower, int upper)
{
    onUi([&] {
        if (HWND h = progressBar(*d_, id)) SendMessageW(h, PBM_SETRANGE32, static_cast<WPARAM>(lower), std::max(lower, upper));
    });
}

void CDialogEx::SetProgressPos(int id, int pos)
{
    onUi([&] {
        if (HWND h = progressBar(*d_, id)) SendMessageW(h, PBM_SETPOS, static_cast<WPARAM>(pos), 0);
    });
}

int CDialogEx::GetProgressPos(int id) const
{
    return onUi([&] {
        HWND h = progressBar(*d_, id);
        return h ? static_cast<int>(SendMessageW(h, PBM_GETPOS, 0, 0)) : 0;
    });
}

void CDialogEx::SetSel(int id, int start, int end)
{
    onUi([&] {
        if (HWND h = d_->control(id)) SendMessageW(h, EM_SETSEL, static_cast<WPARAM>(start), static_cast<LPARAM>(end));
    });
}

std::pair<int, int> CDialogEx::GetSel(int id) const
{
    return onUi([&]() -> std::pair<int, int> {
        HWND h = d_->control(id);
        if (!h) return {0, 0};
        DWORD start = 0, end = 0;
        SendMessageW(h, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
        return {static_cast<int>(start), static_cast<int>(end)};
    });
}

void CDialogEx::ReplaceSel(int id, const std::wstring& text)
{
    onUi([&] {
        if (HWND h = d_->control(id)) SendMessageW(h, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(text.c_str()));
    });
}

int CDialogEx::GetWindowTextLength(int id) const
{
    return onUi([&] {
        const Control* c = d_->find(id);
        if (!c) return 0;
        if (c->kind == ControlKind::IpAddress) return static_cast<int>(ipText(c->hwnd).size());
        if (c->kind == ControlKind::LogEdit) return GetWindowTextLengthW(c->hwnd);
        return static_cast<int>(captionText(*c).size());
    });
}

void CDialogEx::ScrollCaret(int id)
{
    onUi([&] {
        if (HWND h = d_->control(id)) SendMessageW(h, EM_SCROLLCARET, 0, 0);
    });
}

void CDialogEx::HideCaret(int id)
{
    onUi([&] {
        // A caret exists only while the control has the focus; the log edit
        // also hides it each time it gains the focus.
        HWND h = d_->control(id);
        if (h && GetFocus() == h) ::HideCaret(h);
    });
}

void CDialogEx::GotoDlgCtrl(int id)
{
    onUi([&] {
        if (HWND h = d_->control(id)) SendMessageW(d_->hwnd, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(h), TRUE);
    });
}

int CDialogEx::GetFocusId() const
{
    return onUi([&] {
        if (!d_->hwnd) return 0;
        // The focus may be on a part of a control (a field of an IP-address control).
        for (HWND h = GetFocus(); h && h != d_->hwnd; h = GetParent(h))
            if (GetParent(h) == d_->hwnd) {
                for (const Control& c : d_->controls)
                    if (c.hwnd == h) return c.id == IDC_STATIC ? 0 : c.id;
                return 0;
            }
        return 0;
    });
}

void CDialogEx::SetControlFont(int id, const std::wstring& face, int pointSize)
{
    onUi([&] {
        const auto it = d_->byId.find(id);
        if (!d_->hwnd || it == d_->byId.end()) return;
        // At the window's own DPI, and kept to be made again when it changes.
        HFONT font = createFontForDpi(face, pointSize, windowDpi(d_->hwnd));
        if (!font) return;
        std::erase_if(d_->controlFonts, [id](const ControlFont& f) { return f.id == id; });
        d_->controlFonts.push_back({id, face, pointSize});
        setOwnFont(d_->controls[it->second], font,
                   reinterpret_cast<HFONT>(SendMessageW(d_->hwnd, WM_GETFONT, 0, 0)));
    });
}

std::wstring CDialogEx::GetWindowText() const
{
    return onUi([&] { return d_->hwnd ? windowText(d_->hwnd) : std::wstring(); });
}

void CDialogEx::SetWindowText(const std::wstring& text)
{
    onUi([&] {
        if (d_->hwnd) SetWindowTextW(d_->hwnd, text.c_str());
    });
}

bool CDialogEx::IsIconic() const
{
    return onUi([&] { return d_->hwnd && ::IsIconic(d_->hwnd); });
}

bool CDialogEx::IsResizable() const
{
    return onUi([&] { return d_->hwnd && (GetWindowLongPtrW(d_->hwnd, GWL_STYLE) & WS_THICKFRAME) != 0; });
}

void CDialogEx::RemoveSizingBorder()
{
    onUi([&] {
        if (!d_->hwnd) return;
        // The client area keeps its template size; only the frame changes.
        RECT client;
        GetClientRect(d_->hwnd, &client);
        const LONG_PTR style = GetWindowLongPtrW(d_->hwnd, GWL_STYLE) & ~static_cast<LONG_PTR>(WS_THICKFRAME);
        SetWindowLongPtrW(d_->hwnd, GWL_STYLE, style);
        RECT frame = client;
        adjustWindowRectForDpi(frame, static_cast<DWORD>(style),
                               static_cast<DWORD>(GetWindowLongPtrW(d_->hwnd, GWL_EXSTYLE)), windowDpi(d_->hwnd));
        SetWindowPos(d_->hwnd, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    });
}

}  // namespace nolt::fw
