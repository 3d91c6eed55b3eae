#pragma once

#include <cstdint>
#include <span>

// The parts of a PE file that signing and tagging touch: the checksum, the security directory
// entry and the certificate table it points to. Every refusal throws PInternalError with a
// message for the user.

struct PeLayout {
    std::uint32_t checksumField = 0;  // file position of the optional header's CheckSum
    std::uint32_t securityEntry = 0;  // file position of the security directory entry
    std::uint32_t imageEnd = 0;       // end of the headers and section data
    std::uint32_t tableOffset = 0;    // certificate table; offset and size 0 when unsigned
    std::uint32_t tableSize = 0;

    bool signedFile() const noexcept { return tableOffset != 0 && tableSize != 0; }
};

// Reads the layout of a PE file (32 or 64 bit). Refuses a file that is not one, one too large
// to take a tag, a truncated one, and a certificate table that overlaps the image or does not
// end exactly at the end of the file.
PeLayout ReadPeLayout(std::span<const std::uint8_t> file);

// The file position of the certificate table's last entry (WIN_CERTIFICATE: length, revision,
// type, content). Refuses a table whose entries, each padded to 8 bytes, do not fill it exactly.
std::uint32_t LastCertificateEntry(std::span<const std::uint8_t> file, const PeLayout& layout);

// The PE checksum's running sum over `bytes` that lie at file position `at`: the file read as
// little-endian 16-bit words, summed without folding. Sums of disjoint parts add up to the
// sum of the whole, so a changed part costs only its own bytes.
std::uint64_t PeWordSum(std::span<const std::uint8_t> bytes, std::uint64_t at) noexcept;

// The checksum of a file of `size` bytes whose words (its CheckSum field counted as zero) sum
// to `wordSum`.
std::uint32_t PeChecksumOfSum(std::uint64_t wordSum, std::uint64_t size) noexcept;

// The PE image checksum of `file`, the four bytes at `checksumField` counted as zero.
std::uint32_t PeChecksum(std::span<const std::uint8_t> file, std::uint32_t checksumField);
