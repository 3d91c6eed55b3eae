#include "server/downloadkeys.h"

#include <openssl/crypto.h>
#include <openssl/evp.h>
#include <openssl/hmac.h>

#include <stdexcept>

#include "installer/core/hostfile.h"
#include "installer/core/trackinglines.h"
#include "installer/core/trackingvalues.h"
#include "plib/perror.h"

namespace {

std::size_t LineCount(std::string_view text) {
    std::size_t count = 0;
    ForEachTrackingLine(text, [&count](std::string_view) { ++count; });
    return count;
}

// The key of the first line the installer's checks refuse, for the log: a refused value is
// never logged, its key at most 32 bytes of.
std::string RefusedKey(std::string_view text) {
    std::string key;
    ForEachTrackingLine(text, [&key](std::string_view line) {
        if (key.empty() && LineCount(CheckTrackingData(std::string(line)).value_or("")) == 0)
            key = line.substr(0, std::min<std::size_t>(line.find('='), 32));
    });
    return key;
}

}  // namespace

DownloadCodeHash KeyedHash(std::string_view key, std::string_view text) {
    DownloadCodeHash hash{};
    unsigned int size = 0;
    const unsigned char* made =
        HMAC(EVP_sha256(), key.data(), static_cast<int>(key.size()),
             reinterpret_cast<const unsigned char*>(text.data()), text.size(), hash.data(), &size);
    if (made == nullptr || size != hash.size()) throw std::runtime_error("HMAC-SHA-256 failed");
    return hash;
}

DownloadKeys::DownloadKeys(std::vector<std::string> keys) : keys_(std::move(keys)) {}

DownloadKeys DownloadKeys::FromFile(const std::string& path) {
    try {
        const std::vector<std::uint8_t> bytes = ReadHostFile(path.c_str());
        return DownloadKeys(
            ReadDownloadKeys({reinterpret_cast<const char*>(bytes.data()), bytes.size()}));
    } catch (const PError& error) {
        throw std::runtime_error("--key-file " + path + ": " + error.why());
    }
}

CodeVerdict DownloadKeys::check(std::string_view code) const {
    if (code.empty()) return {std::nullopt, "no code"};
    std::string why;
    std::optional<DownloadCode> parsed = ParseDownloadCode(code, why);
    if (!parsed) return {std::nullopt, "malformed code: " + why};
    bool made = false;
    for (const std::string& key : keys_) {
        const DownloadCodeHash hash = KeyedHash(key, parsed->text);
        made |= CRYPTO_memcmp(hash.data(), parsed->hash.data(), hash.size()) == 0;
    }
    if (!made) return {std::nullopt, "forged code: no key made its hash"};
    const std::size_t lines = LineCount(parsed->text);
    if (LineCount(CheckTrackingData(parsed->text).value_or("")) != lines)
        return {std::nullopt,
                "refused code: the value of " + RefusedKey(parsed->text) + " breaks its rule"};
    return {std::move(parsed->text), ""};
}
