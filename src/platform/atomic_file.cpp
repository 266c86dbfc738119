#include "platform/atomic_file.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cerrno>
#include <cstdio>
#include <optional>
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
int lastSystemError() { return static_cast<int>(GetLastError()); }
constexpr int kAccessDenied = ERROR_ACCESS_DENIED;
#else
unsigned long processId() { return static_cast<unsigned long>(getpid()); }
int lastSystemError() { return errno; }
constexpr int kAccessDenied = EACCES;
#endif

constexpr const char* kTempMarker = ".tmp-";

// A name no other save, in this process or another, is using right now.
std::filesystem::path tempPathFor(const std::filesystem::path& target) {
  std::filesystem::path temp = target;
  temp += kTempMarker + std::to_string(processId()) + "-" + std::to_string(tempCounter++);
  return temp;
}

// The file a path names, following symbolic links (a settings file kept by a
// dotfile manager is a link into its repository). The links themselves are
// left alone; a link to a file not yet there leads to where it will be.
std::filesystem::path followLinks(std::filesystem::path path) {
  constexpr int kMaxHops = 40;  // as the system's own limit on link chains
  for (int hop = 0; hop < kMaxHops; ++hop) {
    std::error_code ec;
    if (!std::filesystem::is_symlink(std::filesystem::symlink_status(path, ec))) return path;
    const std::filesystem::path target = std::filesystem::read_symlink(path, ec);
    if (ec) return path;
    path = target.is_absolute() ? target : path.parent_path() / target;
  }
  return path;
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

// Reads a file of the given size (nothing: not a file that can be read)
// through readChunk, which returns the bytes it read, 0 at the end or -1 on
// an error. An error part-way fails the whole read, so that a partly read
// file never passes for the whole one.
template <typename ReadChunk>
FileContents readUpToBound(std::optional<unsigned long long> size, ReadChunk readChunk) {
  if (!size) return {FileStatus::ReadFailed, {}};
  if (*size > kMaxReadBytes) return {FileStatus::TooLarge, {}};
  FileContents out;
  char buffer[64 * 1024];
  for (;;) {
    const long long n = readChunk(buffer, sizeof buffer);
    if (n < 0) return {FileStatus::ReadFailed, {}, lastSystemError()};
    if (n == 0) return out;
    out.bytes.append(buffer, static_cast<std::size_t>(n));
    if (out.bytes.size() > kMaxReadBytes) return {FileStatus::TooLarge, {}};  // it grew while being read
  }
}

#ifdef _WIN32

bool isReadOnly(const std::filesystem::path& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0;
}

// Writes all bytes, makes them reach the disk and closes the file; the
// system's reason for a failure goes to `error`.
bool writeAllAndClose(HANDLE file, std::string_view bytes, bool truncate, int& error) {
  bool ok = true;
  while (ok && !bytes.empty()) {
    DWORD written = 0;
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 20));
    ok = WriteFile(file, bytes.data(), chunk, &written, nullptr) && written > 0;
    bytes.remove_prefix(written);
  }
  ok = ok && (!truncate || SetEndOfFile(file)) && FlushFileBuffers(file);
  if (!ok) error = lastSystemError();
  if (!CloseHandle(file) && ok) {
    error = lastSystemError();
    ok = false;
  }
  return ok;
}

FileStatus writeTemp(const std::filesystem::path& temp, std::string_view bytes, int& error) {
  HANDLE file = CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    error = lastSystemError();
    return FileStatus::CreateFailed;
  }
  return writeAllAndClose(file, bytes, false, error) ? FileStatus::Ok : FileStatus::WriteFailed;
}

FileStatus writeInPlace(const std::filesystem::path& target, std::string_view bytes, int& error) {
  HANDLE file = CreateFileW(target.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    error = lastSystemError();
    return FileStatus::CreateFailed;
  }
  return writeAllAndClose(file, bytes, true, error) ? FileStatus::Ok : FileStatus::WriteFailed;
}

// A new file that vanishes again when closed, also should the process die.
bool createAndDelete(const std::filesystem::path& probe) {
  HANDLE file = CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                            FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  CloseHandle(file);
  return true;
}

bool openForWriting(const std::filesystem::path& path) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION;
  }
  CloseHandle(file);
  return true;
}

FileContents readBounded(const std::filesystem::path& path) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return {FileStatus::ReadFailed, {}, lastSystemError()};
  LARGE_INTEGER size{};
  const bool sized = GetFileSizeEx(file, &size);
  FileContents out = readUpToBound(sized ? std::optional<unsigned long long>(size.QuadPart) : std::nullopt,
                                   [file](char* buffer, std::size_t capacity) -> long long {
                                     DWORD got = 0;
                                     const DWORD want = static_cast<DWORD>(capacity);
                                     return ReadFile(file, buffer, want, &got, nullptr) ? got : -1;
                                   });
  CloseHandle(file);
  return out;
}

bool renameOver(const std::filesystem::path& temp, const std::filesystem::path& target) {
  return MoveFileExW(temp.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
}

#else

bool isReadOnly(const std::filesystem::path& path) {
  return access(path.c_str(), F_OK) == 0 && access(path.c_str(), W_OK) != 0;
}

// The permissions of the file being replaced, or nothing for a new file.
std::optional<mode_t> modeOf(const std::filesystem::path& target) {
  struct stat st {};
  if (stat(target.c_str(), &st) != 0) return std::nullopt;
  return st.st_mode & 07777;
}

bool writeAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = write(fd, bytes.data(), bytes.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

// Makes the bytes reach the disk and closes the descriptor; the system's
// reason for a failure goes to `error`.
bool syncAndClose(int fd, bool ok, int& error) {
  ok = ok && fsync(fd) == 0;
  if (!ok) error = lastSystemError();
  if (close(fd) != 0 && ok) {
    error = lastSystemError();
    ok = false;
  }
  return ok;
}

// The temporary file takes the old file's permissions. With no old file it
// is created as any new file is (0666 less the umask, or the folder's
// default ACL); otherwise it starts private, so that nobody reads the new
// contents of a file they could not read before.
FileStatus writeTemp(const std::filesystem::path& temp, std::string_view bytes, std::optional<mode_t> mode,
                     int& error) {
  const int fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode ? 0600 : 0666);
  if (fd < 0) {
    error = lastSystemError();
    return FileStatus::CreateFailed;
  }
  const bool ok = writeAll(fd, bytes) && (!mode || fchmod(fd, *mode) == 0);
  return syncAndClose(fd, ok, error) ? FileStatus::Ok : FileStatus::WriteFailed;
}

FileStatus writeInPlace(const std::filesystem::path& target, std::string_view bytes, int& error) {
  const int fd = open(target.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) {
    error = lastSystemError();
    return FileStatus::CreateFailed;
  }
  // Written over the old bytes, then cut to length: the file is never
  // shorter than either text while this runs.
  const bool ok = writeAll(fd, bytes) && ftruncate(fd, static_cast<off_t>(bytes.size())) == 0;
  return syncAndClose(fd, ok, error) ? FileStatus::Ok : FileStatus::WriteFailed;
}

bool createAndDelete(const std::filesystem::path& probe) {
  const int fd = open(probe.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  if (fd < 0) return false;
  close(fd);
  unlink(probe.c_str());
  return true;
}

// Without O_NONBLOCK a FIFO would hold the open until a reader came.
bool openForWriting(const std::filesystem::path& path) {
  const int fd = open(path.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
  if (fd < 0) return false;
  close(fd);
  return true;
}

FileContents readBounded(const std::filesystem::path& path) {
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
  if (fd < 0) return {FileStatus::ReadFailed, {}, lastSystemError()};
  struct stat st {};
  const bool regular = fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
  FileContents out = readUpToBound(regular ? std::optional<unsigned long long>(st.st_size) : std::nullopt,
                                   [fd](char* buffer, std::size_t capacity) -> long long {
                                     ssize_t n = 0;
                                     do n = read(fd, buffer, capacity);
                                     while (n < 0 && errno == EINTR);
                                     return n;
                                   });
  close(fd);
  return out;
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
  return readBounded(path);
}

FileStatus replaceFileAtomically(const std::filesystem::path& link, std::string_view bytes, int* systemError) {
  int ignored = 0;
  int& error = systemError ? *systemError : ignored;
  error = 0;
  // The temporary file and the rename go beside the file the links lead
  // to, so that the links stay links.
  const std::filesystem::path path = followLinks(link);
  if (isReadOnly(path)) {
    error = kAccessDenied;
    return FileStatus::ReadOnly;
  }
  const std::filesystem::path temp = tempPathFor(path);
#ifdef _WIN32
  const FileStatus written = writeTemp(temp, bytes, error);
#else
  const FileStatus written = writeTemp(temp, bytes, modeOf(path), error);
#endif
  if (written == FileStatus::CreateFailed) {
    // A folder that takes no new files but holds a writable settings file
    // (an ordinary user's C:\ on Windows): write in place, as the platform's
    // own profile functions do, rather than lose the save.
    std::error_code ec;
    if (std::filesystem::is_regular_file(path, ec)) return writeInPlace(path, bytes, error);
    return written;
  }
  if (written == FileStatus::Ok) {
    if (renameOver(temp, path)) {
      removeStaleTemps(path);
      return FileStatus::Ok;
    }
    error = lastSystemError();
  }
  std::error_code ec;
  std::filesystem::remove(temp, ec);
  return written == FileStatus::Ok ? FileStatus::ReplaceFailed : written;
}

bool mayCreateFileBeside(const std::filesystem::path& target) {
  return createAndDelete(tempPathFor(followLinks(target)));
}

// A file a save would refuse as read-only counts as such here too, also
// where the system would let it be opened (wine run as root).
bool mayWriteFile(const std::filesystem::path& path) {
  std::error_code ec;
  return std::filesystem::is_regular_file(path, ec) && !isReadOnly(path) && openForWriting(path);
}

}  // namespace nolt
