#include "installer/core/windowsfilename.h"

#include <cstdint>
#include <string>
#include <vector>

#include "installer/core/mixedtext.h"
#include "plib/pstringencoding.h"

namespace {

char16_t UpperAscii(char16_t c) {
    return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - u'a' + u'A') : c;
}

// CON, PRN, AUX, NUL, and COM or LPT followed by a digit (superscripts 1 to 3 included), which
// Windows opens as devices whatever folder and extension they are given.
bool IsDeviceName(std::u16string_view base) {
    while (!base.empty() && base.back() == u' ') base.remove_suffix(1);
    std::u16string upper;
    for (char16_t c : base) upper.push_back(UpperAscii(c));
    if (upper == u"CON" || upper == u"PRN" || upper == u"AUX" || upper == u"NUL") return true;
    if (upper.size() != 4 || (!upper.starts_with(u"COM") && !upper.starts_with(u"LPT")))
        return false;
    const char16_t digit = upper[3];
    return (digit >= u'0' && digit <= u'9') || digit == 0xB9 || digit == 0xB2 || digit == 0xB3;
}

bool IsForbiddenInName(char16_t c) {
    constexpr std::u16string_view kForbidden = u"<>:\"/\\|?*";
    return c < 0x20 || c == 0x7F || kForbidden.find(c) != std::u16string_view::npos;
}

bool IsPlainName(std::u16string_view name) {
    if (name.empty() || name.front() == u' ' || name.back() == u' ' || name.back() == u'.')
        return false;
    for (char16_t c : name) {
        if (IsForbiddenInName(c)) return false;
    }
    return !IsDeviceName(name.substr(0, name.find(u'.')));
}

}  // namespace

bool IsPlainFileName(std::string_view name) {
    return IsPlainName(WindowsUnitsOf(name));
}

bool IsPlainFileName(std::u16string_view units) {
    return IsPlainName(units);
}

bool LiesDirectlyIn(std::string_view path, std::string_view folder) {
    const std::u16string inFolder = WindowsUnitsOf(folder);
    const std::u16string full = WindowsUnitsOf(path);
    return !inFolder.empty() && full.size() > inFolder.size() + 1 && full.starts_with(inFolder) &&
           full[inFolder.size()] == u'\\' &&
           IsPlainName(std::u16string_view(full).substr(inFolder.size() + 1));
}

std::string AsPlainFileName(std::string_view name) {
    std::vector<std::int32_t> characters;
    bool replaced = false;
    const auto reader = PMixedEncoding().createReader(name.data(), name.size());
    for (std::int32_t cp = reader->next(); cp > 0; cp = reader->next()) {
        const bool forbidden = IsForbiddenInName(static_cast<char16_t>(cp & 0xFFFF));
        replaced |= forbidden;
        characters.push_back(forbidden ? '_' : cp);
    }
    auto begin = characters.begin();
    auto end = characters.end();
    while (begin != end && *begin == ' ') ++begin;
    while (end != begin && (end[-1] == ' ' || end[-1] == '.')) --end;
    if (!replaced && begin == characters.begin() && end == characters.end())
        return std::string(name);
    PString out;
    for (auto it = begin; it != end; ++it) PMixedEncoding().append(out, *it);
    return std::string(out.view());
}
