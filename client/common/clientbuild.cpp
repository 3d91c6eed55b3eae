#include "client/common/clientbuild.h"

#include <shlobj.h>
#include <windows.h>

#include "client/common/clientsystem.h"
#include "installer/core/resourceids.h"
#include "plib/encinifile.h"
#include "plib/perror.h"
#include "plib/pstringencoding.h"
#include "plib/win/pmodule.h"
#include "plib/win/presource.h"
#include "plib/winseam/pwidenarrow.h"

namespace {

std::string BuildOptionsText() {
    const auto bytes = PResourceBytes(nullptr, kBuildOptionsResource, kResourceType);
    if (bytes.empty()) throw PInternalError("The program has no build options");
    return std::string(bytes.begin(), bytes.end());
}

}  // namespace

ClientBuild ReadClientBuild(const std::string& site) {
    const std::string text = BuildOptionsText();
    EncIniFile options;
    options.readFromMemory(text.data(), text.size());
    const EncIniSection* section = nullptr;
    if (!site.empty()) section = options.findSection(("define." + site).c_str());
    if (!section) section = options.findSection("define");
    if (!section) throw PInternalError("The build options have no section [define]");
    ClientBuild build;
    ReadBuildSection(*section, build.params, build.settings);
    return build;
}

bool ReadSettingsFile(const std::string& path, EncIniFile& ini) {
    if (!FileExistsAt(path)) return false;
    try {
        ini.readFromFile(PString(path.c_str()), &PMixedEncoding());
        return true;
    } catch (const PError&) {
        return false;
    }
}

void ReadInstalledAppIni(const std::string& installFolder, ClientSettings& settings) {
    EncIniFile appIni;
    if (ReadSettingsFile(installFolder + "\\app.ini", appIni)) ReadAppIni(appIni, settings);
}

std::string UserSettingsFolder(const std::string& installFolder, const std::string& workFolder) {
    wchar_t local[MAX_PATH];
    if (!workFolder.empty() &&
        SUCCEEDED(SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, 0, local))) {
        const std::string candidate = PMixedJoin({PFromWide(local).view(), "\\", workFolder});
        if (FileExistsAt(candidate + "\\user.ini")) return candidate;
    }
    return installFolder;
}

std::string ProgramPath() {
    const PString path = PModuleFileName(nullptr, &PMixedEncoding());
    if (path.view().empty())
        throw PSystemError("GetModuleFileName", static_cast<std::int32_t>(GetLastError()));
    return std::string(path.view());
}

std::string ProgramFolder() {
    const std::string path = ProgramPath();
    return path.substr(0, path.rfind('\\'));
}
