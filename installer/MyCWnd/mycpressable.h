#pragma once

#include <windows.h>

#include "installer/MyCWnd/mycwnd.h"
#include "plib/pstring.h"

// The four bitmaps of a skin, in the order the pages hand them over: normal, hover-or-focus,
// pressed, disabled. Any may be null; the drawing falls back to the normal one. Not owned.
struct MyCSkin {
    HBITMAP normal = nullptr;
    HBITMAP hover = nullptr;
    HBITMAP pressed = nullptr;
    HBITMAP disabled = nullptr;
};

// Font and colours of a control's text, and the page colour behind it. The font is borrowed.
struct MyCTextLook {
    HFONT font = nullptr;
    COLORREF textColour = RGB(0, 0, 0);
    COLORREF disabledTextColour = RGB(0xC0, 0xC0, 0xC0);
    // Fills what the skin leaves: the colour of the page behind the control.
    COLORREF background = RGB(0xFF, 0xFF, 0xFF);
};

// Drawing states of a pressable control.
enum class MyCDrawState { kNormal = 0, kPressed = 1, kHovered = 2 };

// The bitmap of `skin` for a control in the given state: pressed wins, then disabled (when the
// skin has one), then hover when hovered, then hover when focused, else normal; a missing choice
// falls back to normal.
HBITMAP MyChooseBitmap(const MyCSkin& skin, MyCDrawState state, bool enabled, bool focused);

// Base of buttons and check boxes: keeps the text, tracks the press with mouse capture, and
// paints through draw(). A release counts only after a press on the control itself.
class MyCPressable : public MyCWnd {
  public:
    LRESULT windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;
    void paint() override;
    void setText(const PString& text) override;
    void setText(const wchar_t* text) override;

    bool pressed() const noexcept { return pressed_; }
    const PString& text() const noexcept { return text_; }
    // The state draw() is given now: pressed, else hovered, else normal.
    virtual MyCDrawState drawState() const noexcept;
    // Draws the control into `dc` (client coordinates) in `state`.
    virtual void draw(HDC dc, MyCDrawState state) = 0;

  protected:
    // Called on a release inside the client area that ends a press on this control, and on the
    // release of a key that presses it.
    virtual void releasedInside() = 0;
    // Whether Enter clicks the focused control at once (push buttons), as the system's dialogs
    // do; Space presses every pressable control as the mouse button does.
    virtual bool clicksOnEnter() const noexcept { return false; }
    // Draws now, without waiting for WM_PAINT, through an off-screen buffer.
    void drawNow();
    PString text_;

  private:
    void drawBuffered(HDC dc);
    void redrawChildren();
    bool keyDown(HWND window, WPARAM key, LPARAM flags);
    bool keyUp(WPARAM key);
    void cancelKeyPress();
    bool pressed_ = false;
    // The key holding the press, or 0 for the mouse button.
    WPARAM pressKey_ = 0;
};
