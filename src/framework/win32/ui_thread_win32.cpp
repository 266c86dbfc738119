// The UI thread on Windows: calls from other threads are carried to it with
// SendMessageW to a message-only window, which the UI thread serves whenever
// it takes messages (its modal loops, message boxes and the waits below).

#include <algorithm>
#include <atomic>
#include <chrono>
#include <string_view>
#include <vector>

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

// The top-level windows of the UI thread when each input-blocking wait
// began, innermost wait last. Input for them is dropped while a wait runs;
// a window opened during the wait (a message box another thread asked for)
// takes input as usual, or nobody could close it and the wait, which runs
// it, could never end.
std::vector<std::vector<HWND>>& blockedWindows()
{
    static std::vector<std::vector<HWND>> stack;
    return stack;
}

std::vector<HWND> topLevelWindows()
{
    std::vector<HWND> windows;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND hwnd, LPARAM lp) -> BOOL {
            reinterpret_cast<std::vector<HWND>*>(lp)->push_back(hwnd);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&windows));
    return windows;
}

bool isBlockedInput(const MSG& msg)
{
    if (blockedWindows().empty() || !isUserInput(msg.message)) return false;
    const HWND root = msg.hwnd ? GetAncestor(msg.hwnd, GA_ROOT) : nullptr;
    if (!root) return true;
    for (const std::vector<HWND>& windows : blockedWindows())
        if (std::find(windows.begin(), windows.end(), root) != windows.end()) return true;
    return false;
}

bool isDialogWindow(HWND hwnd)
{
    wchar_t cls[8] = {};
    return GetClassNameW(hwnd, cls, 8) && std::wstring_view(cls) == L"#32770";
}

// Serves what is queued now; sent messages (the cross-thread calls) are
// served by PeekMessageW itself. Input is left queued when `leaveInput`.
// Keys for a dialog (message boxes included) go to its dialog manager, as a
// modeless dialog's message loop does.
void serve(bool leaveInput)
{
    const UINT filter = leaveInput ? PM_REMOVE | PM_QS_SENDMESSAGE | PM_QS_POSTMESSAGE | PM_QS_PAINT : PM_REMOVE;
    MSG msg;
    // Bounded, so that a window that keeps repainting cannot hold the caller.
    for (int i = 0; i < 10000 && PeekMessageW(&msg, nullptr, 0, 0, filter); ++i) {
        if (msg.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            return;
        }
        if (isBlockedInput(msg)) continue;  // dropped, never replayed
        const HWND root = msg.hwnd ? GetAncestor(msg.hwnd, GA_ROOT) : nullptr;
        if (root && isDialogWindow(root) && IsDialogMessageW(root, &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

// A modal loop gives keys only to its own dialog's dialog manager; the
// dialog manager lets a hook see every message first, which hands those for
// a modeless dialog beside it (Tab, Enter, Escape) to that dialog's.
LRESULT CALLBACK modelessDialogKeys(int code, WPARAM wp, LPARAM lp)
{
    static bool inside = false;  // IsDialogMessageW calls the hook again
    if (code == MSGF_DIALOGBOX && !inside) {
        auto* msg = reinterpret_cast<MSG*>(lp);
        const HWND root = msg->hwnd ? GetAncestor(msg->hwnd, GA_ROOT) : nullptr;
        const CDialogEx* dlg = root ? dialogOf(root) : nullptr;
        if (dlg && !DialogAccess::impl(*dlg).modal) {
            inside = true;
            const bool taken = IsDialogMessageW(root, msg);
            inside = false;
            if (taken) return TRUE;
        }
    }
    return CallNextHookEx(nullptr, code, wp, lp);
}

}  // namespace

void serveMessages()
{
    serve(false);
}

void setUpUiThread()
{
    if (g_uiThread != 0) return;
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_STANDARD_CLASSES | ICC_INTERNET_CLASSES | ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&icc);
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = &callWindowProc;
    wc.hInstance = instance;
    wc.lpszClassName = L"nolt.fw.calls";
    RegisterClassExW(&wc);
    g_callWindow = CreateWindowExW(0, wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, instance, nullptr);
    SetWindowsHookExW(WH_MSGFILTER, &modelessDialogKeys, nullptr, GetCurrentThreadId());
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
    if (g_uiThread != 0 && isUiThread()) serve(true);
}

bool waitWithInputBlocked(const std::function<bool()>& done, std::chrono::milliseconds timeout)
{
    if (done()) return true;
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    blockedWindows().push_back(topLevelWindows());
    while (!done()) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) break;
        MsgWaitForMultipleObjectsEx(0, nullptr, static_cast<DWORD>(std::min(left, kPollInterval).count()),
                                    QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        serve(false);
    }
    blockedWindows().pop_back();
    return done();
}

}  // namespace nolt::fw
