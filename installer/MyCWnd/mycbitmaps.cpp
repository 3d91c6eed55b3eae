#include "installer/MyCWnd/mycbitmaps.h"

#include <algorithm>

#include "installer/MyCWnd/mycbackground.h"
#include "installer/MyCWnd/mycdraw.h"
#include "installer/core/resourceids.h"
#include "installer/core/wizardscale.h"
#include "plib/win/presource.h"
#include "plib/winseam/unique.h"

void MyCBitmaps::setScale(int percent) {
    if (percent == percent_) return;
    percent_ = percent;
    loaded_.clear();
}

HBITMAP MyCBitmaps::get(int id) {
    if (id == 0) return nullptr;
    auto found = loaded_.find(id);
    // A missing bitmap is remembered as null too: the drawing rules fall back without it.
    if (found == loaded_.end()) found = loaded_.emplace(id, make(id)).first;
    return found->second.get();
}

UniqueBitmap MyCBitmaps::make(int id) {
    UniqueBitmap own(static_cast<HBITMAP>(
        ::LoadImageW(module_, MAKEINTRESOURCEW(id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
    if (!own || percent_ == 100) return own;
    const SIZE size = MyBitmapSize(own.get());
    const int width = std::max(1, Scaled(size.cx, percent_));
    const int height = std::max(1, Scaled(size.cy, percent_));
    if (const JpegImage* master = masters().find(id))
        return MyPictureSection(*master, width, height);
    const JpegImage pixels = MyBitmapPixels(own.get());
    return pixels.pixels.empty() ? std::move(own) : MyPictureSection(pixels, width, height);
}

const PictureMasters& MyCBitmaps::masters() {
    if (!masters_)
        masters_ = std::make_unique<PictureMasters>(
            PResourceBytes(module_, kBitmapMastersResource, kResourceType));
    return *masters_;
}

MyCSkin MyCBitmaps::skin(int normal, int hover, int pressed, int disabled) {
    return {get(normal), get(hover), get(pressed), get(disabled)};
}
