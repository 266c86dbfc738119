// Push-address handler of the main dialog.

#include "app/nolt_pcclient_dlg.h"

namespace nolt {

void Cnolt_PCClientDlg::OnBnClickedUploadAddr()
{
}

}  // namespace nolt
