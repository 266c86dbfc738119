// Connect, Disconnect and the ends of a link, through the real dialog
// against modules on 127.0.0.1.
#include "dialog_fixture.h"
#include "link/hex.h"
#include "raw_peer.h"
#include "sim/server.h"

#include <chrono>
#include <thread>

namespace nolt::test {
namespace {

using fw::MessageIcon;

class ConnectTest : public DialogFixture {};

const int kResetFields[] = {res::IDC_VERSION, res::IDC_INPUT_FREQ, res::IDC_OUTPUT_FREQ, res::IDC_DEST_IMG_SIZE,
                            res::IDC_SRC_IMG_SIZE};

TEST_F(ConnectTest, ASuccessfulConnectLeavesExactlyTheSuccessLine)
{
    RawPeer module;
    open();
    dlg->AppendLog(L"an earlier line");
    connectTo(module.port());
    EXPECT_EQ(log(), std::vector<std::wstring>{kConnected});
    EXPECT_FALSE(enabled(res::IDC_CONNECT));
    EXPECT_TRUE(enabled(res::IDC_DISCONNECT));
    EXPECT_TRUE(boxes.boxes.empty());
    EXPECT_TRUE(waitUntil([&] { return module.accepted(); }));
    EXPECT_TRUE(module.read(100).empty()) << "connecting sends nothing";
}

// Connect and Disconnect are disabled right after the mouse pressed them,
// while they have the focus: the focus moves on to the next tab stop, so
// that the keyboard keeps working.
TEST_F(ConnectTest, TheFocusMovesOnWhenTheButtonThatHasItIsDisabled)
{
    RawPeer module;
    open();
    connectTo(module.port());
    EXPECT_FALSE(enabled(res::IDC_CONNECT));
    EXPECT_EQ(dlg->GetFocusId(), res::IDC_LOG);
    ASSERT_TRUE(click(*dlg, res::IDC_DISCONNECT));
    ASSERT_TRUE(linkIdle());
    EXPECT_FALSE(enabled(res::IDC_DISCONNECT));
    EXPECT_EQ(dlg->GetFocusId(), res::IDC_CLOSE);
    ASSERT_TRUE(fw::user::press(fw::user::Key::Tab));
    EXPECT_EQ(dlg->GetFocusId(), res::IDC_OUTPUT_FREQ);
}

struct InputCase {
    const wchar_t* ip;
    const wchar_t* port;
    bool accepted;
};

// 0.0.0.0 is what the address control reads when blank or given a text that
// is not an address, such as "NULL" from a settings file.
const InputCase kInputCases[] = {
    {L"127.0.0.1", L"65534", true}, {L"127.0.0.1", L"1", true},      {L"127.0.0.1", L"65535", false},
    {L"127.0.0.1", L"0", false},    {L"127.0.0.1", L"", false},      {L"127.0.0.1", L"-1", false},
    {L"127.0.0.1", L"-2000", false}, {L"127.0.0.1", L"port", false}, {L"0.0.0.0", L"2000", false},
    {L"0.0.0.0", L"65534", false},  {L"NULL", L"2000", false},
};

TEST_F(ConnectTest, AddressAndPortAreCheckedBeforeConnecting)
{
    open();
    for (const InputCase& c : kInputCases) {
        SCOPED_TRACE(std::wstring(c.ip) + L":" + c.port);
        boxes.boxes.clear();
        dlg->SetDlgItemText(res::IDC_LOG, L"");
        pressConnect(c.ip, c.port);
        ASSERT_TRUE(waitUntil([&] { return !boxes.boxes.empty(); }, 5000));
        ASSERT_TRUE(linkIdle());
        if (c.accepted) {
            // Nothing listens there, so the attempt itself fails.
            EXPECT_EQ(boxes.boxes[0].text, kConnectFailedBox);
            EXPECT_EQ(log(), (std::vector<std::wstring>{kWaiting, kConnectFailedLog}));
        } else {
            EXPECT_EQ(boxes.boxes[0].text, kBadInput);
            EXPECT_EQ(boxes.boxes[0].caption, L"Tips");
            EXPECT_EQ(boxes.boxes[0].icon, MessageIcon::None);
            EXPECT_TRUE(log().empty()) << "a refused input leaves the log alone";
        }
        EXPECT_EQ(boxes.boxes.size(), 1u);
        EXPECT_TRUE(enabled(res::IDC_CONNECT));
        EXPECT_FALSE(enabled(res::IDC_DISCONNECT));
    }
}

TEST_F(ConnectTest, ARefusedConnectionShowsTheFailureBoxThenTheLine)
{
    open();
    dlg->AppendLog(L"kept");
    pressConnect(L"127.0.0.1", std::to_wstring(closedPort()));
    ASSERT_TRUE(waitForLine(kConnectFailedLog));
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text, kConnectFailedBox);
    EXPECT_EQ(boxes.boxes[0].icon, MessageIcon::Exclamation);
    EXPECT_EQ(log(), (std::vector<std::wstring>{L"kept", kWaiting, kConnectFailedLog}));
    EXPECT_TRUE(linkIdle());
    EXPECT_TRUE(enabled(res::IDC_CONNECT));
    EXPECT_FALSE(enabled(res::IDC_DISCONNECT));
    EXPECT_FALSE(dlg->IsConnected());
}

TEST_F(ConnectTest, DisconnectDuringAPendingConnectTakesTheFailurePath)
{
    const std::uint16_t port = fullListener();
    ASSERT_NE(port, 0) << "could not fill a listen queue";
    open();
    pressConnect(L"127.0.0.1", std::to_wstring(port));
    ASSERT_TRUE(waitUntil([&] { return enabled(res::IDC_DISCONNECT); }));
    ASSERT_TRUE(waitForLine(kWaiting));
    pump(200);
    ASSERT_TRUE(dlg->link_->threadRunning()) << "the connect did not pend";
    // A second press while the connect pends starts nothing.
    dlg->SendNotification(res::IDC_CONNECT, fw::Notify::Click);

    const auto pressed = std::chrono::steady_clock::now();
    ASSERT_TRUE(click(*dlg, res::IDC_DISCONNECT));
    ASSERT_TRUE(waitForLine(kConnectFailedLog, 1000));
    EXPECT_LT(std::chrono::steady_clock::now() - pressed, std::chrono::milliseconds(1000));
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text, kConnectFailedBox);
    EXPECT_EQ(log(), (std::vector<std::wstring>{kWaiting, kConnectFailedLog}));
    EXPECT_TRUE(linkIdle());
    EXPECT_TRUE(enabled(res::IDC_CONNECT));
    EXPECT_FALSE(enabled(res::IDC_DISCONNECT));
}

TEST_F(ConnectTest, DisconnectEndsTheLinkSilentlyAndEmptiesTheFields)
{
    RawPeer module;
    open();
    connectTo(module.port());
    ASSERT_TRUE(waitUntil([&] { return module.accepted(); }));
    ASSERT_TRUE(module.write(hex("AA 05 04 00 00 01 02 03")));
    ASSERT_TRUE(module.write(hex("AA 01 0A 19 32 07 80 04 38 05 00 02 D0 E5")));
    ASSERT_TRUE(waitUntil([&] { return log().size() == 3; }));
    ASSERT_EQ(text(res::IDC_VERSION), L"258");

    ASSERT_TRUE(click(*dlg, res::IDC_DISCONNECT));
    EXPECT_TRUE(waitUntil([&] { return module.peerClosed(0); }));
    EXPECT_TRUE(linkIdle());
    EXPECT_EQ(log().size(), 3u) << "Disconnect writes no line";
    EXPECT_FALSE(dlg->IsConnected());
    EXPECT_TRUE(enabled(res::IDC_CONNECT));
    EXPECT_FALSE(enabled(res::IDC_DISCONNECT));
    for (int id : kResetFields) EXPECT_EQ(text(id), L"") << id;
    EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(ConnectTest, TheModuleClosingTheConnectionLogsDisconnected)
{
    sim::ServerOptions options;
    options.port = 0;
    options.module.faults.closeAfterFrames = 1;
    sim::SimServer module(options);
    ASSERT_TRUE(module.start());
    open();
    connectTo(module.port());
    ASSERT_TRUE(click(*dlg, res::IDC_STATUS_QUERY));
    ASSERT_TRUE(waitForLine(kDisconnected));
    EXPECT_EQ(log(), (std::vector<std::wstring>{kConnected, L"Get current movement status successfully", kDisconnected}));
    EXPECT_TRUE(linkIdle());
    EXPECT_FALSE(dlg->IsConnected());
    EXPECT_TRUE(enabled(res::IDC_CONNECT));
    EXPECT_FALSE(enabled(res::IDC_DISCONNECT));
    // The status reply had filled them; the lost link empties them.
    for (int id : kResetFields) EXPECT_EQ(text(id), L"") << id;
}

TEST_F(ConnectTest, InformationStorageReplyEndsTheLinkWithoutDisconnected)
{
    RawPeer module;
    open();
    connectTo(module.port());
    ASSERT_TRUE(waitUntil([&] { return module.accepted(); }));
    ASSERT_TRUE(module.write(hex("AA 05 04 00 00 00 07 07 AA 06 00 00")));
    ASSERT_TRUE(waitUntil([&] { return module.peerClosed(0); })) << "the tool did not close its end";
    EXPECT_TRUE(linkIdle());
    EXPECT_EQ(log(), (std::vector<std::wstring>{kConnected, L"Version number query succeeded",
                                                 L"Information storage succeeded, please power on again."}));
    EXPECT_EQ(text(res::IDC_VERSION), L"");
    EXPECT_FALSE(dlg->IsConnected());
    EXPECT_TRUE(enabled(res::IDC_CONNECT));
    EXPECT_FALSE(enabled(res::IDC_DISCONNECT));
    // And a new connect works afterwards.
    RawPeer second;
    connectTo(second.port());
}

// Destroying the dialog (as the process does when its modal run ends) stops
// the link thread at once, also when that thread waits in a connect.
TEST_F(ConnectTest, DestroyingTheDialogEndsALinkQuickly)
{
    RawPeer module;
    const std::uint16_t pendingPort = fullListener();
    ASSERT_NE(pendingPort, 0);
    for (const std::uint16_t port : {module.port(), pendingPort}) {
        // The dialog itself, not the tests' subclass: its own destructor stops the link.
        auto plain = openDialog<Cnolt_PCClientDlg>();
        plain->SetDlgItemText(res::IDC_LINK_IP, L"127.0.0.1");
        plain->SetDlgItemText(res::IDC_LINK_PORT, std::to_wstring(port));
        ASSERT_TRUE(click(*plain, res::IDC_CONNECT));
        ASSERT_TRUE(waitUntil([&] { return plain->IsControlEnabled(res::IDC_DISCONNECT); }));
        pump(100);
        ASSERT_FALSE(plain->IsControlEnabled(res::IDC_CONNECT)) << "the link has ended too early";
        const auto start = std::chrono::steady_clock::now();
        plain.reset();
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(1000));
        EXPECT_TRUE(boxes.boxes.empty()) << "a stopped link shows nothing";
        module.close();
    }
}

}  // namespace
}  // namespace nolt::test
