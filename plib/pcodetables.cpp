#include "plib/pcodetables.h"

#include <algorithm>
#include <iterator>

namespace {

struct CodePair {
    std::uint32_t from;
    std::uint32_t to;
};

#include "plib/pcodetables.inc"

// The `to` of the pair whose `from` is `key`, or -1.
template <std::size_t N>
std::int64_t Find(const CodePair (&table)[N], std::int32_t key) noexcept {
    if (key < 0) {
        return -1;
    }
    const auto* it =
        std::lower_bound(std::begin(table), std::end(table), static_cast<std::uint32_t>(key),
                         [](const CodePair& pair, std::uint32_t k) { return pair.from < k; });
    if (it == std::end(table) || it->from != static_cast<std::uint32_t>(key)) {
        return -1;
    }
    return it->to;
}

}  // namespace

int PWindows1252FromCodePoint(std::int32_t codePoint) noexcept {
    if (codePoint >= 0 && codePoint < 0x80) {
        return codePoint;
    }
    return static_cast<int>(Find(kWindows1252Pairs, codePoint));
}

std::int32_t PWindows1252ToCodePoint(std::uint8_t byte) noexcept {
    return byte < 0x80 ? byte : kWindows1252ToCodePoint[byte - 0x80];
}

std::int32_t PToLowerCodePoint(std::int32_t codePoint) noexcept {
    const std::int64_t lower = Find(kLowerCasePairs, codePoint);
    return lower < 0 ? codePoint : static_cast<std::int32_t>(lower);
}
