#include "crypto/hmacsha256.h"

#include <openssl/evp.h>
#include <openssl/hmac.h>

#include <stdexcept>

std::array<std::uint8_t, 32> HmacSha256(std::string_view key, std::string_view text) {
    std::array<std::uint8_t, 32> hash{};
    unsigned int size = 0;
    const unsigned char* made =
        HMAC(EVP_sha256(), key.data(), static_cast<int>(key.size()),
             reinterpret_cast<const unsigned char*>(text.data()), text.size(), hash.data(), &size);
    if (made == nullptr || size != hash.size()) throw std::runtime_error("HMAC-SHA-256 failed");
    return hash;
}
