#include "installer/MyCWnd/mycdraw.h"

#include <gtest/gtest.h>

#include "testwindow.h"

namespace {

struct SliceCase {
    int width;
    MySlices expected;
};

TEST(SliceTest, CutsSkinBitmapsIntoLeftMiddleAndRight) {
    const SliceCase cases[] = {
        {41, {20, 20, 21, 20}},
        {13, {6, 6, 7, 6}},
        {1, {0, 0, 1, 0}},
        // Even widths: the right slice stops at the last column instead of one past it.
        {40, {20, 20, 21, 19}},
        {2, {1, 1, 2, 0}},
    };
    for (const SliceCase& c : cases) {
        const MySlices s = MySliceBitmap(c.width);
        EXPECT_EQ(s.leftWidth, c.expected.leftWidth) << c.width;
        EXPECT_EQ(s.middleColumn, c.expected.middleColumn) << c.width;
        EXPECT_EQ(s.rightColumn, c.expected.rightColumn) << c.width;
        EXPECT_EQ(s.rightWidth, c.expected.rightWidth) << c.width;
    }
}

TEST(SliceTest, NoSliceReadsOutsideTheBitmap) {
    for (int width = 1; width <= 300; ++width) {
        const MySlices s = MySliceBitmap(width);
        EXPECT_LE(s.rightColumn + s.rightWidth, width) << width;
        EXPECT_LT(s.middleColumn, width) << width;
    }
}

COLORREF ColumnColour(int x) {
    return RGB(x * 5, 255 - x * 5, 7);
}

TEST(SliceTest, A41PixelBitmapIsDrawnAs20Stretched1And20Columns) {
    const HBITMAP skin = MakeColumnBitmap(41, 4, &ColumnColour);
    TestCanvas canvas(100, 8);
    MyDrawThreeSlices(canvas.dc(), skin, {0, 0, 100, 8});
    for (int x = 0; x < 20; ++x) EXPECT_EQ(canvas.pixel(x, 3), ColumnColour(x)) << x;
    for (int x = 20; x < 80; ++x) EXPECT_EQ(canvas.pixel(x, 3), ColumnColour(20)) << x;
    for (int x = 80; x < 100; ++x) EXPECT_EQ(canvas.pixel(x, 3), ColumnColour(x - 59)) << x;
    // Stretched over the full height as well.
    EXPECT_EQ(canvas.pixel(0, 7), ColumnColour(0));
    ::DeleteObject(skin);
}

TEST(DrawTest, TransparentDrawingLeavesTheKeyColour) {
    const HBITMAP image = MakeColumnBitmap(
        4, 4, [](int x) { return x < 2 ? RGB(0xFF, 0xFF, 0xFF) : RGB(0x10, 0x20, 0x30); });
    TestCanvas canvas(10, 10);
    canvas.fill(RGB(0x99, 0, 0));
    MyDrawTransparent(canvas.dc(), image, 3, 3, RGB(0xFF, 0xFF, 0xFF));
    EXPECT_EQ(canvas.pixel(3, 3), RGB(0x99, 0, 0));
    EXPECT_EQ(canvas.pixel(5, 3), RGB(0x10, 0x20, 0x30));
    EXPECT_EQ(canvas.pixel(7, 3), RGB(0x99, 0, 0));
    ::DeleteObject(image);
}

TEST(DrawTest, WrappedTextIsCentredVertically) {
    TestCanvas canvas(200, 100);
    canvas.fill(RGB(0xFF, 0xFF, 0xFF));
    MyDrawText(canvas.dc(), L"W", {0, 0, 200, 100}, DT_LEFT | DT_WORDBREAK | DT_VCENTER, nullptr,
               RGB(0, 0, 0));
    int first = -1, last = -1;
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 40; ++x)
            if (canvas.pixel(x, y) != RGB(0xFF, 0xFF, 0xFF)) {
                if (first < 0) first = y;
                last = y;
            }
    ASSERT_GE(first, 0) << "nothing drawn";
    EXPECT_GT(first, 30);
    EXPECT_LT(last, 70);
}

}  // namespace
