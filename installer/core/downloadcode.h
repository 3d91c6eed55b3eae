#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// A download code: a tracking text and a keyed hash of it (HMAC-SHA-256 over the text's bytes),
// minted by the web front that hands out download links and checked by the server that tags the
// download. Its form, both parts in URL-safe Base64 without padding (RFC 4648, section 5):
//
//   <text>.<hash>
//
// Only the form lives here; each program computes the hash with its platform's crypto.

inline constexpr std::size_t kDownloadCodeHashBytes = 32;
// A longer text would not fit the trailer the installer reads (1024 bytes with its footer).
inline constexpr std::size_t kMaxDownloadCodeText = 1024;
// The longest code: kMaxDownloadCodeText bytes of text, the dot and the hash.
inline constexpr std::size_t kMaxDownloadCodeLength = (kMaxDownloadCodeText * 4 + 2) / 3 + 1 + 43;
// The shortest key a key file may hold.
inline constexpr std::size_t kMinDownloadKeyBytes = 32;

using DownloadCodeHash = std::array<std::uint8_t, kDownloadCodeHashBytes>;

struct DownloadCode {
    std::string text;
    DownloadCodeHash hash{};
};

std::string FormatDownloadCode(std::string_view text, const DownloadCodeHash& hash);

// The parts of `code`, or nothing with `why` saying what is wrong: longer than
// kMaxDownloadCodeLength, not two parts, a part that is not canonical URL-safe Base64 (no
// padding, no other character, unused bits zero), an empty text, or a hash of another length.
// One text and hash have exactly one code.
std::optional<DownloadCode> ParseDownloadCode(std::string_view code, std::string& why);

// The keys of a key file: each non-empty line (LF or CR LF ends it) is one key, its bytes as
// they are; the first one mints, every one is accepted, so that a key can be replaced without
// refusing codes already handed out. Throws PInternalError, with a message for the operator,
// when there is no key or a key is shorter than kMinDownloadKeyBytes.
std::vector<std::string> ReadDownloadKeys(std::string_view fileText);

std::string EncodeBase64Url(std::span<const std::uint8_t> bytes);
// Nothing unless `text` is canonical URL-safe Base64 without padding.
std::optional<std::string> DecodeBase64Url(std::string_view text);
