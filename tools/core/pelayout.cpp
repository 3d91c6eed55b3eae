#include "tools/core/pelayout.h"

#include <algorithm>

#include "installer/core/littleendian.h"
#include "installer/core/trackingtrailer.h"
#include "plib/perror.h"

namespace {

constexpr std::uint32_t kPeSignature = 0x00004550;  // "PE\0\0"
constexpr std::uint32_t kCoffHeaderSize = 20;
constexpr std::uint32_t kSectionHeaderSize = 40;
constexpr std::uint32_t kSecurityDirectory = 4;
constexpr std::uint32_t kCertificateHeaderSize = 8;  // dwLength, wRevision, wCertificateType

[[noreturn]] void Refuse(const char* message) {
    throw PInternalError(message);
}

std::uint32_t AlignUp8(std::uint32_t value) {
    return (value + 7) & ~std::uint32_t{7};
}

// The end of the section data: the furthest of the section table's end, SizeOfHeaders and
// every section's raw data.
std::uint64_t ImageEnd(std::span<const std::uint8_t> file, std::uint32_t optional,
                       std::uint64_t sectionTable, std::uint32_t sectionCount) {
    std::uint64_t end = sectionTable + std::uint64_t{sectionCount} * kSectionHeaderSize;
    if (end > file.size()) Refuse("Not a PE file");
    end = std::max<std::uint64_t>(end, LoadU32Le(file.data() + optional + 60));
    for (std::uint32_t i = 0; i < sectionCount; ++i) {
        const std::uint8_t* section = file.data() + sectionTable + i * kSectionHeaderSize;
        const std::uint32_t rawSize = LoadU32Le(section + 16);
        if (rawSize != 0) end = std::max(end, std::uint64_t{LoadU32Le(section + 20)} + rawSize);
    }
    return end;
}

}  // namespace

PeLayout ReadPeLayout(std::span<const std::uint8_t> file) {
    if (file.size() > UINT32_MAX - kTrackingMaxDistance) {
        Refuse("The file is too large to take a tracking tag");
    }
    if (file.size() < 0x40 || file[0] != 'M' || file[1] != 'Z') Refuse("Not a PE file");
    const std::uint32_t pe = LoadU32Le(file.data() + 0x3C);
    if (pe > file.size() - 4 - kCoffHeaderSize || LoadU32Le(file.data() + pe) != kPeSignature) {
        Refuse("Not a PE file");
    }
    const std::uint8_t* coff = file.data() + pe + 4;
    const std::uint32_t optional = pe + 4 + kCoffHeaderSize;
    const std::uint32_t optionalSize = LoadU16Le(coff + 16);
    if (optionalSize < 2 || optionalSize > file.size() - optional) Refuse("Not a PE file");
    const std::uint32_t magic = LoadU16Le(file.data() + optional);
    if (magic != 0x10B && magic != 0x20B) Refuse("Not a PE file");
    const std::uint32_t countField = optional + (magic == 0x10B ? 92 : 108);
    const std::uint32_t securityEntry = countField + 4 + kSecurityDirectory * 8;
    if (securityEntry + 8 > optional + optionalSize ||
        LoadU32Le(file.data() + countField) <= kSecurityDirectory) {
        Refuse("Not a PE file");
    }

    PeLayout layout;
    layout.checksumField = optional + 64;
    layout.securityEntry = securityEntry;
    const std::uint64_t imageEnd =
        ImageEnd(file, optional, std::uint64_t{optional} + optionalSize, LoadU16Le(coff + 2));
    if (imageEnd > file.size()) Refuse("The file is shorter than its sections: it is truncated");
    layout.imageEnd = static_cast<std::uint32_t>(imageEnd);
    const std::uint32_t offset = LoadU32Le(file.data() + securityEntry);
    const std::uint32_t size = LoadU32Le(file.data() + securityEntry + 4);
    if (offset != 0 && size != 0) {
        if (std::uint64_t{offset} + size != file.size()) {
            Refuse("The certificate table is not the end of the file");
        }
        // The tag rewrites the table; a table over the headers or sections would let it
        // rewrite the image too.
        if (offset < layout.imageEnd) Refuse("The certificate table overlaps the image");
        layout.tableOffset = offset;
        layout.tableSize = size;
    }
    return layout;
}

std::uint32_t LastCertificateEntry(std::span<const std::uint8_t> file, const PeLayout& layout) {
    const std::uint32_t end = layout.tableOffset + layout.tableSize;
    std::uint32_t at = layout.tableOffset;
    for (;;) {
        if (end - at < kCertificateHeaderSize) Refuse("The certificate table is damaged");
        const std::uint32_t length = LoadU32Le(file.data() + at);
        if (length < kCertificateHeaderSize || length > end - at) {
            Refuse("The certificate table is damaged");
        }
        const std::uint32_t next = at + AlignUp8(length);
        if (next == end) return at;
        if (next > end) Refuse("The certificate table's size is not a multiple of 8");
        at = next;
    }
}

std::uint64_t PeWordSum(std::span<const std::uint8_t> bytes, std::uint64_t at) noexcept {
    std::uint64_t sum = 0;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        sum += std::uint64_t{bytes[i]} << ((at + i) % 2 * 8);
    }
    return sum;
}

std::uint32_t PeChecksumOfSum(std::uint64_t wordSum, std::uint64_t size) noexcept {
    // Folding after every word, as the checksum is defined, keeps the sum in 1..0xFFFF once
    // any word was non-zero: the sum's remainder modulo 0xFFFF, with 0xFFFF for none.
    const std::uint64_t folded = wordSum == 0 ? 0 : (wordSum - 1) % 0xFFFF + 1;
    return static_cast<std::uint32_t>(folded + size);
}

std::uint32_t PeChecksum(std::span<const std::uint8_t> file, std::uint32_t checksumField) {
    const std::span<const std::uint8_t> field =
        checksumField < file.size()
            ? file.subspan(checksumField)
                  .first(std::min<std::size_t>(4, file.size() - checksumField))
            : std::span<const std::uint8_t>();
    return PeChecksumOfSum(PeWordSum(file, 0) - PeWordSum(field, checksumField), file.size());
}
