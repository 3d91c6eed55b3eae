#include "tools/core/derelement.h"

#include <algorithm>

namespace {

constexpr std::uint8_t kLongTagNumber = 0x1F;
constexpr std::uint8_t kLongLength = 0x80;
constexpr std::uint32_t kMaxLengthBytes = 4;

}  // namespace

std::optional<DerElement> ReadDerElement(std::span<const std::uint8_t> bytes, std::uint32_t at,
                                         std::uint32_t limit) noexcept {
    limit = std::min<std::uint64_t>(limit, bytes.size());
    if (at >= limit || limit - at < 2) return std::nullopt;
    DerElement element;
    element.tag = bytes[at];
    element.offset = at;
    if ((element.tag & kLongTagNumber) == kLongTagNumber) return std::nullopt;
    const std::uint8_t first = bytes[at + 1];
    element.header = 2;
    if (first < kLongLength) {
        element.length = first;
    } else {
        // 0x80 alone is BER's indefinite length; DER has none.
        const std::uint32_t count = first & ~kLongLength;
        if (count == 0 || count > kMaxLengthBytes || limit - at - 2 < count) return std::nullopt;
        std::uint32_t length = 0;
        for (std::uint32_t i = 0; i < count; ++i) length = length << 8 | bytes[at + 2 + i];
        // The shortest form only: no leading zero byte, no long form for what fits in short.
        if (bytes[at + 2] == 0 || length < kLongLength) return std::nullopt;
        element.header += count;
        element.length = length;
    }
    if (element.length > limit - at - element.header) return std::nullopt;
    return element;
}

std::optional<std::vector<DerElement>> DerChildren(std::span<const std::uint8_t> bytes,
                                                   const DerElement& parent) {
    std::vector<DerElement> children;
    for (std::uint32_t at = parent.content(); at < parent.end();) {
        const std::optional<DerElement> child = ReadDerElement(bytes, at, parent.end());
        if (!child) return std::nullopt;
        children.push_back(*child);
        at = child->end();
    }
    return children;
}

std::vector<std::uint8_t> DerHeader(std::uint8_t tag, std::uint32_t length) {
    std::vector<std::uint8_t> header{tag};
    if (length < kLongLength) {
        header.push_back(static_cast<std::uint8_t>(length));
        return header;
    }
    std::uint32_t count = 1;
    while (count < kMaxLengthBytes && length >> (8 * count) != 0) ++count;
    header.push_back(static_cast<std::uint8_t>(kLongLength | count));
    for (std::uint32_t i = count; i-- > 0;)
        header.push_back(static_cast<std::uint8_t>(length >> (8 * i)));
    return header;
}

bool DerContentIs(std::span<const std::uint8_t> bytes, const DerElement& element,
                  std::span<const std::uint8_t> content) noexcept {
    return element.length == content.size() &&
           std::equal(content.begin(), content.end(), bytes.begin() + element.content());
}
