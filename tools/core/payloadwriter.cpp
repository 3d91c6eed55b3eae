#include "tools/core/payloadwriter.h"

#include <algorithm>
#include <limits>

#include "installer/core/littleendian.h"
#include "installer/core/payloadarchive.h"
#include "plib/perror.h"

namespace {

void PutBlock(std::vector<std::uint8_t>& out, const std::vector<std::uint8_t>& block) {
    AppendU32Le(out, static_cast<std::uint32_t>(block.size()));
    out.insert(out.end(), block.begin(), block.end());
}

}  // namespace

void PayloadWriter::beginFile(std::string relativePath) {
    if (!IsSafeRelativePath(relativePath) || relativePath.size() > 0xFFFF) {
        throw PInternalError(("PayloadWriter: unusable file name: " + relativePath).c_str());
    }
    entries_.push_back({std::move(relativePath), static_cast<std::uint32_t>(data_.unpackedSize())});
}

void PayloadWriter::addData(const std::uint8_t* data, std::size_t size) {
    if (entries_.empty()) throw PInternalError("PayloadWriter: data before the first file");
    if (data_.unpackedSize() + size > std::numeric_limits<std::uint32_t>::max()) {
        throw PInternalError("PayloadWriter: more than 4 GiB of file data");
    }
    data_.add(data, size);
}

std::vector<std::uint8_t> PayloadWriter::finish() {
    if (entries_.empty()) throw PInternalError("PayloadWriter: no files");
    const auto total = static_cast<std::uint32_t>(data_.unpackedSize());
    std::vector<std::uint32_t> sizes(entries_.size());
    for (std::size_t i = 0; i < entries_.size(); ++i) {
        const std::uint32_t end = i + 1 == entries_.size() ? total : entries_[i + 1].start;
        sizes[i] = end - entries_[i].start;
    }
    // An empty first file would start the offset list with its end marker: the first file
    // with data goes first, and the empty ones before it follow it.
    const auto first = std::find_if(sizes.begin(), sizes.end(), [](std::uint32_t n) { return n; });
    if (first == sizes.end() && sizes.size() > 1) {
        throw PInternalError("PayloadWriter: several files, all empty");
    }
    if (first != sizes.end()) {
        const auto i = first - sizes.begin();
        std::rotate(sizes.begin(), first, first + 1);
        std::rotate(entries_.begin(), entries_.begin() + i, entries_.begin() + i + 1);
    }

    std::vector<std::uint8_t> table;
    std::uint32_t start = 0;
    for (std::uint32_t size : sizes) {
        AppendU32Le(table, start);
        start += size;
    }
    AppendU32Le(table, 0);
    for (const Entry& e : entries_) {
        AppendU16Le(table, static_cast<std::uint32_t>(e.relativePath.size()));
        table.insert(table.end(), e.relativePath.begin(), e.relativePath.end());
    }
    AppendU16Le(table, 0);

    LzmaPacker tablePacker;
    tablePacker.add(table.data(), table.size());
    std::vector<std::uint8_t> out;
    AppendU32Le(out, static_cast<std::uint32_t>(table.size()));
    AppendU32Le(out, total);
    PutBlock(out, tablePacker.finish());
    PutBlock(out, data_.finish());
    return out;
}
