#pragma once

#include <windows.h>

#include "installer/MyCWnd/mycwnd.h"
#include "plib/pstring.h"
#include "plib/winseam/unique.h"

// How a drop-down list looks. Arrows (white key colour) and fonts are borrowed.
struct MyCComboLook {
    HBITMAP arrowClosed = nullptr;
    HBITMAP arrowOpen = nullptr;
    HFONT font = nullptr;      // the closed face
    HFONT itemFont = nullptr;  // the items of the open list
    int itemHeight = 30;
};

// An owner-drawn drop-down list ("COMBOBOX", CBS_DROPDOWNLIST): a rounded face with the
// selected item's text and an arrow, items drawn on white or, when selected, on light grey.
// Its height stays what it was created with. Its parent must hand it WM_DRAWITEM,
// WM_MEASUREITEM and WM_COMMAND through MyCWnd::Reflect.
class MyCComboBox : public MyCWnd {
  public:
    // Creates the (hidden) child `id` of `parent`: the face at `rect`, the list `listHeight`
    // high below it. Throws PSystemError.
    void create(HWND parent, int id, const RECT& rect, int listHeight, const MyCComboLook& look);
    // Moves the face to `rect` with the list `listHeight` high and takes another look (its
    // window's factor changed); the face keeps its new height.
    void setLook(const RECT& rect, int listHeight, const MyCComboLook& look);
    LRESULT windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;
    void paint() override;
    void hoverEntered() override;
    void hoverLeft() override;
    // Readers get a combo box whose value is the selected item's text; without a name set for
    // them, that text is its name too.
    bool ownsAccessible() const noexcept override { return true; }
    MyAccessInfo accessInfo() const override;

    // Appends an item; returns its index.
    int addItem(const PString& text, LPARAM data = 0);
    void select(int index);
    int selection() const noexcept { return selection_; }
    bool droppedDown() const noexcept { return dropped_; }
    // Draws the closed face into `dc` (client coordinates). A missing arrow bitmap is an
    // assertion failure.
    void drawFace(HDC dc);

  private:
    void drawItem(const DRAWITEMSTRUCT& item);
    void keepListBelow();
    // Sets the face to `faceHeight` and the items to theirs, and keeps the face's height.
    void fitFace(HWND window, int faceHeight);
    void redrawFace();

    MyCComboLook look_;
    int height_ = 0;
    int itemHeight_ = 0;  // of the list's items, at the window's factor
    int selection_ = -1;
    bool dropped_ = false;
};
