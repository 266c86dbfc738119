#include "platform/settings_location.h"

namespace nolt {

SettingsPlaceChoice chooseSettingsPlaces(const SettingsPlaceFacts& facts) {
  // Without a folder of the user's own there is nowhere else to go: the save
  // is tried at C:\ and a failure is said.
  const bool shared = facts.sharedExists || facts.sharedCreatable || !facts.perUserKnown;
  const SettingsPlace save = shared ? SettingsPlace::Shared : SettingsPlace::PerUser;
  SettingsPlace load = save;
  if (facts.sharedExists)
    load = SettingsPlace::Shared;
  else if (facts.perUserKnown && facts.perUserExists)
    load = SettingsPlace::PerUser;
  else if (facts.perUserKnown && facts.virtualStoreExists)
    load = SettingsPlace::VirtualStore;
  return {load, save};
}

}  // namespace nolt
