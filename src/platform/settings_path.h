#pragma once

#include <filesystem>

namespace nolt {

// Names another settings file on every platform (tests, demos, portable use).
inline constexpr const char* kSettingsPathVariable = "NOLT_PCCLIENT_CONFIG";

// The file a start reads and the file a close writes. They differ only on
// Windows, where a first start may take the values an older copy of the
// tool left elsewhere.
struct SettingsFiles {
  std::filesystem::path load;
  std::filesystem::path save;
};

// Where the settings file lives: the file named by NOLT_PCCLIENT_CONFIG when
// it is set and not empty, for both. Otherwise, on Windows, C:\Config.ini
// where this user may write or create it, else
// %LOCALAPPDATA%\nolt-pcclient\Config.ini (see settings_location.h for the
// whole rule); elsewhere $XDG_CONFIG_HOME/nolt-pcclient/Config.ini (by
// default ~/.config/nolt-pcclient/Config.ini). Looks at the file system
// each time, so that a save goes where it can go at that moment.
SettingsFiles settingsFiles();

// Where a save goes now: settingsFiles().save.
std::filesystem::path settingsFilePath();

}  // namespace nolt
