#pragma once

// Where a top-level window or box goes on the screen, in screen pixels.

// A rectangle: left and top inside, right and bottom just outside.
struct ScreenRect {
    int left, top, right, bottom;
};

struct ScreenPoint {
    int x, y;
};

// The top-left corner of a `width` x `height` window moved as little as needed from (`left`,
// `top`) to lie wholly inside `area`. A window wider or higher than `area` starts at the area's
// left or top edge, so that as much of it shows as the area allows and its top-left part
// (title, first controls) always does.
ScreenPoint KeepInside(const ScreenRect& area, int left, int top, int width, int height);

// The top-left corner of a `width` x `height` window centred in `area` (the odd pixel to the
// right and below), kept inside it as KeepInside does.
ScreenPoint CentreInside(const ScreenRect& area, int width, int height);

// The top-left corner of a `width` x `height` box centred over `over` and kept inside `area`.
ScreenPoint CentreOverInside(const ScreenRect& over, const ScreenRect& area, int width, int height);
