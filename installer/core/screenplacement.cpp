#include "installer/core/screenplacement.h"

#include <algorithm>

namespace {

// The start of a span of `length` kept inside [low, high); low wins when it cannot fit.
int KeepSpanInside(int start, int length, int low, int high) {
    return std::max(low, std::min(start, high - length));
}

}  // namespace

ScreenPoint KeepInside(const ScreenRect& area, int left, int top, int width, int height) {
    return {KeepSpanInside(left, width, area.left, area.right),
            KeepSpanInside(top, height, area.top, area.bottom)};
}

ScreenPoint CentreInside(const ScreenRect& area, int width, int height) {
    return CentreOverInside(area, area, width, height);
}

ScreenPoint CentreOverInside(const ScreenRect& over, const ScreenRect& area, int width,
                             int height) {
    // The sums keep the integer division of the sizes' difference that placed windows before:
    // (0 + 1280 - 960) / 2 = 160 on a screen without taskbar.
    return KeepInside(area, (over.left + over.right - width) / 2,
                      (over.top + over.bottom - height) / 2, width, height);
}
