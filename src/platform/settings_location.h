// Which settings file a start reads and a close writes on Windows, decided
// from what is known about the places a file may be in. Pure, so that the
// rule is tested on every system; settings_path.cpp gathers the facts.
#pragma once

namespace nolt {

enum class SettingsPlace {
  Shared,        // C:\Config.ini, where the tool has always kept its settings
  PerUser,       // %LOCALAPPDATA%\nolt-pcclient\Config.ini
  VirtualStore,  // %LOCALAPPDATA%\VirtualStore\Config.ini, left by an old copy of the tool
};

struct SettingsPlaceFacts {
  bool sharedExists = false;
  bool sharedWritable = false;   // this user may write it (only asked when it exists)
  bool sharedCreatable = false;  // a new file may be created in its folder (only asked when it does not exist)
  bool perUserKnown = false;     // the system named the user's local application data folder
  bool perUserExists = false;
  bool virtualStoreExists = false;
};

struct SettingsPlaceChoice {
  SettingsPlace load;
  SettingsPlace save;
  bool operator==(const SettingsPlaceChoice&) const = default;
};

// C:\Config.ini is kept wherever this user may write it or create it (files
// and people rely on it); otherwise the settings live in the user's own
// folder. A start reads the first file that exists of C:\Config.ini (when
// it is the one saved to), the user's own, the one an old unmanifested copy
// "wrote" into the VirtualStore, and C:\Config.ini, so that values typed
// before reach the file saved from now on. A C:\Config.ini this user may
// only read (one an elevated run made) thus gives a first start its values,
// and the user's own file takes every save and is read from then on.
SettingsPlaceChoice chooseSettingsPlaces(const SettingsPlaceFacts& facts);

}  // namespace nolt
