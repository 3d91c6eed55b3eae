#include "tools/zbtag/imagedigest.h"

#include <openssl/evp.h>

#include <memory>
#include <string>

std::optional<std::vector<std::uint8_t>> ImageDigest(std::string_view algorithm,
                                                     std::span<const std::uint8_t> file,
                                                     const std::vector<FileRange>& ranges) {
    const EVP_MD* md = EVP_get_digestbyname(std::string(algorithm).c_str());
    if (md == nullptr) return std::nullopt;
    const std::unique_ptr<EVP_MD_CTX, decltype(&EVP_MD_CTX_free)> context(EVP_MD_CTX_new(),
                                                                          EVP_MD_CTX_free);
    std::vector<std::uint8_t> digest(EVP_MAX_MD_SIZE);
    unsigned int size = 0;
    bool hashed = context && EVP_DigestInit_ex(context.get(), md, nullptr) == 1;
    for (const FileRange& range : ranges) {
        hashed = hashed &&
                 EVP_DigestUpdate(context.get(), file.data() + range.offset, range.length) == 1;
    }
    if (!hashed || EVP_DigestFinal_ex(context.get(), digest.data(), &size) != 1) {
        return std::nullopt;
    }
    digest.resize(size);
    return digest;
}
