// Where the settings go on Windows, as a rule over what is known about the
// places (run on every system), and the probes that tell whether a file
// may be created or written.
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

TEST(SettingsLocation, SharedFileWhereItMayBeWrittenOrCreatedOtherwiseTheUsersOwn) {
  struct Case {
    const char* what;
    // shared exists, writable, creatable; per-user known, exists; VirtualStore exists
    SettingsPlaceFacts facts;
    SettingsPlace load, save;
  };
  const Case cases[] = {
      {"administrator, first start", {false, false, true, true, false, false}, P::Shared, P::Shared},
      {"C:\\Config.ini this user may write", {true, true, false, true, false, false}, P::Shared, P::Shared},
      {"it wins over the user's own file", {true, true, false, true, true, true}, P::Shared, P::Shared},
      {"C:\\Config.ini this user may only read, first start", {true, false, false, true, false, false}, P::Shared,
       P::PerUser},
      {"and later starts", {true, false, false, true, true, false}, P::PerUser, P::PerUser},
      {"and values an old copy left", {true, false, false, true, false, true}, P::VirtualStore, P::PerUser},
      {"the user's own file wins there too", {true, false, false, true, true, true}, P::PerUser, P::PerUser},
      {"C:\\Config.ini this user may only read, no folder of the user's own", {true, false, false, false, true, true},
       P::Shared, P::Shared},
      {"standard user, first start", {false, false, false, true, false, false}, P::PerUser, P::PerUser},
      {"standard user, later starts", {false, false, false, true, true, false}, P::PerUser, P::PerUser},
      {"standard user, values an old copy left", {false, false, false, true, false, true}, P::VirtualStore,
       P::PerUser},
      {"the user's own file wins over the VirtualStore", {false, false, false, true, true, true}, P::PerUser,
       P::PerUser},
      {"C:\\ takes files again: saved there, read from the user's own once",
       {false, false, true, true, true, false}, P::PerUser, P::Shared},
      {"and from the VirtualStore", {false, false, true, true, false, true}, P::VirtualStore, P::Shared},
      {"no folder of the user's own", {false, false, false, false, false, false}, P::Shared, P::Shared},
      {"no folder of the user's own, nothing else known", {false, false, false, false, true, true}, P::Shared,
       P::Shared},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const SettingsPlaceChoice choice = chooseSettingsPlaces(c.facts);
    EXPECT_EQ(name(choice.load), name(c.load));
    EXPECT_EQ(name(choice.save), name(c.save));
  }
}

// Both probes try for real and leave the folder and the file as they were.
// (A file this user may only read is refused in the standard user's run of
// the tool, tests/windows: here, run as root, every file may be written.)
TEST(SettingsLocation, ProbesTryAndLeaveNothing) {
  test::TempFolder folder;
  test::writeBytes(folder / "plain", "x");
  test::writeBytes(folder / "Config.ini", "[SaveData]\r\n");
  std::filesystem::create_directory(folder / "sub");
  const auto written = std::filesystem::last_write_time(folder / "Config.ini");
  const struct {
    std::filesystem::path target;
    bool mayCreate, mayWrite;
  } cases[] = {
      {folder / "Config.ini", true, true},
      {folder / "New.ini", true, false},
      {folder / "sub", true, false},
      {folder / "missing" / "Config.ini", false, false},
      {folder / "plain" / "Config.ini", false, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.target.string());
    EXPECT_EQ(mayCreateFileBeside(c.target), c.mayCreate);
    EXPECT_EQ(mayWriteFile(c.target), c.mayWrite);
  }
  EXPECT_EQ(folder.entries().size(), 3u) << "the probe's file is gone";
  EXPECT_EQ(test::readBytes(folder / "Config.ini"), "[SaveData]\r\n");
  EXPECT_EQ(std::filesystem::last_write_time(folder / "Config.ini"), written);
}

}  // namespace
}  // namespace nolt
