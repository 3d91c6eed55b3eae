#pragma once

#include <windows.h>

#include "installer/core/screenplacement.h"

// The one factor, in percent of the 96-DPI size, that a top-level window and everything inside
// it (controls, fonts, pictures, boxes it opens) are drawn at. Lengths of the toolkit and of
// the pages are written at 100 % and go through these calls, nowhere else.

// Sets the factor of the top-level window `top`.
void MySetScale(HWND top, int percent);
// The factor of `window`'s top-level window; 100 when none was set.
int MyScaleOf(HWND window);
// `value` (a length or coordinate at 100 %) at the factor of `window`'s top-level window.
int MyScaled(HWND window, int value);
// Both edges of `rect` at `percent`, so that rectangles that touch at 100 % touch at every
// factor.
RECT MyScaledRect(const RECT& rect, int percent);

// The DPI of `monitor`: the per-monitor value where the system has it, else the screen's.
int MyMonitorDpi(HMONITOR monitor);
// The factor for a window of `width` x `height` at 100 % opening on `monitor` of DPI `dpi`
// with the work area `area` (see WizardScale).
int MyScaleFor(int dpi, const ScreenRect& area, int width, int height);
