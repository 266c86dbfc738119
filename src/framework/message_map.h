// The message table of a dialog: which member handles which notification of
// which control. A dialog class lists its entries in a static array and
// returns it from GetMessageMap(); the framework looks entries up by
// (notification, control id) whenever a control reports an event.
#pragma once

#include <span>

namespace nolt::fw {

class CDialogEx;

enum class Notify {
    Click,      // push button or radio button clicked (BN_CLICKED)
    SelChange,  // the user changed a drop-down list's selection (CBN_SELCHANGE)
    SetFocus,   // the control gained the keyboard focus (EN_SETFOCUS and the like)
    DblClick,   // an item of a list box double-clicked (LBN_DBLCLK)
};

struct MessageEntry {
    Notify code;
    int id;
    void (*handler)(CDialogEx&);
};

namespace detail {
template <typename M>
struct MemberOf;
template <typename C>
struct MemberOf<void (C::*)()> {
    using Class = C;
};
template <auto Member>
void callMember(CDialogEx& dlg)
{
    using C = typename MemberOf<decltype(Member)>::Class;
    (static_cast<C&>(dlg).*Member)();
}
}  // namespace detail

// One entry binding a member function `void C::f()` of a dialog class C.
//   static constexpr fw::MessageEntry kMap[] = {
//       fw::on<&MyDlg::OnBnClickedGo>(fw::Notify::Click, IDC_GO), ...};
template <auto Member>
constexpr MessageEntry on(Notify code, int id)
{
    return {code, id, &detail::callMember<Member>};
}

}  // namespace nolt::fw
