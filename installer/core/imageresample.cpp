#include "installer/core/imageresample.h"

#include <algorithm>
#include <cstdint>

#include "plib/perror.h"

namespace {

// The old pixels one new pixel covers along one axis: from `first` on, each with the length of
// its overlap in units of 1/`to` old pixel; the weights add up to `from`.
struct Taps {
    int first = 0;
    std::vector<std::uint32_t> weights;
};

std::vector<Taps> AxisTaps(int from, int to) {
    std::vector<Taps> taps(static_cast<std::size_t>(to));
    for (int x = 0; x < to; ++x) {
        const std::int64_t begin = static_cast<std::int64_t>(x) * from;
        const std::int64_t end = begin + from;
        Taps& tap = taps[static_cast<std::size_t>(x)];
        tap.first = static_cast<int>(begin / to);
        for (std::int64_t i = tap.first; i * to < end; ++i) {
            const std::int64_t overlap = std::min(end, (i + 1) * to) - std::max(begin, i * to);
            tap.weights.push_back(static_cast<std::uint32_t>(overlap));
        }
    }
    return taps;
}

constexpr int kChannels = 3;

}  // namespace

JpegImage ResampleArea(const JpegImage& source, int width, int height) {
    if (source.width <= 0 || source.height <= 0 || width <= 0 || height <= 0)
        throw PInternalError("ResampleArea, empty picture");
    const std::vector<Taps> columns = AxisTaps(source.width, width);
    const std::vector<Taps> rows = AxisTaps(source.height, height);

    // Each old row narrowed to the new width, as sums weighted in 1/width pixels.
    std::vector<std::uint64_t> narrowed(static_cast<std::size_t>(source.height) * width *
                                        kChannels);
    for (int y = 0; y < source.height; ++y) {
        const std::uint8_t* row = &source.pixels[static_cast<std::size_t>(y) * source.width * 4];
        for (int x = 0; x < width; ++x) {
            const Taps& tap = columns[static_cast<std::size_t>(x)];
            std::uint64_t* sum = &narrowed[(static_cast<std::size_t>(y) * width + x) * kChannels];
            for (std::size_t i = 0; i < tap.weights.size(); ++i)
                for (int c = 0; c < kChannels; ++c)
                    sum[c] += std::uint64_t{tap.weights[i]} * row[(tap.first + i) * 4 + c];
        }
    }

    JpegImage out;
    out.width = width;
    out.height = height;
    out.pixels.assign(static_cast<std::size_t>(width) * height * 4, 0);
    const std::uint64_t total = static_cast<std::uint64_t>(source.width) * source.height;
    for (int y = 0; y < height; ++y) {
        const Taps& tap = rows[static_cast<std::size_t>(y)];
        for (int x = 0; x < width; ++x) {
            for (int c = 0; c < kChannels; ++c) {
                std::uint64_t sum = 0;
                for (std::size_t i = 0; i < tap.weights.size(); ++i)
                    sum += tap.weights[i] * narrowed[((tap.first + i) * width + x) * kChannels + c];
                out.pixels[(static_cast<std::size_t>(y) * width + x) * 4 + c] =
                    static_cast<std::uint8_t>((sum + total / 2) / total);
            }
        }
    }
    return out;
}
