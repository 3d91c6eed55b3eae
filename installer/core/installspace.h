#pragma once

#include <cstdint>
#include <string_view>

#include "installer/core/messagekeys.h"
#include "plib/pstring.h"

class MessageTable;

// Room kept beyond the archive's files for what the installation writes besides them (settings
// files, Install.log, shortcuts).
inline constexpr std::uint64_t kInstallSpareSpace = 5u << 20;

// The space an installation is said to need, from the archive's bytes at the drive's cluster
// size: rounded down to whole MiB, plus kInstallSpareSpace. 64-bit throughout, so that it never
// wraps.
std::uint64_t ShownRequiredSpace(std::uint64_t rawRequired) noexcept;

// A byte count as a space label shows it: below 1 MiB the exact count in TXTINS_Bytes, up to
// 1024 MiB (inclusive) whole MiB in TXTINS_MB, above that whole GiB in TXTINS_GB; always
// truncated.
struct SpaceAmount {
    std::int64_t amount;
    MessageKey unit;
};
SpaceAmount SpaceAmountOf(std::uint64_t bytes) noexcept;

// The text of one space label: `key` (TXTINS_Space_requiredX_N0_N1 or
// TXTINS_Space_availableX_N0_N1) in `language` with %0 the amount and %1 the unit's text.
PString SpaceLabelText(const MessageTable& table, MessageKey key, std::uint64_t bytes,
                       int language);

// The install folder made from a folder picked in the browser: `picked` unchanged when it
// contains `brand` anywhere (ASCII letters without regard to case), else `picked`, a "\" unless
// it already ends with one, and `name`. Texts in the program's mixed encoding; the result is
// marked UTF-8 when either part needs it.
PString InstallFolderForPick(const PString& picked, std::string_view brand, std::string_view name);
