// Removal of the older editions that the selected build replaces.
#include <string>

#include "installer/ZembricoInstall/wizardtext.h"
#include "installer/ZembricoInstall/zembricoinstallwindow.h"
#include "installer/core/buildoptions.h"
#include "installer/core/earlylogqueue.h"
#include "installer/core/legacyuninstall.h"
#include "plib/perror.h"
#include "plib/pstringencoding.h"
#include "plib/win/pfile.h"
#include "plib/win/pprocess.h"
#include "plib/win/pregistry.h"
#include "plib/win/unique.h"

namespace {

constexpr int kBoxWidth = 360;
constexpr int kBoxHeight = 320;

// The "UninstallString" of the edition's uninstall key; nothing when the key or the value is
// missing (an empty value counts as missing).
std::optional<std::string> UninstallString(const std::string& registryName) {
    const PString path(
        ("Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + registryName).c_str());
    PString value;
    if (!PRegReadStringHklm(path, "UninstallString", value) || value.empty()) return std::nullopt;
    return std::string(value.view());
}

// The Windows temporary folder, ending in a backslash; read wide, so that a user name outside
// the code page still gives the real folder.
std::string TemporaryFolder() {
    return std::string(PTemporaryFolder(&PMixedEncoding()).view());
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
    const int answer =
        messageBox(WizardText(TXTINS_Installing_N0, params_.displayName.c_str()),
                   WizardText(TXTINS_We_have_detected_a_version_of__ELL, displayName.c_str(),
                              params_.name.c_str()),
                   WizardText(TXTINS_Yes), WizardText(TXTINS_No), kBoxWidth, kBoxHeight);
    return answer == MyMsgBox::kFirst;
}

void ZembricoInstallWindow::UninstallPreviousVersion(const std::string& registryName) {
    const std::optional<std::string> value = UninstallString(registryName);
    if (!value) return;
    const std::optional<std::string> uninstaller = LegacyUninstallerPath(*value, registryName);
    if (!uninstaller) return;
    try {
        const PString copy((TemporaryFolder() + std::string(kLegacyUninstallerCopyName)).c_str());
        PCopyFile(PString(uninstaller->c_str()), copy, &PMixedEncoding());
        const PString commandLine(LegacyUninstallCommandLine(copy.view(), registryName).c_str());
        PROCESS_INFORMATION process{};
        if (!PCreateProcess(&copy, &commandLine, nullptr, &PMixedEncoding(), process))
            throw PSystemError((std::string("Cannot start '") + copy.c_str() + "'").c_str(),
                               static_cast<std::int32_t>(GetLastError()));
        UniqueHandle processHandle(process.hProcess);
        UniqueHandle threadHandle(process.hThread);
        WaitForSingleObject(process.hProcess, INFINITE);
        DWORD exitCode = 0;
        GetExitCodeProcess(process.hProcess, &exitCode);
    } catch (const PError& e) {
        EarlyLog("PError caught in ZembricoInstallWindow::UninstallPreviousVersion(): %s", e.why());
    } catch (...) {
        EarlyLog("... caught in ZembricoInstallWindow::UninstallPreviousVersion()");
    }
}
