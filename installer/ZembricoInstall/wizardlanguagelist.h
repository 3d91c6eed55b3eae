#pragma once

#include "installer/ZembricoInstall/wizardboxes.h"
#include "installer/ZembricoInstall/wizardcontrolset.h"
#include "plib/pstring.h"

// The wizard's language list: filled in list order, and a choice confirmed before a language
// that this Windows cannot show is taken.
class WizardLanguageList {
  public:
    WizardLanguageList(const WizardControlSet& controls, const WizardBoxes& boxes) noexcept;

    // Fills the list and selects the current language.
    void fill();
    // The current language's name as the list showed it first.
    const PString& initialName() const noexcept { return initialName_; }

    struct Choice {
        enum class Outcome { kUnchanged, kChanged, kRefused } outcome;
        int language;  // with kChanged
    };
    // The language chosen in the list, asked about first when this Windows cannot show it. A
    // refused choice puts the current language back in the list; while the question is open,
    // further choices leave the language unchanged.
    Choice choose();

  private:
    bool confirm(int language);

    const WizardControlSet& controls_;
    const WizardBoxes& boxes_;
    PString initialName_;
    bool confirming_ = false;
};
