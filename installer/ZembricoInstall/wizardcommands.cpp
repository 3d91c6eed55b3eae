// What the wizard's buttons, boxes and fields do.
#include <algorithm>

#include "installer/MyCWnd/mycfocus.h"
#include "installer/ZembricoInstall/installfolder.h"
#include "installer/ZembricoInstall/installlog.h"
#include "installer/ZembricoInstall/launchmainapp.h"
#include "installer/ZembricoInstall/startasuser.h"
#include "installer/ZembricoInstall/wizardtext.h"
#include "installer/ZembricoInstall/zembricoinstallwindow.h"
#include "installer/core/buildoptions.h"
#include "installer/core/earlylogqueue.h"
#include "installer/core/installcodes.h"
#include "installer/core/languagelist.h"
#include "installer/core/languagetable.h"
#include "installer/core/toplevelcatch.h"
#include "installer/core/trackingtext.h"
#include "installer/core/wizardscale.h"
#include "plib/pstringencoding.h"
#include "plib/win/pshell.h"
#include "plib/winseam/pwidenarrow.h"

namespace {

constexpr WORD kEditChanged = EN_CHANGE;
constexpr WORD kSelectionConfirmed = CBN_SELENDOK;  // 9
constexpr WORD kClicked = STN_CLICKED;
constexpr int kQuitPollMs = 100;

}  // namespace

BOOL ZembricoInstallWindow::command(WPARAM wParam, LPARAM) {
    const int id = LOWORD(wParam);
    const WORD notification = HIWORD(wParam);
    switch (id) {
        case kIdClose:
        case IDCANCEL:  // Escape, from the dialog keys of the message loop
            requestQuit();
            return TRUE;
        case kIdFolderEdit:
            if (notification == kEditChanged) {
                const std::string path = folderText();
                if (!path.empty()) updateSpace(path);
            }
            return TRUE;
        case kIdLicence:
            evaluatePrimaryButton();
            return TRUE;
        case kIdLanguageList:
            // Keys on the closed list choose at once: the system confirms nothing there.
            if (notification == kSelectionConfirmed ||
                (notification == CBN_SELCHANGE &&
                 !controls_.get<MyCComboBox>(WizardSlot::kLanguageList).droppedDown()))
                languageChosen();
            return TRUE;
        case kIdPrimary:
            if (completed_)
                launch();
            else
                startInstall();
            return TRUE;
        case kIdBrowse:
            browseForFolder();
            return TRUE;
        case kIdLicenceLink:
        case kIdLicenceLinkSecondLine:
            if (notification == kClicked) openLicence();
            return TRUE;
        case kIdStandard:
            selectInstallType(WizardSlot::kStandard, WizardSlot::kCustom);
            return TRUE;
        case kIdCustom:
            selectInstallType(WizardSlot::kCustom, WizardSlot::kStandard);
            return TRUE;
        default:
            return FALSE;
    }
}

void ZembricoInstallWindow::selectInstallType(WizardSlot chosen, WizardSlot other) {
    auto& radio = controls_.get<MyCRadioButton>(chosen);
    // A click on the radio button has selected it already; a command from elsewhere has not.
    if (!radio.checked()) {
        radio.setChecked(true);
        controls_.get<MyCRadioButton>(other).setChecked(false);
    }
    screens_.show();
}

void ZembricoInstallWindow::startInstall() {
    params_.desktopShortcut = controls_.get<MyCCheckBox>(WizardSlot::kDesktop).checked();
    params_.quickLaunchShortcut = controls_.get<MyCCheckBox>(WizardSlot::kQuickLaunch).checked();
    params_.startMenuShortcut = controls_.get<MyCCheckBox>(WizardSlot::kStartMenu).checked();
    params_.allUsers =
        params_.hasAdminRights && controls_.get<MyCCheckBox>(WizardSlot::kAllUsers).checked();
    params_.installFolder = folderText();
    // Nothing is written before the folder is known to be one the installation may own.
    if (!InstallFolderIsUsable(params_.installFolder)) {
        EarlyLog("Install folder refused: '%s'", params_.installFolder.c_str());
        refusedFolderBox();
        return;
    }

    if (runningClientGivenUp()) {
        ::DestroyWindow(hwnd());
        return;
    }
    const BuildRow* row = TheBuildOptions().currentRow();
    if (row && row->removesLegacy) removeLegacyEditions();
    params_.locale = CurrentLanguage();
    ComputeShellFolders(params_);
    if (!worker_->isRunning() && !worker_->start(params_, hwnd(), kWmInstallProgress))
        installErrorBox(TXTINS_Disk_write_errorX_Check_if_the_ELL);
    switchScreen(true);
    screenView("InstallationWindow/InstallStarted");
    const AnalyticsHit hit =
        LanguageChangeEvent(TheLanguageOffer(), languages_.initialName().view(), CurrentLanguage());
    Caught(
        {.place = CatchPlace::kWizardStartInstall, .other = nullptr}, EarlyLogLine,
        [&] { worker_->analytics().event(hit.category, hit.action, hit.label, hit.value); },
        DropCaught);
}

void ZembricoInstallWindow::launch() {
    {
        // The worker's log is closed by now: a launch failure must still reach Install.log.
        const InstallLogSession log(params_.installFolder);
        LaunchMainApp(params_);
    }
    ::PostQuitMessage(ExitValue(InstallExit::kOk));
}

void ZembricoInstallWindow::requestQuit() {
    if (completed_) {
        ::PostQuitMessage(ExitValue(InstallExit::kUserQuit));
        return;
    }
    if (worker_->isRunning()) worker_->controlState = kWorkerPause;
    const PString displayName(params_.displayName.c_str());
    const int answer = boxes_.ask(WizardText(TXTINS_Installing_N0, displayName),
                                  WizardText(TXTINS_Are_you_sure_you_want_to_quit__ELL),
                                  WizardText(TXTINS_Quit_installation),
                                  WizardText(TXTINS_Continue_installation), kQuitBox);
    if (answer != MyMsgBox::kFirst) {
        if (worker_->isRunning()) worker_->controlState = kWorkerRun;
        return;
    }
    if (worker_->isRunning()) {
        worker_->controlState = kWorkerStop;
        while (worker_->isRunning()) ::Sleep(kQuitPollMs);
        worker_->closeThreadHandle();
    }
    screenView("InstallationWindow/InstallCancelled");
    ::PostQuitMessage(ExitValue(InstallExit::kUserQuit));
}

void ZembricoInstallWindow::languageChosen() {
    using Outcome = WizardLanguageList::Choice::Outcome;
    const WizardLanguageList::Choice choice = languages_.choose();
    if (choice.outcome == Outcome::kRefused) {
        screenView("InstallationWindow/InstallCancelled");
    } else if (choice.outcome == Outcome::kChanged) {
        SetCurrentLanguage(choice.language);
        applyLanguage();
    }
}

void ZembricoInstallWindow::browseForFolder() {
    std::optional<std::string> picked;
    {
        MyFocusReturn focusReturn(hwnd());
        picked = BrowseForInstallFolder(hwnd(), folderText(), params_, CurrentLanguage());
    }
    if (!picked || picked->empty()) return;
    controls_.find(WizardSlot::kFolderEdit)->setText(picked->c_str());
    updateSpace(*picked);
}

void ZembricoInstallWindow::openLicence() {
    openWebPage(settings_.urlEula, "help_tos");
    screenView("InstallationWindow/TOS");
}

void ZembricoInstallWindow::openWebPage(const std::string& urlTemplate, const char* pageName) {
    const int language = CurrentLanguage();
    const std::string_view code = language >= 0 && language < kLanguageCount
                                      ? kLanguageTable[language].code
                                      : kLanguageTable[kLanguageEnglish].code;
    const std::string link = BuildWebLink(urlTemplate, pageName, settings_.siteAddress, code);
    if (link.empty()) return;
    if (!StartAsSignedInUser(link, "", "")) PShellOpen(PString(link.c_str()), &PMixedEncoding());
}

void ZembricoInstallWindow::refusedFolderBox() {
    const PString displayName(params_.displayName.c_str());
    boxes_.ask(WizardText(TXTINS_Installing_N0, displayName),
               WizardText(TXTINS_N0_cannot_be_the_install_folde_ELL,
                          PString(params_.installFolder.c_str()), PString(defaultFolder_.c_str())),
               WizardText(TXTINS_OK), PString(), kErrorBox);
}

void ZembricoInstallWindow::installErrorBox(MessageKey key) {
    const PString displayName(params_.displayName.c_str());
    boxes_.ask(WizardText(TXTINS_Installing_N0, displayName), WizardText(key, displayName),
               WizardText(TXTINS_OK), PString(), kErrorBox);
}
