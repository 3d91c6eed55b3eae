#include <windows.h>
// bcrypt.h needs the types of windows.h first.
#include <bcrypt.h>

#include <memory>

#include "tools/zbtag/imagedigest.h"

namespace {

struct AlgorithmName {
    std::string_view name;
    const wchar_t* id;
};
constexpr AlgorithmName kAlgorithms[] = {{"sha1", BCRYPT_SHA1_ALGORITHM},
                                         {"sha256", BCRYPT_SHA256_ALGORITHM},
                                         {"sha384", BCRYPT_SHA384_ALGORITHM},
                                         {"sha512", BCRYPT_SHA512_ALGORITHM}};

struct CloseProvider {
    void operator()(BCRYPT_ALG_HANDLE provider) const { BCryptCloseAlgorithmProvider(provider, 0); }
};
struct DestroyHash {
    void operator()(BCRYPT_HASH_HANDLE hash) const { BCryptDestroyHash(hash); }
};

}  // namespace

std::optional<std::vector<std::uint8_t>> ImageDigest(std::string_view algorithm,
                                                     std::span<const std::uint8_t> file,
                                                     const std::vector<FileRange>& ranges) {
    const wchar_t* id = nullptr;
    for (const AlgorithmName& known : kAlgorithms) {
        if (known.name == algorithm) id = known.id;
    }
    BCRYPT_ALG_HANDLE rawProvider = nullptr;
    if (id == nullptr || BCryptOpenAlgorithmProvider(&rawProvider, id, nullptr, 0) != 0) {
        return std::nullopt;
    }
    const std::unique_ptr<void, CloseProvider> provider(rawProvider);
    DWORD size = 0, written = 0;
    BCRYPT_HASH_HANDLE rawHash = nullptr;
    if (BCryptGetProperty(rawProvider, BCRYPT_HASH_LENGTH, reinterpret_cast<PUCHAR>(&size),
                          sizeof size, &written, 0) != 0 ||
        BCryptCreateHash(rawProvider, &rawHash, nullptr, 0, nullptr, 0, 0) != 0) {
        return std::nullopt;
    }
    const std::unique_ptr<void, DestroyHash> hash(rawHash);
    for (const FileRange& range : ranges) {
        if (BCryptHashData(rawHash, const_cast<PUCHAR>(file.data() + range.offset), range.length,
                           0) != 0) {
            return std::nullopt;
        }
    }
    std::vector<std::uint8_t> digest(size);
    if (BCryptFinishHash(rawHash, digest.data(), size, 0) != 0) return std::nullopt;
    return digest;
}
