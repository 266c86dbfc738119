// Status and version queries of the main dialog, and the command procedure
// every command button follows: the connected guard, then one send.

#include "app/nolt_pcclient_dlg.h"
#include "commands/command_frames.h"

namespace nolt {

void Cnolt_PCClientDlg::OnBnClickedStatusQuery()
{
    if (!RequireConnection(kConnectFirstFullwidth)) return;
    SendCommandFrame(statusQueryFrame());
}

void Cnolt_PCClientDlg::OnBnClickedVersionQuery()
{
    if (!RequireConnection(kConnectFirst)) return;
    SendCommandFrame(versionQueryFrame());
}

bool Cnolt_PCClientDlg::RequireConnection(const wchar_t* notConnectedText)
{
    if (IsConnected()) return true;
    messageBox(notConnectedText, BoxIcon::Exclamation);
    return false;
}

// The answer is not awaited: the link thread reports it when it comes.
bool Cnolt_PCClientDlg::SendCommandFrame(std::span<const std::uint8_t> frame)
{
    return link_->sendCommandFrame(frame);
}

}  // namespace nolt
