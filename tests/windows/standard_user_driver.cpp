// Drives the real tool, nolt-pcclient.exe, from another process as a user
// at the keyboard would: starts it, reads address fields as its main window
// shows them, types new addresses into them, presses Close and waits for
// the tool to end. Run by standard_user_settings.sh; not a test of its own.
//
//   standard_user_driver [--leave-open] TOOL [ID[=ADDRESS] ...]
//
// Prints "ID=TEXT" for each ID as the window shows it once started, then
// types each ADDRESS into its IP-address field. Exit status 0 when all of
// it happened and the tool showed no message box; 1 with the reason
// otherwise (a box's text is printed, and the box closed). With
// --leave-open the tool is left running after the typing, for whatever
// ends it next (the end of the session).

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr int kCloseButton = 1009;
constexpr auto kPatience = std::chrono::seconds(20);

bool waitFor(const std::function<bool()>& done)
{
    const auto until = std::chrono::steady_clock::now() + kPatience;
    while (!done()) {
        if (std::chrono::steady_clock::now() > until) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

// The process's visible dialog-class windows: its main window has the Close
// button, a message box has not.
std::vector<HWND> dialogsOf(DWORD pid)
{
    struct Search {
        DWORD pid;
        std::vector<HWND> found;
    } search{pid, {}};
    EnumWindows(
        [](HWND w, LPARAM lp) -> BOOL {
            auto& s = *reinterpret_cast<Search*>(lp);
            DWORD owner = 0;
            GetWindowThreadProcessId(w, &owner);
            wchar_t cls[16] = {};
            GetClassNameW(w, cls, 16);
            if (owner == s.pid && IsWindowVisible(w) && std::wstring(cls) == L"#32770") s.found.push_back(w);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND mainWindowOf(DWORD pid)
{
    for (HWND w : dialogsOf(pid))
        if (GetDlgItem(w, kCloseButton)) return w;
    return nullptr;
}

std::wstring textOf(HWND w)
{
    wchar_t buffer[512] = {};
    SendMessageW(w, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(buffer));
    return buffer;
}

// The four edits of an IP-address control, left to right.
std::vector<HWND> fieldsOf(HWND ip)
{
    std::vector<HWND> edits;
    for (HWND c = GetWindow(ip, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) edits.push_back(c);
    std::sort(edits.begin(), edits.end(), [](HWND a, HWND b) {
        RECT ra, rb;
        GetWindowRect(a, &ra);
        GetWindowRect(b, &rb);
        return ra.left < rb.left;
    });
    return edits;
}

std::wstring addressOf(HWND ip)
{
    std::wstring out;
    for (HWND field : fieldsOf(ip)) out += (out.empty() ? L"" : L".") + textOf(field);
    return out;
}

std::vector<std::wstring> octets(const std::wstring& address)
{
    std::vector<std::wstring> parts(1);
    for (wchar_t c : address) {
        if (c == L'.') parts.emplace_back();
        else parts.back() += c;
    }
    return parts;
}

// Each octet's digits go to its field as the keyboard's characters would,
// over what the field held; the control moves on by itself after a third
// digit, as it does for a user.
bool typeAddress(HWND ip, const std::wstring& address)
{
    const std::vector<HWND> fields = fieldsOf(ip);
    const std::vector<std::wstring> parts = octets(address);
    if (fields.size() != 4 || parts.size() != 4) return false;
    for (std::size_t i = 0; i < 4; ++i) {
        SendMessageW(fields[i], EM_SETSEL, 0, -1);
        for (wchar_t c : parts[i]) PostMessageW(fields[i], WM_CHAR, c, 1);
        if (!waitFor([&] { return textOf(fields[i]) == parts[i]; })) return false;
    }
    return true;
}

int fail(const std::string& why, const PROCESS_INFORMATION& tool)
{
    std::printf("driver: %s\n", why.c_str());
    TerminateProcess(tool.hProcess, 1);
    return 1;
}

std::string narrow(const std::wstring& w)
{
    return std::string(w.begin(), w.end());
}

// Waits for the tool to end, closing any box it shows on the way (and
// saying what the box said).
bool waitForEnd(const PROCESS_INFORMATION& tool, HWND mainWindow, bool& sawBox)
{
    return waitFor([&] {
        for (HWND w : dialogsOf(tool.dwProcessId)) {
            if (w == mainWindow) continue;
            sawBox = true;
            std::printf("box: %s\n", narrow(textOf(GetDlgItem(w, 0xFFFF))).c_str());
            PostMessageW(w, WM_COMMAND, IDOK, 0);
        }
        return WaitForSingleObject(tool.hProcess, 0) == WAIT_OBJECT_0;
    });
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    const bool leaveOpen = argc > 1 && std::wstring(argv[1]) == L"--leave-open";
    if (leaveOpen) {
        --argc;
        ++argv;
    }
    if (argc < 2) {
        std::printf("usage: standard_user_driver [--leave-open] TOOL [ID[=ADDRESS] ...]\n");
        return 2;
    }
    std::wstring commandLine = L"\"" + std::wstring(argv[1]) + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION tool{};
    if (!CreateProcessW(argv[1], commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &tool)) {
        std::printf("driver: cannot start the tool (error %lu)\n", GetLastError());
        return 1;
    }
    HWND main = nullptr;
    if (!waitFor([&] { return (main = mainWindowOf(tool.dwProcessId)) != nullptr; }))
        return fail("the tool's main window never showed", tool);
    for (int i = 2; i < argc; ++i) {
        const std::wstring arg = argv[i];
        const std::size_t eq = arg.find(L'=');
        const int id = std::stoi(arg.substr(0, eq));
        HWND ip = GetDlgItem(main, id);
        if (!ip) return fail("no control " + std::to_string(id), tool);
        std::printf("%d=%s\n", id, narrow(addressOf(ip)).c_str());
        if (eq != std::wstring::npos && !typeAddress(ip, arg.substr(eq + 1)))
            return fail("typing into control " + std::to_string(id) + " did not take", tool);
    }
    std::fflush(stdout);
    if (leaveOpen) return 0;
    PostMessageW(GetDlgItem(main, kCloseButton), BM_CLICK, 0, 0);
    bool sawBox = false;
    if (!waitForEnd(tool, main, sawBox)) return fail("the tool did not end after Close", tool);
    CloseHandle(tool.hThread);
    CloseHandle(tool.hProcess);
    return sawBox ? 1 : 0;
}
