#include "server/downloadkeys.h"

#include <openssl/crypto.h>

#include <stdexcept>

#include "crypto/hmacsha256.h"
#include "installer/core/trackinglines.h"
#include "installer/core/trackingvalues.h"
#include "plib/perror.h"
#include "tools/core/hostfile.h"

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
        const DownloadCodeHash hash = HmacSha256(key, parsed->text);
        made |= CRYPTO_memcmp(hash.data(), parsed->hash.data(), hash.size()) == 0;
    }
    if (!made) return {std::nullopt, "forged code: no key made its hash"};
    const std::size_t lines = LineCount(parsed->text);
    if (LineCount(CheckTrackingData(parsed->text).value_or("")) != lines)
        return {std::nullopt,
                "refused code: the value of " + RefusedKey(parsed->text) + " breaks its rule"};
    return {std::move(parsed->text), ""};
}
