#pragma once

#include <windows.h>

#include "installer/core/screenplacement.h"

// The monitor under the mouse, or the primary monitor when the mouse position is unknown.
HMONITOR MyMonitorUnderMouse();

// The work area of `monitor`; the primary monitor's when it is null or unknown.
ScreenRect MyWorkAreaOf(HMONITOR monitor);

// The work area (the monitor less its taskbars and docked bars) of the monitor under the
// mouse, or of the primary monitor when the mouse position is unknown: where a window without
// owner opens.
ScreenRect MyWorkAreaUnderMouse();

// The work area of the monitor that holds most of `rect`, or the nearest one.
ScreenRect MyWorkAreaOf(const RECT& rect);

inline ScreenRect MyScreenRect(const RECT& rect) {
    return {rect.left, rect.top, rect.right, rect.bottom};
}
