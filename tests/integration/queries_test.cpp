// The two queries and the reply handling, through the real dialog: what
// goes on the wire, what each reply leaves in the log, the fields and the
// message boxes.
#include "dialog_fixture.h"
#include "link/hex.h"
#include "link/trace.h"
#include "raw_peer.h"
#include "sim/server.h"
#include "soak/reply_stream.h"

#include <cstdint>
#include <fstream>
#include <limits>
#include <thread>

namespace nolt::test {
namespace {

using fw::MessageIcon;

constexpr const wchar_t* kStatusOk = L"Get current movement status successfully";
constexpr const wchar_t* kSubOk = L"Subcode set successfully";

class QueriesTest : public DialogFixture {
protected:
    // Opens the dialog connected to a raw module.
    void connectRaw()
    {
        open();
        connectTo(module.port());
        ASSERT_TRUE(waitUntil([&] { return module.accepted(); }));
    }
    // Opens the dialog connected to the simulator.
    void connectSim()
    {
        sim::ServerOptions options;
        options.port = 0;
        simulator = std::make_unique<sim::SimServer>(options);
        ASSERT_TRUE(simulator->start());
        open();
        connectTo(simulator->port());
    }
    RawPeer module;
    std::unique_ptr<sim::SimServer> simulator;
};

TEST_F(QueriesTest, QueriesWhileNotConnectedWarnAndSendNothing)
{
    open();
    ASSERT_TRUE(click(*dlg, res::IDC_STATUS_QUERY));
    ASSERT_TRUE(click(*dlg, res::IDC_VERSION_QUERY));
    ASSERT_EQ(boxes.boxes.size(), 2u);
    EXPECT_EQ(boxes.boxes[0].text, L"Operation failed, please connect first\uFF01");
    EXPECT_EQ(boxes.boxes[1].text, L"Operation failed, please connect first!");
    for (const auto& box : boxes.boxes) {
        EXPECT_EQ(box.caption, L"Tips");
        EXPECT_EQ(box.icon, MessageIcon::Exclamation);
    }
    EXPECT_TRUE(log().empty());
}

TEST_F(QueriesTest, EachPressPutsItsFrameOnTheWire)
{
    connectRaw();
    ASSERT_TRUE(click(*dlg, res::IDC_STATUS_QUERY));
    EXPECT_EQ(module.read(1000), hex("AA 01 01 01 01"));
    ASSERT_TRUE(click(*dlg, res::IDC_VERSION_QUERY));
    EXPECT_EQ(module.read(1000), hex("AA 05 01 01 01"));
    ASSERT_TRUE(click(*dlg, res::IDC_STATUS_QUERY));
    ASSERT_TRUE(click(*dlg, res::IDC_STATUS_QUERY));
    EXPECT_EQ(module.read(1000), hex("AA 01 01 01 01 AA 01 01 01 01"));
    EXPECT_TRUE(boxes.boxes.empty());
    EXPECT_EQ(log(), std::vector<std::wstring>{kConnected});
}

struct StatusCase {
    const char* payload;
    const wchar_t* output;
    const wchar_t* input;
    const wchar_t* source;
    const wchar_t* destination;
};

const StatusCase kStatusCases[] = {
    {"19 32 07 80 04 38 05 00 02 D0", L"25", L"50", L"1920x1080", L"1280x720"},
    {"C8 80 FF 38 00 64 00 00 02 D0", L"-56", L"-128", L"-200x100", L"0"},
    {"00 FF 07 80 00 00 FF FF 7F FF", L"0", L"-1", L"0", L"-1x32767"},
};

TEST_F(QueriesTest, StatusRoundTripFillsTheSelfTestFields)
{
    connectSim();
    for (const StatusCase& c : kStatusCases) {
        SCOPED_TRACE(c.payload);
        simulator->modifyState([&](sim::ModuleState& s) { s.statusOverride = hex(c.payload); });
        const std::size_t before = log().size();
        ASSERT_TRUE(click(*dlg, res::IDC_STATUS_QUERY));
        ASSERT_TRUE(waitUntil([&] { return log().size() == before + 1; }));
        EXPECT_EQ(log().back(), kStatusOk);
        EXPECT_EQ(text(res::IDC_OUTPUT_FREQ), c.output);
        EXPECT_EQ(text(res::IDC_INPUT_FREQ), c.input);
        EXPECT_EQ(text(res::IDC_SRC_IMG_SIZE), c.source);
        EXPECT_EQ(text(res::IDC_DEST_IMG_SIZE), c.destination);
    }
    EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(QueriesTest, VersionRoundTripShowsTheSignedNumber)
{
    connectSim();
    const std::pair<std::int32_t, const wchar_t*> versions[] = {
        {258, L"258"}, {std::numeric_limits<std::int32_t>::min(), L"-2147483648"}, {7, L"7"}};
    for (const auto& [version, shown] : versions) {
        simulator->modifyState([&](sim::ModuleState& s) { s.version = version; });
        const std::size_t before = log().size();
        ASSERT_TRUE(click(*dlg, res::IDC_VERSION_QUERY));
        ASSERT_TRUE(waitUntil([&] { return log().size() == before + 1; }));
        EXPECT_EQ(log().back(), L"Version number query succeeded");
        EXPECT_EQ(text(res::IDC_VERSION), shown);
    }
}

// One reply and what it leaves. Every reply is followed by a sub-stream
// success reply, so a reply that logs nothing is seen to be over.
struct ReplyCase {
    const char* bytes;
    std::vector<std::wstring> lines;
    const wchar_t* box;  // nullptr: none
};

const ReplyCase kReplyCases[] = {
    {"AA 01 0A 19 32 07 80 04 38 05 00 02 D0 E5", {kStatusOk}, nullptr},
    {"AA 01 0A 19 32 07 80 04 38 05 00 02 D0 E4", {L"Failed to get current movement status"}, nullptr},
    {"AA 02 01 05 05", {L"Code setting succeeded, please power on again."},
     L"Code setting succeeded, please power on again."},
    {"AA 02 01 05 04", {L"Coding setting failed"}, nullptr},
    {"AA 04 00 00", {L"IP is set successfully, please power on again."},
     L"IP is set successfully, please power on again."},
    {"AA 04 01 01 00", {L"IP setting failed"}, nullptr},
    {"AA 05 04 00 00 01 02 03", {L"Version number query succeeded"}, nullptr},
    {"AA 05 04 00 00 01 02 04", {L"Version number query failed"}, nullptr},
    {"AA 06 01 01 02", {L"Information storage failed"}, nullptr},
    {"AA 10 00 00", {kSubOk}, nullptr},
    {"AA 10 06 01 02 03 04 05 06 00", {L"Sub stream setting failed"}, nullptr},
    {"AA 20 01 01 01", {L"Network bandwidth 10m set successfully"}, nullptr},
    {"AA 20 01 00 00", {L"Network bandwidth 100m set successfully"}, nullptr},
    {"AA 20 02 05 02 07", {}, nullptr},
    {"AA 20 01 01 00", {L"Network bandwidth setting failed"}, nullptr},
    {"AA 21 01 01 01", {L"DHCP ON"}, nullptr},
    {"AA 21 01 00 00", {L"DHCP OFF"}, nullptr},
    {"AA 21 02 01 07 08", {}, nullptr},
    {"AA 21 01 01 02", {L"DHCP Setup failed"}, nullptr},
    {"AA 03 01 01 09", {}, nullptr},
    {"AA 7F 00 05", {}, nullptr},
};

TEST_F(QueriesTest, EveryReplyCodeLogsItsSuccessOrFailureLine)
{
    connectRaw();
    for (const ReplyCase& c : kReplyCases) {
        SCOPED_TRACE(c.bytes);
        dlg->SetDlgItemText(res::IDC_LOG, L"");
        boxes.boxes.clear();
        ASSERT_TRUE(module.write(concat({hex(c.bytes), hex("AA 10 00 00")})));
        std::vector<std::wstring> expected = c.lines;
        expected.push_back(kSubOk);
        // Lines arrive in order: once the closing reply's line is there (at
        // its place or beyond), every line of the case is.
        ASSERT_TRUE(waitUntil([&] {
            const auto lines = log();
            return lines.size() >= expected.size() && lines.back() == kSubOk;
        }));
        EXPECT_EQ(log(), expected);
        ASSERT_EQ(boxes.boxes.size(), c.box ? 1u : 0u);
        if (c.box) {
            EXPECT_EQ(boxes.boxes[0].text, c.box);
            EXPECT_EQ(boxes.boxes[0].caption, L"Tips");
            EXPECT_EQ(boxes.boxes[0].icon, MessageIcon::Exclamation);
        }
    }
    EXPECT_TRUE(dlg->IsConnected());
}

TEST_F(QueriesTest, AStatusReplyWithABadSumShowsZeros)
{
    connectRaw();
    ASSERT_TRUE(module.write(hex("AA 01 0A 19 32 07 80 04 38 05 00 02 D0 E5")));
    ASSERT_TRUE(waitForLine(kStatusOk));
    ASSERT_EQ(text(res::IDC_SRC_IMG_SIZE), L"1920x1080");
    ASSERT_TRUE(module.write(hex("AA 01 0A 19 32 07 80 04 38 05 00 02 D0 E4")));
    ASSERT_TRUE(waitForLine(L"Failed to get current movement status"));
    // The zeros follow the failure line.
    const int fields[] = {res::IDC_OUTPUT_FREQ, res::IDC_INPUT_FREQ, res::IDC_SRC_IMG_SIZE, res::IDC_DEST_IMG_SIZE};
    EXPECT_TRUE(waitUntil([&] { return text(fields[3]) == L"0"; }));
    for (int id : fields) EXPECT_EQ(text(id), L"0") << id;
}

// The module has reset the connection but the link thread has not seen it
// yet (it waits on a message box): the send fails, one line says so, and
// the flag is left to the link thread.
TEST_F(QueriesTest, AFailedSendLogsTheCheckTheConnectionLine)
{
    connectRaw();
    int sendsDuringBox = 0;
    fw::setMessageBoxSink([&](const fw::MessageBoxRequest& r) {
        boxes.boxes.push_back(r);
        module.abort();
        pump(50);
        ++sendsDuringBox;
        dlg->SendNotification(res::IDC_STATUS_QUERY, fw::Notify::Click);
        return fw::IDOK;
    });
    ASSERT_TRUE(module.write(hex("AA 02 00 00")));
    ASSERT_TRUE(waitForLine(kDisconnected));
    EXPECT_EQ(sendsDuringBox, 1);
    EXPECT_EQ(log(), (std::vector<std::wstring>{kConnected, L"Code setting succeeded, please power on again.", kSendFailed,
                                                 kDisconnected}));
    EXPECT_EQ(boxes.boxes.size(), 1u) << "a failed send shows no box";
}

TEST_F(QueriesTest, TenThousandRepliesAreAllHandledInOrder)
{
    constexpr int kReplies = 10000;
    const ReplyStream stream(kReplies);
    connectRaw();
    // Written from a thread of its own: the tool reads only as fast as the
    // UI thread (this one) takes its lines.
    bool written = false;
    std::thread writer([&] { written = module.write(stream.bytes()); });
    const bool all = waitUntil([&] { return logLineCount() >= kReplies + 1; }, 150000);
    writer.join();
    ASSERT_TRUE(written);
    ASSERT_TRUE(all) << log().size();
    const auto lines = log();
    for (int i = 0; i < kReplies; ++i)
        ASSERT_EQ(lines[static_cast<std::size_t>(i) + 1], stream.expected()[static_cast<std::size_t>(i)].logLine) << i;
    EXPECT_EQ(text(res::IDC_VERSION), stream.expected()[kReplies - 5].versionText);
    EXPECT_TRUE(dlg->IsConnected());
}

// With NOLT_PCCLIENT_TRACE set, the dialog's link records its traffic in
// that file; the dialog itself is the same.
TEST_F(QueriesTest, TraceVariableRecordsEveryBlockInTheFile)
{
    const std::filesystem::path trace = dir() / "trace.txt";
    setFileVariable(kTraceVariable, trace);
    connectSim();
    setFileVariable(kTraceVariable, {});
    ASSERT_TRUE(waitForLine(kConnected));
    ASSERT_TRUE(click(*dlg, res::IDC_STATUS_QUERY));
    ASSERT_TRUE(waitForLine(kStatusOk));
    std::ifstream in(trace);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line.substr(line.find(' ') + 1));
    const std::string peer = "127.0.0.1:" + std::to_string(simulator->port());
    EXPECT_EQ(lines, (std::vector<std::string>{peer + " -> AA 01 01 01 01  Status query",
                                               peer + " <- AA 01 0A 19 19 07 80 04 38 07 80 04 38 B8  Status report"}));
}

}  // namespace
}  // namespace nolt::test
