#pragma once

#include <cstddef>
#include <functional>
#include <string>

#include "installer/core/installparameters.h"

class EncIniFile;
class EncIniSection;

// The values of the chosen build-options section that the install parameters do not hold.
struct BuildSettings {
    std::string mainWindowClass;   // "mainwnd": the client's window class and mutex name
    std::string siteAddress;       // "site": base address of the site's web front
    std::string urlEula;           // licence page template, may hold "@locale@"
    std::string urlWV2Download;    // WebView2 download page template, may hold "@locale@"
    std::string generalGaAccount;  // "general_ga_account"
    std::string licenseGaAccount;  // "license_ga_account"
};

// Returns the tracking data's site code ("" when there is none); called at most once, and only
// when the build options list sites.
using SiteCodeSource = std::function<std::string()>;

// The name of the section that applies to this run: "define", or "define.<CODE>" when the
// tracking data names a site that [sites] lists and whose section exists; then `params` becomes
// a universal installation for that site (upper-case code). Writes the site-selection log lines.
// Never fails: every mismatch keeps "define".
std::string ChooseBuildSection(const EncIniFile& options, const SiteCodeSource& siteCode,
                               InstallParameters& params);

// Reads the build values of `section` into `params` and `settings`; a key the section lacks
// takes its default ("workFolderName" the section's name, "brand" "Zembrico", "iconPath"
// "Zembrico.exe", "overrideUserIni" 1, other texts empty, numbers 0). "oname" is Base64 of
// UTF-8 and is stored decoded. Throws PI18NError when "oname" is not UTF-8.
void ReadBuildSection(const EncIniSection& section, InstallParameters& params,
                      BuildSettings& settings);

// The whole read of the build-options text: parse, choose the section, read it. On any PError
// (malformed text, missing section, bad "oname") writes "Error read configuration" to the log
// and returns false; what was stored before the error stays.
bool ReadBuildOptions(const void* text, std::size_t length, const SiteCodeSource& siteCode,
                      InstallParameters& params, BuildSettings& settings);
