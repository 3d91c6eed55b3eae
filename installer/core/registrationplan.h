#pragma once

#include <ctime>
#include <optional>
#include <string>
#include <string_view>

#include "installer/core/installparameters.h"

// What registering an installation writes, computed from the parameters alone, so that the
// Windows step only carries it out.

inline constexpr char kUninstallKeyPrefix[] =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";

// Where the Quick Launch folder lies in the application data folder.
inline constexpr char kQuickLaunchBelowAppData[] = "\\Microsoft\\Internet Explorer\\Quick Launch";

// The shell folder that `quickLaunchFolder` was made from: the application data folder when it
// ends in kQuickLaunchBelowAppData, else the folder above it. The folders between the two are
// the installation's to make.
std::string QuickLaunchBase(std::string_view quickLaunchFolder);

// The folder `path` lies in: everything before its last backslash ("" without one).
std::string FolderOf(std::string_view path);

// The texts every registration value and shortcut is built from.
struct RegistrationTexts {
    std::string fullDisplayName;  // D: display name, " - " + oname when there is one
    std::string fileName;         // D as it names shortcuts and the group (AsPlainFileName)
    std::string iconFile;         // I: install folder + "\" + icon path
    std::string uninstaller;      // U: install folder + "\" + brand + "Uninstall.exe"
    std::string mainApp;          // M: install folder + "\" + brand + "Update.exe"
    std::string uninstallArgs;    // Au: "/u:" + display name, " /o:" + oid when there is one
    std::string mainAppArgs;      // Am: "--o:" + oid, or empty
    std::string key;              // K: below HKEY_LOCAL_MACHINE
};

// The texts of `params`; the oid used is UsableOid's, and texts of the mixed encoding are joined
// as PMixedJoin does.
RegistrationTexts MakeRegistrationTexts(const InstallParameters& params);

// The launcher that the finish page starts and the shortcuts point to (M).
std::string MainAppPath(const InstallParameters& params);

// The oid as the registration and the launch use it: the parameters' oid, or "" when it holds
// a blank, a quote, a backslash or a control character, which could add an argument to a
// command line or nest the uninstall key.
std::string_view UsableOid(const InstallParameters& params);

// The launcher's arguments: "--o:" + oid when there is one, else "".
std::string LaunchArguments(const InstallParameters& params);
// The launcher's command line: its file name, then a blank and the arguments when there are any.
std::string LaunchCommandLine(const InstallParameters& params);

// "UninstallString": U in double quotes, a space, Au.
std::string UninstallString(const RegistrationTexts& texts);

// The C library's ctime form of `local`, in English whatever the locale:
// "Tue Dec  8 04:14:18 2026\n" (25 characters, the line feed included).
std::string CtimeText(const std::tm& local);

// A shortcut file and the registry value that records it.
struct ShortcutPlace {
    std::string file;
    std::string valueName;
};

// Where the shortcuts go, named after the full display name as a file name (`fileName`).
// Folders that are unknown (empty) give no shortcut, or the user's own folder in place of an
// unknown common one. Every file and the group lie directly inside the folder meant for them
// (LiesDirectlyIn); a name that would put one elsewhere gives no such shortcut: an empty
// uninstall shortcut, an empty group folder (and no group shortcuts, `noGroupReason` saying
// why), an absent place.
struct ShortcutPlan {
    std::string uninstallShortcut;  // in the install folder, always made
    std::string groupFolder;        // program group; value "CSMPGroup" or "SMPGroup"
    std::string groupValueName;
    std::string groupAppShortcut;
    std::string groupUninstallShortcut;
    std::string noGroupReason;                 // for the log, when there is no group
    std::optional<ShortcutPlace> desktop;      // value "DTLink"
    std::optional<ShortcutPlace> startMenu;    // value "CSMLink" or "SMLink"
    std::optional<ShortcutPlace> quickLaunch;  // value "QLLink"
};

ShortcutPlan PlanShortcuts(const InstallParameters& params, const RegistrationTexts& texts);
