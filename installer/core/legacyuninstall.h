#pragma once

#include <optional>
#include <string>
#include <string_view>

// The uninstaller of a legacy edition, taken from its "UninstallString" value, which has the
// form: a double quote, the uninstaller's full path, a double quote, " /u:", `registryName`.
// The first character is dropped and as many characters as the closing quote, " /u:" and the
// registry name take are cut from the end, whatever they hold. A value marked UTF-8 counts its
// characters as code points and gives a path marked the same way. Nothing when the value is
// shorter than two characters or nothing would be left.
std::optional<std::string> LegacyUninstallerPath(std::string_view uninstallString,
                                                 std::string_view registryName);

// The name of the copy an old uninstaller runs from, in a folder of its own that only
// administrators may open.
inline constexpr std::string_view kLegacyUninstallerCopyName = "_unps.exe";

// The command line of the copy at `copyPath`: the path (unquoted), " /u:" and the registry name.
std::string LegacyUninstallCommandLine(std::string_view copyPath, std::string_view registryName);
