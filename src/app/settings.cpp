// The settings file and the closing paths of the main dialog.

#include "app/nolt_pcclient_dlg.h"

namespace nolt {

void Cnolt_PCClientDlg::LoadSettings()
{
}

void Cnolt_PCClientDlg::SaveSettings()
{
}

void Cnolt_PCClientDlg::OnBnClickedClose()
{
    SendClose();
}

void Cnolt_PCClientDlg::OnClose()
{
    CDialogEx::OnClose();
}

}  // namespace nolt
