// Turns a dialog template into the DLGTEMPLATEEX data that
// DialogBoxIndirectParamW and CreateDialogIndirectParamW take, so that the
// dialog manager lays it out in dialog units of its font, keeps the tab
// order and radio groups, and handles the default button, Enter and Escape.

#include "framework/win32/win32_impl.h"

namespace nolt::fw {
namespace {

// Predefined window classes, by the ordinal a resource script uses.
constexpr WORD kButtonClass = 0x0080;
constexpr WORD kEditClass = 0x0081;
constexpr WORD kStaticClass = 0x0082;
constexpr WORD kListBoxClass = 0x0083;
constexpr WORD kComboBoxClass = 0x0085;

class TemplateWriter {
public:
    void word(WORD w) { data_.push_back(w); }
    void dword(DWORD d)
    {
        word(LOWORD(d));
        word(HIWORD(d));
    }
    void text(std::wstring_view s)
    {
        for (wchar_t c : s) word(static_cast<WORD>(c));
        word(0);
    }
    void ordinal(WORD ord)
    {
        word(0xFFFF);
        word(ord);
    }
    void alignDword()
    {
        if (data_.size() % 2) word(0);
    }
    std::vector<WORD> take() { return std::move(data_); }

private:
    std::vector<WORD> data_;
};

}  // namespace

DWORD dialogStyle(const DialogTemplate& tpl)
{
    DWORD s = WS_POPUP | WS_CAPTION | DS_SETFONT | DS_3DLOOK | DS_CENTER;
    if (tpl.style & kSysMenu) s |= WS_SYSMENU;
    if (tpl.style & kMinimizeBox) s |= WS_MINIMIZEBOX;
    if (tpl.style & kMaximizeBox) s |= WS_MAXIMIZEBOX;
    if (tpl.style & kModalFrame) s |= DS_MODALFRAME;
    if (tpl.style & kThickFrame) s |= WS_THICKFRAME;
    return s;
}

DWORD dialogExStyle(const DialogTemplate& tpl, bool hasOwner)
{
    DWORD exStyle = 0;
    if ((tpl.style & kAppWindow) || !hasOwner) exStyle |= WS_EX_APPWINDOW;
    if (tpl.style & kModalFrame) exStyle |= WS_EX_DLGMODALFRAME;
    return exStyle;
}

DWORD controlStyle(const ControlTemplate& t, bool firstOfRadioGroup)
{
    DWORD s = WS_CHILD;
    if (!(t.style & kHidden)) s |= WS_VISIBLE;
    if (t.style & kDisabled) s |= WS_DISABLED;
    if (t.style & kGroup) s |= WS_GROUP;
    // Single-line edits scroll as the text grows, as the tool's fields always have.
    constexpr DWORD kLineEdit = ES_LEFT | ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP;
    switch (t.kind) {
    case ControlKind::GroupBox: return s | BS_GROUPBOX;
    case ControlKind::StaticLeft:
    case ControlKind::StaticCenter:
        // A resource script's static texts start a group, which ends the
        // arrow-key travel of the controls before them.
        s |= WS_GROUP | (t.kind == ControlKind::StaticCenter ? SS_CENTER : SS_LEFT);
        return (t.style & kNoPrefix) ? s | SS_NOPREFIX : s;
    case ControlKind::PushButton:
    case ControlKind::DefPushButton:
        s |= WS_TABSTOP | (t.kind == ControlKind::DefPushButton ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON);
        return (t.style & kMultiLine) ? s | BS_MULTILINE : s;
    case ControlKind::Edit: return s | kLineEdit;
    case ControlKind::DigitsEdit: return s | kLineEdit | ES_NUMBER;
    case ControlKind::ReadOnlyEdit: return s | kLineEdit | ES_READONLY;
    case ControlKind::LogEdit:
        return s | ES_LEFT | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL | WS_VSCROLL | WS_BORDER | WS_TABSTOP;
    case ControlKind::IpAddress: return s | WS_TABSTOP;
    case ControlKind::DropDownList: return s | CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP;
    case ControlKind::RadioButton:
        // Tab reaches a radio group once, at its checked button.
        return s | BS_AUTORADIOBUTTON | (firstOfRadioGroup ? WS_TABSTOP : 0);
    case ControlKind::ListBox: return s | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_BORDER | WS_TABSTOP;
    case ControlKind::Progress: return s | WS_BORDER;
    }
    return s;
}

std::vector<WORD> buildDialogTemplate(const DialogTemplate& tpl, bool hasOwner, int pointSize)
{
    TemplateWriter w;
    w.word(1);       // dlgVer
    w.word(0xFFFF);  // signature: DLGTEMPLATEEX
    w.dword(0);      // helpID
    w.dword(dialogExStyle(tpl, hasOwner));
    w.dword(dialogStyle(tpl));
    w.word(static_cast<WORD>(tpl.controls.size()));
    w.word(0);  // x, y: DS_CENTER places the dialog
    w.word(0);
    w.word(static_cast<WORD>(tpl.w));
    w.word(static_cast<WORD>(tpl.h));
    w.word(0);  // no menu
    w.word(0);  // the dialog class
    w.text(tpl.caption);
    w.word(static_cast<WORD>(pointSize));
    w.word(FW_NORMAL);
    w.word(MAKEWORD(FALSE, DEFAULT_CHARSET));  // italic, charset
    w.text(tpl.fontFace);

    ControlKind previous = ControlKind::GroupBox;
    for (const ControlTemplate& t : tpl.controls) {
        w.alignDword();
        const bool firstRadio = t.kind == ControlKind::RadioButton &&
                                ((t.style & kGroup) || previous != ControlKind::RadioButton);
        previous = t.kind;
        w.dword(0);  // helpID
        w.dword(0);  // exStyle
        w.dword(controlStyle(t, firstRadio));
        w.word(static_cast<WORD>(t.x));
        w.word(static_cast<WORD>(t.y));
        w.word(static_cast<WORD>(t.w));
        w.word(static_cast<WORD>(t.h));
        w.dword(static_cast<DWORD>(t.id));
        switch (t.kind) {
        case ControlKind::GroupBox:
        case ControlKind::PushButton:
        case ControlKind::DefPushButton:
        case ControlKind::RadioButton: w.ordinal(kButtonClass); break;
        case ControlKind::StaticLeft:
        case ControlKind::StaticCenter: w.ordinal(kStaticClass); break;
        case ControlKind::Edit:
        case ControlKind::DigitsEdit:
        case ControlKind::ReadOnlyEdit:
        case ControlKind::LogEdit: w.ordinal(kEditClass); break;
        case ControlKind::DropDownList: w.ordinal(kComboBoxClass); break;
        case ControlKind::IpAddress: w.text(WC_IPADDRESSW); break;
        case ControlKind::ListBox: w.ordinal(kListBoxClass); break;
        case ControlKind::Progress: w.text(PROGRESS_CLASSW); break;
        }
        const bool textless = t.kind == ControlKind::IpAddress || t.kind == ControlKind::ListBox ||
                              t.kind == ControlKind::Progress;
        w.text(textless ? std::wstring_view() : t.text);
        w.word(0);  // no creation data
    }
    return w.take();
}

}  // namespace nolt::fw
