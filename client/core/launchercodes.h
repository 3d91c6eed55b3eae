#pragma once

// Exit codes of the sample client's launcher. Callers (tests, the setup program's launch) read
// them: never renumber or reuse one.
inline constexpr int kLauncherShown = 0;           // the window was shown and closed
inline constexpr int kLauncherAlreadyRunning = 1;  // another instance runs; it was brought up
inline constexpr int kLauncherFailed = 2;          // an unexpected error; see the log
