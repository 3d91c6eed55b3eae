#pragma once

#include <cstdint>

// Codes the install worker posts to the window with WM_INSTALL_PROGRESS (first message
// parameter; the second is 0 except for kInstallFailedWithText). 0 to 100 is a percentage of
// files started. These values are read by the window: never renumber or reuse one.
inline constexpr std::uint32_t kWmInstallProgress = 0x0400 + 100;  // WM_USER + 100

inline constexpr std::int32_t kInstallComplete = 1000;
inline constexpr std::int32_t kInstallGeneralError = -1;
inline constexpr std::int32_t kInstallStopped = -2;
inline constexpr std::int32_t kInstallArchiveError = -3;
inline constexpr std::int32_t kInstallRegistryError = -4;
// The second parameter points to a heap PString with the message; the receiver frees it.
inline constexpr std::int32_t kInstallFailedWithText = -5;

// Control word of the worker, written by the window and polled at the worker's cancel points.
inline constexpr std::int32_t kWorkerRun = 0;
inline constexpr std::int32_t kWorkerPause = 1;
inline constexpr std::int32_t kWorkerStop = 2;

// Process exit codes of the setup program: the value of the first quit message. Callers (tests,
// whoever started the program) read them: never renumber or reuse one.
enum class InstallExit : int {
    kOk = 0,              // launched, or no message table
    kOsTooOld = 1,        // older than Vista or the build's minimum
    kUserQuit = -1,       // quit confirmed, or closed after completion
    kRunningClient = 18,  // window destroyed before any other quit
    kStartupFailed = 2,   // an exception ended the program (see the log)
};

constexpr int ExitValue(InstallExit code) noexcept {
    return static_cast<int>(code);
}
