#pragma once

#include <array>
#include <cstdint>
#include <string_view>

// HMAC-SHA-256 of `text` with `key`, from the platform's cryptographic library (OpenSSL on the
// build machine and the server, CNG on Windows). Throws std::runtime_error when it fails.
std::array<std::uint8_t, 32> HmacSha256(std::string_view key, std::string_view text);
