#include "installer/core/trackingtag.h"

#include <algorithm>
#include <cstdint>
#include <optional>

#include "installer/core/littleendian.h"
#include "installer/core/trackingtrailer.h"
#include "plib/perror.h"
#include "protocols/inixor.h"

namespace {

constexpr std::uint32_t kPeSignature = 0x00004550;  // "PE\0\0"
constexpr std::uint32_t kCoffHeaderSize = 20;
constexpr std::uint32_t kSectionHeaderSize = 40;
constexpr std::uint32_t kSecurityDirectory = 4;
constexpr std::uint32_t kCertificateHeaderSize = 8;  // dwLength, wRevision, wCertificateType

[[noreturn]] void Refuse(const char* message) {
    throw PInternalError(message);
}

void StoreU32Le(std::vector<std::uint8_t>& file, std::uint32_t at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) file[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

std::uint32_t AlignUp8(std::uint32_t value) {
    return (value + 7) & ~std::uint32_t{7};
}

std::uint32_t FileSize(std::span<const std::uint8_t> file) {
    return static_cast<std::uint32_t>(file.size());
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

// The length of the DER element at `p` (header included) when it fits in `available` bytes.
std::optional<std::uint32_t> DerLength(const std::uint8_t* p, std::uint32_t available) {
    if (available < 2) return std::nullopt;
    std::uint32_t header = 2, length = p[1];
    if (length & 0x80) {
        const std::uint32_t count = length & 0x7F;
        if (count == 0 || count > 4 || available < 2 + count) return std::nullopt;
        length = 0;
        for (std::uint32_t i = 0; i < count; ++i) length = length << 8 | p[2 + i];
        header += count;
    }
    if (length > available - header) return std::nullopt;
    return header + length;
}

// The file position of the table's last entry. The entries, each padded to 8 bytes, must fill
// the table exactly.
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

// The end of the signature: the DER element that opens the table's last entry.
std::uint32_t SignatureEnd(std::span<const std::uint8_t> file, const PeLayout& layout) {
    const std::uint32_t content = LastCertificateEntry(file, layout) + kCertificateHeaderSize;
    const std::optional<std::uint32_t> length =
        DerLength(file.data() + content, FileSize(file) - content);
    if (!length) Refuse("The certificate table is damaged");
    return content + *length;
}

// The length of the file's tag, 0 when it has none. A footer only counts when the reader would
// give its text back and its trailer lies after everything that is not ours: the section data
// of an unsigned file, the signature of a signed one.
std::uint32_t TagLength(std::span<const std::uint8_t> file, const PeLayout& layout) {
    const std::optional<TrackingFooter> footer = TrackingFooterOf(file);
    if (!footer || !footer->accepted() || footer->distance > file.size() ||
        footer->distance < kTrackingFooterSize ||
        footer->length > footer->distance - kTrackingFooterSize) {
        return 0;
    }
    const std::uint32_t tagStart = FileSize(file) - footer->distance;
    const std::uint32_t ours = layout.signedFile() ? SignatureEnd(file, layout) : layout.imageEnd;
    return tagStart >= ours ? footer->distance : 0;
}

// An image without a checksum stays without one.
void UpdateChecksum(std::vector<std::uint8_t>& file, const PeLayout& layout) {
    if (LoadU32Le(file.data() + layout.checksumField) != 0) {
        StoreU32Le(file, layout.checksumField, PeChecksum(file, layout.checksumField));
    }
}

}  // namespace

std::vector<std::uint8_t> MakeTrackingTrailer(std::string_view text) {
    if (text.find('\0') != std::string_view::npos) {
        Refuse("The tracking text contains a zero byte, where the installer stops reading it");
    }
    if (text.size() > kTrackingMaxDistance - kTrackingFooterSize) {
        Refuse("The tracking text is too long: its tag would exceed 1024 bytes");
    }
    // The limit is a multiple of 8, so the padded length stays within it.
    const std::uint32_t distance =
        AlignUp8(static_cast<std::uint32_t>(text.size()) + kTrackingFooterSize);
    std::vector<std::uint8_t> trailer(text.begin(), text.end());
    IniXorTracking(trailer.data(), trailer.size());
    trailer.resize(distance - kTrackingFooterSize, 0);
    AppendU32Le(trailer, distance);
    AppendU32Le(trailer, static_cast<std::uint32_t>(text.size()));
    AppendU32Le(trailer, kTrackingMarker);
    return trailer;
}

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
        layout.tableOffset = offset;
        layout.tableSize = size;
    }
    return layout;
}

void WriteTrackingTag(std::vector<std::uint8_t>& file, std::string_view text) {
    const std::vector<std::uint8_t> trailer = MakeTrackingTrailer(text);
    // Worked on a copy, so that a refusal leaves the caller's bytes as they were.
    std::vector<std::uint8_t> tagged = file;
    ClearTrackingTag(tagged);
    const PeLayout layout = ReadPeLayout(tagged);
    if (layout.signedFile()) {
        SignatureEnd(tagged, layout);  // refuses a last entry that holds no signature
        const std::uint32_t entry = LastCertificateEntry(tagged, layout);
        const auto grow = static_cast<std::uint32_t>(trailer.size());
        StoreU32Le(tagged, entry, FileSize(tagged) - entry + grow);
        StoreU32Le(tagged, layout.securityEntry + 4, layout.tableSize + grow);
    }
    tagged.insert(tagged.end(), trailer.begin(), trailer.end());
    UpdateChecksum(tagged, layout);
    file.swap(tagged);
}

bool ClearTrackingTag(std::vector<std::uint8_t>& file) {
    const PeLayout layout = ReadPeLayout(file);
    const std::uint32_t length = TagLength(file, layout);
    if (length == 0) return false;
    if (layout.signedFile()) {
        const std::uint32_t entry = LastCertificateEntry(file, layout);
        StoreU32Le(file, entry, FileSize(file) - entry - length);
        StoreU32Le(file, layout.securityEntry + 4, layout.tableSize - length);
    }
    file.resize(file.size() - length);
    UpdateChecksum(file, layout);
    return true;
}

std::uint32_t PeChecksum(std::span<const std::uint8_t> file, std::uint32_t checksumField) {
    const auto byteAt = [&](std::size_t i) -> std::uint32_t {
        const bool inField = i >= checksumField && i - checksumField < 4;
        return i < file.size() && !inField ? file[i] : 0;
    };
    std::uint32_t sum = 0;
    for (std::size_t i = 0; i < file.size(); i += 2) {
        sum += byteAt(i) | byteAt(i + 1) << 8;
        sum = (sum & 0xFFFF) + (sum >> 16);
    }
    return ((sum & 0xFFFF) + (sum >> 16)) + FileSize(file);
}
