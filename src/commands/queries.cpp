// Status and version queries of the main dialog, and the frame sender every
// command uses. Each press is the command procedure: the connected guard,
// then one send; the answer is not awaited, the link thread reports it.

#include "app/nolt_pcclient_dlg.h"
#include "commands/command_frames.h"
#include "commands/command_ui.h"

namespace nolt {

void Cnolt_PCClientDlg::OnBnClickedStatusQuery()
{
    if (!connectedOrWarn(*this, kNotConnectedFullwidth)) return;
    SendCommandFrame(statusQueryFrame());
}

void Cnolt_PCClientDlg::OnBnClickedVersionQuery()
{
    if (!connectedOrWarn(*this, kNotConnectedAscii)) return;
    SendCommandFrame(versionQueryFrame());
}

// One send; a failure logs "Operation failed, please check the connection"
// and leaves the connected flag to the link thread.
bool Cnolt_PCClientDlg::SendCommandFrame(std::span<const std::uint8_t> frame)
{
    return link_->sendCommandFrame(frame);
}

}  // namespace nolt
