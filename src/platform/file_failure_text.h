// Texts that tell the user which file failed and why, in the system's own
// words where it gave a reason.
#pragma once

#include <filesystem>
#include <string>

#include "platform/atomic_file.h"

namespace nolt {

// The path as the system writes it (on Windows "C:\Config.ini", however it
// was spelled).
std::wstring pathForDisplay(const std::filesystem::path& path);

// The system's text for an error code (GetLastError() on Windows, errno
// elsewhere), without a line end; empty for 0.
std::wstring systemErrorText(int systemError);

// Why a file operation failed: the system's text when it gave a reason,
// otherwise a short text for the status.
std::wstring fileFailureReason(FileStatus status, int systemError);

}  // namespace nolt
