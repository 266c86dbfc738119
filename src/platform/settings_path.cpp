#include "platform/settings_path.h"

#include <cstdlib>
#include <optional>
#include <string>

#ifndef _WIN32
#include <pwd.h>
#include <unistd.h>
#endif

namespace nolt {
namespace {

#ifdef _WIN32

// The root of drive C:, written the way the tool has always written it.
constexpr const wchar_t* kWindowsSettingsFile = L"C://Config.ini";

std::optional<std::filesystem::path> pathFromEnvironment() {
  // The wide variant keeps names outside the ANSI code page intact.
  const wchar_t* value = _wgetenv(L"NOLT_PCCLIENT_CONFIG");
  if (value == nullptr || *value == L'\0') return std::nullopt;
  return std::filesystem::path(value);
}

std::filesystem::path defaultPath() { return kWindowsSettingsFile; }

#else

constexpr const char* kAppFolder = "nolt-pcclient";
constexpr const char* kSettingsFileName = "Config.ini";

std::optional<std::filesystem::path> pathFromEnvironment() {
  const char* value = std::getenv(kSettingsPathVariable);
  if (value == nullptr || *value == '\0') return std::nullopt;
  return std::filesystem::path(value);
}

std::filesystem::path homeFolder() {
  if (const char* home = std::getenv("HOME"); home != nullptr && *home == '/') return home;
  if (const passwd* entry = getpwuid(getuid()); entry != nullptr && entry->pw_dir != nullptr) return entry->pw_dir;
  return "/";
}

std::filesystem::path configFolder() {
  // Only an absolute XDG_CONFIG_HOME counts; a relative one is to be ignored.
  if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg != nullptr && *xdg == '/') return xdg;
  return homeFolder() / ".config";
}

std::filesystem::path defaultPath() { return configFolder() / kAppFolder / kSettingsFileName; }

#endif

}  // namespace

std::filesystem::path settingsFilePath() {
  if (auto fromEnvironment = pathFromEnvironment()) return *fromEnvironment;
  return defaultPath();
}

}  // namespace nolt
