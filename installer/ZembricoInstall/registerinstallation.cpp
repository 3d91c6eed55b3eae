#include <windows.h>

#include <optional>

#include "installer/ZembricoInstall/installerworkerthread.h"
#include "installer/core/registrationplan.h"
#include "plib/perror.h"
#include "plib/plog.h"
#include "plib/pstringencoding.h"
#include "plib/psystem.h"
#include "plib/win/pmodule.h"
#include "plib/win/pregistry.h"
#include "plib/win/pshell.h"
#include "plib/winseam/unique.h"

namespace {

// The system's text of the calling thread's last error.
std::string LastErrorText() {
    PString text;
    PSystemErrorText(text, static_cast<std::int32_t>(GetLastError()));
    return std::string(text.view());
}

}  // namespace

std::int32_t InstallerWorkerThread::registerInstallation() {
    const RegistrationTexts texts = MakeRegistrationTexts(params_);
    mainAppPath_ = texts.mainApp;
    mainAppArguments_ = texts.mainAppArgs;
    const PString keyPath(texts.key.c_str());
    int failed = 0;
    const auto writeString = [&](const char* name, const std::string& value) {
        PRegWriteStringUnderPath(HKEY_LOCAL_MACHINE, keyPath, name, value.c_str(), failed);
    };

    writeString("DisplayName", texts.fullDisplayName);
    writeString("DisplayIcon", texts.uninstaller);
    writeString("UninstallString", UninstallString(texts));
    const std::string source(PModuleFileName(nullptr, &PMixedEncoding()).view());
    if (!source.empty()) {
        PLog("Source: %s", source.c_str());
        writeString("InstallSource", source);
    }
    writeString("InstallLocation", params_.installFolder);
    writeString("Publisher", texts.fullDisplayName);
    writeString("ProductStartMenu", texts.fullDisplayName);
    writeString("InstallDate", CtimeText(PLocalTime()));

    if (const UniqueRegKey key = POpenOrCreateKeyPath(HKEY_LOCAL_MACHINE, keyPath)) {
        const auto setDword = [&](const char* name, std::uint32_t value) {
            PRegWriteDword(key.get(), name, value, &PMixedEncoding());
        };
        setDword("NoModify", 1);
        setDword("NoRepair", 1);
        setDword("Language", static_cast<std::uint32_t>(params_.locale));
    }

    const ShortcutPlan plan = PlanShortcuts(params_, texts);
    // Shortcuts go to the user's own folders too: none is written through a link there.
    const auto link = [&](const PLinkFreeFolder& folder, const std::string& target,
                          const std::string& file, const std::string& arguments) {
        const PString argumentText(arguments.c_str());
        const PString iconFile(texts.iconFile.c_str());
        const HRESULT result = PCreateShortcut(&PMixedEncoding(), PString(target.c_str()), folder,
                                               file, PString(params_.installFolder.c_str()),
                                               arguments.empty() ? nullptr : &argumentText,
                                               &iconFile, params_.iconIndex);
        if (result == HRESULT_FROM_WIN32(ERROR_CANT_ACCESS_FILE))
            PLog("Shortcut not made, a link is on its way: '%s'", file.c_str());
    };
    const auto linkToApp = [&](const PLinkFreeFolder& folder, const std::string& file) {
        link(folder, texts.mainApp, file, texts.mainAppArgs);
    };
    const auto linkToUninstaller = [&](const PLinkFreeFolder& folder, const std::string& file) {
        link(folder, texts.uninstaller, file, texts.uninstallArgs);
    };
    // Makes `folder` below `base` for shortcuts; false, logged, when it cannot be made.
    const auto shortcutFolder = [](PLinkFreeFolder& base, const std::string& folder) {
        // The shell folder itself is the system's; a missing one is made as the system names it.
        if (!base.valid() && CreateAllDirectories(base.path())) base = PLinkFreeFolder(base.path());
        const PLinkFree made = base.makeFolders(folder);
        if (made == PLinkFree::kDone) return true;
        const std::string why =
            made == PLinkFree::kLinked ? "a link is on its way" : LastErrorText();
        PLog("Cannot create program shortcuts in '%s': %s", folder.c_str(), why.c_str());
        return false;
    };
    if (!plan.uninstallShortcut.empty()) linkToUninstaller(*installFolder_, plan.uninstallShortcut);
    if (params_.oldWindows) Sleep(1000);

    PLog("\nOptions:");
    PLog(" All users: %d", params_.allUsers);
    PLog(" Desktop: %d", params_.desktopShortcut);
    PLog(" Start Up: %d", params_.startMenuShortcut);
    PLog(" Quick Launch: %d", params_.quickLaunchShortcut);
    PLog("Common Programs: %s", params_.commonProgramsFolder.c_str());
    PLog("Programs: %s", params_.programsFolder.c_str());

    if (plan.groupFolder.empty()) {
        PLog("No program group: %s", plan.noGroupReason.c_str());
    } else {
        writeString(plan.groupValueName.c_str(), plan.groupFolder);
        PLinkFreeFolder programs(FolderOf(plan.groupFolder));
        if (shortcutFolder(programs, plan.groupFolder)) {
            linkToApp(programs, plan.groupAppShortcut);
            linkToUninstaller(programs, plan.groupUninstallShortcut);
        }
    }
    for (const std::optional<ShortcutPlace>& place : {plan.desktop, plan.startMenu}) {
        if (!place) continue;
        linkToApp(PLinkFreeFolder(FolderOf(place->file)), place->file);
        writeString(place->valueName.c_str(), place->file);
    }
    if (plan.quickLaunch) {
        PLinkFreeFolder appData(QuickLaunchBase(params_.quickLaunchFolder));
        if (shortcutFolder(appData, params_.quickLaunchFolder)) {
            linkToApp(appData, plan.quickLaunch->file);
            writeString(plan.quickLaunch->valueName.c_str(), plan.quickLaunch->file);
        }
    }
    return failed ? -1 : 0;
}
