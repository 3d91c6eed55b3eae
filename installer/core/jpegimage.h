#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// A decoded picture laid out for a 32-bit bottom-up device-independent bitmap section: the
// bottom row of the picture comes first, each pixel is blue, green, red and a zero byte, and a
// row is exactly width * 4 bytes (so it needs no padding).
struct JpegImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> pixels;
};

// The largest picture DecodeJpeg accepts, in pixels. The wizard's backgrounds are 960 x 720;
// the limit keeps a damaged header from asking for gigabytes (a JPEG may claim 65,500 squared).
inline constexpr std::uint64_t kJpegMaxPixels = 16 * 1024 * 1024;

// Decodes the JPEG file held in `data[0, size)` through libjpeg. The data is handed to the
// decoder in pieces of at most 4,096 bytes; when it runs out mid-picture an end-of-image marker
// is supplied, so a file cut short still decodes (its missing part is filled by the decoder).
// Throws PInternalError: "JPEG: empty file" when `size` is 0, "JPEG: " followed by the
// decoder's own message (at most 200 characters) when the data is not a picture the decoder
// can read, and "JPEG: picture too large" above `maxPixels`.
JpegImage DecodeJpeg(const std::uint8_t* data, std::size_t size,
                     std::uint64_t maxPixels = kJpegMaxPixels);
