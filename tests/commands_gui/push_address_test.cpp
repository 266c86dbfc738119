// The push address: the answer test, the request on "upload addr" against
// the simulated module, and the push-address dialog's upload.

#include "commands_fixture.h"

#include <chrono>
#include <cstdio>
#include <optional>

#include "app/nolt_pcclient_app.h"
#include "commands/command_frames.h"
#include "commands/push_address_dialog.h"
#include "commands/push_address_text.h"
#include "framework/win_app.h"
#include "link/frame.h"
#include "res/strings.h"
#include "sim/hex.h"
#include "tools/tools_dialog.h"

namespace nolt::test {
namespace {

using namespace res;

Bytes bytesOf(std::string_view s) { return Bytes(s.begin(), s.end()); }

TEST(PushAddressAnswer, OnlyLowerCasePrefixIsTakenUpToTheFirstZero)
{
    const std::string full256 = "rtmp://" + std::string(249, 'a');
    const struct {
        Bytes answer;
        std::optional<std::wstring> text;
    } cases[] = {
        {bytesOf("rtmp://10.0.0.2/live/1"), L"rtmp://10.0.0.2/live/1"},
        {bytesOf("rtmp://"), L"rtmp://"},
        {bytesOf(std::string_view("rtmp://a\0junk", 13)), L"rtmp://a"},
        {bytesOf(full256), std::wstring(full256.begin(), full256.end())},
        // Non-ASCII text in the ANSI code page (UTF-8 on Linux, GBK on a Chinese Windows).
        {bytesOf(toNarrow(L"rtmp://例/直")), L"rtmp://例/直"},
        {bytesOf("RTMP://10.0.0.2/live/1"), std::nullopt},
        {bytesOf("rtmp:/"), std::nullopt},
        {bytesOf(std::string_view("rtm\0p://", 8)), std::nullopt},
        {Bytes{0xAA, 0x01, 0x01, 0x01, 0x01}, std::nullopt},
        {Bytes{}, std::nullopt},
    };
    for (const auto& c : cases) EXPECT_EQ(acceptPushAddressAnswer(c.answer), c.text) << sim::toHex(c.answer);
}

std::string hexOf(std::string_view text) { return sim::toHex(bytesOf(text)); }

constexpr auto k10M = "AA 20 01 01 01";

class PushAddressTest : public CommandsTest {
protected:
    // Presses "upload addr" and returns how long the press took, in ms.
    long long pressUploadAddr()
    {
        const auto start = std::chrono::steady_clock::now();
        EXPECT_TRUE(click(*dlg, IDC_UPLOAD_ADDR));
        return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
    }
    // A module with these faults, connected.
    RecordingModule& connectModule(sim::Faults faults = {})
    {
        module_ = std::make_unique<RecordingModule>(faults);
        connectTo(*module_);
        return *module_;
    }
    // The tool still works: a frame sent now reaches the module.
    void expectUsable(RecordingModule& module)
    {
        const std::size_t before = module.received().size();
        ASSERT_TRUE(click(*dlg, IDC_BANDWIDTH_10M));
        ASSERT_TRUE(module.waitReceived(before + 1));
        EXPECT_EQ(module.received().back(), k10M);
    }

    std::unique_ptr<RecordingModule> module_;
    // Counts the push-address dialogs that open, and cancels each.
    ModalHook opened{[](fw::CDialogEx& d) { d.EndDialog(fw::IDCANCEL); }};
};

TEST_F(PushAddressTest, AnswerIsShownOnceThenTheBarePrefix)
{
    RecordingModule module;
    connectTo(module);
    std::vector<std::wstring> shown;
    ModalHook hook([&](fw::CDialogEx& d) {
        shown.push_back(d.GetDlgItemText(IDC_PUSH_ADDRESS));
        EXPECT_FALSE(g_bPushAddrReceived);
        d.EndDialog(fw::IDCANCEL);
    });
    EXPECT_LT(pressUploadAddr(), 2000);
    ASSERT_TRUE(selectItem(*dlg, IDC_MAIN_PUSH_MODE, 3));  // "RTMP"
    EXPECT_EQ(shown, (std::vector<std::wstring>{L"rtmp://127.0.0.1/live/stream", L"rtmp://"}));
    EXPECT_EQ(g_strPushAddr, L"rtmp://127.0.0.1/live/stream");
    EXPECT_EQ(module.received(), std::vector<std::string>{hexOf("get_addrrtmp")});
    EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(PushAddressTest, UpperCasePrefixOpensNothing)
{
    RecordingModule& module = connectModule({.upperCasePrefix = true});
    // The answer comes and is refused: there is nothing left to wait for.
    EXPECT_LT(pressUploadAddr(), 2000);
    EXPECT_EQ(opened.calls, 0);
    EXPECT_TRUE(boxes.boxes.empty());
    expectUsable(module);
}

TEST_F(PushAddressTest, AnswerStartingAFrameOpensNothing)
{
    RecordingModule& module = connectModule();
    module.server().modifyState([](sim::ModuleState& s) { s.pushAddress = "\xAArtmp://10.0.0.2/x"; });
    const long long took = pressUploadAddr();
    EXPECT_GE(took, 2700);  // the wait ran its course (its timer may be 5 % early)
    EXPECT_LT(took, 4500);
    EXPECT_EQ(opened.calls, 0);
    expectUsable(module);
}

// The wait lasts at most its 3 s; meanwhile the link thread still reports
// replies, and the user's clicks are swallowed, not replayed afterwards.
TEST_F(PushAddressTest, SilentModuleEndsTheWaitWhileRepliesAreStillHandled)
{
    RecordingModule& module = connectModule({.silentOnAddressRequest = true});
    std::wstring logDuringWait;
    fw::user::after(300, [&] {
        module.server().inject(buildFrame(code::kStatus, sim::statusPayload(module.server().state())));
        click(*dlg, IDC_BANDWIDTH_100M);
    });
    fw::user::after(1500, [&] { logDuringWait = log(); });
    const long long took = pressUploadAddr();

    EXPECT_GE(took, 2700);  // the wait ran its course (its timer may be 5 % early)
    EXPECT_LT(took, 4500);
    EXPECT_EQ(opened.calls, 0);
    EXPECT_NE(logDuringWait.find(L"Get current movement status successfully"), std::wstring::npos);
    EXPECT_EQ(dlg->GetDlgItemText(IDC_DEST_IMG_SIZE), L"1920x1080");
    EXPECT_FALSE(dlg->IsDlgButtonChecked(IDC_BANDWIDTH_100M));
    expectUsable(module);
    EXPECT_EQ(module.received(), (std::vector<std::string>{hexOf("get_addrrtmp"), k10M}));
}

// A reply that brings a box while the request waits: the user can close
// that box (only the main dialog's input is held back), and the wait ends.
TEST_F(PushAddressTest, BoxArrivingDuringTheWaitCanBeClosed)
{
    RecordingModule& module = connectModule({.silentOnAddressRequest = true});
    fw::setMessageBoxSink({});  // a real box
    bool closedByUser = false;
    fw::user::after(200, [&] { module.server().inject(buildFrame(code::kMainStream, Bytes{5, 2, 2, 1, 1, 1, 1})); });
    fw::user::after(1000, [&] {
        const bool open = fw::user::messageBoxOpen();
        closedByUser = open && fw::user::press(fw::user::Key::Enter) && !fw::user::messageBoxOpen();
    });
    // Should the box still be there, it is closed here so the test ends.
    fw::user::after(6000, [] { fw::user::closeMessageBox(); });
    const long long took = pressUploadAddr();
    EXPECT_TRUE(closedByUser);
    EXPECT_LT(took, 4500);
    EXPECT_NE(log().find(L"Code setting succeeded, please power on again."), std::wstring::npos);
}

// The link going away ends the wait for the answer at once, whether the
// module hangs up or the link is reset; the dialog then takes input again.
TEST_F(PushAddressTest, TheLinkGoingAwayEndsTheWaitAtOnce)
{
    for (const bool hangUp : {true, false}) {
        SCOPED_TRACE(hangUp ? "the module hangs up" : "the link is reset");
        // A module that never answers the request and hangs up after the
        // next frame it answers.
        RecordingModule& module = connectModule({.silentOnAddressRequest = true, .closeAfterFrames = 1});
        std::optional<std::chrono::steady_clock::time_point> gone;
        fw::user::after(300, [&] {
            gone = std::chrono::steady_clock::now();
            if (hangUp)
                dlg->link().sendRaw(statusQueryFrame());  // from code: the user's input is held back
            else
                dlg->link().reset();
        });
        pressUploadAddr();
        ASSERT_TRUE(gone.has_value());
        const long long inputBack =
            std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - *gone).count();
        EXPECT_LT(inputBack, 500) << "input came back " << inputBack << " ms after the link went";
        std::printf("%s: input back %lld ms after the link went\n", hangUp ? "hang-up" : "reset", inputBack);
        EXPECT_FALSE(dlg->IsConnected());
        EXPECT_EQ(opened.calls, 0);
        EXPECT_TRUE(dlg->IsControlEnabled(IDC_CONNECT));
        // The dialog takes a click again: with no link the request fails at once.
        const std::size_t logged = log().size();
        EXPECT_LT(pressUploadAddr(), 1000);
        EXPECT_EQ(log().substr(logged), L"Operation failed, please check the connection\r\n");
        ASSERT_TRUE(pumpUntil([&] { return !dlg->link().threadRunning(); }));
        EXPECT_EQ(module.received().at(0), hexOf("get_addrrtmp"));
    }
}

// The Tools and push-address dialogs belong to the main window, as a modal
// dialog opened without a parent does: they stay above it and have no
// task-bar entry of their own.
TEST_F(PushAddressTest, ToolsAndPushAddressDialogsAreOwnedByTheMainWindow)
{
    fw::CWinApp app(L"owner test");
    app.setMainWindow(dlg.get());
    RecordingCommandInterpreter rec;
    setToolsCommandInterpreter(&rec);
    RecordingModule& module = connectModule();
    std::vector<std::wstring> captions;
    ModalHook hook([&](fw::CDialogEx& d) {
        captions.push_back(d.GetWindowText());
        EXPECT_EQ(d.GetOwner(), dlg.get()) << "owner of " << captions.back();
        d.EndDialog(fw::IDCANCEL);
    });
    EXPECT_TRUE(click(*dlg, IDC_TOOLS));
    pressUploadAddr();
    OpenPushAddressDialog(dlg->link());
    setToolsCommandInterpreter(nullptr);
    ASSERT_EQ(captions.size(), 3u);
    EXPECT_EQ(captions[0], L"Tools");
    EXPECT_EQ(dlg->GetOwner(), nullptr) << "the main window belongs to nobody";
    EXPECT_EQ(module.received().size(), 1u);
}

TEST_F(PushAddressTest, WithoutALinkTheRequestEndsAtOnce)
{
    EXPECT_LT(pressUploadAddr(), 1000);
    EXPECT_EQ(log(), L"Operation failed, please check the connection\r\n");
    EXPECT_EQ(opened.calls, 0);
    EXPECT_TRUE(boxes.boxes.empty());
}

// Runs the push-address dialog with its edit set to `text`, then "Send out".
int sendOut(Link& link, const std::wstring& text)
{
    ModalHook hook([&](fw::CDialogEx& d) {
        d.SetDlgItemText(IDC_PUSH_ADDRESS, text);
        EXPECT_TRUE(click(d, IDC_PUSH_SEND_OUT));
    });
    const int result = OpenPushAddressDialog(link);
    EXPECT_EQ(hook.calls, 1);
    return result;
}

TEST_F(PushAddressTest, SendOutUploadsTheWholeConvertedText)
{
    RecordingModule module;
    connectTo(module);
    const std::wstring address = L"rtmp://例え.jp/ライブ";
    const std::string narrow = toNarrow(address);
    ASSERT_GT(narrow.size(), address.size());
    EXPECT_EQ(sendOut(dlg->link(), address), fw::IDOK);
    ASSERT_TRUE(module.waitReceived(1));
    EXPECT_EQ(module.received().at(0), hexOf(narrow));
    EXPECT_EQ(module.server().state().pushAddress, narrow);

    // Fetched back, it reads as typed.
    std::wstring shown;
    ModalHook hook([&](fw::CDialogEx& d) {
        shown = d.GetDlgItemText(IDC_PUSH_ADDRESS);
        d.EndDialog(fw::IDCANCEL);
    });
    pressUploadAddr();
    EXPECT_EQ(shown, address);
    EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(PushAddressTest, SendOutWithAnEmptyEditSendsNothingAndClosesWithOk)
{
    RecordingModule module;
    connectTo(module);
    EXPECT_EQ(sendOut(dlg->link(), L""), fw::IDOK);
    expectUsable(module);
    EXPECT_EQ(module.received(), std::vector<std::string>{k10M});
    EXPECT_EQ(module.server().state().pushAddress, "rtmp://127.0.0.1/live/stream");
    EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(PushAddressTest, SendOutWithoutALinkShowsTheApplicationBoxAndClosesWithOk)
{
    Cnolt_PCClientApp app;
    EXPECT_EQ(sendOut(dlg->link(), L"rtmp://10.0.0.2/live"), fw::IDOK);
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text, L"Operation failed, please connect first!");
    EXPECT_EQ(boxes.boxes[0].caption, kAppTitle);
    EXPECT_EQ(boxes.boxes[0].icon, fw::MessageIcon::None);
    EXPECT_EQ(log(), L"");
}

TEST_F(PushAddressTest, EscapeClosesWithCancelAndSendsNothing)
{
    RecordingModule module;
    connectTo(module);
    ModalHook hook([](fw::CDialogEx& d) {
        d.GotoDlgCtrl(IDC_PUSH_ADDRESS);
        fw::user::press(fw::user::Key::Escape);
    });
    EXPECT_EQ(OpenPushAddressDialog(dlg->link()), fw::IDCANCEL);
    expectUsable(module);
    EXPECT_EQ(module.received(), std::vector<std::string>{k10M});
}

}  // namespace
}  // namespace nolt::test
