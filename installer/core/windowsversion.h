#pragma once

#include <cstdint>
#include <optional>

#include "installer/core/messagekeys.h"

// The Windows version as GetVersionExA reports it.
struct WindowsVersion {
    std::uint32_t major = 0;
    std::uint32_t minor = 0;
    std::uint32_t build = 0;
    std::uint32_t platformId = 0;  // 0 Win32s, 1 Windows 9x, 2 NT
};

constexpr std::uint32_t kPlatformWin32Nt = 2;

// Where the version questions are answered: the system in the program, a fixed answer in tests.
class VersionSource {
  public:
    virtual ~VersionSource() = default;
    // GetVersionExA's answer; none when the call fails.
    virtual std::optional<WindowsVersion> versionEx() const = 0;
    // GetVersion's word: major version in the low byte, minor in the next, top bit set on the
    // Windows 9x family.
    virtual std::uint32_t versionWord() const = 0;
};

// Windows 9x, or a major version below 5.
bool IsLegacyWindows(std::uint32_t versionWord) noexcept;
// NT with a major version above 5; false when the version is unknown.
bool IsVistaOrLater(const std::optional<WindowsVersion>& version) noexcept;

// Whether start-up may go on, and the text to show when it may not.
struct VersionDecision {
    bool proceed = true;
    MessageKey message = TXTINS_EMPTY_STUB;
};

// Stops on Win32s, Windows 9x and NT before 6, with TXTINS_Support_for_your_operating_sys_ELL_1.
// An unknown version does not stop.
VersionDecision CheckPreVista(const std::optional<WindowsVersion>& version) noexcept;

// Stops on Win32s and Windows 9x, and on NT with a major version below `minOsVersion`, with
// TXTINS_Your_operating_system_needs_to_ELL (its %0 is the build's minOsVersionName). A minimum
// of 0 (or below) and an unknown version do not stop.
VersionDecision CheckMinimumVersion(const std::optional<WindowsVersion>& version,
                                    std::int32_t minOsVersion) noexcept;
