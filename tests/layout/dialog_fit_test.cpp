// A dialog larger than the work area of its monitor is laid out smaller:
// the decision as a table, and the real main dialog on the backend of the
// build given a small work area (the whole window inside it, Close inside
// the window and answering a click).

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "app/nolt_pcclient_dlg.h"
#include "framework/dialog_fit.h"
#include "res/resource.h"
#include "res/templates.h"
#include "support/dialog_support.h"

namespace nolt {
namespace {

using fw::BaseUnits;
using fw::FitRequest;

// Base units that grow with the size as a dialog font's do: 2/3 of the
// size wide, 5/3 of it high (9 points: 6 x 15, the usual 100 % figures).
BaseUnits unitsOf(int size)
{
    return {size * 2 / 3, size * 5 / 3};
}

// A 300 x 400 dialog-unit template in 9 points; a frame of 10 x 30 pixels.
FitRequest request(int workWidth, int workHeight, int ppi = 96, double scale = 1.0)
{
    FitRequest r;
    r.duWidth = 300;
    r.duHeight = 400;
    r.pointSize = 9;
    r.pixelsPerInch = ppi;
    r.deviceScale = scale;
    r.frameWidth = 10;
    r.frameHeight = 30;
    r.workWidth = workWidth;
    r.workHeight = workHeight;
    return r;
}

TEST(DialogFitTest, TheDialogFontShrinksUntilTheWindowFitsButNeverBelowAReadableSize)
{
    struct Case {
        const char* what;
        FitRequest request;
        int expected;
    };
    // At 9 points the window is 460 x 780 pixels (6 x 15 base units); at 8,
    // 385 x 680 (5 x 13); at 7, 310 x 580 (4 x 11); at 6, 310 x 530.
    const Case cases[] = {
        {"fits: nothing changes", request(1280, 800), 9},
        {"fits exactly", request(460, 780), 9},
        {"one pixel too short", request(1280, 779), 8},
        {"one pixel too narrow", request(459, 1000), 8},
        {"two sizes smaller", request(1280, 600, 120), 7},
        {"8 points is the smallest readable at 96 DPI", request(1280, 400), 8},
        {"at 120 DPI 7 points are 12 pixels, 6 points 10", request(1280, 560, 120), 7},
        {"at 144 DPI 6 points are 12 pixels", request(1280, 540, 144), 6},
        {"a 125 % scale makes 7 points readable at 96 DPI", request(1280, 600, 96, 1.25), 7},
        {"and 6 points not (8 x 1.25 = 10 pixels)", request(1280, 200, 96, 1.25), 7},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(fw::fitDialogPointSize(c.request, unitsOf), c.expected);
    }
    // A template already below the readable size is never made larger.
    FitRequest small = request(100, 100);
    small.pointSize = 6;
    EXPECT_EQ(fw::fitDialogPointSize(small, unitsOf), 6);
}

TEST(DialogFitTest, ACaptionThatDoesNotFitIsDrawnAtMostAQuarterSmaller)
{
    struct Case {
        int size, fitsFrom;  // fits at sizes <= fitsFrom
        int expected;
    };
    const Case cases[] = {{12, 12, 12}, {12, 30, 12}, {12, 11, 11}, {12, 9, 9}, {12, 8, 9}, {11, 1, 9}, {16, 13, 13}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.size);
        std::vector<int> tried;
        const int got = fw::fitCaptionSize(c.size, [&](int s) {
            tried.push_back(s);
            return s <= c.fitsFrom;
        });
        EXPECT_EQ(got, c.expected);
        EXPECT_EQ(tried.front(), c.size) << "the dialog's own size first";
    }
}

// The real main dialog, laid out for a work area the test chooses.
class MainDialogFitTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        dlg.reset();
        fw::setWorkAreaForTests(std::nullopt);
    }
    void openWithWorkArea(int w, int h)
    {
        dlg.reset();
        fw::setWorkAreaForTests(fw::Rect{0, 0, w, h});
        dlg = test::openDialog<Cnolt_PCClientDlg>();
    }
    static bool inside(const fw::Rect& inner, const fw::Rect& outer)
    {
        return inner.x >= outer.x && inner.y >= outer.y && inner.x + inner.w <= outer.x + outer.w &&
               inner.y + inner.h <= outer.y + outer.h;
    }

    test::IsolatedSettings settings;
    test::BoxRecorder boxes;
    std::unique_ptr<Cnolt_PCClientDlg> dlg;
};

TEST_F(MainDialogFitTest, ADialogLargerThanTheWorkAreaIsLaidOutSmallerAndCloseStaysInReach)
{
    const fw::DialogTemplate& tpl = res::mainTemplate();
    openWithWorkArea(4000, 4000);
    const fw::Rect roomy = dlg->MapDialogRect(0, 0, tpl.w, tpl.h);

    // A work area as high as the client area alone, too low for the window
    // with its title bar: all of the window is inside, and so is every
    // control that shows, Close included.
    openWithWorkArea(4000, roomy.h);
    EXPECT_LE(fw::user::windowRect(*dlg).h, roomy.h);
    const fw::Rect client = dlg->MapDialogRect(0, 0, tpl.w, tpl.h);
    EXPECT_LT(client.h, roomy.h);
    EXPECT_GT(client.h, roomy.h * 2 / 3) << "smaller, not tiny";
    for (const fw::ControlTemplate& t : tpl.controls) {
        if (t.id == fw::IDC_STATIC || !dlg->IsControlVisible(t.id)) continue;
        SCOPED_TRACE(t.id);
        EXPECT_TRUE(inside(dlg->GetControlRect(t.id), client));
    }
    ASSERT_TRUE(fw::user::click(*dlg, res::IDC_CLOSE));
    EXPECT_TRUE(fw::user::pumpUntil([&] { return !dlg->IsWindowVisible(); })) << "Close ends the dialog";
}

TEST_F(MainDialogFitTest, ADialogThatFitsKeepsItsTemplatesSize)
{
    const fw::DialogTemplate& tpl = res::mainTemplate();
    openWithWorkArea(4000, 4000);
    const fw::Rect roomy = dlg->MapDialogRect(0, 0, tpl.w, tpl.h);
    // Room for the client area and any frame: nothing changes.
    openWithWorkArea(roomy.w + 100, roomy.h + 100);
    EXPECT_EQ(dlg->MapDialogRect(0, 0, tpl.w, tpl.h), roomy);
}

}  // namespace
}  // namespace nolt
