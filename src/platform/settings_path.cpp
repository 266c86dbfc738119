#include "platform/settings_path.h"

#include <cstdlib>
#include <optional>
#include <string>
#include <system_error>

#ifdef _WIN32
#include <windows.h>
#include <knownfolders.h>
#include <objbase.h>
#include <shlobj.h>

#include "platform/atomic_file.h"
#include "platform/settings_location.h"
#else
#include <pwd.h>
#include <unistd.h>
#endif

namespace nolt {
namespace {

constexpr const char* kAppFolder = "nolt-pcclient";
constexpr const char* kSettingsFileName = "Config.ini";

#ifdef _WIN32

// The root of drive C:, written the way the tool has always written it.
constexpr const wchar_t* kWindowsSettingsFile = L"C://Config.ini";

std::optional<std::filesystem::path> pathFromEnvironment() {
  // The wide variant keeps names outside the ANSI code page intact.
  const wchar_t* value = _wgetenv(L"NOLT_PCCLIENT_CONFIG");
  if (value == nullptr || *value == L'\0') return std::nullopt;
  return std::filesystem::path(value);
}

// The user's local application data folder as the system names it (an
// environment variable may be missing or point anywhere).
std::optional<std::filesystem::path> localAppData() {
  PWSTR folder = nullptr;
  std::optional<std::filesystem::path> out;
  if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_LocalAppData, KF_FLAG_DEFAULT, nullptr, &folder)) && folder && *folder)
    out = std::filesystem::path(folder);
  CoTaskMemFree(folder);
  return out;
}

bool fileExists(const std::filesystem::path& path) {
  std::error_code ec;
  return std::filesystem::exists(path, ec);
}

SettingsFiles defaultFiles() {
  const std::filesystem::path shared = kWindowsSettingsFile;
  const std::optional<std::filesystem::path> local = localAppData();
  const std::filesystem::path perUser = local ? *local / kAppFolder / kSettingsFileName : shared;
  const std::filesystem::path virtualStore = local ? *local / "VirtualStore" / kSettingsFileName : shared;
  SettingsPlaceFacts facts;
  facts.sharedExists = fileExists(shared);
  facts.sharedWritable = facts.sharedExists && mayWriteFile(shared);
  facts.sharedCreatable = !facts.sharedExists && mayCreateFileBeside(shared);
  facts.perUserKnown = local.has_value();
  facts.perUserExists = local && fileExists(perUser);
  facts.virtualStoreExists = local && fileExists(virtualStore);
  const SettingsPlaceChoice choice = chooseSettingsPlaces(facts);
  const auto pathOf = [&](SettingsPlace place) {
    switch (place) {
    case SettingsPlace::PerUser: return perUser;
    case SettingsPlace::VirtualStore: return virtualStore;
    case SettingsPlace::Shared: break;
    }
    return shared;
  };
  return {pathOf(choice.load), pathOf(choice.save)};
}

#else

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

SettingsFiles defaultFiles() {
  const std::filesystem::path file = configFolder() / kAppFolder / kSettingsFileName;
  return {file, file};
}

#endif

}  // namespace

SettingsFiles settingsFiles() {
  if (auto fromEnvironment = pathFromEnvironment()) return {*fromEnvironment, *fromEnvironment};
  return defaultFiles();
}

std::filesystem::path settingsFilePath() { return settingsFiles().save; }

}  // namespace nolt
