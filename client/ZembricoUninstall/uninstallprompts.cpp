#include "client/ZembricoUninstall/uninstallprompts.h"

#include "installer/core/messagekeys.h"
#include "installer/core/messagetable.h"

namespace {

constexpr std::uint32_t kNoButton = 0;
constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kWhite = RGB(0xFF, 0xFF, 0xFF);
constexpr COLORREF kGrey = RGB(0xC0, 0xC0, 0xC0);

}  // namespace

UninstallPrompts::UninstallPrompts(int language, std::string displayName)
    : language_(language),
      displayName_(std::move(displayName)),
      bitmaps_(GetModuleHandleW(nullptr)),
      fonts_(MySystemFontChoice()) {}

bool UninstallPrompts::confirm() {
    return show(UninstallText::kConfirm, TXTINS_Yes, TXTINS_No, IDI_QUESTION) == MyMsgBox::kFirst;
}

bool UninstallPrompts::retryWhileRunning() {
    return show(UninstallText::kClientRunning, TXTINS_Retry, TXTINS_Abort, IDI_WARNING) ==
           MyMsgBox::kFirst;
}

void UninstallPrompts::removed() {
    show(UninstallText::kRemoved, TXTINS_OK, kNoButton, IDI_INFORMATION);
}

void UninstallPrompts::incomplete(const std::string& logPath) {
    show(UninstallText::kIncomplete, TXTINS_OK, kNoButton, IDI_ERROR, logPath);
}

void UninstallPrompts::notFound() {
    show(UninstallText::kNotFound, TXTINS_OK, kNoButton, IDI_INFORMATION);
}

PString UninstallPrompts::lookup(std::uint32_t key) const {
    PString text;
    TheMessageTable().lookup(text, key, language_, PString(displayName_.c_str()));
    return text;
}

int UninstallPrompts::show(UninstallText text, std::uint32_t firstButton,
                           std::uint32_t secondButton, const wchar_t* icon,
                           const std::string& detail) {
    // The setup program's skins: the browse skin for the first button, the primary one for the
    // second.
    MyMsgBoxRequest request;
    request.title = lookup(TXTINS_Uninstall_N0);
    request.message = UninstallMessage(text, language_, displayName_, detail).c_str();
    request.firstButton = lookup(firstButton);
    request.firstLook.skin = bitmaps_.skin(221, 223, 222, 224);
    request.firstLook.font = fonts_.bold.get();
    request.firstLook.textColour = kBlack;
    request.firstLook.disabledTextColour = kGrey;
    if (secondButton != kNoButton) {
        request.secondButton = lookup(secondButton);
        request.secondLook.skin = bitmaps_.skin(225, 227, 226, 228);
        request.secondLook.font = fonts_.bold.get();
        request.secondLook.textColour = kWhite;
        request.secondLook.disabledTextColour = kWhite;
    }
    request.closeSkin = bitmaps_.skin(255, 273, 274, 255);
    request.closeName = lookup(TXTINS_Cancel);
    request.icon = icon;
    request.titleFont = fonts_.bold.get();
    request.bodyFont = fonts_.normal.get();
    return secondButton != kNoButton ? MyMsgBox::Run(request, 390, 380)
                                     : MyMsgBox::Run(request, 360, 320);
}
