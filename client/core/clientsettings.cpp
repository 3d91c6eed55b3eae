#include "client/core/clientsettings.h"

#include "installer/core/languagetable.h"
#include "plib/encinifile.h"

namespace {

std::string OrNone(const std::string& text) {
    return text.empty() ? "none" : text;
}

std::string LanguageName(const std::optional<int>& language) {
    if (!language) return "none";
    if (*language < 0 || *language >= kLanguageCount) return std::to_string(*language);
    return std::string(kLanguageTable[*language].englishName);
}

}  // namespace

void ReadAppIni(const EncIniFile& appIni, ClientSettings& settings) {
    const EncIniSection* app = appIni.findSection("App");
    if (!app) return;
    if (const char* site = app->getValue("Site")) settings.site = site;
    if (const char* folder = app->getValue("WinWorkFolder")) settings.workFolder = folder;
}

void ReadUserIni(const EncIniFile& userIni, ClientSettings& settings) {
    const EncIniSection* options = userIni.findSection("PipeOption");
    if (options && options->getValue("Locale")) settings.language = options->getNumber("Locale", 0);
}

std::vector<std::string> ClientViewLines(const ClientSettings& settings,
                                         const std::string& displayName) {
    return {displayName, "Site: " + OrNone(settings.site), "Operator: " + OrNone(settings.oid),
            "Language: " + LanguageName(settings.language)};
}
