// The "Find modules" dialog (template 150): searches a range of addresses
// for modules and hands the one the user picks to the main window. It
// connects to nothing itself. It is modeless and searches on a thread of its
// own, so the main window stays usable meanwhile.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "framework/controls.h"
#include "framework/dialog.h"
#include "scan/background_scan.h"

namespace nolt {

class FindModulesDlg : public fw::CDialogEx {
public:
    // What "Use" hands over: the module's address and the port searched.
    using UseModule = std::function<void(const std::wstring& address, const std::wstring& port)>;

    // range and port: what the fields start with.
    FindModulesDlg(std::wstring range, std::wstring port, UseModule use, fw::CDialogEx* parent = nullptr);
    // Stops a running search first.
    ~FindModulesDlg() override;

    bool Searching() const { return scan_.running(); }
    // The time-out per address of the searches to come (0.5 s unless set).
    void SetTimeout(std::chrono::milliseconds timeout) { timeout_ = timeout; }

    static constexpr const wchar_t* kCaption = L"Find modules";

protected:
    void DoDataExchange(fw::DataExchange& dx) override;
    bool OnInitDialog() override;
    // Escape, the Close button and the window's close box stop a search and close.
    void OnCancel() override;
    void OnClose() override;
    std::span<const fw::MessageEntry> GetMessageMap() const override;

    void OnBnClickedFind();
    void OnBnClickedStop();
    void OnBnClickedUse();
    void OnLbnSelchangeList();

private:
    void showResults(std::span<const ScanResult> results);
    void showEnd(const ScanOutcome& outcome);
    void setSearching(bool searching);
    void stopSearch();
    void refuse(const std::wstring& why);

    std::wstring startRange_;
    std::wstring startPort_;
    UseModule use_;
    BackgroundScan scan_;
    std::vector<ScanResult> found_;  // the modules, in the list's order (by address)
    std::size_t done_ = 0;           // addresses with their verdict
    std::size_t total_ = 0;
    std::uint16_t port_ = 0;         // of the search the list shows
    std::chrono::milliseconds timeout_ = ScanSettings{}.timeout;
    fw::CListBox m_list;             // 1107
    fw::CProgressCtrl m_progress;    // 1105
};

}  // namespace nolt
