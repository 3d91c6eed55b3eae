#pragma once

#include <windows.h>

#include <optional>

#include "installer/MyCWnd/myctopwindow.h"
#include "installer/ZembricoInstall/installlocation.h"
#include "installer/ZembricoInstall/wizardcontrolset.h"
#include "installer/core/wizardlayout.h"
#include "plib/pstring.h"

enum class WizardScreen { kOptions, kProgress, kFinished };

// Which of the wizard's screens shows and what it says: the controls of the screen, the texts
// that change with it, the space labels and whether the primary button can be pressed.
class WizardScreens {
  public:
    WizardScreens(const MyCTopWindow& window, WizardControlSet& controls) noexcept;

    // The screen's own text for `slot`, where it differs from the layout table's; `launch` is
    // the finished screen's button.
    std::optional<PString> screenText(WizardSlot slot, const PString& launch) const;

    // Shows the controls of the current screen (the custom options only when Custom is
    // chosen) and paints.
    void show();
    // Paints the window and then its controls, now: the transparent controls need the page
    // under them first.
    void repaint() const;
    // The text of `slot`, laid out again for it.
    void relabel(WizardSlot slot, const PString& text);

    // Takes `screen` as the current one; show() shows it.
    void enter(WizardScreen screen) noexcept { screen_ = screen; }
    // The progress screen's heading and label.
    void labelProgress();
    // Enters the finished screen with its texts and `launch` on the primary button, enabled.
    void toFinished(const PString& launch);

    // Install needs the licence accepted, the space and no installation running.
    void updatePrimary(bool installing);

    const SpaceLabels& space() const noexcept { return space_; }
    // Takes `space` for the labels made next.
    void takeSpace(SpaceLabels space) { space_ = std::move(space); }
    // Takes `space` and shows it in the labels.
    void showSpace(SpaceLabels space);
    // The colour of the available space: red when it is short.
    COLORREF availableColour() const noexcept;

  private:
    const MyCTopWindow& window_;
    WizardControlSet& controls_;
    WizardScreen screen_ = WizardScreen::kOptions;
    SpaceLabels space_;
};
