#pragma once

#include <cstddef>
#include <cstdint>

#include "plib/putf16.h"

// Longest UTF-8 sequence this program writes or reads (code points up to 0x7FFFFFFF).
inline constexpr std::size_t kUtf8MaxSequence = 6;

// Writes the UTF-8 form of `codePoint` into `out`: 1 byte below 0x80, 2 below 0x800, 3 below
// 0x10000, 4 below 0x200000, 5 below 0x4000000, else 6. Returns the byte count; 0 for a negative
// code point, which is dropped.
std::size_t PUtf8Encode(std::int32_t codePoint, char out[kUtf8MaxSequence]) noexcept;

// Decodes one sequence at `cursor`, which ends at `end` (null: no end but the zero byte).
// Returns the code point and moves `cursor` past it; 0 at a zero byte or at `end` (cursor kept);
// -1 when the sequence is cut off by `end` or a zero byte (cursor kept at its start); -2 when it is
// malformed (a stray continuation byte, 0xFE/0xFF, a missing continuation byte or an over-long
// form; cursor moved past the first byte).
std::int32_t PUtf8Decode(const char*& cursor, const char* end) noexcept;

// Decodes `text` (ending at a zero byte or after `length` bytes; SIZE_MAX: at the zero byte only)
// into `out`, one 16-bit unit
// per code point (only the low 16 bits of a code point above U+FFFF are kept), until the text
// ends or `capacity` units are written; adds no terminator. Returns the units written. Throws
// PI18NError "UTF-8 format error" on a malformed sequence.
std::size_t PUtf8ToUtf16(const char* text, std::size_t length, PWChar* out, std::size_t capacity);

// The number of characters of the zero-terminated UTF-8 `text`; a malformed byte counts as one.
std::size_t PUtf8CountChars(const char* text) noexcept;
