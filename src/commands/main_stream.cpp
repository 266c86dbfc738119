// Main-stream handlers of the main dialog.

#include "app/nolt_pcclient_dlg.h"

namespace nolt {

void Cnolt_PCClientDlg::OnBnClickedMainStreamSend()
{
}

void Cnolt_PCClientDlg::OnCbnSelchangeResolution()
{
}

void Cnolt_PCClientDlg::OnCbnSelchangePushMode()
{
}

void Cnolt_PCClientDlg::OnCbnSelchangeWarningLists()
{
}

void Cnolt_PCClientDlg::OnCbnSelchangeSettingLists()
{
}

void Cnolt_PCClientDlg::OnBnClickedReminder()
{
}

void Cnolt_PCClientDlg::UpdateSettingButtons()
{
}

}  // namespace nolt
