#include "platform/profile_text.h"

#include <gtest/gtest.h>

#include <string>

namespace nolt {
namespace {

struct ReadCase {
  const char* text;
  const char* section;
  const char* key;
  std::optional<std::string> expected;
};

TEST(ProfileTextRead, FindsValuesTheWayThePlatformDoes) {
  const ReadCase cases[] = {
      {"[SaveData]\r\nLinkIP=1.2.3.4\r\n", "SaveData", "LinkIP", "1.2.3.4"},
      {"[savedata]\r\nlinkip=1.2.3.4\r\n", "SAVEDATA", "LINKIP", "1.2.3.4"},
      {"[SaveData]\nLinkIP=1.2.3.4", "SaveData", "LinkIP", "1.2.3.4"},         // LF only, no final line end
      {"  [ SaveData ]  \r\n  LinkIP  =  a b  \r\n", "SaveData", "LinkIP", "a b"},
      {"[SaveData]\r\nLinkIP=\"quoted\"\r\n", "SaveData", "LinkIP", "quoted"},
      {"[SaveData]\r\nLinkIP=\"half\r\n", "SaveData", "LinkIP", "\"half"},
      {"[SaveData]\r\nLinkIP=\r\n", "SaveData", "LinkIP", ""},
      {"[SaveData]\r\nLinkIP\r\n", "SaveData", "LinkIP", std::nullopt},            // no equals sign
      {"[SaveData]\r\nLinkIP=a=b\r\n", "SaveData", "LinkIP", "a=b"},
      {"[SaveData]\r\nLinkIP=1\r\nLinkIP=2\r\n", "SaveData", "LinkIP", "1"},       // first key wins
      {"[S]\r\nk=1\r\n[S]\r\nk=2\r\nj=3\r\n", "S", "j", std::nullopt},             // first section only
      {"[Other]\r\nLinkIP=1\r\n", "SaveData", "LinkIP", std::nullopt},
      {"LinkIP=1\r\n[SaveData]\r\n", "SaveData", "LinkIP", std::nullopt},
      {"\xEF\xBB\xBF[SaveData]\r\nLinkIP=bom\r\n", "SaveData", "LinkIP", "bom"},
      {"[SaveData\r\nLinkIP=1\r\n", "SaveData", "LinkIP", std::nullopt},           // broken header
      {"", "SaveData", "LinkIP", std::nullopt},
      {"[SaveData]\rLinkIP=cr\r", "SaveData", "LinkIP", "cr"},                     // lone CR ends a line too
      {"LinkIP=5\r\n[SaveData]\r\n", "", "LinkIP", "5"},                          // lines before any header
      {"LinkIP=5\r\n[SaveData]\r\n", "", "SaveData", std::nullopt},
  };
  for (const ReadCase& c : cases) {
    EXPECT_EQ(profileTextRead(c.text, c.section, c.key), c.expected) << c.text;
  }
}

struct WriteCase {
  const char* before;
  const char* key;
  const char* value;
  const char* after;
};

TEST(ProfileTextWrite, TouchesOnlyTheKeysLine) {
  const WriteCase cases[] = {
      {"", "LinkIP", "1", "[SaveData]\r\nLinkIP=1\r\n"},
      {"[Other]\r\nx=1", "LinkIP", "1", "[Other]\r\nx=1\r\n[SaveData]\r\nLinkIP=1\r\n"},
      {"[SaveData]\r\nLinkIP=1\r\nDNS=2\r\n", "linkip", "9", "[SaveData]\r\nLinkIP=9\r\nDNS=2\r\n"},
      {"[savedata]\r\n  LinkIP = 1 \n;c\n", "LinkIP", "9", "[savedata]\r\nLinkIP=9\r\n;c\n"},
      {"[SaveData]\r\nDNS=2\r\n\r\n[Next]\r\nk=v\r\n", "LinkIP", "1",
       "[SaveData]\r\nDNS=2\r\nLinkIP=1\r\n\r\n[Next]\r\nk=v\r\n"},
      {"[SaveData]\r\nDNS=2", "LinkIP", "1", "[SaveData]\r\nDNS=2\r\nLinkIP=1\r\n"},
      {"[SaveData]", "LinkIP", "1", "[SaveData]\r\nLinkIP=1\r\n"},
      {"[SaveData]\nLinkIP=1\n", "LinkIP", "1", "[SaveData]\nLinkIP=1\n"},           // unchanged value: untouched
      {"[SaveData]\r\nLinkIP=1\r\n", "LinkIP", "", "[SaveData]\r\nLinkIP=\r\n"},
      {"; top\r\n\r\n[SaveData]\r\n;k=1\r\n", "k", "2", "; top\r\n\r\n[SaveData]\r\n;k=1\r\nk=2\r\n"},
      {"[SaveData]\rDNS=2\r", "X", "1", "[SaveData]\rDNS=2\rX=1\r\n"},
      {"[SaveData]\r\n", "LinkIP", " \t1 ", "[SaveData]\r\nLinkIP=\" \t1 \"\r\n"},         // blanks kept in quotes
      // Found by fuzz_settings: a load cut at a NUL had shown "200\v".
      {"[SaveData]\r\nLinkPort=200\v\r\n", "LinkPort", "200\v", "[SaveData]\r\nLinkPort=\"200\v\"\r\n"},
      {"[X]\r", "LinkIP", "1", "[X]\r[SaveData]\r\nLinkIP=1\r\n"},
      // A value in quotes keeps them: a load had shown the field so.
      {"[SaveData]\r\nLinkPort=\"\"7\"\"\r\n", "LinkPort", "\"7\"", "[SaveData]\r\nLinkPort=\"\"7\"\"\r\n"},
      {"[SaveData]\r\n", "LinkPort", "'7'", "[SaveData]\r\nLinkPort=\"'7'\"\r\n"},
      {"[SaveData]\r\n", "LinkPort", "\"", "[SaveData]\r\nLinkPort=\"\r\n"},
      {"[SaveData]\r\n", "LinkPort", "\"7'", "[SaveData]\r\nLinkPort=\"7'\r\n"},
  };
  for (const WriteCase& c : cases) {
    const std::string after = profileTextWrite(c.before, "SaveData", c.key, c.value);
    EXPECT_EQ(after, c.after) << c.before;
    // What was written reads back as it was.
    EXPECT_EQ(profileTextRead(after, "SaveData", c.key), std::string(c.value)) << c.before;
  }
}

TEST(ProfileTextWrite, KeepsGarbageAroundTheSection) {
  std::string garbage("\x00\xff\xfe\x01[\x7f=\r\r\n", 10);
  garbage += std::string(100000, 'x');
  const std::string text = garbage + "\r\n[SaveData]\r\nLinkIP=1\r\n" + garbage;
  const std::string written = profileTextWrite(text, "SaveData", "LinkIP", "2");
  EXPECT_EQ(written, garbage + "\r\n[SaveData]\r\nLinkIP=2\r\n" + garbage);
  EXPECT_EQ(profileTextRead(written, "SaveData", "LinkIP"), "2");
}

TEST(ProfileNames, RefuseWhatWouldForgeALine) {
  EXPECT_TRUE(isStorableProfileName("SaveData"));
  EXPECT_FALSE(isStorableProfileName("a=b"));
  EXPECT_FALSE(isStorableProfileName("[x"));
  EXPECT_FALSE(isStorableProfileName("  "));
  EXPECT_TRUE(isStorableProfileValue(""));
  EXPECT_FALSE(isStorableProfileValue("1\r\n[Evil]"));
  EXPECT_FALSE(isStorableProfileValue(std::string("a\0b", 3)));
}

}  // namespace
}  // namespace nolt
