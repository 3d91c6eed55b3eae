#include <windows.h>

#include "installer/ZembricoInstall/wizardtext.h"
#include "installer/ZembricoInstall/zembricoinstallwindow.h"
#include "plib/win/prunningclient.h"

bool ZembricoInstallWindow::runningClientGivenUp() {
    const PString displayName(params_.displayName.c_str());
    while (ClientIsRunning(settings_.mainWindowClass)) {
        const int answer =
            boxes_.ask(WizardText(TXTINS_Installing_N0, displayName),
                       WizardText(TXTINS_The_N0_Installer_has_detected__ELL, displayName),
                       WizardText(TXTINS_Retry), WizardText(TXTINS_Abort), kRunningClientBox);
        if (answer != MyMsgBox::kFirst) return true;
    }
    return false;
}
