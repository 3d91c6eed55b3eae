#include "installer/MyCWnd/mycfocus.h"

#include <algorithm>
#include <vector>

#include "plib/winseam/unique.h"

namespace {

constexpr WORD kCueFlags = UISF_HIDEFOCUS | UISF_HIDEACCEL;
// Marks a top-level window whose cues are hidden. Wine keeps no UI state of its own for
// WM_QUERYUISTATE to report, so the toolkit keeps it.
constexpr wchar_t kCuesHidden[] = L"MyCWnd.FocusCuesHidden";

// By the window's own style, as the system's dialog navigation decides: a control of a page not
// shown yet has its place in the order already.
bool Reachable(HWND window) {
    const auto style = ::GetWindowLongPtrW(window, GWL_STYLE);
    return (style & WS_VISIBLE) && !(style & WS_DISABLED);
}

void CollectTabStops(HWND parent, std::vector<HWND>& stops) {
    for (HWND child = ::GetWindow(parent, GW_CHILD); child;
         child = ::GetWindow(child, GW_HWNDNEXT)) {
        if (!Reachable(child)) continue;
        if (::GetWindowLongPtrW(child, GWL_STYLE) & WS_TABSTOP) stops.push_back(child);
        if (::GetWindowLongPtrW(child, GWL_EXSTYLE) & WS_EX_CONTROLPARENT)
            CollectTabStops(child, stops);
    }
}

void ShowFocusCues(HWND top) {
    ::RemovePropW(top, kCuesHidden);
    // The system's own controls (the edit field) follow the UI state.
    ::SendMessageW(top, WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, kCueFlags), 0);
    // Only the focused control draws a cue.
    if (const HWND focus = ::GetFocus(); focus && ::IsChild(top, focus))
        ::InvalidateRect(focus, nullptr, FALSE);
}

}  // namespace

void MyHideFocusCues(HWND top) {
    ::SetPropW(top, kCuesHidden, reinterpret_cast<HANDLE>(1));
    ::SendMessageW(top, WM_UPDATEUISTATE, MAKEWPARAM(UIS_SET, kCueFlags), 0);
}

bool MyFocusCuesShown(HWND window) {
    const HWND top = ::GetAncestor(window, GA_ROOT);
    return ::GetPropW(top ? top : window, kCuesHidden) == nullptr;
}

bool MyShowsFocusCue(HWND control) {
    return ::GetFocus() == control && MyFocusCuesShown(control);
}

void MyDrawFocusCue(HDC dc, const RECT& rect, COLORREF colour) {
    UniquePen pen(::CreatePen(PS_DOT, 1, colour));
    const HGDIOBJ oldPen = ::SelectObject(dc, pen.get());
    const HGDIOBJ oldBrush = ::SelectObject(dc, ::GetStockObject(NULL_BRUSH));
    const int oldMode = ::SetBkMode(dc, TRANSPARENT);
    ::Rectangle(dc, rect.left, rect.top, rect.right, rect.bottom);
    ::SetBkMode(dc, oldMode);
    ::SelectObject(dc, oldBrush);
    ::SelectObject(dc, oldPen);
}

MyFocusReturn::~MyFocusReturn() {
    if (owner_ && ::IsWindow(focused_) && ::IsChild(owner_, focused_) && MyFocusCuesShown(owner_))
        ::SetFocus(focused_);
}

HWND MyNextTabStop(HWND top, HWND from, bool backwards) {
    std::vector<HWND> stops;
    CollectTabStops(top, stops);
    if (stops.empty()) return nullptr;
    if (backwards) std::reverse(stops.begin(), stops.end());
    const auto at = std::find(stops.begin(), stops.end(), from);
    if (at == stops.end() || at + 1 == stops.end()) return stops.front();
    return *(at + 1);
}

bool MyDialogKey(HWND top, const MSG& message) {
    if (message.message != WM_KEYDOWN && message.message != WM_SYSKEYDOWN) return false;
    if (message.hwnd != top && !::IsChild(top, message.hwnd)) return false;
    if (!MyFocusCuesShown(top)) ShowFocusCues(top);
    if (message.message != WM_KEYDOWN || message.wParam != VK_TAB) return false;
    const LRESULT wants = ::SendMessageW(message.hwnd, WM_GETDLGCODE, message.wParam,
                                         reinterpret_cast<LPARAM>(&message));
    if (wants & (DLGC_WANTTAB | DLGC_WANTMESSAGE)) return false;
    const HWND focus = ::GetFocus();
    const HWND next =
        MyNextTabStop(top, focus == top ? nullptr : focus, ::GetKeyState(VK_SHIFT) < 0);
    if (!next) return true;
    // As the system's dialogs do: a field reached by Tab has its text selected.
    if (::SendMessageW(next, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL)
        ::SendMessageW(next, EM_SETSEL, 0, -1);
    ::SetFocus(next);
    return true;
}
