// Link handlers of the main dialog: Connect and Disconnect.

#include "app/nolt_pcclient_dlg.h"
#include "res/resource.h"

namespace nolt {

// Starts the link thread with the address and port as typed; while a link
// thread runs (a connect pending or a connection open) the press does nothing.
void Cnolt_PCClientDlg::OnBnClickedConnect()
{
    link_->connect(GetDlgItemText(res::IDC_LINK_IP), GetDlgItemText(res::IDC_LINK_PORT));
}

// The link reset, with no log line. A pending connect fails at once and
// reports its failure; an open connection simply ends.
void Cnolt_PCClientDlg::OnBnClickedDisconnect()
{
    link_->reset();
}

}  // namespace nolt
