#include "platform/settings_location.h"

namespace nolt {

SettingsPlaceChoice chooseSettingsPlaces(const SettingsPlaceFacts& facts) {
  // Without a folder of the user's own there is nowhere else to go: the save
  // is tried at C:\ and a failure is said.
  const bool sharedUsable = facts.sharedExists ? facts.sharedWritable : facts.sharedCreatable;
  const bool shared = sharedUsable || !facts.perUserKnown;
  const SettingsPlace save = shared ? SettingsPlace::Shared : SettingsPlace::PerUser;
  SettingsPlace load = save;
  if (facts.sharedExists && shared)
    load = SettingsPlace::Shared;
  else if (facts.perUserKnown && facts.perUserExists)
    load = SettingsPlace::PerUser;
  else if (facts.perUserKnown && facts.virtualStoreExists)
    load = SettingsPlace::VirtualStore;
  else if (facts.sharedExists)
    load = SettingsPlace::Shared;
  return {load, save};
}

}  // namespace nolt
