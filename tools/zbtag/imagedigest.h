#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "tools/core/authenticode.h"

// The digest of `ranges` of `file`, hashed one after the other, with the algorithm named
// "sha1", "sha256", "sha384" or "sha512"; nothing for another name. Each platform's own
// cryptographic library computes it.
std::optional<std::vector<std::uint8_t>> ImageDigest(std::string_view algorithm,
                                                     std::span<const std::uint8_t> file,
                                                     const std::vector<FileRange>& ranges);
