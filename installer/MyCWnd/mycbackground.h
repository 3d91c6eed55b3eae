#pragma once

#include <windows.h>

#include "installer/core/jpegimage.h"
#include "plib/winseam/unique.h"

// `picture` as a 32-bit bottom-up section of `width` x `height`, resampled with the area filter
// when that is not its own size. Throws PSystemError when the section cannot be made.
UniqueBitmap MyPictureSection(const JpegImage& picture, int width, int height);

// The pixels of `bitmap` as a 32-bit bottom-up picture; empty when they cannot be read.
JpegImage MyBitmapPixels(HBITMAP bitmap);
