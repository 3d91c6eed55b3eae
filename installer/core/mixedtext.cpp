#include "installer/core/mixedtext.h"

#include "plib/pstringencoding.h"

namespace {

template <class Visit>
void ForEachCodePoint(std::string_view text, Visit visit) {
    const auto reader = PMixedEncoding().createReader(text.data(), text.size());
    for (std::int32_t cp = reader->next(); cp > 0; cp = reader->next()) visit(cp);
}

}  // namespace

std::u16string WindowsUnitsOf(std::string_view text) {
    std::u16string units;
    ForEachCodePoint(text, [&units](std::int32_t cp) {
        // A unit of 0 would end the text early; the system is given a replacement instead.
        const auto unit = static_cast<char16_t>(cp & 0xFFFF);
        units.push_back(unit != 0 ? unit : u'?');
    });
    return units;
}
