#include "server/logins.h"

#include <openssl/crypto.h>
#include <openssl/evp.h>
#include <openssl/hmac.h>
#include <openssl/rand.h>

#include <fstream>
#include <stdexcept>

namespace {

std::string Hex(const unsigned char* bytes, std::size_t size) {
    static const char kDigits[] = "0123456789abcdef";
    std::string text;
    for (std::size_t i = 0; i < size; ++i) {
        text += kDigits[bytes[i] >> 4];
        text += kDigits[bytes[i] & 15];
    }
    return text;
}

std::string Sha256(std::string_view text) {
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int size = 0;
    if (!EVP_Digest(text.data(), text.size(), digest, &size, EVP_sha256(), nullptr))
        throw std::runtime_error("SHA-256 failed");
    return std::string(reinterpret_cast<char*>(digest), size);
}

bool SameBytes(std::string_view a, std::string_view b) {
    return a.size() == b.size() && CRYPTO_memcmp(a.data(), b.data(), a.size()) == 0;
}

std::int64_t NowSeconds() {
    return std::chrono::duration_cast<std::chrono::seconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

}  // namespace

Logins::Logins(std::string_view password, std::chrono::seconds lifetime)
    : enabled_(!password.empty()),
      passwordHash_(Sha256(password)),
      key_(Sha256("zbserve login key\n" + std::string(password))),
      lifetime_(lifetime) {}

std::string Logins::mac(std::string_view text) const {
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int size = 0;
    if (!HMAC(EVP_sha256(), key_.data(), static_cast<int>(key_.size()),
              reinterpret_cast<const unsigned char*>(text.data()), text.size(), digest, &size))
        throw std::runtime_error("HMAC failed");
    return Hex(digest, size);
}

std::optional<std::string> Logins::login(std::string_view password) const {
    // Both sides hashed first: the comparison then takes the same time whatever the lengths.
    if (!enabled_ || !SameBytes(Sha256(password), passwordHash_)) return std::nullopt;
    unsigned char nonce[16];
    if (RAND_bytes(nonce, sizeof nonce) != 1) throw std::runtime_error("no random bytes");
    const std::string text =
        std::to_string(NowSeconds() + lifetime_.count()) + "." + Hex(nonce, sizeof nonce);
    return text + "." + mac(text);
}

bool Logins::valid(std::string_view cookie) const {
    const std::size_t last = cookie.rfind('.');
    if (!enabled_ || last == std::string_view::npos) return false;
    const std::string_view text = cookie.substr(0, last);
    if (!SameBytes(mac(text), cookie.substr(last + 1))) return false;
    // The MAC holds, so the expiry is one this server wrote: digits before the first ".".
    return std::stoll(std::string(text.substr(0, text.find('.')))) > NowSeconds();
}

std::string_view Logins::FromCookieHeader(std::string_view header) {
    while (!header.empty()) {
        const std::size_t end = header.find(';');
        std::string_view pair = header.substr(0, end);
        header = end == std::string_view::npos ? std::string_view() : header.substr(end + 1);
        while (pair.starts_with(' ')) pair.remove_prefix(1);
        if (pair.starts_with(kCookie) && pair.substr(kCookie.size()).starts_with('='))
            return pair.substr(kCookie.size() + 1);
    }
    return {};
}

std::string ReadPassword(const std::string& file, const std::string& text) {
    if (file.empty()) return text;
    std::ifstream in(file);
    std::string line;
    if (!in || !std::getline(in, line))
        throw std::runtime_error("cannot read the password file " + file);
    if (line.ends_with('\r')) line.pop_back();
    return line;
}
