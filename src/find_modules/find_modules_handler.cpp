// The "Find modules…" item of the main window's system menu: opens the
// search with the /24 around the address in the IP field and the Port
// field's port. "Use" there fills those two fields; connecting is left to
// the user. Each opening starts afresh; while the dialog is open the item
// leaves it as it is.

#include "app/nolt_pcclient_dlg.h"
#include "platform/code_page.h"
#include "res/resource.h"
#include "find_modules/find_modules_dlg.h"

namespace nolt {

void Cnolt_PCClientDlg::OnFindModules()
{
    if (findModules_ && findModules_->IsWindowVisible()) return;
    const std::wstring address = GetDlgItemText(res::IDC_LINK_IP);
    const std::wstring range = address == L"0.0.0.0" ? std::wstring() : fromNarrow(surroundingSlash24(toNarrow(address)));
    findModules_ = std::make_unique<FindModulesDlg>(
        range, GetDlgItemText(res::IDC_LINK_PORT),
        [this](const std::wstring& ip, const std::wstring& port) {
            SetDlgItemText(res::IDC_LINK_IP, ip);
            SetDlgItemText(res::IDC_LINK_PORT, port);
        },
        this);
    findModules_->Create();
}

}  // namespace nolt
