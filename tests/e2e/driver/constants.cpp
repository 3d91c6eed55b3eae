#include "constants.h"

#include <utility>
#include <vector>

#include "client/core/uninstallcodes.h"
#include "installer/MyCWnd/mymsgbox.h"
#include "installer/core/installcodes.h"
#include "installer/core/wizardlayout.h"
#include "installer/core/wizardscale.h"

namespace {

using Named = std::pair<const char*, int>;

// The tests' names for the controls they reach; the ids come from the window's layout table.
constexpr std::pair<WizardSlot, const char*> kControlNames[] = {
    {WizardSlot::kPrimary, "PRIMARY"},
    {WizardSlot::kClose, "CLOSE"},
    {WizardSlot::kLanguageList, "LANGUAGES"},
    {WizardSlot::kStandard, "STANDARD"},
    {WizardSlot::kCustom, "CUSTOM"},
    {WizardSlot::kDesktop, "DESKTOP"},
    {WizardSlot::kQuickLaunch, "QUICK_LAUNCH"},
    {WizardSlot::kStartMenu, "START_MENU"},
    {WizardSlot::kAllUsers, "ALL_USERS"},
    {WizardSlot::kLicence, "LICENCE"},
    {WizardSlot::kFolderEdit, "FOLDER_EDIT"},
    {WizardSlot::kBrowse, "BROWSE"},
    {WizardSlot::kProgressBar, "PROGRESS"},
};

std::string Object(const std::vector<Named>& values) {
    std::string out = "{";
    for (const auto& [name, value] : values) {
        if (out.size() > 1) out += ", ";
        out += "\"" + std::string(name) + "\": " + std::to_string(value);
    }
    return out + "}";
}

}  // namespace

std::string ConstantsJson() {
    std::vector<Named> named;
    for (const auto& [slot, name] : kControlNames) named.emplace_back(name, WizardRow(slot).id);
    // The licence box's link lines are its own children, not rows of their own.
    named.emplace_back("LICENCE_LINK", kIdLicenceLink);
    named.emplace_back("LICENCE_LINK_SECOND_LINE", kIdLicenceLinkSecondLine);
    const std::string controls = Object(named);
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
                                      {"QUIT_BOX_WIDTH", kQuitBox.width},
                                      {"QUIT_BOX_HEIGHT", kQuitBox.height},
                                      {"BOX_BUTTON_LEFT", MyMsgBox::kButtonLeft},
                                      {"BOX_BUTTON_WIDTH", MyMsgBox::kButtonWidth},
                                      {"BOX_FIRST", MyMsgBox::kFirst},
                                      {"BOX_SECOND", MyMsgBox::kSecond},
                                      {"BOX_CLOSE", MyMsgBox::kClose}});
    return "{\"controls\": " + controls + ", \"exits\": " + exits + ", \"sizes\": " + sizes +
           ", \"scale_steps\": " + steps + "}";
}
