#include "installer/MyCWnd/mycbackground.h"

#include <cstring>

#include "installer/core/imageresample.h"
#include "installer/core/jpegimage.h"
#include "plib/perror.h"

namespace {

// The form of every picture in memory: 32 bits per pixel, rows bottom-up.
BITMAPINFO PictureHeader(int width, int height) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;  // positive: bottom-up rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    return info;
}

}  // namespace

UniqueBitmap MyPictureSection(const JpegImage& picture, int width, int height) {
    const bool same = width == picture.width && height == picture.height;
    const JpegImage resampled = same ? JpegImage{} : ResampleArea(picture, width, height);
    const JpegImage& image = same ? picture : resampled;
    BITMAPINFO info = PictureHeader(image.width, image.height);
    void* bits = nullptr;
    UniqueBitmap section(::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!section || !bits)
        throw PSystemError("MyPictureSection, CreateDIBSection",
                           static_cast<std::int32_t>(::GetLastError()));
    std::memcpy(bits, image.pixels.data(), image.pixels.size());
    return section;
}

JpegImage MyBitmapPixels(HBITMAP bitmap) {
    BITMAP info{};
    if (!bitmap || !::GetObjectW(bitmap, sizeof info, &info) || info.bmWidth <= 0 ||
        info.bmHeight <= 0)
        return {};
    BITMAPINFO wanted = PictureHeader(info.bmWidth, info.bmHeight);
    JpegImage image{info.bmWidth, info.bmHeight, {}};
    image.pixels.resize(static_cast<std::size_t>(info.bmWidth) * info.bmHeight * 4);
    UniqueWindowDc screen(nullptr);
    if (::GetDIBits(screen.get(), bitmap, 0, static_cast<UINT>(info.bmHeight), image.pixels.data(),
                    &wanted, DIB_RGB_COLORS) != info.bmHeight)
        return {};
    // The fourth byte is 0 in every picture, whatever the bitmap held there.
    for (std::size_t i = 3; i < image.pixels.size(); i += 4) image.pixels[i] = 0;
    return image;
}
