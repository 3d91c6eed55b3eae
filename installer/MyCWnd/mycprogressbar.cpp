#include "installer/MyCWnd/mycprogressbar.h"

#include <algorithm>
#include <string>

#include "installer/MyCWnd/mycbutton.h"
#include "installer/MyCWnd/mycdraw.h"

namespace {

constexpr COLORREF kTrackColour = RGB(0xE4, 0xE4, 0xE4);
constexpr COLORREF kFillColour = RGB(0x08, 0x9B, 0x80);

void DrawPart(HDC dc, HBITMAP bitmap, const RECT& rect, COLORREF stand_in) {
    if (rect.right <= rect.left) return;
    if (bitmap)
        MyDrawThreeSlices(dc, bitmap, rect);
    else
        MyFillRect(dc, rect, stand_in);
}

}  // namespace

void MyCProgressBar::create(HWND parent, int id, const RECT& rect, HBITMAP track, HBITMAP fill) {
    track_ = track;
    fill_ = fill;
    attach(MyCreateChild(L"STATIC", L"", WS_CHILD | WS_CLIPSIBLINGS, parent, id, rect,
                         "MyCProgressBar::create"));
}

void MyCProgressBar::setBitmaps(HBITMAP track, HBITMAP fill) {
    track_ = track;
    fill_ = fill;
    ::InvalidateRect(hwnd(), nullptr, FALSE);
}

void MyCProgressBar::setPercent(int percent) {
    const int clamped = std::clamp(percent, 0, 100);
    const bool changed = clamped != percent_;
    percent_ = clamped;
    ::InvalidateRect(hwnd(), nullptr, FALSE);
    if (changed) notifyAccessible(EVENT_OBJECT_VALUECHANGE);
}

MyAccessInfo MyCProgressBar::accessInfo() const {
    MyAccessInfo info;
    info.role = ROLE_SYSTEM_PROGRESSBAR;
    info.name = accessibleName(L"");
    info.state = MyWindowAccessState(hwnd()) | STATE_SYSTEM_READONLY;
    info.value = std::to_wstring(percent_) + L"%";
    return info;
}

LRESULT MyCProgressBar::windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_ERASEBKGND) return 1;
    return MyCWnd::windowProc(window, message, wParam, lParam);
}

void MyCProgressBar::paint() {
    PAINTSTRUCT ps;
    const HDC dc = ::BeginPaint(hwnd(), &ps);
    RECT client;
    ::GetClientRect(hwnd(), &client);
    DrawPart(dc, track_, client, kTrackColour);
    RECT done = client;
    done.right = client.left + FillWidth(client.right - client.left, percent_);
    DrawPart(dc, fill_, done, kFillColour);
    ::EndPaint(hwnd(), &ps);
}
