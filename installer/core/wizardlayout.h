#pragma once

#include <cstdint>
#include <span>

#include "installer/core/messagekeys.h"

// The controls of the wizard window: where each sits, what it is, its text and on which screens
// it shows. The window creates them in table order and lays them out again from the same rows
// whenever the language changes.

enum class WizardKind : std::uint8_t {
    kLabel,         // static text
    kLanguageList,  // owner-drawn drop-down list
    kRadio,
    kCheckBox,
    kEdit,
    kButton,        // browse skin
    kLinkCheckBox,  // the licence box
    kPrimaryButton,
    kCloseButton,
    kProgressBar,
};

// The fonts of the wizard (F1 to F7); kDefault is the toolkit's normal font.
enum class WizardFont : std::uint8_t { kDefault, kF1, kF2, kF3, kF4, kF5, kF6, kF7 };

// Names for the controls that code refers to.
enum class WizardSlot : std::uint8_t {
    kLanguageList,
    kHeading,
    kSubHeading,
    kInstallationLabel,
    kStandard,
    kCustom,
    kDesktop,
    kOperatorLine,
    kQuickLaunch,
    kStartMenu,
    kAllUsers,
    kLocationLabel,
    kFolderEdit,
    kBrowse,
    kSpaceRequired,
    kSpaceAvailable,
    kLicence,
    kPrimary,
    kClose,
    kProgressLabel,
    kProgressBar,
    kTrusted,
    kSafe,
    kExclusive,
    kPrizes,
    kCount
};

// What fills %0 of a control's text.
enum class WizardArgument : std::uint8_t { kNone, kDisplayName, kOperatorName };

// Screens a control belongs to.
inline constexpr std::uint8_t kOnOptions = 0x01;
inline constexpr std::uint8_t kCustomOnly = 0x02;  // with kOnOptions: only when Custom is chosen
inline constexpr std::uint8_t kOnProgress = 0x04;
inline constexpr std::uint8_t kOnFinished = 0x08;
inline constexpr std::uint8_t kOnAll = kOnOptions | kOnProgress | kOnFinished;

// Control ids the window's commands and outside drivers rely on.
inline constexpr int kIdClose = 105;
inline constexpr int kIdProgressBar = 114;
inline constexpr int kIdFolderEdit = 133;
inline constexpr int kIdDesktop = 141;
inline constexpr int kIdQuickLaunch = 142;
inline constexpr int kIdStartMenu = 143;
inline constexpr int kIdAllUsers = 150;
inline constexpr int kIdLicence = 151;
inline constexpr int kIdLanguageList = 1001;
inline constexpr int kIdPrimary = 1002;
inline constexpr int kIdBrowse = 1005;
inline constexpr int kIdLicenceLink = 1006;
inline constexpr int kIdLicenceLinkSecondLine = 1007;
inline constexpr int kIdStandard = 1201;
inline constexpr int kIdCustom = 1202;
inline constexpr int kIdNone = -1;

struct WizardControl {
    WizardSlot slot;
    int id;
    WizardKind kind;
    int x, y;
    int width;   // 0: to the window's right edge
    int height;  // 0: measured from the text in its font
    MessageKey text;
    MessageKey subText;  // radio buttons: the grey sub-caption
    WizardArgument argument;
    WizardFont font;
    std::uint8_t screens;
};

// The rows in creation order.
std::span<const WizardControl> WizardLayout();

// The row of `slot`.
const WizardControl& WizardRow(WizardSlot slot);

// The wizard window's size.
inline constexpr int kWizardWidth = 960;
inline constexpr int kWizardHeight = 720;
// The drop-down list's height when open.
inline constexpr int kLanguageListHeight = 450;

// The wizard's message boxes at 100 %; a box grows taller when its text needs it.
struct WizardBoxSize {
    int width;
    int height;
};
inline constexpr WizardBoxSize kQuitBox{360, 280};
inline constexpr WizardBoxSize kErrorBox{360, 280};
inline constexpr WizardBoxSize kLegacyEditionBox{360, 320};
inline constexpr WizardBoxSize kWebView2Box{360, 320};
inline constexpr WizardBoxSize kRunningClientBox{390, 380};
inline constexpr WizardBoxSize kLanguageWarningBox{394, 302};
