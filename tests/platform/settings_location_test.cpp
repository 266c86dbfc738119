// Where the settings go on Windows, as a rule over what is known about the
// places (run on every system), and the probe that tells whether a file
// may be created.
#include "platform/settings_location.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/atomic_file.h"
#include "platform/temp_folder.h"

namespace nolt {
namespace {

using P = SettingsPlace;

std::string name(SettingsPlace p) {
  switch (p) {
    case P::Shared: return "C:\\Config.ini";
    case P::PerUser: return "per user";
    case P::VirtualStore: return "VirtualStore";
  }
  return "?";
}

TEST(SettingsLocation, SharedFileWhereItExistsOrMayBeCreatedOtherwiseTheUsersOwn) {
  struct Case {
    const char* what;
    SettingsPlaceFacts facts;  // shared exists, creatable, per-user known, exists, VirtualStore exists
    SettingsPlace load, save;
  };
  const Case cases[] = {
      {"administrator, first start", {false, true, true, false, false}, P::Shared, P::Shared},
      {"C:\\Config.ini made by an administrator", {true, false, true, false, false}, P::Shared, P::Shared},
      {"it wins over the user's own file", {true, false, true, true, true}, P::Shared, P::Shared},
      {"standard user, first start", {false, false, true, false, false}, P::PerUser, P::PerUser},
      {"standard user, later starts", {false, false, true, true, false}, P::PerUser, P::PerUser},
      {"standard user, values an old copy left", {false, false, true, false, true}, P::VirtualStore, P::PerUser},
      {"the user's own file wins over the VirtualStore", {false, false, true, true, true}, P::PerUser, P::PerUser},
      {"C:\\ takes files again: saved there, read from the user's own once",
       {false, true, true, true, false}, P::PerUser, P::Shared},
      {"and from the VirtualStore", {false, true, true, false, true}, P::VirtualStore, P::Shared},
      {"no folder of the user's own", {false, false, false, false, false}, P::Shared, P::Shared},
      {"no folder of the user's own, nothing else known", {false, false, false, true, true}, P::Shared, P::Shared},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const SettingsPlaceChoice choice = chooseSettingsPlaces(c.facts);
    EXPECT_EQ(name(choice.load), name(c.load));
    EXPECT_EQ(name(choice.save), name(c.save));
  }
}

TEST(SettingsLocation, MayCreateFileBesideTriesAndLeavesNothing) {
  test::TempFolder folder;
  test::writeBytes(folder / "plain", "x");
  test::writeBytes(folder / "Config.ini", "[SaveData]\r\n");
  const struct {
    std::filesystem::path target;
    bool may;
  } cases[] = {
      {folder / "Config.ini", true},
      {folder / "New.ini", true},
      {folder / "missing" / "Config.ini", false},
      {folder / "plain" / "Config.ini", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.target.string());
    EXPECT_EQ(mayCreateFileBeside(c.target), c.may);
  }
  EXPECT_EQ(folder.entries().size(), 2u) << "the probe's file is gone";
  EXPECT_EQ(test::readBytes(folder / "Config.ini"), "[SaveData]\r\n");
}

}  // namespace
}  // namespace nolt
