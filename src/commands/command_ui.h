// What the command handlers of the main dialog share: the "Tips" box, the
// connected guard and the refill of a bit-rate list.
#pragma once

#include <string>
#include <string_view>

#include "app/nolt_pcclient_dlg.h"
#include "commands/command_texts.h"
#include "commands/stream_rules.h"

namespace nolt {

// A "Tips" box owned by the main dialog.
inline void showTips(Cnolt_PCClientDlg& dlg, std::wstring_view text, BoxIcon icon = BoxIcon::Exclamation)
{
    dlg.messageBox(std::wstring(text), icon);
}

// True when connected; otherwise shows the handler's not-connected box.
inline bool connectedOrWarn(Cnolt_PCClientDlg& dlg, std::wstring_view notConnectedText)
{
    if (dlg.IsConnected()) return true;
    showTips(dlg, notConnectedText);
    return false;
}

// Empties a bit-rate list and fills it in the given form; the list is left
// without a selection.
inline void refillBitRates(fw::CComboBox& list, BitRateForm form)
{
    list.ResetContent();
    for (std::wstring_view item : bitRateItems(form)) list.AddString(std::wstring(item));
}

}  // namespace nolt
