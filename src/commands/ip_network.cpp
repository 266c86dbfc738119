// IP and network settings handlers of the main dialog.

#include "app/nolt_pcclient_dlg.h"

namespace nolt {

void Cnolt_PCClientDlg::OnBnClickedSaveIp()
{
}

void Cnolt_PCClientDlg::OnBnClickedBandwidth10M()
{
}

void Cnolt_PCClientDlg::OnBnClickedBandwidth100M()
{
}

void Cnolt_PCClientDlg::OnBnClickedDhcpOn()
{
}

void Cnolt_PCClientDlg::OnBnClickedDhcpOff()
{
}

}  // namespace nolt
