// Base64 decoding of arbitrary text, into bytes and into the mixed encoding.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "plib/pbase64.h"
#include "plib/perror.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto* text = reinterpret_cast<const char*>(data);
    PBlock out;
    try {
        PBase64Decode(out, text, size);
    } catch (const PAssert&) {
        // A zero byte inside the text; anything else must not fail.
        if (!std::memchr(data, 0, size)) {
            std::abort();
        }
        return 0;
    }
    // Three bytes per four characters at most, plus a padded tail.
    if (out.size() > size / 4 * 3 + 2) {
        std::abort();
    }
    PString s;
    try {
        PBase64DecodeUtf8(s, text, size);
    } catch (const PI18NError&) {
    }
    return 0;
}
