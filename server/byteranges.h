#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

// Range requests and validators of a download (RFC 9110, sections 13 and 14).

struct ByteRange {
    std::uint64_t first = 0;
    std::uint64_t length = 0;

    bool operator==(const ByteRange&) const = default;
};

struct RangeAnswer {
    enum Kind { Whole, Partial, Unsatisfiable } kind = Whole;
    std::vector<ByteRange> ranges;  // for Partial: ascending, apart, each inside the body
};

// At most this many ranges are read; a header asking for more is ignored (the whole body).
inline constexpr std::size_t kMaxRanges = 16;

// What a Range header asks of a body of `size` bytes. Whole for no header, another unit, a
// header that breaks the syntax (a range whose end is before its start included) or asks for
// more than kMaxRanges ranges; Unsatisfiable when no range has a byte inside the body (416);
// otherwise Partial: each range cut at the body's end ("500-" and "-500" included), and ranges
// that overlap or lie close together merged, in ascending order.
RangeAnswer ParseRange(std::string_view header, std::uint64_t size);

// Whether an If-None-Match header lists `etag` (weak comparison) or is "*": then the client
// has the body already (304).
bool NoneMatchHolds(std::string_view header, std::string_view etag);

// Whether an If-Range header lets a range be sent: no header, or exactly `etag` (strong
// comparison). A date or another tag means the client's part may be of other bytes.
bool IfRangeHolds(std::string_view header, std::string_view etag);
