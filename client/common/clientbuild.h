#pragma once

#include <string>

#include "client/core/clientsettings.h"
#include "installer/core/buildsettings.h"
#include "installer/core/installparameters.h"

class EncIniFile;

// The sample client's programs carry the setup program's build options ("ZB"/131), so that
// they know the build's names (display name, brand, work folder, main window class) without
// anything more being written at installation.

struct ClientBuild {
    InstallParameters params;  // the build values: displayName, brand, workFolderName ...
    BuildSettings settings;    // mainWindowClass ...
};

// The build values for an installation whose app.ini named `site`: the section
// "define.<SITE>" when it exists, else "define". Throws PError when the program's build
// options are missing or malformed.
ClientBuild ReadClientBuild(const std::string& site);

// Reads the INI file at `path` into `ini`; false, with `ini` unspecified, when it is missing or
// unreadable (the client then runs with its defaults, as a real client would).
bool ReadSettingsFile(const std::string& path, EncIniFile& ini);

// Reads app.ini of `installFolder` into `settings`; a missing or unreadable file leaves them.
void ReadInstalledAppIni(const std::string& installFolder, ClientSettings& settings);

// The folder the installation put user.ini in: the work folder in the user's local application
// data folder when user.ini is there, else the install folder.
std::string UserSettingsFolder(const std::string& installFolder, const std::string& workFolder);

// The folder of the running program's file.
std::string ProgramFolder();
// The running program's file.
std::string ProgramPath();
