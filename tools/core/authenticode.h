#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "tools/core/pelayout.h"

// What an Authenticode signature signs of a PE file, read so that a check can recompute it.

struct FileRange {
    std::uint32_t offset = 0;
    std::uint32_t length = 0;
};

// The parts of a signed file (`layout.signedFile()`) that its image digest covers, in file order:
// everything before the certificate table but the CheckSum field and the security directory entry.
std::vector<FileRange> AuthenticodeRanges(const PeLayout& layout);

struct SignedDigest {
    std::string algorithm;  // "sha1", "sha256", "sha384", "sha512"; the OID in hex for others
    std::vector<std::uint8_t> digest;
    bool nested = false;
};

// The image digests that the signature in the certificate entry `entry` signs: its own, then
// those of its nested signatures (Authenticode's dual signing), each signature before the ones
// nested in it. Throws PInternalError when the entry is not DER or not signed data, and when
// signatures nest deeper than any signer makes them.
std::vector<SignedDigest> SignedImageDigests(std::span<const std::uint8_t> entry);
