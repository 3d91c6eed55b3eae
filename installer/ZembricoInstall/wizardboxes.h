#pragma once

#include "installer/MyCWnd/myctopwindow.h"
#include "installer/ZembricoInstall/wizardlooks.h"
#include "installer/core/wizardlayout.h"
#include "plib/pstring.h"

// The wizard's message boxes: drawn in its looks, owned by its window, at its factor, and
// taller than their size when the text needs it.
class WizardBoxes {
  public:
    WizardBoxes(const MyCTopWindow& owner, const WizardLooks& looks) noexcept;

    // Asks with one button (`second` empty) or two; the answer is MyMsgBox::kFirst, kSecond or
    // kClose.
    int ask(const PString& title, const PString& text, const PString& first, const PString& second,
            WizardBoxSize size) const;

  private:
    const MyCTopWindow& owner_;
    const WizardLooks& looks_;
};
