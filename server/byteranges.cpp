#include "server/byteranges.h"

#include <strings.h>

#include <algorithm>
#include <charconv>
#include <optional>

namespace {

// Ranges this close are sent as one: a part's own header costs about as much.
constexpr std::uint64_t kMergeGap = 128;

std::string_view Trim(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    return text;
}

// Calls `visit` with each non-empty element of a comma-separated list; false as soon as it does.
template <class Visit>
bool ForEachListElement(std::string_view list, Visit visit) {
    while (!list.empty()) {
        const std::size_t comma = list.find(',');
        const std::string_view element = Trim(list.substr(0, comma));
        list.remove_prefix(comma == std::string_view::npos ? list.size() : comma + 1);
        if (!element.empty() && !visit(element)) return false;
    }
    return true;
}

std::optional<std::uint64_t> Number(std::string_view digits) {
    std::uint64_t value = 0;
    if (digits.empty() || digits.find_first_not_of("0123456789") != std::string_view::npos)
        return std::nullopt;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (error != std::errc()) return std::nullopt;
    return value;
}

struct RangeItem {
    std::optional<std::uint64_t> first, last, suffix;
};

std::optional<RangeItem> ParseRangeItem(std::string_view item) {
    const std::size_t dash = item.find('-');
    if (dash == std::string_view::npos) return std::nullopt;
    RangeItem parsed;
    if (dash == 0) {
        parsed.suffix = Number(item.substr(1));
        return parsed.suffix ? std::optional(parsed) : std::nullopt;
    }
    parsed.first = Number(item.substr(0, dash));
    if (!parsed.first) return std::nullopt;
    if (dash + 1 == item.size()) return parsed;
    parsed.last = Number(item.substr(dash + 1));
    if (!parsed.last || *parsed.last < *parsed.first) return std::nullopt;
    return parsed;
}

// The bytes of `item` inside a body of `size`; nothing when it has none.
std::optional<ByteRange> Resolve(const RangeItem& item, std::uint64_t size) {
    if (item.suffix) {
        if (*item.suffix == 0 || size == 0) return std::nullopt;
        const std::uint64_t length = std::min(*item.suffix, size);
        return ByteRange{size - length, length};
    }
    if (*item.first >= size) return std::nullopt;
    const std::uint64_t last = std::min(item.last.value_or(size - 1), size - 1);
    return ByteRange{*item.first, last - *item.first + 1};
}

std::vector<ByteRange> Merge(std::vector<ByteRange> ranges) {
    std::sort(ranges.begin(), ranges.end(),
              [](const ByteRange& a, const ByteRange& b) { return a.first < b.first; });
    std::vector<ByteRange> merged;
    for (const ByteRange& range : ranges) {
        if (!merged.empty() &&
            range.first <= merged.back().first + merged.back().length + kMergeGap) {
            ByteRange& last = merged.back();
            last.length =
                std::max(last.first + last.length, range.first + range.length) - last.first;
        } else {
            merged.push_back(range);
        }
    }
    return merged;
}

bool IsStrongTag(std::string_view tag) {
    return tag.size() >= 2 && tag.front() == '"' && tag.back() == '"';
}

}  // namespace

RangeAnswer ParseRange(std::string_view header, std::uint64_t size) {
    constexpr std::string_view kUnit = "bytes=";
    if (header.size() < kUnit.size() || strncasecmp(header.data(), kUnit.data(), kUnit.size()) != 0)
        return {};
    std::vector<ByteRange> ranges;
    std::size_t items = 0;
    const bool wellFormed =
        ForEachListElement(header.substr(kUnit.size()), [&](std::string_view element) {
            const std::optional<RangeItem> item = ParseRangeItem(element);
            if (!item || ++items > kMaxRanges) return false;
            if (const std::optional<ByteRange> range = Resolve(*item, size))
                ranges.push_back(*range);
            return true;
        });
    if (!wellFormed || items == 0) return {};
    if (ranges.empty()) return {RangeAnswer::Unsatisfiable, {}};
    return {RangeAnswer::Partial, Merge(std::move(ranges))};
}

bool NoneMatchHolds(std::string_view header, std::string_view etag) {
    if (Trim(header) == "*") return true;
    bool found = false;
    ForEachListElement(header, [&](std::string_view tag) {
        if (tag.starts_with("W/")) tag.remove_prefix(2);
        found |= tag == etag;
        return true;
    });
    return found;
}

bool IfRangeHolds(std::string_view header, std::string_view etag) {
    header = Trim(header);
    return header.empty() || (IsStrongTag(header) && header == etag);
}
