// A dialog described as data, the way a resource script describes it:
// positions in dialog units, texts, kinds and style bits. The framework turns
// a template into a window; the templates themselves live in res/.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace nolt::fw {

// Id of controls that are never addressed (labels, group boxes).
inline constexpr int IDC_STATIC = -1;

enum class ControlKind {
    GroupBox,
    StaticLeft,      // static text, left aligned
    StaticCenter,    // static text, centred
    PushButton,
    DefPushButton,   // the dialog's default push button
    Edit,            // single-line edit
    DigitsEdit,      // single-line edit that takes digits only
    ReadOnlyEdit,    // single-line read-only edit
    LogEdit,         // multi-line, read-only, vertical scroll bar
    IpAddress,       // four fields of 0 to 255
    DropDownList,    // no typing; items kept in the order added
    RadioButton,     // automatic radio button
    ListBox,         // list of texts, one of them selectable
    Progress,        // progress bar (0 to 100 until a range is set)
};

// Style bits of a control template.
enum ControlStyle : std::uint32_t {
    kNone = 0,
    kHidden = 1u << 0,      // created invisible
    kDisabled = 1u << 1,    // created disabled
    kGroup = 1u << 2,       // starts a radio group
    kMultiLine = 1u << 3,   // push button whose caption wraps
    kNoPrefix = 1u << 4,    // static text shown without mnemonic processing
    kAutoHScroll = 1u << 5, // edit scrolls horizontally as the text grows
    kBorder = 1u << 6,
};

struct ControlTemplate {
    int id;                 // IDC_STATIC for controls that are never addressed
    ControlKind kind;
    std::wstring_view text; // caption or initial text
    int x, y, w, h;         // dialog units; for a drop-down list h is the opened height
    std::uint32_t style = kNone;
    // Item texts of a drop-down list, index 0 first.
    std::span<const std::wstring_view> items = {};
};

// What a screen reader hears for a control whose own caption does not name
// it. A static text of the same template names the control beside it
// (`label`: the static's text as written there); a control without a label
// of its own gets a `name`. framework/accessible_names.h works the names out.
struct ControlName {
    int control;
    std::wstring_view label;  // a static text of the template, or empty
    std::wstring_view name;   // the name itself, where there is no label
};

constexpr ControlName labelledBy(int control, std::wstring_view label) { return {control, label, {}}; }
constexpr ControlName namedAs(int control, std::wstring_view name) { return {control, {}, name}; }

// Style bits of a dialog template.
enum DialogStyle : std::uint32_t {
    kDlgNone = 0,
    kSysMenu = 1u << 0,
    kMinimizeBox = 1u << 1,
    kMaximizeBox = 1u << 2,
    kAppWindow = 1u << 3,   // shown on the task bar
    kModalFrame = 1u << 4,
    kThickFrame = 1u << 5,  // sizing border (the main dialog removes it at init)
};

struct DialogTemplate {
    int id;
    std::wstring_view caption;
    int w, h;                    // dialog units
    std::wstring_view fontFace;  // "MS Shell Dlg" and the like
    int pointSize;
    std::uint32_t style;
    std::span<const ControlTemplate> controls;  // template order = tab order
    std::span<const ControlName> names = {};    // for screen readers
};

}  // namespace nolt::fw
