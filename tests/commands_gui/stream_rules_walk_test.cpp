// The rules that keep the stream lists consistent, walked through the real
// dialog: which button is enabled when, the bit-rate list's two forms, the
// warning, the UDP fields, the push-address prompts, the sub-stream switch.

#include "commands_fixture.h"

namespace nolt::test {
namespace {

using namespace res;

constexpr std::wstring_view kWarning =
    L"Select the following configuration. The decoder may not play normally. Please choose carefully: RTSP  "
    L"Nnetwork output frame rate: 30 frames  ncode packet format: by frame  nselect by slice format if the "
    L"player cannot play.";

constexpr int kMainLists[] = {IDC_MAIN_RESOLUTION, IDC_MAIN_BITRATE, IDC_MAIN_PUSH_MODE, IDC_MAIN_ENCODER,
                              IDC_MAIN_FRAME_RATE, IDC_MAIN_PACKET,  IDC_MAIN_RECORD};
constexpr int kSubLists[] = {IDC_SUB_RESOLUTION, IDC_SUB_BITRATE,    IDC_SUB_PUSH_MODE,
                             IDC_SUB_ENCODER,    IDC_SUB_FRAME_RATE, IDC_SUB_PACKET};

class StreamRulesTest : public CommandsTest {
protected:
    bool enabled(int id) const { return dlg->IsControlEnabled(id); }
    std::vector<std::wstring> items(int id) const
    {
        std::vector<std::wstring> out;
        for (int i = 0; i < dlg->GetCount(id); ++i) out.push_back(dlg->GetLBText(id, i));
        return out;
    }
    int warnings() const
    {
        int n = 0;
        for (const auto& b : boxes.boxes) n += b.text == kWarning ? 1 : 0;
        return n;
    }
    // Push-address dialogs opened while the test runs; each is cancelled.
    ModalHook prompts{[](fw::CDialogEx& d) { d.EndDialog(fw::IDCANCEL); }};
};

const std::vector<std::wstring> kShortForm = {L"1M", L"1.5M", L"2M", L"3M", L"4M"};
const std::vector<std::wstring> kLongForm = {L"1M", L"1.5M", L"2M", L"3M", L"4M", L"5M", L"6M", L"7M", L"8M"};

TEST_F(StreamRulesTest, MainSendIsEnabledOnlyOnceAllSevenListsAreChosen)
{
    for (int id : kMainLists) {
        SCOPED_TRACE(id);
        EXPECT_FALSE(enabled(IDC_MAIN_STREAM_SEND));
        ASSERT_TRUE(selectItem(*dlg, id, 1));
    }
    EXPECT_TRUE(enabled(IDC_MAIN_STREAM_SEND));
}

TEST_F(StreamRulesTest, ResolutionRebuildsTheBitRateListAndDisablesSend)
{
    for (int id : kMainLists) ASSERT_TRUE(selectItem(*dlg, id, 1));
    ASSERT_TRUE(selectItem(*dlg, IDC_MAIN_BITRATE, 8));  // "8M"
    ASSERT_TRUE(enabled(IDC_MAIN_STREAM_SEND));

    ASSERT_TRUE(selectItem(*dlg, IDC_MAIN_RESOLUTION, 0));  // "720P"
    EXPECT_EQ(items(IDC_MAIN_BITRATE), kShortForm);
    EXPECT_EQ(dlg->GetCurSel(IDC_MAIN_BITRATE), -1);
    EXPECT_FALSE(enabled(IDC_MAIN_STREAM_SEND));
    ASSERT_TRUE(selectItem(*dlg, IDC_MAIN_BITRATE, 4));  // "4M"
    EXPECT_TRUE(enabled(IDC_MAIN_STREAM_SEND));

    // The same nine items come back, but without the choice.
    for (int resolution : {1, 2, 1}) {
        ASSERT_TRUE(selectItem(*dlg, IDC_MAIN_BITRATE, 4));
        ASSERT_TRUE(selectItem(*dlg, IDC_MAIN_RESOLUTION, resolution));
        EXPECT_EQ(items(IDC_MAIN_BITRATE), kLongForm);
        EXPECT_EQ(dlg->GetCurSel(IDC_MAIN_BITRATE), -1);
        EXPECT_FALSE(enabled(IDC_MAIN_STREAM_SEND));
    }
}

TEST_F(StreamRulesTest, WarningWhicheverOfItsThreeListsChangesLast)
{
    struct Step {
        int id, index;
    };
    const Step combination[] = {{IDC_MAIN_FRAME_RATE, 1}, {IDC_MAIN_PUSH_MODE, 1}, {IDC_MAIN_PACKET, 1}};
    for (std::size_t last = 0; last < 3; ++last) {
        SCOPED_TRACE(combination[last].id);
        for (int id : {IDC_MAIN_FRAME_RATE, IDC_MAIN_PUSH_MODE, IDC_MAIN_PACKET}) dlg->SetCurSel(id, 0);
        boxes.boxes.clear();
        for (std::size_t i = 1; i <= 3; ++i) {
            const Step& s = combination[(last + i) % 3];
            ASSERT_TRUE(selectItem(*dlg, s.id, s.index));
            EXPECT_EQ(warnings(), i == 3 ? 1 : 0);
        }
        EXPECT_EQ(boxes.boxes.at(0).caption, L"Tips");
        EXPECT_EQ(boxes.boxes.at(0).icon, fw::MessageIcon::Exclamation);
    }
    // With the combination in place, the other lists never warn; choosing
    // one of the three again warns again.
    boxes.boxes.clear();
    for (int id : {IDC_MAIN_RESOLUTION, IDC_MAIN_BITRATE, IDC_MAIN_ENCODER, IDC_MAIN_RECORD})
        ASSERT_TRUE(selectItem(*dlg, id, 0));
    EXPECT_EQ(warnings(), 0);
    ASSERT_TRUE(selectItem(*dlg, IDC_MAIN_FRAME_RATE, 1));
    EXPECT_EQ(warnings(), 1);
    EXPECT_EQ(boxes.boxes.size(), 1u);
}

TEST_F(StreamRulesTest, UdpFieldsFollowThePushModeAndRtmpPromptsEachTime)
{
    const struct {
        int mode;
        bool udp;
        int prompts;
    } walk[] = {{0, true, 0}, {1, false, 0}, {0, true, 0}, {2, false, 0}, {0, true, 0},
                {3, false, 1}, {0, true, 1}, {4, false, 1}, {3, false, 2}, {3, false, 3}};
    for (const auto& w : walk) {
        SCOPED_TRACE(w.mode);
        ASSERT_TRUE(selectItem(*dlg, IDC_MAIN_PUSH_MODE, w.mode));
        EXPECT_EQ(enabled(IDC_UDP_DST_IP), w.udp);
        EXPECT_EQ(enabled(IDC_UDP_PORT), w.udp);
        EXPECT_EQ(prompts.calls, w.prompts);
    }
    EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(StreamRulesTest, RtmpPromptShowsTheBarePrefix)
{
    std::wstring shown;
    ModalHook hook([&](fw::CDialogEx& d) {
        shown = d.GetDlgItemText(IDC_PUSH_ADDRESS);
        EXPECT_EQ(d.GetWindowText(), L"Dialog");
        d.EndDialog(fw::IDCANCEL);
    });
    ASSERT_TRUE(selectItem(*dlg, IDC_MAIN_PUSH_MODE, 3));
    EXPECT_EQ(hook.calls, 1);
    EXPECT_EQ(shown, L"rtmp://");
}

TEST_F(StreamRulesTest, ReminderExplainsThePacketFormats)
{
    ASSERT_TRUE(click(*dlg, IDC_REMINDER));
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].caption, L"Tips");
    EXPECT_EQ(boxes.boxes[0].icon, fw::MessageIcon::Exclamation);
    EXPECT_EQ(boxes.boxes[0].text,
              L"The By_Slice format supports 30 frames and 25 frames, which is similar to the IPC code output "
              L"mode on the market. It has better compatibility with the player, but the IDR frame is large, the "
              L"code rate fluctuates greatly, and it requires high image transmission bandwidth. The By_Slice "
              L"frame format supports 25 frames and 30 frames, but some players do not support 30 frames. When "
              L"selecting by frame format, the IDR frame is not large, and the stability of the code stream is "
              L"better. If the image transmission bandwidth is limited, it is recommended to select by frame "
              L"format.");
}

TEST_F(StreamRulesTest, SubStreamOnUnlocksTheListsButNotItsSendButton)
{
    for (int i = 0; i < 2; ++i) press(IDC_SUB_ON);  // every click explains
    ASSERT_EQ(boxes.boxes.size(), 2u);
    EXPECT_EQ(boxes.boxes[0].text,
              L"The sub code stream is used to push RTMP or RTSP video stream to the public network server. "
              L"Please keep the default shutdown state when the user does not need it.");
    EXPECT_EQ(boxes.boxes[0].icon, fw::MessageIcon::Exclamation);
    for (int id : kSubLists) EXPECT_TRUE(enabled(id)) << id;
    for (int id : kSubLists) {
        EXPECT_FALSE(enabled(IDC_SUB_STREAM_SEND)) << id;
        choose(id, 1);
    }
    EXPECT_TRUE(enabled(IDC_SUB_STREAM_SEND));
    for (int id : kSubLists) EXPECT_FALSE(dlg->IsControlVisible(id));
    EXPECT_FALSE(dlg->IsControlVisible(IDC_SUB_STREAM_SEND));
}

TEST_F(StreamRulesTest, SubStreamOffClearsAndLocksTheGroupBeforeItsGuard)
{
    press(IDC_SUB_ON);
    for (int id : kSubLists) choose(id, 1);
    ASSERT_TRUE(enabled(IDC_SUB_STREAM_SEND));
    boxes.boxes.clear();
    press(IDC_SUB_OFF);
    for (int id : kSubLists) {
        EXPECT_EQ(dlg->GetCurSel(id), -1) << id;
        EXPECT_FALSE(enabled(id)) << id;
    }
    EXPECT_FALSE(enabled(IDC_SUB_STREAM_SEND));
    EXPECT_EQ(boxTexts(), std::vector<std::wstring>{L"Operation failed, please connect first!"});
}

TEST_F(StreamRulesTest, SubBitRateListKeepsItsFormForOtherResolutions)
{
    press(IDC_SUB_ON);
    const struct {
        int resolution;
        const std::vector<std::wstring>& form;
    } walk[] = {{2, kLongForm}, {0, kShortForm}, {2, kShortForm}, {5, kShortForm},
                {1, kLongForm}, {3, kLongForm},  {-1, kLongForm}, {0, kShortForm}};
    for (const auto& w : walk) {
        SCOPED_TRACE(w.resolution);
        choose(IDC_SUB_BITRATE, 1);
        choose(IDC_SUB_RESOLUTION, w.resolution);
        EXPECT_EQ(items(IDC_SUB_BITRATE), w.form);
        // A rebuilt list loses its choice; a kept one keeps it.
        const bool rebuilt = w.resolution == 0 || w.resolution == 1;
        EXPECT_EQ(dlg->GetCurSel(IDC_SUB_BITRATE), rebuilt ? -1 : 1);
    }
}

// The push-mode change always asks for the address; the send button follows
// only when the address went out.
TEST_F(StreamRulesTest, SubPushModeChangeUpdatesTheButtonOnlyAfterSendOut)
{
    press(IDC_SUB_ON);
    for (int id : kSubLists) choose(id, 0);
    ASSERT_EQ(prompts.calls, 1);
    // A resolution change disables the button; the bit rate is then set
    // without a notification, so only another rule can enable it again.
    choose(IDC_SUB_RESOLUTION, 1);
    dlg->SetCurSel(IDC_SUB_BITRATE, 0);
    ASSERT_FALSE(enabled(IDC_SUB_STREAM_SEND));

    choose(IDC_SUB_PUSH_MODE, 1);
    EXPECT_EQ(prompts.calls, 2);
    EXPECT_FALSE(enabled(IDC_SUB_STREAM_SEND));

    ModalHook sendOut([](fw::CDialogEx& d) { click(d, IDC_PUSH_SEND_OUT); });
    choose(IDC_SUB_PUSH_MODE, 1);
    EXPECT_EQ(sendOut.calls, 1);
    EXPECT_TRUE(enabled(IDC_SUB_STREAM_SEND));
}

TEST_F(StreamRulesTest, SendButtonsGuardTheConnection)
{
    press(IDC_MAIN_STREAM_SEND);
    press(IDC_SUB_STREAM_SEND);
    EXPECT_EQ(boxTexts(), (std::vector<std::wstring>{L"Operation failed, please connect first！",
                                                     L"Operation failed, please connect first!"}));
    for (const auto& b : boxes.boxes) EXPECT_EQ(b.icon, fw::MessageIcon::Exclamation);
}

}  // namespace
}  // namespace nolt::test
