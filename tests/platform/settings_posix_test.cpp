#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <cstdlib>
#include <optional>
#include <string>
#include <utility>
#include <vector>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/settings_path.h"
#include "platform/settings_store.h"
#include "platform/temp_folder.h"

namespace nolt {
namespace {

using test::readBytes;
using test::TempFolder;
using test::writeBytes;

// Sets environment variables for one test and restores them afterwards.
class ScopedEnvironment {
 public:
  void set(const char* name, const char* value) {
    const char* old = std::getenv(name);
    saved_.push_back({name, old ? std::optional<std::string>(old) : std::nullopt});
    if (value) setenv(name, value, 1);
    else unsetenv(name);
  }
  ~ScopedEnvironment() {
    for (auto it = saved_.rbegin(); it != saved_.rend(); ++it) {
      if (it->second) setenv(it->first.c_str(), it->second->c_str(), 1);
      else unsetenv(it->first.c_str());
    }
  }

 private:
  std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

TEST(SettingsPath, FollowsTheEnvironment) {
  ScopedEnvironment env;
  env.set("HOME", "/home/someone");
  env.set(kSettingsPathVariable, nullptr);
  env.set("XDG_CONFIG_HOME", nullptr);
  EXPECT_EQ(settingsFilePath(), "/home/someone/.config/nolt-pcclient/Config.ini");
  env.set("XDG_CONFIG_HOME", "relative/ignored");
  EXPECT_EQ(settingsFilePath(), "/home/someone/.config/nolt-pcclient/Config.ini");
  env.set("XDG_CONFIG_HOME", "/xdg");
  EXPECT_EQ(settingsFilePath(), "/xdg/nolt-pcclient/Config.ini");
  env.set(kSettingsPathVariable, "");
  EXPECT_EQ(settingsFilePath(), "/xdg/nolt-pcclient/Config.ini");
  env.set(kSettingsPathVariable, "/tmp/other.ini");
  EXPECT_EQ(settingsFilePath(), "/tmp/other.ini");
}

// A full disk during a save: a child process saves under a file size limit
// smaller than the new file. The old file must come through unchanged.
TEST(SettingsStore, FullDiskLeavesTheOldFile) {
  TempFolder folder;
  const std::string before = "[SaveData]\r\nLinkIP=1.2.3.4\r\n";
  writeBytes(folder / "Config.ini", before);
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    std::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{64, 64};
    setrlimit(RLIMIT_FSIZE, &limit);
    SettingsValues values;
    values.texts.fill(std::string(40, '9'));
    _exit(static_cast<int>(SettingsStore(folder / "Config.ini").save(values)));
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), static_cast<int>(FileStatus::WriteFailed));
  EXPECT_EQ(readBytes(folder / "Config.ini"), before);
  EXPECT_EQ(folder.entries(), std::vector<std::string>{"Config.ini"});
}

// A process killed at any moment while saving leaves either the old file or
// the new one, never a mixture or a truncated file.
TEST(SettingsStore, KilledSaveLeavesAWholeFile) {
  TempFolder folder;
  const SettingsStore store(folder / "Config.ini");
  SettingsValues first;
  first.texts.fill(std::string(200, '1'));
  SettingsValues second;
  second.texts.fill(std::string(250, '2'));
  ASSERT_EQ(store.save(first), FileStatus::Ok);
  const std::string firstBytes = readBytes(store.path());
  for (int round = 0; round < 20; ++round) {
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      for (unsigned i = 0;; ++i) store.save(i % 2 ? first : second);
    }
    usleep(2000 + 1500 * round);
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    const auto loaded = store.load();
    ASSERT_TRUE(loaded);
    EXPECT_TRUE(*loaded == first || *loaded == second) << "round " << round;
    if (*loaded == first) {
      EXPECT_EQ(readBytes(store.path()), firstBytes);
    }
  }
  // The temporary files of killed saves go with the next save once stale.
  const auto old = std::filesystem::file_time_type::clock::now() - std::chrono::minutes(5);
  for (const auto& entry : std::filesystem::directory_iterator(folder.path())) {
    if (entry.path().filename() != "Config.ini") std::filesystem::last_write_time(entry.path(), old);
  }
  writeBytes(folder / "Config.ini.tmp-fresh", "x");
  SettingsValues third;
  third.texts.fill("3");
  ASSERT_EQ(store.save(third), FileStatus::Ok);
  EXPECT_EQ(folder.entries().size(), 2u);
  EXPECT_TRUE(std::filesystem::exists(folder / "Config.ini.tmp-fresh"));
}

}  // namespace
}  // namespace nolt
