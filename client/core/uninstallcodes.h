#pragma once

// Exit codes of the sample client's uninstaller. Callers (tests, the system's list of
// programs) read them: never renumber or reuse one.
enum class UninstallExit : int {
    kRemoved = 0,        // everything the installation made is gone
    kCancelled = 1,      // the user said no
    kClientRunning = 2,  // the user gave up while the client ran
    kNotFound = 3,       // no uninstall key for these arguments
    kBadArguments = 4,   // no "/u:" display name
    kIncomplete = 5,     // something could not be removed; key kept
    kFailed = 6,         // an unexpected error; see the log
};

constexpr int ExitValue(UninstallExit code) noexcept {
    return static_cast<int>(code);
}
