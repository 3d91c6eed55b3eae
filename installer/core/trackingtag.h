#pragma once

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

// Stamping a tracking tag (the trailer that ReadTrackingTrailer reads) into an installer file.
// Every refusal throws PInternalError with a message for the user and leaves the file as it was.

// The trailer of `text`: the scrambled text, zero bytes up to a multiple of 8 with the footer,
// then the footer. Refuses a text that the reader would not give back whole: one holding a zero
// byte, or one whose trailer would be longer than the reader accepts.
std::vector<std::uint8_t> MakeTrackingTrailer(std::string_view text);

// Where the parts that a tag touches lie in a PE file.
struct PeLayout {
    std::uint32_t checksumField = 0;  // file position of the optional header's CheckSum
    std::uint32_t securityEntry = 0;  // file position of the security directory entry
    std::uint32_t imageEnd = 0;       // end of the headers and section data
    std::uint32_t tableOffset = 0;    // certificate table; offset and size 0 when unsigned
    std::uint32_t tableSize = 0;

    bool signedFile() const noexcept { return tableOffset != 0 && tableSize != 0; }
};

// Reads the layout of a PE file (32 or 64 bit). Refuses a file that is not one, one too large
// to take a tag, a truncated one, and a certificate table that does not end exactly at the end
// of the file.
PeLayout ReadPeLayout(std::span<const std::uint8_t> file);

// Writes the tag of `text` as the file's tail, replacing an earlier tag. In a signed file the
// tag becomes the end of the last certificate entry (the entry's length and the security
// directory's size grow by the trailer's length, a multiple of 8), which the signature does
// not cover; an unsigned file gets it appended. A non-zero PE checksum is recomputed.
void WriteTrackingTag(std::vector<std::uint8_t>& file, std::string_view text);

// Removes the file's tag; false (and the file unchanged) when it has none. Only a trailer that
// lies after the section data, and in a signed file after the signature itself, is a tag.
bool ClearTrackingTag(std::vector<std::uint8_t>& file);

// The PE image checksum of `file`, the four bytes at `checksumField` counted as zero.
std::uint32_t PeChecksum(std::span<const std::uint8_t> file, std::uint32_t checksumField);
