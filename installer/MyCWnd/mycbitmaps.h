#pragma once

#include <windows.h>

#include <map>

#include "installer/MyCWnd/mycpressable.h"
#include "plib/win/unique.h"

// The bitmap resources of one module, each loaded once on first use and owned here; the
// controls borrow them, so this set must outlive them.
class MyCBitmaps {
  public:
    explicit MyCBitmaps(HINSTANCE module) noexcept : module_(module) {}

    // Bitmap `id`, or null when the module has no such bitmap.
    HBITMAP get(int id);
    // A skin from four bitmap ids in the order normal, hover-or-focus, pressed, disabled;
    // an id of 0 leaves that state out.
    MyCSkin skin(int normal, int hover, int pressed, int disabled);

  private:
    HINSTANCE module_;
    std::map<int, UniqueBitmap> loaded_;
};
