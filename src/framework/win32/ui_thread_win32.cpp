// The UI thread on Windows: calls from other threads are carried to it with
// SendMessageW to a message-only window, which the UI thread serves whenever
// it takes messages (its modal loops, message boxes and the waits below).

#include <algorithm>
#include <atomic>
#include <chrono>

#include "framework/win32/win32_impl.h"

namespace nolt::fw {
namespace {

constexpr UINT kRunCall = WM_APP + 1;
constexpr auto kPollInterval = std::chrono::milliseconds(5);

std::atomic<DWORD> g_uiThread{0};
HWND g_callWindow = nullptr;

LRESULT CALLBACK callWindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    if (msg == kRunCall) {
        (*reinterpret_cast<const std::function<void()>*>(lp))();
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

// Mouse, keyboard, wheel and pen input, on the client and the frame.
bool isUserInput(UINT msg)
{
    return (msg >= WM_KEYFIRST && msg <= WM_KEYLAST) || (msg >= WM_MOUSEFIRST && msg <= WM_MOUSELAST) ||
           (msg >= WM_NCMOUSEMOVE && msg <= WM_NCXBUTTONDBLCLK) || msg == WM_INPUT ||
           (msg >= WM_IME_STARTCOMPOSITION && msg <= WM_IME_KEYLAST) ||
           (msg >= WM_IME_SETCONTEXT && msg <= WM_IME_KEYUP) || (msg >= 0x0245 && msg <= 0x0251);  // pointer
}

// Serves what is queued now. Sent messages (the cross-thread calls) are
// served by PeekMessageW itself. User input is dropped when `dropInput`, else
// left queued.
void serveQueued(bool dropInput)
{
    const UINT filter = dropInput ? PM_REMOVE : PM_REMOVE | PM_QS_SENDMESSAGE | PM_QS_POSTMESSAGE | PM_QS_PAINT;
    MSG msg;
    // Bounded, so that a window that keeps repainting cannot hold the caller.
    for (int i = 0; i < 10000 && PeekMessageW(&msg, nullptr, 0, 0, filter); ++i) {
        if (msg.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            return;
        }
        if (dropInput && isUserInput(msg.message)) continue;  // never replayed
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

}  // namespace

void serveMessages()
{
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            return;
        }
        HWND root = msg.hwnd ? GetAncestor(msg.hwnd, GA_ROOT) : nullptr;
        if (root && dialogOf(root) && IsDialogMessageW(root, &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

void setUpUiThread()
{
    if (g_uiThread != 0) return;
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_STANDARD_CLASSES | ICC_INTERNET_CLASSES};
    InitCommonControlsEx(&icc);
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = &callWindowProc;
    wc.hInstance = instance;
    wc.lpszClassName = L"nolt.fw.calls";
    RegisterClassExW(&wc);
    g_callWindow = CreateWindowExW(0, wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, instance, nullptr);
    g_uiThread = GetCurrentThreadId();
}

bool isUiThread()
{
    const DWORD ui = g_uiThread;
    return ui == 0 || ui == GetCurrentThreadId();
}

void runOnUiThread(const std::function<void()>& fn)
{
    if (isUiThread()) {
        fn();
        return;
    }
    SendMessageW(g_callWindow, kRunCall, 0, reinterpret_cast<LPARAM>(&fn));
}

void processPendingEvents()
{
    if (g_uiThread != 0 && isUiThread()) serveQueued(false);
}

bool waitWithInputBlocked(const std::function<bool()>& done, std::chrono::milliseconds timeout)
{
    if (done()) return true;
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!done()) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) break;
        // A box another thread asks for runs its own loop inside this one and
        // takes input as usual; the windows it is modal to are disabled.
        MsgWaitForMultipleObjectsEx(0, nullptr, static_cast<DWORD>(std::min(left, kPollInterval).count()),
                                    QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        serveQueued(true);
    }
    return done();
}

}  // namespace nolt::fw
