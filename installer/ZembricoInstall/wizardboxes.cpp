#include "installer/ZembricoInstall/wizardboxes.h"

#include <algorithm>
#include <string>

#include "installer/MyCWnd/mymsgbox.h"
#include "installer/ZembricoInstall/wizardtext.h"
#include "installer/core/wizardscale.h"
#include "plib/winseam/pwidenarrow.h"
#include "plib/winseam/unique.h"

namespace {

// The box's height at 100 %, grown when its message would not fit above the buttons in the body
// font, which is made at `percent` (a wide fallback face makes the usual sizes too small for
// the longer texts).
int FittingHeight(const PString& message, HFONT font, int width, int height, bool twoButtons,
                  int percent) {
    constexpr int kMessageTop = 76;
    constexpr int kMessageMargins = 30;
    constexpr int kBelowMessage = 20;
    constexpr int kFrame = 8;
    UniqueWindowDc dc(nullptr);
    const HGDIOBJ old = ::SelectObject(dc.get(), font);
    // The frame is the system's, the same at every factor.
    RECT rect{0, 0, Scaled(width - kMessageMargins, percent) - kFrame, 0};
    const std::wstring text = PToWide(message);
    ::DrawTextW(dc.get(), text.c_str(), static_cast<int>(text.size()), &rect,
                DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
    ::SelectObject(dc.get(), old);
    // The buttons take the client area's bottom from MyMsgBox::FirstButtonTop down.
    const int buttonArea = -MyMsgBox::FirstButtonTop(0, twoButtons);
    const int measured = static_cast<int>(rect.bottom - rect.top) + kFrame;
    const int needed =
        kMessageTop + (measured * 100 + percent - 1) / percent + kBelowMessage + buttonArea;
    return std::max(height, needed);
}

}  // namespace

WizardBoxes::WizardBoxes(const MyCTopWindow& owner, const WizardLooks& looks) noexcept
    : owner_(owner), looks_(looks) {}

int WizardBoxes::ask(const PString& title, const PString& text, const PString& first,
                     const PString& second, WizardBoxSize size) const {
    MyMsgBoxRequest request;
    request.owner = owner_.hwnd();
    request.title = title;
    request.message = text;
    request.firstButton = first;
    request.secondButton = second;
    request.firstLook = looks_.button(WizardKind::kButton);
    request.secondLook = looks_.button(WizardKind::kPrimaryButton);
    request.closeSkin = looks_.button(WizardKind::kCloseButton).skin;
    request.closeName = WizardText(TXTINS_Cancel);
    request.titleFont = looks_.heading();
    request.bodyFont = looks_.font(WizardFont::kF4);
    return MyMsgBox::Run(
        request, size.width,
        FittingHeight(text, request.bodyFont, size.width, size.height, !second.empty(),
                      MyMsgBox::Scale(owner_.hwnd(), size.width, size.height)));
}
