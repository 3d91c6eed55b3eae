#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <span>

#include "plib/win/unique.h"

// The bytes of resource `type`/`id` of `module`; empty when there is no such resource. The
// bytes live as long as the module.
std::span<const std::uint8_t> MyResourceBytes(HMODULE module, int id, const wchar_t* type);

// Decodes a JPEG file into a 32-bit bottom-up device-independent section of the picture's
// size. Throws PInternalError with the decoder's texts ("JPEG: empty file", "JPEG: " + the
// decoder's message) and PSystemError when the section cannot be made.
UniqueBitmap MyDecodeJpegSection(std::span<const std::uint8_t> jpeg);
