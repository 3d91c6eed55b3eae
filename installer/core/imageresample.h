#pragma once

#include "installer/core/jpegimage.h"

// `source` resampled to `width` x `height` with an area filter: each new pixel is the mean of
// the part of the picture it covers, each old pixel weighted by how much of it lies there. Made
// for shrinking masters drawn at the largest scale: no aliasing, and flat areas keep their exact
// colour (the toolkit keys some bitmaps on pure white). Rows keep their order, so bottom-up
// stays bottom-up; the fourth byte of each pixel is 0. Throws PInternalError when a size is not
// positive.
JpegImage ResampleArea(const JpegImage& source, int width, int height);
