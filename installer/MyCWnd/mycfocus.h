#pragma once

#include <windows.h>

// Keyboard focus in the toolkit's windows. Focus cues (UISF_HIDEFOCUS) are kept per top-level
// window: hidden until the keyboard is used there, as in the system's own dialogs, so that a
// mouse user sees the pages as drawn.

// Hides the focus cues of `top` and its controls until MyDialogKey sees a key.
void MyHideFocusCues(HWND top);
// Whether the top-level window of `window` shows focus cues.
bool MyFocusCuesShown(HWND window);
// Whether `control` draws its focus cue now: it has the focus and cues are shown.
bool MyShowsFocusCue(HWND control);
// The focus cue: a dotted frame just inside `rect`, in `colour`. Drawing it twice looks the same
// as drawing it once.
void MyDrawFocusCue(HDC dc, const RECT& rect, COLORREF colour);

// The control that Tab (or Shift+Tab when `backwards`) reaches from `from` (null: from
// outside, so the first or last): the visible, enabled WS_TABSTOP controls of `top` in z-order,
// where a WS_EX_CONTROLPARENT control comes before its own tab stops. Wraps around; null when
// there is none.
HWND MyNextTabStop(HWND top, HWND from, bool backwards);

// Around a modal window over `owner` (a question, the folder browser): gives the focus back to
// the control of `owner` that had it, once the keyboard has been used there. A mouse user's page
// stays as the system leaves it.
class MyFocusReturn {
  public:
    explicit MyFocusReturn(HWND owner) : owner_(owner), focused_(::GetFocus()) {}
    MyFocusReturn(const MyFocusReturn&) = delete;
    MyFocusReturn& operator=(const MyFocusReturn&) = delete;
    ~MyFocusReturn();

  private:
    HWND owner_;
    HWND focused_;
};

// For a message loop, before IsDialogMessage: a key pressed in `top` shows its focus cues, and
// Tab or Shift+Tab moves the focus to MyNextTabStop unless the focused control wants the key.
// True when the message is used up.
bool MyDialogKey(HWND top, const MSG& message);
