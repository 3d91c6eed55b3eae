#include "installer/MyCWnd/mycstatictext.h"

#include <algorithm>

#include "installer/MyCWnd/mycbutton.h"
#include "installer/MyCWnd/mycdraw.h"
#include "installer/MyCWnd/mycfocus.h"
#include "installer/MyCWnd/mycscale.h"
#include "plib/winseam/pwidenarrow.h"
#include "plib/winseam/unique.h"

void MyCStaticText::create(HWND parent, int id, const RECT& rect, const PString& text, DWORD style,
                           HFONT font, COLORREF colour) {
    colour_ = colour;
    const HWND window =
        MyCreateChild(L"STATIC", PToWide(text).c_str(), style | WS_CHILD | WS_CLIPSIBLINGS, parent,
                      id, rect, "MyCStaticText::create");
    if (font) ::SendMessageW(window, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    attach(window);
}

LRESULT MyCStaticText::windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_ERASEBKGND:
            return 1;  // transparent: the parent's background stays
        case WM_SETTEXT: {
            // The old text is not erased by a transparent paint: the parent repaints under it.
            const LRESULT result = callPrevious(window, message, wParam, lParam);
            if (visible()) invalidateInParent();
            return result;
        }
        default:
            return MyCWnd::windowProc(window, message, wParam, lParam);
    }
}

MyAccessInfo MyCStaticText::accessInfo() const {
    MyAccessInfo info;
    info.role = ROLE_SYSTEM_STATICTEXT;
    info.name = accessibleName(MyWindowText(hwnd()));
    info.state = MyWindowAccessState(hwnd()) | STATE_SYSTEM_READONLY;
    return info;
}

void MyCStaticText::setColour(COLORREF colour) {
    colour_ = colour;
    if (visible()) invalidateInParent();
}

void MyCStaticText::drawText(HDC dc) const {
    RECT client;
    ::GetClientRect(hwnd(), &client);
    const auto style = ::GetWindowLongPtrW(hwnd(), GWL_STYLE);
    UINT format = DT_WORDBREAK | DT_VCENTER | DT_NOPREFIX;
    if ((style & SS_TYPEMASK) == SS_CENTER) format |= DT_CENTER;
    const HFONT font = reinterpret_cast<HFONT>(::SendMessageW(hwnd(), WM_GETFONT, 0, 0));
    MyDrawText(dc, MyWindowText(hwnd()), client, format, font, colour_);
}

void MyCStaticText::paint() {
    PAINTSTRUCT ps;
    const HDC dc = ::BeginPaint(hwnd(), &ps);
    drawText(dc);
    ::EndPaint(hwnd(), &ps);
}

void MyCLinkText::create(HWND parent, int id, const RECT& rect, const PString& text, DWORD style,
                         HFONT font, COLORREF colour) {
    MyCStaticText::create(parent, id, rect, text, style, font, colour);
    trackHover_ = true;
}

LRESULT MyCLinkText::windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    const bool notifies = (::GetWindowLongPtrW(window, GWL_STYLE) & SS_NOTIFY) != 0;
    switch (message) {
        case WM_GETDLGCODE: {
            const auto* key = reinterpret_cast<const MSG*>(lParam);
            LRESULT code = callPrevious(window, message, wParam, lParam);
            if (notifies && key && key->message == WM_KEYDOWN && key->wParam == VK_RETURN)
                code |= DLGC_WANTMESSAGE;
            return code;
        }
        case WM_KEYDOWN:
            if (notifies && (wParam == VK_RETURN || wParam == VK_SPACE) && !(lParam & (1L << 30))) {
                ::SendMessageW(::GetParent(window), WM_COMMAND, MAKEWPARAM(id(), STN_CLICKED),
                               reinterpret_cast<LPARAM>(window));
                return 0;
            }
            break;
        case WM_SETFOCUS:
        case WM_KILLFOCUS:
            // The cue frames both pieces and is erased with the page under them.
            invalidateInParent();
            if (companion_ && companion_->visible()) companion_->invalidateInParent();
            break;
        default:
            break;
    }
    return MyCStaticText::windowProc(window, message, wParam, lParam);
}

MyAccessInfo MyCLinkText::accessInfo() const {
    MyAccessInfo info = MyCStaticText::accessInfo();
    info.role = ROLE_SYSTEM_LINK;
    info.state = (info.state & ~STATE_SYSTEM_READONLY) | STATE_SYSTEM_LINKED;
    return info;
}

bool MyCLinkText::focusCueShown() const {
    return MyShowsFocusCue(hwnd()) || (companion_ && MyShowsFocusCue(companion_->hwnd()));
}

bool MyCLinkText::underlined() const noexcept {
    return hovered() || (companion_ && companion_->hovered());
}

void MyCLinkText::paint() {
    PAINTSTRUCT ps;
    const HDC dc = ::BeginPaint(hwnd(), &ps);
    drawText(dc);
    if (underlined()) {
        RECT client;
        ::GetClientRect(hwnd(), &client);
        const int top = client.bottom - MyScaled(hwnd(), 3);
        const RECT line{client.left, top, client.right - MyScaled(hwnd(), 2),
                        top + std::max(1, MyScaled(hwnd(), 1))};
        MyFillRect(dc, line, kMyLinkColour);
    }
    if (focusCueShown()) {
        RECT client;
        ::GetClientRect(hwnd(), &client);
        MyDrawFocusCue(dc, client, colour());
    }
    ::EndPaint(hwnd(), &ps);
}

void MyCLinkText::hoverEntered() {
    ::InvalidateRect(hwnd(), nullptr, FALSE);
    if (companion_ && companion_->visible()) ::InvalidateRect(companion_->hwnd(), nullptr, FALSE);
}

void MyCLinkText::hoverLeft() {
    invalidateInParent();
    if (companion_ && companion_->visible()) companion_->invalidateInParent();
}
