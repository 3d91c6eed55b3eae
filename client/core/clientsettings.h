#pragma once

#include <optional>
#include <string>
#include <vector>

class EncIniFile;

// What the sample client reads from the files the installation left: app.ini in the install
// folder (universal installations) and user.ini in the settings folder.
struct ClientSettings {
    std::string site;             // app.ini [App] Site; empty for a site-less installation
    std::string workFolder;       // app.ini [App] WinWorkFolder
    std::optional<int> language;  // user.ini [PipeOption] Locale, when present
    std::string oid;              // the launcher's "--o:"
};

void ReadAppIni(const EncIniFile& appIni, ClientSettings& settings);
void ReadUserIni(const EncIniFile& userIni, ClientSettings& settings);

// The lines the client's window shows: the display name, then "Site: ", "Operator: " and
// "Language: " with what was found ("none" for what was not; a language index outside the
// language table shows as the number).
std::vector<std::string> ClientViewLines(const ClientSettings& settings,
                                         const std::string& displayName);
