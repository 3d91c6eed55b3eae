// The wizard's controls: made from the layout table, and labelled and laid out again in the
// current language.
#include <algorithm>

#include "installer/MyCWnd/mycdraw.h"
#include "installer/MyCWnd/mycscale.h"
#include "installer/ZembricoInstall/wizardtext.h"
#include "installer/ZembricoInstall/zembricoinstallwindow.h"
#include "installer/core/languagelist.h"
#include "installer/core/languagetable.h"
#include "installer/core/wizardscale.h"

namespace {

// Languages whose sub-captions follow the caption without a space.
bool JoinsSubCaption(int language) {
    const std::string_view code = language >= 0 && language < kLanguageCount
                                      ? kLanguageTable[language].code
                                      : std::string_view();
    return code == "ja" || code == "zh-CN" || code == "zh-TW";
}

}  // namespace

void ZembricoInstallWindow::createControls() {
    for (const WizardControl& row : WizardLayout()) {
        if (row.slot == WizardSlot::kOperatorLine && params_.oid.empty()) continue;
        controls_.create(row, controlText(row));
    }
    MyCRadioButton::Group({&controls_.get<MyCRadioButton>(WizardSlot::kStandard),
                           &controls_.get<MyCRadioButton>(WizardSlot::kCustom)});
    controls_.get<MyCRadioButton>(WizardSlot::kStandard).setChecked(true);

    auto& desktop = controls_.get<MyCCheckBox>(WizardSlot::kDesktop);
    desktop.setChecked(params_.desktopShortcut);
    // An operator's build always puts its shortcut on the desktop.
    if (!params_.oid.empty()) ::EnableWindow(desktop.hwnd(), FALSE);
    controls_.get<MyCCheckBox>(WizardSlot::kQuickLaunch).setChecked(params_.quickLaunchShortcut);
    controls_.get<MyCCheckBox>(WizardSlot::kStartMenu).setChecked(params_.startMenuShortcut);
    auto& allUsers = controls_.get<MyCCheckBox>(WizardSlot::kAllUsers);
    allUsers.setChecked(params_.hasAdminRights && params_.allUsers);
    if (!params_.hasAdminRights) ::EnableWindow(allUsers.hwnd(), FALSE);
    controls_.find(WizardSlot::kFolderEdit)->setText(params_.installFolder.c_str());
    languages_.fill();
}

void ZembricoInstallWindow::rescaled() {
    looks_.make(fonts(), scale(), params_.brand);
    for (const WizardControl& row : WizardLayout())
        if (controls_.find(row.slot)) controls_.restyle(row);
    applyLanguage();
}

PString ZembricoInstallWindow::controlText(const WizardControl& row) const {
    const PString displayName(params_.displayName.c_str());
    if (std::optional<PString> text =
            screens_.screenText(row.slot, WizardText(TXTINS_Launch_N0, displayName)))
        return *std::move(text);
    switch (row.argument) {
        case WizardArgument::kDisplayName:
            return WizardText(row.text, displayName);
        case WizardArgument::kOperatorName:
            return WizardText(row.text, PString(params_.oname.c_str()));
        case WizardArgument::kNone:
            break;
    }
    return WizardText(row.text);
}

void ZembricoInstallWindow::applyLanguage() {
    screens_.takeSpace(spaceLabels(folderText()));
    const bool joined = JoinsSubCaption(CurrentLanguage());
    for (const WizardControl& row : WizardLayout()) {
        MyCWnd* made = controls_.find(row.slot);
        if (!made || row.kind == WizardKind::kLanguageList || row.kind == WizardKind::kEdit ||
            row.kind == WizardKind::kProgressBar || row.kind == WizardKind::kCloseButton)
            continue;
        made->setText(controlText(row));
        if (row.kind == WizardKind::kRadio) {
            PString sub(joined ? "" : " ");
            AppendText(sub, WizardText(row.subText));
            static_cast<MyCRadioButton*>(made)->setSubCaption(sub);
        }
        controls_.layout(row);
    }
    controls_.stackSmallLabels();
    nameControlsForReaders();
    screens_.repaint();
}

void ZembricoInstallWindow::nameControlsForReaders() {
    const auto name = [this](WizardSlot slot, MessageKey key) {
        controls_.find(slot)->setAccessibleName(PToWide(WizardText(key)));
    };
    name(WizardSlot::kClose, completed_ ? TXTINS_Finish : TXTINS_Quit_installation);
    name(WizardSlot::kLanguageList, TXTINS_Please_select_your_languageX);
    name(WizardSlot::kProgressBar, TXTINS_InstallingXX);
}
