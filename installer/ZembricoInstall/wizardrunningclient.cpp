#include <windows.h>

#include "installer/ZembricoInstall/wizardtext.h"
#include "installer/ZembricoInstall/zembricoinstallwindow.h"
#include "plib/win/prunningclient.h"

namespace {

constexpr int kBoxWidth = 390;
constexpr int kBoxHeight = 380;

}  // namespace

bool ZembricoInstallWindow::runningClientGivenUp() {
    const PString displayName(params_.displayName.c_str());
    while (ClientIsRunning(settings_.mainWindowClass)) {
        const int answer =
            messageBox(WizardText(TXTINS_Installing_N0, displayName),
                       WizardText(TXTINS_The_N0_Installer_has_detected__ELL, displayName),
                       WizardText(TXTINS_Retry), WizardText(TXTINS_Abort), kBoxWidth, kBoxHeight);
        if (answer != MyMsgBox::kFirst) return true;
    }
    return false;
}
