// The main dialog's Tools button: each press opens a new Tools dialog with
// the default addresses, whether or not the module is connected, and the
// Tools dialog leaves the link alone.

#include <gtest/gtest.h>

#include <filesystem>

#include "app/nolt_pcclient_dlg.h"
#include "support/dialog_support.h"
#include "platform/tcp_listener.h"
#include "res/resource.h"
#include "tools/tools_dialog.h"

namespace nolt {
namespace {

using namespace res;

// What one opening of the Tools dialog showed, and what it was closed with.
struct Opening {
    std::wstring pc, gateway, module;
    int focus = 0;
};

class ToolsButtonTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        // Nothing of the user's settings is read.
        test::useSettingsFile(std::filesystem::temp_directory_path() / (test::uniqueName("nolt-tools") + "-none.ini"));
        setToolsCommandInterpreter(&rec);
        main = test::openDialog<Cnolt_PCClientDlg>();
    }
    void TearDown() override
    {
        main.reset();
        setToolsCommandInterpreter(nullptr);
        test::useSettingsFile({});
    }

    test::BoxRecorder boxes;
    RecordingCommandInterpreter rec;
    std::unique_ptr<Cnolt_PCClientDlg> main;
};

TEST_F(ToolsButtonTest, EachOpeningShowsTheDefaultsWithOrWithoutAConnection)
{
    auto listener = TcpListener::open("127.0.0.1", 0);
    ASSERT_TRUE(listener);

    std::vector<Opening> seen;
    // Each opening: look, type new addresses as a user would, press the
    // address and ping buttons, then close the dialog a different way.
    const std::function<void(fw::CDialogEx&)> closers[] = {
        [](fw::CDialogEx&) { fw::user::press(fw::user::Key::Escape); },
        [](fw::CDialogEx& d) { fw::user::closeWindow(d); },
        [](fw::CDialogEx& d) {
            d.GotoDlgCtrl(IDC_TOOLS_GATEWAY);
            fw::user::press(fw::user::Key::Enter);
        },
    };
    test::ModalHook hook([&](fw::CDialogEx& d) {
        fw::user::activate(d);
        seen.push_back({d.GetDlgItemText(IDC_TOOLS_PC_IP), d.GetDlgItemText(IDC_TOOLS_GATEWAY),
                        d.GetDlgItemText(IDC_TOOLS_MODULE_IP), d.GetFocusId()});
        const std::string n = std::to_string(seen.size());
        EXPECT_TRUE(test::setIpText(d, IDC_TOOLS_PC_IP, "10.0." + n + ".5"));
        EXPECT_TRUE(test::setIpText(d, IDC_TOOLS_GATEWAY, "10.0." + n + ".1"));
        EXPECT_TRUE(test::setIpText(d, IDC_TOOLS_MODULE_IP, "127.0.0.1"));
        EXPECT_TRUE(test::click(d, IDC_TOOLS_SET_LOCAL_IP));
        EXPECT_TRUE(test::click(d, IDC_TOOLS_PING));
        closers[seen.size() - 1](d);
    });

    ASSERT_TRUE(test::click(*main, IDC_TOOLS));
    ASSERT_TRUE(test::click(*main, IDC_TOOLS));

    main->SetDlgItemText(IDC_LINK_IP, L"127.0.0.1");
    main->SetDlgItemText(IDC_LINK_PORT, std::to_wstring(listener->port()));
    main->SendNotification(IDC_CONNECT, fw::Notify::Click);
    ASSERT_TRUE(test::pumpUntil([&] { return main->IsConnected(); }));
    auto peer = listener->accept(2000);
    ASSERT_TRUE(peer);
    ASSERT_TRUE(test::click(*main, IDC_TOOLS));

    ASSERT_EQ(hook.calls, 3);
    ASSERT_EQ(seen.size(), 3u);
    for (std::size_t i = 0; i < seen.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(seen[i].pc, L"192.168.2.66");
        EXPECT_EQ(seen[i].gateway, L"192.168.2.1");
        EXPECT_EQ(seen[i].module, L"192.168.2.119");
        EXPECT_EQ(seen[i].focus, IDC_TOOLS_PC_IP);
    }
    // Three commands per opening, each with the addresses typed in it.
    ASSERT_EQ(rec.commands().size(), 9u);
    for (std::size_t i = 0; i < 3; ++i) {
        const std::string n = std::to_string(i + 1);
        EXPECT_EQ(rec.commands()[3 * i].intent,
                  CommandIntent(SetAddressIntent{"\xB1\xBE\xB5\xD8\xC1\xAC\xBD\xD3", "10.0." + n + ".5",
                                                 "10.0." + n + ".1"}));
        EXPECT_EQ(rec.commands()[3 * i + 1].intent,
                  CommandIntent(SetAddressIntent{"\xD2\xD4\xCC\xAB\xCD\xF8", "10.0." + n + ".5",
                                                 "10.0." + n + ".1"}));
        EXPECT_EQ(rec.commands()[3 * i + 2].line, "ping 127.0.0.1 -t");
    }

    // The Tools dialog sent nothing on the link and left it connected.
    std::uint8_t buf[16];
    EXPECT_EQ(peer->receive(buf, 100).status, ReceiveResult::Status::Timeout);
    EXPECT_TRUE(main->IsConnected());
    EXPECT_TRUE(main->IsWindowVisible());
    EXPECT_TRUE(boxes.boxes.empty());
}

}  // namespace
}  // namespace nolt
