#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/atomic_file.h"

namespace nolt {

// One key and its value, as written into a profile section.
struct ProfileEntry {
  std::string_view key;
  std::string_view value;
};

// The values of `keys` in `section` of a profile file's bytes, each as
// ProfileFile::read gives it (the fallback when missing, cut at a NUL and
// to kValueBufferChars - 1 characters). Pure: the file's reading and
// writing below are these two around the disk.
std::vector<std::string> readProfileValues(std::string_view fileBytes, std::string_view section,
                                           std::span<const std::string_view> keys, std::string_view fallback);

// The bytes of the file after setting `entries` in `section`, one key after
// the other, in the file's own encoding (empty bytes: no file yet); the old
// bytes when nothing changes; nothing when a name or value cannot be stored.
std::optional<std::string> writeProfileValues(std::string_view fileBytes, std::string_view section,
                                              std::span<const ProfileEntry> entries);

// A profile (INI) file on disk with the platform's profile semantics (see
// profile_text.h). Every call reads the file afresh, like the platform's
// functions; every write replaces the file in one atomic step.
class ProfileFile {
 public:
  // Values are read into a buffer of this many characters including the
  // terminator, so at most one character fewer reach the caller.
  static constexpr std::size_t kValueBufferChars = 260;

  explicit ProfileFile(std::filesystem::path path);

  const std::filesystem::path& path() const { return path_; }
  bool exists() const;

  // The value of `key` in `section`, cut to kValueBufferChars - 1
  // characters, or `fallback` when the file, the section or the key is
  // missing or the file cannot be read.
  std::string read(std::string_view section, std::string_view key, std::string_view fallback) const;

  // Several values of one section from a single reading of the file, each
  // as read() gives it. `status` says how the reading went: anything but Ok
  // means every value is the fallback.
  std::vector<std::string> readAll(std::string_view section, std::span<const std::string_view> keys,
                                   std::string_view fallback, FileStatus* status = nullptr) const;

  // Sets one key, creating the file and the section when they are missing.
  FileStatus write(std::string_view section, std::string_view key, std::string_view value) const;

  // Sets several keys in one atomic replace; the resulting bytes are those
  // that one write per key, in the given order, would leave. Nothing is
  // written when any name or value cannot be stored (WriteFailed).
  // `systemError`, when given, receives the system's reason for a failure.
  FileStatus writeAll(std::string_view section, std::span<const ProfileEntry> entries,
                      int* systemError = nullptr) const;

 private:
  std::filesystem::path path_;
};

}  // namespace nolt
