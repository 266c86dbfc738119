// Captions that do not fit their controls in the dialog's font are drawn in
// a slightly smaller one, as the Qt backend draws them. Whether a caption
// fits is measured with DrawTextW in the control's font, against the room
// the system's controls leave for text:
//  * a push button keeps a margin of 3 pixels (at 96 DPI) inside its edge;
//  * a radio button's text starts right of its circle (20 pixels);
//  * a group box's caption sits on its top edge, 9 pixels in from each side;
//  * a static text wraps at word breaks across its whole width.
// A word wider than the room for it never fits.
//
// A push button whose caption wraps is given its lines already broken.
// Left to break them itself, wine's button measures the wrapped text
// (DT_CALCRECT), centres a rectangle of that size and draws the text in it,
// where DrawTextW breaks the widest line once more (it counts the blank after
// the line's last word): "Save IP to Camera" comes out in three lines where
// two were measured, the third below the rectangle and cut off. Lines ended
// by line breaks are drawn as they are, on every system.

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "framework/dialog_fit.h"
#include "framework/win32/dpi_win32.h"
#include "framework/win32/win32_impl.h"

namespace nolt::fw {
namespace {

struct Room {
    int width, height;
    UINT format;      // DrawTextW's flags for the caption
    bool breakLines;  // a push button's caption that wraps
};

Room roomFor(const Control& c, UINT dpi)
{
    RECT r{};
    GetClientRect(c.hwnd, &r);
    const int w = r.right - r.left, h = r.bottom - r.top;
    const auto px = [dpi](int at96) { return MulDiv(at96, static_cast<int>(dpi), USER_DEFAULT_SCREEN_DPI); };
    switch (c.kind) {
    case ControlKind::PushButton:
    case ControlKind::DefPushButton: {
        const bool wraps = (c.tpl->style & kMultiLine) != 0;
        return {w - 2 * px(3), h - 2 * px(3), wraps ? UINT(DT_WORDBREAK | DT_CENTER) : UINT(DT_SINGLELINE), wraps};
    }
    case ControlKind::RadioButton: return {w - px(20), h, DT_SINGLELINE, false};
    case ControlKind::GroupBox: return {w - 2 * px(9), h, DT_SINGLELINE, false};
    case ControlKind::StaticLeft:
    case ControlKind::StaticCenter: {
        const UINT prefix = (c.tpl->style & kNoPrefix) ? UINT(DT_NOPREFIX) : 0u;
        return {w, h, DT_WORDBREAK | prefix, false};
    }
    default: return {0, 0, 0, false};
    }
}

bool hasCaption(const Control& c)
{
    switch (c.kind) {
    case ControlKind::PushButton:
    case ControlKind::DefPushButton:
    case ControlKind::RadioButton:
    case ControlKind::GroupBox:
    case ControlKind::StaticLeft:
    case ControlKind::StaticCenter: return !c.tpl->text.empty();
    default: return false;
    }
}

// The width of the widest line and the height of the text laid out at a width.
SIZE measure(HDC dc, std::wstring_view text, int width, UINT format)
{
    RECT r{0, 0, std::max(width, 1), 0};
    const std::wstring s(text);
    DrawTextW(dc, s.c_str(), static_cast<int>(s.size()), &r, format | DT_CALCRECT);
    return {r.right - r.left, r.bottom - r.top};
}

int textWidth(HDC dc, std::wstring_view text)
{
    SIZE size{};
    GetTextExtentPoint32W(dc, text.data(), static_cast<int>(text.size()), &size);
    return static_cast<int>(size.cx);
}

// The caption broken at blanks into lines no wider than `width`, each as
// full as it can be; nothing when a word alone is wider.
std::optional<std::vector<std::wstring>> breakIntoLines(HDC dc, std::wstring_view text, int width)
{
    std::vector<std::wstring> lines;
    std::size_t at = 0;
    while (at <= text.size()) {
        const std::size_t end = std::min(text.find(L' ', at), text.size());
        const std::wstring_view word = text.substr(at, end - at);
        if (textWidth(dc, word) > width) return std::nullopt;
        if (!lines.empty() && textWidth(dc, lines.back() + L' ' + std::wstring(word)) <= width)
            lines.back() += L' ' + std::wstring(word);
        else
            lines.emplace_back(word);
        at = end + 1;
    }
    return lines;
}

int lineHeight(HDC dc)
{
    TEXTMETRICW tm{};
    GetTextMetricsW(dc, &tm);
    return static_cast<int>(tm.tmHeight);
}

bool fitsIn(HDC dc, std::wstring_view text, const Room& room)
{
    if (room.width <= 0) return false;
    if (room.breakLines) {
        const auto lines = breakIntoLines(dc, text, room.width);
        return lines && static_cast<int>(lines->size()) * lineHeight(dc) <= room.height;
    }
    const SIZE size = measure(dc, text, room.width, room.format);
    return size.cx <= room.width && size.cy <= room.height;
}

// Runs f with a device context of the control that has `font` selected.
template <typename F>
auto withFont(HWND hwnd, HFONT font, F f)
{
    HDC dc = GetDC(hwnd);
    HGDIOBJ old = SelectObject(dc, font);
    auto result = f(dc);
    SelectObject(dc, old);
    ReleaseDC(hwnd, dc);
    return result;
}

// A wrapping push button's caption in its lines for the font it is drawn in.
void breakCaption(const Control& c, HFONT font, const Room& room)
{
    const auto lines = withFont(c.hwnd, font, [&](HDC dc) { return breakIntoLines(dc, c.tpl->text, room.width); });
    std::wstring text(c.tpl->text);
    if (lines && lines->size() > 1) {
        text = lines->front();
        for (std::size_t i = 1; i < lines->size(); ++i) text += L"\r\n" + (*lines)[i];
    }
    SetWindowTextW(c.hwnd, text.c_str());
}

// Wine's group box clears a rectangle as wide as the caption measures and
// clips the caption to it, which cuts the last pixels of a smoothed font's
// caption ("Self-test Columr"); a blank after the caption gives it room.
void padCaption(const Control& c)
{
    SetWindowTextW(c.hwnd, (std::wstring(c.tpl->text) + L' ').c_str());
}

LOGFONTW dialogFontOf(HWND dialog)
{
    LOGFONTW lf{};
    const auto font = reinterpret_cast<HFONT>(SendMessageW(dialog, WM_GETFONT, 0, 0));
    if (!font || !GetObjectW(font, sizeof(lf), &lf)) lf.lfHeight = 0;
    return lf;
}

bool hasProgramFont(const CDialogEx::Impl& d, const Control& c)
{
    return c.id != IDC_STATIC && std::any_of(d.controlFonts.begin(), d.controlFonts.end(),
                                             [&](const ControlFont& f) { return f.id == c.id; });
}

}  // namespace

void setOwnFont(Control& c, HFONT font, HFONT dialogFont)
{
    const HFONT previous = c.font;
    c.font = font;
    SendMessageW(c.hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font ? font : dialogFont), TRUE);
    if (previous) DeleteObject(previous);
}

void freeOwnFonts(CDialogEx::Impl& d)
{
    for (Control& c : d.controls) {
        if (c.font) DeleteObject(c.font);
        c.font = nullptr;
    }
}

void fitCaptions(CDialogEx::Impl& d, UINT dpi)
{
    const LOGFONTW lf = dialogFontOf(d.hwnd);
    const int height = std::abs(static_cast<int>(lf.lfHeight));
    if (height == 0) return;
    const auto dialogFont = reinterpret_cast<HFONT>(SendMessageW(d.hwnd, WM_GETFONT, 0, 0));
    for (Control& c : d.controls) {
        if (!c.hwnd || !hasCaption(c) || hasProgramFont(d, c)) continue;
        const Room room = roomFor(c, dpi);
        const auto fits = [&](HFONT font) {
            return withFont(c.hwnd, font, [&](HDC dc) { return fitsIn(dc, c.tpl->text, room); });
        };
        const int size = fitCaptionSize(height, [&](int h) {
            if (h == height) return fits(dialogFont);
            HFONT trial = createFontOfHeight(lf.lfFaceName, h);
            const bool fit = fits(trial);
            DeleteObject(trial);
            return fit;
        });
        if (size == height && c.font)
            setOwnFont(c, nullptr, dialogFont);
        else if (size != height)
            setOwnFont(c, createFontOfHeight(lf.lfFaceName, size), dialogFont);
        if (room.breakLines) breakCaption(c, c.font ? c.font : dialogFont, room);
        if (c.kind == ControlKind::GroupBox) padCaption(c);
    }
}

void remakeFonts(CDialogEx::Impl& d, UINT dpi)
{
    fitCaptions(d, dpi);
    const auto dialogFont = reinterpret_cast<HFONT>(SendMessageW(d.hwnd, WM_GETFONT, 0, 0));
    for (const ControlFont& f : d.controlFonts) {
        const auto it = d.byId.find(f.id);
        if (it == d.byId.end()) continue;
        if (HFONT font = createFontForDpi(f.face, f.pointSize, dpi)) setOwnFont(d.controls[it->second], font, dialogFont);
    }
}

}  // namespace nolt::fw
