#include "installer/core/imageresample.h"

#include <algorithm>
#include <cstdint>
#include <deque>

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

// Old row `y` narrowed to the new width, as sums weighted in 1/width pixels (at most the old
// width times 255, so they fit 32 bits).
std::vector<std::uint32_t> NarrowRow(const JpegImage& source, int y,
                                     const std::vector<Taps>& columns) {
    const std::size_t width = columns.size();
    std::vector<std::uint32_t> narrowed(width * kChannels);
    const std::uint8_t* row = &source.pixels[static_cast<std::size_t>(y) * source.width * 4];
    for (std::size_t x = 0; x < width; ++x) {
        const Taps& tap = columns[x];
        for (std::size_t i = 0; i < tap.weights.size(); ++i)
            for (int c = 0; c < kChannels; ++c)
                narrowed[x * kChannels + c] += tap.weights[i] * row[(tap.first + i) * 4 + c];
    }
    return narrowed;
}

}  // namespace

JpegImage ResampleArea(const JpegImage& source, int width, int height) {
    if (source.width <= 0 || source.height <= 0 || width <= 0 || height <= 0)
        throw PInternalError("ResampleArea, empty picture");
    const std::vector<Taps> columns = AxisTaps(source.width, width);
    const std::vector<Taps> rows = AxisTaps(source.height, height);

    JpegImage out;
    out.width = width;
    out.height = height;
    out.pixels.assign(static_cast<std::size_t>(width) * height * 4, 0);
    const std::uint64_t total = static_cast<std::uint64_t>(source.width) * source.height;
    // The narrowed old rows the present new row covers; consecutive new rows share some, and
    // only these few are kept, not the whole narrowed picture.
    std::deque<std::vector<std::uint32_t>> window;
    int windowFirst = 0;
    std::vector<std::uint64_t> sum(static_cast<std::size_t>(width) * kChannels);
    for (int y = 0; y < height; ++y) {
        const Taps& tap = rows[static_cast<std::size_t>(y)];
        while (windowFirst < tap.first && !window.empty()) {
            window.pop_front();
            ++windowFirst;
        }
        if (window.empty()) windowFirst = tap.first;
        while (windowFirst + static_cast<int>(window.size()) <
               tap.first + static_cast<int>(tap.weights.size()))
            window.push_back(
                NarrowRow(source, windowFirst + static_cast<int>(window.size()), columns));
        std::fill(sum.begin(), sum.end(), 0);
        for (std::size_t i = 0; i < tap.weights.size(); ++i) {
            const std::vector<std::uint32_t>& narrowed = window[tap.first - windowFirst + i];
            for (std::size_t k = 0; k < sum.size(); ++k)
                sum[k] += std::uint64_t{tap.weights[i]} * narrowed[k];
        }
        std::uint8_t* pixel = &out.pixels[static_cast<std::size_t>(y) * width * 4];
        for (int x = 0; x < width; ++x)
            for (int c = 0; c < kChannels; ++c)
                pixel[x * 4 + c] = static_cast<std::uint8_t>(
                    (sum[static_cast<std::size_t>(x) * kChannels + c] + total / 2) / total);
    }
    return out;
}
