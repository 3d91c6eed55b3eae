#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// Days as the store counts them: UTC days from 1970-01-01.

// "YYYY-MM-DD".
std::string DayText(std::int64_t day);
// The day of a "YYYY-MM-DD" text; nothing for any other text or a date that does not exist.
std::optional<std::int64_t> ParseDay(std::string_view text);
// Today, UTC.
std::int64_t Today();
