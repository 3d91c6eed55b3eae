#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>

#include "plib/pcodetables.h"
#include "plib/pstring.h"
#include "plib/putf16.h"
#include "plib/putf8.h"

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

// The texts `parts` (mixed encoding) one after the other. Plain concatenation while none is
// marked UTF-8; otherwise the characters of each are appended through the mixed encoding, so
// that the marker stays in front and a Windows-1252 part keeps its characters.
std::string PMixedJoin(std::initializer_list<std::string_view> parts);

// ---- Conversions to and from UTF-16 ----

// Replaces `out` with `text` in UTF-16, zero-terminated: one unit per code point read through
// `encoding`, or one unit per byte when `encoding` is null. Of a code point above U+FFFF only
// the low 16 bits are kept; when those are 0 the encoding's replacement character stands
// instead, so that the text handed to the system is not cut short.
void PStringToUtf16(PUtf16Block& out, const PString& text, const PStringEncoding* encoding);
// The same for multi-line text controls: each LF becomes CR LF and CRs are dropped.
void PStringToUtf16Crlf(PUtf16Block& out, const PString& text, const PStringEncoding* encoding);

// Appends the UTF-16 `text` (ending at a zero unit or after `units` units) to `out` through the
// mixed encoding, each unit as one code point, so that a text made by PStringToUtf16 converts
// back to the same units, unpaired surrogates included.
void PUtf16ToPString(PString& out, const PWChar* text, std::size_t units = PString::npos);
