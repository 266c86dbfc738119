// "Record frames…" of the main window's system menu, a checked item. Chosen
// while unchecked, it asks where to save a pcapng capture and records every
// block the link sends and receives from then on; chosen again, it ends the
// recording. Closing the tool ends it too (the link's end closes the
// connection in the file), and so does a write that fails, which the log
// says once.

#include "app/nolt_pcclient_dlg.h"

#include "capture/capture_file.h"
#include "framework/file_dialog.h"
#include "platform/calendar.h"
#include "platform/file_failure_text.h"
#include "platform/program_info.h"
#include "res/resource.h"

#include <chrono>
#include <ctime>
#include <cwchar>

namespace nolt {
namespace {

constexpr auto kRecordTitle = L"Record frames";
constexpr auto kFileType = L"pcapng capture";
constexpr auto kExtension = L"pcapng";
constexpr auto kStartFailed = L"The frames cannot be recorded to ";
constexpr auto kWriteFailed = L"Recording stopped: the frames could not be written to ";
constexpr auto kProgram = "nolt-pcclient";

// "nolt-20250102-150405.pcapng": a new name for each recording, in the
// order they were made.
std::wstring proposedFileName()
{
    const std::time_t now = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
    const std::tm local = localCalendar(now);
    wchar_t name[64];
    std::wcsftime(name, 64, L"nolt-%Y%m%d-%H%M%S.", &local);
    return name + std::wstring(kExtension);
}

}  // namespace

void Cnolt_PCClientDlg::OnRecordFrames()
{
    if (link_->recording()) {
        link_->stopRecording();
        CheckSystemMenuItem(res::IDM_RECORD_FRAMES, false);
        return;
    }
    const auto path = fw::askSaveFileName({kRecordTitle, proposedFileName(), kFileType, kExtension}, this);
    if (!path) return;
    int systemError = 0;
    auto file = CreateCaptureFile(*path, &systemError);
    if (!file) {
        MessageBox(kStartFailed + pathForDisplay(*path) + L": " + fileFailureReason(FileStatus::CreateFailed, systemError),
                   kRecordTitle, fw::MessageIcon::Exclamation);
        return;
    }
    link_->startRecording(std::move(file));
    // A file that failed at once has ended the recording again.
    CheckSystemMenuItem(res::IDM_RECORD_FRAMES, link_->recording());
}

std::shared_ptr<capture::CaptureFile> Cnolt_PCClientDlg::CreateCaptureFile(const std::filesystem::path& path,
                                                                          int* systemError)
{
    return capture::CaptureFile::create(path, versionLine(kProgram), systemError);
}

void Cnolt_PCClientDlg::recordingFailed(const std::filesystem::path& file, int systemError)
{
    AppendLog(kWriteFailed + pathForDisplay(file) + L": " + fileFailureReason(FileStatus::WriteFailed, systemError));
    CheckSystemMenuItem(res::IDM_RECORD_FRAMES, false);
}

}  // namespace nolt
