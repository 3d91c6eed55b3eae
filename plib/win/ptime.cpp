#include "plib/win/ptime.h"

#include <windows.h>

PTimeZoneBias PCurrentTimeZoneBias() {
    TIME_ZONE_INFORMATION zone{};
    const DWORD state = GetTimeZoneInformation(&zone);
    PTimeZoneBias bias;
    bias.biasMinutes = zone.Bias;
    bias.daylightBiasMinutes = zone.DaylightBias;
    bias.daylightInForce = state == TIME_ZONE_ID_DAYLIGHT;
    return bias;
}

std::int32_t PTimeZoneOffsetSeconds() {
    const PTimeZoneBias bias = PCurrentTimeZoneBias();
    return (bias.biasMinutes + (bias.daylightInForce ? bias.daylightBiasMinutes : 0)) * 60;
}
