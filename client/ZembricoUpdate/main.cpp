// The sample client's launcher: it stands in for the real client. It reads what the
// installation left (app.ini, user.ini) and the operator id of its command line, and shows them
// in a window of the build's main window class, one instance at a time.

#include <windows.h>

#include "client/ZembricoUpdate/clientwindow.h"
#include "client/common/clientbuild.h"
#include "client/common/clientsystem.h"
#include "client/core/clientarguments.h"
#include "client/core/clientsettings.h"
#include "client/core/launchercodes.h"
#include "installer/core/toplevelcatch.h"
#include "plib/encinifile.h"
#include "plib/pruntimehandlers.h"
#include "plib/pstringencoding.h"
#include "plib/winseam/plibrary.h"
#include "plib/winseam/pwidenarrow.h"
#include "plib/winseam/unique.h"

namespace {

void ReadUserSettings(const std::string& folder, ClientSettings& settings) {
    EncIniFile userIni;
    if (ReadSettingsFile(folder + "\\user.ini", userIni)) ReadUserIni(userIni, settings);
}

int Run() {
    ClientSettings settings;
    settings.oid = LauncherOperatorId(CommandLineText());
    const std::string installFolder = ProgramFolder();
    ReadInstalledAppIni(installFolder, settings);
    const ClientBuild build = ReadClientBuild(settings.site);
    const std::string& windowClass = build.settings.mainWindowClass;

    if (const HWND running = FindWindowW(PToWide(windowClass.c_str()).c_str(), nullptr)) {
        SetForegroundWindow(running);
        return kLauncherAlreadyRunning;
    }
    // Held for the whole run: the setup program and the uninstaller see the client through it
    // even before its window exists.
    UniqueHandle instance(
        CreateMutexW(nullptr, /*bInitialOwner=*/TRUE, PToWide(windowClass.c_str()).c_str()));
    if (!instance || GetLastError() == ERROR_ALREADY_EXISTS) return kLauncherAlreadyRunning;

    const std::string workFolder =
        settings.workFolder.empty() ? build.params.workFolderName : settings.workFolder;
    ReadUserSettings(UserSettingsFolder(installFolder, workFolder), settings);
    ClientWindow window(windowClass, build.params.displayName,
                        ClientViewLines(settings, build.params.displayName));
    const int code = window.run();
    ReleaseMutex(instance.get());
    return code;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    PRestrictLibrarySearch();
    PInstallRuntimeHandlers();
    const int code = RunCaught(CatchPlace::kWinMain, kLauncherFailed, Run, ShowFailure);
    // The launcher keeps no log of its own: only a failure leaves one.
    KeepUnwrittenLines("ZembricoUpdate");
    return code;
}
