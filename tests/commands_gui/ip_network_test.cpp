// "Save IP to Camera", the bandwidth and the DHCP buttons, in the real
// dialog, with the frames checked where the module received them.

#include "commands_fixture.h"

#include "commands/ip_checks.h"

namespace nolt::test {
namespace {

using namespace res;

constexpr auto kSendFailedLine = L"Operation failed, please check the connection";
constexpr auto kNotConnected = L"Operation failed, please connect first!";

constexpr auto kDefaultsFrame =
    "AA 04 16 00 00 00 0E 00 00 C0 A8 02 77 C0 A8 02 01 00 00 00 00 FF FF FF 00 57";
constexpr auto kUdpFrame = "AA 04 16 C0 A8 05 03 59 DB C0 A8 02 77 C0 A8 02 01 00 00 00 00 FF FF FF 00 ED";
constexpr auto k10M = "AA 20 01 01 01";

// The module takes the settings without answering, so that every box the
// test sees comes from the checks, not from a reply.
sim::Faults silent()
{
    sim::Faults f;
    f.silent = true;
    return f;
}

class IpNetworkTest : public CommandsTest {
protected:
    void SetUp() override
    {
        CommandsTest::SetUp();
        connectTo(module);
    }
    RecordingModule module{silent()};
};

TEST_F(IpNetworkTest, StartTextsAreSentWithTheFillerUnlessUdpBareFlowIsChosen)
{
    // No push mode chosen: the UDP fields hold values but the filler goes.
    ASSERT_TRUE(click(*dlg, IDC_SAVE_IP));
    ASSERT_TRUE(selectItem(*dlg, IDC_MAIN_PUSH_MODE, 1));  // "RTSP"
    ASSERT_TRUE(click(*dlg, IDC_SAVE_IP));
    ASSERT_TRUE(selectItem(*dlg, IDC_MAIN_PUSH_MODE, 0));  // "UDP Bare flow"
    ASSERT_TRUE(click(*dlg, IDC_SAVE_IP));
    ASSERT_TRUE(module.waitReceived(3));
    EXPECT_EQ(module.received(), (std::vector<std::string>{kDefaultsFrame, kDefaultsFrame, kUdpFrame}));
    EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(IpNetworkTest, UdpFieldsTypedByTheUserTravelHighByteFirst)
{
    ASSERT_TRUE(selectItem(*dlg, IDC_MAIN_PUSH_MODE, 0));
    ASSERT_TRUE(setIpText(*dlg, IDC_UDP_DST_IP, L"10.0.0.255"));
    dlg->SetDlgItemText(IDC_UDP_PORT, L"65534");
    ASSERT_TRUE(setIpText(*dlg, IDC_DNS, L"0.0.0.0"));
    ASSERT_TRUE(setIpText(*dlg, IDC_SUBMASK, L"0.0.0.0"));
    ASSERT_TRUE(click(*dlg, IDC_SAVE_IP));
    ASSERT_TRUE(module.waitReceived(1));
    EXPECT_EQ(module.received().at(0),
              "AA 04 16 0A 00 00 FF FF FE C0 A8 02 77 C0 A8 02 01 00 00 00 00 00 00 00 00 52");
    EXPECT_EQ(module.server().state().mask, (sim::Ipv4{0, 0, 0, 0}));
}

// One field changed from the start texts (push mode "UDP Bare flow"), and
// what the press gives: a box, or a frame the module accepts.
struct SaveIpCase {
    int field;
    const wchar_t* text;
    std::wstring_view box;  // empty: sent
};

TEST_F(IpNetworkTest, EachCheckAtItsEdges)
{
    const SaveIpCase cases[] = {
        {IDC_UDP_DST_IP, L"192.168.5.255", {}},
        {IDC_UDP_DST_IP, L"192.168.5.2", {}},
        {IDC_UDP_DST_IP, L"192.168.5.1", kUdpAddressIllegal},
        {IDC_UDP_DST_IP, L"192.168.5.0", kUdpAddressIllegal},
        {IDC_UDP_DST_IP, L"0.168.5.3", kUdpAddressIllegal},
        {IDC_UDP_PORT, L"1025", {}},
        {IDC_UDP_PORT, L"65534", {}},
        {IDC_UDP_PORT, L"1024", kPortIllegal},
        {IDC_UDP_PORT, L"65535", kPortIllegal},
        {IDC_UDP_PORT, L"0", kPortIllegal},
        {IDC_UDP_PORT, L"", kPortIllegal},
        {IDC_UDP_PORT, L"-23003", kPortIllegal},
        {IDC_CAMERA_IP, L"192.168.2.2", {}},
        {IDC_CAMERA_IP, L"192.168.2.254", {}},
        {IDC_CAMERA_IP, L"192.168.2.1", kCameraAddressIllegal},
        {IDC_CAMERA_IP, L"192.168.2.0", kCameraAddressIllegal},
        {IDC_CAMERA_IP, L"192.168.2.255", kCameraAddressIllegal},
        {IDC_CAMERA_IP, L"0.168.2.119", kCameraAddressIllegal},
        {IDC_GATEWAY, L"10.0.0.1", {}},
        {IDC_GATEWAY, L"192.168.2.0", kGatewayIllegal},
        {IDC_GATEWAY, L"192.168.2.255", kGatewayIllegal},
        {IDC_GATEWAY, L"0.168.2.1", kGatewayIllegal},
    };
    ASSERT_TRUE(selectItem(*dlg, IDC_MAIN_PUSH_MODE, 0));
    std::size_t sent = 0;
    for (const SaveIpCase& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.field << " " << c.text);
        const std::wstring before = dlg->GetDlgItemText(c.field);
        dlg->SetDlgItemText(c.field, c.text);
        ASSERT_EQ(dlg->GetDlgItemText(c.field), c.text);
        boxes.boxes.clear();
        ASSERT_TRUE(click(*dlg, IDC_SAVE_IP));
        if (c.box.empty()) {
            EXPECT_TRUE(boxes.boxes.empty());
            ++sent;
            EXPECT_TRUE(module.waitReceived(sent));
        } else {
            ASSERT_EQ(boxes.boxes.size(), 1u);
            EXPECT_EQ(boxes.boxes[0].text, c.box);
            EXPECT_EQ(boxes.boxes[0].caption, L"Tips");
            EXPECT_EQ(boxes.boxes[0].icon, fw::MessageIcon::Exclamation);
        }
        dlg->SetDlgItemText(c.field, before);
    }
    // A last frame behind all of them shows that no refused press sent anything.
    ASSERT_TRUE(click(*dlg, IDC_BANDWIDTH_10M));
    ASSERT_TRUE(module.waitReceived(sent + 1));
    const auto got = module.received();
    EXPECT_EQ(got.size(), sent + 1);
    EXPECT_EQ(got.back(), k10M);
}

TEST_F(IpNetworkTest, OnlyTheFirstFailingCheckIsReported)
{
    ASSERT_TRUE(selectItem(*dlg, IDC_MAIN_PUSH_MODE, 0));
    dlg->SetDlgItemText(IDC_CAMERA_IP, L"0.0.0.0");
    dlg->SetDlgItemText(IDC_GATEWAY, L"0.0.0.0");
    ASSERT_TRUE(click(*dlg, IDC_SAVE_IP));  // module address before gateway
    dlg->SetDlgItemText(IDC_UDP_PORT, L"1");
    ASSERT_TRUE(click(*dlg, IDC_SAVE_IP));  // port before both
    dlg->SetDlgItemText(IDC_UDP_DST_IP, L"1.1.1.1");
    ASSERT_TRUE(click(*dlg, IDC_SAVE_IP));  // UDP address before all
    EXPECT_EQ(boxTexts(), (std::vector<std::wstring>{std::wstring(kCameraAddressIllegal),
                                                     std::wstring(kPortIllegal),
                                                     std::wstring(kUdpAddressIllegal)}));
    // Outside UDP mode the bad UDP fields are not looked at.
    ASSERT_TRUE(selectItem(*dlg, IDC_MAIN_PUSH_MODE, 4));
    ASSERT_TRUE(click(*dlg, IDC_SAVE_IP));
    ASSERT_EQ(boxes.boxes.size(), 4u);
    EXPECT_EQ(boxes.boxes.back().text, kCameraAddressIllegal);
}

TEST_F(IpNetworkTest, RadioButtonsSendOnEveryClick)
{
    ASSERT_TRUE(click(*dlg, IDC_BANDWIDTH_10M));
    ASSERT_TRUE(click(*dlg, IDC_BANDWIDTH_10M));
    ASSERT_TRUE(click(*dlg, IDC_BANDWIDTH_100M));
    ASSERT_TRUE(click(*dlg, IDC_DHCP_ON));
    ASSERT_TRUE(click(*dlg, IDC_DHCP_OFF));
    ASSERT_TRUE(module.waitReceived(5));
    EXPECT_EQ(module.received(),
              (std::vector<std::string>{k10M, k10M, "AA 20 01 00 00", "AA 21 01 01 01", "AA 21 01 00 00"}));
    EXPECT_TRUE(dlg->IsDlgButtonChecked(IDC_DHCP_OFF));
    EXPECT_FALSE(module.server().state().dhcpOn);
    EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(CommandsTest, WithoutAConnection)
{
    // The radio buttons try anyway and say so in the log only.
    for (int id : {IDC_BANDWIDTH_10M, IDC_BANDWIDTH_100M, IDC_DHCP_ON, IDC_DHCP_OFF}) {
        SCOPED_TRACE(id);
        dlg->SetDlgItemText(IDC_LOG, L"");
        ASSERT_TRUE(click(*dlg, id));
        EXPECT_EQ(log(), std::wstring(kSendFailedLine) + L"\r\n");
    }
    EXPECT_TRUE(boxes.boxes.empty());
    // Save IP stops at its guard, before any check.
    dlg->SetDlgItemText(IDC_CAMERA_IP, L"0.0.0.0");
    ASSERT_TRUE(click(*dlg, IDC_SAVE_IP));
    EXPECT_EQ(boxTexts(), std::vector<std::wstring>{kNotConnected});
    EXPECT_EQ(boxes.boxes.at(0).icon, fw::MessageIcon::Exclamation);
}

}  // namespace
}  // namespace nolt::test
