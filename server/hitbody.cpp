#include "server/hitbody.h"

#include <array>

#include "plib/pcodetables.h"
#include "plib/putf8.h"

namespace {

struct Key {
    std::string_view name;
    std::string HitFields::*field;  // null: read and checked, not kept
};

// cd13 repeats the client id.
constexpr std::array<Key, 13> kKeys{{
    {"v", nullptr},
    {"tid", &HitFields::account},
    {"cid", &HitFields::clientId},
    {"an", &HitFields::appName},
    {"av", &HitFields::appVersion},
    {"t", &HitFields::type},
    {"cd", &HitFields::screen},
    {"ec", &HitFields::category},
    {"ea", &HitFields::action},
    {"el", &HitFields::label},
    {"ev", &HitFields::value},
    {"cd12", &HitFields::groupId},
    {"cd13", nullptr},
}};

// The index of the key that `text` starts with ("name="), or -1.
int KeyAt(std::string_view text) {
    for (std::size_t i = 0; i < kKeys.size(); ++i) {
        const std::string_view name = kKeys[i].name;
        if (text.size() > name.size() && text.starts_with(name) && text[name.size()] == '=')
            return static_cast<int>(i);
    }
    return -1;
}

// Where the value that starts at `from` ends: at the next "&" that starts a field.
std::size_t ValueEnd(std::string_view body, std::size_t from) {
    for (std::size_t at = body.find('&', from); at != std::string_view::npos;
         at = body.find('&', at + 1)) {
        if (KeyAt(body.substr(at + 1)) >= 0) return at;
    }
    return body.size();
}

bool IsUtf8(std::string_view text) {
    const char* cursor = text.data();
    const char* end = cursor + text.size();
    while (cursor < end) {
        const std::int32_t cp = PUtf8Decode(cursor, end);
        if (cp <= 0 || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
    }
    return true;
}

std::string AsUtf8(std::string_view text) {
    if (IsUtf8(text)) return std::string(text);
    std::string out;
    for (char c : text) {
        const auto byte = static_cast<std::uint8_t>(c);
        // The five bytes Windows-1252 leaves undefined keep their own value as a code point.
        std::int32_t cp = PWindows1252ToCodePoint(byte);
        if (cp == 0) cp = byte;
        char bytes[kUtf8MaxSequence];
        out.append(bytes, PUtf8Encode(cp, bytes));
    }
    return out;
}

const char* Check(const HitFields& hit) {
    if (hit.type == "screenview")
        return hit.screen.empty() ? "screen view without a screen" : nullptr;
    if (hit.type == "event")
        return hit.category.empty() || hit.action.empty() ? "event without category or action"
                                                          : nullptr;
    return "unknown hit type";
}

}  // namespace

std::optional<HitFields> ParseHitBody(std::string_view body, std::string& why) {
    if (body.size() > kMaxHitBody) return why = "body too long", std::nullopt;
    if (body.find('\0') != std::string_view::npos) return why = "zero byte", std::nullopt;
    if (!body.starts_with("v=1&") && body != "v=1") return why = "not version 1", std::nullopt;
    HitFields hit;
    std::array<bool, kKeys.size()> seen{};
    std::size_t at = 0;
    while (at < body.size()) {
        const int key = KeyAt(body.substr(at));
        const std::size_t start = at + kKeys[key].name.size() + 1;
        const std::size_t end = ValueEnd(body, start);
        if (seen[key]) return why = "key given twice", std::nullopt;
        seen[key] = true;
        if (kKeys[key].field) hit.*(kKeys[key].field) = AsUtf8(body.substr(start, end - start));
        at = end + 1;
    }
    if (body.substr(2, ValueEnd(body, 2) - 2) != "1") return why = "not version 1", std::nullopt;
    if (const char* problem = Check(hit)) return why = problem, std::nullopt;
    return hit;
}
