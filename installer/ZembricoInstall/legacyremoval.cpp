// Removal of the older editions that the selected build replaces.
#include <string>

#include "installer/ZembricoInstall/wizardtext.h"
#include "installer/ZembricoInstall/zembricoinstallwindow.h"
#include "installer/core/buildoptions.h"
#include "installer/core/earlylogqueue.h"
#include "installer/core/legacyuninstall.h"
#include "installer/core/toplevelcatch.h"
#include "plib/perror.h"
#include "plib/pstringencoding.h"
#include "plib/win/pfile.h"
#include "plib/win/pprivatefolder.h"
#include "plib/win/pprocess.h"
#include "plib/win/pregistry.h"
#include "plib/winseam/unique.h"

namespace {

// The "UninstallString" of the edition's uninstall key; nothing when the key or the value is
// missing (an empty value counts as missing).
std::optional<std::string> UninstallString(const std::string& registryName) {
    const PString path(
        ("Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + registryName).c_str());
    PString value;
    if (!PRegReadStringHklm(path, "UninstallString", value) || value.empty()) return std::nullopt;
    return std::string(value.view());
}

}  // namespace

void ZembricoInstallWindow::removeLegacyEditions() {
    for (BuildOptions::BuildIterator legacy(1); legacy.valid(); legacy.next()) {
        const BuildRow& row = legacy.row();
        const std::string registryName(row.registryName);
        if (askRemoveLegacy(registryName, std::string(row.displayName)))
            UninstallPreviousVersion(registryName);
    }
}

bool ZembricoInstallWindow::askRemoveLegacy(const std::string& registryName,
                                            const std::string& displayName) {
    if (!UninstallString(registryName)) return false;
    const int answer = boxes_.ask(WizardText(TXTINS_Installing_N0, params_.displayName.c_str()),
                                  WizardText(TXTINS_We_have_detected_a_version_of__ELL,
                                             displayName.c_str(), params_.name.c_str()),
                                  WizardText(TXTINS_Yes), WizardText(TXTINS_No), kLegacyEditionBox);
    return answer == MyMsgBox::kFirst;
}

void ZembricoInstallWindow::UninstallPreviousVersion(const std::string& registryName) {
    const std::optional<std::string> value = UninstallString(registryName);
    if (!value) return;
    const std::optional<std::string> uninstaller = LegacyUninstallerPath(*value, registryName);
    if (!uninstaller) return;
    Caught(
        {.place = CatchPlace::kUninstallPrevious}, EarlyLogLine,
        [&] {
            // The copy runs elevated: it goes to a folder no one else can write to, not to the
            // user's temporary folder, and goes again once it has ended.
            PPrivateFolder folder("zbremove");
            if (!folder.valid())
                throw PSystemError("Cannot make a folder for the old uninstaller",
                                   static_cast<std::int32_t>(GetLastError()));
            const std::string copy = folder.path() + "\\" + std::string(kLegacyUninstallerCopyName);
            PCopyFile(PString(uninstaller->c_str()), PString(copy.c_str()), &PMixedEncoding());
            PROCESS_INFORMATION process{};
            if (!PCreateProcessFromSystemFolder(
                    copy, LegacyUninstallCommandLine(copy, registryName), process))
                throw PSystemError((std::string("Cannot start '") + copy + "'").c_str(),
                                   static_cast<std::int32_t>(GetLastError()));
            UniqueHandle processHandle(process.hProcess);
            UniqueHandle threadHandle(process.hThread);
            WaitForSingleObject(process.hProcess, INFINITE);
            DWORD exitCode = 0;
            GetExitCodeProcess(process.hProcess, &exitCode);
            if (!folder.remove())
                EarlyLog(
                    "The old uninstaller's copy is still in use: it goes when Windows restarts");
        },
        DropCaught);
}
