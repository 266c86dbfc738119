// Status and version queries of the main dialog, and the frame sender every
// command uses.

#include "app/nolt_pcclient_dlg.h"

namespace nolt {

void Cnolt_PCClientDlg::OnBnClickedStatusQuery()
{
}

void Cnolt_PCClientDlg::OnBnClickedVersionQuery()
{
}

bool Cnolt_PCClientDlg::SendCommandFrame(std::span<const std::uint8_t> /*frame*/)
{
    return false;
}

}  // namespace nolt
