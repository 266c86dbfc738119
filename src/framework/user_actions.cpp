// The parts of the tests' user driver that need nothing of a toolkit: each
// backend provides the rest (qt/user_actions_qt.cpp, win32/...).

#include "framework/user_actions.h"

namespace nolt::fw::user {

void open(CDialogEx& dlg)
{
    setUpGui();
    dlg.Create();
    activate(dlg);
    pump(10);
}

}  // namespace nolt::fw::user
