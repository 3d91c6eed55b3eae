#include "installer/core/trackingvalues.h"

#include <algorithm>
#include <cstdint>
#include <string_view>

#include "installer/core/earlylogqueue.h"
#include "installer/core/trackinglines.h"
#include "plib/pbase64.h"
#include "plib/perror.h"
#include "plib/pstringencoding.h"

namespace {

bool IsAsciiAlnum(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

// At most `limit` bytes, each an ASCII letter or digit or one of `others`.
bool IsWord(std::string_view value, std::string_view others, std::size_t limit) {
    return value.size() <= limit && std::all_of(value.begin(), value.end(), [others](char c) {
               return IsAsciiAlnum(c) || others.find(c) != std::string_view::npos;
           });
}

bool IsControl(char c) {
    return static_cast<unsigned char>(c) < 0x20 || c == 0x7F;
}

bool IsSiteCode(std::string_view value) {
    return IsWord(value, "_-", 32);
}

bool IsOperatorId(std::string_view value) {
    return IsWord(value, "._-", 64);
}

bool IsGroupId(std::string_view value) {
    return IsWord(value, "._~|-", 128);
}

bool IsPrintableShort(std::string_view value) {
    return value.size() <= 64 &&
           std::all_of(value.begin(), value.end(), [](char c) { return c >= 0x20 && c < 0x7F; });
}

bool HasNoControl(std::string_view line) {
    return std::none_of(line.begin(), line.end(), IsControl);
}

// Characters that may stand in a name shown and used as a file name: no C0 or C1 control, no
// surrogate, nothing above U+FFFF (Windows would get only its low 16 bits, which may be "\"),
// no invisible format or direction control, no non-character.
bool IsNameCharacter(std::int32_t cp) {
    if (cp < 0x20 || (cp >= 0x7F && cp <= 0x9F) || cp > 0xFFFD) return false;
    if (cp >= 0xD800 && cp <= 0xDFFF) return false;
    if ((cp >= 0x200B && cp <= 0x200F) || (cp >= 0x202A && cp <= 0x202E)) return false;
    if ((cp >= 0x2060 && cp <= 0x206F) || cp == 0xFEFF || (cp >= 0xFFF9 && cp <= 0xFFFB))
        return false;
    return true;
}

bool IsOperatorName(std::string_view encoded) {
    // Only Base64 text: the decoder would skip anything else, and a skipped byte (a CR, say)
    // must not ride along unseen.
    if (!IsWord(encoded, "+/-_=", encoded.size())) return false;
    PString name;
    try {
        PBase64DecodeUtf8(name, encoded.data(), encoded.size());
    } catch (const PError&) {
        return false;
    }
    // The name is shown as it is; where it names files, AsPlainFileName makes it fit.
    std::size_t count = 0;
    std::int32_t last = 0;
    const auto reader = PMixedEncoding().createReader(name);
    for (std::int32_t cp = reader->next(); cp > 0; cp = reader->next()) {
        if (!IsNameCharacter(cp) || ++count > 64 || (count == 1 && cp == ' ')) return false;
        last = cp;
    }
    return count > 0 && last != ' ';
}

struct TrackingRule {
    std::string_view key;
    const char* name;
    bool (*accepts)(std::string_view value);
};

constexpr TrackingRule kRules[] = {
    {"SITEID=", "SITEID", IsSiteCode},   {"OID=", "OID", IsOperatorId},
    {"ONAME=", "ONAME", IsOperatorName}, {"GID=", "GID", IsGroupId},
    {"THM=", "THM", IsPrintableShort},   {"TSL=", "TSL", IsPrintableShort},
};

// The key's name when the line breaks its rule, else null.
const char* RefusedKey(std::string_view line) {
    for (const TrackingRule& rule : kRules) {
        std::string_view value;
        if (TrackingLineHasKey(line, rule.key, value))
            return value.empty() || rule.accepts(value) ? nullptr : rule.name;
    }
    return HasNoControl(line) ? nullptr : "another key";
}

}  // namespace

std::optional<std::string> CheckTrackingData(const std::optional<std::string>& data) {
    if (!data) return std::nullopt;
    std::string kept;
    ForEachTrackingLine(*data, [&kept](std::string_view line) {
        if (const char* key = RefusedKey(line)) {
            EarlyLog("Tracking data: value of %s refused", key);
            return;
        }
        kept.append(line).append("\n");
    });
    return kept;
}
