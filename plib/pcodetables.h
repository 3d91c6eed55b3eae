#pragma once

#include <cstdint>

// The Windows-1252 byte of `codePoint`, or -1 when it has none. Code points below 128 are
// their own bytes.
int PWindows1252FromCodePoint(std::int32_t codePoint) noexcept;
// The code point of a Windows-1252 byte; 0 for the five undefined bytes 0x81, 0x8D, 0x8F, 0x90
// and 0x9D.
std::int32_t PWindows1252ToCodePoint(std::uint8_t byte) noexcept;
// The lower-case code point of `codePoint` (simple one-to-one Unicode mapping), or the code
// point itself.
std::int32_t PToLowerCodePoint(std::int32_t codePoint) noexcept;
