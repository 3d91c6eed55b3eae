#include <windows.h>

#include "installer/ZembricoInstall/installerworkerthread.h"
#include "installer/core/registrationplan.h"
#include "plib/perror.h"
#include "plib/plog.h"
#include "plib/pstringencoding.h"
#include "plib/psystem.h"
#include "plib/win/pmodule.h"
#include "plib/win/pregistry.h"
#include "plib/win/pshell.h"
#include "plib/win/unique.h"

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
    const auto link = [&](const std::string& target, const std::string& file,
                          const std::string& arguments) {
        const PString argumentText(arguments.c_str());
        const PString iconFile(texts.iconFile.c_str());
        PCreateShortcut(&PMixedEncoding(), PString(target.c_str()), PString(file.c_str()),
                        PString(params_.installFolder.c_str()),
                        arguments.empty() ? nullptr : &argumentText, &iconFile, params_.iconIndex);
    };
    const auto linkToApp = [&](const std::string& file) {
        link(texts.mainApp, file, texts.mainAppArgs);
    };
    const auto linkToUninstaller = [&](const std::string& file) {
        link(texts.uninstaller, file, texts.uninstallArgs);
    };
    if (!plan.uninstallShortcut.empty()) linkToUninstaller(plan.uninstallShortcut);
    if (params_.oldWindows) Sleep(1000);

    PLog("\nOptions:");
    PLog(" All users: %d", params_.allUsers);
    PLog(" Desktop: %d", params_.desktopShortcut);
    PLog(" Start Up: %d", params_.startMenuShortcut);
    PLog(" Quick Launch: %d", params_.quickLaunchShortcut);
    PLog("Common Programs: %s", params_.commonProgramsFolder.c_str());
    PLog("Programs: %s", params_.programsFolder.c_str());

    if (plan.groupFolder.empty()) {
        PLog("No program group: the display name is not a plain folder name");
    } else {
        writeString(plan.groupValueName.c_str(), plan.groupFolder);
        if (CreateAllDirectories(plan.groupFolder)) {
            linkToApp(plan.groupAppShortcut);
            linkToUninstaller(plan.groupUninstallShortcut);
        } else {
            PLog("Cannot create program shortcuts in '%s': %s", plan.groupFolder.c_str(),
                 LastErrorText().c_str());
        }
    }
    if (plan.desktop) {
        linkToApp(plan.desktop->file);
        writeString(plan.desktop->valueName.c_str(), plan.desktop->file);
    }
    if (plan.startMenu) {
        linkToApp(plan.startMenu->file);
        writeString(plan.startMenu->valueName.c_str(), plan.startMenu->file);
    }
    if (plan.quickLaunch) {
        if (CreateAllDirectories(params_.quickLaunchFolder)) {
            linkToApp(plan.quickLaunch->file);
            writeString(plan.quickLaunch->valueName.c_str(), plan.quickLaunch->file);
        } else {
            PLog("Cannot create program shortcuts in '%s': %s", params_.quickLaunchFolder.c_str(),
                 LastErrorText().c_str());
        }
    }
    return failed ? -1 : 0;
}
