#include "installer/ZembricoInstall/launchmainapp.h"

#include <windows.h>

#include <string>

#include "installer/ZembricoInstall/enginesystem.h"
#include "installer/core/registrationplan.h"
#include "plib/plog.h"
#include "plib/win/unique.h"

void LaunchMainApp(const InstallParameters& params) {
  const std::string commandLine = LaunchCommandLine(params);
  PLog("Launch main app: '%s'", commandLine.c_str());
  const std::string application = MainAppPath(params);
  // CreateProcessW may write into the command line.
  std::wstring wideCommandLine = Wide(commandLine);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (CreateProcessW(Wide(application).c_str(), wideCommandLine.data(), nullptr, nullptr,
                     /*bInheritHandles=*/FALSE, DETACHED_PROCESS, nullptr,
                     Wide(params.installFolder).c_str(), &startup, &process)) {
    UniqueHandle processHandle(process.hProcess);
    UniqueHandle threadHandle(process.hThread);
    return;
  }
  PLog("Cannot launch (%u): '%s' with '%s' in '%s'", static_cast<unsigned>(GetLastError()),
       application.c_str(), commandLine.c_str(), params.installFolder.c_str());
}
