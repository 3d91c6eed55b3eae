#pragma once

#include <windows.h>

#include <map>
#include <memory>

#include "installer/MyCWnd/mycpressable.h"
#include "installer/core/picturemasters.h"
#include "plib/winseam/unique.h"

// The bitmap resources of one module at one factor, each made once on first use and owned
// here; the controls borrow them, so this set must outlive them (or they must take new skins
// after setScale).
class MyCBitmaps {
  public:
    explicit MyCBitmaps(HINSTANCE module, int percent = 100) noexcept
        : module_(module), percent_(percent) {}

    // The factor of the bitmaps handed out from now on; a change drops the ones made before.
    void setScale(int percent);
    // Bitmap `id` at the factor, or null when the module has no such bitmap: the resource
    // itself at 100 %; otherwise each edge of the resource as Scaled() gives it, drawn from
    // the bitmap's master where the module has one ("ZB"/kBitmapMastersResource), else from the
    // resource. Throws PParserError when the module's masters are damaged.
    HBITMAP get(int id);
    // A skin from four bitmap ids in the order normal, hover-or-focus, pressed, disabled;
    // an id of 0 leaves that state out.
    MyCSkin skin(int normal, int hover, int pressed, int disabled);

  private:
    UniqueBitmap make(int id);
    const PictureMasters& masters();

    HINSTANCE module_;
    int percent_;
    std::map<int, UniqueBitmap> loaded_;
    std::unique_ptr<PictureMasters> masters_;  // unpacked on first need
};
