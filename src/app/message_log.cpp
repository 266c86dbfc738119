// The message log: box 1004, appended to from the UI thread and the link thread.

#include "app/nolt_pcclient_dlg.h"

#include <algorithm>
#include <string>

#include "framework/ui_thread.h"
#include "res/resource.h"

namespace nolt {
namespace {

constexpr auto kLineEnd = L"\r\n";
constexpr int kLineEndLength = 2;

// Above its bound the log is cut back to three quarters of it, so that the
// cut, which reads the whole text, comes once for many lines.
constexpr int kTrimmedLogLength = Cnolt_PCClientDlg::kMaxLogLength / 4 * 3;

// Removes whole lines from the start of the log until at least `atLeast`
// characters have gone; returns the length left.
int dropOldestLines(fw::CEdit& log, int atLeast)
{
    const std::wstring text = log.GetWindowText();
    const std::size_t from = static_cast<std::size_t>(std::max(0, atLeast - kLineEndLength));
    const std::size_t lineEnd = text.find(kLineEnd, from);
    const std::size_t cut = lineEnd == std::wstring::npos ? text.size() : lineEnd + kLineEndLength;
    log.SetSel(0, static_cast<int>(cut));
    log.ReplaceSel(L"");
    return static_cast<int>(text.size() - cut);
}

}  // namespace

void Cnolt_PCClientDlg::AppendLog(const std::wstring& text)
{
    // The steps run together on the UI thread. Run one by one from the link
    // thread, a selection the user made between them would be replaced by
    // the new line and lost.
    fw::runOnUiThread([&] {
        const std::wstring line = text + kLineEnd;
        int end = m_log.GetWindowTextLength();
        const int over = end + static_cast<int>(line.size()) - kMaxLogLength;
        if (over > 0) end = dropOldestLines(m_log, over + (kMaxLogLength - kTrimmedLogLength));
        m_log.SetSel(end, end);
        m_log.ScrollCaret();
        m_log.ReplaceSel(line);
    });
}

void Cnolt_PCClientDlg::OnEnSetfocusLog()
{
    m_log.HideCaret();
}

}  // namespace nolt
