#include "plib/pbase64.h"

#include <cstdint>
#include <cstring>

#include "plib/perror.h"
#include "plib/pstringencoding.h"

namespace {

constexpr int kSkip = -1;
constexpr int kPadding = -2;

int SextetOf(char c) noexcept {
    if (c >= 'A' && c <= 'Z') return c - 'A';
    if (c >= 'a' && c <= 'z') return c - 'a' + 26;
    if (c >= '0' && c <= '9') return c - '0' + 52;
    if (c == '+' || c == '-') return 62;
    if (c == '/' || c == '_') return 63;
    if (c == '=') return kPadding;
    return kSkip;
}

}  // namespace

void PBase64Decode(PBlock& out, const char* text, std::size_t length) {
    if (!text || length == 0) {
        return;
    }
    const bool noZeroByte = std::memchr(text, 0, length) == nullptr;
    PASSERT(noZeroByte);
    std::uint8_t group[3];
    std::uint32_t bits = 0;
    int sextets = 0;
    for (std::size_t i = 0; i < length; ++i) {
        const int sextet = SextetOf(text[i]);
        if (sextet == kSkip) {
            continue;
        }
        if (sextet == kPadding) {
            // Two characters carry one byte, three carry two; nothing after the padding counts.
            if (sextets >= 2) {
                bits <<= 6 * (4 - sextets);
                group[0] = static_cast<std::uint8_t>(bits >> 16);
                group[1] = static_cast<std::uint8_t>(bits >> 8);
                out.append(group, static_cast<std::uint32_t>(sextets - 1));
            }
            return;
        }
        bits = (bits << 6) | static_cast<std::uint32_t>(sextet);
        if (++sextets == 4) {
            group[0] = static_cast<std::uint8_t>(bits >> 16);
            group[1] = static_cast<std::uint8_t>(bits >> 8);
            group[2] = static_cast<std::uint8_t>(bits);
            out.append(group, 3);
            bits = 0;
            sextets = 0;
        }
    }
}

void PBase64DecodeUtf8(PString& out, const char* text, std::size_t length) {
    PBlock bytes;
    PBase64Decode(bytes, text, length);
    const char* cursor = reinterpret_cast<const char*>(bytes.data());
    const char* end = cursor + bytes.size();
    // Decode all before appending, so that a damaged text leaves `out` as it was.
    PString decoded(out);
    while (cursor != end) {
        const std::int32_t cp = PUtf8Decode(cursor, end);
        if (cp == 0) {
            break;  // a decoded zero byte ends the text, as in any C string
        }
        if (cp < 0) {
            throw PI18NError("UTF-8 format error");
        }
        PMixedEncoding().append(decoded, cp);
    }
    out = std::move(decoded);
}
