#include "platform/settings_store.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/file_failure_text.h"
#include "platform/temp_folder.h"

namespace nolt {
namespace {

using test::readBytes;
using test::TempFolder;
using test::writeBytes;

SettingsValues firstRunTexts() {
  return {{"192.168.2.119", "2000", "192.168.2.119", "192.168.2.1", "0.0.0.0", "192.168.5.3", "23003"}};
}

constexpr const char* kFirstRunFile =
    "[SaveData]\r\nLinkIP=192.168.2.119\r\nLinkPort=2000\r\nDstIp=192.168.2.119\r\nGateway=192.168.2.1\r\n"
    "DNS=0.0.0.0\r\nUdpDstIp=192.168.5.3\r\nUdpPort=23003\r\n";

TEST(SettingsStore, FirstRunWritesTheSevenKeysInOrder) {
  TempFolder folder;
  const SettingsStore store(folder / "new" / "sub" / "Config.ini");
  EXPECT_EQ(store.load(), std::nullopt);
  ASSERT_EQ(store.save(firstRunTexts()), FileStatus::Ok);
  EXPECT_EQ(readBytes(store.path()), kFirstRunFile);
  ASSERT_EQ(store.save(firstRunTexts()), FileStatus::Ok);  // the Close button saves twice
  EXPECT_EQ(readBytes(store.path()), kFirstRunFile);
  EXPECT_EQ(store.load(), firstRunTexts());
}

TEST(SettingsStore, MissingKeysReadAsNull) {
  TempFolder folder;
  writeBytes(folder / "Config.ini", "[SaveData]\r\nLinkIP=10.1.1.1\r\nLinkPort=7\r\nDstIp=10.1.1.2\r\n");
  const auto loaded = SettingsStore(folder / "Config.ini").load();
  ASSERT_TRUE(loaded);
  EXPECT_EQ(*loaded, (SettingsValues{{"10.1.1.1", "7", "10.1.1.2", "NULL", "NULL", "NULL", "NULL"}}));
  EXPECT_TRUE(shouldApplyLoadedSettings(*loaded));

  writeBytes(folder / "Config.ini", "; no section here\r\n");
  const auto empty = SettingsStore(folder / "Config.ini").load();
  ASSERT_TRUE(empty);
  EXPECT_EQ(*empty, (SettingsValues{{"NULL", "NULL", "NULL", "NULL", "NULL", "NULL", "NULL"}}));
  EXPECT_FALSE(shouldApplyLoadedSettings(*empty));
}

TEST(SettingsStore, OnlyTheExactNullMarkerBlocksApplying) {
  struct Case {
    SettingKey key;
    const char* text;
    bool applies;
  };
  const Case cases[] = {{SettingKey::LinkIP, "NULL", false},  {SettingKey::LinkPort, "NULL", false},
                        {SettingKey::DstIp, "NULL", false},   {SettingKey::LinkIP, "null", true},
                        {SettingKey::LinkIP, "NULL ", true},  {SettingKey::LinkIP, "", true},
                        {SettingKey::Gateway, "NULL", true},  {SettingKey::UdpPort, "NULL", true}};
  for (const Case& c : cases) {
    SettingsValues values = firstRunTexts();
    values[c.key] = c.text;
    EXPECT_EQ(shouldApplyLoadedSettings(values), c.applies) << c.text;
  }
}

TEST(SettingsStore, SaveKeepsEverythingElseAndReadsBackEmptyValues) {
  TempFolder folder;
  const std::string head = "; written by hand\r\n\r\n[Display]\r\nFont=Tahoma\r\n\r\n";
  writeBytes(folder / "Config.ini", head + "[SAVEDATA]\r\nlinkip=1.1.1.1\r\nMask=255.0.0.0\r\n\r\n[Z]\r\nq=1\r\n");
  const SettingsStore store(folder / "Config.ini");
  SettingsValues values = firstRunTexts();
  values[SettingKey::DNS] = "";
  ASSERT_EQ(store.save(values), FileStatus::Ok);
  EXPECT_EQ(readBytes(store.path()),
            head + "[SAVEDATA]\r\nlinkip=192.168.2.119\r\nMask=255.0.0.0\r\nLinkPort=2000\r\nDstIp=192.168.2.119\r\n"
                   "Gateway=192.168.2.1\r\nDNS=\r\nUdpDstIp=192.168.5.3\r\nUdpPort=23003\r\n\r\n[Z]\r\nq=1\r\n");
  EXPECT_EQ(store.load(), values);
}

// The failure comes with the system's reason, for the message that says it.
TEST(SettingsStore, SaveIntoAFolderThatCannotExistChangesNothingAndSaysWhy) {
  TempFolder folder;
  writeBytes(folder / "blocker", "x");
  const SettingsStore store(folder / "blocker" / "deeper" / "Config.ini");
  int systemError = 0;
  const FileStatus status = store.save(firstRunTexts(), &systemError);
  EXPECT_NE(status, FileStatus::Ok);
  EXPECT_NE(systemError, 0);
  EXPECT_EQ(fileFailureReason(status, systemError), systemErrorText(systemError));
  EXPECT_FALSE(systemErrorText(systemError).empty());
  EXPECT_NE(systemErrorText(systemError).back(), L'\n');
  EXPECT_EQ(store.load(), std::nullopt);
  EXPECT_EQ(readBytes(folder / "blocker"), "x");
  EXPECT_EQ(SettingsStore(folder / "Config.ini").save(firstRunTexts(), &systemError), FileStatus::Ok);
  EXPECT_EQ(systemError, 0);
}

// Files up to the size bound load as usual; a larger one is not read at
// all, not applied and not replaced.
TEST(SettingsStore, FilesAboveTheSizeBoundAreLeftAlone) {
  const std::string head = std::string(kFirstRunFile) + ";";
  const struct {
    std::size_t size;
    FileStatus status;
  } cases[] = {
      {kMaxReadBytes, FileStatus::Ok},
      {kMaxReadBytes + 1, FileStatus::TooLarge},
      {3 * kMaxReadBytes, FileStatus::TooLarge},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.size);
    TempFolder folder;
    const std::string bytes = head + std::string(c.size - head.size() - 2, 'x') + "\r\n";
    writeBytes(folder / "Config.ini", bytes);
    const SettingsStore store(folder / "Config.ini");
    FileStatus status = FileStatus::NotFound;
    const auto loaded = store.load(&status);
    EXPECT_EQ(status, c.status);
    ASSERT_TRUE(loaded);
    EXPECT_EQ(*loaded == firstRunTexts(), c.status == FileStatus::Ok);
    EXPECT_EQ(store.save(SettingsValues{}), c.status);
    EXPECT_EQ(readBytes(folder / "Config.ini") == bytes, c.status != FileStatus::Ok);
  }
}

}  // namespace
}  // namespace nolt
