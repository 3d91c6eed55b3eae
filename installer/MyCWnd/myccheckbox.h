#pragma once

#include <windows.h>

#include <vector>

#include "installer/MyCWnd/mycpressable.h"
#include "plib/pstring.h"
#include "plib/winseam/pwidenarrow.h"
#include "plib/winseam/unique.h"

// How a check box looks. Bitmaps and font are borrowed; they must outlive the control.
struct MyCCheckLook : MyCTextLook {
    MyCSkin checked;
    MyCSkin unchecked;
    // Draws a focus rectangle around the text whenever the box has the keyboard focus, not
    // only once the keyboard has been used.
    bool focusMark = false;
};

// A check box drawn from two skins: the square, as high as the control, at its left, and the
// text 8 pixels (at the window's factor) right of it. A release inside acts only while the box has
// the keyboard focus and is enabled: an automatic box (BS_AUTOCHECKBOX) toggles, and WM_COMMAND
// (id, 0) is sent (not posted) to the parent. Space on the focused box does what a click does. The
// system's check state (BM_GETCHECK, BM_SETCHECK) is the box's own flag.
class MyCCheckBox : public MyCPressable {
  public:
    // Creates the (hidden) child `id` of `parent` at `rect` with the button `type`
    // (BS_AUTOCHECKBOX, BS_CHECKBOX, ...) and subclasses it. Throws PSystemError.
    void create(HWND parent, int id, const RECT& rect, const PString& text,
                const MyCCheckLook& look, DWORD type = BS_AUTOCHECKBOX);
    bool checked() const noexcept { return checked_; }
    void setChecked(bool checked);
    LRESULT windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;
    void draw(HDC dc, MyCDrawState state) override;
    bool ownsAccessible() const noexcept override { return true; }
    MyAccessInfo accessInfo() const override;

    const MyCCheckLook& look() const noexcept { return look_; }
    // Takes another look (its window's factor changed) and redraws.
    void setLook(const MyCCheckLook& look);

  protected:
    void releasedInside() override;
    // What a click does to the checked flag.
    virtual void clicked();
    // Draws the label into `textRect` (from 8 pixels right of the square to the right edge).
    virtual void drawText(HDC dc, const RECT& textRect, bool enabled);
    COLORREF textColour(bool enabled) const noexcept;
    int buttonType() const noexcept;
    // The whole label as drawn, for readers.
    virtual std::wstring visibleText() const { return PToWide(text_); }

  private:
    MyCCheckLook look_;
    UniqueBrush background_;
    bool checked_ = false;
};

// A radio button: a check box whose automatic kind (BS_AUTORADIOBUTTON) selects itself and
// clears the other buttons of its group, with an optional grey sub-caption after its text.
class MyCRadioButton : public MyCCheckBox {
  public:
    void create(HWND parent, int id, const RECT& rect, const PString& text,
                const MyCCheckLook& look) {
        MyCCheckBox::create(parent, id, rect, text, look, BS_AUTORADIOBUTTON);
    }
    // Makes `buttons` one group: selecting one clears the others. Each must outlive the others.
    static void Group(std::vector<MyCRadioButton*> buttons);
    void setSubCaption(const PString& text);

    MyAccessInfo accessInfo() const override;

  protected:
    void clicked() override;
    void drawText(HDC dc, const RECT& textRect, bool enabled) override;
    std::wstring visibleText() const override { return PToWide(text_) + PToWide(subCaption_); }

  private:
    std::vector<MyCRadioButton*> group_;
    PString subCaption_;
};
