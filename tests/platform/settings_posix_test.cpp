#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <cstdlib>
#include <optional>
#include <string>
#include <utility>
#include <vector>
#include <dlfcn.h>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>

#include "platform/atomic_file.h"
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

// The settings file reached through symbolic links, as dotfile managers keep
// it: the save writes the file the links lead to, and the links stay links.
TEST(SettingsStore, SaveWritesThroughSymbolicLinks) {
  const struct {
    const char* name;
    std::vector<std::pair<std::string, std::string>> links;  // link -> target, as stored
    std::string file;                                          // where the bytes must land
    bool fileExists;
  } cases[] = {
      {"relative link", {{"config/Config.ini", "../dotfiles/nolt.ini"}}, "dotfiles/nolt.ini", true},
      {"absolute link", {{"config/Config.ini", "@/dotfiles/nolt.ini"}}, "dotfiles/nolt.ini", true},
      {"chain of two",
       {{"config/Config.ini", "../middle/link.ini"}, {"middle/link.ini", "../dotfiles/nolt.ini"}},
       "dotfiles/nolt.ini",
       true},
      {"link to a file not yet there", {{"config/Config.ini", "../dotfiles/nolt.ini"}}, "dotfiles/nolt.ini", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TempFolder folder;
    for (const char* sub : {"config", "middle", "dotfiles"}) std::filesystem::create_directories(folder / sub);
    const std::string old = "; mine\r\n[SaveData]\r\nLinkIP=1.2.3.4\r\n";
    if (c.fileExists) writeBytes(folder / c.file, old);
    for (const auto& [link, target] : c.links) {
      const std::string to = target[0] == '@' ? (folder.path() / target.substr(2)).string() : target;
      std::filesystem::create_symlink(to, folder / link);
    }
    SettingsValues values;
    values.texts.fill("7");
    ASSERT_EQ(SettingsStore(folder / "config/Config.ini").save(values), FileStatus::Ok);
    for (const auto& [link, target] : c.links) EXPECT_TRUE(std::filesystem::is_symlink(folder / link)) << link;
    const std::string saved = readBytes(folder / c.file);
    EXPECT_NE(saved.find("LinkPort=7"), std::string::npos) << saved;
    EXPECT_EQ(saved.starts_with("; mine"), c.fileExists);
    // Nothing is left beside the links or the file.
    for (const char* sub : {"config", "middle", "dotfiles"}) {
      for (const auto& e : std::filesystem::directory_iterator(folder / sub))
        EXPECT_EQ(e.path().filename().string().find(".tmp-"), std::string::npos) << e.path();
    }
    EXPECT_EQ(SettingsStore(folder / "config/Config.ini").load()->texts[1], "7");
  }
}

// Restores the process's umask when it goes.
class ScopedUmask {
 public:
  explicit ScopedUmask(mode_t mask) : old_(umask(mask)) {}
  ~ScopedUmask() { umask(old_); }

 private:
  mode_t old_;
};

// A new settings file gets the permissions any new file would; an existing
// one keeps its own.
TEST(SettingsStore, NewFileFollowsTheUmaskAndAnOldOneKeepsItsMode) {
  const struct {
    mode_t mask;
    std::optional<mode_t> existing;
    mode_t expected;
  } cases[] = {
      {022, std::nullopt, 0644}, {077, std::nullopt, 0600}, {002, std::nullopt, 0664}, {0, std::nullopt, 0666},
      {022, 0600, 0600},         {077, 0664, 0664},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "umask " << std::oct << c.mask);
    TempFolder folder;
    const auto file = folder / "Config.ini";
    if (c.existing) {
      writeBytes(file, "[SaveData]\r\n");
      std::filesystem::permissions(file, static_cast<std::filesystem::perms>(*c.existing));
    }
    ScopedUmask mask(c.mask);
    ASSERT_EQ(SettingsStore(file).save(SettingsValues{}), FileStatus::Ok);
    struct stat st {};
    ASSERT_EQ(stat(file.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, c.expected) << std::oct << (st.st_mode & 07777);
  }
}

// Reads of one file fail with EIO once this many bytes of it have been read;
// every other read goes to the C library as usual.
std::atomic<bool> g_failReads{false};
std::string g_failingFile;
std::atomic<long> g_failAfter{0};

bool readsFail(int fd) {
  if (!g_failReads.load()) return false;
  char target[4096];
  const std::string link = "/proc/self/fd/" + std::to_string(fd);
  const ssize_t n = readlink(link.c_str(), target, sizeof target - 1);
  return n > 0 && std::string(target, static_cast<std::size_t>(n)) == g_failingFile;
}

}  // namespace
}  // namespace nolt

extern "C" ssize_t read(int fd, void* buffer, size_t count) {
  using Read = ssize_t (*)(int, void*, size_t);
  static const Read real = reinterpret_cast<Read>(dlsym(RTLD_NEXT, "read"));
  if (nolt::readsFail(fd)) {
    const off_t at = lseek(fd, 0, SEEK_CUR);
    if (at >= nolt::g_failAfter.load()) {
      errno = EIO;
      return -1;
    }
    count = std::min<size_t>(count, static_cast<size_t>(nolt::g_failAfter.load() - at));
  }
  return real(fd, buffer, count);
}

namespace nolt {
namespace {

// A disk that fails part-way through the file: what was read must not pass
// for the whole file, and a save must not replace the file with it.
TEST(SettingsStore, ReadErrorPartWayKeepsTheFile) {
  TempFolder folder;
  const auto file = folder / "Config.ini";
  std::string old = "[SaveData]\r\nLinkIP=1.2.3.4\r\nLinkPort=5\r\nDstIp=1.2.3.5\r\n";
  for (int i = 0; old.size() < 200000; ++i) old += "[Other" + std::to_string(i) + "]\r\nkey=value\r\n";
  old += "[Last]\r\nkept=yes\r\n";
  writeBytes(file, old);
  g_failingFile = std::filesystem::canonical(file).string();
  for (const long failAfter : {0L, 100L, 65536L, 150000L}) {
    SCOPED_TRACE(failAfter);
    g_failAfter = failAfter;
    g_failReads = true;
    const FileContents read = readWholeFile(file);
    SettingsValues values;
    values.texts.fill("9");
    const FileStatus saved = SettingsStore(file).save(values);
    g_failReads = false;
    EXPECT_EQ(read.status, FileStatus::ReadFailed);
    EXPECT_EQ(saved, FileStatus::ReadFailed);
    EXPECT_EQ(readBytes(file), old);
  }
  EXPECT_EQ(folder.entries(), std::vector<std::string>{"Config.ini"});
}

// A huge (sparse) file is neither read into memory nor replaced: it is
// treated as unreadable, quickly.
TEST(SettingsStore, HugeSparseFileIsNotReadAndNotReplaced) {
  TempFolder folder;
  const auto file = folder / "Config.ini";
  writeBytes(file, "[SaveData]\r\nLinkIP=1.2.3.4\r\nLinkPort=5\r\nDstIp=1.2.3.5\r\n");
  constexpr std::uintmax_t k64GiB = std::uintmax_t{64} << 30;
  std::error_code ec;
  std::filesystem::resize_file(file, k64GiB, ec);
  if (ec) GTEST_SKIP() << "this file system cannot hold a 64 GiB sparse file: " << ec.message();
  const auto started = std::chrono::steady_clock::now();
  const SettingsStore store(file);
  FileStatus status = FileStatus::Ok;
  const auto loaded = store.load(&status);
  EXPECT_EQ(status, FileStatus::TooLarge);
  ASSERT_TRUE(loaded);
  EXPECT_FALSE(shouldApplyLoadedSettings(*loaded));
  EXPECT_EQ(store.save(SettingsValues{}), FileStatus::TooLarge);
  EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(2));
  EXPECT_EQ(std::filesystem::file_size(file), k64GiB);
  EXPECT_EQ(folder.entries(), std::vector<std::string>{"Config.ini"});
}

// Makes a folder refuse new entries while its files stay writable: the
// immutable attribute (which holds even for root), or else, for an ordinary
// user, a folder without write permission. False when neither is possible.
bool refuseNewEntries(const std::filesystem::path& dir, bool on) {
  const int fd = open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  bool ok = false;
  if (fd >= 0) {
    int flags = 0;
    ok = ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
    ok = ok && ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    close(fd);
  }
  if (ok || geteuid() == 0) return ok;
  std::filesystem::permissions(dir, on ? std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec
                                       : std::filesystem::perms::owner_all);
  return true;
}

// A folder in which no file may be created, holding a settings file that may
// be written (an ordinary user's C:\ on Windows): the save goes in place.
TEST(SettingsStore, SaveGoesInPlaceWhenNoFileMayBeCreatedBeside) {
  TempFolder folder;
  const auto file = folder / "Config.ini";
  // The old value is longer than the whole new file, which therefore must
  // not keep a tail of the old one.
  const std::string old = "; mine\r\n[SaveData]\r\nLinkIP=" + std::string(5000, '1') + "\r\n";
  writeBytes(file, old);
  std::filesystem::permissions(file, static_cast<std::filesystem::perms>(0640));
  if (!refuseNewEntries(folder.path(), true)) GTEST_SKIP() << "no way here to make a folder refuse new files";
  const int probe = open((folder / "probe").c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  if (probe >= 0) close(probe);
  SettingsValues values;
  values.texts.fill("8");
  const FileStatus saved = SettingsStore(file).save(values);
  // No new file is created in place of a missing one, either.
  const FileStatus created = SettingsStore(folder / "New.ini").save(values);
  refuseNewEntries(folder.path(), false);
  ASSERT_LT(probe, 0) << "the folder still takes new files";
  EXPECT_EQ(saved, FileStatus::Ok);
  EXPECT_EQ(created, FileStatus::CreateFailed);
  EXPECT_EQ(readBytes(file),
            "; mine\r\n[SaveData]\r\nLinkIP=8\r\nLinkPort=8\r\nDstIp=8\r\nGateway=8\r\nDNS=8\r\nUdpDstIp=8\r\n"
            "UdpPort=8\r\n");
  EXPECT_EQ(std::filesystem::status(file).permissions(), static_cast<std::filesystem::perms>(0640));
  EXPECT_EQ(folder.entries(), std::vector<std::string>{"Config.ini"});
}

}  // namespace
}  // namespace nolt
