// The Win32 backend on its own: the dialog manager's window built from the
// templates, the system's control classes and styles, the main dialog's
// font, icon, frame and system menu, calls from other threads during an
// input-blocking wait, and the real message box.

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>

#include "app/nolt_pcclient_dlg.h"
#include "find_modules/find_modules_dlg.h"
#include "framework/user_actions.h"
#include "framework/win32/win32_impl.h"
#include "res/resource.h"
#include "res/strings.h"

namespace nolt {
namespace {

using K = fw::ControlKind;
using fw::DialogAccess;

std::wstring className(HWND h)
{
    wchar_t name[64] = {};
    GetClassNameW(h, name, 64);
    return name;
}

LONG_PTR style(HWND h)
{
    return GetWindowLongPtrW(h, GWL_STYLE);
}

LOGFONTW fontOf(HWND h)
{
    LOGFONTW lf{};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(h, WM_GETFONT, 0, 0)), sizeof(lf), &lf);
    return lf;
}

struct KindRow {
    K kind;
    const wchar_t* cls;
    LONG_PTR typeMask, type;  // the control type's bits
    LONG_PTR required;        // further style bits it must have
};

const KindRow kKinds[] = {
    {K::GroupBox, L"Button", BS_TYPEMASK, BS_GROUPBOX, 0},
    {K::StaticLeft, L"Static", SS_TYPEMASK, SS_LEFT, WS_GROUP},
    {K::StaticCenter, L"Static", SS_TYPEMASK, SS_CENTER, WS_GROUP},
    {K::PushButton, L"Button", BS_TYPEMASK & ~BS_DEFPUSHBUTTON, BS_PUSHBUTTON, WS_TABSTOP},
    {K::DigitsEdit, L"Edit", ES_NUMBER | ES_READONLY | ES_MULTILINE, ES_NUMBER, WS_TABSTOP | ES_AUTOHSCROLL},
    {K::ReadOnlyEdit, L"Edit", ES_NUMBER | ES_READONLY | ES_MULTILINE, ES_READONLY, ES_AUTOHSCROLL},
    {K::LogEdit, L"Edit", ES_NUMBER | ES_READONLY | ES_MULTILINE | ES_AUTOHSCROLL, ES_READONLY | ES_MULTILINE,
     WS_VSCROLL | WS_TABSTOP},
    {K::IpAddress, WC_IPADDRESSW, 0, 0, WS_TABSTOP},
    {K::DropDownList, L"ComboBox", 3, CBS_DROPDOWNLIST, WS_TABSTOP},
    {K::RadioButton, L"Button", BS_TYPEMASK, BS_AUTORADIOBUTTON, 0},
    {K::ListBox, L"ListBox", LBS_NOTIFY | LBS_SORT, LBS_NOTIFY, WS_VSCROLL | WS_TABSTOP},
    {K::Progress, PROGRESS_CLASSW, 0, 0, 0},
};

// The "Find modules" dialog within reach of a test.
class MainWithFind : public Cnolt_PCClientDlg {
public:
    using Cnolt_PCClientDlg::findModules_;
};

// A key as the keyboard queues it, for whichever loop runs then.
void postKey(HWND to, UINT vk)
{
    const UINT scan = MapVirtualKeyW(vk, MAPVK_VK_TO_VSC);
    PostMessageW(to, WM_KEYDOWN, vk, 1 | (scan << 16));
    PostMessageW(to, WM_KEYUP, vk, 1 | (scan << 16) | 0xC0000000u);
}

// Message boxes are recorded, and the settings file is one of the test's own.
class Win32DialogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        fw::user::setUpGui();
        settings_ = std::filesystem::temp_directory_path() /
                    ("nolt-win32-" + std::to_string(GetCurrentProcessId()) + ".ini");
        _wputenv_s(L"NOLT_PCCLIENT_CONFIG", settings_.c_str());
        fw::setMessageBoxSink([this](const fw::MessageBoxRequest& r) {
            boxes.push_back(r);
            return fw::IDOK;
        });
    }
    void TearDown() override
    {
        dlg.reset();
        fw::setMessageBoxSink({});
        std::error_code ec;
        std::filesystem::remove(settings_, ec);
    }
    Cnolt_PCClientDlg& openMain()
    {
        dlg = std::make_unique<Cnolt_PCClientDlg>();
        fw::user::open(*dlg);
        return *dlg;
    }

    std::unique_ptr<Cnolt_PCClientDlg> dlg;
    std::vector<fw::MessageBoxRequest> boxes;

private:
    std::filesystem::path settings_;
};

TEST_F(Win32DialogTest, TheMainDialogIsTheDialogManagersWindowOfTemplate102)
{
    openMain();
    HWND w = DialogAccess::window(*dlg);
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(className(w), L"#32770");
    EXPECT_EQ(dlg->GetWindowText(), res::kMainCaption);
    EXPECT_EQ(std::wstring(fontOf(w).lfFaceName), L"MS Shell Dlg");
    int children = 0;
    for (HWND c = GetWindow(w, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) ++children;
    const auto& controls = dlg->Template().controls;
    ASSERT_EQ(children, 73);
    ASSERT_EQ(controls.size(), 73u);

    HWND child = GetWindow(w, GW_CHILD);
    for (std::size_t i = 0; i < controls.size(); ++i, child = GetWindow(child, GW_HWNDNEXT)) {
        const fw::ControlTemplate& t = controls[i];
        SCOPED_TRACE("control " + std::to_string(i + 1) + ", id " + std::to_string(t.id));
        const KindRow* row = nullptr;
        for (const KindRow& k : kKinds)
            if (k.kind == t.kind) row = &k;
        ASSERT_NE(row, nullptr);
        EXPECT_EQ(className(child), row->cls);
        EXPECT_EQ(style(child) & row->typeMask, row->type);
        EXPECT_EQ(style(child) & row->required, row->required);
        EXPECT_EQ((style(child) & WS_GROUP) != 0, (t.style & fw::kGroup) || t.kind == K::StaticLeft ||
                                                      t.kind == K::StaticCenter);
        if (t.kind == K::PushButton) {
            EXPECT_EQ((style(child) & BS_MULTILINE) != 0, (t.style & fw::kMultiLine) != 0);
        }
        // Where the dialog manager put it: the template's dialog units in
        // pixels of the dialog's font; a closed drop-down list is one line high.
        // Position and size are converted each on its own.
        RECT at{t.x, t.y, t.w, t.h};
        MapDialogRect(w, &at);
        RECT px;
        GetWindowRect(child, &px);
        MapWindowPoints(HWND_DESKTOP, w, reinterpret_cast<POINT*>(&px), 2);
        const fw::Rect r{px.left, px.top, px.right - px.left, px.bottom - px.top};
        if (t.id != fw::IDC_STATIC) {
            EXPECT_EQ(GetDlgCtrlID(child), t.id);
            EXPECT_EQ(dlg->GetControlRect(t.id), r);
        }
        EXPECT_EQ(r.x, at.left);
        EXPECT_EQ(r.y, at.top);
        EXPECT_EQ(r.w, at.right);
        if (t.kind == K::DropDownList) {
            EXPECT_LT(r.h, at.bottom);
        } else {
            EXPECT_EQ(r.h, at.bottom);
        }
    }

    // Control 1027's own font, the window icon, no sizing border, and the
    // About item at the end of the real system menu.
    const LOGFONTW version = fontOf(DialogAccess::control(*dlg, res::IDC_VERSION));
    EXPECT_EQ(std::wstring(version.lfFaceName), L"隶书");
    HDC dc = GetDC(w);
    EXPECT_EQ(version.lfHeight, -MulDiv(20, GetDeviceCaps(dc, LOGPIXELSY), 72));
    ReleaseDC(w, dc);
    EXPECT_NE(SendMessageW(w, WM_GETICON, ICON_BIG, 0), 0);
    EXPECT_NE(SendMessageW(w, WM_GETICON, ICON_SMALL, 0), 0);
    EXPECT_EQ(SendMessageW(w, WM_QUERYDRAGICON, 0, 0), SendMessageW(w, WM_GETICON, ICON_BIG, 0));
    EXPECT_EQ(style(w) & WS_THICKFRAME, 0);
    EXPECT_FALSE(dlg->IsResizable());
    HMENU menu = GetSystemMenu(w, FALSE);
    const int n = GetMenuItemCount(menu);
    ASSERT_GE(n, 4);
    EXPECT_EQ(GetMenuItemID(menu, n - 1), static_cast<UINT>(res::IDM_ABOUTBOX));
    wchar_t text[64] = {};
    GetMenuStringW(menu, static_cast<UINT>(n - 1), text, 64, MF_BYPOSITION);
    EXPECT_EQ(std::wstring(text), res::kAboutMenuItem);
    EXPECT_EQ(GetMenuItemID(menu, n - 2), static_cast<UINT>(res::IDM_RECORD_FRAMES));
    GetMenuStringW(menu, static_cast<UINT>(n - 2), text, 64, MF_BYPOSITION);
    EXPECT_EQ(std::wstring(text), res::kRecordFramesMenuItem);
    EXPECT_EQ(GetMenuState(menu, static_cast<UINT>(n - 2), MF_BYPOSITION) & MF_CHECKED, 0u);
    EXPECT_EQ(GetMenuItemID(menu, n - 3), static_cast<UINT>(res::IDM_FIND_MODULES));
    GetMenuStringW(menu, static_cast<UINT>(n - 3), text, 64, MF_BYPOSITION);
    EXPECT_EQ(std::wstring(text), res::kFindModulesMenuItem);
    EXPECT_EQ(GetMenuState(menu, static_cast<UINT>(n - 4), MF_BYPOSITION) & MF_SEPARATOR, static_cast<UINT>(MF_SEPARATOR));
    // The framework names the menu's own items as the system writes them,
    // in the system's language.
    for (const fw::SystemMenuItem& item : dlg->GetSystemMenuItems()) {
        if (item.command != fw::SC_MINIMIZE && item.command != fw::SC_CLOSE) continue;
        GetMenuStringW(menu, static_cast<UINT>(item.command), text, 64, MF_BYCOMMAND);
        EXPECT_EQ(std::wstring(text), item.text);
    }
    EXPECT_EQ(dlg->GetFocusId(), res::IDC_LINK_IP);
}

TEST_F(Win32DialogTest, EnterAndEscapeLeaveTheMainDialogOpenAndTheAboutItemOpensTheOwnedAboutBox)
{
    openMain();
    ASSERT_TRUE(fw::user::press(fw::user::Key::Enter));
    ASSERT_TRUE(fw::user::press(fw::user::Key::Escape));
    EXPECT_TRUE(dlg->IsWindowVisible());
    EXPECT_TRUE(boxes.empty());
    // Enter presses a push button that has the focus (here one that a click
    // focused, which does not make it the dialog manager's default).
    ASSERT_TRUE(fw::user::click(*dlg, res::IDC_REMINDER));
    ASSERT_EQ(boxes.size(), 1u);
    ASSERT_TRUE(fw::user::press(fw::user::Key::Enter));
    EXPECT_EQ(boxes.size(), 2u);
    EXPECT_TRUE(dlg->IsWindowVisible());

    int opened = 0;
    fw::setModalHook([&](fw::CDialogEx& about) {
        ++opened;
        EXPECT_EQ(about.GetWindowText(), L"关于");
        EXPECT_EQ(GetWindow(DialogAccess::window(about), GW_OWNER), DialogAccess::window(*dlg));
        EXPECT_FALSE(IsWindowEnabled(DialogAccess::window(*dlg))) << "the About box is modal";
        EXPECT_EQ(about.GetFocusId(), res::IDOK);
        fw::user::press(fw::user::Key::Enter);  // its default button "确定"
    });
    // The item as the system menu sends it.
    PostMessageW(DialogAccess::window(*dlg), WM_SYSCOMMAND, res::IDM_ABOUTBOX, 0);
    EXPECT_TRUE(fw::user::pumpUntil([&] { return opened == 1 && IsWindowEnabled(DialogAccess::window(*dlg)); }));
    fw::setModalHook({});
    EXPECT_TRUE(dlg->IsWindowVisible());
}

// The modeless "Find modules" dialog beside the main dialog's modal loop:
// that loop gives keys to the main dialog's dialog manager only, so Tab and
// Escape reach the Find dialog's through the framework's message hook.
TEST_F(Win32DialogTest, TheFindDialogBesideTheModalMainDialogTakesItsKeys)
{
    MainWithFind main;
    HWND find = nullptr;
    int focusAfterTab = 0;
    bool kinds = false, hiddenByEscape = false;
    std::wstring range;
    const auto step = [](int ms, std::function<void()> action) { fw::user::after(ms, std::move(action)); };
    fw::setModalHook([&](fw::CDialogEx&) {
        // The window offers the /24 around the main window's address, and
        // Find is its default button: a loopback address, so that no key
        // sent here could start a search of the network around the machine.
        if (!fw::user::type(main, res::IDC_LINK_IP, L"127.0.0.42")) return main.EndDialog(fw::IDCANCEL);
        main.SendSysCommand(res::IDM_FIND_MODULES);
        find = main.findModules_ ? DialogAccess::window(*main.findModules_) : nullptr;
        if (!find) return main.EndDialog(fw::IDCANCEL);
        range = main.findModules_->GetDlgItemText(res::IDC_FIND_RANGE);
        const HWND list = DialogAccess::control(*main.findModules_, res::IDC_FIND_LIST);
        const HWND bar = DialogAccess::control(*main.findModules_, res::IDC_FIND_PROGRESS);
        kinds = className(list) == L"ListBox" && (style(list) & LBS_NOTIFY) && className(bar) == PROGRESS_CLASSW;
        step(50, [&] {
            postKey(GetFocus(), VK_TAB);  // from the range to the port
            step(50, [&] {
                focusAfterTab = main.findModules_->GetFocusId();
                postKey(GetFocus(), VK_ESCAPE);
                step(50, [&] {
                    hiddenByEscape = !IsWindowVisible(find);
                    main.EndDialog(fw::IDCANCEL);
                });
            });
        });
    });
    main.DoModal();
    fw::setModalHook({});
    ASSERT_NE(find, nullptr);
    EXPECT_EQ(range, L"127.0.0.0/24");
    EXPECT_TRUE(kinds);
    EXPECT_FALSE(IsWindow(find)) << "the Find dialog's window goes with its owner's";
    EXPECT_EQ(focusAfterTab, res::IDC_FIND_PORT);
    EXPECT_TRUE(hiddenByEscape);
}

TEST_F(Win32DialogTest, IpAddressAndEditControlsTakeWhatTheUserTypes)
{
    openMain();
    struct Case {
        int id;
        const wchar_t* typed;
        const wchar_t* text;
    };
    const Case cases[] = {
        {res::IDC_CAMERA_IP, L"10.1.2.3", L"10.1.2.3"},
        {res::IDC_CAMERA_IP, L"1922", L"192.2.0.0"},  // a third digit moves on
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        ASSERT_TRUE(fw::user::type(*dlg, c.id, c.typed));
        EXPECT_EQ(dlg->GetDlgItemText(c.id), c.text);
    }
    dlg->SetDlgItemText(res::IDC_CAMERA_IP, L"1.2.3.256");
    EXPECT_EQ(dlg->GetDlgItemText(res::IDC_CAMERA_IP), L"0.0.0.0");
    EXPECT_TRUE(fw::user::isBlank(*dlg, res::IDC_CAMERA_IP));
    // The port field takes digits only; the disabled one takes nothing.
    dlg->EnableControl(res::IDC_LINK_PORT, true);
    dlg->SetDlgItemText(res::IDC_LINK_PORT, L"");
    ASSERT_TRUE(fw::user::type(*dlg, res::IDC_LINK_PORT, L"2a0-0"));
    EXPECT_EQ(dlg->GetDlgItemText(res::IDC_LINK_PORT), L"200");
    EXPECT_FALSE(fw::user::type(*dlg, res::IDC_UDP_PORT, L"1"));
}

TEST_F(Win32DialogTest, TheLogTakesLinesPastTheEditsDefaultLimit)
{
    openMain();
    const std::wstring line(400, L'x');
    for (int i = 0; i < 80; ++i) dlg->AppendLog(line);  // 32,160 characters
    EXPECT_EQ(fw::user::lineCount(*dlg, res::IDC_LOG), 80);
    EXPECT_EQ(dlg->GetWindowTextLength(res::IDC_LOG), 32160);
}

// The colour of a window's left border at mid height, from a printed copy
// of the window (what WM_NCPAINT draws on screen, WM_PRINT draws here).
COLORREF leftBorderColour(HWND hwnd)
{
    RECT r;
    GetWindowRect(hwnd, &r);
    const int w = r.right - r.left, h = r.bottom - r.top;
    HDC screen = GetDC(nullptr);
    HDC mem = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, w, h);
    HGDIOBJ old = SelectObject(mem, bitmap);
    SendMessageW(hwnd, WM_PRINT, reinterpret_cast<WPARAM>(mem), PRF_NONCLIENT | PRF_CLIENT | PRF_ERASEBKGND);
    const COLORREF c = GetPixel(mem, 0, h / 2);
    SelectObject(mem, old);
    DeleteObject(bitmap);
    DeleteDC(mem);
    ReleaseDC(nullptr, screen);
    return c;
}

// The log never shows a caret, so its border shows the focus instead.
TEST_F(Win32DialogTest, TheFocusedLogShowsAFrame)
{
    openMain();
    HWND log = DialogAccess::control(*dlg, res::IDC_LOG);
    const COLORREF highlight = GetSysColor(COLOR_HIGHLIGHT);
    dlg->GotoDlgCtrl(res::IDC_CONNECT);
    fw::user::pump();
    EXPECT_NE(leftBorderColour(log), highlight);
    dlg->GotoDlgCtrl(res::IDC_LOG);
    fw::user::pump();
    ASSERT_EQ(dlg->GetFocusId(), res::IDC_LOG);
    EXPECT_EQ(leftBorderColour(log), highlight);
    dlg->GotoDlgCtrl(res::IDC_CONNECT);
    fw::user::pump();
    EXPECT_NE(leftBorderColour(log), highlight);
}

TEST_F(Win32DialogTest, WorkerCallsAreServedDuringAnInputBlockingWaitWhileInputIsDropped)
{
    openMain();
    HWND cameraIp = DialogAccess::control(*dlg, res::IDC_CAMERA_IP);
    HWND reminder = DialogAccess::control(*dlg, res::IDC_REMINDER);
    const DWORD ui = GetCurrentThreadId();
    std::atomic<bool> done{false};
    std::atomic<DWORD> ranOn{0};
    std::thread worker([&] {
        for (int i = 0; i < 50; ++i) dlg->AppendLog(L"line " + std::to_wstring(i));
        fw::runOnUiThread([&] { ranOn = GetCurrentThreadId(); });
        done = true;
    });
    // Input that arrives during the wait: keys into a field, a click on a button.
    SetFocus(GetWindow(cameraIp, GW_CHILD));
    PostMessageW(GetFocus(), WM_CHAR, L'9', 1);
    PostMessageW(reminder, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    PostMessageW(reminder, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    const std::wstring before = dlg->GetDlgItemText(res::IDC_CAMERA_IP);
    EXPECT_TRUE(fw::waitWithInputBlocked([&] { return done.load(); }, std::chrono::seconds(10)));
    worker.join();
    EXPECT_EQ(ranOn.load(), ui);
    EXPECT_EQ(fw::user::lineCount(*dlg, res::IDC_LOG), 50);
    fw::user::pump(50);
    EXPECT_EQ(dlg->GetDlgItemText(res::IDC_CAMERA_IP), before) << "the key was replayed";
    EXPECT_TRUE(boxes.empty()) << "the click was replayed";
    // After the wait, input works again.
    EXPECT_TRUE(fw::user::click(*dlg, res::IDC_REMINDER));
    EXPECT_EQ(boxes.size(), 1u);
}

TEST_F(Win32DialogTest, TheRealMessageBoxIsModalToTheActiveDialogAndClosesWithOk)
{
    openMain();
    fw::setMessageBoxSink({});
    bool wasOpen = false, ownerDisabled = false;
    fw::user::after(100, [&] {
        wasOpen = fw::user::messageBoxOpen();
        ownerDisabled = !IsWindowEnabled(DialogAccess::window(*dlg));
        fw::user::closeMessageBox();
    });
    EXPECT_EQ(fw::AfxMessageBox(L"text"), fw::IDOK);
    EXPECT_TRUE(wasOpen);
    EXPECT_TRUE(ownerDisabled);
    EXPECT_FALSE(fw::user::messageBoxOpen());
}

}  // namespace
}  // namespace nolt
