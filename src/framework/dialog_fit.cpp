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
    // Dialog units are quarters of the average width and eighths of the height.
    const long long width = static_cast<long long>(r.duWidth) * u.cx / 4 + r.frameWidth;
    const long long height = static_cast<long long>(r.duHeight) * u.cy / 8 + r.frameHeight;
    return width <= r.workWidth && height <= r.workHeight;
}

}  // namespace

int pointsToPixels(int pointSize, int pixelsPerInch)
{
    // MulDiv's rounding: half away from zero.
    return static_cast<int>((static_cast<long long>(pointSize) * pixelsPerInch + 36) / 72);
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

void setWorkAreaForTests(std::optional<Rect> area)
{
    testWorkArea() = area;
}

std::optional<Rect> workAreaForTests()
{
    return testWorkArea();
}

}  // namespace nolt::fw
