#pragma once

#include <windows.h>

#include "installer/MyCWnd/mycwnd.h"

// A progress bar drawn from two bitmaps, each three-sliced: the track over the whole bar and
// the fill over the done part. Without a bitmap, flat colours stand in.
class MyCProgressBar : public MyCWnd {
  public:
    // Creates the (hidden) child `id` of `parent` at `rect`; bitmaps are borrowed. Throws
    // PSystemError.
    void create(HWND parent, int id, const RECT& rect, HBITMAP track, HBITMAP fill);
    // Draws from these bitmaps from now on (borrowed, as in create): the owner's bitmaps are
    // made again at another factor.
    void setBitmaps(HBITMAP track, HBITMAP fill);
    HBITMAP track() const noexcept { return track_; }
    HBITMAP fill() const noexcept { return fill_; }
    LRESULT windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;
    void paint() override;
    // Readers get a progress bar whose value is the percentage ("42%"); its name is the one set
    // for readers.
    bool ownsAccessible() const noexcept override { return true; }
    MyAccessInfo accessInfo() const override;

    // Values below 0 count as 0 and above 100 as 100; the bar is repainted.
    void setPercent(int percent);
    int percent() const noexcept { return percent_; }
    // The width of the done part of a bar `width` pixels wide.
    static int FillWidth(int width, int percent) noexcept { return width * percent / 100; }

  private:
    HBITMAP track_ = nullptr;
    HBITMAP fill_ = nullptr;
    int percent_ = 0;
};
