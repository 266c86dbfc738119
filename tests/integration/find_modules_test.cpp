// "Find modules…" from the main window's system menu, through the real
// dialogs and the user driver (see find_modules_fixture.h).
#include "find_modules_fixture.h"

#include "support/patterns.h"

namespace nolt::test {
namespace {

using fw::MessageIcon;

const std::vector<std::wstring> kFound{L"127.0.0.5    version 7", L"127.0.0.9    version 1234"};

TEST_F(FindModulesTest, FindsThePlantedModulesAndUseFillsTheMainWindowsFields)
{
    FindModulesDlg& find = openFind();
    EXPECT_EQ(find.GetWindowText(), L"Find modules");
    EXPECT_EQ(find.GetOwner(), dlg.get());
    // A close button only: the window can be neither resized nor maximised.
    EXPECT_EQ(fw::user::titleBarButtons(find), (fw::user::TitleBarButtons{false, false, true}));
    EXPECT_FALSE(find.IsResizable());
    EXPECT_EQ(find.GetDlgItemText(res::IDC_FIND_RANGE), L"127.0.0.0/24");
    EXPECT_EQ(find.GetDlgItemText(res::IDC_FIND_PORT), std::to_wstring(planted.port));
    EXPECT_FALSE(find.IsControlEnabled(res::IDC_FIND_STOP));
    EXPECT_FALSE(find.IsControlEnabled(res::IDC_FIND_USE));

    pressFind(find);
    ASSERT_TRUE(find.Searching());
    EXPECT_FALSE(find.IsControlEnabled(res::IDC_FIND_START));
    EXPECT_TRUE(find.IsControlEnabled(res::IDC_FIND_STOP));
    // The main window stays usable meanwhile.
    EXPECT_TRUE(click(*dlg, res::IDC_REMINDER));
    EXPECT_EQ(boxes.boxes.size(), 1u);
    EXPECT_TRUE(find.Searching()) << "the search ends only with its slowest address, after the time-out";

    ASSERT_TRUE(searchEnds(find));
    EXPECT_EQ(find.GetProgressPos(res::IDC_FIND_PROGRESS), 256);
    EXPECT_EQ(listed(find), kFound);
    const std::wstring status = find.GetDlgItemText(res::IDC_FIND_STATUS);
    EXPECT_TRUE(matchesWhole(status, L"2 modules found among 256 addresses in [1-2]\\.[0-9] s\\."))
        << std::string(status.begin(), status.end());
    EXPECT_TRUE(find.IsControlEnabled(res::IDC_FIND_START));
    EXPECT_FALSE(find.IsControlEnabled(res::IDC_FIND_STOP));
    EXPECT_FALSE(find.IsControlEnabled(res::IDC_FIND_USE)) << "nothing is chosen yet";

    ASSERT_TRUE(fw::user::choose(find, res::IDC_FIND_LIST, 1));
    EXPECT_EQ(find.GetCurSel(res::IDC_FIND_LIST), 1);
    EXPECT_TRUE(find.IsControlEnabled(res::IDC_FIND_USE));
    ASSERT_TRUE(click(find, res::IDC_FIND_USE));
    EXPECT_FALSE(find.IsWindowVisible());
    EXPECT_EQ(text(res::IDC_LINK_IP), L"127.0.0.9");
    EXPECT_EQ(text(res::IDC_LINK_PORT), std::to_wstring(planted.port));
    // Use connects nothing: the module saw the search's one connection only.
    pump(100);
    EXPECT_EQ(planted.modules->connectionsAccepted(PlantedModules::kOtherIndex), 1);
    EXPECT_FALSE(dlg->IsConnected());
    EXPECT_TRUE(log().empty());
}

TEST_F(FindModulesTest, StopCloseAndADoubleClick)
{
    FindModulesDlg& find = openFind();
    pressFind(find);
    ASSERT_TRUE(find.Searching());
    ASSERT_TRUE(click(find, res::IDC_FIND_STOP));
    EXPECT_FALSE(find.Searching()) << "Stop ends the search at once";
    const std::wstring stopped = find.GetDlgItemText(res::IDC_FIND_STATUS);
    EXPECT_TRUE(stopped.starts_with(L"Stopped after ")) << std::string(stopped.begin(), stopped.end());
    EXPECT_LT(find.GetProgressPos(res::IDC_FIND_PROGRESS), 256);
    EXPECT_TRUE(find.IsControlEnabled(res::IDC_FIND_START));

    // A fresh search, then a double-click on the first module.
    pressFind(find);
    ASSERT_TRUE(searchEnds(find));
    ASSERT_EQ(listed(find), kFound);
    ASSERT_TRUE(fw::user::doubleClick(find, res::IDC_FIND_LIST, 0));
    EXPECT_FALSE(find.IsWindowVisible());
    EXPECT_EQ(text(res::IDC_LINK_IP), L"127.0.0.5");

    // Opened again, it starts afresh from the main window's new address;
    // closing it during a search stops the search.
    dlg->SendSysCommand(res::IDM_FIND_MODULES);
    FindModulesDlg& again = findWindow();
    ASSERT_TRUE(again.IsWindowVisible());
    EXPECT_EQ(again.GetCount(res::IDC_FIND_LIST), 0);
    EXPECT_EQ(again.GetDlgItemText(res::IDC_FIND_RANGE), L"127.0.0.0/24");
    again.SetTimeout(kTimeout);
    pressFind(again);
    ASSERT_TRUE(again.Searching());
    fw::user::closeWindow(again);
    EXPECT_TRUE(waitUntil([&] { return !again.IsWindowVisible(); }));
    EXPECT_FALSE(again.Searching());
}

// A range that is no range, too large or public, and a bad port: a box
// says why, and nothing is sent.
TEST_F(FindModulesTest, RefusedInputIsExplainedAndSendsNothing)
{
    FindModulesDlg& find = openFind();
    struct Case {
        const wchar_t* range;
        const wchar_t* port;
        const wchar_t* box;
    };
    const Case cases[] = {
        {L"127.0.0.x", nullptr,
         L"\"127.0.0.x\" is not an address of four numbers 0 to 255; write it as 192.168.2.0/24, "
         L"192.168.2.10-192.168.2.60 or 192.168.2.10-60"},
        {L"127.0.0.0/21", nullptr, L"\"127.0.0.0/21\" holds 2048 addresses; at most 1024 are searched at once"},
        {L"126.255.255.0-127.0.0.255", nullptr,
         L"\"126.255.255.0-127.0.0.255\" holds 126.255.255.0, which is no address of a local network; only private "
         L"(10.0.0.0/8, 172.16.0.0/12, 192.168.0.0/16), link-local (169.254.0.0/16) and loopback (127.0.0.0/8) "
         L"addresses are searched"},
        {L"127.0.0.0/24", L"65535", L"The port must be a number from 1 to 65534."},
        {L"127.0.0.0/24", L"", L"The port must be a number from 1 to 65534."},
    };
    for (const Case& c : cases) {
        boxes.boxes.clear();
        setRange(find, c.range);
        find.SetDlgItemText(res::IDC_FIND_PORT, c.port ? c.port : std::to_wstring(planted.port));
        pressFind(find);
        EXPECT_FALSE(find.Searching());
        ASSERT_EQ(boxes.boxes.size(), 1u) << std::wstring(c.range).size();
        EXPECT_EQ(boxes.boxes[0].text, c.box);
        EXPECT_EQ(boxes.boxes[0].caption, L"Find modules");
        EXPECT_EQ(boxes.boxes[0].icon, MessageIcon::Exclamation);
        EXPECT_TRUE(find.IsControlEnabled(res::IDC_FIND_START));
    }
    pump(100);
    EXPECT_EQ(planted.connectionsAccepted(), 0);
}

}  // namespace
}  // namespace nolt::test
