#include "platform/profile_file.h"

#include <system_error>
#include <utility>

#include "platform/profile_encoding.h"
#include "platform/profile_text.h"

namespace nolt {
namespace {

bool storable(std::string_view section, std::span<const ProfileEntry> entries) {
  if (!isStorableProfileName(section)) return false;
  for (const ProfileEntry& entry : entries) {
    if (!isStorableProfileName(entry.key) || !isStorableProfileValue(entry.value)) return false;
  }
  return true;
}

}  // namespace

std::vector<std::string> readProfileValues(std::string_view fileBytes, std::string_view section,
                                           std::span<const std::string_view> keys, std::string_view fallback) {
  const DecodedProfile profile = decodeProfile(fileBytes);
  std::vector<std::string> values;
  for (std::string_view key : keys) {
    std::string value = profileTextRead(profile.text, section, key).value_or(std::string(fallback));
    // The value reaches the caller through a terminated buffer.
    if (const auto nul = value.find('\0'); nul != std::string::npos) value.resize(nul);
    values.push_back(cutToUnits(std::move(value), ProfileFile::kValueBufferChars - 1, profile.encoding));
  }
  return values;
}

std::optional<std::string> writeProfileValues(std::string_view fileBytes, std::string_view section,
                                              std::span<const ProfileEntry> entries) {
  if (!storable(section, entries)) return std::nullopt;
  DecodedProfile profile = decodeProfile(fileBytes);
  std::string text = profile.text;
  for (const ProfileEntry& entry : entries) text = profileTextWrite(text, section, entry.key, entry.value);
  if (text == profile.text) return std::string(fileBytes);
  profile.text = std::move(text);
  return encodeProfile(profile);
}

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
  return readProfileValues(file.status == FileStatus::Ok ? std::string_view(file.bytes) : std::string_view(), section, keys, fallback);
}

FileStatus ProfileFile::write(std::string_view section, std::string_view key, std::string_view value) const {
  const ProfileEntry entry{key, value};
  return writeAll(section, std::span<const ProfileEntry>(&entry, 1));
}

FileStatus ProfileFile::writeAll(std::string_view section, std::span<const ProfileEntry> entries,
                                 int* systemError) const {
  if (systemError) *systemError = 0;
  if (!storable(section, entries)) return FileStatus::WriteFailed;
  const FileContents file = readWholeFile(path_);
  // A file that exists but cannot be read must not be replaced: its other
  // lines would be lost.
  if (file.status != FileStatus::Ok && file.status != FileStatus::NotFound) {
    if (systemError) *systemError = file.systemError;
    return file.status;
  }
  const std::optional<std::string> bytes = writeProfileValues(file.bytes, section, entries);
  if (!bytes) return FileStatus::WriteFailed;
  if (file.status == FileStatus::Ok && *bytes == file.bytes) return FileStatus::Ok;
  return replaceFileAtomically(path_, *bytes, systemError);
}

}  // namespace nolt
