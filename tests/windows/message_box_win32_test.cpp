// Message boxes the link thread asks for on the Win32 backend: they belong to
// the main window also while another program is in front, and one asked for
// after the main window has closed is dropped.

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <thread>

#include "app/nolt_pcclient_dlg.h"
#include "framework/user_actions.h"
#include "framework/win32/win32_impl.h"
#include "framework/win_app.h"
#include "support/dialog_support.h"

namespace nolt {
namespace {

using fw::DialogAccess;

// A window of "another program": a thread of its own, with its own input
// queue, whose window takes the foreground.
class OtherProgram {
public:
    OtherProgram()
    {
        thread_ = std::thread([this] {
            window_ = CreateWindowExW(0, L"Static", L"another program", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200,
                                      100, nullptr, nullptr, nullptr, nullptr);
            SetForegroundWindow(window_);
            threadId_ = GetCurrentThreadId();
            ready_ = true;
            MSG msg;
            while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
            DestroyWindow(window_);
        });
        while (!ready_) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    ~OtherProgram()
    {
        PostThreadMessageW(threadId_, WM_QUIT, 0, 0);
        thread_.join();
    }
    HWND window() const { return window_; }

private:
    std::thread thread_;
    std::atomic<bool> ready_{false};
    std::atomic<HWND> window_{nullptr};
    std::atomic<DWORD> threadId_{0};
};

class MessageBoxOwnerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        fw::user::setUpGui();
        dlg = std::make_unique<Cnolt_PCClientDlg>();
        fw::user::open(*dlg);
        app.setMainWindow(dlg.get());
    }
    void TearDown() override
    {
        app.setMainWindow(nullptr);
        dlg.reset();
    }
    // Asks for a box from a thread of its own, as the link thread does, and
    // serves the UI until it has returned.
    void boxFromWorker()
    {
        std::atomic<bool> done{false};
        std::thread link([&] {
            dlg->MessageBox(L"Connection failed", L"Tips", fw::MessageIcon::Exclamation);
            done = true;
        });
        EXPECT_TRUE(fw::user::pumpUntil([&] { return done.load(); }, 5000));
        link.join();
    }

    test::IsolatedSettings settings;
    fw::CWinApp app{L"owner test"};
    std::unique_ptr<Cnolt_PCClientDlg> dlg;
};

TEST_F(MessageBoxOwnerTest, ALinkThreadsBoxBelongsToTheMainWindowWhileAnotherProgramIsInFront)
{
    OtherProgram other;
    ASSERT_TRUE(fw::user::pumpUntil([&] { return GetForegroundWindow() == other.window(); }, 2000));
    // Windows leaves a thread in the background without an active window;
    // wine keeps the last one, so it is taken away here.
    SetActiveWindow(nullptr);
    ASSERT_EQ(GetActiveWindow(), nullptr) << "no window of the tool is active";
    HWND main = DialogAccess::window(*dlg);
    HWND owner = reinterpret_cast<HWND>(1);
    bool mainDisabled = false;
    fw::user::after(200, [&] {
        HWND box = nullptr;
        for (HWND h = GetWindow(GetDesktopWindow(), GW_CHILD); h && !box; h = GetWindow(h, GW_HWNDNEXT)) {
            wchar_t cls[16] = {};
            GetClassNameW(h, cls, 16);
            DWORD process = 0;
            GetWindowThreadProcessId(h, &process);
            if (std::wstring_view(cls) == L"#32770" && h != main && process == GetCurrentProcessId() &&
                IsWindowVisible(h))
                box = h;
        }
        owner = box ? GetWindow(box, GW_OWNER) : nullptr;
        mainDisabled = !IsWindowEnabled(main);
        if (box) PostMessageW(box, WM_COMMAND, MAKEWPARAM(fw::IDOK, BN_CLICKED), 0);
    });
    boxFromWorker();
    EXPECT_EQ(owner, main);
    EXPECT_TRUE(mainDisabled) << "the box is modal to the main window";
    EXPECT_TRUE(IsWindowEnabled(main));
}

TEST_F(MessageBoxOwnerTest, ABoxTheLinkThreadAsksForAfterTheMainWindowHasClosedIsDropped)
{
    test::BoxRecorder boxes;
    boxFromWorker();
    EXPECT_EQ(boxes.boxes.size(), 1u) << "while the main window is open";
    dlg->DestroyWindow();
    boxFromWorker();
    EXPECT_EQ(boxes.boxes.size(), 1u);
    // The UI thread's own boxes still show (a failure reported at closing).
    fw::AfxMessageBox(L"closing");
    EXPECT_EQ(boxes.boxes.size(), 2u);
}

}  // namespace
}  // namespace nolt
