// The tool's icon: the program's icon resources hold the drawing at every
// size Windows asks for at the usual scalings, and the window gets its
// icons at exactly the sizes the system asks for at the window's DPI.

#include <gtest/gtest.h>

#include <vector>

#include "app/nolt_pcclient_dlg.h"
#include "framework/win32/dpi_win32.h"
#include "framework/win32/win32_impl.h"
#include "support/dialog_support.h"

namespace nolt::test {
namespace {

// The widths listed in an icon group resource's directory (0 means 256).
std::vector<int> groupIconSizes(int id)
{
#pragma pack(push, 2)
    struct GroupEntry {
        BYTE width, height, colors, reserved;
        WORD planes, bitCount;
        DWORD bytes;
        WORD id;
    };
    struct GroupHeader {
        WORD reserved, type, count;
    };
#pragma pack(pop)
    HRSRC info = FindResourceW(nullptr, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(14) /* RT_GROUP_ICON */);
    HGLOBAL data = info ? LoadResource(nullptr, info) : nullptr;
    const auto* header = data ? static_cast<const GroupHeader*>(LockResource(data)) : nullptr;
    std::vector<int> sizes;
    if (!header) return sizes;
    const auto* entries = reinterpret_cast<const GroupEntry*>(header + 1);
    for (WORD i = 0; i < header->count; ++i) sizes.push_back(entries[i].width == 0 ? 256 : entries[i].width);
    return sizes;
}

int iconWidth(HICON icon)
{
    ICONINFO info{};
    if (!icon || !GetIconInfo(icon, &info)) return 0;
    BITMAP bm{};
    GetObjectW(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof(bm), &bm);
    if (info.hbmColor) DeleteObject(info.hbmColor);
    if (info.hbmMask) DeleteObject(info.hbmMask);
    return bm.bmWidth;
}

TEST(WindowIcon, TheProgramsIconsHoldEverySizeFrom16To256)
{
    const std::vector<int> every = {16, 20, 24, 32, 40, 48, 64, 96, 128, 256};
    EXPECT_EQ(groupIconSizes(128), every) << "the file's icon";
    EXPECT_EQ(groupIconSizes(140), every) << "the window's icon";
}

// What Windows asks for at 100 % to 200 % scaling: 32 and 16 px scaled.
TEST(WindowIcon, IconsAreLoadedAtTheSizesAskedForAtEachDpi)
{
    fw::user::setUpGui();
    const struct {
        UINT dpi;
        int big, small;
    } cases[] = {{96, 32, 16}, {120, 40, 20}, {144, 48, 24}, {192, 64, 32}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.dpi);
        const fw::WindowIconSizes sizes = fw::windowIconSizes(c.dpi);
        EXPECT_EQ(sizes.big, c.big);
        EXPECT_EQ(sizes.small, c.small);
        for (int size : {sizes.big, sizes.small}) {
            HICON icon = fw::loadAppIcon(size);
            EXPECT_EQ(iconWidth(icon), size);
            DestroyIcon(icon);
        }
    }
}

using MainWindowIcon = DialogTest<Cnolt_PCClientDlg>;

TEST_F(MainWindowIcon, TheWindowsIconsHaveTheSizesOfItsDpi)
{
    const HWND w = fw::DialogAccess::window(*dlg);
    const fw::WindowIconSizes sizes = fw::windowIconSizes(fw::windowDpi(w));
    EXPECT_EQ(iconWidth(reinterpret_cast<HICON>(SendMessageW(w, WM_GETICON, ICON_BIG, 0))), sizes.big);
    EXPECT_EQ(iconWidth(reinterpret_cast<HICON>(SendMessageW(w, WM_GETICON, ICON_SMALL, 0))), sizes.small);
    // Set again (as for a new DPI), the icons are replaced, not piled up.
    dlg->SetAppIcon();
    EXPECT_EQ(fw::DialogAccess::impl(*dlg).icons.size(), 2u);
}

}  // namespace
}  // namespace nolt::test
