// Settings files in folders that cannot be written (made so with POSIX
// permissions and the immutable attribute): an existing file is saved in
// place, nothing is said, and nothing is left behind. (A save that fails:
// settings_test.cpp, on both backends.)
#include "dialog_fixture.h"

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace nolt::test {
namespace {

using SettingsFolderTest = DialogFixture;

// A folder nobody may write into, even root: the immutable attribute.
bool makeImmutable(const std::filesystem::path& dir, bool on)
{
    const int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY);
    if (fd < 0) return false;
    int flags = 0;
    bool ok = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
    ok = ok && ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    ::close(fd);
    return ok;
}

TEST_F(SettingsFolderTest, AFileInAFolderThatTakesNoNewFilesIsSavedInPlace)
{
    // The file itself may be written, and the save goes into it in place.
    const auto locked = dir() / "locked";
    std::filesystem::create_directories(locked);
    const std::string old = "[SaveData]\r\nLinkIP=10.9.9.9\r\nLinkPort=7\r\nDstIp=10.9.9.8\r\n";
    writeFile(locked / "Config.ini", old);
    useSettingsFile(locked / "Config.ini");
    std::filesystem::permissions(locked, std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
    const bool immutable = makeImmutable(locked, true);
    if (!immutable && ::access(locked.c_str(), W_OK) == 0) {
        std::filesystem::permissions(locked, std::filesystem::perms::owner_all);
        GTEST_SKIP() << "no way here to make a folder unwritable";
    }
    open();
    dlg->SetDlgItemText(res::IDC_LINK_PORT, L"8");
    ASSERT_TRUE(click(*dlg, res::IDC_CLOSE));
    EXPECT_FALSE(dlg->IsWindowVisible());
    EXPECT_TRUE(boxes.boxes.empty());
    if (immutable) makeImmutable(locked, false);
    std::filesystem::permissions(locked, std::filesystem::perms::owner_all);
    EXPECT_EQ(readFile(locked / "Config.ini"),
              "[SaveData]\r\nLinkIP=10.9.9.9\r\nLinkPort=8\r\nDstIp=10.9.9.8\r\nGateway=0.0.0.0\r\n"
              "DNS=0.0.0.0\r\nUdpDstIp=0.0.0.0\r\nUdpPort=NULL\r\n");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(locked), std::filesystem::directory_iterator()), 1)
        << "no temporary file is left behind";
}

}  // namespace
}  // namespace nolt::test
