#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "plib/pstring.h"

class PStringEncoding;

// The tracking trailer at the end of an installer file:
//   end - distance: `length` bytes of scrambled tracking text
//   end - 12: distance (u32 LE), end - 8: length (u32 LE), end - 4: kTrackingMarker (u32 LE)
// Bytes between the data and the footer are ignored.
inline constexpr std::uint32_t kTrackingMarker = 0xFFFEFFFE;
inline constexpr std::uint32_t kTrackingFooterSize = 12;
inline constexpr std::uint32_t kTrackingMaxDistance = 1024;

struct TrackingFooter {
    std::uint32_t distance = 0;
    std::uint32_t length = 0;
    std::uint32_t marker = 0;

    // The marker matches and the distance is 1 to kTrackingMaxDistance.
    bool accepted() const noexcept {
        return marker == kTrackingMarker && distance >= 1 && distance <= kTrackingMaxDistance;
    }
};

// The footer of the file whose last bytes are `tail`; null when `tail` is shorter than the
// footer.
std::optional<TrackingFooter> TrackingFooterOf(std::span<const std::uint8_t> tail) noexcept;

// The length of the trailer that ends `bytes` when the reader would accept it and it lies
// whole inside them, its text included; 0 otherwise.
std::uint32_t TrackingTrailerLength(std::span<const std::uint8_t> bytes) noexcept;

// Reads the trailer of the file `path` and returns its unscrambled text, cut at its first zero
// byte; or nothing, after logging "Error in reading file for tInfo" (cannot open), "No tInfo
// found." (no accepted footer) or "tInfo read error." (the data does not lie inside the file).
std::optional<std::string> ReadTrackingTrailer(const PString& path,
                                               const PStringEncoding* encoding);

// The same read from the bytes of a whole file.
std::optional<std::string> ReadTrackingTrailer(std::span<const std::uint8_t> file);

// The trailer of `text`: the scrambled text, `filler` zero bytes, the footer. Throws
// PInternalError for a text that the reader would not give back whole: one holding a zero byte,
// or one whose trailer would be longer than the reader accepts.
std::vector<std::uint8_t> MakeTrackingTrailer(std::string_view text, std::uint32_t filler);

// The same with the filler that makes the trailer a multiple of 8 bytes long.
std::vector<std::uint8_t> MakeTrackingTrailer(std::string_view text);

// Unscrambles tracking data (a trailer's data or the content of tinfo.dat) into its text, cut
// at the first zero byte.
std::string UnscrambleTrackingData(std::span<const std::uint8_t> data);
