#include "installer/ZembricoInstall/imagepayload.h"

#include <windows.h>

#include <cstring>
#include <utility>

void ReleaseImagePages(const std::uint8_t* bytes, std::uint32_t count) {
    // On pages that are not locked, VirtualUnlock takes them out of the working set and reports
    // ERROR_NOT_LOCKED: that is all that is asked of it here.
    ::VirtualUnlock(const_cast<std::uint8_t*>(bytes), count);
}

LzmaUnpacker::BlockReader ImageBlockReader(std::span<const std::uint8_t> bytes,
                                           PageRelease release) {
    return [bytes, release = std::move(release)](std::uint32_t offset, std::uint8_t* into,
                                                 std::uint32_t count) {
        if (offset > bytes.size() || count > bytes.size() - offset) return false;
        std::memcpy(into, bytes.data() + offset, count);
        if (release) release(bytes.data() + offset, count);
        return true;
    };
}
