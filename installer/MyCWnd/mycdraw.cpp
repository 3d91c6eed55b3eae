#include "installer/MyCWnd/mycdraw.h"

#include "plib/winseam/unique.h"

namespace {

// Selects `bitmap` into a memory DC compatible with `dc` for the blits of one drawing step.
class BitmapSource {
  public:
    BitmapSource(HDC dc, HBITMAP bitmap)
        : memory_(::CreateCompatibleDC(dc)), old_(::SelectObject(memory_.get(), bitmap)) {}
    ~BitmapSource() { ::SelectObject(memory_.get(), old_); }
    HDC dc() const noexcept { return memory_.get(); }

  private:
    UniqueHdc memory_;
    HGDIOBJ old_;
};

void StretchPart(HDC dc, HDC source, int x, int width, const RECT& dest, int sourceX,
                 int sourceWidth, int sourceHeight) {
    if (width <= 0 || sourceWidth <= 0) return;
    ::StretchBlt(dc, x, dest.top, width, dest.bottom - dest.top, source, sourceX, 0, sourceWidth,
                 sourceHeight, SRCCOPY);
}

}  // namespace

SIZE MyBitmapSize(HBITMAP bitmap) noexcept {
    BITMAP info{};
    if (!bitmap || !::GetObjectW(bitmap, sizeof info, &info)) return {0, 0};
    return {info.bmWidth, info.bmHeight};
}

void MyDrawThreeSlices(HDC dc, HBITMAP bitmap, const RECT& dest) {
    const SIZE size = MyBitmapSize(bitmap);
    if (size.cx <= 0) return;
    const MySlices s = MySliceBitmap(size.cx);
    BitmapSource source(dc, bitmap);
    const int oldMode = ::SetStretchBltMode(dc, COLORONCOLOR);
    const int middleLeft = dest.left + s.leftWidth;
    const int rightLeft = dest.right - s.rightWidth;
    StretchPart(dc, source.dc(), dest.left, s.leftWidth, dest, 0, s.leftWidth, size.cy);
    StretchPart(dc, source.dc(), middleLeft, rightLeft - middleLeft, dest, s.middleColumn, 1,
                size.cy);
    StretchPart(dc, source.dc(), rightLeft, s.rightWidth, dest, s.rightColumn, s.rightWidth,
                size.cy);
    ::SetStretchBltMode(dc, oldMode);
}

void MyDrawStretched(HDC dc, HBITMAP bitmap, const RECT& dest) {
    const SIZE size = MyBitmapSize(bitmap);
    if (size.cx <= 0) return;
    BitmapSource source(dc, bitmap);
    const int oldMode = ::SetStretchBltMode(dc, HALFTONE);
    ::StretchBlt(dc, dest.left, dest.top, dest.right - dest.left, dest.bottom - dest.top,
                 source.dc(), 0, 0, size.cx, size.cy, SRCCOPY);
    ::SetStretchBltMode(dc, oldMode);
}

void MyDrawTransparent(HDC dc, HBITMAP bitmap, int x, int y, COLORREF key) {
    const SIZE size = MyBitmapSize(bitmap);
    if (size.cx <= 0) return;
    BitmapSource source(dc, bitmap);
    ::GdiTransparentBlt(dc, x, y, size.cx, size.cy, source.dc(), 0, 0, size.cx, size.cy, key);
}

void MyFillRect(HDC dc, const RECT& rect, COLORREF colour) {
    const COLORREF old = ::SetBkColor(dc, colour);
    // ExtTextOut with ETO_OPAQUE fills without a brush to create and free.
    ::ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &rect, nullptr, 0, nullptr);
    ::SetBkColor(dc, old);
}

void MyDrawText(HDC dc, const std::wstring& text, RECT rect, UINT format, HFONT font,
                COLORREF colour) {
    const HGDIOBJ oldFont = font ? ::SelectObject(dc, font) : nullptr;
    const int oldMode = ::SetBkMode(dc, TRANSPARENT);
    const COLORREF oldColour = ::SetTextColor(dc, colour);
    const int length = static_cast<int>(text.size());
    if ((format & DT_WORDBREAK) && (format & DT_VCENTER)) {
        RECT measured = rect;
        ::DrawTextW(dc, text.c_str(), length, &measured, (format & ~DT_VCENTER) | DT_CALCRECT);
        const int spare = (rect.bottom - rect.top) - (measured.bottom - measured.top);
        if (spare > 0) rect.top += spare / 2;
        format &= ~DT_VCENTER;
    }
    ::DrawTextW(dc, text.c_str(), length, &rect, format);
    ::SetTextColor(dc, oldColour);
    ::SetBkMode(dc, oldMode);
    if (font) ::SelectObject(dc, oldFont);
}

SIZE MyMeasureText(HDC dc, const std::wstring& text, HFONT font) {
    const HGDIOBJ oldFont = font ? ::SelectObject(dc, font) : nullptr;
    SIZE size{0, 0};
    ::GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    if (font) ::SelectObject(dc, oldFont);
    return size;
}

std::wstring MyWindowText(HWND window) {
    const int length = ::GetWindowTextLengthW(window);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    text.resize(static_cast<std::size_t>(::GetWindowTextW(window, text.data(), length + 1)));
    return text;
}
