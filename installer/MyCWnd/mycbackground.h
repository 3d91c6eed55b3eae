#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <span>

#include "installer/core/jpegimage.h"
#include "plib/win/unique.h"

// Decodes a JPEG file into a 32-bit bottom-up device-independent section of the picture's
// size. Throws PInternalError with the decoder's texts ("JPEG: empty file", "JPEG: " + the
// decoder's message) and PSystemError when the section cannot be made.
UniqueBitmap MyDecodeJpegSection(std::span<const std::uint8_t> jpeg);

// `picture` as a 32-bit bottom-up section of `width` x `height`, resampled with the area filter
// when that is not its own size. Throws PSystemError when the section cannot be made.
UniqueBitmap MyPictureSection(const JpegImage& picture, int width, int height);

// The pixels of `bitmap` as a 32-bit bottom-up picture; empty when they cannot be read.
JpegImage MyBitmapPixels(HBITMAP bitmap);
