#include <windows.h>
#include <knownfolders.h>
#include <objbase.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/atomic_file.h"
#include "platform/profile_file.h"
#include "platform/settings_path.h"
#include "platform/temp_folder.h"

namespace nolt {
namespace {

// Here (wine, or an administrator) C:\ takes new files, so the file stays there.
TEST(SettingsPathWindows, FixedFileAtTheRootOfDriveC) {
  _putenv_s(kSettingsPathVariable, "");
  if (!mayCreateFileBeside(L"C://Config.ini")) GTEST_SKIP() << "C:\\ takes no new files here (a standard user)";
  EXPECT_EQ(settingsFilePath(), std::filesystem::path(L"C://Config.ini"));
}

std::filesystem::path knownLocalAppData() {
  PWSTR folder = nullptr;
  std::filesystem::path out;
  if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_LocalAppData, 0, nullptr, &folder))) out = folder;
  CoTaskMemFree(folder);
  return out;
}

// A start reads the first file that exists of C:\Config.ini, the user's own
// and the one an old copy left in the VirtualStore; the user's folder is the
// one the system names, whatever LOCALAPPDATA says.
TEST(SettingsPathWindows, AStartReadsTheFirstFileThatExists) {
  _putenv_s(kSettingsPathVariable, "");
  const std::filesystem::path shared = L"C://Config.ini";
  const std::filesystem::path local = knownLocalAppData();
  ASSERT_FALSE(local.empty());
  const auto perUser = local / "nolt-pcclient" / "Config.ini";
  const auto virtualStore = local / "VirtualStore" / "Config.ini";
  for (const auto& p : {shared, perUser, virtualStore})
    if (std::filesystem::exists(p)) GTEST_SKIP() << p << " exists; left alone";
  test::TempFolder elsewhere;
  const char* variable = std::getenv("LOCALAPPDATA");
  const std::string before = variable ? variable : "";
  _putenv_s("LOCALAPPDATA", elsewhere.path().string().c_str());
  // Made one after another, each new one is the one read.
  for (const auto& made : {virtualStore, perUser, shared}) {
    std::filesystem::create_directories(made.parent_path());
    test::writeBytes(made, "[SaveData]\r\n");
    EXPECT_EQ(settingsFiles().load, made);
  }
  _putenv_s("LOCALAPPDATA", before.c_str());
  for (const auto& p : {shared, perUser, virtualStore}) std::filesystem::remove(p);
  std::filesystem::remove(perUser.parent_path());
  std::filesystem::remove(virtualStore.parent_path());
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
  EXPECT_FALSE(mayWriteFile(path));
  EXPECT_EQ(ProfileFile(path).write("SaveData", "LinkIP", "2"), FileStatus::ReadOnly);
  EXPECT_EQ(test::readBytes(path), "[SaveData]\r\nLinkIP=1\r\n");
  SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
}

// A file another program holds open without sharing is theirs only for the
// moment: it still counts as one this user may write, so that the settings
// do not move to the user's own file for one start. (A file this user may
// only read, and the in-place save into a C:\ that takes no new file, are
// shown by standard_user_settings.sh, run as a user who is not root.)
TEST(SettingsPathWindows, AFileInUseMayStillBeWritten) {
  test::TempFolder folder;
  const auto path = folder / "Config.ini";
  test::writeBytes(path, "[SaveData]\r\n");
  const HANDLE held = CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  const HANDLE other = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                   OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  const DWORD refusal = other == INVALID_HANDLE_VALUE ? GetLastError() : 0;
  if (other != INVALID_HANDLE_VALUE) CloseHandle(other);
  const bool may = mayWriteFile(path);
  CloseHandle(held);
  EXPECT_EQ(refusal, static_cast<DWORD>(ERROR_SHARING_VIOLATION)) << "the file is held without sharing";
  EXPECT_TRUE(may);
}

}  // namespace
}  // namespace nolt
