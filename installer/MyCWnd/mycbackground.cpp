#include "installer/MyCWnd/mycbackground.h"

#include <cstring>

#include "installer/core/jpegimage.h"
#include "plib/perror.h"

UniqueBitmap MyDecodeJpegSection(std::span<const std::uint8_t> jpeg) {
    const JpegImage image = DecodeJpeg(jpeg.data(), jpeg.size());
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = image.width;
    info.bmiHeader.biHeight = image.height;  // positive: bottom-up rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    UniqueBitmap section(::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!section || !bits)
        throw PSystemError("MyDecodeJpegSection, CreateDIBSection",
                           static_cast<std::int32_t>(::GetLastError()));
    std::memcpy(bits, image.pixels.data(), image.pixels.size());
    return section;
}
