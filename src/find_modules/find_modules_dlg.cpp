#include "find_modules/find_modules_dlg.h"

#include <algorithm>
#include <cwctype>

#include "framework/ui_thread.h"
#include "link/connect_input.h"
#include "platform/code_page.h"
#include "res/resource.h"
#include "res/templates.h"

namespace nolt {
namespace {

using namespace res;
using D = FindModulesDlg;

constexpr const wchar_t* kBadPort = L"The port must be a number from 1 to 65534.";

std::wstring plural(std::size_t n, const wchar_t* one, const wchar_t* many)
{
    return std::to_wstring(n) + L" " + (n == 1 ? one : many);
}

std::wstring seconds(double s)
{
    const long long tenths = static_cast<long long>(s * 10 + 0.5);
    return std::to_wstring(tenths / 10) + L"." + std::to_wstring(tenths % 10) + L" s";
}

// An engine's message ("no socket could be opened ...") as the status line shows it.
std::wstring sentence(const std::string& message)
{
    std::wstring text = fromNarrow(message);
    if (!text.empty()) text[0] = static_cast<wchar_t>(std::towupper(text[0]));
    return text + L".";
}

std::wstring itemText(const ScanResult& r)
{
    return fromNarrow(dottedText(r.address)) + L"    version " + r.version;
}

}  // namespace

FindModulesDlg::FindModulesDlg(std::wstring range, std::wstring port, UseModule use, fw::CDialogEx* parent)
    : fw::CDialogEx(res::findModulesTemplate(), parent),
      startRange_(std::move(range)),
      startPort_(std::move(port)),
      use_(std::move(use))
{
}

// The search's thread may be waiting for a call on the UI thread, so the
// UI keeps serving such calls while the thread is stopped and joined.
FindModulesDlg::~FindModulesDlg()
{
    stopSearch();
}

std::span<const fw::MessageEntry> FindModulesDlg::GetMessageMap() const
{
    static constexpr fw::MessageEntry kMap[] = {
        fw::on<&D::OnBnClickedFind>(fw::Notify::Click, IDC_FIND_START),
        fw::on<&D::OnBnClickedStop>(fw::Notify::Click, IDC_FIND_STOP),
        fw::on<&D::OnBnClickedUse>(fw::Notify::Click, IDC_FIND_USE),
        fw::on<&D::OnBnClickedUse>(fw::Notify::DblClick, IDC_FIND_LIST),
        fw::on<&D::OnLbnSelchangeList>(fw::Notify::SelChange, IDC_FIND_LIST),
    };
    return kMap;
}

void FindModulesDlg::DoDataExchange(fw::DataExchange& dx)
{
    fw::CDialogEx::DoDataExchange(dx);
    fw::DDX_Control(dx, IDC_FIND_LIST, m_list);
    fw::DDX_Control(dx, IDC_FIND_PROGRESS, m_progress);
}

bool FindModulesDlg::OnInitDialog()
{
    fw::CDialogEx::OnInitDialog();
    SetDlgItemText(IDC_FIND_RANGE, startRange_);
    SetDlgItemText(IDC_FIND_PORT, startPort_);
    // The framework puts the focus on the first tab stop, the range.
    return true;
}

void FindModulesDlg::OnCancel()
{
    stopSearch();
    EndDialog(IDCANCEL);
}

void FindModulesDlg::OnClose()
{
    OnCancel();
}

void FindModulesDlg::refuse(const std::wstring& why)
{
    MessageBox(why, kCaption, fw::MessageIcon::Exclamation);
}

// Everything is checked before anything is sent: a range that is no range,
// too large or outside the local networks, and a port the Connect button
// would not take either.
void FindModulesDlg::OnBnClickedFind()
{
    if (scan_.running()) return;  // Enter while a search runs
    const auto parsed = parseScanRange(toNarrow(GetDlgItemText(IDC_FIND_RANGE)));
    if (const auto* error = std::get_if<ScanRangeError>(&parsed)) return refuse(fromNarrow(error->message));
    const ScanRange& range = std::get<ScanRange>(parsed);
    if (const auto refused = scanRefusedHere(range)) return refuse(fromNarrow(*refused));
    const int port = readPortText(GetDlgItemText(IDC_FIND_PORT));
    if (port < 1 || port > 65534) return refuse(kBadPort);

    found_.clear();
    m_list.ResetContent();
    done_ = 0;
    total_ = range.size();
    port_ = static_cast<std::uint16_t>(port);
    m_progress.SetRange32(0, static_cast<int>(total_));
    m_progress.SetPos(0);
    SetDlgItemText(IDC_FIND_STATUS, L"Searching " + plural(total_, L"address", L"addresses") + L" on port " +
                                        std::to_wstring(port_) + L"…");
    setSearching(true);
    ScanSettings settings;
    settings.port = port_;
    settings.timeout = timeout_;
    scan_.start(
        range, settings,
        [this](std::span<const ScanResult> results) { fw::runOnUiThread([&] { showResults(results); }); },
        [this](const ScanOutcome& outcome) { fw::runOnUiThread([&] { showEnd(outcome); }); });
}

void FindModulesDlg::OnBnClickedStop()
{
    stopSearch();
}

void FindModulesDlg::OnBnClickedUse()
{
    const int selected = m_list.GetCurSel();
    if (selected < 0 || static_cast<std::size_t>(selected) >= found_.size()) return;
    const std::wstring address = fromNarrow(dottedText(found_[static_cast<std::size_t>(selected)].address));
    stopSearch();
    if (use_) use_(address, std::to_wstring(port_));
    EndDialog(IDOK);
}

void FindModulesDlg::OnLbnSelchangeList()
{
    EnableControl(IDC_FIND_USE, m_list.GetCurSel() >= 0);
}

// The modules go into the list in address order as they answer.
void FindModulesDlg::showResults(std::span<const ScanResult> results)
{
    for (const ScanResult& r : results) {
        ++done_;
        if (r.verdict != ScanVerdict::Module) continue;
        const auto at = std::upper_bound(found_.begin(), found_.end(), r.address,
                                         [](std::uint32_t a, const ScanResult& f) { return a < f.address; });
        const int index = static_cast<int>(at - found_.begin());
        found_.insert(at, r);
        m_list.InsertString(index, itemText(r));
    }
    m_progress.SetPos(static_cast<int>(done_));
}

void FindModulesDlg::showEnd(const ScanOutcome& outcome)
{
    const std::wstring modules = plural(found_.size(), L"module", L"modules");
    if (!outcome.error.empty())
        SetDlgItemText(IDC_FIND_STATUS, sentence(outcome.error));
    else if (outcome.stopped)
        SetDlgItemText(IDC_FIND_STATUS, L"Stopped after " + std::to_wstring(done_) + L" of " +
                                            plural(total_, L"address", L"addresses") + L"; " + modules + L" found.");
    else
        SetDlgItemText(IDC_FIND_STATUS, modules + L" found among " + plural(total_, L"address", L"addresses") +
                                            L" in " + seconds(outcome.seconds) + L".");
    setSearching(false);
}

// A control that is disabled while it has the focus would leave the dialog
// without one, so the focus moves on to the button now usable first.
void FindModulesDlg::setSearching(bool searching)
{
    const int next = searching ? IDC_FIND_STOP : IDC_FIND_START;
    EnableControl(next, true);
    const int focus = GetFocusId();
    if (searching ? focus == IDC_FIND_RANGE || focus == IDC_FIND_PORT || focus == IDC_FIND_START
                  : focus == IDC_FIND_STOP)
        GotoDlgCtrl(next);
    for (int id : {IDC_FIND_RANGE, IDC_FIND_PORT, IDC_FIND_START}) EnableControl(id, !searching);
    EnableControl(IDC_FIND_STOP, searching);
    EnableControl(IDC_FIND_USE, m_list.GetCurSel() >= 0);
}

void FindModulesDlg::stopSearch()
{
    scan_.stop([] { fw::processPendingEvents(); });
}

}  // namespace nolt
