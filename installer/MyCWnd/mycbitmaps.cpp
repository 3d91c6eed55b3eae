#include "installer/MyCWnd/mycbitmaps.h"

HBITMAP MyCBitmaps::get(int id) {
    if (id == 0) return nullptr;
    auto found = loaded_.find(id);
    if (found == loaded_.end()) {
        // A missing bitmap is remembered as null too: the drawing rules fall back without it.
        const HANDLE image =
            ::LoadImageW(module_, MAKEINTRESOURCEW(id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION);
        found = loaded_.emplace(id, UniqueBitmap(static_cast<HBITMAP>(image))).first;
    }
    return found->second.get();
}

MyCSkin MyCBitmaps::skin(int normal, int hover, int pressed, int disabled) {
    return {get(normal), get(hover), get(pressed), get(disabled)};
}
