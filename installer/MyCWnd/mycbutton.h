#pragma once

#include <windows.h>

#include "installer/MyCWnd/mycpressable.h"
#include "plib/pstring.h"
#include "plib/winseam/unique.h"

// How a bitmap button looks. Bitmaps and font are borrowed; they must outlive the button.
struct MyCButtonLook : MyCTextLook {
    MyCSkin skin;
    // Draws the bitmap unscaled, without the key colour, instead of three-sliced.
    bool imageOnly = false;
    COLORREF keyColour = RGB(0xFF, 0xFF, 0xFF);
};

// The style of every toolkit button: WS_CHILD, WS_TABSTOP, BS_CENTER.
inline constexpr DWORD kMyButtonStyle = 0x40010300;

// A bitmap button: a "BUTTON" child drawn from a skin, that posts WM_COMMAND (id, 0) to its
// parent when a press on it is released inside it.
class MyCButton : public MyCPressable {
  public:
    // Creates the (hidden) child `id` of `parent` at `rect` and subclasses it. Throws
    // PSystemError when the window cannot be created.
    void create(HWND parent, int id, const RECT& rect, const PString& text,
                const MyCButtonLook& look);
    void draw(HDC dc, MyCDrawState state) override;
    bool ownsAccessible() const noexcept override { return true; }
    MyAccessInfo accessInfo() const override;

    const MyCButtonLook& look() const noexcept { return look_; }
    // Takes another look (its window's factor changed) and redraws.
    void setLook(const MyCButtonLook& look);

  protected:
    void releasedInside() override;
    bool clicksOnEnter() const noexcept override { return true; }
    void fillBackground(HDC dc) const;
    // The keyboard's focus cue, when it is shown, `inset` pixels inside the client area.
    void drawFocusCue(HDC dc, int inset, COLORREF colour) const;

  private:
    MyCButtonLook look_;
    UniqueBrush background_;
};

// The drawn close button: a black cross, two 2-pixel lines from corner to corner.
class MyCCloseButton : public MyCButton {
  public:
    void draw(HDC dc, MyCDrawState state) override;
};

// Creates a child window of a system class with a UTF-16 text; throws PSystemError naming
// `what` when the system refuses.
HWND MyCreateChild(const wchar_t* className, const wchar_t* text, DWORD style, HWND parent, int id,
                   const RECT& rect, const char* what);
