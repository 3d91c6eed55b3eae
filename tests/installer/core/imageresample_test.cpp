#include "installer/core/imageresample.h"

#include <gtest/gtest.h>

#include "plib/perror.h"

namespace {

JpegImage Filled(int width, int height, std::uint8_t blue, std::uint8_t green, std::uint8_t red) {
    JpegImage image{width, height, {}};
    for (int i = 0; i < width * height; ++i)
        image.pixels.insert(image.pixels.end(), {blue, green, red, 0});
    return image;
}

// One channel (blue) of a picture of one row, from left to right.
JpegImage Row(std::initializer_list<std::uint8_t> blues) {
    JpegImage image{static_cast<int>(blues.size()), 1, {}};
    for (const std::uint8_t blue : blues) image.pixels.insert(image.pixels.end(), {blue, 0, 0, 0});
    return image;
}

int Blue(const JpegImage& image, int x, int y) {
    return image.pixels[(static_cast<std::size_t>(y) * image.width + x) * 4];
}

}  // namespace

TEST(ImageResample, FlatColoursStayExactAtEveryScale) {
    const JpegImage white = Filled(192, 92, 0xFF, 0xFF, 0xFF);
    const JpegImage teal = Filled(192, 92, 0x80, 0x9B, 0x08);
    for (const auto& [width, height] : {std::pair{96, 46}, {120, 58}, {144, 69}, {168, 81}}) {
        EXPECT_EQ(ResampleArea(white, width, height).pixels,
                  Filled(width, height, 0xFF, 0xFF, 0xFF).pixels);
        EXPECT_EQ(ResampleArea(teal, width, height).pixels,
                  Filled(width, height, 0x80, 0x9B, 0x08).pixels);
    }
}

TEST(ImageResample, EachNewPixelIsTheMeanOfTheAreaItCovers) {
    // Halving: pairs. Three to two: the middle pixel is shared half and half.
    const JpegImage halved = ResampleArea(Row({0, 100, 200, 250}), 2, 1);
    EXPECT_EQ(Blue(halved, 0, 0), 50);
    EXPECT_EQ(Blue(halved, 1, 0), 225);
    const JpegImage thirds = ResampleArea(Row({0, 90, 180}), 2, 1);
    EXPECT_EQ(Blue(thirds, 0, 0), 30);   // (2 * 0 + 1 * 90) / 3
    EXPECT_EQ(Blue(thirds, 1, 0), 150);  // (1 * 90 + 2 * 180) / 3
    // The same size gives the same picture; rows keep their order.
    JpegImage column{1, 3, {10, 0, 0, 0, 20, 0, 0, 0, 30, 0, 0, 0}};
    EXPECT_EQ(ResampleArea(column, 1, 3).pixels, column.pixels);
    EXPECT_EQ(Blue(ResampleArea(column, 1, 2), 0, 0), 13);  // (2 * 10 + 1 * 20) / 3, rounded
    // Enlarging (a picture without master): each old pixel covers whole new ones or shares one.
    const JpegImage doubled = ResampleArea(column, 1, 6);
    EXPECT_EQ(Blue(doubled, 0, 1), 10);
    EXPECT_EQ(Blue(doubled, 0, 2), 20);
    EXPECT_EQ(Blue(doubled, 0, 5), 30);
    EXPECT_EQ(Blue(ResampleArea(column, 1, 4), 0, 1), 17);  // (1 * 10 + 2 * 20) / 3, rounded
}

TEST(ImageResample, AnEmptySizeIsRefused) {
    EXPECT_THROW(ResampleArea(Filled(4, 4, 0, 0, 0), 0, 4), PInternalError);
    EXPECT_THROW(ResampleArea(JpegImage{}, 4, 4), PInternalError);
}
