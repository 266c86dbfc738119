// The About box (template 100), opened from the system menu.
#pragma once

#include "framework/dialog.h"

namespace nolt {

class CAboutDlg : public fw::CDialogEx {
public:
    explicit CAboutDlg(fw::CDialogEx* parent = nullptr);
};

}  // namespace nolt
