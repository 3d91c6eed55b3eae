#pragma once

#include <windows.h>

#include <string>

// Drawing steps shared by the toolkit's controls. Bitmaps are only read, never owned.

// How a skin bitmap of `width` columns is cut to fit any width: `leftWidth` columns at the left
// edge, the single `middleColumn` stretched over the middle, and `rightWidth` columns from
// `rightColumn` at the right edge. The right slice never runs past the bitmap, so even widths
// lose their last-but-one column rather than reading a column that is not there.
struct MySlices {
    int leftWidth;
    int middleColumn;
    int rightColumn;
    int rightWidth;
};
constexpr MySlices MySliceBitmap(int width) {
    const int half = width / 2;
    return {half, half, half + 1, width > half ? width - half - 1 : 0};
}

// The bitmap's size in pixels, or 0 x 0 for a null or invalid bitmap.
SIZE MyBitmapSize(HBITMAP bitmap) noexcept;

// Draws `bitmap` three-sliced (see MySliceBitmap) over `dest`, stretched to its full height.
void MyDrawThreeSlices(HDC dc, HBITMAP bitmap, const RECT& dest);
// Draws the whole of `bitmap` stretched into `dest`.
void MyDrawStretched(HDC dc, HBITMAP bitmap, const RECT& dest);
// Draws `bitmap` unscaled at (x, y), leaving the pixels of colour `key` untouched.
void MyDrawTransparent(HDC dc, HBITMAP bitmap, int x, int y, COLORREF key);

void MyFillRect(HDC dc, const RECT& rect, COLORREF colour);

// Draws `text` into `rect` with a transparent background in `font` (none: the DC's font) and
// `colour`, restoring the DC's font, colour and background mode afterwards. `format` takes
// DrawText's flags; with DT_WORDBREAK and DT_VCENTER together, the wrapped block is centred
// vertically (DrawText itself centres single lines only).
void MyDrawText(HDC dc, const std::wstring& text, RECT rect, UINT format, HFONT font,
                COLORREF colour);

// Width and height of `text` on one line in `font`.
SIZE MyMeasureText(HDC dc, const std::wstring& text, HFONT font);

// The text of a window, for drawing.
std::wstring MyWindowText(HWND window);
