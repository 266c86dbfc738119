// "Record frames…" of the main window's system menu, through the real
// dialogs and the user driver, against simulated modules on 127.0.0.1: the
// recording of a session, the item that stops it, a start that cannot
// write and a write that fails later.
//
// The session's file is left where NOLT_TEST_RECORDING names, when it is
// set, for tshark to read (tests/wireshark/check_capture.py; on Windows
// the test stage runs it on the file after the tests under wine).
#include "capture/capture_file.h"
#include "commands/command_frames.h"
#include "dialog_fixture.h"
#include "framework/file_dialog.h"
#include "link/hex.h"
#include "platform/file_failure_text.h"
#include "sim/server.h"
#include "support/capture_reader.h"

#include <cerrno>
#include <cstdlib>
#include "support/patterns.h"

namespace nolt::test {
namespace {

using fw::MessageIcon;
using Closer = FollowedConnection::Closer;

constexpr const wchar_t* kStatusOk = L"Get current movement status successfully";
constexpr const wchar_t* kRecordingStopped = L"Recording stopped: the frames could not be written to ";
const std::string kUploaded = "rtmp://127.0.0.1/live/recorded";

// Answers every save-file dialog with one path (nullopt: Cancel) while it lives.
class SaveFileAnswer {
public:
    explicit SaveFileAnswer(std::optional<std::filesystem::path> answer)
    {
        fw::setSaveFileSink([this, answer](const fw::SaveFileRequest& r) {
            requests.push_back(r);
            return answer;
        });
    }
    ~SaveFileAnswer() { fw::setSaveFileSink({}); }
    SaveFileAnswer(const SaveFileAnswer&) = delete;
    SaveFileAnswer& operator=(const SaveFileAnswer&) = delete;
    std::vector<fw::SaveFileRequest> requests;
};

class RecordFramesTest : public DialogFixture {
protected:
    static std::unique_ptr<sim::SimServer> startModule(const sim::Faults& faults = {})
    {
        sim::ServerOptions options;
        options.port = 0;
        options.module.faults = faults;
        auto server = std::make_unique<sim::SimServer>(options);
        EXPECT_TRUE(server->start());
        return server;
    }

    struct SaveDialogAnswer {
        std::vector<std::wstring> types;
        bool answered = false;
        bool stuck = false;
    };

    // Answers the save-file dialog with `file` once it shows (trying every
    // 50 ms). A dialog still open a while after the answer is cancelled, so
    // that the test fails instead of waiting for ever.
    static void answerWhenShown(std::shared_ptr<SaveDialogAnswer> a, std::filesystem::path file, int triesLeft)
    {
        a->types = fw::user::saveFileTypes();
        if (a->types.empty() && triesLeft > 0)
            return fw::user::after(50, [a, file, triesLeft] { answerWhenShown(a, file, triesLeft - 1); });
        a->answered = fw::user::answerSaveFile(file);
        fw::user::after(3000, [a] {
            a->stuck = !fw::user::saveFileTypes().empty();
            if (a->stuck) fw::user::answerSaveFile({});
        });
    }

    // Chooses the item and answers the platform's real save-file dialog.
    // Returns the file types it offered.
    std::vector<std::wstring> recordThroughTheSaveDialog(const std::filesystem::path& file)
    {
        auto a = std::make_shared<SaveDialogAnswer>();
        fw::user::after(50, [a, file] { answerWhenShown(a, file, 100); });
        EXPECT_TRUE(fw::user::chooseSystemMenuItem(*dlg, res::IDM_RECORD_FRAMES));
        EXPECT_TRUE(a->answered) << "no save-file dialog showed";
        EXPECT_FALSE(a->stuck) << "the save-file dialog did not take the answer";
        return a->types;
    }

    bool checked() { return fw::user::systemMenuItemChecked(*dlg, res::IDM_RECORD_FRAMES); }

    void press(int id, const wchar_t* line)
    {
        ASSERT_TRUE(click(*dlg, id));
        ASSERT_TRUE(waitForLine(line)) << std::string(line, line + std::wcslen(line));
    }

    static std::filesystem::path keptOr(const std::filesystem::path& fallback)
    {
        const char* keep = std::getenv("NOLT_TEST_RECORDING");
        return keep && *keep ? std::filesystem::path(keep) : fallback;
    }
};

// Recording starts in the middle of a session; the push-address exchange,
// a stream setting and both queries go in; Disconnect ends the first
// connection, a module that answers in pieces of 5 bytes is the second,
// and closing the tool ends that one.
TEST_F(RecordFramesTest, ASessionIsRecordedUntilTheToolCloses)
{
    auto normal = startModule();
    auto split = startModule({.splitBytes = 5, .splitPauseMs = 30});
    const std::filesystem::path file = keptOr(dir() / "session.pcapng");
    std::filesystem::remove(file);
    open();
    connectTo(normal->port());
    EXPECT_FALSE(checked());

    const auto types = recordThroughTheSaveDialog(file);
    ASSERT_FALSE(types.empty());
    EXPECT_EQ(types.front(), L"pcapng capture (*.pcapng)");
    EXPECT_TRUE(checked());

    press(res::IDC_STATUS_QUERY, kStatusOk);
    press(res::IDC_VERSION_QUERY, L"Version number query succeeded");
    // "1080P", "4M", "RTSP", "H264", "25 frame", "By Slice", "MP4".
    const std::pair<int, int> choices[] = {{res::IDC_MAIN_RESOLUTION, 1}, {res::IDC_MAIN_BITRATE, 4},
                                           {res::IDC_MAIN_PUSH_MODE, 1},  {res::IDC_MAIN_ENCODER, 0},
                                           {res::IDC_MAIN_FRAME_RATE, 0}, {res::IDC_MAIN_PACKET, 0},
                                           {res::IDC_MAIN_RECORD, 0}};
    for (const auto& [id, index] : choices) ASSERT_TRUE(selectItem(*dlg, id, index));
    press(res::IDC_MAIN_STREAM_SEND, L"Code setting succeeded, please power on again.");
    {
        // The module's address comes up in the push-address dialog; the
        // one typed there goes back.
        ModalHook hook([&](fw::CDialogEx& d) {
            d.SetDlgItemText(res::IDC_PUSH_ADDRESS, std::wstring(kUploaded.begin(), kUploaded.end()));
            EXPECT_TRUE(click(d, res::IDC_PUSH_SEND_OUT));
        });
        ASSERT_TRUE(click(*dlg, res::IDC_UPLOAD_ADDR));
        ASSERT_EQ(hook.calls, 1);
    }
    ASSERT_TRUE(waitUntil([&] { return normal->state().pushAddress == kUploaded; }));
    ASSERT_TRUE(click(*dlg, res::IDC_DISCONNECT));
    ASSERT_TRUE(linkIdle());

    connectTo(split->port());
    press(res::IDC_STATUS_QUERY, kStatusOk);
    EXPECT_TRUE(checked()) << "the recording goes on over both sessions";
    fw::user::closeWindow(*dlg);
    dlg.reset();

    const auto connections = byConnection(readCapture(file));
    ASSERT_EQ(connections.size(), 2u);
    // The normal module's connection first.
    std::vector<FollowedConnection> followed(2);
    for (const auto& [port, segments] : connections)
        followed[segments.front().toPort == normal->port() ? 0 : 1] = followConnection(segments);
    for (const FollowedConnection& f : followed) {
        EXPECT_EQ(f.problems, std::vector<std::string>{});
        EXPECT_EQ(f.closer, Closer::Tool);
    }
    const Bytes address(kUploaded.begin(), kUploaded.end());
    EXPECT_EQ(followed[0].toModule, concat({statusQueryFrame(), versionQueryFrame(), hex("AA 02 07 05 02 02 01 01 01 01 0D"),
                                            hex("67 65 74 5F 61 64 64 72 72 74 6D 70"), address}));
    EXPECT_EQ(followed[1].toModule, statusQueryFrame());
    EXPECT_EQ(followed[1].toTool.size(), 14u);
    EXPECT_EQ(followed[1].toToolSegments, (std::vector<std::size_t>{5, 5, 4})) << "the reply came in pieces";
}

TEST_F(RecordFramesTest, CancelStartsNothingAndChoosingTheItemAgainStops)
{
    open();
    {
        SaveFileAnswer cancel(std::nullopt);
        ASSERT_TRUE(fw::user::chooseSystemMenuItem(*dlg, res::IDM_RECORD_FRAMES));
        ASSERT_EQ(cancel.requests.size(), 1u);
        const fw::SaveFileRequest& r = cancel.requests[0];
        EXPECT_EQ(r.title, L"Record frames");
        EXPECT_EQ(r.description, L"pcapng capture");
        EXPECT_EQ(r.extension, L"pcapng");
        EXPECT_TRUE(test::matchesWhole(r.fileName, L"nolt-[0-9]{8}-[0-9]{6}\\.pcapng"));
        EXPECT_FALSE(checked());
        EXPECT_FALSE(dlg->link_->recording());
    }
    auto module = startModule();
    connectTo(module->port());
    const std::filesystem::path file = dir() / "stopped.pcapng";
    SaveFileAnswer answer(file);
    ASSERT_TRUE(fw::user::chooseSystemMenuItem(*dlg, res::IDM_RECORD_FRAMES));
    EXPECT_TRUE(checked());
    press(res::IDC_STATUS_QUERY, kStatusOk);
    ASSERT_TRUE(fw::user::chooseSystemMenuItem(*dlg, res::IDM_RECORD_FRAMES));
    EXPECT_FALSE(checked());
    EXPECT_EQ(answer.requests.size(), 1u) << "stopping asks for nothing";
    const auto size = std::filesystem::file_size(file);
    press(res::IDC_VERSION_QUERY, L"Version number query succeeded");
    EXPECT_EQ(std::filesystem::file_size(file), size) << "nothing is recorded once stopped";
    const FollowedConnection f = followConnection(readCapture(file).segments);
    EXPECT_EQ(f.problems, std::vector<std::string>{});
    EXPECT_EQ(f.toModule, statusQueryFrame());
    EXPECT_EQ(f.closer, Closer::None) << "the session went on after the recording";
    EXPECT_TRUE(boxes.boxes.empty());
    EXPECT_EQ(log(), (std::vector<std::wstring>{kConnected, kStatusOk, L"Version number query succeeded"}));
}

TEST_F(RecordFramesTest, AFileThatCannotBeMadeIsSaidInABoxAndNothingStarts)
{
    open();
    const std::filesystem::path file = dir() / "no such folder" / "frames.pcapng";
    SaveFileAnswer answer(file);
    ASSERT_TRUE(fw::user::chooseSystemMenuItem(*dlg, res::IDM_RECORD_FRAMES));
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_TRUE(boxes.boxes[0].text.starts_with(L"The frames cannot be recorded to " + pathForDisplay(file) + L": "))
        << std::string(boxes.boxes[0].text.begin(), boxes.boxes[0].text.end());
    EXPECT_GT(boxes.boxes[0].text.size(), (L"The frames cannot be recorded to " + pathForDisplay(file) + L": ").size());
    EXPECT_EQ(boxes.boxes[0].caption, L"Record frames");
    EXPECT_EQ(boxes.boxes[0].icon, MessageIcon::Exclamation);
    EXPECT_FALSE(checked());
    EXPECT_FALSE(dlg->link_->recording());
}

TEST_F(RecordFramesTest, AWriteThatFailsStopsTheRecordingAndIsSaidOnceInTheLog)
{
#ifdef _WIN32
    constexpr int kDiskFull = 112;  // ERROR_DISK_FULL
#else
    constexpr int kDiskFull = ENOSPC;
#endif
    auto module = startModule();
    open();
    // The headers, the handshake and the first command go in; its reply,
    // which the link thread records, does not.
    int blocks = 0;
    dlg->captureFiles = [&](const std::filesystem::path& path, int* error) {
        return capture::CaptureFile::create(
            [&](std::span<const std::uint8_t>, int* why) {
                *why = kDiskFull;
                return ++blocks < 7;
            },
            path, "test", error);
    };
    connectTo(module->port());
    const std::filesystem::path file = dir() / "full.pcapng";
    SaveFileAnswer answer(file);
    ASSERT_TRUE(fw::user::chooseSystemMenuItem(*dlg, res::IDM_RECORD_FRAMES));
    EXPECT_TRUE(checked());
    press(res::IDC_STATUS_QUERY, kStatusOk);
    press(res::IDC_VERSION_QUERY, L"Version number query succeeded");
    const std::wstring said = kRecordingStopped + pathForDisplay(file) + L": " + systemErrorText(kDiskFull);
    EXPECT_EQ(log(), (std::vector<std::wstring>{kConnected, said, kStatusOk, L"Version number query succeeded"}));
    EXPECT_FALSE(checked());
    EXPECT_EQ(blocks, 7);
    EXPECT_TRUE(boxes.boxes.empty()) << "the log says it; no box interrupts the user";
}

}  // namespace
}  // namespace nolt::test
