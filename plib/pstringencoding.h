#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "plib/pstring.h"
#include "plib/putf16.h"

// Gives the code points of one text, one per call.
class PStringReader {
public:
    virtual ~PStringReader() = default;
    // The next code point (above 0), or 0 or less at the end of the text.
    virtual std::int32_t next() = 0;
};

// How the bytes of a PString map to Unicode code points. Placeholder formatting (%0..%9, %%, %L)
// lives with the message table and works through createReader() and append().
class PStringEncoding {
public:
    // Flag bits: appending code point 0 throws PInternalError; else, with kNullReplaced, appends
    // the replacement character; else code point 0 is skipped.
    static constexpr std::uint8_t kNullThrows = 0x01;
    static constexpr std::uint8_t kNullReplaced = 0x02;

    explicit PStringEncoding(std::uint8_t flags = 0, std::uint16_t replacement = '?') noexcept
        : flags_(flags), replacement_(replacement) {}
    virtual ~PStringEncoding() = default;

    virtual std::unique_ptr<PStringEncoding> clone() const = 0;
    // A reader over `text`, which ends at its first zero byte or after `length` bytes, whichever
    // comes first; null is the empty text. The reader borrows `text`.
    virtual std::unique_ptr<PStringReader> createReader(const char* text,
                                                        std::size_t length) const = 0;
    std::unique_ptr<PStringReader> createReader(const PString& text) const {
        return createReader(text.c_str(), text.length());
    }
    // Appends one code point to `out`; code point 0 follows the flags, negative ones are dropped.
    void append(PString& out, std::int32_t codePoint) const;

    std::uint8_t flags() const noexcept { return flags_; }
    std::uint16_t replacement() const noexcept { return replacement_; }

protected:
    PStringEncoding(const PStringEncoding&) = default;
    PStringEncoding& operator=(const PStringEncoding&) = default;
    // Appends a code point above 0.
    virtual void appendCodePoint(PString& out, std::int32_t codePoint) const = 0;
    // The class name for the NULL-character error.
    virtual const char* name() const noexcept = 0;

private:
    std::uint8_t flags_;
    std::uint16_t replacement_;
};

// UTF-8 throughout. A malformed sequence read from a text yields the replacement character and
// reading goes on after its first byte; a sequence cut off by the end of the text ends it.
class PStringEncodingUtf8 : public PStringEncoding {
public:
    using PStringEncoding::PStringEncoding;
    std::unique_ptr<PStringEncoding> clone() const override;
    std::unique_ptr<PStringReader> createReader(const char* text,
                                                std::size_t length) const override;
    using PStringEncoding::createReader;

protected:
    void appendCodePoint(PString& out, std::int32_t codePoint) const override;
    const char* name() const noexcept override { return "PStringEncodingUtf8"; }
};

// The mixed encoding of the program's strings: a text whose first byte is kUtf8Marker is UTF-8
// after it, any other text is Windows-1252. Appending keeps a text single-byte while every code
// point fits Windows-1252; the first one that does not converts the whole text to the marked
// form, and from then on code points are appended as UTF-8.
class PStringEncodingPStringX : public PStringEncoding {
public:
    static constexpr char kUtf8Marker = 0x10;

    using PStringEncoding::PStringEncoding;
    std::unique_ptr<PStringEncoding> clone() const override;
    std::unique_ptr<PStringReader> createReader(const char* text,
                                                std::size_t length) const override;
    using PStringEncoding::createReader;

    static bool isMarked(const char* text) noexcept { return text && text[0] == kUtf8Marker; }

protected:
    void appendCodePoint(PString& out, std::int32_t codePoint) const override;
    const char* name() const noexcept override { return "PStringEncodingPStringX"; }
};

// The process-wide mixed-encoding object used at every Windows boundary (flags 0: code point 0
// is skipped). Immutable; safe from any thread.
const PStringEncodingPStringX& PMixedEncoding() noexcept;

// ---- UTF-8 ----

// Longest UTF-8 sequence this program writes or reads (code points up to 0x7FFFFFFF).
inline constexpr std::size_t kUtf8MaxSequence = 6;

// Writes the UTF-8 form of `codePoint` into `out`: 1 byte below 0x80, 2 below 0x800, 3 below
// 0x10000, 4 below 0x200000, 5 below 0x4000000, else 6. Returns the byte count; 0 for a negative
// code point, which is dropped.
std::size_t PUtf8Encode(std::int32_t codePoint, char out[kUtf8MaxSequence]) noexcept;

// Decodes one sequence at `cursor`, which ends at `end` (null: no end but the zero byte).
// Returns the code point and moves `cursor` past it; 0 at a zero byte or at `end` (cursor kept);
// -1 when the sequence is cut off by `end` (cursor kept at its start); -2 when it is malformed
// (a stray continuation byte, 0xFE/0xFF, a missing continuation byte or an over-long form;
// cursor moved past the first byte).
std::int32_t PUtf8Decode(const char*& cursor, const char* end) noexcept;

// Decodes `text` (ending at a zero byte or after `length` bytes) into `out`, one 16-bit unit
// per code point (only the low 16 bits of a code point above U+FFFF are kept), until the text
// ends or `capacity` units are written; adds no terminator. Returns the units written. Throws
// PI18NError "UTF-8 format error" on a malformed sequence.
std::size_t PUtf8ToUtf16(const char* text, std::size_t length, PWChar* out,
                         std::size_t capacity);

// The number of characters of the zero-terminated UTF-8 `text`; a malformed byte counts as one.
std::size_t PUtf8CountChars(const char* text) noexcept;

// ---- Conversions to and from UTF-16 ----

// Replaces `out` with `text` in UTF-16, zero-terminated: one unit per code point read through
// `encoding` (low 16 bits kept), or one unit per byte when `encoding` is null.
void PStringToUtf16(PUtf16Block& out, const PString& text, const PStringEncoding* encoding);
// The same for multi-line text controls: each LF becomes CR LF and CRs are dropped.
void PStringToUtf16Crlf(PUtf16Block& out, const PString& text, const PStringEncoding* encoding);

// Appends the UTF-16 `text` (ending at a zero unit or after `units` units) to `out` through the
// mixed encoding, each unit as one code point, so that a text made by PStringToUtf16 converts
// back to the same units, unpaired surrogates included.
void PUtf16ToPString(PString& out, const PWChar* text, std::size_t units = PString::npos);

// ---- Code tables ----

// The Windows-1252 byte of `codePoint`, or -1 when it has none. Code points below 128 are
// their own bytes.
int PWindows1252FromCodePoint(std::int32_t codePoint) noexcept;
// The code point of a Windows-1252 byte; 0 for the five undefined bytes 0x81, 0x8D, 0x8F, 0x90
// and 0x9D.
std::int32_t PWindows1252ToCodePoint(std::uint8_t byte) noexcept;
// The lower-case code point of `codePoint` (simple one-to-one Unicode mapping), or the code
// point itself.
std::int32_t PToLowerCodePoint(std::int32_t codePoint) noexcept;
