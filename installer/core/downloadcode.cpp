#include "installer/core/downloadcode.h"

#include <algorithm>

#include "installer/core/trackinglines.h"
#include "plib/perror.h"

namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-_";

int DigitValue(char c) {
    if (c >= 'A' && c <= 'Z') return c - 'A';
    if (c >= 'a' && c <= 'z') return c - 'a' + 26;
    if (c >= '0' && c <= '9') return c - '0' + 52;
    if (c == '-') return 62;
    if (c == '_') return 63;
    return -1;
}

}  // namespace

std::string EncodeBase64Url(std::span<const std::uint8_t> bytes) {
    std::string text;
    text.reserve((bytes.size() * 4 + 2) / 3);
    std::uint32_t bits = 0;
    int count = 0;
    for (std::uint8_t byte : bytes) {
        bits = (bits << 8) | byte;
        count += 8;
        while (count >= 6) {
            count -= 6;
            text += kAlphabet[(bits >> count) & 63];
        }
    }
    if (count > 0) text += kAlphabet[(bits << (6 - count)) & 63];
    return text;
}

std::optional<std::string> DecodeBase64Url(std::string_view text) {
    if (text.size() % 4 == 1) return std::nullopt;
    std::string bytes;
    bytes.reserve(text.size() * 3 / 4);
    std::uint32_t bits = 0;
    int count = 0;
    for (char c : text) {
        const int value = DigitValue(c);
        if (value < 0) return std::nullopt;
        bits = (bits << 6) | static_cast<std::uint32_t>(value);
        count += 6;
        if (count >= 8) {
            count -= 8;
            bytes += static_cast<char>((bits >> count) & 0xFF);
        }
    }
    // The bits left over are padding; any set one means a second spelling of the same bytes.
    if ((bits & ((1u << count) - 1)) != 0) return std::nullopt;
    return bytes;
}

std::string FormatDownloadCode(std::string_view text, const DownloadCodeHash& hash) {
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.data());
    return EncodeBase64Url({bytes, text.size()}) + "." + EncodeBase64Url(hash);
}

std::optional<DownloadCode> ParseDownloadCode(std::string_view code, std::string& why) {
    if (code.size() > kMaxDownloadCodeLength) {
        why = "code longer than " + std::to_string(kMaxDownloadCodeLength) + " characters";
        return std::nullopt;
    }
    const std::size_t dot = code.find('.');
    if (dot == std::string_view::npos) {
        why = "code without a dot between text and hash";
        return std::nullopt;
    }
    const std::optional<std::string> text = DecodeBase64Url(code.substr(0, dot));
    const std::optional<std::string> hash = DecodeBase64Url(code.substr(dot + 1));
    if (!text || !hash) {
        why = "code is not URL-safe Base64";
        return std::nullopt;
    }
    if (text->empty() || text->size() > kMaxDownloadCodeText) {
        why = "code text empty or longer than " + std::to_string(kMaxDownloadCodeText) + " bytes";
        return std::nullopt;
    }
    if (hash->size() != kDownloadCodeHashBytes) {
        why = "code hash is not " + std::to_string(kDownloadCodeHashBytes) + " bytes";
        return std::nullopt;
    }
    DownloadCode parsed{.text = *text};
    std::copy(hash->begin(), hash->end(), parsed.hash.begin());
    return parsed;
}

std::vector<std::string> ReadDownloadKeys(std::string_view fileText) {
    std::vector<std::string> keys;
    ForEachTrackingLine(fileText, [&keys](std::string_view line) { keys.emplace_back(line); });
    if (keys.empty()) throw PInternalError("the key file holds no key");
    for (const std::string& key : keys) {
        if (key.size() < kMinDownloadKeyBytes) {
            throw PInternalError(("a key of the key file is shorter than " +
                                  std::to_string(kMinDownloadKeyBytes) + " bytes")
                                     .c_str());
        }
    }
    return keys;
}
