#include "installer/MyCWnd/mycwnd.h"

#include <windowsx.h>

#include "installer/MyCWnd/mycdraw.h"
#include "installer/core/earlylogqueue.h"
#include "plib/perror.h"
#include "plib/pstringencoding.h"
#include "plib/putf16.h"
#include "plib/winseam/pwidenarrow.h"

namespace {

// Hover is reported after the mouse rests this long on a control.
constexpr DWORD kHoverMilliseconds = 10;

void RequestMouseEvent(HWND window, DWORD flags) {
    TRACKMOUSEEVENT track{};
    track.cbSize = sizeof track;
    track.dwFlags = flags;
    track.hwndTrack = window;
    track.dwHoverTime = kHoverMilliseconds;
    ::TrackMouseEvent(&track);
}

}  // namespace

void MyLogCaughtLine(const std::string& line) noexcept {
    try {
        EarlyLogLine(line);
    } catch (...) {
        // Logging is the last resort here; a failing log must not leave the window procedure.
    }
}

MyCWnd::~MyCWnd() {
    detach();
}

void MyCWnd::detach() noexcept {
    if (accessible_) {
        // A reader may hold the object longer than this control lives.
        accessible_->disconnect();
        accessible_.Reset();
    }
    if (!hwnd_) return;
    if (::IsWindow(hwnd_) && FromWindow(hwnd_) == this) {
        ::SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
        ::SetWindowLongPtrW(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous_));
    }
    hwnd_ = nullptr;
}

void MyCWnd::attach(HWND window) {
    PASSERT(window && !hwnd_ && !FromWindow(window));
    hwnd_ = window;
    previous_ = reinterpret_cast<WNDPROC>(::GetWindowLongPtrW(window, GWLP_WNDPROC));
    ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    ::SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&MyCWnd::SharedProc));
}

MyCWnd* MyCWnd::FromWindow(HWND window) noexcept {
    if (!window) return nullptr;
    // Other windows use their user data for their own ends: only our procedure marks ours.
    if (::GetWindowLongPtrW(window, GWLP_WNDPROC) != reinterpret_cast<LONG_PTR>(&SharedProc))
        return nullptr;
    return reinterpret_cast<MyCWnd*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
}

LRESULT CALLBACK MyCWnd::SharedProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    MyCWnd* self = reinterpret_cast<MyCWnd*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!self) return ::DefWindowProcW(window, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        const LRESULT result = self->callPrevious(window, message, wParam, lParam);
        self->detach();
        return result;
    }
    return Caught(
        MyWindowProcRule(CatchPlace::kControlProc), MyLogCaughtLine,
        [&] { return self->windowProc(window, message, wParam, lParam); },
        [&](const std::optional<std::string>&) {
            return self->callPrevious(window, message, wParam, lParam);
        });
}

LRESULT MyCWnd::callPrevious(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (!previous_) return ::DefWindowProcW(window, message, wParam, lParam);
    return ::CallWindowProcW(previous_, window, message, wParam, lParam);
}

LRESULT MyCWnd::windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (trackHover_) {
        switch (message) {
            case WM_MOUSEMOVE:
                // Once hovered, only the leave matters; asking again would repeat the entry.
                if (!hovered_) RequestMouseEvent(window, TME_HOVER);
                break;
            case WM_MOUSEHOVER:
                RequestMouseEvent(window, TME_LEAVE);
                hovered_ = true;
                hoverEntered();
                break;
            case WM_MOUSELEAVE:
                ::InvalidateRect(window, nullptr, TRUE);
                hovered_ = false;
                hoverLeft();
                break;
            default:
                break;
        }
    }
    if (message == WM_PAINT) {
        paint();
        return 0;
    }
    if (message == WM_GETOBJECT) return answerGetObject(window, wParam, lParam);
    // Not to the system's classes: a system button paints its own face when the UI state
    // changes. The focused control is redrawn by whoever shows the cues.
    if (message == WM_UPDATEUISTATE) return ::DefWindowProcW(window, message, wParam, lParam);
    return callPrevious(window, message, wParam, lParam);
}

LRESULT MyCWnd::answerGetObject(HWND window, WPARAM wParam, LPARAM lParam) {
    if (static_cast<LONG>(lParam) != OBJID_CLIENT || !ownsAccessible())
        return callPrevious(window, WM_GETOBJECT, wParam, lParam);
    if (!accessible_) accessible_.Attach(new MyAccessible(window, *this));
    return accessible_->answer(wParam);
}

MyAccessInfo MyCWnd::accessInfo() const {
    MyAccessInfo info;
    info.name = accessibleName(MyWindowText(hwnd_));
    info.state = MyWindowAccessState(hwnd_);
    return info;
}

std::wstring MyCWnd::accessibleName(const std::wstring& visible) const {
    return accessibleName_.empty() ? visible : accessibleName_;
}

void MyCWnd::notifyAccessible(DWORD event) const {
    if (hwnd_) ::NotifyWinEvent(event, hwnd_, OBJID_CLIENT, CHILDID_SELF);
}

void MyCWnd::paint() {
    callPrevious(hwnd_, WM_PAINT, 0, 0);
}

bool MyCWnd::visible() const noexcept {
    return (::GetWindowLongPtrW(hwnd_, GWL_STYLE) & WS_VISIBLE) != 0;
}

int MyCWnd::id() const noexcept {
    return ::GetDlgCtrlID(hwnd_);
}

void MyCWnd::setVisibleStyle(bool visible) {
    LONG_PTR style = ::GetWindowLongPtrW(hwnd_, GWL_STYLE);
    style = visible ? (style | WS_VISIBLE) : (style & ~static_cast<LONG_PTR>(WS_VISIBLE));
    ::SetWindowLongPtrW(hwnd_, GWL_STYLE, style);
}

void MyCWnd::show(bool visible) {
    setVisibleStyle(visible);
    if (visible)
        ::InvalidateRect(hwnd_, nullptr, TRUE);
    else
        invalidateInParent();
}

void MyCWnd::showInvalidatingSelf(bool visible) {
    setVisibleStyle(visible);
    ::InvalidateRect(hwnd_, nullptr, TRUE);
}

void MyCWnd::invalidateInParent() const {
    const HWND parent = ::GetParent(hwnd_);
    if (!parent) return;
    RECT rect;
    ::GetWindowRect(hwnd_, &rect);
    ::MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&rect), 2);
    ::RedrawWindow(parent, &rect, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void MyCWnd::setText(const PString& text) {
    setText(PToWide(text).c_str());
}

void MyCWnd::setText(const wchar_t* text) {
    ::SetWindowTextW(hwnd_, text);
}

PString MyCWnd::getText() const {
    const std::wstring text = MyWindowText(hwnd_);
    return PFromWide(text.c_str(), text.size());
}

bool MyCWnd::Reflect(HWND parent, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    HWND child = nullptr;
    switch (message) {
        case WM_DRAWITEM:
            child = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam)->hwndItem;
            break;
        case WM_MEASUREITEM:
            child = ::GetDlgItem(parent, reinterpret_cast<const MEASUREITEMSTRUCT*>(lParam)->CtlID);
            break;
        case WM_COMMAND:
            child = reinterpret_cast<HWND>(lParam);
            break;
        default:
            return false;
    }
    if (!child || ::GetParent(child) != parent || !FromWindow(child)) return false;
    result = ::SendMessageW(child, kMyReflectBase + message, wParam, lParam);
    return message != WM_COMMAND;
}
