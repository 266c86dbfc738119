// Captions on the Win32 backend: every caption of the tool's dialogs fits
// its control, measured with DrawTextW in the control's own font and as the
// system's control really draws it; group boxes paint behind the controls
// they enclose; and a dialog moved to another DPI gets its fonts again.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "app/nolt_pcclient_dlg.h"
#include "framework/user_actions.h"
#include "framework/win32/win32_impl.h"
#include "res/resource.h"
#include "res/templates.h"
#include "support/dialog_support.h"

namespace nolt {
namespace fw {

// A row of the dialogs' table as a failure names it: the template's number,
// caption and size, not the pointer.
void PrintTo(const DialogTemplate* t, std::ostream* out)
{
    *out << "template " << t->id << " \"";
    for (wchar_t c : t->caption) *out << (c < 0x80 ? static_cast<char>(c) : '?');
    *out << "\", " << t->controls.size() << " controls";
}

}  // namespace fw
namespace {

using K = fw::ControlKind;
using fw::DialogAccess;

bool hasCaption(const fw::ControlTemplate& t)
{
    return !t.text.empty() && t.kind != K::Edit && t.kind != K::DigitsEdit && t.kind != K::ReadOnlyEdit &&
           t.kind != K::LogEdit && t.kind != K::IpAddress && t.kind != K::DropDownList;
}

bool wraps(const fw::ControlTemplate& t)
{
    return t.kind == K::StaticLeft || t.kind == K::StaticCenter || (t.style & fw::kMultiLine);
}

HFONT fontOf(HWND h)
{
    return reinterpret_cast<HFONT>(SendMessageW(h, WM_GETFONT, 0, 0));
}

std::wstring windowText(HWND h)
{
    wchar_t text[256] = {};
    GetWindowTextW(h, text, 256);
    return text;
}

std::string traced(std::wstring_view text)
{
    std::string s;
    for (wchar_t c : text) s += c < 0x80 ? static_cast<char>(c) : '?';
    return s;
}

// A white-on-black picture: the control's text pixels are its dark pixels
// (frames and edges are drawn in greys).
class Picture {
public:
    Picture(int w, int h) : w_(w), h_(h)
    {
        dc_ = CreateCompatibleDC(nullptr);
        BITMAPINFO bi{};
        bi.bmiHeader = {sizeof(BITMAPINFOHEADER), w, -h, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        bitmap_ = CreateDIBSection(dc_, &bi, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits_), nullptr, 0);
        old_ = SelectObject(dc_, bitmap_);
    }
    ~Picture()
    {
        SelectObject(dc_, old_);
        DeleteObject(bitmap_);
        DeleteDC(dc_);
    }
    Picture(const Picture&) = delete;
    Picture& operator=(const Picture&) = delete;
    HDC dc() const { return dc_; }
    void fill(COLORREF c)
    {
        GdiFlush();
        for (int i = 0; i < w_ * h_; ++i) bits_[i] = (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c);
    }
    DWORD at(int x, int y) const { return bits_[y * w_ + x] & 0xFFFFFF; }
    int darkPixels() const
    {
        GdiFlush();
        int n = 0;
        for (int i = 0; i < w_ * h_; ++i) {
            const DWORD c = bits_[i];
            n += ((c >> 16) & 255) + ((c >> 8) & 255) + (c & 255) < 200;
        }
        return n;
    }

private:
    int w_, h_;
    HDC dc_;
    HBITMAP bitmap_;
    HGDIOBJ old_;
    DWORD* bits_ = nullptr;
};

// The text pixels a control of this class, style and caption draws at a
// size, in the control's font drawn without smoothing (the same layout, but
// every text pixel black).
int textPixels(HWND host, HWND like, int w, int h)
{
    wchar_t cls[32] = {};
    GetClassNameW(like, cls, 32);
    const DWORD style = (static_cast<DWORD>(GetWindowLongPtrW(like, GWL_STYLE)) & ~WS_DISABLED) | WS_VISIBLE;
    const std::wstring text = windowText(like);
    HWND copy = CreateWindowExW(0, cls, text.c_str(), style, 0, 0, w, h, host, nullptr, nullptr, nullptr);
    LOGFONTW lf{};
    GetObjectW(fontOf(like), sizeof(lf), &lf);
    lf.lfQuality = NONANTIALIASED_QUALITY;
    HFONT sharp = CreateFontIndirectW(&lf);
    SendMessageW(copy, WM_SETFONT, reinterpret_cast<WPARAM>(sharp), FALSE);
    Picture p(w, h);
    p.fill(GetSysColor(COLOR_BTNFACE));
    SendMessageW(copy, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(p.dc()), PRF_CLIENT | PRF_ERASEBKGND);
    DestroyWindow(copy);
    DeleteObject(sharp);
    return p.darkPixels();
}

class CaptionFitTest : public ::testing::TestWithParam<const fw::DialogTemplate*> {
protected:
    void SetUp() override
    {
        fw::user::setUpGui();
        dlg = std::make_unique<fw::CDialogEx>(*GetParam());
        fw::user::open(*dlg);
        ASSERT_NE(DialogAccess::window(*dlg), nullptr);
    }

    // Calls f(template, window) for each visible control with a caption;
    // the dialog's children come in template order.
    template <typename F>
    void forEachShownCaption(F f)
    {
        HWND child = GetWindow(DialogAccess::window(*dlg), GW_CHILD);
        for (const fw::ControlTemplate& t : dlg->Template().controls) {
            HWND c = child;
            child = GetWindow(child, GW_HWNDNEXT);
            if (!hasCaption(t) || !IsWindowVisible(c)) continue;
            SCOPED_TRACE(traced(t.text));
            f(t, c);
        }
    }

    std::unique_ptr<fw::CDialogEx> dlg;
};

// DrawTextW's layout of the caption in the control's font, with the room the
// system's controls keep for their edges, margins and radio circle.
TEST_P(CaptionFitTest, EveryCaptionMeasuredInItsControlsFontFitsItsControl)
{
    forEachShownCaption([](const fw::ControlTemplate& t, HWND c) {
        RECT r;
        GetClientRect(c, &r);
        int room = r.right, height = r.bottom;
        if (t.kind == K::PushButton || t.kind == K::DefPushButton) room -= 6, height -= 6;
        if (t.kind == K::RadioButton) room -= 20;
        if (t.kind == K::GroupBox) room -= 18;
        HDC dc = GetDC(c);
        HGDIOBJ old = SelectObject(dc, fontOf(c));
        const std::wstring text = windowText(c);  // a wrapping button's lines already broken
        RECT laid{0, 0, room, 0};
        DrawTextW(dc, text.c_str(), -1, &laid, DT_CALCRECT | (wraps(t) ? DT_WORDBREAK : DT_SINGLELINE));
        SelectObject(dc, old);
        ReleaseDC(c, dc);
        EXPECT_LE(laid.right, room) << "too wide";
        EXPECT_LE(laid.bottom, height) << "too tall";
    });
}

// As drawn: the control paints as much of its caption as a copy of it with
// room to spare does (as wide, for a caption that wraps; wider otherwise).
TEST_P(CaptionFitTest, EveryCaptionIsDrawnWhole)
{
    HWND host = CreateWindowExW(0, L"Static", L"", WS_POPUP | WS_VISIBLE, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    forEachShownCaption([&](const fw::ControlTemplate& t, HWND c) {
        RECT r;
        GetClientRect(c, &r);
        const int drawn = textPixels(host, c, r.right, r.bottom);
        const int whole = textPixels(host, c, r.right + (wraps(t) ? 0 : 200), r.bottom * 3 + 40);
        EXPECT_GT(whole, 0);
        EXPECT_EQ(drawn, whole);
    });
    DestroyWindow(host);
}

INSTANTIATE_TEST_SUITE_P(Dialogs, CaptionFitTest,
                         ::testing::Values(&res::mainTemplate(), &res::aboutTemplate(), &res::toolsTemplate(),
                                           &res::pushAddressTemplate(), &res::findModulesTemplate()),
                         [](const auto& info) { return std::to_string(info.param->id); });

class Win32LayoutTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        fw::user::setUpGui();
        dlg = std::make_unique<Cnolt_PCClientDlg>();
        fw::user::open(*dlg);
    }
    test::IsolatedSettings settings;
    std::unique_ptr<Cnolt_PCClientDlg> dlg;
};

// A group box follows some of the labels it encloses in the template (and
// so in the stacking and Tab order), yet never paints over them.
TEST_F(Win32LayoutTest, GroupBoxesPaintAroundTheControlsOverThem)
{
    HWND w = DialogAccess::window(*dlg);
    constexpr COLORREF kUntouched = RGB(255, 0, 255);
    int boxes = 0, overlaps = 0;
    for (HWND box = GetWindow(w, GW_CHILD); box; box = GetWindow(box, GW_HWNDNEXT)) {
        if ((GetWindowLongPtrW(box, GWL_STYLE) & BS_TYPEMASK) != BS_GROUPBOX || !IsWindowVisible(box)) continue;
        ++boxes;
        RECT mine;
        GetWindowRect(box, &mine);
        Picture p(mine.right - mine.left, mine.bottom - mine.top);
        p.fill(kUntouched);
        SendMessageW(box, WM_PAINT, reinterpret_cast<WPARAM>(p.dc()), 0);
        GdiFlush();
        for (HWND s = GetWindow(w, GW_CHILD); s; s = GetWindow(s, GW_HWNDNEXT)) {
            RECT r, o;
            if (s == box || !IsWindowVisible(s) || (GetWindowLongPtrW(s, GWL_STYLE) & BS_TYPEMASK) == BS_GROUPBOX) continue;
            GetWindowRect(s, &r);
            if (!IntersectRect(&o, &r, &mine)) continue;
            ++overlaps;
            OffsetRect(&o, -mine.left, -mine.top);
            int painted = 0;
            for (int y = o.top; y < o.bottom; ++y)
                for (int x = o.left; x < o.right; ++x) painted += p.at(x, y) != 0xFF00FF;
            EXPECT_EQ(painted, 0) << "control " << GetDlgCtrlID(s) << " at " << r.left << "," << r.top;
        }
    }
    EXPECT_EQ(boxes, 6);
    EXPECT_GT(overlaps, 40);
}

// Moved to a monitor with another scaling, the version field's own font is
// made again for the new DPI.
TEST_F(Win32LayoutTest, ANewDpiRemakesTheVersionFieldsFont)
{
    HWND w = DialogAccess::window(*dlg);
    HWND version = DialogAccess::control(*dlg, res::IDC_VERSION);
    LOGFONTW lf{};
    RECT suggested;
    GetWindowRect(w, &suggested);
    SendMessageW(w, WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&suggested));
    fw::user::pump(50);
    GetObjectW(fontOf(version), sizeof(lf), &lf);
    EXPECT_EQ(std::wstring(lf.lfFaceName), L"隶书");
    EXPECT_EQ(lf.lfHeight, -MulDiv(20, 144, 72));
    SendMessageW(w, WM_DPICHANGED, MAKEWPARAM(96, 96), reinterpret_cast<LPARAM>(&suggested));
    fw::user::pump(50);
    GetObjectW(fontOf(version), sizeof(lf), &lf);
    EXPECT_EQ(lf.lfHeight, -MulDiv(20, 96, 72));
}

}  // namespace
}  // namespace nolt
