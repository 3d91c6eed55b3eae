// The wizard's window messages: colours of its texts and the worker's reports.
#include <windowsx.h>

#include <memory>

#include "installer/MyCWnd/mycfocus.h"
#include "installer/ZembricoInstall/wizardtext.h"
#include "installer/ZembricoInstall/zembricoinstallwindow.h"
#include "installer/core/earlylogqueue.h"
#include "installer/core/installcodes.h"
#include "installer/core/toplevelcatch.h"
#include "plib/perror.h"
#include "plib/winseam/pwidenarrow.h"

namespace {

constexpr COLORREF kGrey = RGB(0x66, 0x66, 0x66);

}  // namespace

LRESULT ZembricoInstallWindow::preHandler(UINT message, WPARAM wParam, LPARAM lParam) {
    return Caught(
        {.place = CatchPlace::kWizardProc}, EarlyLogLine,
        [&] { return handleMessage(message, wParam, lParam); },
        [](const std::optional<std::string>&) -> LRESULT { return 1; });
}

LRESULT ZembricoInstallWindow::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_DESTROY:
            ::PostQuitMessage(ExitValue(InstallExit::kRunningClient));
            return 0;
        case WM_CLOSE:
            requestQuit();
            return 1;
        case WM_SETCURSOR: {
            // Only the licence's link pieces: the box's own default handling hands the message
            // back to this window, which must not send it round again.
            const auto* licence =
                dynamic_cast<MyCLinkCheckBox*>(controls_.find(WizardSlot::kLicence));
            const HWND over = reinterpret_cast<HWND>(wParam);
            if (licence &&
                (over == licence->firstLink().hwnd() || over == licence->secondLink().hwnd()))
                return ::SendMessageW(licence->hwnd(), WM_SETCURSOR, wParam, lParam);
            return 0;
        }
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLOREDIT:
            return staticColour(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
        case WM_LBUTTONDOWN:
            drag_.start(hwnd(), lParam);
            return 1;
        case WM_MOUSEMOVE:
            if (::GetCapture() == hwnd()) drag_.move(hwnd());
            return 0;
        case WM_LBUTTONUP:
            if (::GetCapture() == hwnd()) ::ReleaseCapture();
            return 1;
        case kWmInstallProgress:
            installProgress(wParam, lParam);
            return 1;
        default:
            return 0;
    }
}

LRESULT ZembricoInstallWindow::staticColour(HDC dc, HWND control) {
    COLORREF colour = kGrey;
    const MyCWnd* available = controls_.find(WizardSlot::kSpaceAvailable);
    if (available && control == available->hwnd()) {
        colour = screens_.availableColour();
    } else if (const auto* text = dynamic_cast<const MyCStaticText*>(MyCWnd::FromWindow(control))) {
        colour = text->colour();
    }
    ::SetTextColor(dc, colour);
    ::SetBkColor(dc, backgroundColour);
    return reinterpret_cast<LRESULT>(brush());
}

void ZembricoInstallWindow::installProgress(WPARAM wParam, LPARAM detail) {
    const auto code = static_cast<std::int32_t>(wParam);
    if (code >= 0 && code != kInstallComplete) {
        controls_.get<MyCProgressBar>(WizardSlot::kProgressBar).setPercent(code > 100 ? 100 : code);
        return;
    }
    const PString displayName(params_.displayName.c_str());
    switch (code) {
        case kInstallComplete:
            finish();
            break;
        case kInstallGeneralError:
            installErrorBox(TXTINS_Disk_write_errorX_Check_if_the_ELL);
            switchScreen(false);
            break;
        // The worker has ended with these two as well: the progress screen has no button
        // left, so the options come back as after the other failures.
        case kInstallArchiveError:
            installErrorBox(TXTINS_Disk_write_errorX_Check_if_the_ELL);
            switchScreen(false);
            break;
        case kInstallRegistryError:
            installErrorBox(TXTINS_Registry_write_errorX_This_may_ELL);
            switchScreen(false);
            break;
        case kInstallFailedWithText: {
            std::unique_ptr<PString> text(reinterpret_cast<PString*>(detail));
            PASSERT(text);
            PString message = WizardText(TXTINS_Disk_write_errorX_Check_if_the_ELL, displayName);
            AppendText(message, "\n\n");
            AppendText(message, *text);
            ::MessageBoxW(hwnd(), PToWide(message).c_str(),
                          PToWide(WizardText(TXTINS_Installing_N0, displayName)).c_str(),
                          MB_OK | MB_ICONERROR);
            switchScreen(false);
            break;
        }
        default:  // kInstallStopped and codes nobody sends
            break;
    }
}

void ZembricoInstallWindow::switchScreen(bool progress) {
    screens_.enter(worker_->isRunning() ? WizardScreen::kProgress : WizardScreen::kOptions);
    if (progress) {
        screens_.labelProgress();
    } else {
        // Back from a failed installation: the options screen's own heading and button.
        for (const WizardSlot slot : {WizardSlot::kHeading, WizardSlot::kPrimary})
            screens_.relabel(slot, controlText(WizardRow(slot)));
    }
    screens_.show();
    evaluatePrimaryButton();
}

void ZembricoInstallWindow::finish() {
    completed_ = true;
    screens_.toFinished(WizardText(TXTINS_Launch_N0, params_.displayName.c_str()));
    nameControlsForReaders();
    screens_.show();
    // The Install button lost the focus when it was disabled for the installation; a keyboard
    // user finds it on Launch, a mouse user's screen stays as drawn.
    if (MyFocusCuesShown(hwnd())) ::SetFocus(controls_.find(WizardSlot::kPrimary)->hwnd());
    webView2Check();
}
