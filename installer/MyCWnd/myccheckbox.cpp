#include "installer/MyCWnd/myccheckbox.h"

#include "installer/MyCWnd/mycbutton.h"
#include "installer/MyCWnd/mycdraw.h"
#include "installer/MyCWnd/mycfocus.h"
#include "installer/MyCWnd/mycscale.h"

namespace {

constexpr int kTextGap = 8;
constexpr COLORREF kSubCaptionColour = RGB(0x80, 0x80, 0x80);
constexpr UINT kLineFormat = DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX;

}  // namespace

void MyCCheckBox::create(HWND parent, int id, const RECT& rect, const PString& text,
                         const MyCCheckLook& look, DWORD type) {
    text_ = text;
    attach(MyCreateChild(L"BUTTON", PToWide(text).c_str(), WS_CHILD | WS_TABSTOP | type, parent, id,
                         rect, "MyCCheckBox::create"));
    MyCCheckBox::setLook(look);
    trackHover_ = true;
}

void MyCCheckBox::setLook(const MyCCheckLook& look) {
    look_ = look;
    background_.reset(::CreateSolidBrush(look.background));
    if (look.font) ::SendMessageW(hwnd(), WM_SETFONT, reinterpret_cast<WPARAM>(look.font), FALSE);
    ::InvalidateRect(hwnd(), nullptr, FALSE);
}

int MyCCheckBox::buttonType() const noexcept {
    return static_cast<int>(::GetWindowLongPtrW(hwnd(), GWL_STYLE) & BS_TYPEMASK);
}

void MyCCheckBox::setChecked(bool checked) {
    const bool changed = checked_ != checked;
    checked_ = checked;
    ::InvalidateRect(hwnd(), nullptr, FALSE);
    if (changed) notifyAccessible(EVENT_OBJECT_STATECHANGE);
}

LRESULT MyCCheckBox::windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case BM_GETCHECK:
            return checked_ ? BST_CHECKED : BST_UNCHECKED;
        case BM_SETCHECK:
            setChecked(wParam == BST_CHECKED);
            return 0;
        default:
            return MyCPressable::windowProc(window, message, wParam, lParam);
    }
}

MyAccessInfo MyCCheckBox::accessInfo() const {
    MyAccessInfo info;
    info.role = ROLE_SYSTEM_CHECKBUTTON;
    info.name = accessibleName(visibleText());
    info.state = MyWindowAccessState(hwnd());
    if (checked_) info.state |= STATE_SYSTEM_CHECKED;
    if (pressed()) info.state |= STATE_SYSTEM_PRESSED;
    return info;
}

void MyCCheckBox::clicked() {
    if (buttonType() == BS_AUTOCHECKBOX) setChecked(!checked_);
}

void MyCCheckBox::releasedInside() {
    if (::GetFocus() != hwnd() || !::IsWindowEnabled(hwnd())) return;
    clicked();
    drawNow();
    ::SendMessageW(::GetParent(hwnd()), WM_COMMAND, MAKEWPARAM(id(), 0), 0);
}

COLORREF MyCCheckBox::textColour(bool enabled) const noexcept {
    return enabled ? look_.textColour : look_.disabledTextColour;
}

void MyCCheckBox::draw(HDC dc, MyCDrawState state) {
    RECT client;
    ::GetClientRect(hwnd(), &client);
    ::FillRect(dc, &client, background_.get());
    const bool enabled = ::IsWindowEnabled(hwnd());
    const bool focused = ::GetFocus() == hwnd();
    const MyCSkin& skin = checked_ ? look_.checked : look_.unchecked;
    const int side = client.bottom;
    MyDrawStretched(dc, MyChooseBitmap(skin, state, enabled, focused), {0, 0, side, side});
    const RECT textRect{side + MyScaled(hwnd(), kTextGap), 0, client.right, client.bottom};
    drawText(dc, textRect, enabled);
    if (focused && (look_.focusMark || MyFocusCuesShown(hwnd()))) {
        const SIZE size = MyMeasureText(dc, PToWide(text_), look_.font);
        const int top = (client.bottom - size.cy) / 2;
        const int x = MyScaled(hwnd(), 2);
        const int y = MyScaled(hwnd(), 1);
        RECT mark{textRect.left - x, top - y, textRect.left + size.cx + x, top + size.cy + y};
        MyDrawFocusCue(dc, mark, look_.textColour);
    }
}

void MyCCheckBox::drawText(HDC dc, const RECT& textRect, bool enabled) {
    MyDrawText(dc, PToWide(text_), textRect, kLineFormat, look_.font, textColour(enabled));
}

void MyCRadioButton::Group(std::vector<MyCRadioButton*> buttons) {
    for (MyCRadioButton* button : buttons) button->group_ = buttons;
}

void MyCRadioButton::setSubCaption(const PString& text) {
    subCaption_ = text;
    ::InvalidateRect(hwnd(), nullptr, FALSE);
}

void MyCRadioButton::clicked() {
    if (buttonType() != BS_AUTORADIOBUTTON) return;
    for (MyCRadioButton* other : group_)
        if (other != this && other->checked()) other->setChecked(false);
    setChecked(true);
}

MyAccessInfo MyCRadioButton::accessInfo() const {
    MyAccessInfo info = MyCCheckBox::accessInfo();
    info.role = ROLE_SYSTEM_RADIOBUTTON;
    return info;
}

void MyCRadioButton::drawText(HDC dc, const RECT& textRect, bool enabled) {
    MyCCheckBox::drawText(dc, textRect, enabled);
    if (subCaption_.empty()) return;
    const SIZE caption = MyMeasureText(dc, PToWide(text_), look().font);
    RECT rest = textRect;
    rest.left += caption.cx;
    MyDrawText(dc, PToWide(subCaption_), rest, kLineFormat, look().font,
               enabled ? kSubCaptionColour : look().disabledTextColour);
}
