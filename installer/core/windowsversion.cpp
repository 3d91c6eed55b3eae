#include "installer/core/windowsversion.h"

bool IsLegacyWindows(std::uint32_t versionWord) noexcept {
    return (versionWord & 0x80000000u) != 0 || (versionWord & 0xFFu) < 5;
}

bool IsVistaOrLater(const std::optional<WindowsVersion>& version) noexcept {
    return version && version->platformId == kPlatformWin32Nt && version->major > 5;
}

VersionDecision CheckPreVista(const std::optional<WindowsVersion>& version) noexcept {
    if (!version) {
        return {};
    }
    if (version->platformId < kPlatformWin32Nt ||
        (version->platformId == kPlatformWin32Nt && version->major < 6)) {
        return {false, TXTINS_Support_for_your_operating_sys_ELL_1};
    }
    return {};
}

VersionDecision CheckMinimumVersion(const std::optional<WindowsVersion>& version,
                                    std::int32_t minOsVersion) noexcept {
    if (minOsVersion <= 0 || !version) {
        return {};
    }
    if (version->platformId < kPlatformWin32Nt ||
        (version->platformId == kPlatformWin32Nt &&
         version->major < static_cast<std::uint32_t>(minOsVersion))) {
        return {false, TXTINS_Your_operating_system_needs_to_ELL};
    }
    return {};
}
