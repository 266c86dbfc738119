#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>

namespace nolt {

enum class FileStatus {
  Ok,
  NotFound,       // no file at the path
  ReadFailed,     // the file exists but cannot be read whole (a folder, no permission, a disk error, ...)
  TooLarge,       // the file is larger than kMaxReadBytes and is not read
  ReadOnly,       // the file exists and may not be written
  CreateFailed,   // the temporary file cannot be created beside the target
  WriteFailed,    // writing or flushing the temporary file failed (disk full, ...)
  ReplaceFailed,  // the temporary file cannot be renamed over the target
};

struct FileContents {
  FileStatus status = FileStatus::Ok;
  std::string bytes;
  int systemError = 0;  // the system's reason for a failure (see replaceFileAtomically), 0 when it gave none
};

// A real settings file is a few hundred bytes; reading is bounded far above
// that, so that a huge or endless file can neither exhaust memory nor stall
// the tool.
inline constexpr std::size_t kMaxReadBytes = std::size_t{1} << 20;

// The whole file as bytes; TooLarge (with no bytes) above kMaxReadBytes.
FileContents readWholeFile(const std::filesystem::path& path);

// Replaces the file's contents as one step: the bytes go to a temporary file
// beside the target, reach the disk, and the temporary file is then renamed
// over the target. A crash, a kill or a full disk at any moment therefore
// leaves either the old file or the new one, never a truncated one, and a
// failure leaves the old file exactly as it was. `systemError`, when given,
// receives the system's reason for a failure (GetLastError() on Windows,
// errno elsewhere), 0 on success.
FileStatus replaceFileAtomically(const std::filesystem::path& path, std::string_view bytes,
                                 int* systemError = nullptr);

// Whether a new file may be created beside the target right now: one is
// created there and removed again. Only the attempt answers for every
// reason that may refuse (the folder's rights or mode bits, a policy,
// read-only media, protected folders), where reading the rights would miss
// some and guess at others.
bool mayCreateFileBeside(const std::filesystem::path& target);

// Whether this user may write the existing file right now: it is opened for
// writing and closed again, changing nothing. As above, only the attempt
// answers for every reason (rights, an integrity label, the read-only
// attribute, mode bits). A file another program holds open without sharing
// counts as writable: it is closed to this user only for the moment.
bool mayWriteFile(const std::filesystem::path& path);

}  // namespace nolt
