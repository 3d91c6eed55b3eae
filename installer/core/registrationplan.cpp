#include "installer/core/registrationplan.h"

#include <cstdio>

#include "plib/pstringencoding.h"
namespace {

std::string InInstallFolder(const InstallParameters& params, const std::string& name) {
    return PMixedJoin({params.installFolder, "\\", name});
}

std::string LinkIn(const std::string& folder, const RegistrationTexts& texts) {
    return PMixedJoin({folder, "\\", texts.fullDisplayName, ".lnk"});
}

// The common folder when all users is chosen and it is known, else the user's own folder.
const std::string& ChooseFolder(const InstallParameters& params, const std::string& common,
                                const std::string& own) {
    return params.allUsers && !common.empty() ? common : own;
}

}  // namespace

std::string MainAppPath(const InstallParameters& params) {
    return InInstallFolder(params, params.brand + "Update.exe");
}

std::string LaunchCommandLine(const InstallParameters& params) {
    std::string line = params.brand + "Update.exe";
    if (!params.oid.empty()) line += " --o:" + params.oid;
    return line;
}

RegistrationTexts MakeRegistrationTexts(const InstallParameters& params) {
    RegistrationTexts t;
    t.fullDisplayName = params.displayName;
    if (!params.oname.empty()) t.fullDisplayName += " - " + params.oname;
    t.iconFile = InInstallFolder(params, params.iconPath);
    t.uninstaller = InInstallFolder(params, params.brand + "Uninstall.exe");
    t.mainApp = MainAppPath(params);
    t.uninstallArgs = "/u:" + params.displayName;
    if (!params.oid.empty()) t.uninstallArgs += " /o:" + params.oid;
    if (!params.oid.empty()) t.mainAppArgs = "--o:" + params.oid;
    t.key = kUninstallKeyPrefix + params.displayName;
    if (!params.oid.empty()) t.key += " - " + params.oid;
    return t;
}

std::string UninstallString(const RegistrationTexts& texts) {
    return PMixedJoin({"\"", texts.uninstaller, "\" ", texts.uninstallArgs});
}

std::string CtimeText(const std::tm& local) {
    static constexpr const char* kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static constexpr const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                              "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    // A broken-down time from the system is in range; a damaged one must not index past the tables.
    const char* day = local.tm_wday >= 0 && local.tm_wday < 7 ? kDays[local.tm_wday] : "???";
    const char* month = local.tm_mon >= 0 && local.tm_mon < 12 ? kMonths[local.tm_mon] : "???";
    char text[64];
    std::snprintf(text, sizeof text, "%s %s%3d %02d:%02d:%02d %d\n", day, month, local.tm_mday,
                  local.tm_hour, local.tm_min, local.tm_sec, local.tm_year + 1900);
    return text;
}

ShortcutPlan PlanShortcuts(const InstallParameters& params, const RegistrationTexts& texts) {
    ShortcutPlan plan;
    plan.uninstallShortcut =
        InInstallFolder(params, PMixedJoin({"Uninstall ", texts.fullDisplayName, ".lnk"}));

    const bool commonGroup = params.allUsers && !params.commonProgramsFolder.empty();
    plan.groupFolder =
        PMixedJoin({ChooseFolder(params, params.commonProgramsFolder, params.programsFolder), "\\",
                    texts.fullDisplayName});
    plan.groupValueName = commonGroup ? "CSMPGroup" : "SMPGroup";
    plan.groupAppShortcut = LinkIn(plan.groupFolder, texts);
    plan.groupUninstallShortcut =
        PMixedJoin({plan.groupFolder, "\\Uninstall ", texts.fullDisplayName, ".lnk"});

    if (params.desktopShortcut) {
        const std::string& folder =
            ChooseFolder(params, params.commonDesktopFolder, params.desktopFolder);
        if (!folder.empty()) plan.desktop = ShortcutPlace{LinkIn(folder, texts), "DTLink"};
    }
    if (params.startMenuShortcut && !params.oldWindows) {
        // An unknown common Start menu falls back to the user's, as the group and desktop do,
        // rather than putting the link at the root of the current drive.
        const bool common = params.allUsers && !params.commonStartMenuFolder.empty();
        const std::string& folder =
            ChooseFolder(params, params.commonStartMenuFolder, params.startMenuFolder);
        if (!folder.empty())
            plan.startMenu = ShortcutPlace{LinkIn(folder, texts), common ? "CSMLink" : "SMLink"};
    }
    if (params.quickLaunchShortcut && !params.quickLaunchFolder.empty())
        plan.quickLaunch = ShortcutPlace{LinkIn(params.quickLaunchFolder, texts), "QLLink"};
    return plan;
}
