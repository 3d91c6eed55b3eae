#include "installer/core/mixedtext.h"

#include <algorithm>

#include "plib/pstringencoding.h"
#include "plib/putf8.h"

namespace {

bool IsMarked(std::string_view text) {
    return !text.empty() && text.front() == PStringEncodingPStringX::kUtf8Marker;
}

template <class Visit>
void ForEachCodePoint(std::string_view text, Visit visit) {
    const auto reader = PMixedEncoding().createReader(text.data(), text.size());
    for (std::int32_t cp = reader->next(); cp > 0; cp = reader->next()) visit(cp);
}

}  // namespace

std::string JoinMixedTexts(std::initializer_list<std::string_view> parts) {
    std::string joined;
    if (std::none_of(parts.begin(), parts.end(), IsMarked)) {
        for (std::string_view part : parts) joined.append(part);
        return joined;
    }
    joined.push_back(PStringEncodingPStringX::kUtf8Marker);
    for (std::string_view part : parts) {
        ForEachCodePoint(part, [&joined](std::int32_t cp) {
            char sequence[kUtf8MaxSequence];
            joined.append(sequence, PUtf8Encode(cp, sequence));
        });
    }
    return joined;
}

std::u16string WindowsUnitsOf(std::string_view text) {
    std::u16string units;
    ForEachCodePoint(text, [&units](std::int32_t cp) {
        // A unit of 0 would end the text early; the system is given a replacement instead.
        const auto unit = static_cast<char16_t>(cp & 0xFFFF);
        units.push_back(unit != 0 ? unit : u'?');
    });
    return units;
}
