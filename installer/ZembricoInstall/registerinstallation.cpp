#include <windows.h>

#include <optional>

#include "installer/ZembricoInstall/installerworkerthread.h"
#include "installer/core/installparameters.h"
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

// The uninstall key of the installation; a value that cannot be written marks it failed.
class UninstallKey {
  public:
    explicit UninstallKey(const std::string& path) : path_(path.c_str()) {}

    void write(const char* name, const std::string& value) {
        PRegWriteStringUnderPath(HKEY_LOCAL_MACHINE, path_, name, value.c_str(), failed_);
    }
    void writeDwords(const InstallParameters& params) const {
        const UniqueRegKey key = POpenOrCreateKeyPath(HKEY_LOCAL_MACHINE, path_);
        if (!key) return;
        const auto setDword = [&](const char* name, std::uint32_t value) {
            PRegWriteDword(key.get(), name, value, &PMixedEncoding());
        };
        setDword("NoModify", 1);
        setDword("NoRepair", 1);
        setDword("Language", static_cast<std::uint32_t>(params.locale));
    }
    bool failed() const noexcept { return failed_ != 0; }

  private:
    PString path_;
    int failed_ = 0;
};

// What the system's list of programs shows of the installation.
void WriteProgramValues(UninstallKey& key, const RegistrationTexts& texts,
                        const InstallParameters& params) {
    key.write("DisplayName", texts.fullDisplayName);
    key.write("DisplayIcon", texts.uninstaller);
    key.write("UninstallString", UninstallString(texts));
    const std::string source(PModuleFileName(nullptr, &PMixedEncoding()).view());
    if (!source.empty()) {
        PLog("Source: %s", source.c_str());
        key.write("InstallSource", source);
    }
    key.write("InstallLocation", params.installFolder);
    key.write("Publisher", texts.fullDisplayName);
    key.write("ProductStartMenu", texts.fullDisplayName);
    key.write("InstallDate", CtimeText(PLocalTime()));
    key.writeDwords(params);
}

// Shortcuts go to the user's own folders too: none is written through a link there.
class Shortcuts {
  public:
    Shortcuts(const RegistrationTexts& texts, const InstallParameters& params)
        : texts_(texts), params_(params) {}

    void toApp(const PLinkFreeFolder& folder, const std::string& file) const {
        link(folder, texts_.mainApp, file, texts_.mainAppArgs);
    }
    void toUninstaller(const PLinkFreeFolder& folder, const std::string& file) const {
        link(folder, texts_.uninstaller, file, texts_.uninstallArgs);
    }

  private:
    void link(const PLinkFreeFolder& folder, const std::string& target, const std::string& file,
              const std::string& arguments) const {
        const PString argumentText(arguments.c_str());
        const PString iconFile(texts_.iconFile.c_str());
        const HRESULT result = PCreateShortcut(&PMixedEncoding(), PString(target.c_str()), folder,
                                               file, PString(params_.installFolder.c_str()),
                                               arguments.empty() ? nullptr : &argumentText,
                                               &iconFile, params_.iconIndex);
        if (result == HRESULT_FROM_WIN32(ERROR_CANT_ACCESS_FILE))
            PLog("Shortcut not made, a link is on its way: '%s'", file.c_str());
    }

    const RegistrationTexts& texts_;
    const InstallParameters& params_;
};

// Makes `folder` below `base` for shortcuts; false, logged, when it cannot be made.
bool ShortcutFolder(PLinkFreeFolder& base, const std::string& folder) {
    // The shell folder itself is the system's; a missing one is made as the system names it.
    if (!base.valid() && CreateAllDirectories(base.path())) base = PLinkFreeFolder(base.path());
    const PLinkFree made = base.makeFolders(folder);
    if (made == PLinkFree::kDone) return true;
    const std::string why = made == PLinkFree::kLinked ? "a link is on its way" : LastErrorText();
    PLog("Cannot create program shortcuts in '%s': %s", folder.c_str(), why.c_str());
    return false;
}

void LogOptions(const InstallParameters& params) {
    PLog("\nOptions:");
    PLog(" All users: %d", params.allUsers);
    PLog(" Desktop: %d", params.desktopShortcut);
    PLog(" Start Up: %d", params.startMenuShortcut);
    PLog(" Quick Launch: %d", params.quickLaunchShortcut);
    PLog("Common Programs: %s", params.commonProgramsFolder.c_str());
    PLog("Programs: %s", params.programsFolder.c_str());
}

}  // namespace

std::int32_t InstallerWorkerThread::registerInstallation() {
    const RegistrationTexts texts = MakeRegistrationTexts(params_);
    mainAppPath_ = texts.mainApp;
    mainAppArguments_ = texts.mainAppArgs;
    UninstallKey key(texts.key);
    WriteProgramValues(key, texts, params_);

    const ShortcutPlan plan = PlanShortcuts(params_, texts);
    const Shortcuts shortcuts(texts, params_);
    if (!plan.uninstallShortcut.empty())
        shortcuts.toUninstaller(*installFolder_, plan.uninstallShortcut);
    if (params_.oldWindows) Sleep(1000);
    LogOptions(params_);

    if (plan.groupFolder.empty()) {
        PLog("No program group: %s", plan.noGroupReason.c_str());
    } else {
        key.write(plan.groupValueName.c_str(), plan.groupFolder);
        PLinkFreeFolder programs(FolderOf(plan.groupFolder));
        if (ShortcutFolder(programs, plan.groupFolder)) {
            shortcuts.toApp(programs, plan.groupAppShortcut);
            shortcuts.toUninstaller(programs, plan.groupUninstallShortcut);
        }
    }
    for (const std::optional<ShortcutPlace>& place : {plan.desktop, plan.startMenu}) {
        if (!place) continue;
        shortcuts.toApp(PLinkFreeFolder(FolderOf(place->file)), place->file);
        key.write(place->valueName.c_str(), place->file);
    }
    if (plan.quickLaunch) {
        PLinkFreeFolder appData(QuickLaunchBase(params_.quickLaunchFolder));
        if (ShortcutFolder(appData, params_.quickLaunchFolder)) {
            shortcuts.toApp(appData, plan.quickLaunch->file);
            key.write(plan.quickLaunch->valueName.c_str(), plan.quickLaunch->file);
        }
    }
    return key.failed() ? -1 : 0;
}
