#include "server/formfields.h"

namespace {

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::string Decode(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '+') {
            out += ' ';
        } else if (c == '%' && i + 2 < text.size() && HexDigit(text[i + 1]) >= 0 &&
                   HexDigit(text[i + 2]) >= 0) {
            out += static_cast<char>(HexDigit(text[i + 1]) * 16 + HexDigit(text[i + 2]));
            i += 2;
        } else {
            out += c;
        }
    }
    return out;
}

}  // namespace

std::optional<std::string> FormField(std::string_view form, std::string_view name) {
    while (!form.empty()) {
        const std::size_t end = form.find('&');
        const std::string_view pair = form.substr(0, end);
        form = end == std::string_view::npos ? std::string_view() : form.substr(end + 1);
        const std::size_t equals = pair.find('=');
        if (Decode(pair.substr(0, equals)) != name) continue;
        return equals == std::string_view::npos ? std::string() : Decode(pair.substr(equals + 1));
    }
    return std::nullopt;
}

std::string FormEscape(std::string_view text) {
    static const char kDigits[] = "0123456789ABCDEF";
    std::string out;
    for (char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
            c == '-' || c == '.' || c == '_' || c == '~') {
            out += c;
        } else {
            out += '%';
            out += kDigits[byte >> 4];
            out += kDigits[byte & 15];
        }
    }
    return out;
}
