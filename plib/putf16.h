#pragma once

#include <cstddef>
#include <cstdint>
#include <cwchar>

#include "plib/pblock.h"

// A UTF-16 unit as the platform's wide calls take it: wchar_t where that is 16 bits (Windows),
// char16_t elsewhere.
#if WCHAR_MAX == 0xFFFF
using PWChar = wchar_t;
#else
using PWChar = char16_t;
#endif

// An owned block of UTF-16 units for text handed to wide system calls. The byte size counts two
// bytes per unit; the terminator is added by an explicit zeroTerminate() after filling and is
// not counted in units().
class PUtf16Block {
  public:
    PWChar* data() noexcept { return reinterpret_cast<PWChar*>(block_.data()); }
    // The units, zero-terminated when zeroTerminate() was called; an empty text when there is
    // no buffer.
    const PWChar* c_str() const noexcept;
    // Units in use, the terminator excluded.
    std::size_t units() const noexcept { return block_.size() / sizeof(PWChar); }
    std::uint32_t sizeBytes() const noexcept { return block_.size(); }

    void append(PWChar unit);
    void append(const PWChar* units, std::size_t count);
    // Adds `count` units at the end and returns their address, for a system call to fill.
    PWChar* appendRoom(std::size_t count);
    // Writes a zero unit after the text without counting it.
    void zeroTerminate();
    // Room for `count` units in all, so that appends up to that many do not reallocate.
    void reserveUnits(std::size_t count);
    void clear() noexcept { block_.clear(); }

  private:
    PBlock block_;
};
