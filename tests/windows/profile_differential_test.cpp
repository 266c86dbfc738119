// Runs the same writes and reads through our profile file and through the
// platform's own profile functions, and compares the files and the values.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/profile_file.h"
#include "platform/temp_folder.h"

namespace nolt {
namespace {

using test::readBytes;
using test::TempFolder;
using test::writeBytes;

struct Step {
  bool write;
  const char* section;
  const char* key;
  std::string value;  // for reads: ignored
};

Step put(const char* section, const char* key, std::string value) { return {true, section, key, std::move(value)}; }
Step get(const char* section, const char* key) { return {false, section, key, {}}; }

struct Scenario {
  const char* name;
  std::string start;  // file contents before the first step; empty: no file
  std::vector<Step> steps;
};

std::wstring widen(const std::string& s) { return std::wstring(s.begin(), s.end()); }

std::string narrow(const std::wstring& s) {
  std::string out;
  for (wchar_t c : s) out.push_back(static_cast<char>(c));
  return out;
}

constexpr DWORD kBufferChars = static_cast<DWORD>(ProfileFile::kValueBufferChars);

std::string platformRead(const std::filesystem::path& file, const Step& step) {
  wchar_t buffer[kBufferChars] = {};
  GetPrivateProfileStringW(widen(step.section).c_str(), widen(step.key).c_str(), L"NULL", buffer, kBufferChars,
                           file.c_str());
  return narrow(buffer);
}

void platformWrite(const std::filesystem::path& file, const Step& step) {
  WritePrivateProfileStringW(widen(step.section).c_str(), widen(step.key).c_str(), widen(step.value).c_str(),
                             file.c_str());
  WritePrivateProfileStringW(nullptr, nullptr, nullptr, file.c_str());  // flush the platform's cache
}

// What one implementation made of a scenario: the values read and the file
// after every step.
struct Trace {
  std::vector<std::string> reads;
  std::vector<std::string> files;
};

Trace runPlatform(const Scenario& s, const std::filesystem::path& file) {
  Trace trace;
  if (!s.start.empty()) writeBytes(file, s.start);
  for (const Step& step : s.steps) {
    if (step.write) platformWrite(file, step);
    else trace.reads.push_back(platformRead(file, step));
    trace.files.push_back(readBytes(file));
  }
  return trace;
}

Trace runOurs(const Scenario& s, const std::filesystem::path& file) {
  Trace trace;
  if (!s.start.empty()) writeBytes(file, s.start);
  const ProfileFile profile(file);
  for (const Step& step : s.steps) {
    if (step.write) profile.write(step.section, step.key, step.value);
    else trace.reads.push_back(profile.read(step.section, step.key, "NULL"));
    trace.files.push_back(readBytes(file));
  }
  return trace;
}

// Built step by step: GCC 12 warns falsely about "literal" + std::string.
std::string fileName(char side, int n) {
  std::string name(1, side);
  name += std::to_string(n);
  name += ".ini";
  return name;
}

std::string visible(const std::string& bytes) {
  std::string out;
  for (char c : bytes) {
    if (c == '\r') out += "\\r";
    else if (c == '\n') out += "\\n\n";
    else out.push_back(c);
  }
  return out;
}

const std::vector<Scenario>& agreeingScenarios() {
  static const std::vector<Scenario> scenarios = {
      {"new file", "", {put("SaveData", "LinkIP", "192.168.2.119"), get("SaveData", "LinkIP")}},
      {"first run", "",
       {put("SaveData", "LinkIP", "192.168.2.119"), put("SaveData", "LinkPort", "2000"),
        put("SaveData", "DstIp", "192.168.2.119"), put("SaveData", "Gateway", "192.168.2.1"),
        put("SaveData", "DNS", "0.0.0.0"), put("SaveData", "UdpDstIp", "192.168.5.3"),
        put("SaveData", "UdpPort", "23003")}},
      {"new section", "[Other]\r\nx=1\r\n", {put("SaveData", "LinkIP", "1.2.3.4"), get("Other", "x")}},
      {"replaced value", "[SaveData]\r\nLinkIP=1.1.1.1\r\nLinkPort=2000\r\n",
       {put("SaveData", "LinkIP", "2.2.2.2"), get("SaveData", "LinkIP"), get("SaveData", "LinkPort")}},
      {"added key", "[SaveData]\r\nLinkIP=1.1.1.1\r\n[Other]\r\nx=1\r\n",
       {put("SaveData", "DNS", "8.8.8.8"), get("SaveData", "DNS"), get("Other", "x")}},
      {"other letter case", "[savedata]\r\nlinkip=1.1.1.1\r\n",
       {put("SAVEDATA", "LINKIP", "3.3.3.3"), get("SaveData", "LinkIP"), get("sAvEdAtA", "lInKiP")}},
      {"comments and other sections", "; top\r\n[A]\r\na=1\r\n;note\r\n[SaveData]\r\n; keep\r\nLinkIP=1\r\n[B]\r\nb=2\r\n",
       {put("SaveData", "LinkIP", "9"), put("SaveData", "UdpPort", "1"), get("A", "a"), get("B", "b")}},
      {"empty value", "[SaveData]\r\nLinkIP=1\r\n",
       {put("SaveData", "LinkIP", ""), get("SaveData", "LinkIP"), put("SaveData", "DNS", ""), get("SaveData", "DNS")}},
      {"long value", "", {put("SaveData", "LinkIP", std::string(300, 'x')), get("SaveData", "LinkIP")}},
      {"value of 259", "", {put("SaveData", "LinkIP", std::string(259, 'y')), get("SaveData", "LinkIP")}},
      {"missing key and section", "[SaveData]\r\nLinkIP=1\r\n", {get("SaveData", "DNS"), get("Nope", "LinkIP")}},
      {"blanks around names and values", "[SaveData]\r\n  LinkIP  =  1.2.3.4  \r\n",
       {get("SaveData", "LinkIP"), put("SaveData", "LinkIP", "5")}},
      {"quoted value", "[SaveData]\r\nLinkIP=\"1.2.3.4\"\r\nDNS='x'\r\n", {get("SaveData", "LinkIP"), get("SaveData", "DNS")}},
      {"no final line end", "[SaveData]\r\nLinkIP=1", {get("SaveData", "LinkIP"), put("SaveData", "DNS", "2")}},
      {"line without equals sign", "[SaveData]\r\nLinkIP\r\n", {get("SaveData", "LinkIP")}},
      {"duplicate key", "[SaveData]\r\nLinkIP=1\r\nLinkIP=2\r\n", {get("SaveData", "LinkIP"), put("SaveData", "LinkIP", "3")}},
      {"duplicate section", "[S]\r\na=1\r\n[S]\r\nb=2\r\n", {get("S", "b"), put("S", "b", "3")}},
      {"same value again", "[SaveData]\r\nLinkIP=1\r\n", {put("SaveData", "LinkIP", "1")}},
      {"header without closing bracket", "[SaveData\r\nDNS=2\r\n", {get("SaveData", "DNS"), put("SaveData", "DNS", "1")}},
      {"text after the header", "[SaveData] junk\r\nDNS=2\r\n", {get("SaveData", "DNS")}},
      {"bracket inside the header", "[Save]Data]\r\nDNS=2\r\n", {get("Save", "DNS"), get("Save]Data", "DNS")}},
      {"UTF-8 byte order mark", "\xEF\xBB\xBF[SaveData]\r\nDNS=2\r\n", {get("SaveData", "DNS"), put("SaveData", "DNS", "1")}},
      {"commented key", "[SaveData]\r\n;DNS=2\r\n", {get("SaveData", ";DNS"), put("SaveData", "DNS", "1")}},
      {"keys before any section", "DNS=5\r\n[SaveData]\r\n", {get("", "DNS"), put("SaveData", "DNS", "1")}},
      {"key without value replaced", "[SaveData]\r\nDNS\r\n", {put("SaveData", "DNS", "1")}},
      {"line of 100000 characters", "[SaveData]\r\nDNS=" + std::string(100000, '9') + "\r\n",
       {get("SaveData", "DNS"), put("SaveData", "X", "1")}},
      {"tabs around", "[SaveData]\r\n\tDNS\t=\t2\t\r\n", {get("SaveData", "DNS")}},
      {"NUL inside a value", std::string("[SaveData]\r\nA=1\0B\r\nDNS=2\r\n", 24), {get("SaveData", "DNS"), get("SaveData", "A")}},
      {"UTF-16 file", std::string("\xFF\xFE[\0S\0]\0\r\0\n\0k\0=\0v\0\r\0\n\0", 22),
       {get("S", "k"), put("S", "j", "1"), put("S", "k", "2"), get("s", "J")}},
      {"bytes above ASCII", "[SaveData]\r\nA=\xe9\xff\r\n", {get("SaveData", "A"), put("SaveData", "B", "1")}},
  };
  return scenarios;
}

TEST(ProfileAgainstPlatform, SameFilesAndValues) {
  TempFolder folder;
  int n = 0;
  for (const Scenario& s : agreeingScenarios()) {
    const Trace platform = runPlatform(s, folder / fileName('p', n));
    const Trace ours = runOurs(s, folder / fileName('o', n));
    ++n;
    EXPECT_EQ(ours.reads, platform.reads) << s.name;
    for (std::size_t i = 0; i < s.steps.size(); ++i) {
      EXPECT_EQ(visible(ours.files[i]), visible(platform.files[i])) << s.name << ", step " << i;
    }
  }
}

// The platform rewrites the whole file from what it parsed: it drops blank
// lines and Ctrl-Z, trims every line and ends every line in CR LF. Ours
// keeps every line it does not write byte for byte. Apart from that the
// files must say the same thing, and every read must agree.
std::string normalised(const std::string& bytes) {
  std::string out;
  std::size_t pos = 0;
  while (pos < bytes.size()) {
    std::size_t end = bytes.find_first_of("\r\n", pos);
    if (end == std::string::npos) end = bytes.size();
    std::string line = bytes.substr(pos, end - pos);
    const auto first = line.find_first_not_of(" \t\x1a");
    const auto last = line.find_last_not_of(" \t\x1a");
    if (first != std::string::npos) {
      line = line.substr(first, last - first + 1);
      line.erase(std::remove(line.begin(), line.end(), ' '), line.end());
      out += line + "\r\n";
    }
    pos = (end + 1 < bytes.size() && bytes[end] == '\r' && bytes[end + 1] == '\n') ? end + 2 : end + 1;
  }
  return out;
}

struct KnownDifference {
  Scenario scenario;
  std::string ours;  // our file after the last step
};

TEST(ProfileAgainstPlatform, OursKeepsTheLinesThePlatformReformats) {
  const KnownDifference cases[] = {
      {{"blank line before the next section", "[SaveData]\r\nDNS=2\r\n\r\n[Next]\r\nk=v\r\n",
        {put("SaveData", "LinkIP", "1"), get("Next", "k")}},
       "[SaveData]\r\nDNS=2\r\nLinkIP=1\r\n\r\n[Next]\r\nk=v\r\n"},
      {{"blank lines inside", "\r\n[SaveData]\r\n\r\nDNS=2\r\n\r\n\r\nX=1\r\n", {put("SaveData", "LinkIP", "1")}},
       "\r\n[SaveData]\r\n\r\nDNS=2\r\n\r\n\r\nX=1\r\nLinkIP=1\r\n"},
      {{"blanks around other lines", "[A]  \r\n  a = 1  \r\n[ SaveData ]\r\nDNS=2\r\n",
        {put("SaveData", "DNS", "1"), get("A", "a")}},
       "[A]  \r\n  a = 1  \r\n[ SaveData ]\r\nDNS=1\r\n"},
      {{"LF line ends", "[SaveData]\nDNS=2\nX=3\n", {put("SaveData", "DNS", "1"), put("SaveData", "Y", "1")}},
       "[SaveData]\nDNS=1\r\nX=3\nY=1\r\n"},
      {{"lone CR line ends", "[SaveData]\rDNS=2\r", {get("SaveData", "DNS"), put("SaveData", "X", "1")}},
       "[SaveData]\rDNS=2\rX=1\r\n"},
      {{"Ctrl-Z at the end", "[SaveData]\r\nDNS=2\r\n\x1a", {put("SaveData", "X", "1")}},
       "[SaveData]\r\nDNS=2\r\nX=1\r\n\x1a"},
  };
  TempFolder folder;
  int n = 0;
  for (const KnownDifference& c : cases) {
    const Trace platform = runPlatform(c.scenario, folder / fileName('p', n));
    const Trace ours = runOurs(c.scenario, folder / fileName('o', n));
    ++n;
    EXPECT_EQ(ours.reads, platform.reads) << c.scenario.name;
    EXPECT_EQ(visible(ours.files.back()), visible(c.ours)) << c.scenario.name;
    EXPECT_EQ(visible(normalised(ours.files.back())), visible(normalised(platform.files.back()))) << c.scenario.name;
    if (ours.files.back() != platform.files.back())
      std::printf("platform reformatted (%s):\n%s\n", c.scenario.name, visible(platform.files.back()).c_str());
  }
}

// A value with a blank at either end, or in quotes, would lose them through
// the platform's own write and read. Ours writes such a value in quotes, so
// that it reads back whole, and the platform's reading of our file (an
// older copy of the tool, another program) gets the same value.
TEST(ProfileAgainstPlatform, ValuesThePlatformWouldCutReadBackWholeOnBothSides) {
  const std::string values[] = {"  a b  ", "\"q\"", "x\t", "'7'", "\"", " "};
  TempFolder folder;
  int n = 0;
  for (const std::string& value : values) {
    const Scenario s{"value", "", {put("SaveData", "DNS", value), get("SaveData", "DNS")}};
    const auto file = folder / fileName('o', n++);
    const Trace ours = runOurs(s, file);
    EXPECT_EQ(ours.reads, std::vector<std::string>{value}) << visible(ours.files.back());
    EXPECT_EQ(platformRead(file, s.steps[1]), value) << visible(ours.files.back());
  }
}

}  // namespace
}  // namespace nolt
