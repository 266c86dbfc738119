#include <gtest/gtest.h>

#include <csignal>
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

}  // namespace
}  // namespace nolt
