#include "installer/core/settingsfiles.h"

std::string TInfoPlainText(std::string_view trackingText, std::uint32_t unixSeconds,
                           std::int32_t utcOffsetSeconds) {
  std::string text(trackingText);
  text += "ITS=" + std::to_string(unixSeconds) + "\n";
  text += "IZ=" + std::to_string(utcOffsetSeconds) + "\n";
  return text;
}

std::int32_t UtcOffsetSeconds(std::int32_t biasMinutes, std::int32_t daylightBiasMinutes,
                              bool daylightInForce) {
  const std::int32_t bias = biasMinutes + (daylightInForce ? daylightBiasMinutes : 0);
  return -60 * bias;
}
