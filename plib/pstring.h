#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "plib/pblock.h"

// An owned 8-bit string. size() counts the text and its terminating zero byte; an empty string
// may have no buffer (size 0), and every reader treats that as "". The bytes are Windows-1252
// text, or UTF-8 after a leading 0x10 marker byte (see PStringEncodingPStringX). No length is
// cached: length() is size() - 1.
//
// Every operation taking `const char*` treats null as the empty text. Appending grows the buffer
// by PBlock::grow's doubling rule (64 bytes at least). Allocation failures throw
// PSystemMemoryError and leave the string unchanged.
class PString {
  public:
    static constexpr std::size_t npos = static_cast<std::size_t>(-1);

    PString() noexcept = default;
    PString(const char* text);  // implicit: a literal converts where a PString is wanted
    // Copies at most `maxLength` bytes of `text`, stopping at its first zero byte.
    PString(const char* text, std::size_t maxLength);
    // Exactly the other's size.
    PString(const PString& other) = default;
    PString(PString&& other) noexcept = default;
    PString& operator=(const PString& other);
    PString& operator=(PString&& other) noexcept = default;
    PString& operator=(const char* text);
    ~PString() = default;

    // Replaces the text. The buffer is reused unless it is too small, or above 64 bytes and more
    // than twice what is needed; then the text is built in a new buffer of exactly the needed
    // size. `text` may point into this string.
    void assign(const char* text);
    void assign(const char* text, std::size_t maxLength);

    // The text, "" when there is no buffer. Valid until the next change.
    const char* c_str() const noexcept;
    // The bytes, null when there is no buffer.
    char* data() noexcept { return reinterpret_cast<char*>(block_.data()); }
    std::uint32_t size() const noexcept { return block_.size(); }
    std::uint32_t capacity() const noexcept { return block_.capacity(); }
    std::uint32_t length() const noexcept { return block_.size() ? block_.size() - 1 : 0; }
    bool empty() const noexcept { return length() == 0; }
    std::string_view view() const noexcept { return {c_str(), length()}; }

    // Appends a text, at most `maxLength` bytes of it (stopping at a zero byte), or one
    // character; appending the zero character does nothing. `text` may point into this string.
    PString& append(const char* text);
    PString& append(const char* text, std::size_t maxLength);
    PString& append(char c);
    PString& append(std::string_view text) { return append(text.data(), text.size()); }
    PString& operator+=(const char* text) { return append(text); }
    PString& operator+=(char c) { return append(c); }

    // Numbers: decimal (signed and unsigned, 32 and 64 bits), and upper-case hexadecimal without
    // leading zeros ("0" for zero, no "0x").
    PString& appendDecimal(std::int32_t value);
    PString& appendDecimal(std::uint32_t value);
    PString& appendDecimal(std::int64_t value);
    PString& appendDecimal(std::uint64_t value);
    PString& appendHex(std::uint32_t value);
    PString& appendHex(std::uint64_t value);

    // ASCII-only case changes in place: only A-Z and a-z change.
    void toUpper() noexcept;
    void toLower() noexcept;

    // Cuts the text to `newLength` bytes (no-op when it is not shorter).
    void truncate(std::size_t newLength) noexcept;
    // Frees the buffer.
    void clear() noexcept { block_.clear(); }

    // Whether the text ends with `suffix` (byte for byte); every text ends with "".
    bool endsWith(const char* suffix) const noexcept;

    bool operator==(const PString& other) const noexcept { return view() == other.view(); }
    bool operator==(const char* other) const noexcept;

    // The length of `text` up to its first zero byte, at most `maxLength`; 0 for null.
    static std::size_t boundedLength(const char* text, std::size_t maxLength) noexcept;
    // ASCII case-insensitive comparison, ordering as if both were in upper case: <0, 0 or >0.
    static int compareNoCase(const char* a, const char* b) noexcept;
    // Position of the first case-insensitive (ASCII) occurrence of `pattern` in `text`, or npos.
    // An empty pattern matches at 0.
    static std::size_t findNoCase(const char* text, const char* pattern) noexcept;
    // The first byte of `text` that is not a space or tab.
    static const char* skipBlanks(const char* text) noexcept;
    // The end of [begin, end) without its trailing spaces and tabs.
    static const char* trimmedEnd(const char* begin, const char* end) noexcept;

  private:
    // Appends `n` bytes (no zero among them) and keeps the terminator.
    void appendBytes(const char* bytes, std::size_t n);

    PBlock block_;
};
