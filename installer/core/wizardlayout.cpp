#include "installer/core/wizardlayout.h"

#include <array>

#include "plib/perror.h"

namespace {

using S = WizardSlot;
using K = WizardKind;
using F = WizardFont;
using A = WizardArgument;
constexpr std::uint8_t kCustom = kOnOptions | kCustomOnly;
constexpr std::uint8_t kOptionsAndFinished = kOnOptions | kOnFinished;

constexpr std::array<WizardControl, static_cast<int>(S::kCount)> kLayout{{
    {S::kLanguageList, kIdLanguageList, K::kLanguageList, 646, 89, 300, 36, TXTINS_EMPTY_STUB,
     TXTINS_EMPTY_STUB, A::kNone, F::kF4, kOnOptions},
    {S::kHeading, kIdNone, K::kLabel, 340, 21, 580, 0, TXTINS_Welcome_to_N0X, TXTINS_EMPTY_STUB,
     A::kDisplayName, F::kF1, kOnAll},
    {S::kSubHeading, kIdNone, K::kLabel, 340, 57, 580, 0, TXTINS_The_home_of_online_poker,
     TXTINS_EMPTY_STUB, A::kNone, F::kF3, kOnOptions},
    {S::kInstallationLabel, kIdNone, K::kLabel, 340, 100, 580, 0, TXTINS_InstallationX,
     TXTINS_EMPTY_STUB, A::kNone, F::kDefault, kOnOptions},
    {S::kStandard, kIdStandard, K::kRadio, 340, 145, 580, 27, TXTINS_Standard, TXTINS_XRecommendedX,
     A::kNone, F::kDefault, kOnOptions},
    {S::kCustom, kIdCustom, K::kRadio, 340, 190, 580, 27, TXTINS_Custom,
     TXTINS_XChoose_shortcut_options_and_i_ELL, A::kNone, F::kDefault, kOnOptions},
    {S::kDesktop, kIdDesktop, K::kCheckBox, 370, 235, 580, 24, TXTINS_Desktop_shortcut,
     TXTINS_EMPTY_STUB, A::kNone, F::kDefault, kCustom},
    {S::kOperatorLine, kIdNone, K::kLabel, 0, 135, 320, 0, TXTINS_Operated_by_N0, TXTINS_EMPTY_STUB,
     A::kOperatorName, F::kF7, kOnAll},
    {S::kQuickLaunch, kIdQuickLaunch, K::kCheckBox, 370, 280, 580, 24, TXTINS_Quick_launch_shortcut,
     TXTINS_EMPTY_STUB, A::kNone, F::kDefault, kCustom},
    {S::kStartMenu, kIdStartMenu, K::kCheckBox, 370, 325, 580, 24, TXTINS_Start_menu_shortcut,
     TXTINS_EMPTY_STUB, A::kNone, F::kDefault, kCustom},
    {S::kAllUsers, kIdAllUsers, K::kCheckBox, 370, 370, 580, 24,
     TXTINS_Create_shortcut_for_all_users__ELL, TXTINS_EMPTY_STUB, A::kNone, F::kDefault, kCustom},
    {S::kLocationLabel, kIdNone, K::kLabel, 370, 415, 580, 0, TXTINS_Install_location,
     TXTINS_EMPTY_STUB, A::kNone, F::kDefault, kCustom},
    {S::kFolderEdit, kIdFolderEdit, K::kEdit, 370, 443, 390, 28, TXTINS_EMPTY_STUB,
     TXTINS_EMPTY_STUB, A::kNone, F::kF4, kCustom},
    {S::kBrowse, kIdBrowse, K::kButton, 780, 435, 160, 46, TXTINS_BrowseXX, TXTINS_EMPTY_STUB,
     A::kNone, F::kF5, kCustom},
    {S::kSpaceRequired, kIdNone, K::kLabel, 370, 493, 580, 20, TXTINS_Space_requiredX_N0_N1,
     TXTINS_EMPTY_STUB, A::kNone, F::kDefault, kCustom},
    {S::kSpaceAvailable, kIdNone, K::kLabel, 370, 523, 580, 20, TXTINS_Space_availableX_N0_N1,
     TXTINS_EMPTY_STUB, A::kNone, F::kDefault, kCustom},
    {S::kLicence, kIdLicence, K::kLinkCheckBox, 340, 600, 580, 24,
     TXTINS_I_agree_to_terms_of_the_N0_XaX_ELL, TXTINS_EMPTY_STUB, A::kDisplayName, F::kF4,
     kOnOptions},
    {S::kPrimary, kIdPrimary, K::kPrimaryButton, 540, 654, 190, 46, TXTINS_Install,
     TXTINS_EMPTY_STUB, A::kNone, F::kF5, kOptionsAndFinished},
    {S::kClose, kIdClose, K::kCloseButton, 922, 26, 14, 14, TXTINS_EMPTY_STUB, TXTINS_EMPTY_STUB,
     A::kNone, F::kDefault, kOptionsAndFinished},
    {S::kProgressLabel, kIdNone, K::kLabel, 340, 76, 580, 0, TXTINS_InstallingXX, TXTINS_EMPTY_STUB,
     A::kNone, F::kF3, kOnProgress | kOnFinished},
    {S::kProgressBar, kIdProgressBar, K::kProgressBar, 340, 121, 600, 6, TXTINS_EMPTY_STUB,
     TXTINS_EMPTY_STUB, A::kNone, F::kDefault, kOnProgress},
    {S::kTrusted, kIdNone, K::kLabel, 16, 593, 290, 24, TXTINS_Trusted_by_millions,
     TXTINS_EMPTY_STUB, A::kNone, F::kF7, kOnAll},
    {S::kSafe, kIdNone, K::kLabel, 16, 623, 290, 24, TXTINS_Safe_and_secure, TXTINS_EMPTY_STUB,
     A::kNone, F::kF7, kOnAll},
    {S::kExclusive, kIdNone, K::kLabel, 16, 653, 290, 24, TXTINS_Exclusive_games, TXTINS_EMPTY_STUB,
     A::kNone, F::kF7, kOnAll},
    {S::kPrizes, kIdNone, K::kLabel, 16, 683, 290, 24, TXTINS_Unmatched_prizes, TXTINS_EMPTY_STUB,
     A::kNone, F::kF7, kOnAll},
}};

constexpr bool SlotsInOrder() {
    for (std::size_t i = 0; i < kLayout.size(); ++i)
        if (static_cast<std::size_t>(kLayout[i].slot) != i) return false;
    return true;
}
static_assert(SlotsInOrder(), "WizardRow indexes the table by slot");

}  // namespace

std::span<const WizardControl> WizardLayout() {
    return kLayout;
}

const WizardControl& WizardRow(WizardSlot slot) {
    const auto index = static_cast<std::size_t>(slot);
    PASSERT(index < kLayout.size());
    return kLayout[index];
}
