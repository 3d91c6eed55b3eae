#include "installer/ZembricoInstall/launchmainapp.h"

#include <windows.h>

#include <string>

#include "installer/ZembricoInstall/startasuser.h"
#include "installer/core/earlylogqueue.h"
#include "installer/core/registrationplan.h"
#include "plib/pstringencoding.h"
#include "plib/win/pfile.h"
#include "plib/win/pprocess.h"
#include "plib/winseam/unique.h"

void LaunchMainApp(const InstallParameters& params) {
    const std::string commandLine = LaunchCommandLine(params);
    EarlyLog("Launch main app: '%s'", commandLine.c_str());
    const std::string application = MainAppPath(params);
    const PString applicationText(application.c_str());
    // The shell would answer a missing launcher with a box of its own; the log says it instead.
    if (!PFileExists(applicationText, &PMixedEncoding())) {
        EarlyLog("Cannot launch (%u): '%s' with '%s' in '%s'",
                 static_cast<unsigned>(GetLastError()), application.c_str(), commandLine.c_str(),
                 params.installFolder.c_str());
        return;
    }
    if (StartAsSignedInUser(application, LaunchArguments(params), params.installFolder)) return;
    const PString commandLineText(commandLine.c_str());
    const PString folder(params.installFolder.c_str());
    PROCESS_INFORMATION process{};
    if (PCreateProcess(&applicationText, &commandLineText, &folder, &PMixedEncoding(), process)) {
        UniqueHandle processHandle(process.hProcess);
        UniqueHandle threadHandle(process.hThread);
        return;
    }
    EarlyLog("Cannot launch (%u): '%s' with '%s' in '%s'", static_cast<unsigned>(GetLastError()),
             application.c_str(), commandLine.c_str(), params.installFolder.c_str());
}
