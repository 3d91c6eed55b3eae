#include "installer/core/trackingtrailer.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include "installer/core/earlylogqueue.h"
#include "installer/core/littleendian.h"
#include "plib/perror.h"
#include "plib/psystem.h"
#include "protocols/inixor.h"

namespace {

// `read(fromEnd, out)` fills `out` with the bytes that start `fromEnd` bytes before the end of
// the file, or returns false when they do not all lie inside it.
template <class TailReader>
std::optional<std::string> ReadTrailer(TailReader read) {
    std::uint8_t footerBytes[kTrackingFooterSize];
    const std::optional<TrackingFooter> footer = read(kTrackingFooterSize, std::span(footerBytes))
                                                     ? TrackingFooterOf(footerBytes)
                                                     : std::nullopt;
    if (!footer || !footer->accepted()) {
        EarlyLog("No tInfo found.");
        return std::nullopt;
    }
    // Data cannot run past the end of the file: refusing a larger length before allocating
    // keeps a forged footer from asking for gigabytes.
    std::vector<std::uint8_t> data;
    if (footer->length <= footer->distance) {
        data.resize(footer->length);
        if (read(footer->distance, std::span(data))) return UnscrambleTrackingData(data);
    }
    EarlyLog("tInfo read error.");
    return std::nullopt;
}

}  // namespace

std::optional<TrackingFooter> TrackingFooterOf(std::span<const std::uint8_t> tail) noexcept {
    if (tail.size() < kTrackingFooterSize) return std::nullopt;
    const std::uint8_t* footer = tail.data() + tail.size() - kTrackingFooterSize;
    return TrackingFooter{LoadU32Le(footer), LoadU32Le(footer + 4), LoadU32Le(footer + 8)};
}

std::uint32_t TrackingTrailerLength(std::span<const std::uint8_t> bytes) noexcept {
    const std::optional<TrackingFooter> footer = TrackingFooterOf(bytes);
    if (!footer || !footer->accepted() || footer->distance > bytes.size() ||
        footer->distance < kTrackingFooterSize ||
        footer->length > footer->distance - kTrackingFooterSize) {
        return 0;
    }
    return footer->distance;
}

std::optional<std::string> ReadTrackingTrailer(const PString& path,
                                               const PStringEncoding* encoding) {
    PFile file = POpenFile(path, "rb", encoding);
    if (!file) {
        EarlyLog("Error in reading file for tInfo");
        return std::nullopt;
    }
    return ReadTrailer([&file](std::uint32_t fromEnd, std::span<std::uint8_t> out) {
        if (std::fseek(file.get(), 0, SEEK_END) != 0) return false;
        const long size = std::ftell(file.get());
        if (size < 0 || static_cast<unsigned long>(size) < fromEnd) return false;
        if (std::fseek(file.get(), size - static_cast<long>(fromEnd), SEEK_SET) != 0) return false;
        return std::fread(out.data(), 1, out.size(), file.get()) == out.size();
    });
}

std::optional<std::string> ReadTrackingTrailer(std::span<const std::uint8_t> file) {
    return ReadTrailer([file](std::uint32_t fromEnd, std::span<std::uint8_t> out) {
        if (file.size() < fromEnd || out.size() > fromEnd) return false;
        std::copy_n(file.begin() + (file.size() - fromEnd), out.size(), out.begin());
        return true;
    });
}

std::vector<std::uint8_t> MakeTrackingTrailer(std::string_view text, std::uint32_t filler) {
    if (text.find('\0') != std::string_view::npos) {
        throw PInternalError(
            "The tracking text contains a zero byte, where the installer stops reading it");
    }
    if (text.size() > kTrackingMaxDistance - kTrackingFooterSize ||
        filler > kTrackingMaxDistance - kTrackingFooterSize - text.size()) {
        throw PInternalError("The tracking text is too long: its tag would exceed 1024 bytes");
    }
    std::vector<std::uint8_t> trailer(text.begin(), text.end());
    IniXorTracking(trailer.data(), trailer.size());
    trailer.resize(trailer.size() + filler, 0);
    const auto distance = static_cast<std::uint32_t>(trailer.size() + kTrackingFooterSize);
    AppendU32Le(trailer, distance);
    AppendU32Le(trailer, static_cast<std::uint32_t>(text.size()));
    AppendU32Le(trailer, kTrackingMarker);
    return trailer;
}

std::vector<std::uint8_t> MakeTrackingTrailer(std::string_view text) {
    const std::size_t unpadded = text.size() + kTrackingFooterSize;
    return MakeTrackingTrailer(text, static_cast<std::uint32_t>((8 - unpadded % 8) % 8));
}

std::string UnscrambleTrackingData(std::span<const std::uint8_t> data) {
    std::vector<std::uint8_t> plain(data.begin(), data.end());
    IniXorTracking(plain.data(), plain.size());
    const auto end = std::find(plain.begin(), plain.end(), std::uint8_t{0});
    return std::string(plain.begin(), end);
}
