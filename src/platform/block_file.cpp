#include "platform/block_file.h"

#include <algorithm>
#include <utility>

#ifdef _WIN32
#include <windows.h>
#else
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>
#endif

namespace nolt {

namespace {

constexpr std::uintptr_t kClosed = ~std::uintptr_t{0};

#ifdef _WIN32
HANDLE native(std::uintptr_t h) { return reinterpret_cast<HANDLE>(h); }

std::uintptr_t openNative(const std::filesystem::path& path, int* error)
{
    const HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                                 FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h != INVALID_HANDLE_VALUE) return reinterpret_cast<std::uintptr_t>(h);
    *error = static_cast<int>(GetLastError());
    return kClosed;
}

// Writes all of it at the file's position; false with the reason otherwise.
bool writeAll(std::uintptr_t h, std::span<const std::uint8_t> bytes, int* error)
{
    while (!bytes.empty()) {
        DWORD written = 0;
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 20));
        if (!WriteFile(native(h), bytes.data(), chunk, &written, nullptr) || written == 0) {
            *error = static_cast<int>(GetLastError());
            return false;
        }
        bytes = bytes.subspan(written);
    }
    return true;
}

void cutBack(std::uintptr_t h, std::uint64_t size)
{
    LARGE_INTEGER at;
    at.QuadPart = static_cast<LONGLONG>(size);
    if (SetFilePointerEx(native(h), at, nullptr, FILE_BEGIN)) SetEndOfFile(native(h));
}

void closeNative(std::uintptr_t h) { CloseHandle(native(h)); }
#else
int native(std::uintptr_t h) { return static_cast<int>(h); }

std::uintptr_t openNative(const std::filesystem::path& path, int* error)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd >= 0) return static_cast<std::uintptr_t>(fd);
    *error = errno;
    return kClosed;
}

bool writeAll(std::uintptr_t h, std::span<const std::uint8_t> bytes, int* error)
{
    while (!bytes.empty()) {
        const ssize_t n = ::write(native(h), bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            *error = n < 0 ? errno : EIO;
            return false;
        }
        bytes = bytes.subspan(static_cast<std::size_t>(n));
    }
    return true;
}

void cutBack(std::uintptr_t h, std::uint64_t size)
{
    if (::ftruncate(native(h), static_cast<off_t>(size)) == 0) ::lseek(native(h), static_cast<off_t>(size), SEEK_SET);
}

void closeNative(std::uintptr_t h) { ::close(native(h)); }
#endif

}  // namespace

BlockFile::~BlockFile() { close(); }

BlockFile::BlockFile(BlockFile&& other) noexcept
    : handle_(std::exchange(other.handle_, kClosed)), size_(std::exchange(other.size_, 0))
{
}

BlockFile& BlockFile::operator=(BlockFile&& other) noexcept
{
    if (this != &other) {
        close();
        handle_ = std::exchange(other.handle_, kClosed);
        size_ = std::exchange(other.size_, 0);
    }
    return *this;
}

std::optional<BlockFile> BlockFile::create(const std::filesystem::path& path, int* systemError)
{
    int error = 0;
    BlockFile file;
    file.handle_ = openNative(path, &error);
    if (systemError) *systemError = error;
    if (!file.isOpen()) return std::nullopt;
    return file;
}

bool BlockFile::append(std::span<const std::uint8_t> block, int* systemError)
{
    int error = 0;
    const bool ok = isOpen() && writeAll(handle_, block, &error);
    if (ok) {
        size_ += block.size();
    } else if (isOpen()) {
        cutBack(handle_, size_);
    }
    if (systemError) *systemError = error;
    return ok;
}

bool BlockFile::isOpen() const { return handle_ != kClosed; }

void BlockFile::close()
{
    if (isOpen()) closeNative(std::exchange(handle_, kClosed));
}

}  // namespace nolt
