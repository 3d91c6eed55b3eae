#pragma once

// Exit codes of the sample client's uninstaller. Callers (tests, the system's list of
// programs) read them: never renumber or reuse one.
inline constexpr int kUninstallRemoved = 0;        // everything the installation made is gone
inline constexpr int kUninstallCancelled = 1;      // the user said no
inline constexpr int kUninstallClientRunning = 2;  // the user gave up while the client ran
inline constexpr int kUninstallNotFound = 3;       // no uninstall key for these arguments
inline constexpr int kUninstallBadArguments = 4;   // no "/u:" display name
inline constexpr int kUninstallIncomplete = 5;     // something could not be removed; key kept
inline constexpr int kUninstallFailed = 6;         // an unexpected error; see the log
