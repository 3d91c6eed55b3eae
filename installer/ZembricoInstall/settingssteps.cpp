#include <windows.h>

#include <ctime>
#include <vector>

#include "installer/ZembricoInstall/installerworkerthread.h"
#include "installer/core/settingsfiles.h"
#include "plib/encinifile.h"
#include "plib/perror.h"
#include "plib/plog.h"
#include "plib/pstringencoding.h"
#include "plib/psystem.h"
#include "plib/win/pfile.h"
#include "plib/win/ptime.h"
#include "protocols/inixor.h"

void InstallerWorkerThread::storeTInfoFile() {
    try {
        const PString path((params_.installFolder + "\\tinfo.dat").c_str());
        PDeleteFile(path, &PMixedEncoding());
        if (params_.trackingText.empty()) return;
        const PTimeZoneBias zone = PCurrentTimeZoneBias();
        params_.trackingText = TInfoPlainText(
            params_.trackingText, static_cast<std::uint32_t>(std::time(nullptr)),
            UtcOffsetSeconds(zone.biasMinutes, zone.daylightBiasMinutes, zone.daylightInForce));
        std::vector<std::uint8_t> scrambled(params_.trackingText.begin(),
                                            params_.trackingText.end());
        IniXorTracking(scrambled.data(), scrambled.size());
        PFile file = POpenFile(path, "wb", &PMixedEncoding());
        if (!file) {
            PLog("Error in open tInfo file");
            return;
        }
        std::fwrite(scrambled.data(), 1, scrambled.size(), file.get());
    } catch (const PError& e) {
        PLog("PError caught in InstallerWorkerThread::StoreTInfoFile(): %s", e.why());
    } catch (...) {
        PLog("PError caught in InstallerWorkerThread::StoreTInfoFile()");
    }
}

void InstallerWorkerThread::setUserIniFile() {
    try {
        std::string folder = params_.installFolder;
        if (!params_.localAppDataFolder.empty()) {
            const std::string candidate =
                PMixedJoin({params_.localAppDataFolder, "\\", params_.workFolderName});
            const PString candidateName(candidate.c_str());
            bool present = false;
            try {
                present = PDirectoryExists(candidateName, &PMixedEncoding());
            } catch (const PInternalError&) {
                // A file has the folder's name: it goes, so that the folder can be made.
                PDeleteFile(candidateName, &PMixedEncoding());
            }
            if (present) {
                folder = candidate;
            } else {
                // A folder that cannot be made leaves user.ini in the install folder rather than
                // unwritten.
                try {
                    if (PMakeDirectory(candidateName, &PMixedEncoding())) folder = candidate;
                } catch (const PInternalError& e) {
                    PLog("PInternalError caught in InstallerWorkerThread::SetUserIniFile(): %s",
                         e.why());
                }
            }
        }
        PLog("Local settings directory: '%s'", folder.c_str());

        const std::string iniPath = folder + "\\user.ini";
        const PString iniName(iniPath.c_str());
        EncIniFile ini;
        if (PFileExists(iniName, &PMixedEncoding())) {
            bool read = false;
            try {
                ini.readFromFile(iniName, &PMixedEncoding());
                read = true;
            } catch (const PInternalError& e) {
                PLog("PInternalError caught in InstallerWorkerThread::SetUserIniFile() - read: %s",
                     e.why());
                ini.clear();
            } catch (...) {
                PLog("... caught in InstallerWorkerThread::SetUserIniFile() - read");
                ini.clear();
            }
            if (read && !params_.overrideUserIni) return;
            // An existing user.ini.bak makes this fail; the write below then replaces user.ini.
            PRenameFile(iniName, PString((iniPath + ".bak").c_str()), &PMixedEncoding());
        }
        ApplyUserIniSettings(ini, params_.locale);
        ini.writeToFile(iniName, &PMixedEncoding());
    } catch (const PError& e) {
        PLog("PError caught in InstallerWorkerThread::SetUserIniFile(): %s", e.why());
    } catch (...) {
        PLog("... caught in InstallerWorkerThread::SetUserIniFile()");
    }
}

void InstallerWorkerThread::storeAppIniFile() {
    if (!params_.universal || params_.workFolderName.empty()) return;
    try {
        const std::string path = params_.installFolder + "\\app.ini";
        if (PFileExists(PString(path.c_str()), &PMixedEncoding())) {
            PLog("app.ini file already exists");
            return;
        }
        PLog("Creating app.ini with site:'%s, work folder:'%s'", params_.site.c_str(),
             params_.workFolderName.c_str());
        EncIniFile ini;
        FillAppIni(ini, params_.site, params_.workFolderName);
        ini.writeToFile(PString(path.c_str()), &PMixedEncoding());
    } catch (const PError& e) {
        PLog("PError caught in InstallerWorkerThread::StoreAppIniFile(): %s", e.why());
    } catch (...) {
        PLog("PError caught in InstallerWorkerThread::StoreAppIniFile()");
    }
}
