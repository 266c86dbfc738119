// The main dialog (template 102): the form, its initialisation, the message
// log and the message table. The handlers of each concern are defined in
// that concern's file (link_handlers.cpp, settings.cpp, commands/*.cpp,
// tools/tools_handler.cpp); this class only declares and binds them.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <span>
#include <string>

#include "framework/controls.h"
#include "framework/dialog.h"
#include "link/link.h"
#include "link/link_ui.h"

namespace nolt {

namespace capture {
class CaptureFile;
}  // namespace capture

class Cnolt_PCClientDlg : public fw::CDialogEx, public LinkUi {
public:
    Cnolt_PCClientDlg();
    ~Cnolt_PCClientDlg() override;

    // True from a successful connect until the link reset.
    bool IsConnected() const { return link_->connected(); }

    // Adds one line (text plus CR LF) at the end of the log; any thread.
    // Above kMaxLogLength characters (1 MiB as the edit holds them) the
    // oldest lines are dropped, so that a module repeating its reports
    // cannot fill the memory.
    void AppendLog(const std::wstring& text);
    static constexpr int kMaxLogLength = 512 * 1024;

    // LinkUi: what the link thread does to the dialog.
    void appendLog(const std::wstring& line) override;
    void clearLog() override;
    void messageBox(const std::wstring& text, BoxIcon icon) override;
    void setControlText(int id, const std::wstring& text) override;
    void enableControl(int id, bool enabled) override;
    void recordingFailed(const std::filesystem::path& file, int systemError) override;

protected:
    void DoDataExchange(fw::DataExchange& dx) override;
    bool OnInitDialog() override;
    void OnSysCommand(int command) override;
    void OnClose() override;
    void OnEndSession(bool ending) override;
    // Enter and Escape do not end the main dialog: closing goes only through
    // the window-close path, which saves the settings.
    void OnOK() override;
    void OnCancel() override;
    std::span<const fw::MessageEntry> GetMessageMap() const override;

    // Settings file (settings.cpp).
    virtual void LoadSettings();
    virtual void SaveSettings();

    // Link (link_handlers.cpp).
    void OnBnClickedConnect();
    void OnBnClickedDisconnect();
    // Close button and window close (settings.cpp).
    void OnBnClickedClose();
    // Queries and the frame sender (commands/queries.cpp).
    void OnBnClickedStatusQuery();
    void OnBnClickedVersionQuery();
    bool SendCommandFrame(std::span<const std::uint8_t> frame);
    // IP and network settings (commands/ip_network.cpp).
    void OnBnClickedSaveIp();
    void OnBnClickedBandwidth10M();
    void OnBnClickedBandwidth100M();
    void OnBnClickedDhcpOn();
    void OnBnClickedDhcpOff();
    // Push address (commands/push_address.cpp).
    void OnBnClickedUploadAddr();
    // Main stream (commands/main_stream.cpp).
    void OnBnClickedMainStreamSend();
    void OnCbnSelchangeResolution();
    void OnCbnSelchangePushMode();
    void OnCbnSelchangeWarningLists();
    void OnCbnSelchangeSettingLists();
    void OnBnClickedReminder();
    void UpdateSettingButtons();
    // Sub stream (commands/sub_stream.cpp).
    void OnBnClickedSubStreamSend();
    void OnCbnSelchangeSubResolution();
    void OnCbnSelchangeSubPushMode();
    void OnBnClickedSubOn();
    void OnBnClickedSubOff();
    // Tools dialog (tools/tools_handler.cpp).
    void OnBnClickedTools();
    // "Find modules…" of the system menu (find_modules/find_modules_handler.cpp).
    void OnFindModules();
    // "Record frames…" of the system menu (app/record_frames.cpp): asks for
    // a file and records the link's traffic into it, or ends the recording.
    void OnRecordFrames();
    // The recording's file, made at the path the user chose. Tests give one
    // whose writes fail.
    virtual std::shared_ptr<capture::CaptureFile> CreateCaptureFile(const std::filesystem::path& path,
                                                                    int* systemError);

    // The log box never shows a caret, also after it gains the focus.
    void OnEnSetfocusLog();

    // Controls bound by the data exchange, in declaration order.
    fw::CEdit m_log;                 // 1004
    fw::CEdit m_outputFreq;          // 1013
    fw::CEdit m_inputFreq;           // 1014
    fw::CEdit m_destImgSize;         // 1016
    fw::CComboBox m_mainBitrate;     // 1021
    fw::CComboBox m_mainResolution;  // 1022
    fw::CComboBox m_mainPushMode;    // 1023
    fw::CComboBox m_mainEncoder;     // 1032
    fw::CEdit m_version;             // 1027
    fw::CComboBox m_mainFrameRate;   // 1033
    fw::CEdit m_srcImgSize;          // 1018
    fw::CComboBox m_mainPacket;      // 1034
    fw::CComboBox m_mainRecord;      // 1035
    fw::CComboBox m_subResolution;   // 1036
    fw::CComboBox m_subBitrate;      // 1037
    fw::CComboBox m_subPushMode;     // 1038
    fw::CComboBox m_subEncoder;      // 1040
    fw::CComboBox m_subFrameRate;    // 1041
    fw::CComboBox m_subPacket;       // 1042
    bool m_versionFontSet = false;   // control 1027's font, set on the first exchange
    bool saveFailureSaid_ = false;   // a failed save is said once per run
    bool sessionEnding_ = false;     // the session ends: a failed save goes to the log only

    // The connection to the module: its socket, connected flag and thread.
    std::unique_ptr<Link> link_;
    // The "Find modules" dialog once opened (modeless, owned by this window).
    // Held as a dialog only: its own folder opens it (the handler), so the
    // main dialog never includes the window's header.
    std::unique_ptr<fw::CDialogEx> findModules_;

private:
    void setInitialTexts();
};

}  // namespace nolt
