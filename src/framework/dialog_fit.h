// Fitting a dialog to its screen: when the window a template makes would be
// larger than the work area of its monitor, the whole dialog is laid out in
// a smaller font, so that its dialog units, and with them every control,
// shrink together; a caption that does not fit its control is drawn a little
// smaller; and the window, frame and title bar included, is placed inside the
// work area. The decisions are made here, free of any toolkit; each backend
// measures (base units, text, frame) and applies them.
#pragma once

#include <functional>
#include <optional>

#include "framework/geometry.h"

namespace nolt::fw {

// A font's dialog base units in pixels: the average width of its letters and
// its height, as the dialog manager takes them.
struct BaseUnits {
    int cx = 0, cy = 0;
};

// No dialog font is made smaller than this many device pixels (8 points at
// 100 % scaling), the smallest text the platform's own dialogs use.
inline constexpr int kMinReadablePixels = 11;

struct FitRequest {
    int duWidth = 0, duHeight = 0;  // the template's size in dialog units
    int pointSize = 0;              // the template's font size
    int pixelsPerInch = 96;         // at which points become layout pixels
    double deviceScale = 1.0;       // device pixels per layout pixel
    int frameWidth = 0, frameHeight = 0;  // what the window's frame adds, in layout pixels
    int workWidth = 0, workHeight = 0;    // the monitor's work area, in layout pixels
};

// number * numerator / denominator rounded to the nearest integer, halves
// away from zero, as the platform's MulDiv rounds (denominator > 0).
int mulDiv(int number, int numerator, int denominator);

// The font's em height in layout pixels at a point size, as the platform
// rounds it.
int pointsToPixels(int pointSize, int pixelsPerInch);

// The font size to lay the dialog out in: the template's own when the window
// fits the work area; else the largest smaller size at which it fits; never a
// size below kMinReadablePixels (the smallest readable size when even that
// does not fit). unitsAt gives the base units of the dialog's face at a size.
int fitDialogPointSize(const FitRequest& request, const std::function<BaseUnits(int pointSize)>& unitsAt);

// The size a caption is drawn in: `size` when it fits its control, else the
// largest size down to three quarters of it at which fits() holds, and that
// smallest size when none does.
int fitCaptionSize(int size, const std::function<bool(int size)>& fits);

// Where a window goes: its frame (width x height, title bar included)
// centred on `centreOn` (the work area, or the owner's frame), then moved as
// little as needed to lie wholly in the work area. A frame larger than the
// work area keeps its top-left corner in, and with it the title bar that
// moves the window and the buttons that close it. Returns the frame's
// rectangle.
Rect placeWindow(int width, int height, const Rect& centreOn, const Rect& work);

// Tests give the backends a work area of their choosing (in layout pixels,
// relative to the screen); an empty value restores the monitor's own.
void setWorkAreaForTests(std::optional<Rect> area);
std::optional<Rect> workAreaForTests();

}  // namespace nolt::fw
