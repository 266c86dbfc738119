// Start-up of the application: the socket library, the main dialog run once.

#include <gtest/gtest.h>

#include "app/nolt_pcclient_app.h"
#include "framework/win_app.h"
#include "gui_test_support.h"
#include "res/resource.h"

namespace nolt {
namespace {

class StartupTest : public ::testing::Test {
protected:
    void SetUp() override { test::guiApp(); }
    void TearDown() override { fw::setSocketStartup({}); }
    test::IsolatedSettings settings;
    test::BoxRecorder boxes;
};

TEST_F(StartupTest, SocketStartupFailureShowsBoxAndNoDialog)
{
    fw::setSocketStartup([] { return false; });
    test::ModalHook hook([](fw::CDialogEx& d) { d.EndDialog(fw::IDCANCEL); });
    Cnolt_PCClientApp app;
    EXPECT_FALSE(app.InitInstance());
    EXPECT_EQ(hook.calls, 0);
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text, L"Windows 套接字初始化失败。");
    EXPECT_EQ(boxes.boxes[0].caption, L"nolt PC client");
}

TEST_F(StartupTest, RunShowsMainDialogOnceAndEndsNormally)
{
    int mainDialogs = 0;
    test::ModalHook hook([&](fw::CDialogEx& d) {
        if (d.Template().id == res::IDD_NOLT_PCCLIENT_DIALOG) ++mainDialogs;
        EXPECT_TRUE(d.IsWindowVisible());
        d.SendClose();  // the title bar's close button
    });
    Cnolt_PCClientApp app;
    EXPECT_EQ(app.registryKey(), L"");
    EXPECT_EQ(app.run(), 0);
    EXPECT_EQ(mainDialogs, 1);
    EXPECT_EQ(app.registryKey(), L"应用程序向导生成的本地应用程序");
    EXPECT_TRUE(boxes.boxes.empty());
}

}  // namespace
}  // namespace nolt
