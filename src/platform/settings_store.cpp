#include "platform/settings_store.h"

#include <algorithm>
#include <system_error>
#include <utility>

#include "platform/profile_file.h"

namespace nolt {
namespace {

std::array<ProfileEntry, kSettingCount> entriesOf(const SettingsValues& values) {
  std::array<ProfileEntry, kSettingCount> entries;
  for (std::size_t i = 0; i < kSettingCount; ++i) entries[i] = {kSettingKeyNames[i], values.texts[i]};
  return entries;
}

SettingsValues valuesOf(const std::vector<std::string>& texts) {
  SettingsValues values;
  std::copy(texts.begin(), texts.end(), values.texts.begin());
  return values;
}

}  // namespace

SettingsValues settingsFromBytes(std::string_view fileBytes) {
  return valuesOf(readProfileValues(fileBytes, kSettingsSection, kSettingKeyNames, kMissingSetting));
}

std::optional<std::string> settingsSavedInto(std::string_view fileBytes, const SettingsValues& values) {
  return writeProfileValues(fileBytes, kSettingsSection, entriesOf(values));
}

SettingsStore::SettingsStore(std::filesystem::path file) : file_(std::move(file)) {}

std::optional<SettingsValues> SettingsStore::load(FileStatus* status) const {
  const ProfileFile profile(file_);
  if (!profile.exists()) {
    if (status) *status = FileStatus::NotFound;
    return std::nullopt;
  }
  return valuesOf(profile.readAll(kSettingsSection, kSettingKeyNames, kMissingSetting, status));
}

FileStatus SettingsStore::save(const SettingsValues& values, int* systemError) const {
  std::error_code ec;
  if (file_.has_parent_path() && !std::filesystem::exists(file_.parent_path(), ec))
    std::filesystem::create_directories(file_.parent_path(), ec);
  return ProfileFile(file_).writeAll(kSettingsSection, entriesOf(values), systemError);
}

bool shouldApplyLoadedSettings(const SettingsValues& values) {
  for (SettingKey key : {SettingKey::LinkIP, SettingKey::LinkPort, SettingKey::DstIp}) {
    if (values[key] == kMissingSetting) return false;
  }
  return true;
}

}  // namespace nolt
