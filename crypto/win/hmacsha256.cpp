#include <windows.h>
// bcrypt.h needs the types of windows.h first.
#include <bcrypt.h>

#include <memory>
#include <stdexcept>

#include "crypto/hmacsha256.h"

namespace {

struct HmacHandles {
    BCRYPT_ALG_HANDLE algorithm = nullptr;
    BCRYPT_HASH_HANDLE hash = nullptr;

    ~HmacHandles() {
        if (hash != nullptr) BCryptDestroyHash(hash);
        if (algorithm != nullptr) BCryptCloseAlgorithmProvider(algorithm, 0);
    }
};

}  // namespace

std::array<std::uint8_t, 32> HmacSha256(std::string_view key, std::string_view text) {
    std::array<std::uint8_t, 32> hash{};
    HmacHandles handles;
    auto* keyBytes = reinterpret_cast<PUCHAR>(const_cast<char*>(key.data()));
    auto* textBytes = reinterpret_cast<PUCHAR>(const_cast<char*>(text.data()));
    const bool made =
        BCryptOpenAlgorithmProvider(&handles.algorithm, BCRYPT_SHA256_ALGORITHM, nullptr,
                                    BCRYPT_ALG_HANDLE_HMAC_FLAG) == 0 &&
        BCryptCreateHash(handles.algorithm, &handles.hash, nullptr, 0, keyBytes,
                         static_cast<ULONG>(key.size()), 0) == 0 &&
        BCryptHashData(handles.hash, textBytes, static_cast<ULONG>(text.size()), 0) == 0 &&
        BCryptFinishHash(handles.hash, hash.data(), static_cast<ULONG>(hash.size()), 0) == 0;
    if (!made) throw std::runtime_error("HMAC-SHA-256 failed");
    return hash;
}
