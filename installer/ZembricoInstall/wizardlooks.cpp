#include "installer/ZembricoInstall/wizardlooks.h"

#include "installer/core/wizardscale.h"

namespace {

constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kWhite = RGB(0xFF, 0xFF, 0xFF);
constexpr COLORREF kGrey = RGB(0x66, 0x66, 0x66);
constexpr COLORREF kDisabledGrey = RGB(0xC0, 0xC0, 0xC0);
constexpr int kHandCursor = 220;
constexpr int kCursorSize = 32;

struct FontRecipe {
    int nominal;
    int weight;
    bool smooth;
};
// F1 to F7.
constexpr FontRecipe kFontRecipes[] = {
    {32, 600, true},  {32, 600, true}, {23, 600, true},  {21, 500, false},
    {21, 600, false}, {21, 600, true}, {23, 500, false},
};

}  // namespace

COLORREF WizardLabelColour(WizardSlot slot) {
    switch (slot) {
        case WizardSlot::kHeading:
            return kBlack;
        case WizardSlot::kOperatorLine:
        case WizardSlot::kTrusted:
        case WizardSlot::kSafe:
        case WizardSlot::kExclusive:
        case WizardSlot::kPrizes:
            return kWhite;
        default:
            return kGrey;
    }
}

WizardLooks::WizardLooks(HINSTANCE instance, int headingFontHeight) noexcept
    : instance_(instance), headingFontHeight_(headingFontHeight), bitmaps_(instance) {}

void WizardLooks::make(const MyCFonts& fonts, int scale, const std::string& brand) {
    bitmaps_.setScale(scale);
    makeFonts(fonts, scale);
    makeControlLooks(brand);
}

void WizardLooks::makeFonts(const MyCFonts& fonts, int scale) {
    const MyFontChoice& choice = fonts.choice;
    for (int i = 0; i < 7; ++i) {
        const FontRecipe& recipe = kFontRecipes[i];
        fonts_[i + 1] = MyCreateFont(
            choice.face, Scaled(MyScaledHeight(choice.scale, recipe.nominal), scale), recipe.weight,
            recipe.smooth ? CLEARTYPE_NATURAL_QUALITY : DEFAULT_QUALITY);
    }
    normal_ = fonts.normal.get();
    heading_ = fonts.heading(headingFontHeight_);
    const int cursorSize = Scaled(kCursorSize, scale);
    handCursor_.reset(static_cast<HCURSOR>(::LoadImageW(instance_, MAKEINTRESOURCEW(kHandCursor),
                                                        IMAGE_CURSOR, cursorSize, cursorSize, 0)));
}

MyCSkin WizardLooks::skin(const WizardSkinIds& ids) {
    return bitmaps_.skin(ids.normal, ids.hover, ids.pressed, ids.disabled);
}

void WizardLooks::makeControlLooks(const std::string& brand) {
    const auto buttonLook = [this](MyCSkin skin, COLORREF text, COLORREF disabled) {
        MyCButtonLook look;
        look.skin = skin;
        look.font = font(WizardFont::kF5);
        look.textColour = text;
        look.disabledTextColour = disabled;
        return look;
    };
    browse_ = buttonLook(skin(kWizardSkins.browseButton), brand == "Highwire" ? kWhite : kBlack,
                         kDisabledGrey);
    primary_ = buttonLook(skin(kWizardSkins.primaryButton), kWhite, kWhite);
    close_ = buttonLook(skin(kWizardSkins.closeButton), kWhite, kDisabledGrey);
    close_.imageOnly = true;

    check_.checked = skin(kWizardSkins.checked);
    check_.unchecked = skin(kWizardSkins.unchecked);
    check_.font = normal_;
    check_.textColour = kBlack;
    check_.disabledTextColour = kDisabledGrey;
    radio_ = check_;
    radio_.checked = skin(kWizardSkins.radioOn);
    radio_.unchecked = skin(kWizardSkins.radioOff);

    list_.arrowClosed = bitmaps_.get(kWizardSkins.listArrowClosed);
    list_.arrowOpen = bitmaps_.get(kWizardSkins.listArrowOpen);
    list_.font = font(WizardFont::kF4);
    list_.itemFont = font(WizardFont::kF4);
}

HFONT WizardLooks::font(WizardFont which) const {
    if (which == WizardFont::kDefault) return normal_;
    return fonts_[static_cast<std::size_t>(which)].get();
}

const MyCButtonLook& WizardLooks::button(WizardKind kind) const {
    return kind == WizardKind::kButton          ? browse_
           : kind == WizardKind::kPrimaryButton ? primary_
                                                : close_;
}

MyCCheckLook WizardLooks::licence() const {
    MyCCheckLook look = check_;
    look.font = font(WizardRow(WizardSlot::kLicence).font);
    look.textColour = kGrey;
    return look;
}
