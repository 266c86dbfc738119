#pragma once

#include <array>
#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "platform/atomic_file.h"

namespace nolt {

// The section that holds the saved dialog fields.
inline constexpr std::string_view kSettingsSection = "SaveData";

// What a read yields for a key (or section) that is not in the file.
inline constexpr std::string_view kMissingSetting = "NULL";

// The saved fields, in the order in which they are read and written.
enum class SettingKey : std::size_t { LinkIP, LinkPort, DstIp, Gateway, DNS, UdpDstIp, UdpPort };
inline constexpr std::size_t kSettingCount = 7;
inline constexpr std::array<std::string_view, kSettingCount> kSettingKeyNames = {
    "LinkIP", "LinkPort", "DstIp", "Gateway", "DNS", "UdpDstIp", "UdpPort"};

// One text per saved field, indexed by SettingKey.
struct SettingsValues {
  std::array<std::string, kSettingCount> texts;

  std::string& operator[](SettingKey key) { return texts[static_cast<std::size_t>(key)]; }
  const std::string& operator[](SettingKey key) const { return texts[static_cast<std::size_t>(key)]; }
  bool operator==(const SettingsValues&) const = default;
};

// The seven texts as a load reads them from the file's bytes.
SettingsValues settingsFromBytes(std::string_view fileBytes);

// The file's bytes after a save of `values` into a file that held
// `fileBytes` (empty: no file yet); nothing when a text cannot be stored
// (it holds a line break or a NUL).
std::optional<std::string> settingsSavedInto(std::string_view fileBytes, const SettingsValues& values);

// Loading and saving the dialog fields in the settings file.
class SettingsStore {
 public:
  explicit SettingsStore(std::filesystem::path file);

  const std::filesystem::path& path() const { return file_; }

  // Nothing when no file exists; otherwise the seven texts as read, each
  // "NULL" when missing and cut to 259 characters. A file that cannot be
  // read whole reads as all "NULL"; `status`, when given, says why.
  std::optional<SettingsValues> load(FileStatus* status = nullptr) const;

  // Writes the seven keys in their order in one atomic replace, creating
  // the file's folder when it is missing. A failure leaves the old file as
  // it was; `systemError`, when given, receives the system's reason.
  FileStatus save(const SettingsValues& values, int* systemError = nullptr) const;

 private:
  std::filesystem::path file_;
};

// Loaded texts are applied only when LinkIP, LinkPort and DstIp all hold
// something other than exactly "NULL" (letter case counts: "null" applies).
bool shouldApplyLoadedSettings(const SettingsValues& values);

}  // namespace nolt
