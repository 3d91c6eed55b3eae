#include "plib/putf8.h"

#include <cstdint>

#include "plib/perror.h"

namespace {

constexpr std::int32_t kCutOff = -1;
constexpr std::int32_t kMalformed = -2;

struct LeadByte {
    std::uint8_t below;     // lead bytes below this value (and above the previous row)
    int length;             // bytes in the sequence
    std::uint8_t payload;   // mask of the lead byte's code-point bits
    std::int32_t smallest;  // smallest code point of this length; below it the form is over-long
};

constexpr LeadByte kLeadBytes[] = {
    {0xE0, 2, 0x1F, 0x80},     {0xF0, 3, 0x0F, 0x800},     {0xF8, 4, 0x07, 0x10000},
    {0xFC, 5, 0x03, 0x200000}, {0xFE, 6, 0x01, 0x4000000},
};

}  // namespace

std::size_t PUtf8Encode(std::int32_t codePoint, char out[kUtf8MaxSequence]) noexcept {
    if (codePoint < 0) {
        return 0;
    }
    const auto cp = static_cast<std::uint32_t>(codePoint);
    if (cp < 0x80) {
        out[0] = static_cast<char>(cp);
        return 1;
    }
    std::size_t length = 2;
    for (const LeadByte& row : kLeadBytes) {
        // Each row's smallest code point is where the row before it ends.
        if (&row != kLeadBytes && cp >= static_cast<std::uint32_t>(row.smallest)) {
            length = static_cast<std::size_t>(row.length);
        }
    }
    // The lead byte carries `length` one-bits, then a zero, then the top code-point bits.
    const auto leadMarker = static_cast<std::uint8_t>(0xFF00u >> length);
    std::uint32_t rest = cp;
    for (std::size_t i = length - 1; i > 0; --i) {
        out[i] = static_cast<char>(0x80 | (rest & 0x3F));
        rest >>= 6;
    }
    out[0] = static_cast<char>(leadMarker | rest);
    return length;
}

std::int32_t PUtf8Decode(const char*& cursor, const char* end) noexcept {
    if ((end && cursor >= end) || *cursor == '\0') {
        return 0;
    }
    const auto lead = static_cast<std::uint8_t>(*cursor);
    if (lead < 0x80) {
        ++cursor;
        return lead;
    }
    const LeadByte* row = nullptr;
    if (lead >= 0xC0) {
        for (const LeadByte& r : kLeadBytes) {
            if (lead < r.below) {
                row = &r;
                break;
            }
        }
    }
    if (!row) {  // a continuation byte in lead position, or 0xFE/0xFF
        ++cursor;
        return kMalformed;
    }
    std::uint32_t cp = lead & row->payload;
    for (int i = 1; i < row->length; ++i) {
        if ((end && cursor + i >= end) || cursor[i] == '\0') {
            return kCutOff;
        }
        const auto next = static_cast<std::uint8_t>(cursor[i]);
        if ((next & 0xC0) != 0x80) {
            ++cursor;
            return kMalformed;
        }
        cp = (cp << 6) | (next & 0x3F);
    }
    // Over-long forms are refused: they would let one code point (a zero, a path separator)
    // hide behind several spellings.
    if (cp < static_cast<std::uint32_t>(row->smallest)) {
        ++cursor;
        return kMalformed;
    }
    cursor += row->length;
    return static_cast<std::int32_t>(cp);
}

std::size_t PUtf8ToUtf16(const char* text, std::size_t length, PWChar* out, std::size_t capacity) {
    if (!text) {
        return 0;
    }
    // SIZE_MAX means "up to the zero byte"; text + SIZE_MAX would be no pointer at all.
    const char* end = length == SIZE_MAX ? nullptr : text + length;
    const char* cursor = text;
    std::size_t written = 0;
    while (written < capacity) {
        const std::int32_t cp = PUtf8Decode(cursor, end);
        if (cp == kMalformed) {
            throw PI18NError("UTF-8 format error");
        }
        if (cp <= 0) {
            break;
        }
        out[written++] = static_cast<PWChar>(cp & 0xFFFF);
    }
    return written;
}

std::size_t PUtf8CountChars(const char* text) noexcept {
    if (!text) {
        return 0;
    }
    std::size_t count = 0;
    for (;;) {
        const std::int32_t cp = PUtf8Decode(text, nullptr);
        if (cp == 0) {
            return count;
        }
        ++count;
        if (cp == kCutOff) {
            return count;
        }
    }
}
