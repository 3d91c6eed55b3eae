#include "installer/core/buildsettings.h"

#include <cstring>

#include "installer/core/earlylogqueue.h"
#include "plib/encinifile.h"
#include "plib/pbase64.h"
#include "plib/perror.h"

namespace {

std::string Text(const EncIniSection& section, const char* key, const char* fallback = "") {
    const char* value = section.getValue(key);
    return value ? value : fallback;
}

}  // namespace

std::string ChooseBuildSection(const EncIniFile& options, const SiteCodeSource& siteCode,
                               InstallParameters& params) {
    std::string sectionName = "define";
    const EncIniSection* sites = options.findSection("sites");
    if (!sites) return sectionName;

    EarlyLog("Reading site from TINFO");
    PString code(siteCode().c_str());
    EarlyLog("Site from TINFO is:'%s'", code.c_str());
    if (code.empty()) {
        EarlyLog("No site value was read from TINFO");
        return sectionName;
    }
    code.toUpper();
    EarlyLog("Verifying site value read from TINFO:'%s' against %d listed sites", code.c_str(),
             static_cast<int>(sites->items().size()));
    for (const EncIniItem& item : sites->items()) {
        if (PString::compareNoCase(item.name.c_str(), "site") != 0 ||
            PString::compareNoCase(item.value.c_str(), code.c_str()) != 0) {
            continue;
        }
        EarlyLog("Site value found in list:'%s'", item.value.c_str());
        EarlyLog("Site found in sites list");
        const std::string candidate = "define." + std::string(code.view());
        if (options.findSection(candidate.c_str())) {
            EarlyLog("Config section '%s' is available, using universal installation",
                     candidate.c_str());
            sectionName = candidate;
            params.universal = 1;
            params.site = code.view();
        }
        return sectionName;
    }
    EarlyLog("Site not found in sites list, proceeding with defaults");
    return sectionName;
}

void ReadBuildSection(const EncIniSection& section, InstallParameters& params,
                      BuildSettings& settings) {
    params.name = Text(section, "name");
    params.displayName = Text(section, "dispname");
    params.workFolderName = Text(section, "workFolderName", params.name.c_str());
    settings.mainWindowClass = Text(section, "mainwnd");
    settings.siteAddress = Text(section, "site");
    settings.urlEula = Text(section, "urlEula");
    settings.urlWV2Download = Text(section, "urlWV2Download");
    params.overrideUserIni = section.getNumber("overrideUserIni", 1) != 0;
    params.iconPath = Text(section, "iconPath", "Zembrico.exe");
    params.iconIndex = section.getNumber("iconIdx", 0);
    params.backgroundIndex = section.getNumber("backgroundIdx", 0);
    params.brand = Text(section, "brand", "Zembrico");
    params.oid = Text(section, "oid");
    params.minOsVersion = section.getNumber("minOsVersion", 0);
    params.minOsVersionName = Text(section, "minOsVersionName");
    settings.generalGaAccount = Text(section, "general_ga_account");
    settings.licenseGaAccount = Text(section, "license_ga_account");
    PString oname;
    if (const char* encoded = section.getValue("oname")) {
        PBase64DecodeUtf8(oname, encoded, std::strlen(encoded));
    }
    params.oname = oname.view();
}

bool ReadBuildOptions(const void* text, std::size_t length, const SiteCodeSource& siteCode,
                      InstallParameters& params, BuildSettings& settings) {
    try {
        EncIniFile options;
        options.readFromMemory(text, length);
        const std::string name = ChooseBuildSection(options, siteCode, params);
        const EncIniSection* section = options.findSection(name.c_str());
        if (!section) {
            EarlyLog("Config section '%s' not found", name.c_str());
            throw PInternalError("Build options have no section to read");
        }
        ReadBuildSection(*section, params, settings);
        return true;
    } catch (const PError&) {
        EarlyLog("Error read configuration");
        return false;
    }
}
