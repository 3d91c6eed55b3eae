#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <span>

#include "plib/win/unique.h"

// Decodes a JPEG file into a 32-bit bottom-up device-independent section of the picture's
// size. Throws PInternalError with the decoder's texts ("JPEG: empty file", "JPEG: " + the
// decoder's message) and PSystemError when the section cannot be made.
UniqueBitmap MyDecodeJpegSection(std::span<const std::uint8_t> jpeg);
