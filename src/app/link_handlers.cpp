// Link handlers of the main dialog: Connect and Disconnect.

#include "app/nolt_pcclient_dlg.h"

namespace nolt {

void Cnolt_PCClientDlg::OnBnClickedConnect()
{
}

void Cnolt_PCClientDlg::OnBnClickedDisconnect()
{
}

}  // namespace nolt
