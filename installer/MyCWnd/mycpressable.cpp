#include "installer/MyCWnd/mycpressable.h"

#include <windowsx.h>

#include "plib/winseam/pwidenarrow.h"
#include "plib/winseam/unique.h"

HBITMAP MyChooseBitmap(const MyCSkin& skin, MyCDrawState state, bool enabled, bool focused) {
    HBITMAP chosen = nullptr;
    if (state == MyCDrawState::kPressed)
        chosen = skin.pressed;
    else if (skin.disabled && !enabled)
        chosen = skin.disabled;
    else if (state == MyCDrawState::kHovered && skin.hover)
        chosen = skin.hover;
    else if (focused)
        chosen = skin.hover;
    return chosen ? chosen : skin.normal;
}

MyCDrawState MyCPressable::drawState() const noexcept {
    if (pressed_) return MyCDrawState::kPressed;
    return hovered() ? MyCDrawState::kHovered : MyCDrawState::kNormal;
}

void MyCPressable::setText(const PString& text) {
    text_ = text;
    MyCWnd::setText(text);
    ::InvalidateRect(hwnd(), nullptr, FALSE);
}

void MyCPressable::setText(const wchar_t* text) {
    text_ = PFromWide(text);
    MyCWnd::setText(text);
    ::InvalidateRect(hwnd(), nullptr, FALSE);
}

LRESULT MyCPressable::windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_SETFOCUS:
        case WM_KILLFOCUS:
            if (message == WM_KILLFOCUS) cancelKeyPress();
            ::InvalidateRect(window, nullptr, FALSE);
            ::UpdateWindow(window);
            return 0;
        case WM_GETDLGCODE: {
            LRESULT code = callPrevious(window, message, wParam, lParam);
            const auto* key = reinterpret_cast<const MSG*>(lParam);
            // Enter on a button is the button's, not the dialog's default action.
            if (key && key->message == WM_KEYDOWN && key->wParam == VK_RETURN && clicksOnEnter())
                code |= DLGC_WANTMESSAGE;
            return code;
        }
        case WM_KEYDOWN:
            if (keyDown(window, wParam, lParam)) return 0;
            break;
        case WM_KEYUP:
            if (keyUp(wParam)) return 0;
            break;
        case WM_ERASEBKGND:
            return 1;  // draw() covers the whole client area
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
            // Taking the focus as a system button does; a check box acts on release only
            // while it keeps it.
            if (::GetFocus() != window) ::SetFocus(window);
            pressed_ = true;
            pressKey_ = 0;
            ::SetCapture(window);
            drawNow();
            return 0;
        case WM_LBUTTONUP: {
            if (!pressed_ || pressKey_) return 0;
            pressed_ = false;
            ::ReleaseCapture();
            drawNow();
            RECT client;
            ::GetClientRect(window, &client);
            const POINT at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
            if (::PtInRect(&client, at)) releasedInside();
            return 0;
        }
        case WM_CAPTURECHANGED:
            // Losing the capture mid-press (a message box, another window) cancels the press.
            if (pressed_ && !pressKey_ && reinterpret_cast<HWND>(lParam) != window) {
                pressed_ = false;
                drawNow();
            }
            return 0;
        default:
            break;
    }
    return MyCWnd::windowProc(window, message, wParam, lParam);
}

// The system's own handling of Space would press and click the underlying system button,
// whose check state is not the one drawn: the keys that press are handled here alone.
bool MyCPressable::keyDown(HWND window, WPARAM key, LPARAM flags) {
    const bool enter = key == VK_RETURN && clicksOnEnter();
    if (key != VK_SPACE && !enter) return false;
    const bool repeated = (flags & (1L << 30)) != 0;
    if (repeated || pressed_ || !::IsWindowEnabled(window)) return true;
    if (enter) {
        releasedInside();
        return true;
    }
    pressed_ = true;
    pressKey_ = key;
    drawNow();
    return true;
}

bool MyCPressable::keyUp(WPARAM key) {
    if (key != VK_SPACE) return false;
    if (!pressed_ || pressKey_ != key) return true;
    pressed_ = false;
    pressKey_ = 0;
    drawNow();
    releasedInside();
    return true;
}

void MyCPressable::cancelKeyPress() {
    if (!pressKey_) return;
    pressed_ = false;
    pressKey_ = 0;
    drawNow();
}

void MyCPressable::paint() {
    PAINTSTRUCT ps;
    const HDC dc = ::BeginPaint(hwnd(), &ps);
    drawBuffered(dc);
    ::EndPaint(hwnd(), &ps);
    redrawChildren();
}

void MyCPressable::drawNow() {
    {
        UniqueWindowDc dc(hwnd());
        drawBuffered(dc.get());
    }
    redrawChildren();
}

void MyCPressable::redrawChildren() {
    // Children of a drawn control (the links of a check box) are transparent: they are painted
    // again over each new face, which would otherwise cover them.
    for (HWND child = ::GetWindow(hwnd(), GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
        ::RedrawWindow(child, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
}

void MyCPressable::drawBuffered(HDC dc) {
    RECT client;
    ::GetClientRect(hwnd(), &client);
    UniqueHdc memory(::CreateCompatibleDC(dc));
    UniqueBitmap buffer(::CreateCompatibleBitmap(dc, client.right, client.bottom));
    if (!memory || !buffer) {
        draw(dc, drawState());
        return;
    }
    const HGDIOBJ old = ::SelectObject(memory.get(), buffer.get());
    draw(memory.get(), drawState());
    ::BitBlt(dc, 0, 0, client.right, client.bottom, memory.get(), 0, 0, SRCCOPY);
    ::SelectObject(memory.get(), old);
}
