#include <cstddef>
#include <cstdint>

#include "installer/core/jpegimage.h"
#include "plib/perror.h"

// A few bytes can declare a picture of millions of pixels that the decoder then fills; a smaller
// limit than the wizard's keeps the fuzzer on the code paths instead of on filling memory.
constexpr std::uint64_t kFuzzMaxPixels = 1 << 18;

// Any bytes either decode into a buffer of exactly width x height BGRX pixels or throw
// PInternalError; nothing else (a crash, a leak, another exception) is acceptable.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    try {
        const JpegImage image = DecodeJpeg(data, size, kFuzzMaxPixels);
        const std::uint64_t expected = static_cast<std::uint64_t>(image.width) * image.height * 4;
        if (image.width <= 0 || image.height <= 0 || image.pixels.size() != expected) {
            __builtin_trap();
        }
    } catch (const PInternalError&) {
    }
    return 0;
}
