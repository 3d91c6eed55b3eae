#pragma once

#include <cstdint>
#include <map>
#include <span>

#include "installer/core/jpegimage.h"

// The bitmaps drawn at kPercent that the pictures script packs into one resource, from which
// the program makes the bitmaps of other factors (scaling down keeps them sharp). The packed
// form: the unpacked size (u32 little-endian), then one raw LZMA1 block (LzmaUnpacker) of
// records: id (u32), width and height (u16 each), then width * height pixels as JpegImage
// keeps them (rows bottom-up, blue, green, red, 0).
class PictureMasters {
  public:
    static constexpr int kPercent = 200;
    // A damaged resource must not ask for more than the masters of a few hundred bitmaps.
    static constexpr std::uint32_t kMaxUnpackedSize = 64u << 20;

    PictureMasters() = default;
    // Unpacks `packed`; empty gives no masters. Throws PParserError when the block does not
    // decode or a record runs past its end.
    explicit PictureMasters(std::span<const std::uint8_t> packed);

    // The master of bitmap `id`, or null.
    const JpegImage* find(int id) const;
    std::size_t size() const noexcept { return pictures_.size(); }

  private:
    std::map<int, JpegImage> pictures_;
};
