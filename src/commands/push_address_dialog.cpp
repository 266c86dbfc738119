#include "commands/push_address_dialog.h"

#include <cstdint>
#include <span>

#include "commands/command_texts.h"
#include "commands/push_address_text.h"
#include "link/link.h"
#include "platform/code_page.h"
#include "res/resource.h"
#include "res/templates.h"

namespace nolt {
std::wstring g_strPushAddr;
bool g_bPushAddrReceived = false;

DlgOther2::DlgOther2(Link& link) : fw::CDialogEx(res::pushAddressTemplate()), link_(link) {}

std::span<const fw::MessageEntry> DlgOther2::GetMessageMap() const
{
    static constexpr fw::MessageEntry kMessageMap[] = {
        fw::on<&DlgOther2::OnBnClickedSendOut>(fw::Notify::Click, res::IDC_PUSH_SEND_OUT),
    };
    return kMessageMap;
}

void DlgOther2::DoDataExchange(fw::DataExchange& dx)
{
    CDialogEx::DoDataExchange(dx);
    if (dx.saving) {
        m_strAddress = GetDlgItemText(res::IDC_PUSH_ADDRESS);
    } else {
        SetDlgItemText(res::IDC_PUSH_ADDRESS, m_strAddress);
    }
}

// Shows the module's answer once, right after it was accepted; any other
// opening starts from the bare prefix, so nothing typed earlier survives.
bool DlgOther2::OnInitDialog()
{
    const bool focusFirst = CDialogEx::OnInitDialog();
    if (g_bPushAddrReceived) {
        g_bPushAddrReceived = false;
        SetDlgItemText(res::IDC_PUSH_ADDRESS, g_strPushAddr);
    } else {
        SetDlgItemText(res::IDC_PUSH_ADDRESS, std::wstring(kPushAddressBarePrefix));
    }
    return focusFirst;
}

void DlgOther2::OnBnClickedSendOut()
{
    UpdateData(true);
    const std::string bytes = toNarrow(m_strAddress);
    const auto data = std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
    if (link_.sendRaw(data) < 0) fw::AfxMessageBox(std::wstring(kNotConnectedAscii));
    EndDialog(fw::IDOK);
}

int OpenPushAddressDialog(Link& link)
{
    DlgOther2 dlg(link);
    return dlg.DoModal();
}

}  // namespace nolt
