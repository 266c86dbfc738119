// The settings file and the closing paths of the main dialog.

#include "app/nolt_pcclient_dlg.h"

#include <array>
#include <optional>

#include "platform/code_page.h"
#include "platform/file_failure_text.h"
#include "platform/settings_path.h"
#include "platform/settings_store.h"
#include "res/resource.h"

namespace nolt {
namespace {

struct SavedField {
    SettingKey key;
    int control;
};

// The saved fields in the order they are written and read. The subnet
// mask is left out on purpose: it starts as 255.255.255.0 every time.
constexpr std::array<SavedField, kSettingCount> kSavedFields = {{
    {SettingKey::LinkIP, res::IDC_LINK_IP},
    {SettingKey::LinkPort, res::IDC_LINK_PORT},
    {SettingKey::DstIp, res::IDC_CAMERA_IP},
    {SettingKey::Gateway, res::IDC_GATEWAY},
    {SettingKey::DNS, res::IDC_DNS},
    {SettingKey::UdpDstIp, res::IDC_UDP_DST_IP},
    {SettingKey::UdpPort, res::IDC_UDP_PORT},
}};

// A file this large is no settings file of ours (a mistake, or something
// hostile); it is left as it is.
constexpr const wchar_t* kSettingsTooLarge =
    L"The settings file is larger than 1 MiB and was not read: the start values are used and the file is left "
    L"unchanged.";

constexpr const wchar_t* kTipsCaption = L"Tips";

std::wstring saveFailedText(const std::filesystem::path& file, FileStatus status, int systemError)
{
    return L"The settings could not be saved to " + pathForDisplay(file) + L": " +
           fileFailureReason(status, systemError);
}

}  // namespace

// Stored values are shown as stored, unchecked; setting a text leaves a
// control's enabled state alone. A missing file keeps the start texts, and
// a file whose link address, port or camera address is missing changes
// nothing at all. A file too large to read is said so once, here (the
// line says the file is left unchanged), and its saves are not said again.
// On Windows the file read may be another than the one saved to (a first
// start takes the values an older copy of the tool left).
void Cnolt_PCClientDlg::LoadSettings()
{
    FileStatus status = FileStatus::Ok;
    const std::optional<SettingsValues> values = SettingsStore(settingsFiles().load).load(&status);
    if (status == FileStatus::TooLarge) AppendLog(kSettingsTooLarge);
    if (!values || !shouldApplyLoadedSettings(*values)) return;
    // In file order, except that the DNS field is set last.
    for (const SavedField& f : kSavedFields)
        if (f.key != SettingKey::DNS) SetDlgItemText(f.control, fromNarrow((*values)[f.key]));
    SetDlgItemText(res::IDC_DNS, fromNarrow((*values)[SettingKey::DNS]));
}

// A save that fails (no permission, full disk, a policy) leaves the old file
// as it was and is said once, with the file and the system's reason, in the
// log and in a box over the closing window; closing goes on regardless.
// When the session ends, only the log says it: a box would hold up the
// log-off, and nobody is left to read it.
void Cnolt_PCClientDlg::SaveSettings()
{
    SettingsValues values;
    for (const SavedField& f : kSavedFields) values[f.key] = toNarrow(GetDlgItemText(f.control));
    const std::filesystem::path file = settingsFilePath();
    int systemError = 0;
    const FileStatus status = SettingsStore(file).save(values, &systemError);
    if (status == FileStatus::Ok || status == FileStatus::TooLarge || saveFailureSaid_) return;
    saveFailureSaid_ = true;
    const std::wstring text = saveFailedText(file, status, systemError);
    AppendLog(text);
    if (!sessionEnding_) MessageBox(text, kTipsCaption, fw::MessageIcon::Exclamation);
}

// Saves, ends the link and closes the window, which saves once more: the
// file is written twice with the same values. Nothing is sent or logged.
void Cnolt_PCClientDlg::OnBnClickedClose()
{
    SaveSettings();
    link_->reset();
    SendClose();
}

// Every way of closing the window comes here (title bar, Alt+F4, the system
// menu, the Close button). It saves but does not end the link: the dialog's
// destruction stops the link thread.
void Cnolt_PCClientDlg::OnClose()
{
    SaveSettings();
    CDialogEx::OnClose();
}

// Logging off or shutting down ends the process without a window close, so
// the settings are saved here; a session end that was called off saves
// nothing.
void Cnolt_PCClientDlg::OnEndSession(bool ending)
{
    if (!ending) return;
    sessionEnding_ = true;
    SaveSettings();
}

}  // namespace nolt
