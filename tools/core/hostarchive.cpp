#include "tools/core/hostarchive.h"

#include <algorithm>
#include <limits>

#include "installer/core/littleendian.h"
#include "plib/perror.h"

namespace {

// Up to the data block's properties header: u32 table size, u32 total, u32 P, P bytes of
// table block, u32 Q, then the 5-byte properties of the data block.
constexpr std::uint32_t kFieldsBeforeTable = 12;
constexpr std::uint32_t kFieldsAfterTable = 4 + 5;

}  // namespace

HostArchive::HostArchive(const char* path)
    : path_(path), file_(path, std::ios::binary | std::ios::ate) {
    const std::streamoff size = file_ ? static_cast<std::streamoff>(file_.tellg()) : -1;
    if (size < 0 || size > std::numeric_limits<std::uint32_t>::max())
        throw PInternalError(("cannot read " + path_).c_str());
    size_ = static_cast<std::uint32_t>(size);
    fields_.reset(new std::uint8_t[size_ == 0 ? 1 : size_]);
    std::uint32_t fields = std::min(size_, kFieldsBeforeTable);
    if (!read(0, fields_.get(), fields)) throw PInternalError(("cannot read " + path_).c_str());
    if (fields == kFieldsBeforeTable) {
        const std::uint64_t end =
            std::uint64_t{fields} + LoadU32Le(fields_.get() + 8) + kFieldsAfterTable;
        const auto more = static_cast<std::uint32_t>(std::min<std::uint64_t>(end, size_)) - fields;
        if (!read(fields, fields_.get() + fields, more))
            throw PInternalError(("cannot read " + path_).c_str());
    }
}

bool HostArchive::read(std::uint32_t offset, std::uint8_t* into, std::uint32_t count) {
    file_.clear();
    file_.seekg(offset);
    return static_cast<bool>(file_.read(reinterpret_cast<char*>(into), count));
}

bool HostArchive::extract(const PString& installFolder, ExtractTarget& target) {
    return ExtractPayload(
        fields_.get(), size_, installFolder, target, [](const char*) {},
        [this](std::uint32_t offset, std::uint8_t* into, std::uint32_t count) {
            return read(offset, into, count);
        });
}
