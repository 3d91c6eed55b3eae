#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// Command lines of the sample client's programs, as the setup program writes them: the
// launcher gets "--o:" + oid, the uninstaller "/u:" + display name and " /o:" + oid.

// The oid of the launcher's command line: the value of its first "--o:" token after the
// program name, or empty. Tokens are separated by blanks; the program name may be quoted.
std::string LauncherOperatorId(std::string_view commandLine);

struct UninstallArguments {
    std::string displayName;  // "/u:", without the operator name
    std::string oid;          // "/o:", may be empty
    // "/c:": set only in the temporary copy, the process id of the original uninstaller, which
    // the copy waits for before it removes the original's file.
    std::optional<std::uint32_t> originalProcess;
};

// Reads "/u:", "/o:" and "/c:" from an uninstaller command line. A switch starts after a blank,
// possibly inside the quote of a quoted token ("/u:A B"); its value runs to the next switch or
// the end, trailing blanks and a closing quote dropped, so a display name may contain blanks.
// Nothing when "/u:" is missing or empty, a switch is given twice, or "/c:" is not a decimal
// number.
std::optional<UninstallArguments> ParseUninstallArguments(std::string_view commandLine);

// The command line of the command processor `commandProcessor` (its full path) that starts the
// temporary copy at `copyPath` to finish the removal, waits for it to end and then removes
// `copyFolder`, the copy's own folder, with what it holds: a running program cannot remove its
// own file, and the processor outlives the copy. The processor runs no AutoRun command and
// expands nothing ("/d", "/v:off"), and every text stands in quotes, which keep "&", "|", "<",
// ">" and "^" literal. Nothing when a text holds a quote or "%", which the processor would still
// read.
std::optional<std::string> ContinuationCommandLine(const std::string& commandProcessor,
                                                   const std::string& copyPath,
                                                   const std::string& copyFolder,
                                                   const UninstallArguments& args,
                                                   std::uint32_t originalProcess);

// The uninstall key below HKEY_LOCAL_MACHINE: the registration's key of that display name and
// oid.
std::string UninstallKeyPath(const UninstallArguments& args);
