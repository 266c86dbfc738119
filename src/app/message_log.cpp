// The message log: box 1004, appended to from the UI thread and the link thread.

#include "app/nolt_pcclient_dlg.h"
#include "framework/ui_thread.h"
#include "res/resource.h"

namespace nolt {
namespace {

constexpr auto kLineEnd = L"\r\n";

}  // namespace

void Cnolt_PCClientDlg::AppendLog(const std::wstring& text)
{
    // The three steps run together on the UI thread. Run one by one from the
    // link thread, a selection the user made between them would be replaced
    // by the new line and lost.
    fw::runOnUiThread([&] {
        const int end = m_log.GetWindowTextLength();
        m_log.SetSel(end, end);
        m_log.ScrollCaret();
        m_log.ReplaceSel(text + kLineEnd);
    });
}

void Cnolt_PCClientDlg::OnEnSetfocusLog()
{
    m_log.HideCaret();
}

}  // namespace nolt
