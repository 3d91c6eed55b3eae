#include "installer/MyCWnd/mycbutton.h"

#include "installer/MyCWnd/mycdraw.h"
#include "installer/MyCWnd/mycfocus.h"
#include "installer/MyCWnd/mycscale.h"
#include "plib/perror.h"
#include "plib/winseam/pwidenarrow.h"

namespace {

// Where the focus cue sits inside a button's face: clear of the rounded corners of the skins.
constexpr int kFocusCueInset = 4;
// Around a picture, whose colours the button does not know: the page's black.
constexpr COLORREF kImageFocusCue = RGB(0, 0, 0);

}  // namespace

HWND MyCreateChild(const wchar_t* className, const wchar_t* text, DWORD style, HWND parent, int id,
                   const RECT& rect, const char* what) {
    const HWND window = ::CreateWindowExW(
        0, className, text, style, rect.left, rect.top, rect.right - rect.left,
        rect.bottom - rect.top, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
        reinterpret_cast<HINSTANCE>(::GetWindowLongPtrW(parent, GWLP_HINSTANCE)), nullptr);
    if (!window) throw PSystemError(what, static_cast<std::int32_t>(::GetLastError()));
    return window;
}

void MyCButton::create(HWND parent, int id, const RECT& rect, const PString& text,
                       const MyCButtonLook& look) {
    text_ = text;
    attach(MyCreateChild(L"BUTTON", PToWide(text).c_str(), kMyButtonStyle, parent, id, rect,
                         "MyCButton::create"));
    setLook(look);
    trackHover_ = true;
}

void MyCButton::setLook(const MyCButtonLook& look) {
    look_ = look;
    background_.reset(::CreateSolidBrush(look.background));
    if (look.font) ::SendMessageW(hwnd(), WM_SETFONT, reinterpret_cast<WPARAM>(look.font), FALSE);
    ::InvalidateRect(hwnd(), nullptr, FALSE);
}

void MyCButton::fillBackground(HDC dc) const {
    RECT fill;
    ::GetClientRect(hwnd(), &fill);
    fill.right += MyScaled(hwnd(), 2);
    fill.bottom += MyScaled(hwnd(), 2);
    ::FillRect(dc, &fill, background_.get());
}

void MyCButton::draw(HDC dc, MyCDrawState state) {
    fillBackground(dc);
    RECT client;
    ::GetClientRect(hwnd(), &client);
    const bool enabled = ::IsWindowEnabled(hwnd());
    const HBITMAP bitmap = MyChooseBitmap(look_.skin, state, enabled, ::GetFocus() == hwnd());
    const bool pressed = state == MyCDrawState::kPressed;
    const int pressOffset = pressed ? MyScaled(hwnd(), 2) : 0;
    if (look_.imageOnly) {
        MyDrawTransparent(dc, bitmap, pressOffset, pressOffset, look_.keyColour);
    } else {
        MyDrawThreeSlices(dc, bitmap, client);
    }
    // An image-only button is too small to hold a frame inside its picture.
    if (look_.imageOnly)
        drawFocusCue(dc, 0, kImageFocusCue);
    else
        drawFocusCue(dc, MyScaled(hwnd(), kFocusCueInset), look_.textColour);
    if (text_.empty()) return;
    RECT textRect = client;
    ::OffsetRect(&textRect, pressOffset, pressOffset);
    const COLORREF colour =
        look_.skin.disabled && !enabled ? look_.disabledTextColour : look_.textColour;
    MyDrawText(dc, PToWide(text_), textRect, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX,
               look_.font, colour);
}

void MyCButton::drawFocusCue(HDC dc, int inset, COLORREF colour) const {
    if (!MyShowsFocusCue(hwnd())) return;
    RECT cue;
    ::GetClientRect(hwnd(), &cue);
    ::InflateRect(&cue, -inset, -inset);
    MyDrawFocusCue(dc, cue, colour);
}

MyAccessInfo MyCButton::accessInfo() const {
    MyAccessInfo info;
    info.role = ROLE_SYSTEM_PUSHBUTTON;
    info.name = accessibleName(PToWide(text_));
    info.state = MyWindowAccessState(hwnd());
    if (pressed()) info.state |= STATE_SYSTEM_PRESSED;
    return info;
}

void MyCButton::releasedInside() {
    ::PostMessageW(::GetParent(hwnd()), WM_COMMAND, MAKEWPARAM(id(), 0), 0);
}

void MyCCloseButton::draw(HDC dc, MyCDrawState) {
    fillBackground(dc);
    RECT client;
    ::GetClientRect(hwnd(), &client);
    UniquePen pen(::CreatePen(PS_SOLID, MyScaled(hwnd(), 2), RGB(0, 0, 0)));
    const HGDIOBJ old = ::SelectObject(dc, pen.get());
    ::MoveToEx(dc, client.left, client.top, nullptr);
    ::LineTo(dc, client.right, client.bottom);
    ::MoveToEx(dc, client.right, client.top, nullptr);
    ::LineTo(dc, client.left, client.bottom);
    ::SelectObject(dc, old);
    drawFocusCue(dc, 0, kImageFocusCue);
}
