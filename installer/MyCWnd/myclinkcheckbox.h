#pragma once

#include <windows.h>

#include <string>

#include "installer/MyCWnd/myccheckbox.h"
#include "installer/MyCWnd/mycstatictext.h"
#include "plib/pstring.h"

// A label cut at "<a>" and "</a>": the text before, the link, and the text after. A label
// without a complete pair is all `before`.
struct MyLinkLabel {
    std::wstring before;
    std::wstring link;
    std::wstring after;
};
MyLinkLabel MySplitLinkLabel(const std::wstring& label);

// A check box whose label holds a link. The link is shown by two link children of the box,
// ids kFirstLinkId and kSecondLinkId: the first follows the text on the first line, the second
// holds what of the link does not fit there, on a second line (hidden when all fits). A click on
// either reaches the box's parent as WM_COMMAND (child id, STN_CLICKED); over either the box
// sets the link cursor. The text after the link is drawn by the box itself. Tab reaches the box
// and then its link (the box is a control parent); Enter or Space on the link clicks it.
class MyCLinkCheckBox : public MyCCheckBox {
  public:
    static constexpr int kFirstLinkId = 1006;
    static constexpr int kSecondLinkId = 1007;

    // As MyCCheckBox::create, with the link's font, colour and cursor (borrowed).
    void create(HWND parent, int id, const RECT& rect, const PString& label,
                const MyCCheckLook& look, HFONT linkFont, COLORREF linkColour, HCURSOR linkCursor);
    // Takes other fonts and cursor (its window's factor changed) and lays the label out again.
    void setLook(const MyCCheckLook& look, HFONT linkFont, HCURSOR linkCursor);
    LRESULT windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;
    void setText(const PString& label) override;
    void setText(const wchar_t* label) override;
    // The width the label needs on one line: square, gap, text, link and the text after it.
    int idealWidth();

    const MyCLinkText& firstLink() const noexcept { return links_[0]; }
    const MyCLinkText& secondLink() const noexcept { return links_[1]; }

  protected:
    void drawText(HDC dc, const RECT& textRect, bool enabled) override;
    std::wstring visibleText() const override { return label_.before + label_.link + label_.after; }

  private:
    void layout();

    MyLinkLabel label_;
    HFONT linkFont_ = nullptr;
    HCURSOR linkCursor_ = nullptr;
    MyCLinkText links_[2];
    // Where the text after the link starts, and on which line (0 or 1).
    int afterX_ = 0;
    int afterLine_ = 0;
};
