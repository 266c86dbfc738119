#include "platform/profile_file.h"

#include <system_error>
#include <utility>

#include "platform/profile_encoding.h"
#include "platform/profile_text.h"

namespace nolt {

ProfileFile::ProfileFile(std::filesystem::path path) : path_(std::move(path)) {}

bool ProfileFile::exists() const {
  std::error_code ec;
  return std::filesystem::exists(path_, ec);
}

std::string ProfileFile::read(std::string_view section, std::string_view key, std::string_view fallback) const {
  return std::move(readAll(section, std::span(&key, 1), fallback).front());
}

std::vector<std::string> ProfileFile::readAll(std::string_view section, std::span<const std::string_view> keys,
                                              std::string_view fallback, FileStatus* status) const {
  const FileContents file = readWholeFile(path_);
  if (status) *status = file.status;
  DecodedProfile profile;
  if (file.status == FileStatus::Ok) profile = decodeProfile(file.bytes);
  std::vector<std::string> values;
  for (std::string_view key : keys) {
    std::string value(fallback);
    if (file.status == FileStatus::Ok) {
      if (auto found = profileTextRead(profile.text, section, key)) value = std::move(*found);
    }
    // The value reaches the caller through a terminated buffer.
    if (const auto nul = value.find('\0'); nul != std::string::npos) value.resize(nul);
    values.push_back(cutToUnits(std::move(value), kValueBufferChars - 1, profile.encoding));
  }
  return values;
}

FileStatus ProfileFile::write(std::string_view section, std::string_view key, std::string_view value) const {
  const ProfileEntry entry{key, value};
  return writeAll(section, std::span<const ProfileEntry>(&entry, 1));
}

FileStatus ProfileFile::writeAll(std::string_view section, std::span<const ProfileEntry> entries,
                                 int* systemError) const {
  if (systemError) *systemError = 0;
  if (!isStorableProfileName(section)) return FileStatus::WriteFailed;
  for (const ProfileEntry& entry : entries) {
    if (!isStorableProfileName(entry.key) || !isStorableProfileValue(entry.value)) return FileStatus::WriteFailed;
  }
  FileContents file = readWholeFile(path_);
  // A file that exists but cannot be read must not be replaced: its other
  // lines would be lost.
  if (file.status != FileStatus::Ok && file.status != FileStatus::NotFound) {
    if (systemError) *systemError = file.systemError;
    return file.status;
  }
  const DecodedProfile profile = decodeProfile(file.bytes);
  std::string text = profile.text;
  for (const ProfileEntry& entry : entries) text = profileTextWrite(text, section, entry.key, entry.value);
  if (file.status == FileStatus::Ok && text == profile.text) return FileStatus::Ok;
  return replaceFileAtomically(path_, encodeProfile(text, profile.encoding), systemError);
}

}  // namespace nolt
