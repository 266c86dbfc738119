// The main- and sub-stream frames as the simulated module receives them, and
// what the user sees of its answers.

#include "commands_fixture.h"

namespace nolt::test {
namespace {

using namespace res;

constexpr auto k10M = "AA 20 01 01 01";

class StreamSendTest : public CommandsTest {
protected:
    void SetUp() override
    {
        CommandsTest::SetUp();
        connectTo(module);
    }
    bool logHas(const std::wstring& line)
    {
        return pumpUntil([&] { return log().find(line + L"\r\n") != std::wstring::npos; });
    }
    RecordingModule module;
    ModalHook prompts{[](fw::CDialogEx& d) { d.EndDialog(fw::IDCANCEL); }};
};

TEST_F(StreamSendTest, MainStreamChoicesTravelBitRateFirst)
{
    // "1080P", "4M", "RTSP", "H264", "25 frame", "By Slice", "MP4".
    const std::pair<int, int> choices[] = {{IDC_MAIN_RESOLUTION, 1}, {IDC_MAIN_BITRATE, 4}, {IDC_MAIN_PUSH_MODE, 1},
                                           {IDC_MAIN_ENCODER, 0},    {IDC_MAIN_FRAME_RATE, 0}, {IDC_MAIN_PACKET, 0},
                                           {IDC_MAIN_RECORD, 0}};
    for (const auto& [id, index] : choices) ASSERT_TRUE(selectItem(*dlg, id, index));
    ASSERT_TRUE(click(*dlg, IDC_MAIN_STREAM_SEND));
    ASSERT_TRUE(module.waitReceived(1));
    EXPECT_EQ(module.received().at(0), "AA 02 07 05 02 02 01 01 01 01 0D");
}

TEST_F(StreamSendTest, NewResolutionIsAcknowledgedAndShowsInTheNextStatus)
{
    for (int id : {IDC_MAIN_RESOLUTION, IDC_MAIN_PUSH_MODE, IDC_MAIN_ENCODER, IDC_MAIN_FRAME_RATE, IDC_MAIN_PACKET,
                   IDC_MAIN_RECORD})
        ASSERT_TRUE(selectItem(*dlg, id, 1));
    ASSERT_TRUE(selectItem(*dlg, IDC_MAIN_BITRATE, 8));     // "8M"
    ASSERT_TRUE(selectItem(*dlg, IDC_MAIN_RESOLUTION, 0));  // "720P"
    ASSERT_FALSE(dlg->IsControlEnabled(IDC_MAIN_STREAM_SEND));
    ASSERT_TRUE(selectItem(*dlg, IDC_MAIN_BITRATE, 4));     // "4M"
    ASSERT_TRUE(click(*dlg, IDC_MAIN_STREAM_SEND));

    const std::wstring ok = L"Code setting succeeded, please power on again.";
    ASSERT_TRUE(logHas(ok));
    EXPECT_EQ(module.received().at(0), "AA 02 07 05 01 02 02 02 02 02 10");
    // The box follows the log line; before it came the warning that
    // 30 frames + RTSP + by frame drew.
    EXPECT_TRUE(pumpUntil([&] { return boxTexts().back() == ok; }));

    ASSERT_TRUE(click(*dlg, IDC_STATUS_QUERY));
    ASSERT_TRUE(logHas(L"Get current movement status successfully"));
    EXPECT_EQ(dlg->GetDlgItemText(IDC_DEST_IMG_SIZE), L"1280x720");
}

TEST_F(StreamSendTest, AllZeroSelectionsAreRefusedWithTheirOwnMessage)
{
    press(IDC_MAIN_STREAM_SEND);
    press(IDC_SUB_STREAM_SEND);
    EXPECT_EQ(boxTexts(), (std::vector<std::wstring>{L"Please select at least one parameter",
                                                     L"Please select at least one parameter."}));
    for (const auto& b : boxes.boxes) {
        EXPECT_EQ(b.caption, L"Tips");
        EXPECT_EQ(b.icon, fw::MessageIcon::None);
    }
    // One choice is enough; the rest travel as 0.
    ASSERT_TRUE(selectItem(*dlg, IDC_MAIN_RECORD, 2));
    press(IDC_MAIN_STREAM_SEND);
    ASSERT_TRUE(click(*dlg, IDC_BANDWIDTH_10M));
    ASSERT_TRUE(module.waitReceived(2));
    EXPECT_EQ(module.received(), (std::vector<std::string>{"AA 02 07 00 00 00 00 00 00 03 03", k10M}));
}

TEST_F(StreamSendTest, SubStreamSettingsAndOff)
{
    press(IDC_SUB_ON);
    // "1920*1080", "8M", "RTMP  to network", "H265", "30 frame", "By Frame".
    const std::pair<int, int> choices[] = {{IDC_SUB_RESOLUTION, 1}, {IDC_SUB_BITRATE, 8},    {IDC_SUB_PUSH_MODE, 1},
                                           {IDC_SUB_ENCODER, 1},    {IDC_SUB_FRAME_RATE, 1}, {IDC_SUB_PACKET, 1}};
    for (const auto& [id, index] : choices) choose(id, index);
    EXPECT_EQ(prompts.calls, 1);
    press(IDC_SUB_STREAM_SEND);
    press(IDC_SUB_OFF);
    ASSERT_TRUE(module.waitReceived(2));
    EXPECT_EQ(module.received(),
              (std::vector<std::string>{"AA 10 06 09 02 02 02 02 02 13", "AA 10 06 00 00 00 00 00 00 00"}));
    ASSERT_TRUE(logHas(L"Subcode set successfully"));
    EXPECT_FALSE(module.server().state().subStreamOn);
    EXPECT_EQ(dlg->GetCurSel(IDC_SUB_RESOLUTION), -1);
}

}  // namespace
}  // namespace nolt::test
