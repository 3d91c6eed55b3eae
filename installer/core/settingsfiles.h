#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// Contents of the settings files the installation leaves beside the client.

// tinfo.dat before scrambling: the stored tracking text (it ends with a line feed), then
// "ITS=" + `unixSeconds` and "IZ=" + `utcOffsetSeconds`, each ending with a line feed.
std::string TInfoPlainText(std::string_view trackingText, std::uint32_t unixSeconds,
                           std::int32_t utcOffsetSeconds);

// Local offset from UTC in seconds, east positive, from the system's time-zone biases in
// minutes (UTC minus local): -60 * (bias + daylight bias while daylight time is in force).
std::int32_t UtcOffsetSeconds(std::int32_t biasMinutes, std::int32_t daylightBiasMinutes,
                              bool daylightInForce);
