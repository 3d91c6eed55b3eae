#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "installer/core/installparameters.h"

class EncIniFile;

// Contents of the settings files the installation leaves beside the client.

// tinfo.dat before scrambling: the stored tracking text (it ends with a line feed), then
// "ITS=" + `unixSeconds` and "IZ=" + `utcOffsetSeconds`, each ending with a line feed.
std::string TInfoPlainText(std::string_view trackingText, std::uint32_t unixSeconds,
                           std::int32_t utcOffsetSeconds);

// Local offset from UTC in seconds, east positive, from the system's time-zone biases in
// minutes (UTC minus local): -60 * (bias + daylight bias while daylight time is in force).
std::int32_t UtcOffsetSeconds(std::int32_t biasMinutes, std::int32_t daylightBiasMinutes,
                              bool daylightInForce);

// The settings folder to try before the install folder: the local app data folder + "\" + the
// work folder name, or "" when the local app data folder is unknown or the name would not make
// a folder directly inside it (IsPlainFileName).
std::string SettingsFolderCandidate(const InstallParameters& params);

// The installer's part of user.ini: item "Locale" of section "PipeOption" (added at the end
// when missing) set to `locale` in decimal, and every section named "update", in any letter
// case, removed. Everything else stays as it is, in its order.
void ApplyUserIniSettings(EncIniFile& userIni, std::int32_t locale);

// app.ini of a universal installation: section "App" with "Site" and "WinWorkFolder".
void FillAppIni(EncIniFile& appIni, std::string_view site, std::string_view workFolder);
