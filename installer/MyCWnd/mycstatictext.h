#pragma once

#include <windows.h>

#include "installer/MyCWnd/mycwnd.h"
#include "plib/pstring.h"

// A "STATIC" child that paints its own text over whatever is behind it: transparent background,
// the control's font (WM_GETFONT), its text colour, word-wrapped and vertically centred,
// centred horizontally with SS_CENTER.
class MyCStaticText : public MyCWnd {
  public:
    // Creates the (hidden unless `style` has WS_VISIBLE) child `id` of `parent` with `style`
    // plus WS_CHILD and WS_CLIPSIBLINGS, gives it `font` (none: the system font) and subclasses
    // it. Throws PSystemError.
    void create(HWND parent, int id, const RECT& rect, const PString& text, DWORD style, HFONT font,
                COLORREF colour);
    LRESULT windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;
    void paint() override;
    bool ownsAccessible() const noexcept override { return true; }
    MyAccessInfo accessInfo() const override;

    void setColour(COLORREF colour);
    COLORREF colour() const noexcept { return colour_; }

  protected:
    // Draws the text into `dc` over the client area.
    void drawText(HDC dc) const;

  private:
    COLORREF colour_ = RGB(0, 0, 0);
};

// A link: static text with hover tracking that is underlined while the mouse is over it or over
// its companion (the other piece of a link broken over two lines). Clicks reach the parent as
// STN_CLICKED when the style has SS_NOTIFY, and so do Enter and Space while it has the focus.
// The focus cue frames both pieces.
class MyCLinkText : public MyCStaticText {
  public:
    void create(HWND parent, int id, const RECT& rect, const PString& text, DWORD style, HFONT font,
                COLORREF colour);
    LRESULT windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;
    void paint() override;
    MyAccessInfo accessInfo() const override;
    void hoverEntered() override;
    void hoverLeft() override;
    // The companion shares the underline; it is borrowed and must outlive this link.
    void setCompanion(MyCLinkText* companion) noexcept { companion_ = companion; }
    bool underlined() const noexcept;

  private:
    bool focusCueShown() const;
    MyCLinkText* companion_ = nullptr;
};

// The underline colour of links (red 8, green 155, blue 128).
inline constexpr COLORREF kMyLinkColour = RGB(0x08, 0x9B, 0x80);
