#include <cstddef>
#include <cstdint>
#include <string_view>

#include "installer/core/httprequest.h"
#include "plib/perror.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    try {
        UrlParts parts = ParseUrl(text);
        // Composing what was parsed must reproduce a parseable address with the same parts.
        const UrlParts again = ParseUrl(ComposeUrl(parts.host, parts.port, parts.path));
        if (again.host != parts.host || again.port != parts.port || again.path != parts.path)
            __builtin_trap();
        ComposePost(parts, size, "application/x-www-form-urlencoded");
    } catch (const PInternalError&) {
    }
    return 0;
}
