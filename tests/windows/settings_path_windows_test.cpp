#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/profile_file.h"
#include "platform/settings_path.h"
#include "platform/temp_folder.h"

namespace nolt {
namespace {

TEST(SettingsPathWindows, FixedFileAtTheRootOfDriveC) {
  _putenv_s(kSettingsPathVariable, "");
  EXPECT_EQ(settingsFilePath(), std::filesystem::path(L"C://Config.ini"));
}

TEST(SettingsPathWindows, EnvironmentNamesAnotherFile) {
  test::TempFolder folder;
  _putenv_s(kSettingsPathVariable, (folder / "mine.ini").string().c_str());
  EXPECT_EQ(settingsFilePath(), folder / "mine.ini");
  _putenv_s(kSettingsPathVariable, "");
}

// The fixed path really reaches the root of drive C: (wine maps it into its
// prefix), and the platform's own functions find what we wrote there.
TEST(SettingsPathWindows, FixedPathIsUsableAndSharedWithThePlatform) {
  _putenv_s(kSettingsPathVariable, "");
  const std::filesystem::path path = settingsFilePath();
  if (std::filesystem::exists(path)) GTEST_SKIP() << "a real C:\\Config.ini exists; left alone";
  const ProfileFile file(path);
  ASSERT_EQ(file.write("SaveData", "LinkPort", "2000"), FileStatus::Ok);
  wchar_t buffer[260] = {};
  GetPrivateProfileStringW(L"savedata", L"linkport", L"NULL", buffer, 260, L"C:\\Config.ini");
  EXPECT_STREQ(buffer, L"2000");
  EXPECT_EQ(file.read("SaveData", "LinkPort", "NULL"), "2000");
  std::filesystem::remove(path);
}

// A file marked read-only is not replaced. (Windows refuses to write it
// too; wine running as root writes it all the same, so the platform is not
// asked here.)
TEST(SettingsPathWindows, ReadOnlyFileIsLeftAlone) {
  test::TempFolder folder;
  const auto path = folder / "Config.ini";
  test::writeBytes(path, "[SaveData]\r\nLinkIP=1\r\n");
  SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY);
  EXPECT_EQ(ProfileFile(path).write("SaveData", "LinkIP", "2"), FileStatus::ReadOnly);
  EXPECT_EQ(test::readBytes(path), "[SaveData]\r\nLinkIP=1\r\n");
  SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
}

// A folder that takes no new files but holds a writable settings file, as an
// ordinary user's C:\ does: the save goes into the file in place. Whether
// a folder can be made to refuse new files depends on the system (under
// wine run as root nothing refuses), so the folder is probed first.
TEST(SettingsPathWindows, SaveGoesInPlaceWhenTheFolderRefusesNewFiles) {
  test::TempFolder folder;
  const auto file = folder / "Config.ini";
  test::writeBytes(file, "[SaveData]\r\nLinkIP=" + std::string(3000, '1') + "\r\n");
  SetFileAttributesW(folder.path().c_str(), FILE_ATTRIBUTE_READONLY);
  const HANDLE probe = CreateFileW((folder / "probe").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                   FILE_ATTRIBUTE_NORMAL | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
  const bool refuses = probe == INVALID_HANDLE_VALUE;
  if (!refuses) CloseHandle(probe);
  const FileStatus saved = refuses ? ProfileFile(file).write("SaveData", "LinkIP", "8") : FileStatus::Ok;
  SetFileAttributesW(folder.path().c_str(), FILE_ATTRIBUTE_NORMAL);
  if (!refuses) GTEST_SKIP() << "no way here to make a folder refuse new files (wine run as root?)";
  EXPECT_EQ(saved, FileStatus::Ok);
  EXPECT_EQ(test::readBytes(file), "[SaveData]\r\nLinkIP=8\r\n");
  EXPECT_EQ(folder.entries(), std::vector<std::string>{"Config.ini"});
}

}  // namespace
}  // namespace nolt
