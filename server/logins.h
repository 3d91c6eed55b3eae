#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// Dashboard logins. A login is a cookie "<expiry>.<nonce>.<mac>": the MAC (HMAC-SHA-256) of
// expiry and nonce under a key made from the password. It holds no state, so every replica
// that has the same password accepts it and a restart keeps it; a new password ends them all.
class Logins {
  public:
    // `password` empty: nobody can log in. `lifetime`: how long a login lasts.
    Logins(std::string_view password, std::chrono::seconds lifetime);

    bool enabled() const { return enabled_; }

    // A new login's cookie value when `password` is the one (compared in constant time).
    std::optional<std::string> login(std::string_view password) const;

    // Whether `cookie` is a login made with this password that has not expired.
    bool valid(std::string_view cookie) const;

    // The value of the cookie named kCookie in a Cookie header, or "".
    static std::string_view FromCookieHeader(std::string_view header);
    static constexpr std::string_view kCookie = "zbserve_login";

  private:
    std::string mac(std::string_view text) const;

    bool enabled_;
    std::string passwordHash_;
    std::string key_;
    std::chrono::seconds lifetime_;
};

// The password an operator gave: the first line of `file` when it names one, else `text`.
// Throws std::runtime_error when the file cannot be read.
std::string ReadPassword(const std::string& file, const std::string& text);
