// Sub-stream handlers of the main dialog.

#include "app/nolt_pcclient_dlg.h"

namespace nolt {

void Cnolt_PCClientDlg::OnBnClickedSubStreamSend()
{
}

void Cnolt_PCClientDlg::OnCbnSelchangeSubResolution()
{
}

void Cnolt_PCClientDlg::OnCbnSelchangeSubPushMode()
{
}

void Cnolt_PCClientDlg::OnBnClickedSubOn()
{
}

void Cnolt_PCClientDlg::OnBnClickedSubOff()
{
}

}  // namespace nolt
