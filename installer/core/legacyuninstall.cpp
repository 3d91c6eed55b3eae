#include "installer/core/legacyuninstall.h"

std::optional<std::string> LegacyUninstallerPath(std::string_view uninstallString,
                                                 std::string_view registryName) {
    if (uninstallString.size() < 2) return std::nullopt;
    const std::string_view unquoted = uninstallString.substr(1);
    // The closing quote and " /u:" are five characters.
    constexpr std::size_t kTailWithoutName = 5;
    if (unquoted.size() <= registryName.size() + kTailWithoutName) return std::nullopt;
    return std::string(
        unquoted.substr(0, unquoted.size() - registryName.size() - kTailWithoutName));
}

std::string LegacyUninstallCommandLine(std::string_view copyPath, std::string_view registryName) {
    std::string commandLine(copyPath);
    commandLine += " /u:";
    commandLine += registryName;
    return commandLine;
}
