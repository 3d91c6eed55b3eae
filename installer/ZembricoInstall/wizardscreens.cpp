#include "installer/ZembricoInstall/wizardscreens.h"

#include "installer/MyCWnd/mycbutton.h"
#include "installer/MyCWnd/myccheckbox.h"
#include "installer/MyCWnd/mycstatictext.h"
#include "installer/ZembricoInstall/wizardtext.h"

namespace {

constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kGrey = RGB(0x66, 0x66, 0x66);
constexpr COLORREF kShortOfSpace = RGB(0xC0, 0, 0);

}  // namespace

WizardScreens::WizardScreens(const MyCTopWindow& window, WizardControlSet& controls) noexcept
    : window_(window), controls_(controls) {}

std::optional<PString> WizardScreens::screenText(WizardSlot slot, const PString& launch) const {
    const bool progress = screen_ == WizardScreen::kProgress;
    const bool finished = screen_ == WizardScreen::kFinished;
    switch (slot) {
        case WizardSlot::kHeading:
            if (progress) return WizardText(TXTINS_InstallingXX);
            if (finished) return WizardText(TXTINS_YouXre_all_set);
            break;
        case WizardSlot::kProgressLabel:
            if (progress) return WizardText(TXTINS_Nearly_thereXX);
            if (finished) return WizardText(TXTINS_See_you_at_the_poker_tablesX);
            break;
        case WizardSlot::kPrimary:
            if (finished) return launch;
            break;
        case WizardSlot::kSpaceRequired:
            return space_.requiredText;
        case WizardSlot::kSpaceAvailable:
            return space_.availableText;
        default:
            break;
    }
    return std::nullopt;
}

void WizardScreens::show() {
    const bool custom = controls_.get<MyCRadioButton>(WizardSlot::kCustom).checked();
    const std::uint8_t screen = screen_ == WizardScreen::kOptions    ? kOnOptions
                                : screen_ == WizardScreen::kProgress ? kOnProgress
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

void WizardScreens::repaint() const {
    ::RedrawWindow(window_.hwnd(), nullptr, nullptr,
                   RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

void WizardScreens::relabel(WizardSlot slot, const PString& text) {
    controls_.find(slot)->setText(text);
    controls_.layout(WizardRow(slot));
}

void WizardScreens::labelProgress() {
    relabel(WizardSlot::kHeading, WizardText(TXTINS_InstallingXX));
    controls_.get<MyCStaticText>(WizardSlot::kProgressLabel).setColour(kGrey);
    relabel(WizardSlot::kProgressLabel, WizardText(TXTINS_Nearly_thereXX));
}

void WizardScreens::toFinished(const PString& launch) {
    screen_ = WizardScreen::kFinished;
    auto& primary = controls_.get<MyCButton>(WizardSlot::kPrimary);
    primary.setText(launch);
    ::EnableWindow(primary.hwnd(), TRUE);
    relabel(WizardSlot::kHeading, WizardText(TXTINS_YouXre_all_set));
    controls_.get<MyCStaticText>(WizardSlot::kProgressLabel).setColour(kBlack);
    relabel(WizardSlot::kProgressLabel, WizardText(TXTINS_See_you_at_the_poker_tablesX));
    controls_.layout(WizardRow(WizardSlot::kPrimary));
}

void WizardScreens::updatePrimary(bool installing) {
    const bool enabled = controls_.get<MyCCheckBox>(WizardSlot::kLicence).checked() &&
                         space_.sufficient() && !installing;
    const HWND primary = controls_.find(WizardSlot::kPrimary)->hwnd();
    if (static_cast<bool>(::IsWindowEnabled(primary)) != enabled) {
        ::EnableWindow(primary, enabled);
        ::InvalidateRect(primary, nullptr, TRUE);
    }
}

void WizardScreens::showSpace(SpaceLabels space) {
    space_ = std::move(space);
    auto& required = controls_.get<MyCStaticText>(WizardSlot::kSpaceRequired);
    auto& available = controls_.get<MyCStaticText>(WizardSlot::kSpaceAvailable);
    available.setColour(availableColour());
    required.setText(space_.requiredText);
    available.setText(space_.availableText);
}

COLORREF WizardScreens::availableColour() const noexcept {
    return space_.sufficient() ? kGrey : kShortOfSpace;
}
