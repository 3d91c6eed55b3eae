#include "installer/core/legacyuninstall.h"

#include "plib/pstringencoding.h"

namespace {

bool IsUtf8Continuation(char byte) {
    return (static_cast<unsigned char>(byte) & 0xC0) == 0x80;
}

// The byte length of the first `count` characters of `text` (all of it when it has fewer): a
// character is a byte, or with `utf8` a lead byte with its continuation bytes.
std::size_t HeadBytes(std::string_view text, std::size_t count, bool utf8) {
    std::size_t bytes = 0;
    for (; count > 0 && bytes < text.size(); --count) {
        ++bytes;
        while (utf8 && bytes < text.size() && IsUtf8Continuation(text[bytes])) ++bytes;
    }
    return bytes;
}

std::size_t CharacterCount(std::string_view text, bool utf8) {
    std::size_t count = 0;
    for (const char byte : text) count += utf8 && IsUtf8Continuation(byte) ? 0 : 1;
    return count;
}

}  // namespace

std::optional<std::string> LegacyUninstallerPath(std::string_view uninstallString,
                                                 std::string_view registryName) {
    // A value read with characters outside Windows-1252 is marked UTF-8: its characters are
    // code points, and the path keeps the marker so that it is read the same way.
    const bool utf8 = uninstallString.starts_with(PStringEncodingPStringX::kUtf8Marker);
    const std::string_view marker = uninstallString.substr(0, utf8 ? 1 : 0);
    const std::string_view text = uninstallString.substr(marker.size());
    if (CharacterCount(text, utf8) < 2) return std::nullopt;
    const std::string_view unquoted = text.substr(HeadBytes(text, 1, utf8));
    // The closing quote and " /u:" are five characters.
    constexpr std::size_t kTailWithoutName = 5;
    const std::size_t characters = CharacterCount(unquoted, utf8);
    if (characters <= registryName.size() + kTailWithoutName) return std::nullopt;
    const std::size_t kept = characters - registryName.size() - kTailWithoutName;
    return std::string(marker) + std::string(unquoted.substr(0, HeadBytes(unquoted, kept, utf8)));
}

std::string LegacyUninstallCommandLine(std::string_view copyPath, std::string_view registryName) {
    std::string commandLine(copyPath);
    commandLine += " /u:";
    commandLine += registryName;
    return commandLine;
}
