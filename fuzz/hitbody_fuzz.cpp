#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "server/hitbody.h"

namespace {

// What the store is given must be UTF-8 that PostgreSQL takes: no zero byte, no surrogate,
// nothing above U+10FFFF, no over-long form. Checked by the byte patterns of RFC 3629, apart
// from the decoder the parser uses.
bool StorableText(const std::string& text) {
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    const auto* end = p + text.size();
    auto tail = [&](std::size_t n, unsigned char low, unsigned char high) {
        if (static_cast<std::size_t>(end - p) <= n || p[1] < low || p[1] > high) return false;
        for (std::size_t i = 2; i <= n; ++i)
            if ((p[i] & 0xC0) != 0x80) return false;
        p += n + 1;
        return true;
    };
    while (p < end) {
        const unsigned char b = *p;
        bool ok = false;
        if (b >= 0x01 && b <= 0x7F)
            ok = (++p, true);
        else if (b >= 0xC2 && b <= 0xDF)
            ok = tail(1, 0x80, 0xBF);
        else if (b == 0xE0)
            ok = tail(2, 0xA0, 0xBF);
        else if (b == 0xED)
            ok = tail(2, 0x80, 0x9F);
        else if (b >= 0xE1 && b <= 0xEF)
            ok = tail(2, 0x80, 0xBF);
        else if (b == 0xF0)
            ok = tail(3, 0x90, 0xBF);
        else if (b >= 0xF1 && b <= 0xF3)
            ok = tail(3, 0x80, 0xBF);
        else if (b == 0xF4)
            ok = tail(3, 0x80, 0x8F);
        if (!ok) return false;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view body(reinterpret_cast<const char*>(data), size);
    std::string why;
    const auto hit = ParseHitBody(body, why);
    if (!hit) {
        if (why.empty()) __builtin_trap();
        return 0;
    }
    if (hit->type != "screenview" && hit->type != "event") __builtin_trap();
    for (const std::string* field :
         {&hit->account, &hit->clientId, &hit->appName, &hit->appVersion, &hit->type, &hit->screen,
          &hit->category, &hit->action, &hit->label, &hit->value, &hit->groupId}) {
        if (!StorableText(*field) || field->size() > 3 * kMaxHitBody) __builtin_trap();
    }
    return 0;
}
