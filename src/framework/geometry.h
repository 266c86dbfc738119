// A rectangle in pixels, relative to the client area of the dialog.
#pragma once

namespace nolt::fw {

struct Rect {
    int x = 0, y = 0, w = 0, h = 0;
    friend bool operator==(const Rect&, const Rect&) = default;
};

}  // namespace nolt::fw
