// The wizard's screens: which controls show, the primary button's state and the space labels.
#include "installer/MyCWnd/mycfocus.h"
#include "installer/ZembricoInstall/wizardtext.h"
#include "installer/ZembricoInstall/zembricoinstallwindow.h"
#include "installer/core/languagelist.h"
#include "installer/core/payloadarchive.h"
#include "plib/perror.h"

namespace {

constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kGrey = RGB(0x66, 0x66, 0x66);
constexpr COLORREF kShortOfSpace = RGB(0xC0, 0, 0);

}  // namespace

std::string ZembricoInstallWindow::folderText() const {
    const MyCWnd* edit = controls_.find(WizardSlot::kFolderEdit);
    return edit ? std::string(edit->getText().view()) : params_.installFolder;
}

void ZembricoInstallWindow::updateVisibility() {
    const bool custom = controls_.get<MyCRadioButton>(WizardSlot::kCustom).checked();
    const std::uint8_t screen = screen_ == Screen::kOptions    ? kOnOptions
                                : screen_ == Screen::kProgress ? kOnProgress
                                                               : kOnFinished;
    for (const WizardControl& row : WizardLayout()) {
        MyCWnd* made = controls_.find(row.slot);
        if (!made) continue;
        bool visible = (row.screens & screen) != 0;
        if (screen == kOnOptions && (row.screens & kCustomOnly)) visible = custom;
        if (made->visible() != visible) made->show(visible);
    }
    repaint();
}

void ZembricoInstallWindow::repaint() {
    ::RedrawWindow(hwnd(), nullptr, nullptr,
                   RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

void ZembricoInstallWindow::updateCustomControls() {
    updateVisibility();
}

void ZembricoInstallWindow::evaluatePrimaryButton() {
    const bool enabled = controls_.get<MyCCheckBox>(WizardSlot::kLicence).checked() &&
                         space_.available >= space_.required && !worker_->isRunning();
    const HWND primary = controls_.find(WizardSlot::kPrimary)->hwnd();
    if (static_cast<bool>(::IsWindowEnabled(primary)) != enabled) {
        ::EnableWindow(primary, enabled);
        ::InvalidateRect(primary, nullptr, TRUE);
    }
}

void ZembricoInstallWindow::relabel(WizardSlot slot, const PString& text) {
    controls_.find(slot)->setText(text);
    controls_.layout(WizardRow(slot));
}

std::uint32_t ZembricoInstallWindow::archiveSizeAt(std::uint32_t clusterSize) const {
    const std::span<const std::uint8_t> payload = creation_.payload().bytes;
    PASSERT(!payload.empty());
    return RequiredSpace(payload.data(), static_cast<std::uint32_t>(payload.size()), clusterSize);
}

SpaceLabels ZembricoInstallWindow::spaceLabels(const std::string& path) const {
    return ComputeSpaceLabels(path, CurrentLanguage(),
                              [this](std::uint32_t cluster) { return archiveSizeAt(cluster); });
}

void ZembricoInstallWindow::updateSpace(const std::string& path) {
    space_ = spaceLabels(path);
    showSpaceLabels();
    evaluatePrimaryButton();
}

void ZembricoInstallWindow::showSpaceLabels() {
    auto& required = controls_.get<MyCStaticText>(WizardSlot::kSpaceRequired);
    auto& available = controls_.get<MyCStaticText>(WizardSlot::kSpaceAvailable);
    available.setColour(space_.sufficient() ? kGrey : kShortOfSpace);
    required.setText(space_.requiredText);
    available.setText(space_.availableText);
}

void ZembricoInstallWindow::switchScreen(bool progress) {
    screen_ = worker_->isRunning() ? Screen::kProgress : Screen::kOptions;
    if (progress) {
        relabel(WizardSlot::kHeading, WizardText(TXTINS_InstallingXX));
        controls_.get<MyCStaticText>(WizardSlot::kProgressLabel).setColour(kGrey);
        relabel(WizardSlot::kProgressLabel, WizardText(TXTINS_Nearly_thereXX));
    } else {
        // Back from a failed installation: the options screen's own heading and button.
        for (const WizardSlot slot : {WizardSlot::kHeading, WizardSlot::kPrimary})
            relabel(slot, controlText(WizardRow(slot)));
    }
    updateVisibility();
    evaluatePrimaryButton();
}

void ZembricoInstallWindow::finish() {
    completed_ = true;
    screen_ = Screen::kFinished;
    auto& primary = controls_.get<MyCButton>(WizardSlot::kPrimary);
    primary.setText(WizardText(TXTINS_Launch_N0, params_.displayName.c_str()));
    ::EnableWindow(primary.hwnd(), TRUE);
    relabel(WizardSlot::kHeading, WizardText(TXTINS_YouXre_all_set));
    controls_.get<MyCStaticText>(WizardSlot::kProgressLabel).setColour(kBlack);
    relabel(WizardSlot::kProgressLabel, WizardText(TXTINS_See_you_at_the_poker_tablesX));
    controls_.layout(WizardRow(WizardSlot::kPrimary));
    nameControlsForReaders();
    updateVisibility();
    // The Install button lost the focus when it was disabled for the installation; a keyboard
    // user finds it on Launch, a mouse user's screen stays as drawn.
    if (MyFocusCuesShown(hwnd())) ::SetFocus(primary.hwnd());
    webView2Check();
}
