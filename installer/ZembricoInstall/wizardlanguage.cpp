// The wizard's language list: filled in list order, and a choice confirmed before a language
// that this Windows cannot show is taken.
#include "installer/ZembricoInstall/eastasiansupport.h"
#include "installer/ZembricoInstall/wizardtext.h"
#include "installer/ZembricoInstall/zembricoinstallwindow.h"
#include "installer/core/languagelist.h"
#include "installer/core/languagetable.h"
#include "installer/core/messagetable.h"

namespace {

constexpr int kWarningWidth = 394;
constexpr int kWarningHeight = 302;

bool IsEastAsian(int language) {
    return language == 16 || language == 17 || language == 18 || language == 30;
}

int ItemLanguage(HWND list, int item) {
    return static_cast<int>(::SendMessageW(list, CB_GETITEMDATA, item, 0));
}

}  // namespace

void ZembricoInstallWindow::fillLanguageList() {
    auto& list = controls_.get<MyCComboBox>(WizardSlot::kLanguageList);
    LocaleIterator language(TheLanguageOffer());
    for (language.begin(); !language.atEnd(); language.next()) {
        PString name;
        AppendListedLanguageName(name, TheMessageTable(), language.index(),
                                 EastAsianLanguageSupport());
        const int item = list.addItem(name, language.index());
        if (language.index() == CurrentLanguage()) {
            list.select(item);
            initialLanguageName_ = name;
        }
    }
}

void ZembricoInstallWindow::languageChosen() {
    if (confirmingLanguage_) return;
    auto& list = controls_.get<MyCComboBox>(WizardSlot::kLanguageList);
    const int item = static_cast<int>(::SendMessageW(list.hwnd(), CB_GETCURSEL, 0, 0));
    if (item < 0) return;
    const int chosen = ItemLanguage(list.hwnd(), item);
    const int current = CurrentLanguage();
    if (chosen != current && !CanShowOwnScript(chosen, EastAsianLanguageSupport()) &&
        !confirmLanguage(chosen)) {
        // The entry stands for the current language from now on.
        ::SendMessageW(list.hwnd(), CB_SETITEMDATA, item, current);
        const int count = static_cast<int>(::SendMessageW(list.hwnd(), CB_GETCOUNT, 0, 0));
        for (int i = 0; i < count; ++i) {
            if (ItemLanguage(list.hwnd(), i) == current) {
                list.select(i);
                break;
            }
        }
        screenView("InstallationWindow/InstallCancelled");
        return;
    }
    if (chosen == current) return;
    SetCurrentLanguage(chosen);
    applyLanguage();
}

bool ZembricoInstallWindow::confirmLanguage(int language) {
    PString name;
    AppendLanguageNameIn(name, TheMessageTable(), language, CurrentLanguage());
    confirmingLanguage_ = true;
    ScopeExit answered([this] { confirmingLanguage_ = false; });
    PString text = WizardText(TXTINS_Using_N0_language_requires_pro_ELL_1, name);
    AppendText(text, " ");
    AppendText(text, WizardText(TXTINS_It_appears_as_if_the_current_W_ELL));
    AppendText(text, "\n");
    if (IsEastAsian(language))
        AppendText(text, WizardText(TXTINS_To_install_N0_language_support_ELL, name));
    AppendText(text, "\n");
    AppendText(text, WizardText(TXTINS_Press_Continue_to_use_the_N0_l_ELL, name));
    return messageBox(WizardText(TXTINS_N0_Language_Support, name), text,
                      WizardText(TXTINS_Continue), WizardText(TXTINS_Cancel), kWarningWidth,
                      kWarningHeight) == MyMsgBox::kFirst;
}
