#include "app/about_dlg.h"

#include "res/templates.h"

namespace nolt {

CAboutDlg::CAboutDlg(fw::CDialogEx* parent) : fw::CDialogEx(res::aboutTemplate(), parent)
{
}

}  // namespace nolt
