#include "framework/dialog_fit.h"

#include <algorithm>

namespace nolt::fw {
namespace {

std::optional<Rect>& testWorkArea()
{
    static std::optional<Rect> area;
    return area;
}

bool readable(const FitRequest& r, int pointSize)
{
    return pointsToPixels(pointSize, r.pixelsPerInch) * r.deviceScale >= kMinReadablePixels;
}

bool fits(const FitRequest& r, const BaseUnits& u)
{
    // Dialog units are quarters of the average width and eighths of the
    // height, rounded as the dialog manager rounds them: a size truncated
    // here could come out a pixel larger on the screen.
    const long long width = static_cast<long long>(mulDiv(r.duWidth, u.cx, 4)) + r.frameWidth;
    const long long height = static_cast<long long>(mulDiv(r.duHeight, u.cy, 8)) + r.frameHeight;
    return width <= r.workWidth && height <= r.workHeight;
}

// The start of a span of `size` centred on [centreFrom, centreFrom +
// centreSize), kept in [from, from + room): its start stays in when it is
// longer than the room.
int placeSpan(int size, int centreFrom, int centreSize, int from, int room)
{
    int at = centreFrom + (centreSize - size) / 2;
    at = std::min(at, from + room - size);
    return std::max(at, from);
}

}  // namespace

int mulDiv(int number, int numerator, int denominator)
{
    const long long product = static_cast<long long>(number) * numerator;
    const long long half = denominator / 2;
    return static_cast<int>(product >= 0 ? (product + half) / denominator : (product - half) / denominator);
}

int pointsToPixels(int pointSize, int pixelsPerInch)
{
    return mulDiv(pointSize, pixelsPerInch, 72);
}

int fitDialogPointSize(const FitRequest& request, const std::function<BaseUnits(int pointSize)>& unitsAt)
{
    const int own = request.pointSize;
    if (own <= 1 || fits(request, unitsAt(own))) return own;
    int smallest = own;
    for (int size = own - 1; size >= 1 && readable(request, size); --size) {
        if (fits(request, unitsAt(size))) return size;
        smallest = size;
    }
    return smallest;
}

int fitCaptionSize(int size, const std::function<bool(int size)>& fits)
{
    const int floor = std::max(1, (size * 3 + 3) / 4);
    for (int s = size; s >= floor; --s)
        if (fits(s)) return s;
    return floor;
}

Rect placeWindow(int width, int height, const Rect& centreOn, const Rect& work)
{
    return {placeSpan(width, centreOn.x, centreOn.w, work.x, work.w),
            placeSpan(height, centreOn.y, centreOn.h, work.y, work.h), width, height};
}

void setWorkAreaForTests(std::optional<Rect> area)
{
    testWorkArea() = area;
}

std::optional<Rect> workAreaForTests()
{
    return testWorkArea();
}

}  // namespace nolt::fw
