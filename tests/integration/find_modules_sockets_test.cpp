// The "Find modules" window in a process that has no descriptor left: the
// search can open no socket, and the window says so instead of reporting
// the addresses as searched. Each test case is a process of its own, so
// the lowered limit goes with it.
#include "find_modules_fixture.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

namespace nolt::test {
namespace {

// Takes every descriptor the process may still open, under a limit it can
// no longer raise, and gives them back when it goes.
class EveryDescriptorTaken {
public:
    explicit EveryDescriptorTaken(rlim_t limit)
    {
        const rlimit low{limit, limit};
        if (::setrlimit(RLIMIT_NOFILE, &low) != 0) return;
        for (int fd; (fd = ::open("/dev/null", O_RDONLY | O_CLOEXEC)) >= 0;) taken_.push_back(fd);
        full_ = errno == EMFILE;
    }
    ~EveryDescriptorTaken()
    {
        for (int fd : taken_) ::close(fd);
    }
    EveryDescriptorTaken(const EveryDescriptorTaken&) = delete;
    EveryDescriptorTaken& operator=(const EveryDescriptorTaken&) = delete;

    bool full() const { return full_; }

private:
    std::vector<int> taken_;
    bool full_ = false;
};

TEST_F(FindModulesTest, ASearchWithoutSocketsSaysSo)
{
    FindModulesDlg& find = openFind();
    setRange(find, L"127.0.0.0/30");
    // A search with descriptors to spare first; it also lets a sanitizer's
    // checks of dynamic types (which take descriptors of their own the first
    // time they meet a type) see every type beforehand.
    pressFind(find);
    ASSERT_TRUE(searchEnds(find));
    EXPECT_TRUE(find.GetDlgItemText(res::IDC_FIND_STATUS).starts_with(L"0 modules found among 4 addresses"));
    {
        const EveryDescriptorTaken taken(1024);
        ASSERT_TRUE(taken.full()) << "the descriptors could not all be taken";
        pressFind(find);
        ASSERT_TRUE(searchEnds(find));
    }
    EXPECT_EQ(find.GetDlgItemText(res::IDC_FIND_STATUS), L"No socket could be opened (too many are open).");
    EXPECT_TRUE(find.IsControlEnabled(res::IDC_FIND_START));
    EXPECT_EQ(find.GetCount(res::IDC_FIND_LIST), 0);
    EXPECT_TRUE(boxes.boxes.empty());
}

}  // namespace
}  // namespace nolt::test
