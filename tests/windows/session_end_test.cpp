// Log-off and shut-down: Windows asks every top-level window with
// WM_QUERYENDSESSION and then ends the session with WM_ENDSESSION, without
// a WM_CLOSE. The typed settings must be saved then.

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "app/nolt_pcclient_dlg.h"
#include "framework/win32/win32_impl.h"
#include "res/resource.h"
#include "support/dialog_support.h"

namespace nolt::test {
namespace {

std::string readAll(const std::filesystem::path& p)
{
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

class SessionEndTest : public DialogTest<Cnolt_PCClientDlg> {
protected:
    HWND window() const { return fw::DialogAccess::window(*dlg); }
    std::wstring logText() const { return dlg->GetDlgItemText(res::IDC_LOG); }
};

TEST_F(SessionEndTest, TheTypedSettingsAreSavedWhenTheSessionEndsAndOnlyThen)
{
    ASSERT_TRUE(setIpText(*dlg, res::IDC_CAMERA_IP, L"10.7.7.7"));
    // Whether the session may end: the tool never holds it up.
    EXPECT_NE(SendMessageW(window(), WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF), 0);
    EXPECT_FALSE(std::filesystem::exists(settings.path())) << "asking saves nothing";
    SendMessageW(window(), WM_ENDSESSION, FALSE, ENDSESSION_LOGOFF);
    EXPECT_FALSE(std::filesystem::exists(settings.path())) << "a session end called off saves nothing";
    SendMessageW(window(), WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
    EXPECT_NE(readAll(settings.path()).find("DstIp=10.7.7.7\r\n"), std::string::npos);
    EXPECT_TRUE(boxes.boxes.empty());
    EXPECT_TRUE(logText().empty());
}

// A failed save at the session's end goes to the log only: a box would hold
// up the log-off with nobody left to read it.
TEST_F(SessionEndTest, ASaveThatFailsAtTheSessionsEndShowsNoBox)
{
    const std::filesystem::path blocker = settings.path().parent_path() / (uniqueName("nolt-blocker") + ".txt");
    std::ofstream(blocker) << "x";
    useSettingsFile(blocker / "Config.ini");
    SendMessageW(window(), WM_ENDSESSION, TRUE, 0);
    useSettingsFile(settings.path());
    std::filesystem::remove(blocker);
    EXPECT_TRUE(boxes.boxes.empty());
    EXPECT_EQ(logText().rfind(L"The settings could not be saved to ", 0), 0u) << logText();
}

}  // namespace
}  // namespace nolt::test
