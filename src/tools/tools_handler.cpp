// The Tools button of the main dialog: opens the Tools dialog, whether or
// not the module is connected. Each opening is a new dialog, so it starts
// with the default addresses whatever was typed the last time.

#include "app/nolt_pcclient_dlg.h"
#include "tools/tools_dialog.h"

namespace nolt {

void Cnolt_PCClientDlg::OnBnClickedTools()
{
    DlgOther tools(toolsCommandInterpreter());
    tools.DoModal();
}

}  // namespace nolt
