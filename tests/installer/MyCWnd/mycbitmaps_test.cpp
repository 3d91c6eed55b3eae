#include "installer/MyCWnd/mycbitmaps.h"

#include <gtest/gtest.h>

#include "installer/MyCWnd/mycbackground.h"
#include "installer/MyCWnd/mycdraw.h"

namespace {

constexpr int kBrowseSkin = 221;  // 41 x 46, three-sliced
constexpr int kCloseGlyph = 255;  // 13 x 14 on the white key colour

COLORREF CornerPixel(HBITMAP bitmap) {
    const JpegImage pixels = MyBitmapPixels(bitmap);
    // Bottom-up: the last row is the top one.
    const std::uint8_t* top = &pixels.pixels[(pixels.pixels.size() - 4 * pixels.width)];
    return RGB(top[2], top[1], top[0]);
}

}  // namespace

TEST(MyCBitmaps, AtOneHundredPercentTheResourceIsUsedAsItIs) {
    MyCBitmaps bitmaps(::GetModuleHandleW(nullptr));
    const SIZE size = MyBitmapSize(bitmaps.get(kBrowseSkin));
    EXPECT_EQ(size.cx, 41);
    EXPECT_EQ(size.cy, 46);
    EXPECT_EQ(bitmaps.get(kBrowseSkin), bitmaps.get(kBrowseSkin)) << "made once";
    EXPECT_EQ(bitmaps.get(9999), nullptr);
}

TEST(MyCBitmaps, AtAFactorEachEdgeIsScaledAndTheKeyColourStaysExact) {
    MyCBitmaps bitmaps(::GetModuleHandleW(nullptr), 150);
    const SIZE skin = MyBitmapSize(bitmaps.get(kBrowseSkin));
    EXPECT_EQ(skin.cx, 62);  // 61.5
    EXPECT_EQ(skin.cy, 69);
    const HBITMAP glyph = bitmaps.get(kCloseGlyph);
    EXPECT_EQ(MyBitmapSize(glyph).cx, 20);  // 19.5
    EXPECT_EQ(CornerPixel(glyph), RGB(0xFF, 0xFF, 0xFF)) << "drawn without its key colour";
}

TEST(MyCBitmaps, AnotherFactorMakesTheBitmapsAgain) {
    MyCBitmaps bitmaps(::GetModuleHandleW(nullptr));
    bitmaps.get(kBrowseSkin);
    bitmaps.setScale(200);
    EXPECT_EQ(MyBitmapSize(bitmaps.get(kBrowseSkin)).cx, 82);
    bitmaps.setScale(100);
    EXPECT_EQ(MyBitmapSize(bitmaps.get(kBrowseSkin)).cx, 41);
}
