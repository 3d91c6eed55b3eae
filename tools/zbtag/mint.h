#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The download code (installer/core/downloadcode.h) of `text` with the first key of `keyFile`,
// the contents of a key file. Throws PInternalError, with a message for the user, for a key
// file ReadDownloadKeys refuses and for an empty text or one longer than a code may carry.
std::string MintDownloadCode(const std::vector<std::uint8_t>& keyFile,
                             const std::vector<std::uint8_t>& text);
