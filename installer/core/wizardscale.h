#pragma once

// The one scale factor the wizard is drawn at, in percent of its 96-DPI size.

// The steps a monitor's DPI maps to: 96, 120, 144, 168 and 192 DPI.
inline constexpr int kWizardScaleSteps[] = {100, 125, 150, 175, 200};
// Below this the texts would no longer be readable; a smaller work area cuts the window instead.
inline constexpr int kMinimumWizardScale = 50;

// The scale for a monitor of `dpi` whose work area is `areaWidth` x `areaHeight`, for a window
// of `width` x `height` at 100 %: the largest step not above the monitor's own (dpi / 96),
// lowered to the largest step at which the window fits the area. When even 100 % does not fit,
// the largest whole percentage that does, but not below kMinimumWizardScale.
int WizardScale(int dpi, int areaWidth, int areaHeight, int width, int height);

// `value`, a length or coordinate at 100 %, at `percent`: rounded to the nearest pixel, halves
// away from zero. Scale both edges of a rectangle, not its size, so that controls that touch at
// 100 % touch at every scale.
int Scaled(int value, int percent);
