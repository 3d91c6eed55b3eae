#include "installer/core/settingsfiles.h"

#include <string>

#include "installer/core/windowsfilename.h"
#include "plib/encinifile.h"
#include "plib/pstringencoding.h"

std::string SettingsFolderCandidate(const InstallParameters& params) {
    if (params.localAppDataFolder.empty()) return {};
    std::string folder = PMixedJoin({params.localAppDataFolder, "\\", params.workFolderName});
    return LiesDirectlyIn(folder, params.localAppDataFolder) ? folder : std::string();
}

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

void ApplyUserIniSettings(EncIniFile& userIni, std::int32_t locale) {
    userIni.findOrAddSection("PipeOption").setValue("Locale", std::to_string(locale).c_str());
    userIni.removeSections("update");
}

void FillAppIni(EncIniFile& appIni, std::string_view site, std::string_view workFolder) {
    EncIniSection& app = appIni.findOrAddSection("App");
    app.setValue("Site", std::string(site).c_str());
    app.setValue("WinWorkFolder", std::string(workFolder).c_str());
}
