// Saving the settings survives being killed at any moment: a child process
// saves in a loop, alternating two complete sets of values, and is killed
// with SIGKILL at random moments. After every kill the file loads and holds
// one of the two sets whole, with the file's other lines untouched.
#include "platform/atomic_file.h"
#include "platform/settings_store.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <random>
#include <thread>

namespace nolt {
namespace {

namespace fs = std::filesystem;

SettingsValues valuesOf(std::initializer_list<const char*> texts)
{
    SettingsValues v;
    std::size_t i = 0;
    for (const char* t : texts) v.texts[i++] = t;
    return v;
}

// Two sets that differ in every key, so that any mix of them shows.
const SettingsValues kOld = valuesOf({"127.0.0.1", "2000", "192.168.2.119", "192.168.2.1", "0.0.0.0", "192.168.5.3", "23003"});
const SettingsValues kNew = valuesOf({"10.1.2.3", "65534", "10.1.2.4", "10.1.2.254", "8.8.8.8", "10.9.9.9", "40000"});

// Lines that the tool does not own, kept through every save.
constexpr const char* kOtherLines = "; written by hand\r\n[Other]\r\nKeep=this line\r\n\r\n";

// What the child tells the parent, in memory they share: that it has begun
// saving.
struct Progress {
    std::atomic<bool> begun{false};
};

class SharedProgress {
public:
    SharedProgress()
    {
        void* p = mmap(nullptr, sizeof(Progress), PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS, -1, 0);
        progress_ = p == MAP_FAILED ? nullptr : new (p) Progress;
    }
    ~SharedProgress()
    {
        if (progress_) munmap(progress_, sizeof(Progress));
    }
    Progress* get() const { return progress_; }

private:
    Progress* progress_;
};

// The child: saves the set that is not on disk, again and again, so that
// every finished save changes the file, until it is killed.
[[noreturn]] void saveForever(const SettingsStore& store, Progress& progress)
{
    const std::optional<SettingsValues> current = store.load();
    bool next = !(current && *current == kNew);
    progress.begun = true;
    for (;;) {
        if (store.save(next ? kNew : kOld) != FileStatus::Ok) _exit(3);
        next = !next;
    }
}

TEST(SettingsKill, TwoHundredKillsMidSaveLeaveOldOrNewValuesWhole)
{
    const fs::path dir = fs::temp_directory_path() / ("nolt-crash-" + std::to_string(getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    const fs::path file = dir / "Config.ini";
    {
        std::ofstream(file, std::ios::binary) << kOtherLines;
    }
    const SettingsStore store(file);
    ASSERT_EQ(store.save(kOld), FileStatus::Ok);
    const std::string otherSection = "[Other]\r\nKeep=this line\r\n";

    SharedProgress shared;
    Progress* progress = shared.get();
    ASSERT_NE(progress, nullptr);
    // Kills fall anywhere in the first three saves' time of each child once
    // it has begun saving, so that some come before, some inside and some
    // after a save, whatever this disk's speed.
    const auto started = std::chrono::steady_clock::now();
    for (int i = 0; i < 10; ++i) ASSERT_EQ(store.save(i % 2 ? kOld : kNew), FileStatus::Ok);
    const auto saveMicros = std::chrono::duration_cast<std::chrono::microseconds>(
        std::chrono::steady_clock::now() - started).count() / 10;
    std::mt19937 random(20261208);
    std::uniform_int_distribution<long> micros(0, 3 * saveMicros + 5000);
    int sawOld = 0, sawNew = 0, changes = 0;
    bool lastWasNew = false;
    constexpr int kKills = 200;
    for (int kill = 0; kill < kKills; ++kill) {
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) saveForever(store, *progress);
        for (int wait = 0; !progress->begun && wait < 20000; ++wait) std::this_thread::sleep_for(std::chrono::microseconds(100));
        std::this_thread::sleep_for(std::chrono::microseconds(micros(random)));
        ::kill(child, SIGKILL);
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFSIGNALED(status)) << "the saving child ended by itself (status " << status << ")";
        progress->begun = false;

        const std::optional<SettingsValues> loaded = store.load();
        ASSERT_TRUE(loaded) << "no settings file after kill " << kill;
        ASSERT_TRUE(*loaded == kOld || *loaded == kNew) << "a mix after kill " << kill << ":\n"
                                                        << readWholeFile(file).bytes;
        (*loaded == kOld ? sawOld : sawNew)++;
        changes += (*loaded == kNew) != lastWasNew;
        lastWasNew = *loaded == kNew;
        const std::string bytes = readWholeFile(file).bytes;
        ASSERT_EQ(bytes.rfind("; written by hand\r\n", 0), 0u) << bytes;
        ASSERT_NE(bytes.find(otherSection), std::string::npos) << bytes;
    }
    // Saves really finished between kills: the file changed many times.
    EXPECT_GT(changes, kKills / 10);

    int leftovers = 0;
    for (const auto& entry : fs::directory_iterator(dir)) leftovers += entry.path() != file;
    // A temporary file left behind is a save killed between writing it and
    // renaming it over the settings file.
    std::printf("one save takes %ld us; %d kills; the file changed %d times (%d old, %d new); "
                "%d saves killed before their rename (a later save removes their files after a minute)\n",
                static_cast<long>(saveMicros), kKills, changes, sawOld, sawNew, leftovers);
    fs::remove_all(dir);
}

}  // namespace
}  // namespace nolt
