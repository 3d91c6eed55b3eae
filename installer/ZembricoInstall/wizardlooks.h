#pragma once

#include <windows.h>

#include <array>
#include <string>

#include "installer/MyCWnd/mycbitmaps.h"
#include "installer/MyCWnd/mycbutton.h"
#include "installer/MyCWnd/myccheckbox.h"
#include "installer/MyCWnd/myccombobox.h"
#include "installer/MyCWnd/mycfonts.h"
#include "installer/core/wizardlayout.h"
#include "plib/winseam/unique.h"

// The wizard's skin bitmaps: the program's bitmap resources by what they draw.
struct WizardSkinIds {
    int normal, hover, pressed, disabled;
};
struct WizardSkinTable {
    WizardSkinIds browseButton, primaryButton, closeButton;
    WizardSkinIds checked, unchecked, radioOn, radioOff;
    int listArrowClosed, listArrowOpen;
    int progressTrack, progressFill;
};
inline constexpr WizardSkinTable kWizardSkins = {
    .browseButton = {221, 223, 222, 224},
    .primaryButton = {225, 227, 226, 228},
    .closeButton = {255, 273, 274, 255},
    .checked = {245, 248, 247, 246},
    .unchecked = {249, 253, 252, 251},
    .radioOn = {256, 261, 262, 263},
    .radioOff = {257, 264, 265, 257},
    .listArrowClosed = 250,
    .listArrowOpen = 254,
    .progressTrack = 258,
    .progressFill = 259,
};

// The colour of the label in `slot`: white on the picture, black for the heading, else grey.
COLORREF WizardLabelColour(WizardSlot slot);

// How the wizard looks at one factor: its fonts, skins, hand cursor and the looks of its
// controls. The controls borrow all of these, so they take new ones after every make().
class WizardLooks {
  public:
    // `headingFontHeight`: the toolkit's heading font height for this system.
    WizardLooks(HINSTANCE instance, int headingFontHeight) noexcept;

    // Everything again at `scale` percent, from the window's toolkit `fonts`; a "Highwire"
    // `brand` has white text on its browse button.
    void make(const MyCFonts& fonts, int scale, const std::string& brand);

    HFONT font(WizardFont which) const;
    HFONT heading() const noexcept { return heading_.get(); }
    HCURSOR handCursor() const noexcept { return handCursor_.get(); }
    const MyCButtonLook& button(WizardKind kind) const;
    const MyCCheckLook& check() const noexcept { return check_; }
    const MyCCheckLook& radio() const noexcept { return radio_; }
    const MyCComboLook& list() const noexcept { return list_; }
    // The licence box: the check box's skins in its row's font, in grey.
    MyCCheckLook licence() const;
    HBITMAP progressTrack() const { return bitmaps_.get(kWizardSkins.progressTrack); }
    HBITMAP progressFill() const { return bitmaps_.get(kWizardSkins.progressFill); }

  private:
    void makeFonts(const MyCFonts& fonts, int scale);
    void makeControlLooks(const std::string& brand);
    MyCSkin skin(const WizardSkinIds& ids);

    HINSTANCE instance_;
    int headingFontHeight_;
    mutable MyCBitmaps bitmaps_;       // each made on first use
    HFONT normal_ = nullptr;           // the toolkit's, for WizardFont::kDefault
    std::array<UniqueFont, 8> fonts_;  // by WizardFont; [0] unused
    UniqueFont heading_;
    UniqueCursor handCursor_;
    MyCButtonLook browse_, primary_, close_;
    MyCCheckLook check_, radio_;
    MyCComboLook list_;
};
