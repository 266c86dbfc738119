#pragma once

#include <filesystem>

namespace nolt {

// Names another settings file on every platform (tests, demos, portable use).
inline constexpr const char* kSettingsPathVariable = "NOLT_PCCLIENT_CONFIG";

// Where the settings file lives: the file named by NOLT_PCCLIENT_CONFIG when
// it is set and not empty; otherwise "C://Config.ini" on Windows and
// $XDG_CONFIG_HOME/nolt-pcclient/Config.ini (by default
// ~/.config/nolt-pcclient/Config.ini) elsewhere.
std::filesystem::path settingsFilePath();

}  // namespace nolt
