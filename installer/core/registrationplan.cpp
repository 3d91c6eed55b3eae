#include "installer/core/registrationplan.h"

#include <algorithm>
#include <cstdio>

#include "installer/core/windowsfilename.h"
#include "plib/pstringencoding.h"

namespace {

std::string InInstallFolder(const InstallParameters& params, const std::string& name) {
    return PMixedJoin({params.installFolder, "\\", name});
}

// `folder` + "\" + `name` when that lies directly inside `folder`, else nothing: a name that
// would climb out, name a stream or a device, or nest must not choose where a link is made.
std::optional<std::string> PlaceIn(const std::string& folder, const std::string& name) {
    std::string path = PMixedJoin({folder, "\\", name});
    if (!LiesDirectlyIn(path, folder)) return std::nullopt;
    return path;
}

std::optional<std::string> LinkIn(const std::string& folder, const RegistrationTexts& texts) {
    return PlaceIn(folder, PMixedJoin({texts.fileName, ".lnk"}));
}

std::optional<std::string> UninstallLinkIn(const std::string& folder,
                                           const RegistrationTexts& texts) {
    return PlaceIn(folder, PMixedJoin({"Uninstall ", texts.fileName, ".lnk"}));
}

// The common folder when all users is chosen and it is known, else the user's own folder.
const std::string& ChooseFolder(const InstallParameters& params, const std::string& common,
                                const std::string& own) {
    return params.allUsers && !common.empty() ? common : own;
}

}  // namespace

std::string QuickLaunchBase(std::string_view quickLaunchFolder) {
    constexpr std::string_view kBelow = kQuickLaunchBelowAppData;
    if (quickLaunchFolder.size() > kBelow.size() && quickLaunchFolder.ends_with(kBelow))
        return std::string(quickLaunchFolder.substr(0, quickLaunchFolder.size() - kBelow.size()));
    return FolderOf(quickLaunchFolder);
}

std::string FolderOf(std::string_view path) {
    const size_t slash = path.rfind('\\');
    return slash == std::string_view::npos ? std::string() : std::string(path.substr(0, slash));
}

std::string MainAppPath(const InstallParameters& params) {
    return InInstallFolder(params, params.brand + "Update.exe");
}

std::string_view UsableOid(const InstallParameters& params) {
    const bool usable = std::none_of(params.oid.begin(), params.oid.end(), [](char c) {
        return static_cast<unsigned char>(c) <= ' ' || c == '"' || c == '\\' || c == 0x7F;
    });
    return usable ? std::string_view(params.oid) : std::string_view();
}

std::string LaunchArguments(const InstallParameters& params) {
    const std::string_view oid = UsableOid(params);
    return oid.empty() ? std::string() : "--o:" + std::string(oid);
}

std::string LaunchCommandLine(const InstallParameters& params) {
    const std::string arguments = LaunchArguments(params);
    return params.brand + "Update.exe" + (arguments.empty() ? "" : " " + arguments);
}

RegistrationTexts MakeRegistrationTexts(const InstallParameters& params) {
    RegistrationTexts t;
    t.fullDisplayName = params.oname.empty()
                            ? params.displayName
                            : PMixedJoin({params.displayName, " - ", params.oname});
    t.fileName = AsPlainFileName(t.fullDisplayName);
    t.iconFile = InInstallFolder(params, params.iconPath);
    t.uninstaller = InInstallFolder(params, params.brand + "Uninstall.exe");
    t.mainApp = MainAppPath(params);
    t.uninstallArgs = "/u:" + params.displayName;
    const std::string oid(UsableOid(params));
    if (!oid.empty()) t.uninstallArgs += " /o:" + oid;
    t.mainAppArgs = LaunchArguments(params);
    t.key = kUninstallKeyPrefix + params.displayName;
    if (!oid.empty()) t.key += " - " + oid;
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
    plan.uninstallShortcut = UninstallLinkIn(params.installFolder, texts).value_or("");

    const bool commonGroup = params.allUsers && !params.commonProgramsFolder.empty();
    plan.groupValueName = commonGroup ? "CSMPGroup" : "SMPGroup";
    const std::string& programs =
        ChooseFolder(params, params.commonProgramsFolder, params.programsFolder);
    const std::optional<std::string> group = PlaceIn(programs, texts.fileName);
    const std::optional<std::string> groupApp = group ? LinkIn(*group, texts) : std::nullopt;
    const std::optional<std::string> groupUninstall =
        group ? UninstallLinkIn(*group, texts) : std::nullopt;
    if (groupApp && groupUninstall) {
        plan.groupFolder = *group;
        plan.groupAppShortcut = *groupApp;
        plan.groupUninstallShortcut = *groupUninstall;
    } else {
        plan.noGroupReason = programs.empty() ? "the programs folder is unknown"
                                              : "the display name is not a plain folder name";
    }

    const auto place = [&texts](const std::string& folder, const char* valueName) {
        const std::optional<std::string> file = LinkIn(folder, texts);
        return file ? std::optional(ShortcutPlace{*file, valueName}) : std::nullopt;
    };
    if (params.desktopShortcut) {
        plan.desktop =
            place(ChooseFolder(params, params.commonDesktopFolder, params.desktopFolder), "DTLink");
    }
    if (params.startMenuShortcut && !params.oldWindows) {
        // An unknown common Start menu falls back to the user's, as the group and desktop do,
        // rather than putting the link at the root of the current drive.
        const bool common = params.allUsers && !params.commonStartMenuFolder.empty();
        plan.startMenu =
            place(ChooseFolder(params, params.commonStartMenuFolder, params.startMenuFolder),
                  common ? "CSMLink" : "SMLink");
    }
    if (params.quickLaunchShortcut) plan.quickLaunch = place(params.quickLaunchFolder, "QLLink");
    return plan;
}
