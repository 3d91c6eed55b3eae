#pragma once

#include <cstdint>
#include <string>

// The choices and machine facts of one installation. The wizard fills it; the worker takes its
// own copy when it starts, so the window may change its record while an installation runs.
// Texts are 8-bit strings in the program's mixed encoding. Paths below the install folder are
// formed by appending "\" and a name, without normalisation.
struct InstallParameters {
    // Machine facts, filled from the system probes when the record is prepared.
    std::uint8_t oldWindows = 0;       // version word's high bit set, or major version below 5
    std::uint8_t hasAdminRights = 0;   // token is in the local Administrators group
    std::uint8_t useLocalAppData = 0;  // NT with a major version above 5
    std::uint8_t isWow64 = 0;

    // Build options of the selected site.
    std::string name;
    std::string displayName;
    std::string workFolderName;  // defaults to the name
    std::uint8_t overrideUserIni = 1;
    std::string iconPath = "Zembrico.exe";  // relative to the install folder
    std::int32_t iconIndex = 0;
    std::int32_t backgroundIndex = 0;
    std::string brand = "Zembrico";  // prefix of the installed executables' names
    std::int32_t minOsVersion = 0;
    std::string minOsVersionName;

    // Tracking data: the stored tracking text (empty without tracking data), THM, oid and oname.
    std::string trackingText;
    std::string thmValue;
    std::string oid;
    std::string oname;
    std::string site;  // site code of a universal installation
    std::uint8_t universal = 0;

    std::int32_t locale = 0;  // current language index, 0 to 33

    std::uint8_t desktopShortcut = 0;
    std::uint8_t quickLaunchShortcut = 0;
    std::uint8_t startMenuShortcut = 0;
    std::uint8_t allUsers = 0;  // only ever 1 with admin rights

    std::string installFolder;
    std::string localAppDataFolder;  // only when useLocalAppData is 1

    // Shell folders; the common ones only with admin rights. Empty when unknown.
    std::string programsFolder;
    std::string commonProgramsFolder;
    std::string desktopFolder;
    std::string commonDesktopFolder;
    std::string startMenuFolder;
    std::string commonStartMenuFolder;
    std::string quickLaunchFolder;
};
