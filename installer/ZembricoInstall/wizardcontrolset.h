#pragma once

#include <windows.h>

#include <array>
#include <cstddef>
#include <memory>

#include "installer/MyCWnd/myctopwindow.h"
#include "installer/MyCWnd/mycwnd.h"
#include "installer/ZembricoInstall/wizardlooks.h"
#include "installer/core/wizardlayout.h"
#include "plib/pstring.h"

// The wizard's controls by slot, made from the layout table: each at its table place at the
// window's factor, in the looks made last, as high as its text where the table leaves it open.
class WizardControlSet {
  public:
    WizardControlSet(const MyCTopWindow& window, const WizardLooks& looks) noexcept;

    // The control of `row`, showing `text`.
    void create(const WizardControl& row, const PString& text);
    // The control of `row` in the looks made last, at its table place.
    void restyle(const WizardControl& row);
    // Places the control of `row` for its current text.
    void layout(const WizardControl& row);
    // The small labels over the picture, stacked upwards from the last one's bottom edge.
    void stackSmallLabels();

    // Null for a slot without a control (the operator line of a build without an operator).
    MyCWnd* find(WizardSlot slot) const { return controls_[static_cast<std::size_t>(slot)].get(); }
    template <typename Control>
    Control& get(WizardSlot slot) const {
        return static_cast<Control&>(*find(slot));
    }

  private:
    // A rectangle of the table (100 %) in window pixels: both edges at the factor.
    RECT rowRect(int x, int y, int width, int height) const;
    // Where the control of `row` is created and, before its texts are measured, placed.
    RECT createdRect(const WizardControl& row) const;

    const MyCTopWindow& window_;
    const WizardLooks& looks_;
    std::array<std::unique_ptr<MyCWnd>, static_cast<std::size_t>(WizardSlot::kCount)> controls_;
};
