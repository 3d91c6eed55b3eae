#include "installer/ZembricoInstall/wizarddrag.h"

#include <windowsx.h>

void WizardDrag::start(HWND window, LPARAM lParam) {
    ::SetCapture(window);
    cursor_ = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    ::ClientToScreen(window, &cursor_);
    RECT rect;
    ::GetWindowRect(window, &rect);
    window_ = {rect.left, rect.top};
}

void WizardDrag::move(HWND window) const {
    POINT cursor;
    ::GetCursorPos(&cursor);
    ::SetWindowPos(window, nullptr, window_.x + cursor.x - cursor_.x,
                   window_.y + cursor.y - cursor_.y, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}
