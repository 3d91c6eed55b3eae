// UTF-8 decoding, counting, conversion to UTF-16 and reading through both encodings.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "plib/perror.h"
#include "plib/pstringencoding.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto* text = reinterpret_cast<const char*>(data);
    const char* end = text + size;

    // Decoding with an end never reads past it and always moves on or stops.
    for (const char* cursor = text; cursor < end;) {
        const char* before = cursor;
        const std::int32_t cp = PUtf8Decode(cursor, end);
        if (cp == 0 || cp == -1) {
            break;
        }
        if (cursor <= before || cursor > end) {
            std::abort();
        }
        if (cp > 0) {  // a decoded code point encodes back to the bytes it came from
            char bytes[kUtf8MaxSequence];
            const std::size_t n = PUtf8Encode(cp, bytes);
            if (n != static_cast<std::size_t>(cursor - before) ||
                std::memcmp(bytes, before, n) != 0) {
                std::abort();
            }
        }
    }

    std::vector<PWChar> units(size);
    try {
        PUtf8ToUtf16(text, size, units.data(), units.size());
    } catch (const PI18NError&) {
    }

    const std::vector<char> terminated = [&] {
        std::vector<char> copy(text, end);
        copy.push_back('\0');
        return copy;
    }();
    PUtf8CountChars(terminated.data());

    // Whatever the mixed encoding reads, it writes back to a text that reads the same.
    const PString original(text, size);
    PString rebuilt;
    std::vector<std::int32_t> first;
    const auto reader = PMixedEncoding().createReader(original);
    for (std::int32_t cp = reader->next(); cp > 0; cp = reader->next()) {
        first.push_back(cp);
        PMixedEncoding().append(rebuilt, cp);
    }
    std::vector<std::int32_t> second;
    const auto again = PMixedEncoding().createReader(rebuilt);
    for (std::int32_t cp = again->next(); cp > 0; cp = again->next()) {
        second.push_back(cp);
    }
    if (first != second) {
        std::abort();
    }

    PUtf16Block wide;
    PStringToUtf16Crlf(wide, original, &PMixedEncoding());
    PString back;
    PUtf16ToPString(back, wide.c_str());
    return 0;
}
