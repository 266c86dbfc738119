// A dialog larger than the work area of its monitor is laid out smaller and
// placed with all of its frame in the work area: the decisions as tables,
// and the real main dialog on the backend of the build given a small work
// area (the whole window inside it, Close inside the window and answering a
// click).

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

// A 300 x 400 dialog-unit template in 9 points (or du wider and higher); a
// frame of 10 x 30 pixels.
FitRequest request(int workWidth, int workHeight, int ppi = 96, double scale = 1.0, int du = 0)
{
    FitRequest r;
    r.duWidth = 300 + du;
    r.duHeight = 400 + du;
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
        // Dialog units become pixels rounded to the nearest, as the dialog
        // manager makes them: 301 x 401 are 451.5 x 751.875 pixels at 9
        // points, so the window is 462 x 782, a pixel more than truncated.
        {"rounded up: as wide as the window", request(462, 1000, 96, 1.0, 1), 9},
        {"rounded up: a pixel narrower", request(461, 1000, 96, 1.0, 1), 8},
        {"rounded up: as high as the window", request(1280, 782, 96, 1.0, 1), 9},
        {"rounded up: a pixel lower", request(1280, 781, 96, 1.0, 1), 8},
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

TEST(DialogFitTest, DialogUnitsAndPointsArePixelsRoundedHalfAwayFromZero)
{
    struct Case {
        int number, numerator, denominator, expected;
    };
    const Case cases[] = {{301, 6, 4, 452}, {300, 6, 4, 450}, {1, 1, 2, 1}, {-1, 1, 2, -1}, {-3, 1, 4, -1},
                          {7, 120, 72, 12}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.number << " * " << c.numerator << " / " << c.denominator);
        EXPECT_EQ(fw::mulDiv(c.number, c.numerator, c.denominator), c.expected);
    }
}

TEST(DialogFitTest, AWindowIsCentredAndMovedTheLeastToLieWhollyInTheWorkArea)
{
    struct Case {
        const char* what;
        int w, h;
        fw::Rect centreOn, work, expected;
    };
    const fw::Rect bottomBar{0, 0, 1366, 718};  // a task bar of 50 pixels below
    const fw::Rect topBar{0, 40, 1280, 760};    // and one of 40 above
    const Case cases[] = {
        {"centred in the work area", 577, 656, bottomBar, bottomBar, {394, 31, 577, 656}},
        {"exactly as high: at its top", 577, 718, bottomBar, bottomBar, {394, 0, 577, 718}},
        {"below a task bar at the top", 400, 300, topBar, topBar, {440, 270, 400, 300}},
        {"higher than the work area: the title bar stays in", 577, 740, bottomBar, bottomBar, {394, 0, 577, 740}},
        {"wider: its left edge stays in", 1400, 300, bottomBar, bottomBar, {0, 209, 1400, 300}},
        {"over its owner", 200, 100, {100, 100, 400, 300}, bottomBar, {200, 200, 200, 100}},
        {"an owner near the top: moved down", 200, 300, {100, 0, 400, 100}, topBar, {200, 40, 200, 300}},
        {"an owner off the right: moved left", 200, 100, {1200, 300, 400, 300}, bottomBar, {1166, 400, 200, 100}},
        {"one already inside, centred on itself, stays", 200, 100, {3, 5, 200, 100}, bottomBar, {3, 5, 200, 100}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(fw::placeWindow(c.w, c.h, c.centreOn, c.work), c.expected);
    }
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
    void openWithWorkArea(int w, int h, int x = 0, int y = 0)
    {
        dlg.reset();
        fw::setWorkAreaForTests(fw::Rect{x, y, w, h});
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
    // with its title bar, away from the screen's corner: all of the window
    // is inside it, and so is every control that shows, Close included.
    const fw::Rect work{400, 60, roomy.w + 40, roomy.h};
    openWithWorkArea(work.w, work.h, work.x, work.y);
    EXPECT_TRUE(inside(fw::user::windowRect(*dlg), work))
        << "window " << fw::user::windowRect(*dlg).x << "," << fw::user::windowRect(*dlg).y;
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
