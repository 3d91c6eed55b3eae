#include <windows.h>

#include <ctime>
#include <optional>
#include <utility>
#include <vector>

#include "installer/ZembricoInstall/installerworkerthread.h"
#include "installer/core/settingsfiles.h"
#include "installer/core/toplevelcatch.h"
#include "plib/encinifile.h"
#include "plib/perror.h"
#include "plib/plog.h"
#include "plib/pstringencoding.h"
#include "plib/psystem.h"
#include "plib/win/pfile.h"
#include "plib/win/ptime.h"
#include "protocols/inixor.h"

namespace {

// A new file at `path` below `folder`, open in the C library's `mode` ("wb", "wt"); null when
// it cannot be made there, the reason logged.
PFile NewFile(const PLinkFreeFolder& folder, const std::string& path, const char* mode) {
    UniqueFile created;
    const PLinkFree made = folder.createFile(path, created);
    if (made == PLinkFree::kLinked) PLog("Not written through a link: '%s'", path.c_str());
    return made == PLinkFree::kDone ? PFileOfHandle(std::move(created), mode) : nullptr;
}

// The settings folder below the local application data folder `appData`, made when missing
// (a file in its way goes); false when it cannot be used, the reason logged.
bool UseSettingsFolder(const PLinkFreeFolder& appData, const std::string& candidate) {
    PLinkFree made = appData.makeFolders(candidate);
    if (made == PLinkFree::kFailed && GetLastError() == ERROR_ALREADY_EXISTS) {
        // A file has the folder's name: it goes, so that the folder can be made.
        if (appData.remove(candidate) == PLinkFree::kDone) made = appData.makeFolders(candidate);
    }
    if (made == PLinkFree::kLinked)
        PLog("Local settings directory not used, a link is on its way: '%s'", candidate.c_str());
    return made == PLinkFree::kDone;
}

}  // namespace

void InstallerWorkerThread::storeTInfoFile() {
    Caught(
        {.place = CatchPlace::kStoreTInfo, .other = "PError"}, InstallLogLine,
        [&] {
            const std::string path = params_.installFolder + "\\tinfo.dat";
            installFolder_->remove(path);
            if (params_.trackingText.empty()) return;
            const PTimeZoneBias zone = PCurrentTimeZoneBias();
            params_.trackingText = TInfoPlainText(
                params_.trackingText, static_cast<std::uint32_t>(std::time(nullptr)),
                UtcOffsetSeconds(zone.biasMinutes, zone.daylightBiasMinutes, zone.daylightInForce));
            std::vector<std::uint8_t> scrambled(params_.trackingText.begin(),
                                                params_.trackingText.end());
            IniXorTracking(scrambled.data(), scrambled.size());
            PFile file = NewFile(*installFolder_, path, "wb");
            if (!file) {
                PLog("Error in open tInfo file");
                return;
            }
            if (!PWriteAndClose(std::move(file), scrambled.data(), scrambled.size())) {
                // A cut tracking file would read back as other tracking data: none is better.
                PLog("Error in write tInfo file");
                installFolder_->remove(path);
            }
        },
        DropCaught);
}

void InstallerWorkerThread::setUserIniFile() {
    Caught(
        {.place = CatchPlace::kUserIni}, InstallLogLine,
        [&] {
            std::string folder = params_.installFolder;
            // The settings folder lies in the user's own folder: nothing there is followed.
            std::optional<PLinkFreeFolder> appData;
            const PLinkFreeFolder* place = installFolder_.get();
            if (const std::string candidate = SettingsFolderCandidate(params_);
                !candidate.empty()) {
                appData.emplace(params_.localAppDataFolder);
                if (UseSettingsFolder(*appData, candidate)) {
                    folder = candidate;
                    place = &*appData;
                }
            }
            PLog("Local settings directory: '%s'", folder.c_str());

            const std::string iniPath = folder + "\\user.ini";
            const PString iniName(iniPath.c_str());
            EncIniFile ini;
            UniqueFile existing;
            const PLinkFree found = place->openFile(iniPath, existing);
            if (found != PLinkFree::kAbsent) {
                bool read = false;
                Caught(
                    {.place = CatchPlace::kUserIniRead,
                     .internalError = "PInternalError",
                     .error = nullptr},
                    InstallLogLine,
                    [&] {
                        if (found == PLinkFree::kLinked)
                            throw PInternalError(
                                ("Not read through a link: '" + iniPath + "'").c_str());
                        const PFile file = found == PLinkFree::kDone
                                               ? PFileOfHandle(std::move(existing), "rt")
                                               : nullptr;
                        if (!file)
                            throw PInternalError(
                                ("Unable to open ini file '" + iniPath + "'").c_str());
                        ini.readFromStream(file.get());
                        read = true;
                    },
                    [&](const std::optional<std::string>&) { ini.clear(); });
                if (read && !params_.overrideUserIni) return;
                // An existing user.ini.bak makes this fail; the write below then replaces user.ini.
                place->rename(iniPath, iniPath + ".bak");
            }
            ApplyUserIniSettings(ini, params_.locale);
            PFile file = NewFile(*place, iniPath, "wt");
            if (!file)
                throw PInternalError(
                    ("Unable to open ini file '" + iniPath + "' for writing").c_str());
            ini.writeToStream(std::move(file), iniName);
        },
        DropCaught);
}

void InstallerWorkerThread::storeAppIniFile() {
    if (!params_.universal || params_.workFolderName.empty()) return;
    Caught(
        {.place = CatchPlace::kAppIni, .other = "PError"}, InstallLogLine,
        [&] {
            const std::string path = params_.installFolder + "\\app.ini";
            if (installFolder_->checkFile(path) != PLinkFree::kAbsent) {
                PLog("app.ini file already exists");
                return;
            }
            PLog("Creating app.ini with site:'%s, work folder:'%s'", params_.site.c_str(),
                 params_.workFolderName.c_str());
            EncIniFile ini;
            FillAppIni(ini, params_.site, params_.workFolderName);
            PFile file = NewFile(*installFolder_, path, "wt");
            if (!file)
                throw PInternalError(
                    ("Unable to open ini file '" + path + "' for writing").c_str());
            ini.writeToStream(std::move(file), PString(path.c_str()));
        },
        DropCaught);
}
