#include "installer/core/picturemasters.h"

#include <memory>
#include <vector>

#include "installer/core/littleendian.h"
#include "installer/core/lzmaunpacker.h"
#include "plib/perror.h"

namespace {

constexpr std::size_t kSizeField = 4;
constexpr std::size_t kRecordHeader = 8;

std::vector<std::uint8_t> Unpack(std::span<const std::uint8_t> packed) {
    if (packed.size() < kSizeField) throw PParserError("picture masters: no size");
    const std::uint32_t size = LoadU32Le(packed.data());
    if (size > PictureMasters::kMaxUnpackedSize)
        throw PParserError("picture masters: unpacked size too large");
    std::vector<std::uint8_t> records;
    LzmaUnpacker unpacker;
    unpacker.setInput(packed.data() + kSizeField,
                      static_cast<std::uint32_t>(packed.size() - kSizeField));
    unpacker.setSink(std::make_unique<VectorUnpackSink>(records, size));
    if (unpacker.run() != 0) throw PParserError("picture masters: the block does not decode");
    return records;
}

}  // namespace

PictureMasters::PictureMasters(std::span<const std::uint8_t> packed) {
    if (packed.empty()) return;
    const std::vector<std::uint8_t> records = Unpack(packed);
    std::size_t at = 0;
    while (at < records.size()) {
        if (records.size() - at < kRecordHeader)
            throw PParserError("picture masters: a record header is cut off");
        const std::uint8_t* header = records.data() + at;
        JpegImage picture{
            static_cast<int>(LoadU16Le(header + 4)), static_cast<int>(LoadU16Le(header + 6)), {}};
        const std::size_t bytes = static_cast<std::size_t>(picture.width) * picture.height * 4;
        at += kRecordHeader;
        if (records.size() - at < bytes)
            throw PParserError("picture masters: a picture runs past the end");
        picture.pixels.assign(records.begin() + static_cast<std::ptrdiff_t>(at),
                              records.begin() + static_cast<std::ptrdiff_t>(at + bytes));
        at += bytes;
        pictures_[static_cast<int>(LoadU32Le(header))] = std::move(picture);
    }
}

const JpegImage* PictureMasters::find(int id) const {
    const auto found = pictures_.find(id);
    return found == pictures_.end() ? nullptr : &found->second;
}
