#pragma once

#include <cstdint>

// The system's time-zone biases (see plib/psystem.h for the clocks and file-time conversions).

struct PTimeZoneBias {
    std::int32_t biasMinutes = 0;          // UTC minus local standard time
    std::int32_t daylightBiasMinutes = 0;  // added while daylight time is in force
    bool daylightInForce = false;          // at this moment
};

PTimeZoneBias PCurrentTimeZoneBias();

// UTC minus local time now, in seconds: (bias + daylight bias when in force) * 60.
std::int32_t PTimeZoneOffsetSeconds();
