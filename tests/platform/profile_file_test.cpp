#include "platform/profile_file.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "platform/profile_encoding.h"
#include "platform/temp_folder.h"

namespace nolt {
namespace {

using test::readBytes;
using test::TempFolder;
using test::writeBytes;

std::string encodeForTest(const std::string& utf8) { return encodeProfile({ProfileEncoding::Utf16LE, utf8, {}}); }

TEST(ProfileFile, MissingFileReadsTheFallback) {
  TempFolder folder;
  const ProfileFile file(folder / "Config.ini");
  EXPECT_FALSE(file.exists());
  EXPECT_EQ(file.read("SaveData", "LinkIP", "NULL"), "NULL");
}

TEST(ProfileFile, LongValueIsCutTo259Characters) {
  TempFolder folder;
  const ProfileFile file(folder / "Config.ini");
  const std::string value(300, '7');
  ASSERT_EQ(file.write("SaveData", "LinkIP", value), FileStatus::Ok);
  EXPECT_NE(readBytes(file.path()).find(value), std::string::npos);  // stored whole
  EXPECT_EQ(file.read("SaveData", "LinkIP", "NULL"), std::string(259, '7'));
  ASSERT_EQ(file.write("SaveData", "LinkIP", std::string(259, '8')), FileStatus::Ok);
  EXPECT_EQ(file.read("SaveData", "LinkIP", "NULL"), std::string(259, '8'));
}

TEST(ProfileFile, BatchWriteLeavesTheBytesOfSingleWrites) {
  TempFolder folder;
  const std::string start = "; settings\r\n[other]\r\nx=1\r\n\r\n[savedata]\r\nudpport=1\nextra=keep\r\n\r\n[Tail]\r\ny";
  const std::array<ProfileEntry, 4> entries = {{{"LinkIP", "10.0.0.1"}, {"UdpPort", "9"}, {"DNS", ""}, {"LinkIP", "10.0.0.2"}}};
  writeBytes(folder / "single.ini", start);
  writeBytes(folder / "batch.ini", start);
  const ProfileFile single(folder / "single.ini");
  for (const ProfileEntry& e : entries) ASSERT_EQ(single.write("SaveData", e.key, e.value), FileStatus::Ok);
  ASSERT_EQ(ProfileFile(folder / "batch.ini").writeAll("SaveData", entries), FileStatus::Ok);
  EXPECT_EQ(readBytes(folder / "batch.ini"), readBytes(folder / "single.ini"));
  EXPECT_EQ(readBytes(folder / "batch.ini"),
            "; settings\r\n[other]\r\nx=1\r\n\r\n[savedata]\r\nudpport=9\r\nextra=keep\r\nLinkIP=10.0.0.2\r\nDNS=\r\n"
            "\r\n[Tail]\r\ny");
}

TEST(ProfileFile, SaveLeavesNoTemporaryFileBehind) {
  TempFolder folder;
  const ProfileFile file(folder / "Config.ini");
  for (int i = 0; i < 3; ++i) ASSERT_EQ(file.write("SaveData", "LinkPort", std::to_string(i)), FileStatus::Ok);
  EXPECT_EQ(folder.entries(), std::vector<std::string>{"Config.ini"});
}

TEST(ProfileFile, FailedSaveChangesNothing) {
  TempFolder folder;
  writeBytes(folder / "plain", "not a folder");
  const ProfileFile underFile(folder / "plain" / "Config.ini");
  EXPECT_NE(underFile.write("SaveData", "LinkIP", "1"), FileStatus::Ok);
  EXPECT_EQ(readBytes(folder / "plain"), "not a folder");

  std::filesystem::create_directory(folder / "dir.ini");
  EXPECT_EQ(ProfileFile(folder / "dir.ini").write("SaveData", "LinkIP", "1"), FileStatus::ReadFailed);
  EXPECT_TRUE(std::filesystem::is_directory(folder / "dir.ini"));

  const std::string before = "[SaveData]\r\nLinkIP=1\r\n";
  writeBytes(folder / "Config.ini", before);
  const ProfileFile file(folder / "Config.ini");
  EXPECT_EQ(file.write("SaveData", "LinkIP", "2\r\n[Forged]"), FileStatus::WriteFailed);
  EXPECT_EQ(file.write("Save=Data", "LinkIP", "2"), FileStatus::WriteFailed);
  EXPECT_EQ(readBytes(folder / "Config.ini"), before);
  EXPECT_EQ(folder.entries().size(), 3u);
}

TEST(ProfileFile, HostileFilesLoadWithoutHarm) {
  TempFolder folder;
  std::string garbage;
  for (int i = 0; i < 4096; ++i) garbage.push_back(static_cast<char>((i * 7919) & 0xff));
  const std::string files[] = {garbage, std::string(100000, 'A'), "[SaveData]\r\nLinkIP=" + std::string(100000, '1'),
                               "[SaveData]\r\nLinkIP=5.6.7.8", std::string("[SaveData]\0\r\nLinkIP=1\r\n", 23)};
  for (const std::string& bytes : files) {
    writeBytes(folder / "Config.ini", bytes);
    const ProfileFile file(folder / "Config.ini");
    const std::string value = file.read("SaveData", "LinkIP", "NULL");
    EXPECT_LE(value.size(), 259u);
    ASSERT_EQ(file.write("SaveData", "DNS", "1.1.1.1"), FileStatus::Ok);
    EXPECT_EQ(file.read("SaveData", "DNS", "NULL"), "1.1.1.1");
    EXPECT_EQ(readBytes(file.path()).substr(0, bytes.size()), bytes);  // the old bytes stay in front
  }
  writeBytes(folder / "Config.ini", "[SaveData]\r\nLinkIP=5.6.7.8");
  EXPECT_EQ(ProfileFile(folder / "Config.ini").read("SaveData", "LinkIP", "NULL"), "5.6.7.8");
  writeBytes(folder / "Config.ini", std::string("[SaveData]\r\nLinkIP=1.2\0junk\r\n", 26));
  EXPECT_EQ(ProfileFile(folder / "Config.ini").read("SaveData", "LinkIP", "NULL"), "1.2");  // a C buffer ends at NUL
}

// A file saved as UTF-16 (with its byte order mark) stays UTF-16.
TEST(ProfileFile, Utf16FilesAreReadAndWrittenAsUtf16) {
  TempFolder folder;
  const std::string little("\xFF\xFE[\0S\0]\0\r\0\n\0k\0=\0\xE9\0\r\0\n\0", 22);
  writeBytes(folder / "le.ini", little);
  const ProfileFile le(folder / "le.ini");
  EXPECT_EQ(le.read("s", "K", "NULL"), "\xC3\xA9");
  ASSERT_EQ(le.write("S", "j", "1"), FileStatus::Ok);
  EXPECT_EQ(readBytes(le.path()), little + std::string("j\0=\0" "1\0\r\0\n\0", 10));

  writeBytes(folder / "be.ini", std::string("\xFE\xFF\0[\0S\0]\0\n\0k\0=\xD8\x3D\xDE\x00", 18));
  const ProfileFile be(folder / "be.ini");
  EXPECT_EQ(be.read("S", "k", "NULL"), "\xF0\x9F\x98\x80");  // a pair of surrogates
  ASSERT_EQ(be.write("S", "k", "2"), FileStatus::Ok);
  EXPECT_EQ(readBytes(be.path()), std::string("\xFE\xFF\0[\0S\0]\0\n\0k\0=\0" "2\0\r\0\n", 20));
}

// The bytes of a UTF-16 file with its byte order mark.
std::string utf16File(std::u16string_view units, bool little) {
  std::string bytes = little ? "\xFF\xFE" : "\xFE\xFF";
  for (char16_t u : units) {
    const char low = static_cast<char>(u & 0xFF), high = static_cast<char>(u >> 8);
    bytes += little ? std::string{low, high} : std::string{high, low};
  }
  return bytes;
}

// A save touches only its own lines of a UTF-16 file: units that are no
// character (a surrogate without its partner) and a lone last byte stay as
// they were. A value holding such a unit reads as U+FFFD.
TEST(ProfileFile, Utf16FilesKeepUnitsThatAreNoCharacter) {
  const std::array<ProfileEntry, 1> entry = {{{"k", "1"}}};
  struct Case {
    std::string before;
    std::string after;
  };
  const Case cases[] = {
      {utf16File(u";\xD800 lone\r\n", true), utf16File(u";\xD800 lone\r\n[S]\r\nk=1\r\n", true)},
      {utf16File(u"[X]\r\nv=\xDC00\r\n", false), utf16File(u"[X]\r\nv=\xDC00\r\n[S]\r\nk=1\r\n", false)},
      {utf16File(u"[S]\r\n", true) + "A", utf16File(u"[S]\r\nk=1\r\n", true) + "A"},
      // Found by fuzz_settings: the lone high surrogate came back as U+FFFD.
      {std::string("\xFE\xFF\xB9\x0F\x00\x09\xDB\x0A\x01\x00\x00", 11),
       utf16File(u"\xB90F\x0009\xDB0A\x0100\r\n[S]\r\nk=1\r\n", false) + std::string(1, '\0')},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(writeProfileValues(c.before, "S", entry), c.after);
  }
  const std::array<std::string_view, 1> key = {"v"};
  EXPECT_EQ(readProfileValues(utf16File(u"[X]\r\nv=a\xDC00" u"b\r\n", true), "X", key, "NULL"),
            std::vector<std::string>{"a\xEF\xBF\xBD" "b"});
}

TEST(ProfileFile, Utf16ValuesAreCutIn16BitUnits) {
  TempFolder folder;
  std::string text = "[S]\r\nk=";
  for (int i = 0; i < 258; ++i) text += "\xC3\xA9";  // 258 units
  text += "\xF0\x9F\x98\x80";                       // two units: would be cut in half
  writeBytes(folder / "u.ini", encodeForTest(text));
  std::string expected;
  for (int i = 0; i < 258; ++i) expected += "\xC3\xA9";
  EXPECT_EQ(ProfileFile(folder / "u.ini").read("S", "k", "NULL"), expected);
}

}  // namespace
}  // namespace nolt
