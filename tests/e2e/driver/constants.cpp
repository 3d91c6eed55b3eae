#include "constants.h"

#include <initializer_list>
#include <utility>

#include "client/core/uninstallcodes.h"
#include "installer/MyCWnd/mymsgbox.h"
#include "installer/core/installcodes.h"
#include "installer/core/wizardlayout.h"
#include "installer/core/wizardscale.h"

namespace {

using Named = std::pair<const char*, int>;

std::string Object(std::initializer_list<Named> values) {
    std::string out = "{";
    for (const auto& [name, value] : values) {
        if (out.size() > 1) out += ", ";
        out += "\"" + std::string(name) + "\": " + std::to_string(value);
    }
    return out + "}";
}

}  // namespace

std::string ConstantsJson() {
    const std::string controls = Object({{"PRIMARY", kIdPrimary},
                                         {"CLOSE", kIdClose},
                                         {"LANGUAGES", kIdLanguageList},
                                         {"STANDARD", kIdStandard},
                                         {"CUSTOM", kIdCustom},
                                         {"DESKTOP", kIdDesktop},
                                         {"QUICK_LAUNCH", kIdQuickLaunch},
                                         {"START_MENU", kIdStartMenu},
                                         {"ALL_USERS", kIdAllUsers},
                                         {"LICENCE", kIdLicence},
                                         {"LICENCE_LINK", kIdLicenceLink},
                                         {"LICENCE_LINK_SECOND_LINE", kIdLicenceLinkSecondLine},
                                         {"FOLDER_EDIT", kIdFolderEdit},
                                         {"BROWSE", kIdBrowse},
                                         {"PROGRESS", kIdProgressBar}});
    const std::string exits =
        Object({{"EXIT_LAUNCHED", ExitValue(InstallExit::kOk)},
                {"EXIT_OS_TOO_OLD", ExitValue(InstallExit::kOsTooOld)},
                {"EXIT_QUIT", ExitValue(InstallExit::kUserQuit)},
                {"EXIT_RUNNING_CLIENT", ExitValue(InstallExit::kRunningClient)},
                {"EXIT_STARTUP_FAILED", ExitValue(InstallExit::kStartupFailed)},
                {"UNINSTALL_REMOVED", ExitValue(UninstallExit::kRemoved)},
                {"UNINSTALL_CANCELLED", ExitValue(UninstallExit::kCancelled)},
                {"UNINSTALL_CLIENT_RUNNING", ExitValue(UninstallExit::kClientRunning)},
                {"UNINSTALL_NOT_FOUND", ExitValue(UninstallExit::kNotFound)},
                {"UNINSTALL_BAD_ARGUMENTS", ExitValue(UninstallExit::kBadArguments)},
                {"UNINSTALL_INCOMPLETE", ExitValue(UninstallExit::kIncomplete)},
                {"UNINSTALL_FAILED", ExitValue(UninstallExit::kFailed)}});
    std::string steps = "[";
    for (int step : kWizardScaleSteps)
        steps += (steps.size() > 1 ? ", " : "") + std::to_string(step);
    steps += "]";
    const std::string sizes = Object({{"WIZARD_WIDTH", kWizardWidth},
                                      {"WIZARD_HEIGHT", kWizardHeight},
                                      {"MINIMUM_SCALE", kMinimumWizardScale},
                                      {"BOX_BUTTON_LEFT", MyMsgBox::kButtonLeft},
                                      {"BOX_BUTTON_WIDTH", MyMsgBox::kButtonWidth},
                                      {"BOX_FIRST", MyMsgBox::kFirst},
                                      {"BOX_SECOND", MyMsgBox::kSecond},
                                      {"BOX_CLOSE", MyMsgBox::kClose}});
    return "{\"controls\": " + controls + ", \"exits\": " + exits + ", \"sizes\": " + sizes +
           ", \"scale_steps\": " + steps + "}";
}
