#include "platform/atomic_file.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <system_error>

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace nolt {
namespace {

std::atomic<unsigned> tempCounter{0};

#ifdef _WIN32
unsigned long processId() { return GetCurrentProcessId(); }
#else
unsigned long processId() { return static_cast<unsigned long>(getpid()); }
#endif

constexpr const char* kTempMarker = ".tmp-";

// A name no other save, in this process or another, is using right now.
std::filesystem::path tempPathFor(const std::filesystem::path& target) {
  std::filesystem::path temp = target;
  temp += kTempMarker + std::to_string(processId()) + "-" + std::to_string(tempCounter++);
  return temp;
}

// A save killed between creating and renaming its temporary file leaves it
// behind. Ones older than any save could take are removed, so that crashes do
// not pile them up beside the settings file.
void removeStaleTemps(const std::filesystem::path& target) {
  using std::filesystem::directory_iterator;
  constexpr auto kStaleAfter = std::chrono::minutes(1);
  const auto prefix = target.filename().native() + std::filesystem::path(kTempMarker).native();
  const auto now = std::filesystem::file_time_type::clock::now();
  const std::filesystem::path folder = target.has_parent_path() ? target.parent_path() : ".";
  std::error_code ec;
  for (auto it = directory_iterator(folder, ec); !ec && it != directory_iterator(); it.increment(ec)) {
    if (!it->path().filename().native().starts_with(prefix)) continue;
    std::error_code entryError;
    const auto written = it->last_write_time(entryError);
    if (!entryError && now - written > kStaleAfter) std::filesystem::remove(it->path(), entryError);
  }
}

#ifdef _WIN32

bool isReadOnly(const std::filesystem::path& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0;
}

FileStatus writeTemp(const std::filesystem::path& temp, std::string_view bytes) {
  HANDLE file = CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return FileStatus::CreateFailed;
  bool ok = true;
  while (ok && !bytes.empty()) {
    DWORD written = 0;
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 20));
    ok = WriteFile(file, bytes.data(), chunk, &written, nullptr) && written > 0;
    bytes.remove_prefix(written);
  }
  ok = ok && FlushFileBuffers(file);
  ok = CloseHandle(file) && ok;
  return ok ? FileStatus::Ok : FileStatus::WriteFailed;
}

bool renameOver(const std::filesystem::path& temp, const std::filesystem::path& target) {
  return MoveFileExW(temp.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
}

#else

bool isReadOnly(const std::filesystem::path& path) {
  return access(path.c_str(), F_OK) == 0 && access(path.c_str(), W_OK) != 0;
}

// The new file keeps the permissions of the file it replaces.
mode_t modeFor(const std::filesystem::path& target) {
  struct stat st {};
  return stat(target.c_str(), &st) == 0 ? (st.st_mode & 07777) : 0644;
}

FileStatus writeTemp(const std::filesystem::path& temp, std::string_view bytes, mode_t mode) {
  const int fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  if (fd < 0) return FileStatus::CreateFailed;
  bool ok = true;
  while (ok && !bytes.empty()) {
    const ssize_t n = write(fd, bytes.data(), bytes.size());
    ok = n > 0;
    if (ok) bytes.remove_prefix(static_cast<std::size_t>(n));
  }
  ok = ok && fchmod(fd, mode) == 0 && fsync(fd) == 0;
  ok = close(fd) == 0 && ok;
  return ok ? FileStatus::Ok : FileStatus::WriteFailed;
}

// Makes the rename itself durable; a failure here changes nothing visible.
void syncFolder(const std::filesystem::path& target) {
  const std::filesystem::path folder = target.has_parent_path() ? target.parent_path() : ".";
  const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  fsync(fd);
  close(fd);
}

bool renameOver(const std::filesystem::path& temp, const std::filesystem::path& target) {
  if (std::rename(temp.c_str(), target.c_str()) != 0) return false;
  syncFolder(target);
  return true;
}

#endif

}  // namespace

FileContents readWholeFile(const std::filesystem::path& path) {
  std::error_code ec;
  const auto kind = std::filesystem::status(path, ec).type();
  if (kind == std::filesystem::file_type::not_found) return {FileStatus::NotFound, {}};
  if (kind != std::filesystem::file_type::regular) return {FileStatus::ReadFailed, {}};
  std::ifstream in(path, std::ios::binary);
  if (!in) return {FileStatus::ReadFailed, {}};
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) return {FileStatus::ReadFailed, {}};
  return {FileStatus::Ok, std::move(bytes)};
}

FileStatus replaceFileAtomically(const std::filesystem::path& path, std::string_view bytes) {
  if (isReadOnly(path)) return FileStatus::ReadOnly;
  const std::filesystem::path temp = tempPathFor(path);
#ifdef _WIN32
  const FileStatus written = writeTemp(temp, bytes);
#else
  const FileStatus written = writeTemp(temp, bytes, modeFor(path));
#endif
  if (written == FileStatus::CreateFailed) return written;
  if (written == FileStatus::Ok && renameOver(temp, path)) {
    removeStaleTemps(path);
    return FileStatus::Ok;
  }
  std::error_code ec;
  std::filesystem::remove(temp, ec);
  return written == FileStatus::Ok ? FileStatus::ReplaceFailed : written;
}

}  // namespace nolt
