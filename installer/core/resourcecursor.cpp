#include "installer/core/resourcecursor.h"

#include "installer/core/littleendian.h"
#include "plib/perror.h"

namespace {

// The reads are reported with the place the installer's own archive code has always named.
constexpr const char* kReaderSource = "installer/ZembricoInstall/InstallerThread";

}  // namespace

std::uint32_t ResourceCursor::readU32() {
    if (remaining() < 4) throw PAssert("", kReaderSource, 376);
    const std::uint8_t* p = data_ + position_;
    position_ += 4;
    return LoadU32Le(p);
}

const std::uint8_t* ResourceCursor::readBlock(std::uint32_t length) {
    if (remaining() < length) throw PAssert("", kReaderSource, 383);
    const std::uint8_t* p = data_ + position_;
    position_ += length;
    return p;
}
