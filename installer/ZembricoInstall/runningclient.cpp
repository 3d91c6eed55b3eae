#include "installer/ZembricoInstall/runningclient.h"

#include <windows.h>

#include "installer/ZembricoInstall/wizardtext.h"
#include "installer/ZembricoInstall/zembricoinstallwindow.h"
#include "plib/win/unique.h"

namespace {

constexpr int kBoxWidth = 390;
constexpr int kBoxHeight = 380;

}  // namespace

bool ClientIsRunning(const std::string& mainWindowClass) {
    const std::wstring name = MyWide(mainWindowClass.c_str());
    if (FindWindowW(name.c_str(), nullptr)) return true;
    UniqueHandle mutex(CreateMutexW(nullptr, FALSE, name.c_str()));
    if (!mutex) return true;
    const DWORD wait = WaitForSingleObject(mutex.get(), 0);
    if (wait == WAIT_OBJECT_0 || wait == WAIT_ABANDONED) ReleaseMutex(mutex.get());
    return wait == WAIT_TIMEOUT;
}

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
