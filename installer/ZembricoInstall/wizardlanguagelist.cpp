#include "installer/ZembricoInstall/wizardlanguagelist.h"

#include "installer/MyCWnd/myccombobox.h"
#include "installer/MyCWnd/mymsgbox.h"
#include "installer/ZembricoInstall/eastasiansupport.h"
#include "installer/ZembricoInstall/wizardtext.h"
#include "installer/core/languagelist.h"
#include "installer/core/languagetable.h"
#include "installer/core/messagetable.h"
#include "plib/winseam/unique.h"

namespace {

bool IsEastAsian(int language) {
    return language == 16 || language == 17 || language == 18 || language == 30;
}

int ItemLanguage(HWND list, int item) {
    return static_cast<int>(::SendMessageW(list, CB_GETITEMDATA, item, 0));
}

}  // namespace

WizardLanguageList::WizardLanguageList(const WizardControlSet& controls,
                                       const WizardBoxes& boxes) noexcept
    : controls_(controls), boxes_(boxes) {}

void WizardLanguageList::fill() {
    auto& list = controls_.get<MyCComboBox>(WizardSlot::kLanguageList);
    LocaleIterator language(TheLanguageOffer());
    for (language.begin(); !language.atEnd(); language.next()) {
        PString name;
        AppendListedLanguageName(name, TheMessageTable(), language.index(),
                                 EastAsianLanguageSupport());
        const int item = list.addItem(name, language.index());
        if (language.index() == CurrentLanguage()) {
            list.select(item);
            initialName_ = name;
        }
    }
}

WizardLanguageList::Choice WizardLanguageList::choose() {
    const Choice unchanged{Choice::Outcome::kUnchanged, CurrentLanguage()};
    if (confirming_) return unchanged;
    auto& list = controls_.get<MyCComboBox>(WizardSlot::kLanguageList);
    const int item = static_cast<int>(::SendMessageW(list.hwnd(), CB_GETCURSEL, 0, 0));
    if (item < 0) return unchanged;
    const int chosen = ItemLanguage(list.hwnd(), item);
    const int current = CurrentLanguage();
    if (chosen != current && !CanShowOwnScript(chosen, EastAsianLanguageSupport()) &&
        !confirm(chosen)) {
        // The entry stands for the current language from now on.
        ::SendMessageW(list.hwnd(), CB_SETITEMDATA, item, current);
        const int count = static_cast<int>(::SendMessageW(list.hwnd(), CB_GETCOUNT, 0, 0));
        for (int i = 0; i < count; ++i) {
            if (ItemLanguage(list.hwnd(), i) == current) {
                list.select(i);
                break;
            }
        }
        return {Choice::Outcome::kRefused, current};
    }
    if (chosen == current) return unchanged;
    return {Choice::Outcome::kChanged, chosen};
}

bool WizardLanguageList::confirm(int language) {
    PString name;
    AppendLanguageNameIn(name, TheMessageTable(), language, CurrentLanguage());
    confirming_ = true;
    ScopeExit answered([this] { confirming_ = false; });
    PString text = WizardText(TXTINS_Using_N0_language_requires_pro_ELL_1, name);
    AppendText(text, " ");
    AppendText(text, WizardText(TXTINS_It_appears_as_if_the_current_W_ELL));
    AppendText(text, "\n");
    if (IsEastAsian(language))
        AppendText(text, WizardText(TXTINS_To_install_N0_language_support_ELL, name));
    AppendText(text, "\n");
    AppendText(text, WizardText(TXTINS_Press_Continue_to_use_the_N0_l_ELL, name));
    return boxes_.ask(WizardText(TXTINS_N0_Language_Support, name), text,
                      WizardText(TXTINS_Continue), WizardText(TXTINS_Cancel),
                      kLanguageWarningBox) == MyMsgBox::kFirst;
}
