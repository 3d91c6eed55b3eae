#pragma once

#include <windows.h>

// Moving a window that has no caption by dragging it anywhere: the press takes the mouse and
// remembers where the cursor and the window were; each move keeps the window under the cursor.
class WizardDrag {
  public:
    // A button press at the client position in `lParam`.
    void start(HWND window, LPARAM lParam);
    void move(HWND window) const;

  private:
    POINT cursor_{};
    POINT window_{};
};
