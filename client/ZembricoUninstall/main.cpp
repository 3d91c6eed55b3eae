// The sample client's uninstaller: "/u:<display name>" and, for an operator's installation,
// "/o:<oid>", as the setup program registers them. Exit codes: uninstallcodes.h.

#include <windows.h>

#include <memory>

#include "client/ZembricoUninstall/uninstaller.h"
#include "client/common/clientbuild.h"
#include "client/common/clientsystem.h"
#include "client/core/uninstallcodes.h"
#include "installer/core/earlylogqueue.h"
#include "installer/core/messagetable.h"
#include "installer/core/resourceids.h"
#include "installer/core/toplevelcatch.h"
#include "plib/perror.h"
#include "plib/plog.h"
#include "plib/plogfile.h"
#include "plib/pruntimehandlers.h"
#include "plib/pstringencoding.h"
#include "plib/win/presource.h"
#include "plib/winseam/plibrary.h"

namespace {

void LoadMessages() {
    const auto bytes = PResourceBytes(nullptr, kMessageTableResource, kResourceType);
    std::string error = "no message table";
    if (bytes.empty() ||
        !LoadMessageTableResource(bytes.data(), static_cast<std::uint32_t>(bytes.size()),
                                  TheMessageTable(), error))
        PLog("Language initialization failed: %s", error.c_str());
}

int Run() {
    // The log is outside the install folder, which the removal takes away, under a name no one
    // could have planted as a link for this elevated program to write through.
    const std::string logPath =
        NewTemporaryLogPath((ReadClientBuild("").params.brand + "Uninstall").c_str());
    PLogInit(std::make_unique<PLogFile>(logPath.c_str(), 0, &PMixedEncoding()));
    EarlyLogQueue::instance().flush();
    LoadMessages();
    const std::string commandLine = CommandLineText();
    const auto args = ParseUninstallArguments(commandLine);
    if (!args) {
        PLog("No display name in the command line: %s", commandLine.c_str());
        return ExitValue(UninstallExit::kBadArguments);
    }
    const int code = ExitValue(Uninstaller(*args, logPath).run());
    PLog("Exit code %d", code);
    return code;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    PRestrictLibrarySearch();
    PInstallRuntimeHandlers();
    const int code =
        RunCaught(CatchPlace::kUninstaller, ExitValue(UninstallExit::kFailed), Run, ShowFailure);
    if (PLogIsOn()) PLogExit();
    KeepUnwrittenLines("ZembricoUninstall");
    return code;
}
