// Every visible control of the tool's dialogs as a screen reader hears it,
// read back through the platform's accessibility interface (QAccessible on
// Qt, MSAA on Windows), against one table for both backends. Where the
// platform does not implement the part that takes the names the framework
// hands it (wine's property service answers E_NOTIMPL), the handed names are
// checked and the test says so in its skip; any other refusal fails.

#include <gtest/gtest.h>

#include "accessibility/heard_names.h"
#include "app/about_dlg.h"
#include "app/nolt_pcclient_dlg.h"
#include "commands/push_address_dialog.h"
#include "find_modules/find_modules_dlg.h"
#include "framework/accessible_names.h"
#include "link/link.h"
#include "platform/command_interpreter.h"
#include "support/dialog_support.h"
#include "tools/tools_dialog.h"

namespace nolt {
namespace {

using test::Heard;

// Checks each row; returns why the platform did not answer, if it did not.
std::string expectHeard(const fw::CDialogEx& dlg, std::span<const Heard> table)
{
    // The table has every visible control with an id, in template order.
    std::vector<int> visible, listed;
    for (const fw::ControlTemplate& c : dlg.Template().controls)
        if (c.id != fw::IDC_STATIC && dlg.IsControlVisible(c.id)) visible.push_back(c.id);
    for (const Heard& h : table) listed.push_back(h.id);
    EXPECT_EQ(listed, visible);

    std::string unheard;
    for (const Heard& h : table) {
        SCOPED_TRACE("control " + std::to_string(h.id));
        const fw::user::Spoken s = fw::user::spoken(dlg, h.id);
        EXPECT_EQ(s.refused, "");
        EXPECT_EQ(s.name, h.name);
        if (dlg.GetControlKind(h.id) == fw::ControlKind::IpAddress) {
            std::vector<std::wstring> parts;
            for (int i = 1; i <= 4; ++i) parts.push_back(fw::ipAddressPartName(h.name, i));
            EXPECT_EQ(s.parts, parts);
            if (s.unheard.empty()) {
                EXPECT_EQ(s.value, dlg.GetDlgItemText(h.id));
            }
        }
        if (!s.unheard.empty()) unheard = s.unheard;
    }
    return unheard;
}

// A link for the push-address dialog; it is never connected.
class NoWindow : public LinkUi {
public:
    void appendLog(const std::wstring&) override {}
    void clearLog() override {}
    void messageBox(const std::wstring&, BoxIcon) override {}
    void setControlText(int, const std::wstring&) override {}
    void enableControl(int, bool) override {}
};

class HeardNamesTest : public ::testing::Test {
protected:
    test::IsolatedSettings settings;
    test::BoxRecorder boxes;
};

TEST_F(HeardNamesTest, MainDialog)
{
    auto dlg = test::openDialog<Cnolt_PCClientDlg>();
    const std::string unheard = expectHeard(*dlg, test::kMainDialogHeard);
    if (!unheard.empty()) GTEST_SKIP() << unheard;
}

// A list is heard by its label whatever item is chosen, the item being its
// value; an IP-address control's value follows what is typed into it.
TEST_F(HeardNamesTest, MainDialogNamesStayWhileValuesChange)
{
    auto dlg = test::openDialog<Cnolt_PCClientDlg>();
    ASSERT_TRUE(test::selectItem(*dlg, 1022, 1));
    ASSERT_TRUE(test::setIpText(*dlg, 1011, "10.1.2.3"));
    const fw::user::Spoken list = fw::user::spoken(*dlg, 1022);
    const fw::user::Spoken ip = fw::user::spoken(*dlg, 1011);
    EXPECT_EQ(list.refused, "");
    EXPECT_EQ(ip.refused, "");
    EXPECT_EQ(list.name, L"Resolution");
    EXPECT_EQ(ip.name, L"Camera IP");
    if (!list.unheard.empty()) GTEST_SKIP() << list.unheard;
    EXPECT_EQ(list.value, L"1080P");
    EXPECT_EQ(ip.value, L"10.1.2.3");
}

TEST_F(HeardNamesTest, ToolsDialog)
{
    RecordingCommandInterpreter interpreter;
    auto dlg = test::openDialog<DlgOther>(interpreter);
    const std::string unheard = expectHeard(*dlg, test::kToolsDialogHeard);
    EXPECT_TRUE(interpreter.commands().empty());
    if (!unheard.empty()) GTEST_SKIP() << unheard;
}

TEST_F(HeardNamesTest, PushAddressDialog)
{
    NoWindow window;
    Link link(window);
    auto dlg = test::openDialog<DlgOther2>(link);
    const std::string unheard = expectHeard(*dlg, test::kPushAddressDialogHeard);
    if (!unheard.empty()) GTEST_SKIP() << unheard;
}

// Opened with a loopback range; nothing is searched.
TEST_F(HeardNamesTest, FindModulesDialog)
{
    auto dlg = test::openDialog<FindModulesDlg>(L"127.0.0.0/24", L"2000", [](const std::wstring&, const std::wstring&) {});
    const std::string unheard = expectHeard(*dlg, test::kFindModulesDialogHeard);
    if (!unheard.empty()) GTEST_SKIP() << unheard;
}

TEST_F(HeardNamesTest, AboutBox)
{
    auto dlg = test::openDialog<CAboutDlg>();
    const std::string unheard = expectHeard(*dlg, test::kAboutBoxHeard);
    if (!unheard.empty()) GTEST_SKIP() << unheard;
}

}  // namespace
}  // namespace nolt
